#include "host/explorer_host.h"

#include <atomic>
#include <cstring>
#include <utility>

#include "win/com_owners.h"

namespace vlpd::test {
namespace {

std::wstring TakeString(LPWSTR text) {
  const TaskString owned(text);
  return text != nullptr ? text : L"";
}

template <typename T>
HRESULT NotImplemented(T** out) {
  *out = nullptr;
  return E_NOTIMPL;
}

// The fakes' IUnknown: one reference count, and answers for IUnknown and `Interface`.
template <typename Interface>
class Counted : public Interface, public Tracked {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    *out = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, __uuidof(Interface)) ? this : nullptr;
    if (*out != nullptr) AddRef();
    return *out != nullptr ? S_OK : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return Add(); }
  STDMETHODIMP_(ULONG) Release() override { return Drop(); }

 protected:
  explicit Counted(ReferenceLedger* ledger = nullptr) : Tracked(ledger) {}
};

class FakeItem final : public Counted<IShellItem> {
 public:
  FakeItem(std::wstring path, const FakeItems& shape, bool outside)
      : path_(std::move(path)), shape_(shape), outside_(outside) {}
  STDMETHODIMP BindToHandler(IBindCtx*, REFGUID, REFIID, void** out) override { return NotImplemented(out); }
  STDMETHODIMP GetParent(IShellItem** parent) override { return NotImplemented(parent); }
  STDMETHODIMP GetDisplayName(SIGDN form, LPWSTR* name) override {
    *name = nullptr;
    // As the shell's: an item outside the file system has no file-system path, unless it says
    // otherwise.
    if (shape_.failing_names || (form == SIGDN_FILESYSPATH && !shape_.file_system && !outside_))
      return E_FAIL;
    const std::size_t bytes = (path_.size() + 1) * sizeof(wchar_t);
    *name = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    if (*name != nullptr) std::memcpy(*name, path_.c_str(), bytes);
    return *name != nullptr ? S_OK : E_OUTOFMEMORY;
  }
  STDMETHODIMP GetAttributes(SFGAOF mask, SFGAOF* attributes) override {
    const SFGAOF all = outside_             ? SFGAO_STREAM
                       : shape_.file_system ? SFGAO_FILESYSTEM | SFGAO_STREAM | shape_.more_attributes
                                            : SFGAO_FOLDER;
    *attributes = mask & all;
    return S_OK;
  }
  STDMETHODIMP Compare(IShellItem*, SICHINTF, int* order) override {
    *order = 1;
    return S_FALSE;
  }

 private:
  std::wstring path_;
  FakeItems shape_;  // its flags only
  bool outside_;
};

class FakeArray final : public Counted<IShellItemArray> {
 public:
  FakeArray(FakeItems shape, ReferenceLedger* ledger) : Counted(ledger), shape_(std::move(shape)) {
    if (shape_.count == 0) shape_.count = shape_.paths.size();
  }
  STDMETHODIMP BindToHandler(IBindCtx*, REFGUID, REFIID, void** out) override { return NotImplemented(out); }
  STDMETHODIMP GetPropertyStore(GETPROPERTYSTOREFLAGS, REFIID, void** out) override {
    return NotImplemented(out);
  }
  STDMETHODIMP GetPropertyDescriptionList(REFPROPERTYKEY, REFIID, void** out) override {
    return NotImplemented(out);
  }
  STDMETHODIMP GetAttributes(SIATTRIBFLAGS, SFGAOF, SFGAOF* attributes) override {
    *attributes = 0;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetCount(DWORD* count) override {
    *count = static_cast<DWORD>(shape_.count);
    return S_OK;
  }
  STDMETHODIMP GetItemAt(DWORD index, IShellItem** item) override {
    *item = nullptr;
    if (index >= shape_.count) return E_INVALIDARG;
    FakeItems flags = shape_;
    flags.paths.clear();
    *item = new FakeItem(
        index < shape_.paths.size() ? shape_.paths[index] : shape_.prefix + std::to_wstring(index) + L".txt",
        flags, index < shape_.outside);
    return S_OK;
  }
  STDMETHODIMP EnumItems(IEnumShellItems** items) override { return NotImplemented(items); }

 private:
  FakeItems shape_;
};

// A site of the apartment of the thread that made it (see ApartmentSite).
class WatchedSite final : public Counted<IOleWindow> {
 public:
  WatchedSite(HWND window, ReferenceLedger& ledger, std::function<void()> on_call)
      : Counted(&ledger), window_(window), on_call_(std::move(on_call)) {}
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    Call();
    return Counted::QueryInterface(riid, out);
  }
  STDMETHODIMP GetWindow(HWND* window) override {
    Call();
    *window = window_;
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

 private:
  void Call() {
    if (on_call_) on_call_();
    NoteCall();
  }

  HWND window_;
  std::function<void()> on_call_;
};

class Site final : public Counted<IOleWindow> {
 public:
  explicit Site(HWND window) : window_(window) {}
  STDMETHODIMP GetWindow(HWND* window) override {
    *window = window_;
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

 private:
  HWND window_;
};

}  // namespace

Tracked::Tracked(ReferenceLedger* ledger) : ledger_(ledger) {
  if (ledger_ == nullptr) return;
  references_ = 2;  // the caller's and the ledger's
  ledger_->Keep(this);
}

ULONG Tracked::Drop() {
  const long left = --references_;
  if (ledger_ == nullptr) {
    if (left == 0) delete this;
  } else if (left < 1) {
    ++ledger_->extra_releases_;
  }
  return static_cast<ULONG>(left);
}

void Tracked::NoteCall() {
  if (ledger_ == nullptr) return;
  if (references_ <= 1) ++ledger_->calls_into_released_;
  if (GetCurrentThreadId() != thread_) ++ledger_->calls_from_other_threads_;
}

ReferenceLedger::~ReferenceLedger() {
  for (Tracked* fake : kept_) delete fake;
}

long ReferenceLedger::Held() {
  const std::lock_guard<std::mutex> lock(mutex_);
  long held = 0;
  for (const Tracked* fake : kept_) held += fake->references_ - 1;
  return held;
}

void ReferenceLedger::Keep(Tracked* fake) {
  const std::lock_guard<std::mutex> lock(mutex_);
  kept_.push_back(fake);
}

std::vector<ComRef<IExplorerCommand>> SubCommands(IExplorerCommand* root) {
  std::vector<ComRef<IExplorerCommand>> commands;
  ComRef<IEnumExplorerCommand> enumerator;
  if (FAILED(root->EnumSubCommands(enumerator.Put())) || !enumerator) return commands;
  IExplorerCommand* next = nullptr;
  ULONG fetched = 0;
  while (enumerator->Next(1, &next, &fetched) == S_OK && fetched == 1) {
    commands.push_back(ComRef<IExplorerCommand>::Adopt(next));
  }
  return commands;
}

ShownCommand ShowCommand(IExplorerCommand* command, IShellItemArray* items) {
  ShownCommand shown;
  command->GetFlags(&shown.flags);
  LPWSTR text = nullptr;
  if (SUCCEEDED(command->GetTitle(items, &text))) shown.title = TakeString(text);
  text = nullptr;
  if (SUCCEEDED(command->GetToolTip(items, &text))) shown.tip = TakeString(text);
  shown.state_result = command->GetState(items, FALSE, &shown.state);
  if (shown.state_result == E_PENDING) shown.state_result = command->GetState(items, TRUE, &shown.state);
  return shown;
}

ComRef<IShellItemArray> ShellItemArray(IDataObject* data) {
  ComRef<IShellItemArray> items;
  if (data != nullptr) {
    SHCreateShellItemArrayFromDataObject(data, IID_IShellItemArray, reinterpret_cast<void**>(items.Put()));
  }
  return items;
}

ComRef<IShellItemArray> VirtualItemArray() {
  ComRef<IShellItem> computer;
  ComRef<IShellItemArray> items;
  if (SUCCEEDED(SHCreateItemFromParsingName(L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}", nullptr,
                                            IID_IShellItem, reinterpret_cast<void**>(computer.Put())))) {
    SHCreateShellItemArrayFromShellItem(computer.Get(), IID_IShellItemArray,
                                        reinterpret_cast<void**>(items.Put()));
  }
  return items;
}

ComRef<IShellItemArray> FakeItemArray(FakeItems items, ReferenceLedger* ledger) {
  return ComRef<IShellItemArray>::Adopt(new FakeArray(std::move(items), ledger));
}

ComRef<IUnknown> ApartmentSite(HWND window, ReferenceLedger& ledger, std::function<void()> on_call) {
  return ComRef<IUnknown>::Adopt(
      static_cast<IOleWindow*>(new WatchedSite(window, ledger, std::move(on_call))));
}

HRESULT InvokeWithOwner(IExplorerCommand* command, IShellItemArray* items, HWND owner) {
  ComRef<IObjectWithSite> with_site;
  if (FAILED(command->QueryInterface(IID_IObjectWithSite, reinterpret_cast<void**>(with_site.Put())))) {
    return E_NOINTERFACE;
  }
  ComRef<IUnknown> site = ComRef<IUnknown>::Adopt(new Site(owner));
  with_site->SetSite(site.Get());
  const HRESULT hr = command->Invoke(items, nullptr);
  with_site->SetSite(nullptr);
  return hr;
}

}  // namespace vlpd::test
