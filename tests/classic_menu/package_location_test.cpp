// Whether a package's install location is the folder of the DLL, as Windows writes both.
#include "classic_menu/package_location.h"

#include <gtest/gtest.h>

namespace vlpd {
namespace {

TEST(IsFolderOf, OnlyTheDllsOwnFolderInAnyAsciiCase) {
  const struct {
    const wchar_t* location;
    const wchar_t* module;
    bool here;
  } cases[] = {
      {L"C:\\Program Files\\VLPDMenu", L"C:\\Program Files\\VLPDMenu\\VLPDMenu.dll", true},
      {L"C:\\Program Files\\VLPDMenu\\", L"C:\\Program Files\\VLPDMenu\\VLPDMenu.dll", true},
      {L"c:\\PROGRAM FILES\\vlpdmenu", L"C:\\Program Files\\VLPDMenu\\VLPDMenu.dll", true},
      {L"C:\\Users\\\u5c71\u7530\\AppData\\Local\\Programs\\VLPDMenu",
       L"C:\\Users\\\u5c71\u7530\\AppData\\Local\\Programs\\VLPDMenu\\VLPDMenu.dll", true},
      // The other scope's folder, the one below it, one that begins alike, and none at all.
      {L"C:\\Users\\a\\AppData\\Local\\Programs\\VLPDMenu", L"C:\\Program Files\\VLPDMenu\\VLPDMenu.dll",
       false},
      {L"C:\\Program Files\\VLPDMenu", L"C:\\Program Files\\VLPDMenu\\x86\\VLPDMenu.dll", false},
      {L"C:\\Program Files\\VLPDMenu2", L"C:\\Program Files\\VLPDMenu\\VLPDMenu.dll", false},
      {L"C:\\Program Files\\VLPD", L"C:\\Program Files\\VLPDMenu\\VLPDMenu.dll", false},
      {L"", L"C:\\Program Files\\VLPDMenu\\VLPDMenu.dll", false},
      {L"\\", L"\\VLPDMenu.dll", false},
      {L"C:\\Program Files\\VLPDMenu", L"VLPDMenu.dll", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsFolderOf(c.location, c.module), c.here) << c.location;
}

}  // namespace
}  // namespace vlpd
