// Times project creation with automatic encoding detection against a plain walk that opens,
// reads and closes the same files, under Wine. A timing program, not a test:
//   cmake --preset win32 -B build/win32-bench -DVLPD_BENCH=ON
//   cmake --build build/win32-bench --target project_bench
//   source tools/wine-env.sh
//   xvfb-run -a tools/wine-run.sh build/win32-bench/bench/wine/project_bench.exe
// A display is needed: a creation that takes more than a second shows its progress window, and
// that window is part of what is timed, as it is in Explorer.
#include <objbase.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "project/project_file.h"
#include "selection/selection_list.h"
#include "win/unique_handle.h"

namespace {

// One line short of the member limit, whose message box would stop the clock.
constexpr int kFiles = 7499;
constexpr int kPerFolder = 100;
// Odd rounds time the project first, so that neither side always finds the caches the other
// left; each round's ratio compares two runs seconds apart, which load from elsewhere on the
// machine disturbs less than it does the times themselves.
constexpr int kRounds = 9;
constexpr DWORD kReadSize = 262144;

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
  RemoveTree(root);

  std::printf("%d files, %d rounds\n", kFiles, kRounds);
  std::printf("plain walk (open, read, close): %8.1f ms median, %8.1f ms best\n", Median(plain_times) * 1000,
              *std::min_element(plain_times.begin(), plain_times.end()) * 1000);
  std::printf("project, automatic detection:   %8.1f ms median, %8.1f ms best\n",
              Median(project_times) * 1000,
              *std::min_element(project_times.begin(), project_times.end()) * 1000);
  std::printf("ratio project / plain walk:     %8.2f (median of the rounds' ratios)\n", Median(ratios));
  return 0;
}
