#include "commands/settings.h"

namespace vlpd {
namespace {

bool Valid(const SettingRow& row, const StoredValue& stored) {
  return stored.given && stored.value <= row.maximum;
}

}  // namespace

Settings DefaultSettings() {
  Settings settings{};
  for (int i = 0; i < kSettingCount; ++i) settings.values[i] = kSettingRows[i].default_value;
  return settings;
}

Settings MergeSettings(const StoredValues& policy, const StoredValues& user) {
  Settings settings = DefaultSettings();
  for (int i = 0; i < kSettingCount; ++i) {
    const SettingRow& row = kSettingRows[i];
    if (Valid(row, policy[i])) {
      settings.values[i] = policy[i].value;
      settings.by_policy[i] = true;
    } else if (Valid(row, user[i])) {
      settings.values[i] = user[i].value;
    }
  }
  return settings;
}

bool CommandHidden(const Settings& settings, int offset) {
  return offset >= 0 && offset < kCommandCount &&
         (settings.Get(Setting::kHiddenCommands) >> offset & 1u) != 0;
}

bool ShownForFlags(const Settings& settings, std::uint32_t flags) {
  return !settings.On(Setting::kShiftOnly) || (flags & kMenuExtendedVerbs) != 0;
}

}  // namespace vlpd
