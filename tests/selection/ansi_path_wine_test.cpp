// UTF-16 paths made ANSI: exact where code page 932 writes every character, the file's short
// aliases where it does not, refused where neither names the file.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/support/temp_dir.h"
#include "win/ansi_path.h"

namespace vlpd::test {
namespace {

struct Converted {
  AnsiPathKind kind;
  std::string text;
};

Converted Convert(const std::wstring& wide) {
  char out[kAnsiPathBufferSize];
  std::memset(out, 'X', sizeof out);
  std::size_t length = 99;
  const AnsiPathKind kind = ToAnsiPath(wide.data(), wide.size(), out, &length);
  EXPECT_EQ(std::string(out).size(), length);
  return {kind, std::string(out, length)};
}

TEST(ToAnsiPath, ConvertsWhatTheCodePageWritesExactlyWithoutTouchingTheDisk) {
  // No such files: an exact conversion needs no alias.
  EXPECT_EQ(Convert(L"C:\\nowhere\\a b.txt").text, "C:\\nowhere\\a b.txt");
  const Converted japanese = Convert(L"C:\\\x8868\\\x30E1\x30E2\xFF76.txt");  // 表\メモｶ.txt
  EXPECT_EQ(japanese.kind, AnsiPathKind::kExact);
  EXPECT_EQ(japanese.text, "C:\\\x95\x5C\\\x83\x81\x83\x82\xB6.txt");
}

TEST(ToAnsiPath, RefusesLookalikesOfAbsentFiles) {
  // A plain conversion writes these as another path: "cafe.txt", "??.txt", even a separator for
  // the yen sign; without the file there is no alias to use either.
  for (const std::wstring& path :
       {std::wstring(L"C:\\nowhere\\caf\x00E9.txt"), std::wstring(L"C:\\nowhere\\\xD55C\xAE00.txt"),
        std::wstring(L"C:\\nowhere\\\xD83D\xDE00.txt"), std::wstring(L"C:\\nowhere\\a\x00A5.txt"),
        std::wstring(L"C:\\nowhere\\\xD83D.txt")}) {
    const Converted converted = Convert(path);
    EXPECT_EQ(converted.kind, AnsiPathKind::kRefused) << Narrow(path);
    EXPECT_EQ(converted.text, "");
  }
}

TEST(ToAnsiPath, RefusesEmptyLongAndNulBearingPaths) {
  EXPECT_EQ(Convert(L"").kind, AnsiPathKind::kRefused);
  EXPECT_EQ(Convert(L"C:\\" + std::wstring(256, L'f')).text.size(), 259u);
  EXPECT_EQ(Convert(L"C:\\" + std::wstring(257, L'f')).kind, AnsiPathKind::kRefused);
  // 130 units but 260 bytes.
  EXPECT_EQ(Convert(L"C:" + std::wstring(129, L'\x8868')).kind, AnsiPathKind::kRefused);
  EXPECT_EQ(Convert(std::wstring(L"C:\\a.txt\0b", 10)).kind, AnsiPathKind::kRefused);
}

TEST(ToAnsiPath, ReplacesOnlyTheComponentsTheCodePageCannotWrite) {
  TempDir dir("vlpd_ansi");
  const std::wstring folder = dir.WidePath() + L"\\caf\x00E9 \x8868";  // café 表
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  const std::wstring file = folder + L"\\\xD55C\x2615 \x30E1\x30E2.txt";  // 한☕ メモ.txt
  dir.WriteFileW(L"caf\x00E9 \x8868\\\xD55C\x2615 \x30E1\x30E2.txt", "own");
  dir.MakeFolder("cafe \x95\x5C");  // where a best-fit conversion of the folder would lead

  const Converted converted = Convert(file);
  ASSERT_EQ(converted.kind, AnsiPathKind::kShort);
  const std::string folder_alias = ShortAlias(folder);
  const std::string file_alias = ShortAlias(file);
  ASSERT_FALSE(folder_alias.empty());
  ASSERT_FALSE(file_alias.empty());
  EXPECT_EQ(converted.text, dir.Path() + "\\" + folder_alias + "\\" + file_alias);
  EXPECT_EQ(ReadFileBytes(converted.text), "own");
}

}  // namespace
}  // namespace vlpd::test
