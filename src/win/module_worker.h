// Work that must not hold the shell's thread: it runs on a thread of its own that keeps this
// module loaded until the work has returned, so that a host unloading the DLL meanwhile (its
// objects are gone, DllCanUnloadNow says yes) does not pull the code from under it.
#pragma once

namespace vlpd {

// Starts `work(context)` on a new thread holding the module; false (and nothing run) when no
// thread could be started. The work owns `context` from the moment this returns true.
bool StartHoldingModule(void (*work)(void*), void* context);

}  // namespace vlpd
