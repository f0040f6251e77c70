// A file's version resource, read as Explorer's Details tab reads it (GetFileVersionInfoW).
#pragma once

#include <string>

namespace vlpd::test {

// The value `name` of the string table of the resource's first translation or, for a null `name`,
// the fixed part's file version as "major.minor.build.revision". Empty when missing.
std::string FileVersionValue(const std::string& path, const char* name = nullptr);

}  // namespace vlpd::test
