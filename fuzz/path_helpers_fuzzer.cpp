// The path helpers on arbitrary byte strings, read by the lead-byte table of code page 932, of a
// double-byte code page such as 936, or of UTF-8 (picked by the first byte), each in a buffer of exactly its
// size: consistent character boundaries, no write past a buffer, and parts that add up to the source.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "fuzz/fuzz_input.h"
#include "text/lead_bytes.h"
#include "text/path.h"
#include "text/sjis_string.h"

namespace vlpd::fuzz {
namespace {

// Paths are at most 260 bytes; longer inputs are checked near both ends only, because every
// IsCharStart call walks from the start again.
constexpr std::size_t kFullCheck = 300;

bool PairAt(const char* s, std::size_t i, const LeadByteTable& t) {
  return IsLeadByte(t, static_cast<unsigned char>(s[i])) &&
         IsTrailByte(t, static_cast<unsigned char>(s[i + 1]));
}

const LeadByteTable& PickTable(std::uint8_t choice) {
  static const std::uint8_t kDoubleByteRanges[kLeadRangeBytes] = {0x81, 0xFE};
  static const LeadByteTable kDoubleByte = MakeLeadByteTable(936, kDoubleByteRanges);
  static const LeadByteTable kUtf8 = MakeLeadByteTable(kCodePageUtf8, {});
  const LeadByteTable* tables[] = {&CodePage932LeadBytes(), &kDoubleByte, &kUtf8};
  return *tables[choice % 3];
}

// Each position begins a character unless the one before begins a lead-trail pair.
void CheckBoundaries(const char* s, std::size_t size, const LeadByteTable& t) {
  if (size == 0) return;
  Require(IsCharStart(s, s, t));
  Require(!IsCharStart(s + 1, s, t));
  for (std::size_t i = 1; i < size; ++i) {
    if (size > kFullCheck && i > 32 && i < size - 32) continue;
    const bool previous = IsCharStart(s, s + i - 1, t);
    Require(IsCharStart(s, s + i, t) == !(previous && PairAt(s, i - 1, t)));
  }
}

// `bytes` in an exact-size buffer with no terminator: the helper must find there is none.
void CheckAppendSeparator(const char* bytes, std::size_t size, const LeadByteTable& t) {
  std::unique_ptr<char[]> buf(new char[size]);
  std::memcpy(buf.get(), bytes, size);
  const int result = AppendSeparator(buf.get(), size, t);
  const std::size_t n = strnlen(bytes, size);
  if (result < 0) {
    Require(result == -1);
    Require(std::memcmp(buf.get(), bytes, size) == 0);
    return;
  }
  const auto r = static_cast<std::size_t>(result);
  Require(n < size && (r == n || r == n + 1) && r < size);
  Require(std::memcmp(buf.get(), bytes, n) == 0);
  Require(buf[r] == '\0' && buf[r - 1] == '\\');
  const bool ended_in_separator = n > 0 && bytes[n - 1] == '\\' && IsCharStart(bytes, bytes + n - 1, t);
  Require((r == n) == ended_in_separator);
  if (r == n) Require(std::memcmp(buf.get(), bytes, size) == 0);
  // The new separator begins a character unless it became the trail of a lone lead byte.
  const bool lone_lead = n > 0 && IsLeadByte(t, static_cast<unsigned char>(bytes[n - 1])) &&
                         IsCharStart(bytes, bytes + n - 1, t);
  if (r == n + 1 && !lone_lead) Require(IsCharStart(buf.get(), buf.get() + n, t));
}

void CheckSplitPath(const char* source, std::size_t n, const LeadByteTable& t) {
  PathParts parts;
  parts.source = source;
  const bool ok = SplitPath(parts, t);
  Require(ok == (n >= 1 && n < kMaxPath));
  if (!ok) {
    Require(parts.directory[0] == '\0' && parts.name[0] == '\0' && parts.extension == nullptr);
    return;
  }
  const std::size_t dir_len = std::strlen(parts.directory);
  const std::size_t name_len = std::strlen(parts.name);
  Require(dir_len + name_len == n);
  Require(std::memcmp(parts.directory, source, dir_len) == 0);
  Require(std::memcmp(parts.name, source + dir_len, name_len) == 0);
  // The directory ends at a separator; the name holds none.
  if (dir_len > 0) Require(source[dir_len - 1] == '\\' && IsCharStart(source, source + dir_len - 1, t));
  for (std::size_t i = dir_len; i < n; ++i) Require(source[i] != '\\' || !IsCharStart(source, source + i, t));
  if (parts.extension != nullptr) {
    Require(parts.extension >= parts.name && parts.extension < parts.name + name_len);
    Require(*parts.extension == '.' && std::strlen(parts.extension) <= 5);
    Require(std::strchr(parts.extension + 1, '.') == nullptr);
  } else {
    const char* dot = std::strrchr(parts.name, '.');
    Require(dot == nullptr || std::strlen(dot) > 5);
  }
}

void CheckLowerAscii(const char* source, std::size_t n, const LeadByteTable& t) {
  std::unique_ptr<char[]> folded(new char[n + 1]);
  std::memcpy(folded.get(), source, n + 1);
  LowerAscii(folded.get(), t);
  Require(std::strlen(folded.get()) == n);
  for (std::size_t i = 0; i < n; ++i) {
    if (n > kFullCheck && i > 32 && i < n - 32) continue;
    const bool capital = source[i] >= 'A' && source[i] <= 'Z' && IsCharStart(source, source + i, t);
    Require(folded[i] == (capital ? source[i] + 0x20 : source[i]));
  }
  std::unique_ptr<char[]> twice(new char[n + 1]);
  std::memcpy(twice.get(), folded.get(), n + 1);
  LowerAscii(twice.get(), t);
  Require(std::memcmp(twice.get(), folded.get(), n + 1) == 0);
}

void CheckCompareText(const char* a, const char* b) {
  const int result = CompareText(a, b);
  Require(result == -1 || result == 0 || result == 1);
  Require((result == 0) == (std::strcmp(a, b) == 0));
  if (result != 0) Require(CompareText(b, a) == -result);
  std::size_t i = 0;
  while (a[i] != '\0' && a[i] == b[i]) ++i;
  if (a[i] != b[i]) {
    Require(result == (static_cast<signed char>(a[i]) > static_cast<signed char>(b[i]) ? 1 : -1));
  }
  Require(CompareText(a, a) == 0);
  Require(CompareText(nullptr, a) == -1 && CompareText(a, nullptr) == -1 &&
          CompareText(nullptr, nullptr) == -1);
}

// A NUL-terminated copy of `bytes` in a buffer of exactly its length plus the terminator.
std::unique_ptr<char[]> Terminated(const char* bytes, std::size_t size) {
  std::unique_ptr<char[]> s(new char[size + 1]);
  std::memcpy(s.get(), bytes, size);
  s[size] = '\0';
  return s;
}

}  // namespace

void FuzzOne(FuzzInput& input) {
  const LeadByteTable& t = PickTable(input.Byte());
  const std::string rest = input.Rest();
  const char* bytes = rest.data();
  const std::size_t size = rest.size();

  const std::unique_ptr<unsigned char[]> exact = ExactBytes(rest);
  CheckBoundaries(reinterpret_cast<const char*>(exact.get()), size, t);
  CheckAppendSeparator(bytes, size, t);

  std::unique_ptr<char[]> text = Terminated(bytes, size);
  const std::size_t n = std::strlen(text.get());
  CheckSplitPath(text.get(), n, t);
  CheckLowerAscii(text.get(), n, t);

  const std::size_t half = size / 2;
  std::unique_ptr<char[]> a = Terminated(bytes, half);
  std::unique_ptr<char[]> b = Terminated(bytes + half, size - half);
  CheckCompareText(a.get(), b.get());
}

}  // namespace vlpd::fuzz
