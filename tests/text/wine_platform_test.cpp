// The platform every Windows test relies on: code page 932 and Japanese names on the real disk.
#include <gtest/gtest.h>
#include <windows.h>

namespace {

TEST(WinePlatform, AnsiCodePageIs932) { EXPECT_EQ(GetACP(), 932u); }

TEST(WinePlatform, JapaneseFileNameRoundTrips) {
  char dir[MAX_PATH];
  ASSERT_GT(GetTempPathA(sizeof dir, dir), 0u);
  char path[MAX_PATH];
  wsprintfA(path, "%s\x95\x5C\x83\x5C.txt", dir);  // 表ソ.txt: both end in a 0x5C trail byte
  HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(h, "x", 1, &written, nullptr));
  CloseHandle(h);

  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA(path, &found);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  FindClose(find);
  EXPECT_STREQ(found.cFileName, "\x95\x5C\x83\x5C.txt");
  EXPECT_TRUE(DeleteFileA(path));
}

}  // namespace
