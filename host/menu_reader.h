// Reads a real menu back item by item: what QueryContextMenu inserted, for the tests and the demo.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vlpd::test {

struct ReadItem {
  bool separator = false;
  UINT id = 0;
  std::string label;    // code page 932 bytes
  bool grayed = false;  // MFS_GRAYED (grayed and disabled)
  HMENU submenu = nullptr;
};

inline std::vector<ReadItem> ReadMenu(HMENU menu) {
  std::vector<ReadItem> items;
  const int count = GetMenuItemCount(menu);
  for (int position = 0; position < count; ++position) {
    char label[128] = {};
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING | MIIM_SUBMENU;
    info.dwTypeData = label;
    info.cch = sizeof label;
    ReadItem item;
    if (GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info)) {
      item.separator = (info.fType & MFT_SEPARATOR) != 0;
      item.id = info.wID;
      item.label = label;
      item.grayed = (info.fState & MFS_GRAYED) == MFS_GRAYED;
      item.submenu = info.hSubMenu;
    }
    items.push_back(item);
  }
  return items;
}

}  // namespace vlpd::test
