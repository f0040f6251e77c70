// A file's version resource, read as Explorer's Details tab reads it (GetFileVersionInfoW).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vlpd::test {

class FileVersionInfo {
 public:
  explicit FileVersionInfo(const std::string& path);

  bool Found() const { return !block_.empty(); }
  // The fixed part's file and product versions as "major.minor.build.revision"; empty when missing.
  std::string FileVersion() const;
  std::string ProductVersion() const;
  // A value of the string table of the resource's first translation; empty when missing.
  std::string Text(const char* name) const;

 private:
  const VS_FIXEDFILEINFO* Fixed() const;
  std::vector<char> block_;
};

}  // namespace vlpd::test
