// Handlers on two apartment threads at once, each refilling its selection for every menu: every
// menu must match its own thread's selection, never the other thread's.
#include <windows.h>
// The shell headers need windows.h first.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <atomic>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "fixtures/command_rows.h"
#include "host/menu_reader.h"
#include "host/test_data_object.h"
#include "host/vlpd_dll.h"
#include "server/clsid.h"
#include "tests/support/temp_dir.h"
#include "win/apartment_call.h"

namespace vlpd::test {
namespace {

constexpr int kRounds = 400;
constexpr HRESULT kAdded = MAKE_HRESULT(0, 0, kCommandCount);  // QueryContextMenu's answer

// Grayed flags of the submenu's positions, as text: G grayed, E enabled, S separator.
std::string States(HMENU menu) {
  const std::vector<ReadItem> outer = ReadMenu(menu);
  if (outer.size() != 3 || outer[1].submenu == nullptr) return "no submenu";
  std::string states;
  for (const ReadItem& item : ReadMenu(outer[1].submenu))
    states += item.separator ? 'S' : item.grayed ? 'G' : 'E';
  return states;
}

struct Selection {
  ComRef<TestDataObject> data;
  SelectionKind kind;  // what its menu must show
};

// Waits until both threads have added one to `count` for the `round`th time (each thread's own
// work bounds the wait).
void Meet(std::atomic<int>* count, int round) {
  for (count->fetch_add(1); count->load() < 2 * round;) Sleep(0);
}

// Alternates between two selections on one handler of this thread's own apartment; `first_wrong`
// describes the first round that went wrong.
void Drive(const VlpdDll& dll, Selection* selections, std::atomic<int>* met, std::atomic<int>* wrong,
           std::string* first_wrong) {
  ComApartment apartment;
  ComRef<IContextMenu> handler = dll.CreateHandler();
  ComRef<IShellExtInit> init;
  if (!handler || FAILED(handler->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(init.Put())))) {
    wrong->fetch_add(kRounds);
    *first_wrong = "no handler";
  }
  Meet(met, 1);
  for (int round = 0; init && round < kRounds; ++round) {
    const Selection& selection = selections[round % 2];
    const MenuHandle menu(CreatePopupMenu());
    const HRESULT initialized = init->Initialize(nullptr, selection.data.Get(), nullptr);
    const HRESULT added = handler->QueryContextMenu(menu.Get(), 0, 1, 100, CMF_NORMAL);
    const std::string states = States(menu.Get());
    if (initialized == S_OK && added == kAdded && states == SubmenuStates(selection.kind)) continue;
    if (wrong->fetch_add(1) == 0) {
      *first_wrong = "round " + std::to_string(round) + ": Initialize " + std::to_string(initialized) +
                     ", QueryContextMenu " + std::to_string(added) + ", menu " + states;
    }
  }
  // Wine 8 frees a destroyed window's handle slot after the server has already handed it out
  // again: a menu another thread makes meanwhile loses its slot and stops being a menu. Leaving
  // the apartment destroys its window, so neither thread leaves while the other makes menus.
  Meet(met, 2);
}

TEST(ConcurrentHandlers, EachMenuMatchesItsOwnSelection) {
  VlpdDll dll;
  ASSERT_TRUE(dll.Loaded());
  TempDir dir("vlpd_threads");
  const std::string text = dir.WriteFile("a.txt", "x");
  const std::string project = dir.WriteFile("p.vpj", "x");
  const std::string folder = dir.MakeFolder("sub");
  const std::string other = dir.WriteFile("b.txt", "x");

  Selection first[2] = {{TestDataObject::Make({text}), SelectionKind::kSingleFile},
                        {TestDataObject::Make({folder}), SelectionKind::kSeveral}};
  Selection second[2] = {{TestDataObject::Make({project}), SelectionKind::kSingleProject},
                         {TestDataObject::Make({other, text, project}), SelectionKind::kSeveral}};
  std::atomic<int> met{0};
  std::atomic<int> wrong_first{0};
  std::atomic<int> wrong_second{0};
  std::string first_wrong[2];
  std::thread a(Drive, std::cref(dll), first, &met, &wrong_first, &first_wrong[0]);
  std::thread b(Drive, std::cref(dll), second, &met, &wrong_second, &first_wrong[1]);
  a.join();
  b.join();
  EXPECT_EQ(wrong_first.load(), 0) << first_wrong[0];
  EXPECT_EQ(wrong_second.load(), 0) << first_wrong[1];
  EXPECT_EQ(dll.CanUnloadNow(), S_OK);
}

// One factory and one handler counted from eight threads in 100 bursts that start together (a
// thread done within its first time slice races with none): no count is lost or gained.
TEST(ConcurrentHandlers, ReferenceCountsHoldOnEightThreads) {
  VlpdDll dll;
  ComRef<IClassFactory> factory;
  ASSERT_EQ(dll.GetClassObject(kClsidVLPDMenu, IID_IClassFactory, reinterpret_cast<void**>(factory.Put())),
            S_OK);
  ComRef<IContextMenu> handler = dll.CreateHandler();
  IUnknown* const objects[2] = {factory.Get(), handler.Get()};
  std::atomic<int> started{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&objects, &started, t] {
      for (int burst = 1; burst <= 100; ++burst) {
        for (started.fetch_add(1); started.load() < 8 * burst;) Sleep(0);
        for (int round = 0; round < 125; ++round) {
          IUnknown* again = nullptr;
          objects[(round + t) % 2]->AddRef();
          if (SUCCEEDED(objects[round % 2]->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&again))))
            again->Release();
          objects[(round + t) % 2]->Release();
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  factory.Reset();
  handler.Reset();
  EXPECT_EQ(dll.CanUnloadNow(), S_OK) << "a count was lost or gained";
}

// A chosen command may come on any thread: it runs in a single-threaded apartment all the same, on
// the caller's own thread unless that one is in the multithreaded apartment, and is over when the
// call returns.
TEST(ApartmentCall, TheCallRunsInASingleThreadedApartmentFromAnyThread) {
  const struct {
    const char* name;
    bool joins;  // the caller's thread joins an apartment first
    DWORD apartment;
    bool in_place;
  } callers[] = {{"no apartment", false, 0, true},
                 {"a single-threaded one", true, COINIT_APARTMENTTHREADED, true},
                 {"the multithreaded one", true, COINIT_MULTITHREADED, false}};
  for (const auto& caller : callers) {
    SCOPED_TRACE(caller.name);
    struct Seen {
      DWORD thread = 0;
      APTTYPE type = APTTYPE_MTA;
    } seen;
    DWORD caller_thread = 0;
    std::thread([&] {
      std::optional<ComApartment> joined;
      if (caller.joins) joined.emplace(caller.apartment);
      caller_thread = GetCurrentThreadId();
      CallInSingleThreadedApartment(
          [](void* context) {
            auto* seen = static_cast<Seen*>(context);
            APTTYPEQUALIFIER qualifier;
            CoGetApartmentType(&seen->type, &qualifier);
            seen->thread = GetCurrentThreadId();
          },
          &seen);
    }).join();
    EXPECT_TRUE(seen.type == APTTYPE_STA || seen.type == APTTYPE_MAINSTA) << seen.type;
    EXPECT_EQ(seen.thread == caller_thread, caller.in_place);
  }
}

}  // namespace
}  // namespace vlpd::test
