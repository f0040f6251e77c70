// Terminal output of the demo: the handler's texts are code page 932 bytes, the terminal reads
// UTF-8, so every text goes through UTF-16 on its way out.
#pragma once

#include <string>

namespace vlpd::demo {

std::string Utf8(const std::wstring& text);
// Code page 932 bytes (what the handler and the ANSI functions hold) as UTF-8.
std::string Cp932ToUtf8(const std::string& bytes);

// Terminal columns the text takes: two for ideographs, kana and full-width forms, one for
// half-width katakana and ASCII.
int DisplayWidth(const std::string& utf8);
// The text followed by blanks up to `columns` terminal columns.
std::string PadTo(const std::string& utf8, int columns);

// Sends UTF-8 bytes to stdout as they are, on a Wine console as well as on a pipe.
void PrepareConsole();
void Print(const std::string& utf8);

}  // namespace vlpd::demo
