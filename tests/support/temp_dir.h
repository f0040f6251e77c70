// A fresh folder under the Wine temp folder, removed with everything in it at the end.
#pragma once

#include <string>

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

 private:
  std::string path_;
};

// Reads a whole file as bytes; empty when it cannot be opened.
std::string ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);

}  // namespace vlpd::test
