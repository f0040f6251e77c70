#include "tests/support/file_version.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "host/wide_text.h"

namespace vlpd::test {

std::string FileVersionValue(const std::string& path, const char* name) {
  const std::wstring wide = Wide(path);
  DWORD ignored = 0;
  std::vector<char> block(GetFileVersionInfoSizeW(wide.c_str(), &ignored));
  void* data = nullptr;
  UINT length = 0;
  if (block.empty() ||
      !GetFileVersionInfoW(wide.c_str(), 0, static_cast<DWORD>(block.size()), block.data()) ||
      !VerQueryValueW(block.data(), name == nullptr ? L"\\" : L"\\VarFileInfo\\Translation", &data,
                      &length)) {
    return {};
  }
  char text[256] = {};
  if (name == nullptr && length >= sizeof(VS_FIXEDFILEINFO)) {
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(data);
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", HIWORD(fixed->dwFileVersionMS),
                  LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
                  LOWORD(fixed->dwFileVersionLS));
  } else if (name != nullptr && length >= 4) {
    const auto* translation = static_cast<const WORD*>(data);
    wchar_t query[128];
    std::swprintf(query, 128, L"\\StringFileInfo\\%04x%04x\\%hs", translation[0], translation[1], name);
    if (VerQueryValueW(block.data(), query, &data, &length) && length > 0) {
      WideCharToMultiByte(CP_ACP, 0, static_cast<const wchar_t*>(data), static_cast<int>(length), text,
                          sizeof text - 1, nullptr, nullptr);
    }
  }
  return text;
}

}  // namespace vlpd::test
