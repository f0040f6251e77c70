// What kind of selection a menu is shown for: the one decision both menus take, from the same
// facts, to enable their commands.
#pragma once

namespace vlpd {

enum class SelectionKind { kSeveral, kSingleFile, kSingleProject };

// The project file's extension, compared without regard to ASCII case.
inline constexpr char kProjectExtension[] = ".vpj";

// The kind of a selection of `count` paths whose first is `first_path`; `is_folder` tells
// whether the first path is a folder. Only the first path is examined.
SelectionKind DecideSelectionKind(bool is_folder, int count, const char* first_path);

}  // namespace vlpd
