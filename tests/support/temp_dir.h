// A fresh folder in a private folder of its own under the Wine temp folder, removed with
// everything in it at the end (entries named outside code page 932 included).
#pragma once

#include <string>

#include "host/wide_text.h"

namespace vlpd::test {

class TempDir {
 public:
  // `name` may hold code page 932 bytes (e.g. 表 to put a 0x5C trail byte into the path).
  explicit TempDir(const std::string& name = "vlpd");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder's absolute path, without a trailing separator.
  const std::string& Path() const { return path_; }
  // Path() + "\" + relative.
  std::string operator/(const std::string& relative) const { return path_ + "\\" + relative; }

  // Creates a subfolder (and its parents) below Path(); returns its absolute path.
  std::string MakeFolder(const std::string& relative) const;
  // Writes `bytes` to a file below Path(), creating parent folders; returns its absolute path.
  std::string WriteFile(const std::string& relative, const std::string& bytes) const;
  // The same by UTF-16 name (CreateFileW), for names the ANSI code page cannot write; the parent
  // folders must exist. Returns the absolute UTF-16 path.
  std::wstring WriteFileW(const std::wstring& relative, const std::string& bytes) const;
  std::wstring WidePath() const { return Wide(path_); }

 private:
  std::string owner_;  // the private parent, removed with everything in it
  std::string path_;
};

// The short (8.3) alias of a file's last component, as the file system reports it, in code page
// 932; empty when it has none.
std::string ShortAlias(const std::wstring& path);

// Reads a whole file as bytes; empty when it cannot be opened.
std::string ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);

}  // namespace vlpd::test
