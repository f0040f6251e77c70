#include "selection/item_array.h"

#include <cstring>
#include <cwchar>
#include <memory>
#include <new>
#include <utility>

#include "text/path.h"
#include "win/ansi_path.h"
#include "win/com_owners.h"

namespace vlpd {
namespace {

// A compressed folder answers SFGAO_FOLDER too: only SFGAO_STREAM tells it is a file.
constexpr SFGAOF kAskedAttributes = SFGAO_FILESYSTEM | SFGAO_FOLDER | SFGAO_STREAM;

// The one rule by which the states and the commands keep an item: its file-system path when the
// item says it is in the file system and names a path (the shell's drop list would name no other),
// with the attributes it gave (a shell item may read them anew for every call). False for an item
// the rule leaves out or that cannot be read.
bool ReadItem(IShellItemArray* items, DWORD index, TaskString& path, SFGAOF& attributes) {
  attributes = 0;
  ComRef<IShellItem> item;
  if (FAILED(items->GetItemAt(index, item.Put())) || !item) return false;
  if (FAILED(item->GetAttributes(kAskedAttributes, &attributes)) || (attributes & SFGAO_FILESYSTEM) == 0) {
    return false;
  }
  return SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, path.Put())) && path.Get() != nullptr;
}

// A folder as the classic menu sees it, a directory: a compressed folder is a file (a stream).
bool IsDirectory(SFGAOF attributes) {
  return (attributes & SFGAO_FOLDER) != 0 && (attributes & SFGAO_STREAM) == 0;
}

// The folder part of `path` (up to and including its last separator) into `folder`.
void CopyFolder(const char* path, char (&folder)[kPathBufferSize]) {
  PathParts parts;
  parts.source = path;
  folder[0] = '\0';
  if (SplitPath(parts)) std::memcpy(folder, parts.directory, sizeof folder);
}

// The shell's strings of every item read, freed together.
class ItemNames {
 public:
  bool Reserve(std::size_t count) {
    texts_.reset(new (std::nothrow) TaskString[count]);
    names_.reset(new (std::nothrow) WideName[count]);
    return texts_ && names_;
  }
  void Add(TaskString text) {
    names_[count_] = {text.Get(), std::wcslen(text.Get())};
    texts_[count_++] = std::move(text);
  }
  const WideName* Names() const { return names_.get(); }
  std::size_t Count() const { return count_; }

 private:
  std::unique_ptr<TaskString[]> texts_;
  std::unique_ptr<WideName[]> names_;
  std::size_t count_ = 0;
};

}  // namespace

HRESULT ReadItemArrayState(IShellItemArray* items, bool may_touch_disk, ItemArrayState* state) {
  *state = ItemArrayState{};
  if (items == nullptr) return S_OK;
  DWORD count = 0;
  const HRESULT hr = items->GetCount(&count);
  if (FAILED(hr)) return hr;
  char first[kAnsiPathBufferSize] = "";
  bool first_is_folder = false;
  int kept = 0;
  // The kind asks only whether there is more than one name and what the first one is.
  for (DWORD index = 0; index < count && kept < 2 && !first_is_folder; ++index) {
    TaskString path;
    SFGAOF attributes = 0;
    if (!ReadItem(items, index, path, attributes)) continue;
    char ansi[kAnsiPathBufferSize];
    std::size_t length = 0;
    const std::size_t units = std::wcslen(path.Get());
    if (may_touch_disk) {
      if (ToAnsiPath(path.Get(), units, ansi, &length) == AnsiPathKind::kRefused) continue;
    } else if (!ToExactAnsiPath(path.Get(), units, ansi, &length)) {
      return E_PENDING;  // only the file system knows whether a short alias names the file
    }
    if (kept++ == 0) {
      first_is_folder = IsDirectory(attributes);
      std::memcpy(first, ansi, length + 1);
    }
  }
  state->has_names = kept > 0;
  if (state->has_names) state->kind = DecideSelectionKind(first_is_folder, kept, first);
  state->drive_root = kept == 1 && IsDriveRoot(first);
  return S_OK;
}

HRESULT ReadItemArraySelection(IShellItemArray* items, ShellSelection& selection,
                               char (&folder)[kPathBufferSize]) {
  folder[0] = '\0';
  if (items == nullptr) return E_INVALIDARG;
  DWORD count = 0;
  HRESULT hr = items->GetCount(&count);
  if (FAILED(hr)) return hr;
  ItemNames names;
  if (!names.Reserve(count)) return E_OUTOFMEMORY;
  for (DWORD index = 0; index < count; ++index) {
    TaskString path;
    SFGAOF attributes = 0;
    if (ReadItem(items, index, path, attributes)) names.Add(std::move(path));
  }
  hr = selection.Hold(names.Names(), names.Count());
  if (FAILED(hr)) return hr;
  if (selection.List().Count() > 0) CopyFolder(selection.List().Name(0), folder);
  return S_OK;
}

}  // namespace vlpd
