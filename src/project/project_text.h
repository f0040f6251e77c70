// Every text of project creation: the save dialog's filter and title, the picker entries and the
// messages, as the code page 932 bytes of the Japanese text in the comment beside each (made
// with tools/cp932_literal.py).
#pragma once

#include "text/handler_name.h"

namespace vlpd::text {

// One filter (description, pattern) ended by an empty pair.
inline constexpr char kProjectFilter[] =  // ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙ(*.vpj), *.vpj
    "\xCC\xDF\xDB\xBC\xDE\xAA\xB8\xC4\xCC\xA7\xB2\xD9(*.vpj)\0*.vpj\0";
inline constexpr char kProjectDialogTitle[] =  // ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙ作成
    "\xCC\xDF\xDB\xBC\xDE\xAA\xB8\xC4\xCC\xA7\xB2\xD9\x8D\xEC\x90\xAC";
inline constexpr char kProjectDefaultExtension[] = "vpj";

// The picker's first entry; the encodings' rows give the others (project/encoding_picker.h).
inline constexpr char kPickerAutomatic[] =
    "\x8E\xA9\x93\xAE\x94"
    "F\x8E\xAF";  // 自動認識

// Creating the project failed (the file could not be created, a write failed, or no member was
// found).
inline constexpr char kProjectFailedTitle[] = "VLPDMenu";
inline constexpr char kProjectFailed[] =  // ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙの作成に失敗しました。
    "\xCC\xDF\xDB\xBC\xDE\xAA\xB8\xC4\xCC\xA7\xB2\xD9\x82\xCC\x8D\xEC\x90\xAC\x82\xC9\x8E\xB8\x94s\x82\xB5"
    "\x82"
    "\xDC\x82\xB5\x82\xBD\x81"
    "B";

// The progress window of a long creation (its title is kProjectDialogTitle): the member count
// follows the first line's text, the folder being walked is the second line.
inline constexpr char kProgressMembers[] =  // 登録したファイル数：
    "\x93o\x98^\x82\xB5\x82\xBD\x83t\x83@\x83"
    "C\x83\x8B\x90\x94\x81"
    "F";
inline constexpr char kProgressCancelling[] =  // キャンセルしています...
    "\x83L\x83\x83\x83\x93\x83Z\x83\x8B\x82\xB5\x82\xC4\x82\xA2\x82\xDC\x82\xB7...";

// The member limit cut the project short.
inline constexpr const char* kProjectLimitTitle = kHandlerName;
inline constexpr char kProjectLimit[] =
    // ドロップされたファイル数がオープン可能限界数を超えました。\r\n一部のファイルは登録されませんでした。
    "\x83h\x83\x8D\x83"
    "b\x83v\x82\xB3\x82\xEA\x82\xBD\x83t\x83@\x83"
    "C\x83\x8B\x90\x94\x82\xAA\x83I\x81[\x83v"
    "\x83\x93\x89\xC2\x94\\\x8C\xC0\x8A"
    "E\x90\x94\x82\xF0\x92\xB4\x82\xA6\x82\xDC\x82\xB5\x82\xBD\x81"
    "B\r\n"
    "\x88\xEA\x95\x94\x82\xCC\x83t\x83@\x83"
    "C\x83\x8B\x82\xCD\x93o\x98^\x82\xB3\x82\xEA\x82\xDC\x82\xB9\x82\xF1"
    "\x82\xC5\x82\xB5\x82\xBD\x81"
    "B";

}  // namespace vlpd::text
