// The data object Wine's shell32 hands out for real files, as Explorer passes it to handlers.
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
// The same by UTF-16 names, for names outside code page 932.
ComRef<IDataObject> ShellDataObject(const std::wstring& folder, const std::vector<std::wstring>& names);

}  // namespace vlpd::test
