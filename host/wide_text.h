// Text of the ANSI code page (or of code page 932) as UTF-16, for tests that call the wide
// functions with the paths and texts they hold as bytes.
#pragma once

#include <windows.h>

#include <string>

namespace vlpd::test {

std::wstring Wide(const std::string& text, UINT code_page = CP_ACP);

}  // namespace vlpd::test
