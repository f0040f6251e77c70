// Loads comdlg32 before anything loads VLPDMenu.dll, in the ARM64 test programs only. Under the
// emulated arm64 Wine (qemu-user) the thread-block register x18 is lost while Wine loads comdlg32
// as an import of VLPDMenu.dll, and the runtime's DllMain faults reading it (LoadLibrary fails
// with error 998). Windows keeps x18 for the thread block: the DLL itself needs no such step.
#include <windows.h>

namespace vlpd::test {
namespace {

[[maybe_unused]] const HMODULE kComdlg32 = LoadLibraryW(L"comdlg32.dll");

}  // namespace
}  // namespace vlpd::test
