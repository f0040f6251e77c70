// GetCommandString through the DLL: every help text in both forms, bounded by cchMax.
#include <windows.h>
// The shell headers need windows.h first.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "commands/handler_text.h"
#include "commands/help_text.h"
#include "detect/encoding.h"
#include "fixtures/command_rows.h"
#include "host/vlpd_dll.h"
#include "host/wide_text.h"

namespace vlpd::test {
namespace {

constexpr UINT_PTR kOpen = OffsetOfSwitch("");
constexpr UINT_PTR kProjectAsText = OffsetOfSwitch("/P ");
constexpr UINT_PTR kCopyNames = OffsetOf(CommandAction::kCopyNames);

class CommandStringTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dll_.Loaded());
    handler_ = dll_.CreateHandler();
    ASSERT_TRUE(handler_);
  }

  // Asks for `command` into a buffer of `capacity` units (bytes or WCHARs as `type` says),
  // followed by guard units that must stay untouched.
  std::string AskAnsi(UINT_PTR command, UINT type, UINT capacity) {
    std::vector<char> buffer(capacity + 16, '\x7E');
    EXPECT_EQ(handler_->GetCommandString(command, type, nullptr, buffer.data(), capacity), S_OK);
    for (size_t k = capacity; k < buffer.size(); ++k) EXPECT_EQ(buffer[k], '\x7E') << "wrote byte " << k;
    return std::string(buffer.data(), capacity);
  }
  std::wstring AskWide(UINT_PTR command, UINT type, UINT capacity) {
    std::vector<WCHAR> buffer(capacity + 16, L'\x7E7E');
    EXPECT_EQ(
        handler_->GetCommandString(command, type, nullptr, reinterpret_cast<LPSTR>(buffer.data()), capacity),
        S_OK);
    for (size_t k = capacity; k < buffer.size(); ++k) EXPECT_EQ(buffer[k], L'\x7E7E') << "wrote unit " << k;
    return std::wstring(buffer.data(), capacity);
  }

  VlpdDll dll_;
  ComRef<IContextMenu> handler_;
};

TEST_F(CommandStringTest, AnsiHelpTextOfEveryCommand) {
  for (UINT_PTR command = 0; command < kCommandCount; ++command) {
    SCOPED_TRACE(command);
    const std::string got = AskAnsi(command, GCS_HELPTEXTA, 64);
    EXPECT_STREQ(got.c_str(), HelpText(command));
  }
}

TEST_F(CommandStringTest, WideHelpTextOfEveryCommand) {
  for (UINT_PTR command = 0; command < kCommandCount; ++command) {
    SCOPED_TRACE(command);
    const std::wstring got = AskWide(command, GCS_HELPTEXTW, 64);
    ASSERT_EQ(wcslen(got.c_str()), CharacterCount(HelpText(command)));
    EXPECT_EQ(std::wstring(got.c_str()), Wide(HelpText(command), 932));
  }
}

TEST_F(CommandStringTest, ExactFitsWriteTextAndTerminator) {
  // The plain open's text as bytes, the project-as-text one's as UTF-16, each with the terminator.
  const std::string ansi = text::kHelpOpen;
  EXPECT_EQ(AskAnsi(kOpen, GCS_HELPTEXTA, ansi.size() + 1), ansi + '\0');
  const std::wstring wide = Wide(text::kHelpOpenProjectAsText, 932);
  EXPECT_EQ(AskWide(kProjectAsText, GCS_HELPTEXTW, wide.size() + 1), wide + L'\0');
}

TEST_F(CommandStringTest, UnknownCommandsLeaveTheBufferUntouched) {
  for (UINT_PTR command : {UINT_PTR{kCommandCount}, UINT_PTR{100}, ~UINT_PTR{0}}) {
    EXPECT_EQ(AskAnsi(command, GCS_HELPTEXTA, 64), std::string(64, '\x7E'));
    EXPECT_EQ(AskWide(command, GCS_HELPTEXTW, 32), std::wstring(32, L'\x7E7E'));
  }
}

TEST_F(CommandStringTest, NoBufferIsHarmless) {
  EXPECT_EQ(handler_->GetCommandString(0, GCS_HELPTEXTA, nullptr, nullptr, 64), S_OK);
  EXPECT_EQ(handler_->GetCommandString(0, GCS_HELPTEXTW, nullptr, nullptr, 64), S_OK);
}

TEST_F(CommandStringTest, SmallAnsiBuffersGetWholeCharactersAndATerminator) {
  EXPECT_EQ(AskAnsi(kOpen, GCS_HELPTEXTA, 0), "");
  EXPECT_EQ(AskAnsi(kOpen, GCS_HELPTEXTA, 1), std::string(1, '\0'));
  // "Vellumpad" then で (0x82 0xC5): eleven bytes hold "Vellumpad" and no half character.
  EXPECT_STREQ(AskAnsi(kOpen, GCS_HELPTEXTA, 11).c_str(), "Vellumpad");
  EXPECT_STREQ(AskAnsi(kOpen, GCS_HELPTEXTA, 12).c_str(), "Vellumpad\x82\xC5");
  for (UINT capacity = 1; capacity <= std::strlen(text::kHelpOpenProjectAsText) + 1; ++capacity) {
    const std::string got = AskAnsi(kProjectAsText, GCS_HELPTEXTA, capacity);
    const size_t length = std::strlen(got.c_str());
    EXPECT_LT(length, capacity);
    EXPECT_EQ(std::string(text::kHelpOpenProjectAsText).compare(0, length, got.c_str()), 0);
    EXPECT_GE(length + 2, capacity) << capacity;  // at most a double-byte character's lead short
  }
}

TEST_F(CommandStringTest, SmallWideBuffersAreShortenedAndTerminated) {
  const std::wstring help = Wide(text::kHelpCopyNames, 932);
  EXPECT_EQ(AskWide(kCopyNames, GCS_HELPTEXTW, 0), L"");
  for (UINT capacity = 1; capacity <= help.size() + 1; ++capacity) {
    EXPECT_EQ(AskWide(kCopyNames, GCS_HELPTEXTW, capacity), help.substr(0, capacity - 1) + L'\0') << capacity;
  }
}

TEST_F(CommandStringTest, OtherRequestsGetTheWideTextWithinTheirByteCapacity) {
  // A verb request without GCS_UNICODE counts its capacity in bytes: 16 bytes hold 7 units.
  WCHAR buffer[16];
  std::fill(std::begin(buffer), std::end(buffer), L'\x7E7E');
  const UINT_PTR euc = OffsetOfSwitch(kEncodings[1].editor_switch);
  ASSERT_EQ(handler_->GetCommandString(euc, GCS_VERBA, nullptr, reinterpret_cast<LPSTR>(buffer), 16), S_OK);
  EXPECT_EQ(std::wstring(buffer, 8), Wide(kEncodings[1].help, 932).substr(0, 7) + L'\0');
  for (int k = 8; k < 16; ++k) EXPECT_EQ(buffer[k], L'\x7E7E') << k;
  EXPECT_EQ(std::wstring(AskWide(euc, GCS_VERBW, 64).c_str()), Wide(kEncodings[1].help, 932));
}

}  // namespace
}  // namespace vlpd::test
