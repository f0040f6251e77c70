// Text of the ANSI code page (or of another code page: 932, UTF-8) as UTF-16 and back, for the
// programs that call the wide functions with the paths and texts they hold as bytes.
#pragma once

#include <windows.h>

#include <string>

namespace vlpd::test {

std::wstring Wide(const std::string& text, UINT code_page = CP_ACP);
std::string Narrow(const std::wstring& text, UINT code_page = CP_ACP);

}  // namespace vlpd::test
