#include "win/module_worker.h"

#include <windows.h>

#include <new>

#include "win/unique_handle.h"

namespace vlpd {
namespace {

struct Job {
  void (*work)(void*);
  void* context;
  ModuleReference module;
};

DWORD WINAPI RunJob(LPVOID parameter) {
  auto* job = static_cast<Job*>(parameter);
  job->work(job->context);
  const HMODULE module = job->module.Release();
  delete job;
  // Gives the module back and ends the thread without returning into the module.
  FreeLibraryAndExitThread(module, 0);
}

}  // namespace

bool StartHoldingModule(void (*work)(void*), void* context) {
  ModuleReference module;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&RunJob),
                          module.Put())) {
    return false;
  }
  auto* job = new (std::nothrow) Job{work, context, std::move(module)};
  if (job == nullptr) return false;
  const KernelHandle thread(CreateThread(nullptr, 0, RunJob, job, 0, nullptr));
  if (!thread) delete job;
  return static_cast<bool>(thread);
}

}  // namespace vlpd
