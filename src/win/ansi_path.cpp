#include "win/ansi_path.h"

#include <cstring>
#include <cwchar>
#include <initializer_list>

namespace vlpd {
namespace {

// A path of fewer than MAX_PATH units converts to at most two bytes a unit.
constexpr int kConvertedRoom = 2 * MAX_PATH;

// Converts the `units` units at `wide` into `out` (`room` bytes, no terminator written) when every
// character has its own ANSI form and the bytes convert back to the very same units. The number
// of bytes, or -1.
int ConvertExactly(const wchar_t* wide, std::size_t units, char* out, int room) {
  if (units == 0) return 0;
  if (units >= MAX_PATH || static_cast<int>(units) > room) return -1;
  // ASCII is itself in every ANSI code page: most paths need no conversion call at all.
  std::size_t ascii = 0;
  while (ascii < units && wide[ascii] < 0x80) {
    out[ascii] = static_cast<char>(wide[ascii]);
    ++ascii;
  }
  if (ascii == units) return static_cast<int>(units);
  // A UTF-8 system code page writes every character and takes no default-character query; the
  // round trip below still catches what does not convert.
  BOOL used_default = FALSE;
  const int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, static_cast<int>(units), out,
                                        room, nullptr, GetACP() == CP_UTF8 ? nullptr : &used_default);
  if (bytes <= 0 || used_default) return -1;
  wchar_t back[MAX_PATH];
  const int back_units = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, out, bytes, back, MAX_PATH);
  if (back_units != static_cast<int>(units) || std::wmemcmp(back, wide, units) != 0) return -1;
  return bytes;
}

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

const wchar_t* ComponentEnd(const wchar_t* at) {
  while (*at != L'\0' && !IsSeparator(*at)) ++at;
  return at;
}

// Builds the ANSI path component by component: each component of `long_path` that converts
// exactly, else its alias, the same component of `short_path`. Either names the same entry of
// the same folder, so the folders the code page can write keep their long names. False when
// a component converts neither way, the result reaches MAX_PATH bytes, or the two paths do not
// have the same components.
bool MergeAliases(const wchar_t* long_path, const wchar_t* short_path, char (&out)[kAnsiPathBufferSize],
                  std::size_t* length) {
  std::size_t used = 0;
  for (;;) {
    const wchar_t* long_end = ComponentEnd(long_path);
    const wchar_t* short_end = ComponentEnd(short_path);
    if ((*long_end == L'\0') != (*short_end == L'\0')) return false;
    char part[kConvertedRoom];
    int bytes =
        ConvertExactly(long_path, static_cast<std::size_t>(long_end - long_path), part, kConvertedRoom);
    if (bytes < 0) {
      bytes =
          ConvertExactly(short_path, static_cast<std::size_t>(short_end - short_path), part, kConvertedRoom);
    }
    if (bytes < 0 || used + static_cast<std::size_t>(bytes) >= MAX_PATH) return false;
    std::memcpy(out + used, part, static_cast<std::size_t>(bytes));
    used += static_cast<std::size_t>(bytes);
    if (*long_end == L'\0') break;
    if (used + 1 >= MAX_PATH) return false;
    out[used++] = static_cast<char>(*short_end);
    long_path = long_end + 1;
    short_path = short_end + 1;
  }
  out[used] = '\0';
  *length = used;
  return true;
}

}  // namespace

bool ToAnsiEntryName(const WIN32_FIND_DATAW& entry, char (&out)[kAnsiPathBufferSize]) {
  out[0] = '\0';
  for (const wchar_t* name : {entry.cFileName, entry.cAlternateFileName}) {
    const std::size_t units = std::wcslen(name);
    const int bytes = ConvertExactly(name, units, out, MAX_PATH - 1);
    if (units > 0 && bytes > 0) {
      out[bytes] = '\0';
      return true;
    }
  }
  out[0] = '\0';
  return false;
}

namespace {

enum class ExactResult { kDone, kNeedsAliases, kRefused };

// The exact conversion into `out`, which ToAnsiPath tries first.
ExactResult ConvertPathExactly(const wchar_t* wide, std::size_t units, char (&out)[kAnsiPathBufferSize],
                               std::size_t* length) {
  out[0] = '\0';
  *length = 0;
  // A zero unit inside would end the ANSI path early, at another file's name.
  if (units == 0 || units >= MAX_PATH || std::wmemchr(wide, L'\0', units) != nullptr) {
    return ExactResult::kRefused;
  }
  char converted[kConvertedRoom];
  const int bytes = ConvertExactly(wide, units, converted, kConvertedRoom);
  if (bytes < 0) return ExactResult::kNeedsAliases;
  if (bytes >= static_cast<int>(MAX_PATH)) return ExactResult::kRefused;
  std::memcpy(out, converted, static_cast<std::size_t>(bytes));
  out[bytes] = '\0';
  *length = static_cast<std::size_t>(bytes);
  return ExactResult::kDone;
}

}  // namespace

bool ToExactAnsiPath(const wchar_t* wide, std::size_t units, char (&out)[kAnsiPathBufferSize],
                     std::size_t* length) {
  return ConvertPathExactly(wide, units, out, length) == ExactResult::kDone;
}

AnsiPathKind ToAnsiPath(const wchar_t* wide, std::size_t units, char (&out)[kAnsiPathBufferSize],
                        std::size_t* length) {
  const ExactResult exact = ConvertPathExactly(wide, units, out, length);
  if (exact == ExactResult::kDone) return AnsiPathKind::kExact;
  if (exact == ExactResult::kRefused) return AnsiPathKind::kRefused;

  // Some character has no ANSI form: only the file's own aliases may stand in for it.
  wchar_t long_path[MAX_PATH];
  std::wmemcpy(long_path, wide, units);
  long_path[units] = L'\0';
  wchar_t short_path[MAX_PATH];
  const DWORD short_units = GetShortPathNameW(long_path, short_path, MAX_PATH);
  if (short_units == 0 || short_units >= MAX_PATH) return AnsiPathKind::kRefused;
  if (MergeAliases(long_path, short_path, out, length)) return AnsiPathKind::kShort;

  char converted[kConvertedRoom];
  const int short_bytes = ConvertExactly(short_path, short_units, converted, kConvertedRoom);
  if (short_bytes < 0 || short_bytes >= static_cast<int>(MAX_PATH)) {
    out[0] = '\0';
    *length = 0;
    return AnsiPathKind::kRefused;
  }
  std::memcpy(out, converted, static_cast<std::size_t>(short_bytes));
  out[short_bytes] = '\0';
  *length = static_cast<std::size_t>(short_bytes);
  return AnsiPathKind::kShort;
}

}  // namespace vlpd
