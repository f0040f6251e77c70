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
#include "host/vlpd_dll.h"
#include "host/wide_text.h"

namespace vlpd::test {
namespace {

const size_t kBytes[9] = {27, 30, 27, 28, 31, 31, 40, 26, 30};
const size_t kUnits[9] = {20, 22, 19, 20, 23, 23, 28, 19, 22};

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
  for (UINT_PTR command = 0; command < 9; ++command) {
    SCOPED_TRACE(command);
    const std::string got = AskAnsi(command, GCS_HELPTEXTA, 64);
    ASSERT_EQ(std::strlen(got.c_str()), kBytes[command]);
    EXPECT_STREQ(got.c_str(), HelpText(command));
  }
}

TEST_F(CommandStringTest, WideHelpTextOfEveryCommand) {
  for (UINT_PTR command = 0; command < 9; ++command) {
    SCOPED_TRACE(command);
    const std::wstring got = AskWide(command, GCS_HELPTEXTW, 64);
    ASSERT_EQ(wcslen(got.c_str()), kUnits[command]);
    EXPECT_EQ(std::wstring(got.c_str()), Wide(HelpText(command), 932));
  }
}

TEST_F(CommandStringTest, ExactFitsWriteTextAndTerminator) {
  // Offset 0 as bytes: 27 and the terminator.
  const std::string ansi = AskAnsi(0, GCS_HELPTEXTA, 28);
  EXPECT_EQ(ansi, std::string(text::kHelpOpen) + '\0');
  // Offset 6 as UTF-16: 28 units and the terminator.
  const std::wstring wide = AskWide(6, GCS_HELPTEXTW, 29);
  EXPECT_EQ(wide, Wide(text::kHelpOpenProjectAsText, 932) + L'\0');
}

TEST_F(CommandStringTest, UnknownCommandsLeaveTheBufferUntouched) {
  for (UINT_PTR command : {UINT_PTR{9}, UINT_PTR{100}, ~UINT_PTR{0}}) {
    EXPECT_EQ(AskAnsi(command, GCS_HELPTEXTA, 64), std::string(64, '\x7E'));
    EXPECT_EQ(AskWide(command, GCS_HELPTEXTW, 32), std::wstring(32, L'\x7E7E'));
  }
}

TEST_F(CommandStringTest, NoBufferIsHarmless) {
  EXPECT_EQ(handler_->GetCommandString(0, GCS_HELPTEXTA, nullptr, nullptr, 64), S_OK);
  EXPECT_EQ(handler_->GetCommandString(0, GCS_HELPTEXTW, nullptr, nullptr, 64), S_OK);
}

TEST_F(CommandStringTest, SmallAnsiBuffersGetWholeCharactersAndATerminator) {
  EXPECT_EQ(AskAnsi(0, GCS_HELPTEXTA, 0), "");
  EXPECT_EQ(AskAnsi(0, GCS_HELPTEXTA, 1), std::string(1, '\0'));
  // "Vellumpad" then で (0x82 0xC5): eleven bytes hold "Vellumpad" and no half character.
  EXPECT_STREQ(AskAnsi(0, GCS_HELPTEXTA, 11).c_str(), "Vellumpad");
  EXPECT_STREQ(AskAnsi(0, GCS_HELPTEXTA, 12).c_str(), "Vellumpad\x82\xC5");
  for (UINT capacity = 1; capacity <= 41; ++capacity) {
    const std::string got = AskAnsi(6, GCS_HELPTEXTA, capacity);
    const size_t length = std::strlen(got.c_str());
    EXPECT_LT(length, capacity);
    EXPECT_EQ(std::string(text::kHelpOpenProjectAsText).compare(0, length, got.c_str()), 0);
    EXPECT_GE(length + 2, capacity) << capacity;  // at most a double-byte character's lead short
  }
}

TEST_F(CommandStringTest, SmallWideBuffersAreShortenedAndTerminated) {
  EXPECT_EQ(AskWide(8, GCS_HELPTEXTW, 0), L"");
  for (UINT capacity = 1; capacity <= 23; ++capacity) {
    const std::wstring got = AskWide(8, GCS_HELPTEXTW, capacity);
    EXPECT_EQ(got,
              Wide(text::kHelpCopyNames, 932).substr(0, std::min<size_t>(capacity - 1, kUnits[8])) + L'\0')
        << capacity;
  }
}

TEST_F(CommandStringTest, OtherRequestsGetTheWideTextWithinTheirByteCapacity) {
  // A verb request without GCS_UNICODE counts its capacity in bytes: 16 bytes hold 7 units.
  WCHAR buffer[16];
  std::fill(std::begin(buffer), std::end(buffer), L'\x7E7E');
  ASSERT_EQ(handler_->GetCommandString(2, GCS_VERBA, nullptr, reinterpret_cast<LPSTR>(buffer), 16), S_OK);
  EXPECT_EQ(std::wstring(buffer, 8), Wide(kEncodings[1].help, 932).substr(0, 7) + L'\0');
  for (int k = 8; k < 16; ++k) EXPECT_EQ(buffer[k], L'\x7E7E') << k;
  EXPECT_EQ(std::wstring(AskWide(2, GCS_VERBW, 64).c_str()), Wide(kEncodings[1].help, 932));
}

}  // namespace
}  // namespace vlpd::test
