// Prints the settings' contract as the DLL holds it, for the policy templates' check
// (policy_templates_test.py): the policies' key, then one line per value: name, default, maximum.
#include <cstdio>

#include "commands/settings.h"

int main() {
  std::printf("%s\n", vlpd::kPolicyKey);
  for (const vlpd::SettingRow& row : vlpd::kSettingRows)
    std::printf("%s %u %u\n", row.name, static_cast<unsigned>(row.default_value),
                static_cast<unsigned>(row.maximum));
  return 0;
}
