// What the user (or the machine's administrator) chooses the right-click to show. Plain data: each
// setting's registry value name, default and range, and the merge of the two keys, where a policy
// wins over the user's own value. The Windows layer reads the keys (commands/read_settings.h);
// both menus, the settings window and the policy templates take their names from here.
#pragma once

#include <array>
#include <cstdint>

#include "commands/command_table.h"
#include "product.h"

namespace vlpd {

// Our own keys: the user's choices under HKEY_CURRENT_USER, the policies under HKEY_LOCAL_MACHINE.
#define VLPD_SETTINGS_KEY "SOFTWARE\\" VLPD_MAKER "\\" VLPD_NAME
#define VLPD_POLICY_KEY "SOFTWARE\\Policies\\" VLPD_MAKER "\\" VLPD_NAME
inline constexpr char kSettingsKey[] = VLPD_SETTINGS_KEY;
inline constexpr char kPolicyKey[] = VLPD_POLICY_KEY;

enum class Setting { kHiddenCommands, kShiftOnly, kOpenOnTop, kFolderBackground, kQuotedNames };
inline constexpr int kSettingCount = 5;

// One DWORD value; one of a value in 0..maximum is taken, any other ignored.
struct SettingRow {
  Setting setting;
  const char* name;
  std::uint32_t default_value;
  std::uint32_t maximum;
};

// Bit n of HiddenCommands hides command offset n.
inline constexpr std::uint32_t kEveryCommandHidden = (1u << kCommandCount) - 1;

// In the order of Setting.
inline constexpr SettingRow kSettingRows[kSettingCount] = {
    {Setting::kHiddenCommands, "HiddenCommands", 0, kEveryCommandHidden},
    {Setting::kShiftOnly, "ShiftOnly", 0, 1},
    {Setting::kOpenOnTop, "OpenOnTop", 0, 1},
    {Setting::kFolderBackground, "FolderBackground", 1, 1},
    {Setting::kQuotedNames, "QuotedNames", 0, 1},
};

constexpr bool RowsInSettingOrder() {
  for (int i = 0; i < kSettingCount; ++i) {
    if (static_cast<int>(kSettingRows[i].setting) != i) return false;
  }
  return true;
}
static_assert(RowsInSettingOrder());

// One value as a key holds it: `given` is false where it is missing or not a DWORD.
struct StoredValue {
  bool given;
  std::uint32_t value;
};
using StoredValues = std::array<StoredValue, kSettingCount>;

struct Settings {
  std::array<std::uint32_t, kSettingCount> values;
  std::array<bool, kSettingCount> by_policy;  // the administrator's value stands

  std::uint32_t Get(Setting setting) const { return values[static_cast<int>(setting)]; }
  bool On(Setting setting) const { return Get(setting) != 0; }
  bool ByPolicy(Setting setting) const { return by_policy[static_cast<int>(setting)]; }
};

// The settings with no value set anywhere.
Settings DefaultSettings();

// Each setting from the policy's value where it is valid, else the user's where that is, else the
// default.
Settings MergeSettings(const StoredValues& policy, const StoredValues& user);

// Whether command `offset` is hidden by HiddenCommands.
bool CommandHidden(const Settings& settings, int offset);

// Whether the classic menu is shown for QueryContextMenu's `flags`: with ShiftOnly, only when the
// shell asks for the extended verbs (Shift is held).
bool ShownForFlags(const Settings& settings, std::uint32_t flags);

}  // namespace vlpd
