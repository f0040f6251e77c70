#include "classic_menu/vlpd_menu.h"

#include "classic_menu/caption_bitmap.h"
#include "commands/command_table.h"
#include "commands/help_text.h"
#include "commands/read_settings.h"
#include "commands/run_command.h"
#include "win/com_owners.h"
#include "win/wide_text.h"

namespace vlpd {
namespace {

void InsertSeparator(HMENU menu, UINT position) { InsertMenuW(menu, position, kSeparator, 0, nullptr); }

// Labels go in as Unicode, so they read the same whatever the system code page.
BOOL InsertItem(HMENU menu, UINT position, UINT flags, UINT_PTR id, const char* label) {
  const WideText wide(label);
  return InsertMenuW(menu, position, flags, id, label != nullptr ? wide.Get() : nullptr);
}

// The editor's icon beside the caption; without it the submenu works all the same.
void SetCaptionBitmap(HMENU menu, UINT position) {
  MENUITEMINFOW item = {};
  item.cbSize = sizeof item;
  item.fMask = MIIM_BITMAP;
  item.hbmpItem = CaptionBitmap();
  if (item.hbmpItem != nullptr) SetMenuItemInfoW(menu, position, TRUE, &item);
}

}  // namespace

const InterfaceEntry<CVLPDMenu> CVLPDMenu::kInterfaces[2] = {
    {&IID_IShellExtInit, CastTo<CVLPDMenu, IShellExtInit>},
    {&IID_IContextMenu, CastTo<CVLPDMenu, IContextMenu>},
};

STDMETHODIMP CVLPDMenu::Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* data, HKEY) {
  if (data == nullptr) {
    // A folder's background, the desktop's included: the folder is the selection.
    wchar_t path[MAX_PATH];
    if (folder == nullptr || !SHGetPathFromIDListW(folder, path) || !selection_.AttachFolder(path)) {
      return E_INVALIDARG;
    }
    return S_OK;
  }
  StorageMedium medium;
  if (FAILED(FetchDropList(data, medium))) return E_INVALIDARG;
  // Only whether a drop list is offered matters here; the names are read at every use.
  medium.Reset();
  selection_.Attach(data);
  return S_OK;
}

STDMETHODIMP CVLPDMenu::QueryContextMenu(HMENU menu, UINT index, UINT first_id, UINT last_id, UINT flags) {
  const HRESULT none = MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
  if (!MenuFlagsAccepted(flags)) return none;
  // Ids beyond the granted range could be another handler's: without room for all, add none.
  if (last_id < first_id || last_id - first_id < static_cast<UINT>(kCommandCount) - 1) return none;
  const Settings settings = ReadSettings();
  if (!ShownForFlags(settings, flags)) return none;
  const SubmenuLayout layout = LayOutSubmenu(settings.Get(Setting::kHiddenCommands));
  if (layout.count == 0) return none;
  // Windows 11 puts our package's menu under "Show more options" itself: a second one would double it.
  if (PackagedMenuShowsOurCommands(*probe_)) return none;
  // The menu needs how many names there are and the first of them: only that one is converted.
  if (FAILED(selection_.Refill(1)) || Selection().Count() < 1) return none;
  const DWORD attributes = GetFileAttributesA(Selection().Name(0));
  if (attributes == INVALID_FILE_ATTRIBUTES) return none;
  if (!settings.On(Setting::kFolderBackground) &&
      (selection_.FolderBackground() || IsDriveRoot(Selection().Name(0)))) {
    selection_.Free();
    return none;
  }
  // Whether there is more than one name is all the kind asks of the count.
  const int listed = selection_.Listed() > 1 ? 2 : 1;
  const SelectionKind kind =
      DecideSelectionKind((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0, listed, Selection().Name(0));
  selection_.Free();

  InsertSeparator(menu, index);
  UINT at = index + 1;
  // The open command beside the submenu: the same offset, so it is the same command in every way.
  if (settings.On(Setting::kOpenOnTop) && !CommandHidden(settings, kOpenOffset)) {
    const UINT enabled = RuleEnabled(kOpenCommand.rule, kind) ? kItemEnabled : kItemGrayed;
    if (InsertItem(menu, at, enabled, first_id + kOpenOffset, text::kLabelOpenOnTop)) {
      SetCaptionBitmap(menu, at);
      ++at;
    }
  }
  MenuHandle submenu(CreateMenu());
  if (!submenu) {
    InsertSeparator(menu, at);
    return none;
  }
  // Hidden commands leave their offsets unused: an offset names the same command whatever is shown.
  int used = 0;
  for (int shown = 0; shown < layout.count; ++shown) {
    const SubmenuEntry& entry = kSubmenu[static_cast<std::size_t>(layout.positions[shown])];
    const UINT_PTR id = entry.separator ? 0 : first_id + static_cast<UINT>(entry.offset);
    InsertItem(submenu.Get(), static_cast<UINT>(shown), EntryFlags(entry, kind), id, entry.label);
    if (entry.offset >= used) used = entry.offset + 1;
  }
  if (InsertItem(menu, at, kPopup, reinterpret_cast<UINT_PTR>(submenu.Get()), text::kSubmenuCaption)) {
    submenu.Release();  // destroyed with the shell's menu from now on
    SetCaptionBitmap(menu, at++);
  }
  InsertSeparator(menu, at);
  return MAKE_HRESULT(SEVERITY_SUCCESS, 0, used);
}

STDMETHODIMP CVLPDMenu::InvokeCommand(CMINVOKECOMMANDINFO* info) {
  if (info == nullptr) return E_INVALIDARG;
  const auto verb = reinterpret_cast<UINT_PTR>(info->lpVerb);
  if ((verb >> 16) != 0) return E_INVALIDARG;  // a verb given as text: we define none
  const int offset = static_cast<int>(verb & 0xFFFF);
  const Command* command = CommandAt(offset);
  if (command == nullptr) return E_INVALIDARG;
  const Settings settings = ReadSettings();
  if (CommandHidden(settings, offset)) return E_INVALIDARG;
  RunCommand(*command, selection_, info->hwnd, info->lpDirectory, settings);
  return S_OK;
}

STDMETHODIMP CVLPDMenu::GetCommandString(UINT_PTR command, UINT type, UINT*, LPSTR name, UINT size) {
  const char* help =
      command < static_cast<UINT_PTR>(kCommandCount) ? HelpText(static_cast<unsigned>(command)) : nullptr;
  if (help == nullptr || name == nullptr) return S_OK;
  if (type == GCS_HELPTEXTA) {
    CopyBoundedAnsi(help, name, size);
    return S_OK;
  }
  // Every other request gets the wide text; the capacity is in the units the request names.
  const std::size_t capacity = (type & GCS_UNICODE) != 0 ? size : size / sizeof(WCHAR);
  const WideText wide(help);
  CopyBoundedUtf16(wide.Get(), reinterpret_cast<WCHAR*>(name), capacity);
  return S_OK;
}

}  // namespace vlpd
