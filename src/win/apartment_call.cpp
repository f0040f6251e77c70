#include "win/apartment_call.h"

#include <windows.h>

#include "win/com_owners.h"
#include "win/unique_handle.h"

namespace vlpd {
namespace {

struct Call {
  void (*function)(void*);
  void* context;
};

// Joins (or enters) a single-threaded apartment for the call; false on a thread of the
// multithreaded one.
bool CallHere(const Call& call) {
  const ComApartment apartment(COINIT_APARTMENTTHREADED);
  if (!apartment.Joined()) return false;
  call.function(call.context);
  return true;
}

DWORD WINAPI CallOnThread(LPVOID parameter) {
  const Call& call = *static_cast<const Call*>(parameter);
  // A new thread is in no apartment yet, so joining one fails only when COM itself cannot start;
  // the command then runs without one, where at least its message boxes still work.
  if (!CallHere(call)) call.function(call.context);
  return 0;
}

}  // namespace

void CallInSingleThreadedApartment(void (*function)(void*), void* context) {
  Call call = {function, context};
  if (CallHere(call)) return;
  const KernelHandle thread(CreateThread(nullptr, 0, CallOnThread, &call, 0, nullptr));
  if (!thread) {
    function(context);
    return;
  }
  WaitForSingleObject(thread.Get(), INFINITE);
}

}  // namespace vlpd
