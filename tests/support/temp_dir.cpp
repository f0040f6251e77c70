#include "tests/support/temp_dir.h"

#include <windows.h>

#include <vector>

#include "win/unique_handle.h"

namespace vlpd::test {
namespace {

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA entry;
  {
    FindHandle find(FindFirstFileA((path + "\\*").c_str(), &entry));
    if (find.Valid()) {
      do {
        const std::string name = entry.cFileName;
        if (name == "." || name == "..") continue;
        const std::string child = path + "\\" + name;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(child);
        } else {
          SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
          DeleteFileA(child.c_str());
        }
      } while (FindNextFileA(find.Get(), &entry));
    }
  }
  RemoveDirectoryA(path.c_str());
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
  static LONG counter = 0;
  path_ = std::string(temp) + name + "_" + std::to_string(GetCurrentProcessId()) + "_" +
          std::to_string(InterlockedIncrement(&counter));
  RemoveTree(path_);
  CreateDirectoryA(path_.c_str(), nullptr);
}

TempDir::~TempDir() { RemoveTree(path_); }

std::string TempDir::MakeFolder(const std::string& relative) const {
  const std::string full = *this / relative;
  MakeParents(full + "\\");
  return full;
}

std::string TempDir::WriteFile(const std::string& relative, const std::string& bytes) const {
  const std::string full = *this / relative;
  MakeParents(full);
  FileHandle file(
      CreateFileA(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (file.Valid() && !bytes.empty()) {
    ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  }
  return full;
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
