#include "win/module_state.h"

namespace vlpd {
namespace {

HINSTANCE g_instance = nullptr;
LONG volatile g_objects = 0;

}  // namespace

HINSTANCE ModuleInstance() { return g_instance; }
void SetModuleInstance(HINSTANCE instance) { g_instance = instance; }

void AddObject() { InterlockedIncrement(&g_objects); }
void RemoveObject() { InterlockedDecrement(&g_objects); }
LONG ObjectCount() { return InterlockedCompareExchange(&g_objects, 0, 0); }

}  // namespace vlpd
