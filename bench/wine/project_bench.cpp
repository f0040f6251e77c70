// Times project creation with automatic encoding detection against a plain walk that opens,
// reads and closes the same files, under Wine: the writer alone, and the whole command as the
// user meets it, from OK in the save dialog to the return of InvokeCommand, beside the bare
// GetSaveFileNameW of the same flags and template. A timing program, not a test:
//   cmake --preset win32 -B build/win32-bench -DVLPD_BENCH=ON
//   cmake --build build/win32-bench --target project_bench VLPDMenu
//   source tools/wine-env.sh
//   xvfb-run -a tools/wine-run.sh build/win32-bench/bench/wine/project_bench.exe
// A display is needed: the save dialog is real, and a creation that takes more than a second
// shows its progress window, which is part of what is timed, as it is in Explorer.
#include <windows.h>
// The shell headers need windows.h first.
#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "fixtures/command_rows.h"
#include "host/save_dialog_user.h"
#include "host/test_data_object.h"
#include "host/vlpd_dll.h"
#include "project/project_dialog.h"
#include "project/project_file.h"
#include "project/project_text.h"
#include "selection/selection_list.h"
#include "win/unique_handle.h"
#include "win/wide_text.h"

namespace {

// One line short of the member limit, whose message box would stop the clock.
constexpr int kFiles = 7499;
constexpr int kPerFolder = 100;
// Odd rounds time the project first, so that neither side always finds the caches the other
// left; each round's ratio compares two runs seconds apart, which load from elsewhere on the
// machine disturbs less than it does the times themselves.
constexpr int kRounds = 9;
constexpr DWORD kReadSize = 262144;
// Rounds of the whole command: each one shows the dialog three times.
constexpr int kCommandRounds = 5;
constexpr UINT kCreateProject = vlpd::test::OffsetOf(vlpd::CommandAction::kCreateProject);

const std::string kSamples[] = {
    "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x95\xB6\x8F\xCD\x82\xC5\x82\xB7\x81\x42\r\n",              // Shift-JIS
    "\xC6\xFC\xCB\xDC\xB8\xEC\xA4\xCE\xCA\xB8\xBE\xCF\xA4\xC7\xA4\xB9\xA1\xA3\r\n",              // EUC
    "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE6\x96\x87\xE7\xAB\xA0\xE3\x81\x82\r\n",  // UTF-8
    std::string("T\0e\0x\0t\0\r\0\n\0", 12),                                                     // UTF-16LE
    std::string("\0T\0e\0x\0t\0\r\0\n", 12),                                                     // UTF-16BE
    "plain ASCII text\r\n",
};

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool WriteSample(const std::string& path, const std::string& text) {
  vlpd::FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  std::string bytes;
  for (int i = 0; i < 8; ++i) bytes += text;  // a few hundred bytes
  DWORD written = 0;
  return file && WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

// Opens, reads and closes every file below `folder`, asking for as much as the detector does:
// the first 256 KiB, or the whole file when its listing entry says it is smaller (under Wine a
// larger request costs more, however few bytes the file holds).
int PlainWalk(const std::string& folder, std::vector<char>& buffer) {
  int files = 0;
  WIN32_FIND_DATAA entry;
  const vlpd::FindHandle find(FindFirstFileA((folder + "\\*.*").c_str(), &entry));
  if (!find) return 0;
  do {
    const std::string name = entry.cFileName;
    if (name == "." || name == "..") continue;
    const std::string path = folder + "\\" + name;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      files += PlainWalk(path, buffer);
      continue;
    }
    const vlpd::FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    const DWORD request =
        entry.nFileSizeHigh == 0 && entry.nFileSizeLow < kReadSize ? entry.nFileSizeLow : kReadSize;
    DWORD read = 0;
    if (file && ReadFile(file.Get(), buffer.data(), request, &read, nullptr)) ++files;
  } while (FindNextFileA(find.Get(), &entry));
  return files;
}

void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA entry;
  {
    const vlpd::FindHandle find(FindFirstFileA((folder + "\\*.*").c_str(), &entry));
    if (find) {
      do {
        const std::string name = entry.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = folder + "\\" + name;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(path);
        } else {
          DeleteFileA(path.c_str());
        }
      } while (FindNextFileA(find.Get(), &entry));
    }
  }
  RemoveDirectoryA(folder.c_str());
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// The user at the save dialog, who types `name` and notes when OK is pressed. `ok` is read once
// the user has finished.
vlpd::test::SaveDialogPlan PressOkAt(const std::string& name, LARGE_INTEGER& ok) {
  vlpd::test::SaveDialogPlan plan = vlpd::test::TypeName(name);
  plan.before_ok = [&ok](HWND) { QueryPerformanceCounter(&ok); };
  return plan;
}

// The create-project command on `selected` as Explorer runs it (a new handler, the menu,
// InvokeCommand) with the user at the dialog: seconds from OK to the return. -1 on failure.
double CommandSeconds(const vlpd::test::VlpdDll& dll, const std::string& selected, const std::string& folder,
                      const std::string& project) {
  const vlpd::ComRef<vlpd::test::TestDataObject> data = vlpd::test::TestDataObject::Make({selected});
  LARGE_INTEGER ok = {};
  LARGE_INTEGER end;
  vlpd::test::SaveDialogUser user(PressOkAt(project, ok));
  const HRESULT invoked = vlpd::test::InvokeOnNewHandler(dll, data.Get(), MAKEINTRESOURCEA(kCreateProject),
                                                         nullptr, folder.c_str());
  QueryPerformanceCounter(&end);
  user.Finish();
  const bool saved = GetFileAttributesA(project.c_str()) != INVALID_FILE_ATTRIBUTES;
  DeleteFileA(project.c_str());
  return SUCCEEDED(invoked) && user.Found() && saved ? Seconds(ok, end) : -1.0;
}

UINT_PTR CALLBACK BareHook(HWND, UINT, WPARAM, LPARAM) { return 0; }

// GetSaveFileNameW alone, with the flags, title and template of the project dialog and a hook that
// does nothing: seconds from OK to its return. -1 on failure.
double BareDialogSeconds(HMODULE template_module, const std::string& folder) {
  const vlpd::WideText title(vlpd::text::kProjectDialogTitle);
  wchar_t initial[MAX_PATH] = L"";
  MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, initial, MAX_PATH);
  wchar_t chosen[MAX_PATH] = L"";
  OPENFILENAMEW description = {};
  description.lStructSize = sizeof description;
  description.hInstance = template_module;
  description.lpstrFilter = L"vpj\0*.vpj\0";
  description.lpstrFile = chosen;
  description.nMaxFile = MAX_PATH;
  description.lpstrInitialDir = initial;
  description.lpstrTitle = title.Get();
  description.Flags = vlpd::kProjectDialogFlags;
  description.lpstrDefExt = L"vpj";
  description.lpfnHook = BareHook;
  description.lpTemplateName = MAKEINTRESOURCEW(vlpd::kProjectDialogTemplate);
  LARGE_INTEGER ok = {};
  LARGE_INTEGER end;
  vlpd::test::SaveDialogUser user(PressOkAt("bare", ok));
  const BOOL chose = GetSaveFileNameW(&description);
  QueryPerformanceCounter(&end);
  user.Finish();
  return chose && user.Found() ? Seconds(ok, end) : -1.0;
}

// The whole command for one file and for the 7,499 files, beside the bare dialog and the plain
// walk, in interleaved rounds. The one-file command is the fixed cost; what the large project adds
// to it is set against the plain walk of its files.
bool CompareCommands(const std::string& root, const std::string& members, std::vector<char>& buffer) {
  const vlpd::test::VlpdDll dll;
  if (!dll.Loaded()) {
    std::fprintf(stderr, "VLPDMenu.dll not found in the build tree\n");
    return false;
  }
  const std::string one = root + "\\one.txt";
  if (!WriteSample(one, kSamples[0])) return false;
  std::vector<double> bare;
  std::vector<double> single;
  std::vector<double> many;
  std::vector<double> plain;
  for (int round = 0; round < kCommandRounds; ++round) {
    bare.push_back(BareDialogSeconds(dll.Module(), root));
    single.push_back(CommandSeconds(dll, one, root, root + "\\single.vpj"));
    many.push_back(CommandSeconds(dll, members, root, root + "\\many.vpj"));
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    const int read = PlainWalk(members, buffer);
    QueryPerformanceCounter(&end);
    plain.push_back(Seconds(start, end));
    if (bare.back() < 0 || single.back() < 0 || many.back() < 0 || read != kFiles) {
      std::fprintf(stderr, "command round %d failed\n", round);
      return false;
    }
  }
  DeleteFileA(one.c_str());
  const double fixed = Median(single);
  std::printf("\nThe command from OK in the save dialog to the return of InvokeCommand, %d rounds, median:\n",
              kCommandRounds);
  std::printf("bare GetSaveFileNameW, OK to return:   %8.1f ms\n", Median(bare) * 1000);
  std::printf("project of one file (fixed cost):      %8.1f ms  (%.1f ms beyond the bare dialog)\n",
              fixed * 1000, (fixed - Median(bare)) * 1000);
  std::printf("project of %d files:                 %8.1f ms\n", kFiles, Median(many) * 1000);
  std::printf("plain walk of those files:             %8.1f ms\n", Median(plain) * 1000);
  std::printf("per-file ratio (%d files - one) / plain walk: %.2f\n", kFiles,
              (Median(many) - fixed) / Median(plain));
  return true;
}

}  // namespace

int main() {
  // Explorer calls the handler on a thread of a single-threaded apartment.
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string root = std::string(temp) + "vlpd_project_bench";
  const std::string members = root + "\\members";
  RemoveTree(root);
  CreateDirectoryA(root.c_str(), nullptr);
  CreateDirectoryA(members.c_str(), nullptr);
  for (int i = 0; i < kFiles; ++i) {
    const std::string folder = members + "\\d" + std::to_string(i / kPerFolder);
    if (i % kPerFolder == 0) CreateDirectoryA(folder.c_str(), nullptr);
    if (!WriteSample(folder + "\\f" + std::to_string(i) + ".txt", kSamples[i % 6])) {
      std::fprintf(stderr, "could not write the sample files\n");
      return 1;
    }
  }

  vlpd::SelectionList selection;
  if (!selection.Reserve(1) || !selection.Append(members.c_str(), members.size())) return 1;
  const std::string project = root + "\\bench.vpj";
  std::vector<char> buffer(kReadSize);

  std::vector<double> plain_times;
  std::vector<double> project_times;
  std::vector<double> ratios;
  for (int round = 0; round < kRounds; ++round) {
    const bool project_first = round % 2 == 1;
    double plain_seconds = 0;
    double project_seconds = 0;
    int read = 0;
    vlpd::SaveResult saved = vlpd::SaveResult::kNotCreated;
    for (int side = 0; side < 2; ++side) {
      LARGE_INTEGER start, end;
      QueryPerformanceCounter(&start);
      if ((side == 0) == project_first) {
        saved = vlpd::SaveProject(project.c_str(), selection, root.c_str(), 0, nullptr);
        QueryPerformanceCounter(&end);
        project_seconds = Seconds(start, end);
        DeleteFileA(project.c_str());
      } else {
        read = PlainWalk(members, buffer);
        QueryPerformanceCounter(&end);
        plain_seconds = Seconds(start, end);
      }
    }
    if (read != kFiles || saved != vlpd::SaveResult::kSaved) {
      std::fprintf(stderr, "round %d: read %d files, project %s\n", round, read,
                   saved == vlpd::SaveResult::kSaved ? "saved" : "not saved");
      return 1;
    }
    plain_times.push_back(plain_seconds);
    project_times.push_back(project_seconds);
    ratios.push_back(project_seconds / plain_seconds);
  }

  std::printf("%d files, %d rounds\n", kFiles, kRounds);
  std::printf("plain walk (open, read, close): %8.1f ms median, %8.1f ms best\n", Median(plain_times) * 1000,
              *std::min_element(plain_times.begin(), plain_times.end()) * 1000);
  std::printf("project, automatic detection:   %8.1f ms median, %8.1f ms best\n",
              Median(project_times) * 1000,
              *std::min_element(project_times.begin(), project_times.end()) * 1000);
  std::printf("ratio project / plain walk:     %8.2f (median of the rounds' ratios)\n", Median(ratios));
  const bool compared = CompareCommands(root, members, buffer);
  RemoveTree(root);
  return compared ? 0 : 1;
}
