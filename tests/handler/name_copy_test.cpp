// The name copy, driven through the built DLL as the shell drives it, read back from the real
// clipboard.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/clipboard.h"
#include "tests/support/message_box_watcher.h"
#include "tests/support/test_data_object.h"
#include "tests/support/vlpd_dll.h"
#include "win/unique_handle.h"

namespace vlpd::test {
namespace {

constexpr UINT kCopyNames = 8;

// Another window, on a thread of its own, holding the clipboard open until released.
class ClipboardHolder {
 public:
  ClipboardHolder()
      : opened_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
        release_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
        thread_([this] { Hold(); }) {
    WaitForSingleObject(opened_.Get(), INFINITE);
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
    HiddenWindow window;
    holding_ = OpenClipboard(window.Get()) != FALSE;
    SetEvent(opened_.Get());
    WaitForSingleObject(release_.Get(), INFINITE);
    if (holding_) CloseClipboard();
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
    return InvokeOnNewHandler(dll_, data.Get(), MAKEINTRESOURCEA(kCopyNames));
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
