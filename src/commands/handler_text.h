// Every text the handler shows: menu labels, help texts, message texts and titles, as the code
// page 932 bytes of the Japanese text in the comment beside each (made with tools/cp932_literal.py).
#pragma once

#include "text/handler_name.h"

namespace vlpd::text {

inline constexpr char kSubmenuCaption[] = VLPD_EDITOR_TITLE;

// Item labels of the submenu; the encodings' labels and help texts are their rows' (detect/encoding.h).
inline constexpr char kLabelOpen[] =
    "\x8A"
    "J\x82\xAD";  // 開く
inline constexpr char kLabelCreateProject[] =
    "\xCC\xDF\xDB\xBC\xDE\xAA\xB8\xC4\xCC\xA7\xB2\xD9\x8D\xEC\x90\xAC";  // ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙ作成
inline constexpr char kLabelCopyNames[] = "\x96\xBC\x91O\x82\xF0\xBA\xCB\xDF\xB0";  // 名前をｺﾋﾟｰ
// The open command at the top level, beside the submenu (the OpenOnTop setting).
inline constexpr char kLabelOpenOnTop[] = "Vellumpad \x82\xC5\x8AJ\x82\xAD";  // Vellumpad で開く

// Status-bar help texts, by command offset.
inline constexpr char kHelpOpen[] =  // Vellumpadでﾌｧｲﾙを開きます。
    "Vellumpad\x82\xC5\xCC\xA7\xB2\xD9\x82\xF0\x8AJ\x82\xAB\x82\xDC\x82\xB7\x81"
    "B";
inline constexpr char kHelpOpenProjectAsText[] =  // ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙを通常のﾌｧｲﾙとして開きます。
    "\xCC\xDF\xDB\xBC\xDE\xAA\xB8\xC4\xCC\xA7\xB2\xD9\x82\xF0\x92\xCA\x8F\xED\x82\xCC\xCC\xA7\xB2\xD9\x82\xC6"
    "\x82\xB5\x82\xC4\x8A"
    "J\x82\xAB\x82\xDC\x82\xB7\x81"
    "B";
inline constexpr char kHelpCreateProject[] =  // ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙを作成します。
    "\xCC\xDF\xDB\xBC\xDE\xAA\xB8\xC4\xCC\xA7\xB2\xD9\x82\xF0\x8D\xEC\x90\xAC\x82\xB5\x82\xDC\x82\xB7\x81"
    "B";
inline constexpr char kHelpCopyNames[] =  // 名前をｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰします。
    "\x96\xBC\x91O\x82\xF0\xB8\xD8\xAF\xCC\xDF\xCE\xDE\xB0\xC4\xDE\x82\xC9\xBA\xCB\xDF\xB0\x82\xB5\x82\xDC"
    "\x82"
    "\xB7\x81"
    "B";

// Message boxes of the editor launch and the name copy.
inline constexpr const char* kTitleModule = kHandlerName;
inline constexpr char kTitleStartFailed[] =
    "\x8B"
    "N\x93\xAE\x8E\xB8\x94s";                                               // 起動失敗
inline constexpr char kTitleCopyFailed[] = "\x83R\x83s\x81[\x8E\xB8\x94s";  // コピー失敗
inline constexpr char kMessageRegistryFailed[] =
    // 処理に失敗しました。\nWindows2000,XPで動作させるときにはコンピュータの管理者権限で実行して下さい。
    "\x8F\x88\x97\x9D\x82\xC9\x8E\xB8\x94s\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81"
    "B\n"
    "Windows2000,"
    "XP\x82\xC5\x93\xAE\x8D\xEC\x82\xB3\x82\xB9\x82\xE9\x82\xC6\x82\xAB\x82\xC9\x82\xCD\x83R\x83\x93"
    "\x83s\x83\x85\x81[\x83^\x82\xCC\x8A\xC7\x97\x9D\x8E\xD2\x8C\xA0\x8C\xC0\x82\xC5\x8E\xC0\x8Ds\x82\xB5\x82"
    "\xC4\x89\xBA\x82\xB3\x82\xA2\x81"
    "B";
inline constexpr char kMessageNoInstallFolder[] =  // ｲﾝｽﾄｰﾙﾌｫﾙﾀﾞを取得できませんでした。
    "\xB2\xDD\xBD\xC4\xB0\xD9\xCC\xAB\xD9\xC0\xDE\x82\xF0\x8E\xE6\x93\xBE\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82"
    "\xF1\x82\xC5\x82\xB5\x82\xBD\x81"
    "B";
inline constexpr char kMessageStartFailed[] =  // 起動に失敗しました。
    "\x8B"
    "N\x93\xAE\x82\xC9\x8E\xB8\x94s\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81"
    "B";
inline constexpr char kMessageCopyFailed[] =  // ｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰできませんでした。
    "\xB8\xD8\xAF\xCC\xDF\xCE\xDE\xB0\xC4\xDE\x82\xC9\xBA\xCB\xDF\xB0\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1"
    "\x82\xC5\x82\xB5\x82\xBD\x81"
    "B";

}  // namespace vlpd::text
