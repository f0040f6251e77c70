#include "server/registry_rows.h"

namespace vlpd {
namespace {

bool HasText(const char* text) { return text != nullptr && text[0] != '\0'; }

bool HasEveryText(const ClsidTexts& clsids) {
  for (const char* text : clsids.text) {
    if (!HasText(text)) return false;
  }
  return true;
}

bool ApplyRow(RegistryApplier& registry, const RegistrationRow& row, const char* clsid_text,
              const char* module_path) {
  RowTexts texts;
  if (!BuildRowTexts(row, clsid_text, module_path, texts)) return false;
  if (!registry.CreateKey(row.root, texts.key_path)) return false;
  registry.SetValue(texts.default_value ? nullptr : texts.value_name, texts.data, texts.stored_length);
  registry.CloseKey();
  return true;
}

}  // namespace

RegistryApplier::~RegistryApplier() = default;

const char* RowArgumentText(RowArgument argument, const char* clsid_text, const char* module_path) {
  switch (argument) {
    case RowArgument::kModulePath:
      return module_path;
    case RowArgument::kClsidText:
      return clsid_text;
    case RowArgument::kNone:
      break;
  }
  return nullptr;
}

int FormatRegistryText(char* out, std::size_t size, const char* format, const char* argument) {
  if (size == 0) return -1;
  if (argument == nullptr) argument = "";
  std::size_t n = 0;
  // Appends one byte while a terminator still fits after it.
  auto put = [&](char c) {
    if (n + 1 >= size) return false;
    out[n++] = c;
    return true;
  };
  bool fits = true;
  for (const char* f = format; fits && *f != '\0'; ++f) {
    if (f[0] == '%' && f[1] == 's') {
      for (const char* a = argument; fits && *a != '\0'; ++a) fits = put(*a);
      ++f;
    } else {
      fits = put(*f);
    }
  }
  out[n] = '\0';
  return fits ? static_cast<int>(n) : -1;
}

bool BuildRowTexts(const RegistrationRow& row, const char* clsid_text, const char* module_path,
                   RowTexts& texts) {
  texts.value_name[0] = '\0';
  texts.default_value = row.value_name_format == nullptr;
  texts.stored_length = 0;
  if (FormatRegistryText(texts.key_path, sizeof texts.key_path, row.subkey_format, clsid_text) < 0) {
    return false;
  }
  if (!texts.default_value &&
      FormatRegistryText(texts.value_name, sizeof texts.value_name, row.value_name_format, clsid_text) < 0) {
    return false;
  }
  const int length = FormatRegistryText(texts.data, sizeof texts.data, row.data_format,
                                        RowArgumentText(row.argument, clsid_text, module_path));
  if (length < 0) return false;
  texts.stored_length = static_cast<std::size_t>(length) + 1;
  return true;
}

bool ApplyRegistration(RegistryApplier& registry, const ClsidTexts& clsids, const char* module_path) {
  if (!HasEveryText(clsids)) return false;
  for (const RegistrationRow& row : kRegistrationRows) {
    if (!ApplyRow(registry, row, clsids.Of(row.server_class), module_path)) return false;
  }
  if (!registry.IsNtPlatform()) return true;
  for (const char* clsid_text : clsids.text) {
    if (!ApplyRow(registry, kApprovalRow, clsid_text, module_path)) return false;
  }
  return true;
}

bool ApplyUnregistration(RegistryApplier& registry, const ClsidTexts& clsids) {
  if (!HasEveryText(clsids)) return false;
  char key_path[kRegistryTextSize];
  char server_key[kRegistryTextSize];
  if (FormatRegistryText(server_key, sizeof server_key, kServerKeyFormat,
                         clsids.Of(ServerClass::kContextMenu)) < 0) {
    return false;
  }
  for (const UnregistrationRow& row : kUnregistrationRows) {
    if (FormatRegistryText(key_path, sizeof key_path, row.key_format, clsids.Of(row.server_class)) < 0) {
      return false;
    }
    if (row.shared_by_views && registry.InOtherView(server_key)) continue;
    if (!registry.DeleteKey(row.root, key_path)) return false;
  }
  if (!registry.IsNtPlatform()) return true;
  // Registration wrote each approval as a value of the shared Approved key, so only those values
  // go; the key itself belongs to the system.
  for (const char* clsid_text : clsids.text) {
    RowTexts approval;
    if (BuildRowTexts(kApprovalRow, clsid_text, nullptr, approval)) {
      registry.DeleteValue(kApprovalRow.root, approval.key_path, approval.value_name);
    }
  }
  return true;
}

}  // namespace vlpd
