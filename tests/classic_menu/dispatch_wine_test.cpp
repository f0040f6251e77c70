// InvokeCommand's dispatch: refused verbs and offsets, and a command that reaches its target.
#include <windows.h>
// The shell headers need windows.h first.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>

#include "fixtures/command_rows.h"
#include "host/test_data_object.h"
#include "host/vlpd_dll.h"
#include "tests/support/clipboard.h"
#include "tests/support/settings_values.h"

namespace vlpd::test {
namespace {

class DispatchTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dll_.Loaded());
    handler_ = dll_.CreateHandler();
    ASSERT_TRUE(handler_);
    ComRef<IShellExtInit> init;
    ASSERT_EQ(handler_->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(init.Put())), S_OK);
    ASSERT_EQ(init->Initialize(nullptr, data_.Get(), nullptr), S_OK);
  }

  HRESULT Invoke(LPCSTR verb) {
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof info;
    info.lpVerb = verb;
    info.nShow = SW_SHOWNORMAL;
    return handler_->InvokeCommand(&info);
  }

  VlpdDll dll_;
  ComRef<TestDataObject> data_ = TestDataObject::Make({"C:\\dispatch\\a.txt", "C:\\dispatch\\b.txt"});
  ComRef<IContextMenu> handler_;
};

TEST_F(DispatchTest, RefusesTextVerbsAndOffsetsPastTheLastCommand) {
  const int calls = data_->GetDataCalls();
  EXPECT_EQ(Invoke("open"), E_INVALIDARG);
  EXPECT_EQ(Invoke(MAKEINTRESOURCEA(kCommandCount)), E_INVALIDARG);
  EXPECT_EQ(Invoke(MAKEINTRESOURCEA(0xFFFF)), E_INVALIDARG);
  EXPECT_EQ(handler_->InvokeCommand(nullptr), E_INVALIDARG);
  EXPECT_EQ(data_->GetDataCalls(), calls) << "a refused call read the selection";
}

// A hidden command's offset is refused like an unknown one; the others keep theirs.
TEST_F(DispatchTest, AHiddenCommandsOffsetIsRefused) {
  const unsigned copy = OffsetOf(CommandAction::kCopyNames);
  SettingsGuard settings;
  ASSERT_TRUE(settings.Set({{false, "HiddenCommands", 1u << copy}}));
  PutClipboardText("before");
  EXPECT_EQ(Invoke(MAKEINTRESOURCEA(copy)), E_INVALIDARG);
  EXPECT_STREQ(ReadClipboardText().bytes.c_str(), "before");
  ASSERT_TRUE(settings.Set({{false, "HiddenCommands", 0xFF & ~(1u << copy)}}));
  EXPECT_EQ(Invoke(MAKEINTRESOURCEA(copy)), S_OK);
  EXPECT_STREQ(ReadClipboardText().bytes.c_str(), "C:\\dispatch\\a.txt\r\nC:\\dispatch\\b.txt");
}

TEST_F(DispatchTest, TheCopyCommandCopiesTheNames) {
  PutClipboardText("before");
  EXPECT_EQ(Invoke(MAKEINTRESOURCEA(OffsetOf(CommandAction::kCopyNames))), S_OK);
  EXPECT_STREQ(ReadClipboardText().bytes.c_str(), "C:\\dispatch\\a.txt\r\nC:\\dispatch\\b.txt");
}

}  // namespace
}  // namespace vlpd::test
