// The module entry point and the exported functions through which the shell reaches the server.
#include <windows.h>

#include "classic_menu/caption_bitmap.h"
#include "server/class_factory.h"
#include "win/module_state.h"
#include "win/system_lead_bytes.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    vlpd::SetModuleInstance(instance);
    // Before any thread can scan a path; the code page cannot change while the process runs.
    vlpd::ReadSystemLeadBytes();
  }
  // Freed on FreeLibrary; a process that is ending takes its GDI objects with it.
  if (reason == DLL_PROCESS_DETACH && reserved == nullptr) vlpd::FreeCaptionBitmap();
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* out) {
  return vlpd::GetVLPDMenuClassObject(clsid, riid, out);
}

STDAPI DllCanUnloadNow() { return vlpd::ObjectCount() == 0 ? S_OK : S_FALSE; }
