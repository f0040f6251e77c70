#include "handler/clipboard_text.h"

#include <cstring>

namespace vlpd {
namespace {

// Measures first so that a text that does not fit leaves nothing half-written.
template <typename NameAt>
int Compose(char* out, std::size_t size, int count, NameAt name_at) {
  std::size_t length = 0;
  for (int i = 0; i < count; ++i) {
    length += std::strlen(name_at(i));
    if (i + 1 < count) length += 2;
  }
  if (length >= size) {
    if (size > 0) out[0] = '\0';
    return -1;
  }
  char* end = out;
  for (int i = 0; i < count; ++i) {
    const char* name = name_at(i);
    const std::size_t n = std::strlen(name);
    std::memcpy(end, name, n);
    end += n;
    if (i + 1 < count) {
      *end++ = '\r';
      *end++ = '\n';
    }
  }
  *end = '\0';
  return static_cast<int>(length);
}

}  // namespace

std::size_t ClipboardBlockSize(int total_length, int count) {
  if (total_length < 0 || count <= 0) return 0;
  return static_cast<std::size_t>(total_length) + 2 * static_cast<std::size_t>(count);
}

int ComposeClipboardText(char* out, std::size_t size, const char* const* names, int count) {
  return Compose(out, size, count, [names](int i) { return names[i]; });
}

int ComposeClipboardText(char* out, std::size_t size, const SelectionList& list) {
  return Compose(out, size, list.Count(), [&list](int i) { return list.Name(i); });
}

}  // namespace vlpd
