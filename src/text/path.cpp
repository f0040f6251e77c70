#include "text/path.h"

#include <cstring>

#include "text/sjis_string.h"

namespace vlpd {

int AppendSeparator(char* path, std::size_t size, const LeadByteTable& bytes) {
  const std::size_t n = strnlen(path, size);
  if (n == size) return -1;
  if (n >= 1 && path[n - 1] == '\\' && IsCharStart(path, path + n - 1, bytes)) return static_cast<int>(n);
  if (n + 2 > size) return -1;
  path[n] = '\\';
  path[n + 1] = '\0';
  return static_cast<int>(n + 1);
}

bool CopyPath(char (&buffer)[kPathBufferSize], const char* text) {
  const std::size_t n = strnlen(text, kPathBufferSize);
  if (n > kMaxPath) {
    buffer[0] = '\0';
    return false;
  }
  std::memcpy(buffer, text, n);
  buffer[n] = '\0';
  return true;
}

bool SplitPath(PathParts& parts, const LeadByteTable& bytes) {
  parts.extension = nullptr;
  parts.directory[0] = '\0';
  parts.name[0] = '\0';
  const char* src = parts.source;
  const std::size_t n = src == nullptr ? 0 : strnlen(src, kMaxPath);
  if (n == 0 || n >= kMaxPath) return false;

  std::size_t name_start = 0;
  for (std::size_t k = n; k-- > 0;) {
    if (src[k] == '\\' && IsCharStart(src, src + k, bytes)) {
      name_start = k + 1;
      break;
    }
  }
  std::memcpy(parts.directory, src, name_start);
  parts.directory[name_start] = '\0';
  const std::size_t name_len = n - name_start;
  std::memcpy(parts.name, src + name_start, name_len);
  parts.name[name_len] = '\0';

  // A dot is never a trail byte, so a plain backward search finds the last one.
  for (std::size_t k = name_len; k-- > 0;) {
    if (parts.name[k] == '.') {
      if (name_len - k <= 5) parts.extension = parts.name + k;
      break;
    }
  }
  return true;
}

bool IsDriveRoot(const char* path) {
  const char letter = static_cast<char>(path[0] | 0x20);
  return letter >= 'a' && letter <= 'z' && path[1] == ':' && path[2] == '\\' && path[3] == '\0';
}

bool IsAbsolutePath(const char* path) {
  const auto is_separator = [](char c) { return c == '\\' || c == '/'; };
  const char drive = static_cast<char>(path[0] | 0x20);
  if (drive >= 'a' && drive <= 'z' && path[1] == ':') return is_separator(path[2]);
  return is_separator(path[0]) && is_separator(path[1]) && path[2] != '\0' && !is_separator(path[2]);
}

}  // namespace vlpd
