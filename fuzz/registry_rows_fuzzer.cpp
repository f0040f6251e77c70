// FormatRegistryText and BuildRowTexts over arbitrary formats, CLSID texts, module paths and
// buffer sizes, the output in a heap buffer of exactly its size: the text with every "%s"
// replaced when it fits, else -1 with as much as fits, terminated; never a byte past the buffer.
// BuildRowTexts fails exactly when one of its three texts does not fit.
//
// Input: one control byte (bit 0 no argument, bit 1 no CLSID text, bit 2 no module path, bits
// 3-7 the row: the registration rows and the approval row, else a row made of the fields), the
// output size (two bytes), then the format, the argument, the CLSID text, the module path and
// a value name format, separated by NUL bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>

#include "fuzz/fuzz_input.h"
#include "server/registry_rows.h"

namespace vlpd::fuzz {
namespace {

// The format with each "%s", read left to right, replaced by the argument.
std::string Expanded(const char* format, const char* argument) {
  const std::string value = argument == nullptr ? "" : argument;
  std::string text;
  for (std::size_t i = 0; format[i] != '\0'; ++i) {
    if (format[i] == '%' && format[i + 1] == 's') {
      text += value;
      ++i;
    } else {
      text += format[i];
    }
  }
  return text;
}

void CheckFormat(const char* format, const char* argument, std::size_t size) {
  std::unique_ptr<char[]> out(new char[size]);
  if (size > 0) std::memset(out.get(), '#', size);
  const int result = FormatRegistryText(out.get(), size, format, argument);
  const std::string expected = Expanded(format, argument);
  if (size == 0) {
    Require(result == -1);
    return;
  }
  if (expected.size() >= size) {
    Require(result == -1);
    Require(std::memcmp(out.get(), expected.c_str(), size - 1) == 0 && out[size - 1] == '\0');
    return;
  }
  Require(result == static_cast<int>(expected.size()));
  Require(std::memcmp(out.get(), expected.c_str(), expected.size() + 1) == 0);
}

void CheckRow(const RegistrationRow& row, const char* clsid_text, const char* module_path) {
  std::unique_ptr<RowTexts> texts(new RowTexts);
  const bool built = BuildRowTexts(row, clsid_text, module_path, *texts);
  const std::string key = Expanded(row.subkey_format, clsid_text);
  const bool default_value = row.value_name_format == nullptr;
  const std::string name = default_value ? "" : Expanded(row.value_name_format, clsid_text);
  const std::string value = Expanded(row.data_format, RowArgumentText(row.argument, clsid_text, module_path));
  const bool fits =
      key.size() < kRegistryTextSize && name.size() < kRegistryTextSize && value.size() < kRegistryTextSize;
  Require(built == fits);
  Require(texts->default_value == default_value);
  if (!built) return;
  Require(key == texts->key_path && name == texts->value_name && value == texts->data);
  Require(texts->stored_length == value.size() + 1);
}

}  // namespace

void FuzzOne(FuzzInput& input) {
  const std::uint8_t control = input.Byte();
  const std::size_t out_size = input.Word();
  const std::string format = input.Field();
  const std::string argument = input.Field();
  const std::string clsid = input.Field();
  const std::string module = input.Field();
  const std::string value_name = input.Field();

  const std::unique_ptr<char[]> format_text = ExactCopy(format);
  const std::unique_ptr<char[]> argument_text = ExactCopy(argument);
  const std::unique_ptr<char[]> clsid_text = ExactCopy(clsid);
  const std::unique_ptr<char[]> module_text = ExactCopy(module);
  const std::unique_ptr<char[]> value_name_text = ExactCopy(value_name);

  CheckFormat(format_text.get(), (control & 1) != 0 ? nullptr : argument_text.get(), out_size);

  const char* clsid_arg = (control & 2) != 0 ? nullptr : clsid_text.get();
  const char* module_arg = (control & 4) != 0 ? nullptr : module_text.get();
  const std::size_t pick = control >> 3;
  constexpr std::size_t kTableRows = std::size(kRegistrationRows);
  if (pick < kTableRows) {
    CheckRow(kRegistrationRows[pick], clsid_arg, module_arg);
  } else if (pick == kTableRows) {
    CheckRow(kApprovalRow, clsid_arg, module_arg);
  } else {
    const RowArgument argument_kind = static_cast<RowArgument>(pick % 3);
    const RegistrationRow row = {RegistryRoot::kClassesRoot, format_text.get(),
                                 (pick & 4) != 0 ? nullptr : value_name_text.get(), argument_text.get(),
                                 argument_kind};
    CheckRow(row, clsid_arg, module_arg);
  }
}

}  // namespace vlpd::fuzz
