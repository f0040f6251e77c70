// The settings' contract: the merge of the policies over the user's values, and what each setting
// makes of the menu's shape and the flags test.
#include "commands/settings.h"

#include <gtest/gtest.h>

#include <string>

namespace vlpd {
namespace {

constexpr StoredValue kNone = {false, 0};
constexpr StoredValue Given(std::uint32_t value) { return {true, value}; }

// The names are a contract with the policy templates and the settings window: written once here.
TEST(Settings, NamesAndDefaults) {
  const Settings defaults = DefaultSettings();
  const struct {
    Setting setting;
    const char* name;
    std::uint32_t value;
  } expected[] = {{Setting::kHiddenCommands, "HiddenCommands", 0},
                  {Setting::kShiftOnly, "ShiftOnly", 0},
                  {Setting::kOpenOnTop, "OpenOnTop", 0},
                  {Setting::kFolderBackground, "FolderBackground", 1},
                  {Setting::kQuotedNames, "QuotedNames", 0}};
  for (const auto& row : expected) {
    EXPECT_STREQ(kSettingRows[static_cast<int>(row.setting)].name, row.name);
    EXPECT_EQ(defaults.Get(row.setting), row.value) << row.name;
    EXPECT_FALSE(defaults.ByPolicy(row.setting));
  }
  EXPECT_STREQ(kSettingsKey, "SOFTWARE\\kastel\\VLPDMenu");
  EXPECT_STREQ(kPolicyKey, "SOFTWARE\\Policies\\kastel\\VLPDMenu");
}

TEST(Settings, APolicyWinsAnInvalidValueCountsAsNone) {
  const struct {
    const char* name;
    StoredValue policy;
    StoredValue user;
    std::uint32_t hidden;
    bool by_policy;
  } cases[] = {
      {"neither", kNone, kNone, 0, false},
      {"the user's", kNone, Given(0x3E), 0x3E, false},
      {"the policy's over the user's", Given(0x41), Given(kEveryCommandHidden), 0x41, true},
      {"a policy of 0 over the user's", Given(0), Given(kEveryCommandHidden), 0, true},
      {"every command", kNone, Given(kEveryCommandHidden), kEveryCommandHidden, false},
      {"out of range: the user's stands", Given(kEveryCommandHidden + 1), Given(0x3E), 0x3E, false},
      {"both out of range: the default", Given(0xFFFFFFFF), Given(kEveryCommandHidden + 1), 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    StoredValues policy{};
    StoredValues user{};
    policy[0] = c.policy;
    user[0] = c.user;
    const Settings merged = MergeSettings(policy, user);
    EXPECT_EQ(merged.Get(Setting::kHiddenCommands), c.hidden);
    EXPECT_EQ(merged.ByPolicy(Setting::kHiddenCommands), c.by_policy);
    EXPECT_EQ(merged.Get(Setting::kFolderBackground), 1u) << "a default moved";
  }
  StoredValues user{};
  user[static_cast<int>(Setting::kFolderBackground)] = Given(0);
  user[static_cast<int>(Setting::kQuotedNames)] = Given(2);
  const Settings merged = MergeSettings({}, user);
  EXPECT_FALSE(merged.On(Setting::kFolderBackground));
  EXPECT_FALSE(merged.On(Setting::kQuotedNames));
}

// The submenu's shape by hidden set: offsets, S for a separator.
TEST(Settings, HiddenCommandsLeaveNoSeparatorFirstLastOrDoubled) {
  const struct {
    std::uint32_t hidden;
    const char* shape;
  } cases[] = {
      {0, "0S123456S7S8"}, {0x001, "123456S7S8"}, {0x03E, "0S6S7S8"},    {0x07E, "0S7S8"},
      {0x0BE, "0S6S8"},    {0x17F, "7"},          {0x0FF, "8"},          {0x180, "0S123456"},
      {0x1FE, "0"},        {0x1FF, ""},           {0x100, "0S123456S7"},
  };
  for (const auto& c : cases) {
    const SubmenuLayout layout = LayOutSubmenu(c.hidden);
    std::string shape;
    for (int i = 0; i < layout.count; ++i) {
      const SubmenuEntry& entry = kSubmenu[static_cast<std::size_t>(layout.positions[i])];
      shape += entry.separator ? 'S' : static_cast<char>('0' + entry.offset);
    }
    EXPECT_EQ(shape, c.shape) << std::hex << c.hidden;
  }
  StoredValues user{};
  user[0] = Given(0x104);
  const Settings settings = MergeSettings({}, user);
  for (int offset = -1; offset <= kCommandCount; ++offset)
    EXPECT_EQ(CommandHidden(settings, offset), offset == 2 || offset == 8) << offset;
}

TEST(Settings, ShiftOnlyWantsTheExtendedVerbs) {
  StoredValues user{};
  user[static_cast<int>(Setting::kShiftOnly)] = Given(1);
  const Settings shift_only = MergeSettings({}, user);
  for (std::uint32_t flags : {0u, kMenuExplore, kMenuVerbsOnly}) {
    EXPECT_TRUE(ShownForFlags(DefaultSettings(), flags));
    EXPECT_TRUE(ShownForFlags(DefaultSettings(), flags | kMenuExtendedVerbs));
    EXPECT_FALSE(ShownForFlags(shift_only, flags)) << flags;
    EXPECT_TRUE(ShownForFlags(shift_only, flags | kMenuExtendedVerbs)) << flags;
  }
}

}  // namespace
}  // namespace vlpd
