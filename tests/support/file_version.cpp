#include "tests/support/file_version.h"

#include <windows.h>

#include <cstdio>

#include "tests/support/wide_text.h"

namespace vlpd::test {
namespace {

std::string Dotted(DWORD high, DWORD low) {
  char text[32];
  std::snprintf(text, sizeof text, "%lu.%lu.%lu.%lu", static_cast<unsigned long>(HIWORD(high)),
                static_cast<unsigned long>(LOWORD(high)), static_cast<unsigned long>(HIWORD(low)),
                static_cast<unsigned long>(LOWORD(low)));
  return text;
}

}  // namespace

FileVersionInfo::FileVersionInfo(const std::string& path) {
  const std::wstring wide = Wide(path);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(wide.c_str(), &ignored);
  if (size == 0) return;
  block_.resize(size);
  if (!GetFileVersionInfoW(wide.c_str(), 0, size, block_.data())) block_.clear();
}

const VS_FIXEDFILEINFO* FileVersionInfo::Fixed() const {
  void* fixed = nullptr;
  UINT length = 0;
  if (!Found() || !VerQueryValueW(block_.data(), L"\\", &fixed, &length) || length < sizeof(VS_FIXEDFILEINFO))
    return nullptr;
  return static_cast<const VS_FIXEDFILEINFO*>(fixed);
}

std::string FileVersionInfo::FileVersion() const {
  const VS_FIXEDFILEINFO* info = Fixed();
  return info != nullptr ? Dotted(info->dwFileVersionMS, info->dwFileVersionLS) : "";
}

std::string FileVersionInfo::ProductVersion() const {
  const VS_FIXEDFILEINFO* info = Fixed();
  return info != nullptr ? Dotted(info->dwProductVersionMS, info->dwProductVersionLS) : "";
}

std::string FileVersionInfo::Text(const char* name) const {
  void* data = nullptr;
  UINT length = 0;
  if (!Found() || !VerQueryValueW(block_.data(), L"\\VarFileInfo\\Translation", &data, &length) || length < 4)
    return {};
  const auto* translation = static_cast<const WORD*>(data);
  wchar_t query[128];
  std::swprintf(query, 128, L"\\StringFileInfo\\%04x%04x\\%hs", translation[0], translation[1], name);
  if (!VerQueryValueW(block_.data(), query, &data, &length) || length == 0) return {};
  char text[256] = {};
  WideCharToMultiByte(CP_ACP, 0, static_cast<const wchar_t*>(data), static_cast<int>(length), text,
                      sizeof text - 1, nullptr, nullptr);
  return text;
}

}  // namespace vlpd::test
