// Stands in for PowerShell in the throwaway Wine prefix of the installer's Windows 11 tests, which
// put it where the installer looks for powershell.exe. Appends its command line, one line a call,
// to calls.txt beside itself, and exits with status 1, as PowerShell does when Windows refuses a
// package (an unsigned one, say): the installation must go on.
#include <windows.h>

#include <string>

#include "win/unique_handle.h"

int main() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length == MAX_PATH) return 2;
  std::string log(path, length);
  log.erase(log.find_last_of('\\') + 1);
  log += "calls.txt";
  const vlpd::FileHandle file(CreateFileA(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return 2;
  const std::string line = std::string(GetCommandLineA()) + "\n";
  DWORD written = 0;
  WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  return 1;
}
