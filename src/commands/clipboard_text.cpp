#include "commands/clipboard_text.h"

#include <cstring>

namespace vlpd {
namespace {

std::size_t Length(const char* text) { return std::strlen(text); }
std::size_t Length(const char16_t* text) {
  std::size_t n = 0;
  while (text[n] != 0) ++n;
  return n;
}

template <typename Char>
int Refuse(Char* out, std::size_t size) {
  if (size > 0) out[0] = 0;
  return -1;
}

// Measures first so that a text that does not fit leaves nothing half-written.
template <typename Char, typename NameAt>
int Compose(Char* out, std::size_t size, int count, bool quoted, NameAt name_at) {
  std::size_t length = 0;
  for (int i = 0; i < count; ++i) {
    const Char* name = name_at(i);
    if (name == nullptr) return Refuse(out, size);
    length += Length(name) + (quoted ? 2 : 0);
    if (i + 1 < count) length += 2;
  }
  if (length >= size) return Refuse(out, size);
  Char* end = out;
  for (int i = 0; i < count; ++i) {
    const Char* name = name_at(i);
    const std::size_t n = Length(name);
    if (quoted) *end++ = '"';
    std::memcpy(end, name, n * sizeof(Char));
    end += n;
    if (quoted) *end++ = '"';
    if (i + 1 < count) {
      *end++ = '\r';
      *end++ = '\n';
    }
  }
  *end = 0;
  return static_cast<int>(length);
}

}  // namespace

std::size_t ClipboardBlockSize(int total_length, int count, bool quoted) {
  if (total_length < 0 || count <= 0) return 0;
  return static_cast<std::size_t>(total_length) + (quoted ? 4 : 2) * static_cast<std::size_t>(count);
}

std::size_t ClipboardWideUnits(const SelectionList& list, bool quoted) {
  const int count = list.Count();
  if (count <= 0) return 0;
  for (int i = 0; i < count; ++i) {
    if (list.WideName(i) == nullptr) return 0;
  }
  return list.TotalWideLength() + (quoted ? 4 : 2) * static_cast<std::size_t>(count);
}

int ComposeClipboardText(char* out, std::size_t size, const char* const* names, int count, bool quoted) {
  return Compose(out, size, count, quoted, [names](int i) { return names[i]; });
}

int ComposeClipboardText(char* out, std::size_t size, const SelectionList& list, bool quoted) {
  return Compose(out, size, list.Count(), quoted, [&list](int i) { return list.Name(i); });
}

int ComposeClipboardWideText(char16_t* out, std::size_t size, const SelectionList& list, bool quoted) {
  return Compose(out, size, list.Count(), quoted, [&list](int i) { return list.WideName(i); });
}

}  // namespace vlpd
