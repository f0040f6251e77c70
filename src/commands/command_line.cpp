#include "commands/command_line.h"

#include <cstring>

namespace vlpd {

int ComposeCommandLine(char* out, std::size_t size, const char* install_folder_with_separator,
                       const char* exe_name, const char* encoding_switch, const char* path) {
  const char* const pieces[] = {
      "\"", install_folder_with_separator, exe_name, "\" ", encoding_switch, "\"", path, "\""};
  // A quote inside a name would close its quotes early and split it into two arguments.
  const bool quoted_inside = std::strchr(install_folder_with_separator, '"') != nullptr ||
                             std::strchr(exe_name, '"') != nullptr || std::strchr(path, '"') != nullptr;
  std::size_t length = 0;
  for (const char* piece : pieces) length += std::strlen(piece);
  if (quoted_inside || length >= size) {
    if (size > 0) out[0] = '\0';
    return -1;
  }
  char* end = out;
  for (const char* piece : pieces) {
    const std::size_t n = std::strlen(piece);
    std::memcpy(end, piece, n);
    end += n;
  }
  *end = '\0';
  return static_cast<int>(length);
}

}  // namespace vlpd
