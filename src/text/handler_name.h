// The handler's registered name: the class key's default value, the leaf of its registry keys,
// the approval value's data, and the title of several of its messages.
#pragma once

#include "product.h"

// A macro as well, so that registry key literals can be joined with it at compile time.
#define VLPD_HANDLER_NAME "VLPDMenu_" VLPD_EDITOR_VERSION_DIGITS

namespace vlpd {

inline constexpr char kHandlerName[] = VLPD_HANDLER_NAME;

}  // namespace vlpd
