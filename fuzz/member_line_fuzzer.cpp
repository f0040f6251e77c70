// ComputeRelativeBase and ComposeMemberLine over arbitrary invoking folders, first paths and
// members: the base agrees with a plain reference, the line fits its buffer and reads switch,
// path, CR LF, and a relative line names the member again when resolved against the folder.
//
// Input: one control byte (bits 0-2 the encoding code plus one, bit 3 no invoking folder, bit 4
// no first path, bit 5 the member is the first path with the third field appended, bit 6 it is
// the folder, a separator and the third field), then the folder, the first path and the third
// field, separated by NUL bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "detect/encoding.h"
#include "fuzz/fuzz_input.h"
#include "project/project_writer.h"
#include "text/path.h"
#include "text/sjis_class.h"
#include "text/sjis_string.h"

namespace vlpd::fuzz {
namespace {

std::string Folded(std::string text) {
  LowerAscii(text.data());
  return text;
}

// The offsets of the real separators of `text`, found in one pass over its characters: a lead
// byte and a trail byte after it make one character.
std::vector<std::size_t> Separators(const std::string& text) {
  std::vector<std::size_t> separators;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i + 1 < text.size() && IsSjisLead(static_cast<unsigned char>(text[i])) &&
        IsSjisTrail(static_cast<unsigned char>(text[i + 1]))) {
      ++i;
    } else if (text[i] == '\\') {
      separators.push_back(i);
    }
  }
  return separators;
}

bool EndsInSeparator(const std::string& text) {
  const std::vector<std::size_t> separators = Separators(text);
  return !separators.empty() && separators.back() + 1 == text.size();
}

// The folder with the separator AppendSeparator gives it in a path buffer; false when it has none.
bool WithSeparator(const std::string& folder, std::string& out) {
  if (folder.size() > kMaxPath) return false;
  char buffer[kPathBufferSize];
  std::memcpy(buffer, folder.c_str(), folder.size() + 1);
  if (AppendSeparator(buffer, sizeof buffer) < 0) return false;
  out = buffer;
  return true;
}

struct ExpectedBase {
  std::size_t length = 0;
  std::string up_prefix;
};

// The separator that ends the folder's root: the 4th of a network folder (\\server\share\), the
// 6th of one in the long form (\\?\unc\server\share\); index 2 (C:\) for any other folder.
// None when a network folder has no share.
bool RootEnd(const std::string& f, std::size_t& end) {
  if (f.compare(0, 2, "\\\\") != 0) {
    end = 2;
    return true;
  }
  const std::size_t count = f.compare(0, 8, "\\\\?\\unc\\") == 0 ? 6 : 4;
  const std::vector<std::size_t> separators = Separators(f);
  if (separators.size() < count) return false;
  end = separators[count - 1];
  return true;
}

// The last separator (at or past the folder's root end) of the longest common head of the folded
// folder and the folded first path ends the base; each separator of the folder below it is one
// level up. A folder that cannot be made to end in a separator has no base.
ExpectedBase ReferenceBase(const char* folder, const char* first) {
  ExpectedBase none;
  if (folder == nullptr || first == nullptr || std::strlen(first) > kMaxPath) return none;
  std::string f;
  if (!WithSeparator(Folded(folder), f) || !EndsInSeparator(f)) return none;
  std::size_t root_end = 0;
  if (!RootEnd(f, root_end)) return none;
  const std::string p = Folded(first);
  std::size_t common = 0;
  while (common < f.size() && common < p.size() && f[common] == p[common]) ++common;
  std::size_t length = 0;
  std::size_t levels = 0;
  for (const std::size_t i : Separators(f)) {
    if (i >= root_end && i < common) {
      length = i + 1;
      levels = 0;
    } else if (i >= common) {
      ++levels;
    }
  }
  if (length == 0) return none;
  if (levels > kMaxUpLevels) return none;
  ExpectedBase base;
  base.length = length;
  if (f.size() == length) {
    base.up_prefix = ".\\";
  } else {
    for (std::size_t level = 0; level < levels; ++level) base.up_prefix += "..\\";
  }
  return base;
}

void CheckBase(const char* folder, const char* first, const RelativeBase& base) {
  const ExpectedBase expected = ReferenceBase(folder, first);
  Require(base.base_length >= 0 && static_cast<std::size_t>(base.base_length) == expected.length);
  Require(base.up_prefix == expected.up_prefix);
  Require(strnlen(base.folded_base, kPathBufferSize) == expected.length);
  if (expected.length == 0) return;
  // A relative line needs a prefix to say where it starts from.
  Require(!expected.up_prefix.empty());
  std::string f;
  Require(WithSeparator(Folded(folder), f));
  Require(f.compare(0, expected.length, base.folded_base) == 0);
  Require(Folded(first).compare(0, expected.length, base.folded_base) == 0);
}

// A relative path resolved against the invoking folder. A member may itself hold "..\" after the
// base, so every split of the leading "..\" run between prefix and member is tried.
bool ResolvesTo(const char* folder, const std::string& relative, const std::string& member) {
  std::string start;
  if (!WithSeparator(folder, start) || !EndsInSeparator(start)) return false;
  const std::string wanted = Folded(member);
  if (relative.compare(0, 2, ".\\") == 0 && Folded(start + relative.substr(2)) == wanted) return true;
  std::size_t units = 0;
  while (relative.compare(3 * units, 3, "..\\") == 0) ++units;
  // Going up `levels` keeps the folder up to and including its separator `levels` from the end.
  const std::vector<std::size_t> separators = Separators(start);
  for (std::size_t levels = 1; levels <= units && levels < separators.size(); ++levels) {
    const std::string up = start.substr(0, separators[separators.size() - 1 - levels] + 1);
    if (Folded(up + relative.substr(3 * levels)) == wanted) return true;
  }
  return false;
}

void CheckLine(int code, const char* folder, const std::string& member, const RelativeBase& base) {
  const std::unique_ptr<char[]> text = ExactCopy(member);
  std::unique_ptr<char[]> storage(new char[kLineBufferSize]);
  auto& line = *reinterpret_cast<char(*)[kLineBufferSize]>(storage.get());
  const std::size_t length = ComposeMemberLine(line, code, text.get(), base);
  if (member.size() > kMaxPath) {
    Require(length == 0);
    return;
  }
  Require(length >= 2 && length < kLineBufferSize && line[length] == '\0');
  Require(line[length - 2] == '\r' && line[length - 1] == '\n');
  const std::string encoding_switch = EncodingSwitch(code);
  Require(std::string(line, encoding_switch.size()) == encoding_switch);
  const std::string path(line + encoding_switch.size(), length - 2 - encoding_switch.size());
  Require(path.size() <= kMaxPath);

  const auto base_length = static_cast<std::size_t>(base.base_length);
  const bool relative = base_length > 0 && member.size() >= base_length &&
                        Folded(member.substr(0, base_length)) == base.folded_base &&
                        std::strlen(base.up_prefix) + member.size() - base_length <= kMaxPath;
  if (!relative) {
    Require(path == member);
    return;
  }
  Require(path == base.up_prefix + member.substr(base_length));
  Require(ResolvesTo(folder, path, member));
}

}  // namespace

void FuzzOne(FuzzInput& input) {
  const std::uint8_t control = input.Byte();
  const int code = (control & 7) - 1;
  const std::string folder = input.Field();
  const std::string first = input.Field();
  const std::string tail = input.Field();
  std::string member = tail;
  if ((control & 0x20) != 0) {
    member = first + tail;
  } else if ((control & 0x40) != 0) {
    member = folder + "\\" + tail;
  }

  const std::unique_ptr<char[]> folder_text = ExactCopy(folder);
  const std::unique_ptr<char[]> first_text = ExactCopy(first);
  const char* folder_arg = (control & 0x08) != 0 ? nullptr : folder_text.get();
  const char* first_arg = (control & 0x10) != 0 ? nullptr : first_text.get();

  std::unique_ptr<RelativeBase> base(new RelativeBase);
  ComputeRelativeBase(folder_arg, first_arg, *base);
  CheckBase(folder_arg, first_arg, *base);
  CheckLine(code, folder_arg, member, *base);
  CheckLine(code, folder_arg, first, *base);
}

}  // namespace vlpd::fuzz
