// Every literal the user sees (handler and project) is the code page 932 form of its Japanese text, as
// glibc's CP932 converter produces it from UTF-8.
#include "commands/handler_text.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <iterator>
#include <string>

#include "detect/encoding.h"
#include "fixtures/command_rows.h"
#include "project/project_text.h"
#include "selection/selection_kind.h"

namespace vlpd {
namespace {

std::string ToCp932(const std::string& utf8) {
  iconv_t cd = iconv_open("CP932", "UTF-8");
  EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
  if (cd == reinterpret_cast<iconv_t>(-1)) return {};
  std::string in = utf8;
  std::string out(in.size() * 2 + 8, '\0');
  char* src = in.data();
  std::size_t src_left = in.size();
  char* dst = out.data();
  std::size_t dst_left = out.size();
  const std::size_t result = iconv(cd, &src, &src_left, &dst, &dst_left);
  iconv_close(cd);
  EXPECT_NE(result, static_cast<std::size_t>(-1)) << utf8;
  EXPECT_EQ(src_left, 0u) << utf8;
  out.resize(out.size() - dst_left);
  return out;
}

struct Literal {
  const char* name;
  const char* stored;
  const char* unicode;  // UTF-8
};

const Literal kLiterals[] = {
    {"kSubmenuCaption", text::kSubmenuCaption, "Vellumpad ver1.50"},
    {"kLabelOpen", text::kLabelOpen, "開く"},
    {"kLabelOpenOnTop", text::kLabelOpenOnTop, "Vellumpad で開く"},
    {"kProjectExtension", kProjectExtension, ".vpj"},
    {"kLabelCreateProject", text::kLabelCreateProject, "ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙ作成"},
    {"kLabelCopyNames", text::kLabelCopyNames, "名前をｺﾋﾟｰ"},
    {"kHelpOpen", text::kHelpOpen, "Vellumpadでﾌｧｲﾙを開きます。"},
    {"kHelpOpenProjectAsText", text::kHelpOpenProjectAsText, "ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙを通常のﾌｧｲﾙとして開きます。"},
    {"kHelpCreateProject", text::kHelpCreateProject, "ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙを作成します。"},
    {"kHelpCopyNames", text::kHelpCopyNames, "名前をｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰします。"},
    {"kTitleModule", text::kTitleModule, "VLPDMenu_0150"},
    {"kTitleStartFailed", text::kTitleStartFailed, "起動失敗"},
    {"kTitleCopyFailed", text::kTitleCopyFailed, "コピー失敗"},
    {"kMessageRegistryFailed", text::kMessageRegistryFailed,
     "処理に失敗しました。\nWindows2000,XPで動作させるときにはコンピュータの管理者権限で実行して下さい。"},
    {"kMessageNoInstallFolder", text::kMessageNoInstallFolder, "ｲﾝｽﾄｰﾙﾌｫﾙﾀﾞを取得できませんでした。"},
    {"kMessageStartFailed", text::kMessageStartFailed, "起動に失敗しました。"},
    {"kMessageCopyFailed", text::kMessageCopyFailed, "ｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰできませんでした。"},
    {"kProjectFilter", text::kProjectFilter, "ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙ(*.vpj)"},
    {"kProjectDialogTitle", text::kProjectDialogTitle, "ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙ作成"},
    {"kPickerAutomatic", text::kPickerAutomatic, "自動認識"},
    {"kProjectFailedTitle", text::kProjectFailedTitle, "VLPDMenu"},
    {"kProjectFailed", text::kProjectFailed, "ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙの作成に失敗しました。"},
    {"kProjectLimitTitle", text::kProjectLimitTitle, "VLPDMenu_0150"},
    {"kProjectLimit", text::kProjectLimit,
     "ドロップされたファイル数がオープン可能限界数を超えました。\r\n一部のファイルは登録されませんでした。"},
};

// Each encoding row's label and help text, in row order (UTF-8).
const struct {
  const char* label;
  const char* help;
} kEncodingTexts[] = {
    {"ｼﾌﾄJIS", "ｼﾌﾄJIS文字ｺｰﾄﾞﾌｧｲﾙを開きます。"},   {"EUC", "EUC文字ｺｰﾄﾞﾌｧｲﾙを開きます。"},
    {"UTF8", "UTF8文字ｺｰﾄﾞﾌｧｲﾙを開きます。"},       {"UTF16BE", "UTF16BE文字ｺｰﾄﾞﾌｧｲﾙを開きます。"},
    {"UTF16LE", "UTF16LE文字ｺｰﾄﾞﾌｧｲﾙを開きます。"},
};

TEST(HandlerText, EveryLiteralIsItsTextInCodePage932) {
  for (const Literal& literal : kLiterals) {
    EXPECT_EQ(std::string(literal.stored), ToCp932(literal.unicode)) << literal.name;
  }
  ASSERT_EQ(std::size(kEncodingTexts), static_cast<std::size_t>(kEncodingCount));
  for (int i = 0; i < kEncodingCount; ++i) {
    EXPECT_EQ(std::string(kEncodings[i].label), ToCp932(kEncodingTexts[i].label)) << i;
    EXPECT_EQ(std::string(kEncodings[i].help), ToCp932(kEncodingTexts[i].help)) << i;
  }
}

// Each help text converts to one UTF-16 unit a character.
TEST(HandlerText, HelpTextsConvertToTheirUtf16Lengths) {
  for (const Command& command : kCommands) {
    iconv_t cd = iconv_open("UTF-16LE", "CP932");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    std::string in = command.help;
    std::string out(in.size() * 4, '\0');
    char* src = in.data();
    std::size_t src_left = in.size();
    char* dst = out.data();
    std::size_t dst_left = out.size();
    EXPECT_NE(iconv(cd, &src, &src_left, &dst, &dst_left), static_cast<std::size_t>(-1));
    iconv_close(cd);
    EXPECT_EQ((out.size() - dst_left) / 2, test::CharacterCount(command.help)) << command.help;
  }
}

}  // namespace
}  // namespace vlpd
