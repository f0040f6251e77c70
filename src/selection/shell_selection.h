// The selection as the shell hands it over: its data object, kept for the handler's whole life,
// and the list of selected paths read afresh from it for every use; or the UTF-16 names a front
// end without a drop list hands over, read into a list by the same rules.
#pragma once

#include <windows.h>
// The shell headers need windows.h first.
#include <objidl.h>

#include <climits>
#include <cstddef>

#include "selection/selection_list.h"
#include "win/com_owners.h"
#include "win/unique_handle.h"

namespace vlpd {

// One name as a front end without a drop list hands it over (a file-system path of a shell item):
// `units` UTF-16 units at `text`, no terminator needed.
struct WideName {
  const wchar_t* text;
  std::size_t units;
};

class ShellSelection {
 public:
  // Keeps a reference of its own on `data` (replacing any earlier one).
  void Attach(IDataObject* data) {
    data_ = ComRef<IDataObject>::Share(data);
    held_ = false;
    folder_units_ = 0;
  }
  // Makes the folder at `path` the selection, read afresh at every use like a data object's names:
  // the background of a folder, where the shell hands over no data object. Gives back any data
  // object; false, with no selection, for a path of MAX_PATH units or more.
  bool AttachFolder(const wchar_t* path);
  // Whether the selection is a folder whose background was clicked.
  bool FolderBackground() const { return folder_units_ > 0; }
  // Gives the data object back.
  void Detach() { data_.Reset(); }

  // Reads the data object's drop list into List(), in one pass over its names, keeping at most
  // `wanted` of them: a command converts only the names it uses (a short-name query per name
  // outside the code page, a round trip on a network share), the menu and a launch only the first.
  // A failure result means the names could not be read (E_UNEXPECTED when no data object is
  // attached, E_OUTOFMEMORY when memory runs out); success may still leave the list empty. Names
  // of 260 bytes or more are left out, and so are UTF-16 names with no ANSI path that names the
  // file (see ToAnsiPath); each name kept has its UTF-16 form beside it.
  // With names held (Hold) and no data object, the list stays as it is.
  HRESULT Refill(int wanted = kEveryName);
  void Free() {
    list_.Free();
    listed_ = 0;
  }
  // Makes the `count` names at `names` the selection (see FillSelection), for a front end without
  // a drop list; gives back any data object. The result is FillSelection's.
  HRESULT Hold(const WideName* names, std::size_t count);
  const SelectionList& List() const { return list_; }
  // The names in the drop list last read, kept or not, converted or not.
  std::size_t Listed() const { return listed_; }

  static constexpr int kEveryName = INT_MAX;

 private:
  ComRef<IDataObject> data_;
  SelectionList list_;
  bool held_ = false;
  std::size_t listed_ = 0;
  wchar_t folder_[MAX_PATH] = {};
  std::size_t folder_units_ = 0;
};

// Asks `data` for its drop list, in a global block.
HRESULT FetchDropList(IDataObject* data, StorageMedium& medium);

// Fills `list` from the `count` names at `names`, in their order and by the drop list's rules:
// empty or null names and names of 260 units or more are left out, and so are names with no ANSI path
// that names the file (see ToAnsiPath); each name kept has its UTF-16 form beside it. S_OK, the
// list possibly empty; E_INVALIDARG for names missing behind a count; E_OUTOFMEMORY, with the
// list empty, when memory runs out.
HRESULT FillSelection(SelectionList& list, const WideName* names, std::size_t count);

}  // namespace vlpd
