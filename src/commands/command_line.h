// The editor's command line: the quoted executable path, one blank, the encoding switch and the
// quoted file path.
#pragma once

#include <cstddef>

#include "product.h"
#include "text/path.h"

namespace vlpd {

inline constexpr char kEditorExeName[] = "Vellumpad_" VLPD_EDITOR_VERSION_DIGITS ".exe";
inline constexpr std::size_t kMaxSwitchLength = 4;  // "/U8 ", "/UB ", "/UL "

// Room for the longest line a valid launch can produce: an install folder of 260 bytes with its
// separator, the executable name, the longest switch, a path of 259 bytes, four quotes, the blank
// and the terminator. The 520 bytes one might guess would refuse such a launch.
inline constexpr std::size_t kCommandLineBufferSize =
    1 + kMaxPath + (sizeof kEditorExeName - 1) + 1 + 1 + kMaxSwitchLength + 1 + (kMaxPath - 1) + 1 + 1;

// Writes "<folder><exe>" <switch>"<path>" (folder already ending in its separator, switch empty
// or ending in a blank) into `out` and returns its length. Returns -1 when the line and its
// terminator do not fit `size` bytes, or when the folder, the name or the path holds a double
// quote (no quoting can pass it whole); `out` then holds an empty string (when size > 0). Never
// writes past `size`.
int ComposeCommandLine(char* out, std::size_t size, const char* install_folder_with_separator,
                       const char* exe_name, const char* encoding_switch, const char* path);

}  // namespace vlpd
