// The name copy, driven through the built DLL as the shell drives it, read back from the real
// clipboard.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "fixtures/command_rows.h"
#include "host/message_box_watcher.h"
#include "host/shell_data_object.h"
#include "host/test_data_object.h"
#include "host/vlpd_dll.h"
#include "tests/support/clipboard.h"
#include "tests/support/temp_dir.h"
#include "win/unique_handle.h"

namespace vlpd::test {
namespace {

constexpr UINT kCopyNames = OffsetOf(CommandAction::kCopyNames);

// The whole CF_UNICODETEXT block as UTF-16 units.
std::wstring ReadClipboardUnicode() {
  const ClipboardText block = ReadClipboardText(CF_UNICODETEXT);
  std::wstring units(block.bytes.size() / sizeof(wchar_t), L'\0');
  memcpy(units.data(), block.bytes.data(), units.size() * sizeof(wchar_t));
  return units;
}

// `names` joined by CR LF, with the terminator and the spare unit of the block.
std::wstring JoinedUnicode(const std::vector<std::wstring>& names) {
  std::wstring joined;
  for (const std::wstring& name : names) joined += (joined.empty() ? L"" : L"\r\n") + name;
  return joined + std::wstring(2, L'\0');
}

// Another window, on a thread of its own, holding the clipboard open until released.
class ClipboardHolder {
 public:
  ClipboardHolder()
      : opened_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
        release_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
        thread_([this] { Hold(); }) {
    WaitForSingleObject(opened_.Get(), 10000);
  }
  ~ClipboardHolder() {
    SetEvent(release_.Get());
    thread_.join();
  }
  ClipboardHolder(const ClipboardHolder&) = delete;
  ClipboardHolder& operator=(const ClipboardHolder&) = delete;
  bool Holding() const { return holding_; }

 private:
  void Hold() {
    const WindowHandle window = HiddenWindow();
    const ClipboardGuard clipboard(window.Get());
    holding_ = clipboard.IsOpen();
    SetEvent(opened_.Get());
    WaitForSingleObject(release_.Get(), 60000);
  }

  KernelHandle opened_;
  KernelHandle release_;
  bool holding_ = false;
  std::thread thread_;
};

class NameCopyTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dll_.Loaded()); }

  HRESULT CopyNames(const std::vector<std::string>& paths) {
    ComRef<TestDataObject> data = TestDataObject::Make(paths);
    return CopyNamesOf(data.Get());
  }
  HRESULT CopyNamesOf(IDataObject* data) {
    return InvokeOnNewHandler(dll_, data, MAKEINTRESOURCEA(kCopyNames));
  }

  ComApartment com_;
  VlpdDll dll_;
  MessageBoxWatcher boxes_;
};

TEST_F(NameCopyTest, TwoPathsAreJoinedByCrLfInABlockOfTotalPlusTwicePerPath) {
  PutClipboardText("before");
  EXPECT_EQ(CopyNames({"C:\\a.txt", "C:\\dir"}), S_OK);
  const ClipboardText text = ReadClipboardText();
  ASSERT_TRUE(text.present);
  EXPECT_EQ(text.block_size, 18u);  // 14 + 2 x 2
  EXPECT_EQ(text.bytes, std::string("C:\\a.txt\r\nC:\\dir\0\0", 18));
  EXPECT_TRUE(ClipboardIsFree());
  EXPECT_TRUE(boxes_.Seen().empty());
}

TEST_F(NameCopyTest, FormatsLeftByAnotherProgramGoWithTheOldText) {
  const UINT other = RegisterClipboardFormatA("vlpd another program's format");
  ASSERT_NE(other, 0u);
  PutClipboardText("before", other);
  ASSERT_TRUE(IsClipboardFormatAvailable(other));
  EXPECT_EQ(CopyNames({"C:\\a.txt"}), S_OK);
  EXPECT_FALSE(IsClipboardFormatAvailable(other));
  EXPECT_EQ(ReadClipboardText().bytes, std::string("C:\\a.txt\0\0", 10));
}

TEST_F(NameCopyTest, SeveralPathsKeepTheirOrderAndTheirBytes) {
  const std::vector<std::string> paths = {"C:\\\x95\\\\memo.txt", "D:\\b c.txt", "C:\\\x83\\", "E:\\z"};
  EXPECT_EQ(CopyNames(paths), S_OK);
  const ClipboardText text = ReadClipboardText();
  ASSERT_TRUE(text.present);
  size_t total = 0;
  for (const std::string& p : paths) total += p.size();
  EXPECT_EQ(text.block_size, total + 2 * paths.size());
  const std::string joined = paths[0] + "\r\n" + paths[1] + "\r\n" + paths[2] + "\r\n" + paths[3];
  EXPECT_EQ(text.bytes, joined + std::string(2, '\0'));
  // The same names converted from code page 932, beside them.
  EXPECT_EQ(ReadClipboardUnicode(),
            JoinedUnicode({L"C:\\\x8868\\memo.txt", L"D:\\b c.txt", L"C:\\\x30BD", L"E:\\z"}));
  EXPECT_TRUE(boxes_.Seen().empty());
}

TEST_F(NameCopyTest, NamesOutsideTheCodePageAreCopiedAsShortPathsAndAsThemselves) {
  TempDir dir("vlpd_copy");
  const std::vector<std::wstring> names = {L"caf\x00E9\x2615\xD55C.txt", L"\x8868.txt", L"\xD83D\xDE00.txt"};
  std::vector<std::wstring> paths;
  for (const std::wstring& name : names) paths.push_back(dir.WriteFileW(name, "x"));
  const std::string lookalike = dir.WriteFile("cafe.txt", "lookalike");
  auto data = ShellDataObject(dir.WidePath(), names);
  ASSERT_TRUE(data);
  PutClipboardText("before");
  EXPECT_EQ(CopyNamesOf(data.Get()), S_OK);

  const std::string ansi = dir.Path() + "\\" + ShortAlias(paths[0]) + "\r\n" + dir.Path() +
                           "\\\x95\x5C.txt\r\n" + dir.Path() + "\\" + ShortAlias(paths[2]);
  EXPECT_EQ(ReadClipboardText().bytes, ansi + std::string(2, '\0'));
  EXPECT_EQ(ReadClipboardText().bytes.find(lookalike), std::string::npos);
  EXPECT_EQ(ReadClipboardUnicode(), JoinedUnicode(paths));
  EXPECT_TRUE(boxes_.Seen().empty());
}

TEST_F(NameCopyTest, ANameWithoutAnAnsiPathIsLeftOutOfBothTexts) {
  DropOptions options;
  options.unicode_paths = {L"C:\\a.txt", L"C:\\nowhere\\caf\x00E9.txt", L"C:\\b.txt"};
  auto data = TestDataObject::Make({}, options);
  EXPECT_EQ(CopyNamesOf(data.Get()), S_OK);
  EXPECT_EQ(ReadClipboardText().bytes, std::string("C:\\a.txt\r\nC:\\b.txt\0\0", 20));
  EXPECT_EQ(ReadClipboardUnicode(), JoinedUnicode({L"C:\\a.txt", L"C:\\b.txt"}));
  EXPECT_TRUE(boxes_.Seen().empty());
}

TEST_F(NameCopyTest, OnePathIsCopiedWithoutLineEnd) {
  const std::string path = "C:\\\x83\x81\x83\x82 \x95\\.txt";  // C:\メモ 表.txt
  EXPECT_EQ(CopyNames({path}), S_OK);
  const ClipboardText text = ReadClipboardText();
  ASSERT_TRUE(text.present);
  EXPECT_EQ(text.block_size, path.size() + 2);
  EXPECT_EQ(text.bytes, path + std::string(2, '\0'));
  EXPECT_TRUE(boxes_.Seen().empty());
}

TEST_F(NameCopyTest, ClipboardHeldByAnotherWindowLeavesEverythingAsItWas) {
  PutClipboardText("held");
  {
    ClipboardHolder holder;
    ASSERT_TRUE(holder.Holding());
    EXPECT_EQ(CopyNames({"C:\\a.txt", "C:\\dir"}), S_OK);
  }
  const ClipboardText text = ReadClipboardText();
  ASSERT_TRUE(text.present);
  EXPECT_EQ(text.bytes, std::string("held\0", 5));
  EXPECT_TRUE(boxes_.Seen().empty());
}

TEST_F(NameCopyTest, EmptySelectionClosesTheClipboardUntouched) {
  PutClipboardText("kept");
  EXPECT_EQ(CopyNames({}), S_OK);
  EXPECT_TRUE(ClipboardIsFree());
  const ClipboardText text = ReadClipboardText();
  ASSERT_TRUE(text.present);
  EXPECT_EQ(text.bytes, std::string("kept\0", 5));
  EXPECT_TRUE(boxes_.Seen().empty());
}

}  // namespace
}  // namespace vlpd::test
