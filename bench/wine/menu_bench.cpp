// Times one QueryContextMenu call (selection refill from the shell's data object, attribute
// read, kind decision, submenu built and inserted) under Wine. A timing program, not a test:
//   cmake --preset win32 -B build/win32-bench -DVLPD_BENCH=ON
//   cmake --build build/win32-bench --target menu_bench
//   tools/wine-run.sh build/win32-bench/bench/wine/menu_bench.exe
#include <windows.h>
// The shell headers need windows.h first.
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "handler/vlpd_menu.h"
#include "win/unique_handle.h"

namespace {

constexpr int kCalls = 2000;

std::wstring Wide(const std::string& text) {
  const int units = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring w(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, w.data(), units);
  w.resize(static_cast<size_t>(units) - 1);
  return w;
}

// The data object the shell hands to a handler for `names` inside `folder`.
vlpd::ComRef<IDataObject> ShellDataObject(const std::string& folder, const std::vector<std::string>& names) {
  vlpd::ComRef<IDataObject> data;
  vlpd::ComRef<IShellFolder> desktop;
  vlpd::ComRef<IShellFolder> parent;
  if (FAILED(SHGetDesktopFolder(desktop.Put()))) return data;
  std::wstring wfolder = Wide(folder);
  LPITEMIDLIST folder_id = nullptr;
  if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, wfolder.data(), nullptr, &folder_id, nullptr)))
    return data;
  const HRESULT bound =
      desktop->BindToObject(folder_id, nullptr, IID_IShellFolder, reinterpret_cast<void**>(parent.Put()));
  CoTaskMemFree(folder_id);
  if (FAILED(bound)) return data;
  std::vector<LPITEMIDLIST> children;
  for (const std::string& name : names) {
    std::wstring wname = Wide(name);
    LPITEMIDLIST child = nullptr;
    if (SUCCEEDED(parent->ParseDisplayName(nullptr, nullptr, wname.data(), nullptr, &child, nullptr))) {
      children.push_back(child);
    }
  }
  if (children.size() == names.size()) {
    parent->GetUIObjectOf(nullptr, static_cast<UINT>(children.size()),
                          const_cast<LPCITEMIDLIST*>(children.data()), IID_IDataObject, nullptr,
                          reinterpret_cast<void**>(data.Put()));
  }
  for (LPITEMIDLIST child : children) CoTaskMemFree(child);
  return data;
}

void Time(const char* label, IDataObject* data) {
  auto* handler = new vlpd::CVLPDMenu();
  handler->AddRef();
  if (data == nullptr || FAILED(handler->Initialize(nullptr, data, nullptr))) {
    std::printf("%-28s no data object\n", label);
    handler->Release();
    return;
  }
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> micros;
  micros.reserve(kCalls);
  int added = 0;
  for (int call = 0; call < kCalls; ++call) {
    HMENU menu = CreatePopupMenu();
    LARGE_INTEGER from;
    LARGE_INTEGER to;
    QueryPerformanceCounter(&from);
    const HRESULT hr = handler->QueryContextMenu(menu, 0, 1, 100, CMF_NORMAL);
    QueryPerformanceCounter(&to);
    DestroyMenu(menu);
    if (HRESULT_CODE(hr) == 9) ++added;
    micros.push_back(1e6 * static_cast<double>(to.QuadPart - from.QuadPart) /
                     static_cast<double>(frequency.QuadPart));
  }
  handler->Release();
  std::sort(micros.begin(), micros.end());
  double sum = 0;
  for (double m : micros) sum += m;
  std::printf("%-28s median %7.1f us  mean %7.1f us  p90 %7.1f us  (%d of %d added the submenu)\n", label,
              micros[micros.size() / 2], sum / static_cast<double>(micros.size()),
              micros[micros.size() * 9 / 10], added, kCalls);
}

}  // namespace

int main() {
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + "vlpd_menu_bench";
  CreateDirectoryA(folder.c_str(), nullptr);
  std::vector<std::string> names;
  for (int i = 0; i < 100; ++i) {
    names.push_back("file" + std::to_string(i) + ".txt");
    vlpd::FileHandle file(CreateFileA((folder + "\\" + names.back()).c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_ALWAYS, 0, nullptr));
  }
  std::printf("QueryContextMenu, %d calls each, shell data objects:\n", kCalls);
  Time("one text file", ShellDataObject(folder, {names[0]}).Get());
  Time("three files", ShellDataObject(folder, {names[0], names[1], names[2]}).Get());
  Time("one hundred files", ShellDataObject(folder, names).Get());
  for (const std::string& name : names) DeleteFileA((folder + "\\" + name).c_str());
  RemoveDirectoryA(folder.c_str());
  CoUninitialize();
  return 0;
}
