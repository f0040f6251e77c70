// The selection of the Windows 11 menu, read from the shell item array its calls are given: the
// file-system items' UTF-16 paths, through the same rules as the classic menu's drop list (an
// exact ANSI path, else the short one, else the name is left out).
#pragma once

#include <windows.h>
// The shell headers need windows.h first.
#include <shobjidl.h>

#include "selection/selection_kind.h"
#include "selection/shell_selection.h"
#include "text/path.h"

namespace vlpd {

// What the menu's states need: whether any name is kept, and the kind of the selection.
struct ItemArrayState {
  bool has_names = false;
  SelectionKind kind = SelectionKind::kSeveral;
  bool drive_root = false;  // one name, the root of a drive: a drive was right-clicked
};

// Reads the state from the first two names kept and the first one's attributes, never every item.
// Without `may_touch_disk` the file system is not asked: a name the ANSI code page cannot write
// (which needs its short alias) gives E_PENDING, as the shell asks again when it may be slow. An
// array that cannot be read, or no array, keeps no names.
HRESULT ReadItemArrayState(IShellItemArray* items, bool may_touch_disk, ItemArrayState* state);

// Fills `selection` with every name the array keeps, and `folder` with the first name's folder
// (the invoking folder of the classic menu; empty when no name is kept). A failure result means
// the array could not be read or memory ran out.
HRESULT ReadItemArraySelection(IShellItemArray* items, ShellSelection& selection,
                               char (&folder)[kPathBufferSize]);

}  // namespace vlpd
