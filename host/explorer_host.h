// Plays the Explorer of Windows 11: the command tree of a root command, the shell item arrays it
// hands over (Wine's own, or fakes with the odd shapes a shell may produce), and the site that
// names the owner window. Shared by the Wine tests and the demo; no test framework inside.
#pragma once

#include <windows.h>
// The shell headers need windows.h first.
#include <shobjidl.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "win/unique_handle.h"

namespace vlpd::test {

// The root's subcommands in order, as its enumerator hands them out one at a time.
std::vector<ComRef<IExplorerCommand>> SubCommands(IExplorerCommand* root);

// What the menu shows of one command for `items`; strings as UTF-16, empty where not given.
struct ShownCommand {
  EXPCMDFLAGS flags = 0;
  std::wstring title;
  std::wstring tip;
  HRESULT state_result = E_FAIL;
  EXPCMDSTATE state = 0;
};
// Asks for the state as Explorer does: first without touching the disk, again when told E_PENDING.
ShownCommand ShowCommand(IExplorerCommand* command, IShellItemArray* items);

// The item array Wine's shell makes of a data object (its ID list), as Explorer passes it.
ComRef<IShellItemArray> ShellItemArray(IDataObject* data);
// An array of one item outside the file system (the computer folder).
ComRef<IShellItemArray> VirtualItemArray();

// The reference count of a fake that a ledger may keep (see ReferenceLedger).
class ReferenceLedger;
class Tracked {
 public:
  Tracked(const Tracked&) = delete;
  Tracked& operator=(const Tracked&) = delete;
  virtual ~Tracked() = default;

 protected:
  explicit Tracked(ReferenceLedger* ledger);
  ULONG Add() { return static_cast<ULONG>(++references_); }
  // The count left; the fake goes at zero unless a ledger keeps it.
  ULONG Drop();
  // A call into the fake, counted when nobody but the ledger holds it or it comes from another
  // thread than the one that made it.
  void NoteCall();

 private:
  friend class ReferenceLedger;
  std::atomic<long> references_{1};
  ReferenceLedger* ledger_;
  DWORD thread_ = GetCurrentThreadId();
};

// Keeps the fakes made with it alive until it goes, and counts what happens to them, so that a
// reference released once too often, or a call into a fake nobody holds any more, shows in a
// count instead of a crash. Destroy it after every reference to its fakes is gone.
class ReferenceLedger {
 public:
  ReferenceLedger() = default;
  ~ReferenceLedger();
  ReferenceLedger(const ReferenceLedger&) = delete;
  ReferenceLedger& operator=(const ReferenceLedger&) = delete;

  // References to its fakes held by anyone but the ledger.
  long Held();
  // Releases of a reference nobody held.
  long ExtraReleases() const { return extra_releases_; }
  // Calls (other than AddRef and Release) into a fake that only the ledger still held.
  long CallsIntoReleased() const { return calls_into_released_; }
  // Calls into a fake of a single-threaded apartment from another thread than its own.
  long CallsFromOtherThreads() const { return calls_from_other_threads_; }

 private:
  friend class Tracked;
  void Keep(Tracked* fake);

  std::mutex mutex_;
  std::vector<Tracked*> kept_;
  std::atomic<long> extra_releases_{0};
  std::atomic<long> calls_into_released_{0};
  std::atomic<long> calls_from_other_threads_{0};
};

// A hand-made item array: `count` items named `prefix` + number (or the `paths` given), each in
// the file system unless told otherwise, with GetDisplayName failing when `failing_names`.
struct FakeItems {
  std::vector<std::wstring> paths;
  std::size_t count = 0;
  std::wstring prefix = L"C:\\fake\\item";
  bool file_system = true;
  bool failing_names = false;
  // The first `outside` items name a path but are not in the file system (a search result's or a
  // library's item may do so).
  std::size_t outside = 0;
  SFGAOF more_attributes = 0;  // SFGAO_FOLDER: compressed folders (a .zip is a folder and a stream)
};
ComRef<IShellItemArray> FakeItemArray(FakeItems items, ReferenceLedger* ledger = nullptr);

// A site of this thread's apartment whose GetWindow names `window`, counted in `ledger` (calls
// from another thread count there: a proxy brings each call to this thread). `on_call` runs as
// each call begins: what another thread may do at that moment.
ComRef<IUnknown> ApartmentSite(HWND window, ReferenceLedger& ledger, std::function<void()> on_call = {});

// Invokes `command` with a site that answers IOleWindow with `owner`, as Explorer's menu
// presenter does for the chosen item.
HRESULT InvokeWithOwner(IExplorerCommand* command, IShellItemArray* items, HWND owner);

}  // namespace vlpd::test
