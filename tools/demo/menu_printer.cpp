#include "tools/demo/menu_printer.h"

#include "tools/demo/console.h"
#include "tools/demo/shell_host.h"

namespace vlpd::demo {
namespace {

std::string MenuLabel(HMENU menu, UINT item, UINT by) {
  char label[256] = {};
  GetMenuStringA(menu, item, label, sizeof label, by);
  return Cp932ToUtf8(label);
}

}  // namespace

std::vector<MenuItem> ReadMenu(HMENU menu) {
  std::vector<MenuItem> items;
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU;
    if (!GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info)) continue;
    MenuItem item;
    item.separator = (info.fType & MFT_SEPARATOR) != 0;
    item.grayed = (info.fState & MFS_GRAYED) != 0;
    item.id = info.wID;
    item.submenu = info.hSubMenu;
    if (!item.separator) item.label = MenuLabel(menu, static_cast<UINT>(i), MF_BYPOSITION);
    items.push_back(item);
  }
  return items;
}

void PrintMenu(HMENU menu, const std::string& indent, IContextMenu* handler) {
  for (const MenuItem& item : ReadMenu(menu)) {
    if (item.separator) {
      Print(indent + "────────────\n");
      continue;
    }
    if (item.submenu != nullptr) {
      Print(indent + item.label + "  ▶\n");
      PrintMenu(item.submenu, indent + "    ", handler);
      continue;
    }
    if (item.id < kFirstId) {
      Print(indent + PadTo(item.label, 20) + "(the host's own item)\n");
      continue;
    }
    const UINT offset = item.id - kFirstId;
    std::string line = indent + PadTo(item.label, 20) + (item.grayed ? "grayed " : "enabled") + "  offset " +
                       std::to_string(offset);
    if (handler != nullptr) line += "   " + Cp932ToUtf8(HelpText(handler, offset));
    Print(line + "\n");
  }
}

void PrintChoice(HMENU menu, UINT offset) {
  Print("   Chose \"" + MenuLabel(menu, kFirstId + offset, MF_BYCOMMAND) + "\" (command offset " +
        std::to_string(offset) + ").\n");
}

}  // namespace vlpd::demo
