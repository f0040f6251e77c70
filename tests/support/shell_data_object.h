// The data object Wine's shell32 hands out for real files, as Explorer would pass it.
#pragma once

#include <objidl.h>
#include <windows.h>

#include <string>
#include <vector>

#include "win/unique_handle.h"

namespace vlpd::test {

// `folder` is an absolute ANSI path; `names` are entries of that folder. Needs COM initialised.
// Empty on failure.
ComRef<IDataObject> ShellDataObject(const std::string& folder, const std::vector<std::string>& names);

}  // namespace vlpd::test
