#include "tests/support/temp_dir.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "win/unique_handle.h"

namespace vlpd::test {
namespace {

// Writes `bytes` into the file just created; it stays empty when there are none.
void WriteAll(const FileHandle& file, const std::string& bytes) {
  DWORD written = 0;
  if (file && !bytes.empty())
    ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// By UTF-16 names: an ANSI listing would show names outside code page 932 as '?'.
void RemoveTree(const std::wstring& path) {
  WIN32_FIND_DATAW entry;
  {
    FindHandle find(FindFirstFileW((path + L"\\*").c_str(), &entry));
    if (find.Valid()) {
      do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring child = path + L"\\" + name;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(child);
        } else {
          SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
          DeleteFileW(child.c_str());
        }
      } while (FindNextFileW(find.Get(), &entry));
    }
  }
  RemoveDirectoryW(path.c_str());
}

void MakeParents(const std::string& path) {
  for (size_t slash = path.find('\\', 3); slash != std::string::npos; slash = path.find('\\', slash + 1)) {
    CreateDirectoryA(path.substr(0, slash).c_str(), nullptr);
  }
}

}  // namespace

TempDir::TempDir(const std::string& name) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  // Wine makes a long name's 8.3 alias from a 15-bit hash that nothing keeps unique within a
  // folder, and takes an alias for the first entry whose hash matches. Folders left in the shared
  // temp folder by killed runs, or made there by tests running beside this one, could then share
  // an alias with this one, and GetShortPathNameW, which walks the path by aliases, would turn
  // into the other folder. The private parent has an 8.3 name, so it has no alias, and is created
  // exclusively; the long name below it is its only entry.
  static LONG counter = 0;
  const unsigned start =
      GetCurrentProcessId() * 40503u + static_cast<unsigned>(InterlockedIncrement(&counter));
  for (unsigned i = 0; i <= 0xFFFF && owner_.empty(); ++i) {
    char own[16];
    std::snprintf(own, sizeof own, "VLPD%04X", (start + i) & 0xFFFFu);
    const std::string candidate = std::string(temp) + own;
    if (CreateDirectoryA(candidate.c_str(), nullptr)) owner_ = candidate;
  }
  path_ = owner_ + "\\" + name;
  CreateDirectoryA(path_.c_str(), nullptr);
}

TempDir::~TempDir() {
  if (!owner_.empty()) RemoveTree(Wide(owner_));
}

std::string TempDir::MakeFolder(const std::string& relative) const {
  const std::string full = *this / relative;
  MakeParents(full + "\\");
  return full;
}

std::string TempDir::WriteFile(const std::string& relative, const std::string& bytes) const {
  const std::string full = *this / relative;
  MakeParents(full);
  WriteAll(FileHandle(CreateFileA(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)),
           bytes);
  return full;
}

std::wstring TempDir::WriteFileW(const std::wstring& relative, const std::string& bytes) const {
  const std::wstring full = WidePath() + L"\\" + relative;
  WriteAll(FileHandle(CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)),
           bytes);
  return full;
}

std::string ShortAlias(const std::wstring& path) {
  WIN32_FIND_DATAW entry;
  const FindHandle find(FindFirstFileW(path.c_str(), &entry));
  return find.Valid() ? Narrow(entry.cAlternateFileName) : std::string();
}

std::string ReadFileBytes(const std::string& path) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  std::string bytes;
  if (!file.Valid()) return bytes;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  return bytes;
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace vlpd::test
