// The settings as the registry holds them now: read at every right-click, so a change counts at
// the next one without restarting Explorer. Two key opens at most: the policies, the user's key.
#pragma once

#include "commands/settings.h"

namespace vlpd {

Settings ReadSettings();

}  // namespace vlpd
