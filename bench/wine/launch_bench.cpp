// Times how long InvokeCommand holds the shell's thread for the open command, with a stand-in
// editor that becomes ready for input at once and one that takes 2 s (a cold disk, an install
// folder on a network share), the same run measuring both. A timing program, not a test:
//   cmake --preset win32 -B build/win32-bench -DVLPD_BENCH=ON
//   cmake --build build/win32-bench --target launch_bench stand_in_editor
//   tools/wine-run.sh build/win32-bench/bench/wine/launch_bench.exe
#include <windows.h>
// The shell headers need windows.h first.
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "classic_menu/vlpd_menu.h"
#include "commands/command_line.h"
#include "commands/install_folder.h"
#include "host/test_data_object.h"
#include "host/vlpd_dll.h"
#include "win/com_owners.h"
#include "win/unique_handle.h"

namespace {

constexpr int kRounds = 5;
constexpr DWORD kSlowReadyMs = 2000;
// Read by the stand-in editor: how long it takes to become ready for input.
constexpr char kReadyAfterVariable[] = "VLPD_STAND_IN_READY_AFTER_MS";

std::string ReadFileText(const std::string& path) {
  const vlpd::FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_EXISTING, 0, nullptr));
  char buffer[4096];
  DWORD read = 0;
  if (!file || !ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr)) return {};
  return std::string(buffer, read);
}

// Milliseconds InvokeCommand held its caller, median of the rounds; the editor of each round has
// become ready before the next starts.
double HoldMs(IDataObject* data, const std::string& record) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> held;
  for (int round = 0; round < kRounds; ++round) {
    DeleteFileA(record.c_str());
    auto* handler = new vlpd::CVLPDMenu();
    handler->AddRef();
    handler->Initialize(nullptr, data, nullptr);
    const vlpd::MenuHandle menu(CreatePopupMenu());
    handler->QueryContextMenu(menu.Get(), 0, 1, 100, CMF_NORMAL);
    LARGE_INTEGER from;
    LARGE_INTEGER to;
    QueryPerformanceCounter(&from);
    vlpd::test::InvokeCommand(handler, MAKEINTRESOURCEA(0), nullptr, nullptr);
    QueryPerformanceCounter(&to);
    handler->Release();
    held.push_back(1e3 * static_cast<double>(to.QuadPart - from.QuadPart) /
                   static_cast<double>(frequency.QuadPart));
    while (ReadFileText(record).find("ready") == std::string::npos) Sleep(20);
    Sleep(200);  // the editor quits and the worker gives the module back
  }
  std::sort(held.begin(), held.end());
  return held[held.size() / 2];
}

}  // namespace

int main() {
  const std::string stand_in =
      vlpd::test::FindInBuildTree(std::string("tools\\stand_in_editor\\") + vlpd::kEditorExeName);
  if (stand_in.empty()) {
    std::printf("stand-in editor not built\n");
    return 1;
  }
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  const std::string folder = std::string(temp) + "vlpd_launch_bench";
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string selected = folder + "\\memo.txt";
  vlpd::FileHandle(CreateFileA(selected.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  CopyFileA(stand_in.c_str(), (folder + "\\" + vlpd::kEditorExeName).c_str(), FALSE);
  vlpd::RegKey key;
  RegCreateKeyExA(HKEY_CURRENT_USER, vlpd::kInstallKeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Put(),
                  nullptr);
  RegSetValueExA(key.Get(), vlpd::kInstallValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                 static_cast<DWORD>(folder.size() + 1));

  const vlpd::ComApartment apartment;
  const auto data = vlpd::test::TestDataObject::Make({selected});
  const std::string record = folder + "\\cmdline.txt";
  SetEnvironmentVariableA(kReadyAfterVariable, nullptr);
  const double at_once = HoldMs(data.Get(), record);
  SetEnvironmentVariableA(kReadyAfterVariable, std::to_string(kSlowReadyMs).c_str());
  const double slow = HoldMs(data.Get(), record);
  SetEnvironmentVariableA(kReadyAfterVariable, nullptr);
  std::printf("InvokeCommand (open) holds its caller, median of %d:\n", kRounds);
  std::printf("  editor ready at once        %8.1f ms\n", at_once);
  std::printf("  editor ready after %4lu ms  %8.1f ms   (%.2f times the first)\n",
              static_cast<unsigned long>(kSlowReadyMs), slow, slow / at_once);
  RegDeleteValueA(key.Get(), vlpd::kInstallValueName);
  return 0;
}
