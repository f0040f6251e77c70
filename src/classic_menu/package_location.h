// Whether a registered package is the one this DLL belongs to: the sparse package's install
// location is the folder its installer put the DLL in. A package of the same name elsewhere (left
// registered by an uninstallation that could not remove it, or the other installer's scope) has no
// menu this DLL can serve.
#pragma once

#include <string_view>

namespace vlpd {

// True when `location` (a folder, with or without a trailing backslash) is the folder of the file
// `module_path`. Letters compare without case in ASCII alone, so a name that differs only in the
// case of another letter counts as elsewhere: then the classic menu shows rather than none.
bool IsFolderOf(std::wstring_view location, std::wstring_view module_path);

}  // namespace vlpd
