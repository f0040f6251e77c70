// Encoding codes shared by the detector, the editor launch and the project writer, and the row
// of each encoding the editor takes a switch for.
#pragma once

#include <cstddef>

#include "text/windows_values.h"

namespace vlpd {

inline constexpr int kEncodingAuto = 0;  // undetermined, or left to the editor: no switch
inline constexpr int kEncodingShiftJis = 1;
inline constexpr int kEncodingEuc = 2;
inline constexpr int kEncodingUtf8 = 4;
inline constexpr int kEncodingUtf16Be = 5;
inline constexpr int kEncodingUtf16Le = 6;

// The detector's answer for a file that was opened but could not be read.
inline constexpr int kEncodingReadFailed = -1;

// Only the first 256 KiB of a file decide its encoding.
inline constexpr std::size_t kDetectionWindow = 262144;

// One encoding the editor can be told to read a file in: its code, its command-line switch
// (ending in one blank), its label (the submenu item and the save dialog's picker entry alike),
// its help text in the submenu and its command's canonical name in Windows 11's menu. Texts are the code page
// 932 bytes of the Japanese text in the comment beside each (made with tools/cp932_literal.py).
struct EncodingRow {
  int code;
  const char* editor_switch;
  const char* label;
  const char* help;
  Guid command_name;
};

// In submenu and picker order: the submenu's encoding commands, the picker's entries after
// automatic recognition and the picker's codes all come from these rows. An encoding is one row.
inline constexpr EncodingRow kEncodings[] = {
    {kEncodingShiftJis,
     "/S ",
     "\xBC\xCC\xC4"
     "JIS",  // ｼﾌﾄJIS
     // ｼﾌﾄJIS文字ｺｰﾄﾞﾌｧｲﾙを開きます。
     "\xBC\xCC\xC4JIS\x95\xB6\x8E\x9A\xBA\xB0\xC4\xDE\xCC\xA7\xB2\xD9\x82\xF0\x8AJ\x82\xAB\x82\xDC\x82\xB7"
     "\x81"
     "B",
     {0x7a290954, 0xa505, 0x4500, {0xae, 0x54, 0xe5, 0x97, 0xcf, 0x0b, 0x9f, 0x56}}},
    {kEncodingEuc,
     "/E ",
     "EUC",
     // EUC文字ｺｰﾄﾞﾌｧｲﾙを開きます。
     "EUC\x95\xB6\x8E\x9A\xBA\xB0\xC4\xDE\xCC\xA7\xB2\xD9\x82\xF0\x8AJ\x82\xAB\x82\xDC\x82\xB7\x81"
     "B",
     {0x7a290954, 0xa505, 0x4500, {0xae, 0x54, 0xe5, 0x97, 0xcf, 0x0b, 0x9f, 0x57}}},
    {kEncodingUtf8,
     "/U8 ",
     "UTF8",
     // UTF8文字ｺｰﾄﾞﾌｧｲﾙを開きます。
     "UTF8\x95\xB6\x8E\x9A\xBA\xB0\xC4\xDE\xCC\xA7\xB2\xD9\x82\xF0\x8AJ\x82\xAB\x82\xDC\x82\xB7\x81"
     "B",
     {0x7a290954, 0xa505, 0x4500, {0xae, 0x54, 0xe5, 0x97, 0xcf, 0x0b, 0x9f, 0x58}}},
    {kEncodingUtf16Be,
     "/UB ",
     "UTF16BE",
     // UTF16BE文字ｺｰﾄﾞﾌｧｲﾙを開きます。
     "UTF16BE\x95\xB6\x8E\x9A\xBA\xB0\xC4\xDE\xCC\xA7\xB2\xD9\x82\xF0\x8AJ\x82\xAB\x82\xDC\x82\xB7\x81"
     "B",
     {0x7a290954, 0xa505, 0x4500, {0xae, 0x54, 0xe5, 0x97, 0xcf, 0x0b, 0x9f, 0x59}}},
    {kEncodingUtf16Le,
     "/UL ",
     "UTF16LE",
     // UTF16LE文字ｺｰﾄﾞﾌｧｲﾙを開きます。
     "UTF16LE\x95\xB6\x8E\x9A\xBA\xB0\xC4\xDE\xCC\xA7\xB2\xD9\x82\xF0\x8AJ\x82\xAB\x82\xDC\x82\xB7\x81"
     "B",
     {0x7a290954, 0xa505, 0x4500, {0xae, 0x54, 0xe5, 0x97, 0xcf, 0x0b, 0x9f, 0x5a}}},
};

inline constexpr int kEncodingCount = static_cast<int>(sizeof kEncodings / sizeof kEncodings[0]);

// The editor's command-line switch for an encoding code; "" for a code that has no row (0, 3,
// negative or unknown).
constexpr const char* EncodingSwitch(int code) {
  for (const EncodingRow& row : kEncodings) {
    if (row.code == code) return row.editor_switch;
  }
  return "";
}

}  // namespace vlpd
