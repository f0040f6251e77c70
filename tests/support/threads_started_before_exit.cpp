// Built into every Windows test program: before the program ends, it waits until each of its
// threads has started. Wine 8 can crash a process that ends while one of its threads is still
// starting: the signal that ends the new thread reaches it before its Linux thread block is set
// up, and ntdll's handler faults (SIGSEGV, exit status 139, after every test has passed). Google
// Test starts such a thread late in a short program: the watcher thread of the first per-thread
// value it keeps for a thread (SCOPED_TRACE). Windows ends such a thread cleanly.
#include <windows.h>
// tlhelp32.h needs windows.h first.
#include <tlhelp32.h>

#include "win/unique_handle.h"

namespace vlpd::test {
namespace {

// The threads the loader has started, recorded from the callback below. A program of more threads
// than this waits only the bound below at its end.
constexpr LONG kThreadRoom = 4096;
DWORD g_started[kThreadRoom];
LONG g_started_count = 0;

// The loader calls this in each new thread once the thread runs, before its start routine.
void NTAPI RecordThreadStart(PVOID, DWORD reason, PVOID) {
  if (reason != DLL_THREAD_ATTACH) return;
  const LONG slot = InterlockedIncrement(&g_started_count) - 1;
  if (slot < kThreadRoom)
    InterlockedExchange(reinterpret_cast<LONG*>(&g_started[slot]), GetCurrentThreadId());
}

bool Started(DWORD thread) {
  const LONG count = InterlockedCompareExchange(&g_started_count, 0, 0);
  for (LONG i = 0; i < count && i < kThreadRoom; ++i) {
    if (InterlockedCompareExchange(reinterpret_cast<LONG*>(&g_started[i]), 0, 0) ==
        static_cast<LONG>(thread)) {
      return true;
    }
  }
  return false;
}

// True when every other thread of this process has been seen starting.
bool AllThreadsStarted() {
  const FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  if (!snapshot.Valid()) return true;
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot.Get(), &entry); more; more = Thread32Next(snapshot.Get(), &entry)) {
    if (entry.th32OwnerProcessID == GetCurrentProcessId() && entry.th32ThreadID != GetCurrentThreadId() &&
        !Started(entry.th32ThreadID)) {
      return false;
    }
  }
  return true;
}

// Runs among the program's exit handlers, before the process ends its other threads.
struct WaitForStartingThreads {
  ~WaitForStartingThreads() {
    // A bound for a thread that never starts; the threads wait for nothing but the processor.
    const ULONGLONG give_up = GetTickCount64() + 30000;
    while (!AllThreadsStarted() && GetTickCount64() < give_up) Sleep(1);
  }
} g_wait_at_exit;

}  // namespace
}  // namespace vlpd::test

// The loader's thread callbacks run in the order of their section names, between .CRT$XLA and
// .CRT$XLZ.
extern "C" __attribute__((section(".CRT$XLY"), used)) const PIMAGE_TLS_CALLBACK vlpd_record_thread_start =
    vlpd::test::RecordThreadStart;
