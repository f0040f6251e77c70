// Long use of the built DLL: right-clicks on two apartment threads at once (class factory,
// Initialize, QueryContextMenu, every help text in both forms, Release) and name copies beside
// them. Afterwards no object of the DLL is alive and the process holds what it held before.
// The test command runs a short soak; tools/soak.sh sets VLPD_LONG_RUN for the full one.
#include <windows.h>
// The shell headers need windows.h first.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "fixtures/command_rows.h"
#include "host/test_data_object.h"
#include "host/vlpd_dll.h"
#include "server/clsid.h"
#include "tests/support/clipboard.h"
#include "tests/support/temp_dir.h"

namespace vlpd::test {
namespace {

constexpr int kShortRounds = 1000;
constexpr int kFullRounds = 10000;
constexpr int kCopies = 200;
constexpr int kWarmUpRounds = 50;

// How much the process may hold more afterwards: lazily made caches of Wine's own, never a
// per-round leak, which the long run would multiply far past these.
constexpr long kHandleSlack = 4;                // kernel handles
constexpr long kUserObjectSlack = 0;            // menus and windows
constexpr long kGdiObjectSlack = 0;             // bitmaps (the caption's icon is made once)
constexpr long long kMemorySlack = 512 * 1024;  // committed bytes

int Rounds() { return std::getenv("VLPD_LONG_RUN") != nullptr ? kFullRounds : kShortRounds; }

// What the process holds. Wine answers 0 to GetProcessHandleCount and GetGuiResources, so the
// kernel handles are counted by asking every handle value of the table about itself (the next
// value handed out misses leaks once earlier handles close below them), and the menus and
// windows through their handle table, whose 16-bit handles match any generation.
struct Holdings {
  long kernel_handles = 0;
  long user_objects = 0;
  long gdi_objects = 0;
  long long committed = 0;
};

long KernelHandles() {
  long count = 0;
  DWORD flags = 0;
  for (UINT_PTR value = 4; value < 4 * 32768; value += 4) {
    if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
  }
  return count;
}

long UserObjects() {
  long count = 0;
  for (UINT_PTR index = 0x20; index <= 0xFFEF; index += 2) {
    if (IsMenu(reinterpret_cast<HMENU>(index))) ++count;
    const HWND window = reinterpret_cast<HWND>(index);
    DWORD pid = 0;
    if (IsWindow(window) && GetWindowThreadProcessId(window, &pid) != 0 && pid == GetCurrentProcessId())
      ++count;
  }
  return count;
}

// GDI objects through their handle table too: Wine matches a handle whose high word is 0 to its
// entry of any generation, as it does for menus and windows.
long GdiObjects() {
  long count = 0;
  for (UINT_PTR value = 4; value <= 0xFFFC; value += 4) {
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(value)) != 0) ++count;
  }
  return count;
}

long long CommittedBytes() {
  long long total = 0;
  MEMORY_BASIC_INFORMATION region;
  for (const char* at = nullptr; VirtualQuery(at, &region, sizeof region) == sizeof region;
       at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
    if (region.State == MEM_COMMIT) total += region.RegionSize;
    if (static_cast<const char*>(region.BaseAddress) + region.RegionSize < at) break;  // wrapped round
  }
  return total;
}

Holdings Measure() { return {KernelHandles(), UserObjects(), GdiObjects(), CommittedBytes()}; }

// One right-click as Explorer makes it; false when the handler did not answer as it should.
bool RightClick(const VlpdDll& dll, IDataObject* data) {
  ComRef<IClassFactory> factory;
  if (FAILED(
          dll.GetClassObject(kClsidVLPDMenu, IID_IClassFactory, reinterpret_cast<void**>(factory.Put())))) {
    return false;
  }
  ComRef<IContextMenu> handler;
  if (FAILED(factory->CreateInstance(nullptr, IID_IContextMenu, reinterpret_cast<void**>(handler.Put())))) {
    return false;
  }
  factory.Reset();
  ComRef<IShellExtInit> init;
  if (FAILED(handler->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(init.Put()))) ||
      FAILED(init->Initialize(nullptr, data, nullptr))) {
    return false;
  }
  bool ok = handler->QueryContextMenu(MenuHandle(CreatePopupMenu()).Get(), 0, 1, 0x7FFF, CMF_NORMAL) ==
            MAKE_HRESULT(SEVERITY_SUCCESS, 0, kCommandCount);
  for (UINT_PTR command = 0; command < kCommandCount; ++command) {
    char ansi[64] = {};
    WCHAR wide[64] = {};
    ok = ok && handler->GetCommandString(command, GCS_HELPTEXTA, nullptr, ansi, sizeof ansi) == S_OK &&
         ansi[0] != '\0' &&
         handler->GetCommandString(command, GCS_HELPTEXTW, nullptr, reinterpret_cast<LPSTR>(wide), 64) ==
             S_OK &&
         wide[0] != L'\0';
  }
  return ok;
}

// Right-clicks in an apartment of this thread's own, alternating between a file and a folder.
void Clicker(const VlpdDll& dll, const std::string& file, const std::string& folder, int rounds,
             std::atomic<int>* wrong, std::atomic<long>* unreleased) {
  ComApartment apartment;
  DropOptions counted;
  counted.count_releases = true;
  ComRef<TestDataObject> selections[2] = {TestDataObject::Make({file}, counted),
                                          TestDataObject::Make({folder}, counted)};
  for (int round = 0; round < rounds; ++round) {
    if (!RightClick(dll, selections[round % 2].Get())) ++*wrong;
  }
  for (const ComRef<TestDataObject>& data : selections) {
    *unreleased += data->MediaHandedOut() - data->MediaReleased();
    if (data->References() != 1) ++*wrong;
  }
}

// Both apartments at once and the name copies on the calling thread meanwhile.
void Soak(const VlpdDll& dll, const TempDir& dir, int rounds, int copies) {
  const std::string file = dir / "a.txt";
  const std::string folder = dir / "sub";
  std::atomic<int> wrong_first{0}, wrong_second{0};
  std::atomic<long> unreleased{0};
  std::thread first(Clicker, std::cref(dll), file, folder, rounds, &wrong_first, &unreleased);
  std::thread second(Clicker, std::cref(dll), folder, file, rounds, &wrong_second, &unreleased);

  ComRef<TestDataObject> names = TestDataObject::Make({file, folder});
  int wrong_copies = 0;
  for (int copy = 0; copy < copies; ++copy) {
    PutClipboardText("before");
    if (InvokeOnNewHandler(dll, names.Get(), MAKEINTRESOURCEA(OffsetOf(CommandAction::kCopyNames))) != S_OK ||
        ReadClipboardText().bytes != file + "\r\n" + folder + std::string(2, '\0')) {
      ++wrong_copies;
    }
  }
  first.join();
  second.join();
  EXPECT_EQ(wrong_first.load(), 0);
  EXPECT_EQ(wrong_second.load(), 0);
  EXPECT_EQ(wrong_copies, 0);
  EXPECT_EQ(unreleased.load(), 0) << "media not given back";
  EXPECT_EQ(names->References(), 1);
}

TEST(Soak, TheMeasuresSeeAHeldHandleMenuAndMemory) {
  const Holdings before = Measure();
  const KernelHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  const MenuHandle menu(CreatePopupMenu());
  const GdiObject bitmap(CreateBitmap(4, 4, 1, 32, nullptr));
  constexpr SIZE_T kBlock = 1 << 20;
  void* block = VirtualAlloc(nullptr, kBlock, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  const Holdings held = Measure();
  VirtualFree(block, 0, MEM_RELEASE);
  EXPECT_EQ(held.kernel_handles, before.kernel_handles + 1);
  EXPECT_EQ(held.user_objects, before.user_objects + 1);
  EXPECT_EQ(held.gdi_objects, before.gdi_objects + 1);
  EXPECT_GE(held.committed - before.committed, static_cast<long long>(kBlock));
}

TEST(Soak, TwoApartmentsOfRightClicksAndNameCopiesLeaveNothingBehind) {
  ComApartment com;
  VlpdDll dll;
  ASSERT_TRUE(dll.Loaded());
  TempDir dir("vlpd_soak");
  dir.WriteFile("a.txt", "text");
  dir.MakeFolder("sub");

  // Everything that is made once per process (loaded modules, Wine's caches, the clipboard's
  // window) is made before the first measure.
  Soak(dll, dir, kWarmUpRounds, 10);
  const Holdings before = Measure();
  const int rounds = Rounds();
  Soak(dll, dir, rounds, kCopies);
  const Holdings after = Measure();

  EXPECT_EQ(dll.CanUnloadNow(), S_OK) << "an object of the DLL is still alive";
  const long handles = after.kernel_handles - before.kernel_handles;
  const long user_objects = after.user_objects - before.user_objects;
  const long gdi_objects = after.gdi_objects - before.gdi_objects;
  const long long committed = after.committed - before.committed;
  std::printf("soak: %d right-clicks on each of two apartments, %d name copies\n", rounds, kCopies);
  std::printf("soak: kernel handles %ld -> %ld (%+ld)\n", before.kernel_handles, after.kernel_handles,
              handles);
  std::printf("soak: menus and windows %ld -> %ld (%+ld)\n", before.user_objects, after.user_objects,
              user_objects);
  std::printf("soak: GDI objects %ld -> %ld (%+ld)\n", before.gdi_objects, after.gdi_objects, gdi_objects);
  std::printf("soak: committed memory %lld -> %lld bytes (%+lld)\n", before.committed, after.committed,
              committed);
  EXPECT_LE(handles, kHandleSlack);
  EXPECT_LE(user_objects, kUserObjectSlack);
  EXPECT_LE(gdi_objects, kGdiObjectSlack);
  EXPECT_LE(committed, kMemorySlack);
}

}  // namespace
}  // namespace vlpd::test
