#include "tools/demo/menu_printer.h"

#include "host/classic_menu_host.h"
#include "host/menu_reader.h"
#include "tools/demo/console.h"

namespace vlpd::demo {
namespace {

std::string MenuLabel(HMENU menu, UINT item, UINT by) {
  char label[256] = {};
  GetMenuStringA(menu, item, label, sizeof label, by);
  return Cp932ToUtf8(label);
}

}  // namespace

void PrintMenu(HMENU menu, const std::string& indent, IContextMenu* handler) {
  for (const test::ReadItem& item : test::ReadMenu(menu)) {
    const std::string label = Cp932ToUtf8(item.label);
    if (item.separator) {
      Print(indent + "────────────\n");
      continue;
    }
    if (item.submenu != nullptr) {
      Print(indent + label + "  ▶\n");
      PrintMenu(item.submenu, indent + "    ", handler);
      continue;
    }
    if (item.id < test::kFirstId) {
      Print(indent + PadTo(label, 20) + "(the host's own item)\n");
      continue;
    }
    const UINT offset = item.id - test::kFirstId;
    std::string line = indent + PadTo(label, 20) + (item.grayed ? "grayed " : "enabled") + "  offset " +
                       std::to_string(offset);
    if (handler != nullptr) line += "   " + Cp932ToUtf8(test::AskHelpText(handler, offset));
    Print(line + "\n");
  }
}

void PrintChoice(HMENU menu, UINT offset) {
  Print("   Chose \"" + MenuLabel(menu, test::kFirstId + offset, MF_BYCOMMAND) + "\" (command offset " +
        std::to_string(offset) + ").\n");
}

}  // namespace vlpd::demo
