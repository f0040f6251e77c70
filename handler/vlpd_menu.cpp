#include "handler/vlpd_menu.h"

#include "handler/commands.h"
#include "handler/handler_text.h"
#include "handler/help_text.h"
#include "handler/menu_table.h"
#include "project/create_project.h"
#include "server/module_state.h"

namespace vlpd {
namespace {

// The submenu until the shell's menu takes it over.
class OwnedMenu {
 public:
  OwnedMenu() : menu_(CreateMenu()) {}
  ~OwnedMenu() {
    if (menu_ != nullptr) DestroyMenu(menu_);
  }
  OwnedMenu(const OwnedMenu&) = delete;
  OwnedMenu& operator=(const OwnedMenu&) = delete;
  HMENU Get() const { return menu_; }
  void Disown() { menu_ = nullptr; }

 private:
  HMENU menu_;
};

// The longest help text needs 29 UTF-16 units with its terminator.
constexpr int kWideHelpCapacity = 64;

void InsertSeparator(HMENU menu, UINT position) { InsertMenuA(menu, position, kSeparator, 0, nullptr); }

}  // namespace

CVLPDMenu::CVLPDMenu() { AddObject(); }

CVLPDMenu::~CVLPDMenu() {
  // The data object goes back before the module count drops, so an unload never races it.
  data_.Reset();
  RemoveObject();
}

STDMETHODIMP CVLPDMenu::QueryInterface(REFIID riid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (IsEqualIID(riid, IID_IShellExtInit) || IsEqualIID(riid, IID_IUnknown)) {
    *out = static_cast<IShellExtInit*>(this);
  } else if (IsEqualIID(riid, IID_IContextMenu)) {
    *out = static_cast<IContextMenu*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) CVLPDMenu::AddRef() { return static_cast<ULONG>(++references_); }

STDMETHODIMP_(ULONG) CVLPDMenu::Release() {
  const LONG left = --references_;
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

STDMETHODIMP CVLPDMenu::Initialize(PCIDLIST_ABSOLUTE, IDataObject* data, HKEY) {
  if (data == nullptr) return E_INVALIDARG;
  FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium = {};
  if (FAILED(data->GetData(&format, &medium))) return E_INVALIDARG;
  // Only whether a drop list is offered matters here; the names are read at every use.
  ReleaseStgMedium(&medium);
  data_ = ComRef<IDataObject>::Share(data);
  return S_OK;
}

STDMETHODIMP CVLPDMenu::QueryContextMenu(HMENU menu, UINT index, UINT first_id, UINT, UINT flags) {
  const HRESULT none = MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
  if (!MenuFlagsAccepted(flags)) return none;
  if (FAILED(RefillSelection()) || selection_.Count() < 1) return none;
  const DWORD attributes = GetFileAttributesA(selection_.Name(0));
  if ((attributes & 0x80000000u) != 0) return none;
  const SelectionKind kind =
      DecideSelectionKind((attributes & kAttributeDirectory) != 0, selection_.Count(), selection_.Name(0));
  FreeSelection();

  InsertSeparator(menu, index);
  OwnedMenu submenu;
  if (submenu.Get() == nullptr) {
    InsertSeparator(menu, index + 1);
    return none;
  }
  for (UINT position = 0; position < kSubmenu.size(); ++position) {
    const SubmenuEntry& entry = kSubmenu[position];
    const UINT_PTR id = entry.separator ? 0 : first_id + static_cast<UINT>(entry.offset);
    InsertMenuA(submenu.Get(), position, EntryFlags(entry, kind), id, entry.label);
  }
  if (InsertMenuA(menu, index + 1, kPopup, reinterpret_cast<UINT_PTR>(submenu.Get()),
                  text::kSubmenuCaption)) {
    submenu.Disown();  // destroyed with the shell's menu from now on
  }
  InsertSeparator(menu, index + 2);
  return MAKE_HRESULT(SEVERITY_SUCCESS, 0, kCommandCount);
}

STDMETHODIMP CVLPDMenu::InvokeCommand(CMINVOKECOMMANDINFO* info) {
  if (info == nullptr) return E_INVALIDARG;
  const auto verb = reinterpret_cast<UINT_PTR>(info->lpVerb);
  if ((verb >> 16) != 0) return E_INVALIDARG;  // a verb given as text: we define none
  const int offset = static_cast<int>(verb & 0xFFFF);
  if (offset >= kCommandCount) return E_INVALIDARG;
  if (const char* open_switch = OpenSwitch(offset)) {
    LaunchEditor(*this, open_switch);
  } else if (offset == 7) {
    CreateProject(*this, *info);
  } else {
    CopyNames(*this);
  }
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
  auto* out = reinterpret_cast<WCHAR*>(name);
  WCHAR wide[kWideHelpCapacity];
  const int units = MultiByteToWideChar(CP_ACP, 0, help, -1, nullptr, 0);
  if (units <= 0 || units > kWideHelpCapacity ||
      MultiByteToWideChar(CP_ACP, 0, help, -1, wide, kWideHelpCapacity) != units) {
    wide[0] = L'\0';
  }
  CopyBoundedUtf16(wide, out, capacity);
  return S_OK;
}

}  // namespace vlpd
