// The platform every Windows test relies on: code page 932 and Japanese names on the real disk.
#include <gtest/gtest.h>
#include <windows.h>

#include "win/unique_handle.h"

namespace {

TEST(WinePlatform, AnsiCodePageIs932) { EXPECT_EQ(GetACP(), 932u); }

TEST(WinePlatform, JapaneseFileNameRoundTrips) {
  char dir[MAX_PATH];
  ASSERT_GT(GetTempPathA(sizeof dir, dir), 0u);
  char path[MAX_PATH];
  wsprintfA(path, "%s\x95\x5C\x83\x5C.txt", dir);  // 表ソ.txt: both end in a 0x5C trail byte
  vlpd::FileHandle file(
      CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file);
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(file.Get(), "x", 1, &written, nullptr));
  file.Reset();

  WIN32_FIND_DATAA found;
  ASSERT_TRUE(vlpd::FindHandle(FindFirstFileA(path, &found)));
  EXPECT_STREQ(found.cFileName, "\x95\x5C\x83\x5C.txt");
  EXPECT_TRUE(DeleteFileA(path));
}

}  // namespace
