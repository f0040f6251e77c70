// Runs a call in a single-threaded apartment, whatever apartment the calling thread is in. The
// shell may hand a chosen command to a background thread of its own, and the save dialog (like
// every shell namespace user) works only in a single-threaded apartment.
#pragma once

namespace vlpd {

// Calls `function(context)` on this thread when it is in a single-threaded apartment or in none
// (it then joins one for the call); from a thread of the multithreaded apartment, on a new thread
// in an apartment of its own, and returns when that call has returned.
void CallInSingleThreadedApartment(void (*function)(void*), void* context);

}  // namespace vlpd
