#include "tools/demo/console.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "host/wide_text.h"

namespace vlpd::demo {

using test::Narrow;
using test::Wide;

std::string Utf8(const std::wstring& text) { return Narrow(text, CP_UTF8); }

std::string Cp932ToUtf8(const std::string& bytes) { return Utf8(Wide(bytes, 932)); }

int DisplayWidth(const std::string& utf8) {
  int columns = 0;
  for (wchar_t c : Wide(utf8, CP_UTF8)) {
    const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
                      (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                      (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                      (c >= 0xFFE0 && c <= 0xFFE6);
    columns += wide ? 2 : 1;
  }
  return columns;
}

std::string PadTo(const std::string& utf8, int columns) {
  const int width = DisplayWidth(utf8);
  return width >= columns ? utf8 : utf8 + std::string(static_cast<size_t>(columns - width), ' ');
}

void PrepareConsole() {
  // On a Wine console the bytes are decoded with the console's code page (932 here); a pipe or
  // file takes them unchanged. Binary mode keeps the C runtime from turning \n into \r\n.
  SetConsoleOutputCP(CP_UTF8);
  _setmode(_fileno(stdout), _O_BINARY);
}

void Print(const std::string& utf8) {
  fwrite(utf8.data(), 1, utf8.size(), stdout);
  fflush(stdout);
}

}  // namespace vlpd::demo
