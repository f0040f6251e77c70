#include "host/wide_text.h"

namespace vlpd::test {

std::wstring Wide(const std::string& text, UINT code_page) {
  const int units = MultiByteToWideChar(code_page, 0, text.c_str(), -1, nullptr, 0);
  if (units <= 0) return {};
  std::wstring w(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(code_page, 0, text.c_str(), -1, w.data(), units);
  w.resize(static_cast<size_t>(units) - 1);
  return w;
}

std::string Narrow(const std::wstring& text, UINT code_page) {
  const int size = WideCharToMultiByte(code_page, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(code_page, 0, text.c_str(), -1, bytes.data(), size, nullptr, nullptr);
  bytes.resize(static_cast<size_t>(size) - 1);
  return bytes;
}

}  // namespace vlpd::test
