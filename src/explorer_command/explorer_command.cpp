#include "explorer_command/explorer_command.h"

#include <shlwapi.h>

#include <cstring>
#include <cwchar>
#include <new>
#include <utility>

#include "commands/command_table.h"
#include "commands/handler_text.h"
#include "commands/read_settings.h"
#include "commands/run_command.h"
#include "selection/item_array.h"
#include "win/apartment_call.h"
#include "win/module_state.h"
#include "win/wide_text.h"

namespace vlpd {
namespace {

// The root's canonical name, fixed for good: {7A290954-A505-4500-AE54-E597CF0B9F53}. Each submenu
// position's name is its command row's (commands/command_table.h).
constexpr GUID kCanonicalName = {
    0x7a290954, 0xa505, 0x4500, {0xae, 0x54, 0xe5, 0x97, 0xcf, 0x0b, 0x9f, 0x53}};

// `text` in memory of the COM task allocator, which the caller frees.
HRESULT HandOver(const wchar_t* text, LPWSTR* out) {
  const std::size_t bytes = (std::wcslen(text) + 1) * sizeof(wchar_t);
  *out = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
  if (*out == nullptr) return E_OUTOFMEMORY;
  std::memcpy(*out, text, bytes);
  return S_OK;
}

// One of our code page 932 texts, handed over as UTF-16.
HRESULT HandOverText(const char* text, LPWSTR* out) {
  const WideText wide(text);
  return HandOver(wide.Get(), out);
}

// The command of a submenu position, or null for a separator.
const Command* PositionCommand(int position) {
  const SubmenuEntry& entry = kSubmenu[static_cast<std::size_t>(position)];
  return entry.separator ? nullptr : CommandAt(entry.offset);
}

// One invocation: the selection read on the shell's thread, the command run in a single-threaded
// apartment (the save dialog needs one) on whatever thread that takes.
struct Invocation {
  const Command* command;
  ShellSelection selection;
  HWND owner;
  char folder[kPathBufferSize];
  Settings settings;
};

void RunInvocation(void* context) {
  auto* invocation = static_cast<Invocation*>(context);
  RunCommand(*invocation->command, invocation->selection, invocation->owner,
             invocation->folder[0] != '\0' ? invocation->folder : nullptr, invocation->settings);
}

// The root is hidden where the classic menu would add nothing: with ShiftOnly (Shift+right-click
// opens the classic menu), or with every command hidden.
bool RootShown(const Settings& settings) {
  return !settings.On(Setting::kShiftOnly) && LayOutSubmenu(settings.Get(Setting::kHiddenCommands)).count > 0;
}

ComRef<IGlobalInterfaceTable> InterfaceTable() {
  ComRef<IGlobalInterfaceTable> table;
  CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER, IID_IGlobalInterfaceTable,
                   reinterpret_cast<void**>(table.Put()));
  return table;
}

}  // namespace

// The site in the process's global interface table, which hands a reader in any apartment a
// reference that works there (a proxy where the site's apartment is another). It lives while a
// reader still holds it, so its cookie is never revoked under a reader and given to another
// registration. A site the table refuses (no COM on the setter's thread, an object that cannot be
// marshalled) is kept as given, for the setter's thread alone. Its revocation may call into the
// site's apartment, so it counts as a live object of the module.
class SiteRegistration final : public ComObject<SiteRegistration, IUnknown> {
 public:
  static const InterfaceEntry<SiteRegistration> kInterfaces[1];

  static ComRef<SiteRegistration> Make(IUnknown* site) {
    ComRef<SiteRegistration> made = ComRef<SiteRegistration>::Share(new (std::nothrow) SiteRegistration());
    if (!made) return made;
    ComRef<IGlobalInterfaceTable> table = InterfaceTable();
    if (!table || FAILED(table->RegisterInterfaceInGlobal(site, IID_IUnknown, &made->cookie_))) {
      made->cookie_ = 0;
      made->as_given_ = ComRef<IUnknown>::Share(site);
      made->thread_ = GetCurrentThreadId();
    }
    return made;
  }

  ComRef<IUnknown> Site() const {
    ComRef<IUnknown> site;
    if (cookie_ != 0) {
      ComRef<IGlobalInterfaceTable> table = InterfaceTable();
      if (table) table->GetInterfaceFromGlobal(cookie_, IID_IUnknown, reinterpret_cast<void**>(site.Put()));
    } else if (thread_ == GetCurrentThreadId()) {
      site = ComRef<IUnknown>::Share(as_given_.Get());
    }
    return site;
  }

 private:
  friend ComObject;
  SiteRegistration() = default;
  ~SiteRegistration() {
    if (cookie_ == 0) return;
    if (ComRef<IGlobalInterfaceTable> table = InterfaceTable()) table->RevokeInterfaceFromGlobal(cookie_);
  }

  DWORD cookie_ = 0;
  ComRef<IUnknown> as_given_;
  DWORD thread_ = 0;
};

const InterfaceEntry<SiteRegistration> SiteRegistration::kInterfaces[1] = {
    {&IID_IUnknown, CastTo<SiteRegistration, IUnknown>},
};

// Out of line: the registration is complete only here.
ExplorerCommandSite::ExplorerCommandSite() = default;
ExplorerCommandSite::~ExplorerCommandSite() = default;

STDMETHODIMP ExplorerCommandSite::SetSite(IUnknown* site) {
  ComRef<SiteRegistration> made;
  if (site != nullptr) {
    made = SiteRegistration::Make(site);
    if (!made) return E_OUTOFMEMORY;
  }
  {
    const CriticalSectionLock lock(lock_);
    std::swap(current_, made);
  }
  // The site set before goes outside the lock: its last reference may call into its apartment.
  return S_OK;
}

STDMETHODIMP ExplorerCommandSite::GetSite(REFIID riid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  const ComRef<IUnknown> site = Site();
  return site ? site->QueryInterface(riid, out) : E_FAIL;
}

ComRef<IUnknown> ExplorerCommandSite::Site() {
  ComRef<SiteRegistration> registration;
  {
    const CriticalSectionLock lock(lock_);
    registration = ComRef<SiteRegistration>::Share(current_.Get());
  }
  return registration ? registration->Site() : ComRef<IUnknown>();
}

const InterfaceEntry<CVLPDCommand> CVLPDCommand::kInterfaces[2] = {
    {&IID_IExplorerCommand, CastTo<CVLPDCommand, IExplorerCommand>},
    {&IID_IObjectWithSite, CastTo<CVLPDCommand, IObjectWithSite>},
};

STDMETHODIMP CVLPDCommand::GetTitle(IShellItemArray*, LPWSTR* name) {
  if (name == nullptr) return E_POINTER;
  return HandOverText(text::kSubmenuCaption, name);
}

STDMETHODIMP CVLPDCommand::GetIcon(IShellItemArray*, LPWSTR* icon) {
  if (icon == nullptr) return E_POINTER;
  *icon = nullptr;
  // "<module path>,-<resource id>": the icon resource of this very DLL.
  wchar_t location[MAX_PATH + 16];
  const DWORD length = GetModuleFileNameW(ModuleInstance(), location, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return E_FAIL;
  swprintf(location + length, 16, L",-%d", kModuleIconId);
  return HandOver(location, icon);
}

STDMETHODIMP CVLPDCommand::GetToolTip(IShellItemArray*, LPWSTR* tip) {
  if (tip != nullptr) *tip = nullptr;
  return E_NOTIMPL;  // the caption has no help text of its own
}

STDMETHODIMP CVLPDCommand::GetCanonicalName(GUID* name) {
  if (name == nullptr) return E_POINTER;
  *name = kCanonicalName;
  return S_OK;
}

STDMETHODIMP CVLPDCommand::GetState(IShellItemArray* items, BOOL ok_to_be_slow, EXPCMDSTATE* state) {
  if (state == nullptr) return E_POINTER;
  const Settings settings = ReadSettings();
  if (!RootShown(settings)) {
    *state = ECS_HIDDEN;
    return S_OK;
  }
  // Read anew at every call, kept nowhere: the shell asks from several threads at once.
  ItemArrayState read;
  const HRESULT hr = ReadItemArrayState(items, ok_to_be_slow != FALSE, &read);
  if (hr == E_PENDING) return hr;
  // A drive follows FolderBackground, as in the classic menu.
  const bool shown = read.has_names && (settings.On(Setting::kFolderBackground) || !read.drive_root);
  *state = SUCCEEDED(hr) && shown ? ECS_ENABLED : ECS_HIDDEN;
  return S_OK;
}

STDMETHODIMP CVLPDCommand::Invoke(IShellItemArray*, IBindCtx*) { return E_NOTIMPL; }

STDMETHODIMP CVLPDCommand::GetFlags(EXPCMDFLAGS* flags) {
  if (flags == nullptr) return E_POINTER;
  *flags = ECF_HASSUBCOMMANDS;
  return S_OK;
}

STDMETHODIMP CVLPDCommand::EnumSubCommands(IEnumExplorerCommand** commands) {
  if (commands == nullptr) return E_POINTER;
  *commands = nullptr;
  const SubmenuLayout layout = LayOutSubmenu(ReadSettings().Get(Setting::kHiddenCommands));
  return QueryNewObject(new (std::nothrow) CVLPDCommandEnum(layout, 0, this), IID_IEnumExplorerCommand,
                        reinterpret_cast<void**>(commands));
}

const InterfaceEntry<CVLPDSubCommand> CVLPDSubCommand::kInterfaces[2] = {
    {&IID_IExplorerCommand, CastTo<CVLPDSubCommand, IExplorerCommand>},
    {&IID_IObjectWithSite, CastTo<CVLPDSubCommand, IObjectWithSite>},
};

CVLPDSubCommand::CVLPDSubCommand(int position, CVLPDCommand* root)
    : position_(position), root_(ComRef<CVLPDCommand>::Share(root)) {}

STDMETHODIMP CVLPDSubCommand::GetTitle(IShellItemArray*, LPWSTR* name) {
  if (name == nullptr) return E_POINTER;
  *name = nullptr;
  const Command* command = PositionCommand(position_);
  return command != nullptr ? HandOverText(command->label, name) : E_NOTIMPL;
}

STDMETHODIMP CVLPDSubCommand::GetIcon(IShellItemArray*, LPWSTR* icon) {
  if (icon != nullptr) *icon = nullptr;
  return E_NOTIMPL;  // the classic items have none either
}

STDMETHODIMP CVLPDSubCommand::GetToolTip(IShellItemArray*, LPWSTR* tip) {
  if (tip == nullptr) return E_POINTER;
  *tip = nullptr;
  const Command* command = PositionCommand(position_);
  return command != nullptr ? HandOverText(command->help, tip) : E_NOTIMPL;
}

STDMETHODIMP CVLPDSubCommand::GetCanonicalName(GUID* name) {
  if (name == nullptr) return E_POINTER;
  const Guid& own = kSubmenu[static_cast<std::size_t>(position_)].name;
  *name = {own.data1, own.data2, own.data3, {}};
  std::memcpy(name->Data4, own.data4, sizeof name->Data4);
  return S_OK;
}

STDMETHODIMP CVLPDSubCommand::GetState(IShellItemArray* items, BOOL ok_to_be_slow, EXPCMDSTATE* state) {
  if (state == nullptr) return E_POINTER;
  const Command* command = PositionCommand(position_);
  if (command == nullptr) {
    *state = ECS_ENABLED;
    return S_OK;
  }
  ItemArrayState read;
  const HRESULT hr = ReadItemArrayState(items, ok_to_be_slow != FALSE, &read);
  if (hr == E_PENDING) return hr;
  *state =
      SUCCEEDED(hr) && read.has_names && RuleEnabled(command->rule, read.kind) ? ECS_ENABLED : ECS_DISABLED;
  return S_OK;
}

STDMETHODIMP CVLPDSubCommand::Invoke(IShellItemArray* items, IBindCtx*) {
  const Command* command = PositionCommand(position_);
  if (command == nullptr) return E_NOTIMPL;
  if (items == nullptr) return E_INVALIDARG;
  Invocation invocation{command, {}, nullptr, {}, ReadSettings()};
  if (CommandHidden(invocation.settings, kSubmenu[static_cast<std::size_t>(position_)].offset))
    return E_INVALIDARG;
  // The owner window, read through references of this call's own: the shell may clear the site
  // from another thread meanwhile.
  ComRef<IUnknown> site = Site();
  if (!site) site = root_->Site();
  if (site) IUnknown_GetWindow(site.Get(), &invocation.owner);
  const HRESULT hr = ReadItemArraySelection(items, invocation.selection, invocation.folder);
  if (FAILED(hr)) return hr;
  // Nothing kept, nothing to do: the classic menu is not even shown for such a selection.
  if (invocation.selection.List().Count() > 0) CallInSingleThreadedApartment(RunInvocation, &invocation);
  return S_OK;
}

STDMETHODIMP CVLPDSubCommand::GetFlags(EXPCMDFLAGS* flags) {
  if (flags == nullptr) return E_POINTER;
  *flags = kSubmenu[static_cast<std::size_t>(position_)].separator ? ECF_ISSEPARATOR : ECF_DEFAULT;
  return S_OK;
}

STDMETHODIMP CVLPDSubCommand::EnumSubCommands(IEnumExplorerCommand** commands) {
  if (commands != nullptr) *commands = nullptr;
  return E_NOTIMPL;
}

const InterfaceEntry<CVLPDCommandEnum> CVLPDCommandEnum::kInterfaces[1] = {
    {&IID_IEnumExplorerCommand, CastTo<CVLPDCommandEnum, IEnumExplorerCommand>},
};

CVLPDCommandEnum::CVLPDCommandEnum(const SubmenuLayout& layout, int next, CVLPDCommand* root)
    : layout_(layout), next_(next), root_(ComRef<CVLPDCommand>::Share(root)) {}

STDMETHODIMP CVLPDCommandEnum::Next(ULONG count, IExplorerCommand** commands, ULONG* fetched) {
  // A null count is allowed for any `count`: the caller learns the number from the result.
  if (commands == nullptr) return E_POINTER;
  ULONG made = 0;
  HRESULT hr = S_OK;
  while (made < count && next_ < layout_.count) {
    hr = QueryNewObject(new (std::nothrow)
                            CVLPDSubCommand(layout_.positions[static_cast<std::size_t>(next_)], root_.Get()),
                        IID_IExplorerCommand, reinterpret_cast<void**>(&commands[made]));
    if (FAILED(hr)) break;
    ++made;
    ++next_;
  }
  if (fetched != nullptr) *fetched = made;
  if (FAILED(hr)) {
    // Nothing is handed over from a call that fails.
    while (made > 0) commands[--made]->Release();
    if (fetched != nullptr) *fetched = 0;
    return hr;
  }
  return made == count ? S_OK : S_FALSE;
}

STDMETHODIMP CVLPDCommandEnum::Skip(ULONG count) {
  const ULONG left = static_cast<ULONG>(layout_.count - next_);
  const ULONG skipped = count < left ? count : left;
  next_ += static_cast<int>(skipped);
  return skipped == count ? S_OK : S_FALSE;
}

STDMETHODIMP CVLPDCommandEnum::Reset() {
  next_ = 0;
  return S_OK;
}

STDMETHODIMP CVLPDCommandEnum::Clone(IEnumExplorerCommand** copy) {
  if (copy == nullptr) return E_POINTER;
  *copy = nullptr;
  return QueryNewObject(new (std::nothrow) CVLPDCommandEnum(layout_, next_, root_.Get()),
                        IID_IEnumExplorerCommand, reinterpret_cast<void**>(copy));
}

}  // namespace vlpd
