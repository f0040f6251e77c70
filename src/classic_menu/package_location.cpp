#include "classic_menu/package_location.h"

namespace vlpd {
namespace {

wchar_t AsciiLower(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

}  // namespace

bool IsFolderOf(std::wstring_view location, std::wstring_view module_path) {
  const std::size_t name_at = module_path.find_last_of(L'\\');
  if (name_at == std::wstring_view::npos || name_at == 0) return false;
  const std::wstring_view folder = module_path.substr(0, name_at);
  while (!location.empty() && location.back() == L'\\') location.remove_suffix(1);
  if (location.size() != folder.size()) return false;
  for (std::size_t i = 0; i < folder.size(); ++i) {
    if (AsciiLower(location[i]) != AsciiLower(folder[i])) return false;
  }
  return true;
}

}  // namespace vlpd
