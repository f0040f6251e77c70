#include "selection/selection_kind.h"

#include <cstring>

#include "text/path.h"
#include "text/sjis_string.h"

namespace vlpd {

SelectionKind DecideSelectionKind(bool is_folder, int count, const char* first_path) {
  if (is_folder || count > 1) return SelectionKind::kSeveral;
  PathParts parts;
  parts.source = first_path;
  SplitPath(parts);
  char extension[kPathBufferSize] = {};
  if (parts.extension != nullptr) {
    // The extension is at most five bytes of the name, so it always fits.
    std::strncpy(extension, parts.extension, kMaxPath);
  }
  LowerAscii(extension);
  return CompareText(extension, kProjectExtension) == 0 ? SelectionKind::kSingleProject
                                                        : SelectionKind::kSingleFile;
}

}  // namespace vlpd
