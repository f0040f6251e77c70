// Checks a CF_HDROP block (a DROPFILES header and its name list) and walks its names, so that a
// short or malformed block from a foreign data object is never read past its end, and a long
// selection is read in one pass rather than once per name.
#pragma once

#include <cstddef>

#include "text/windows_values.h"

namespace vlpd {

// True when the `size` bytes at `data` hold the header, its pFiles offset lies at or after the
// header, and the name list there (ANSI bytes, or UTF-16 units when fWide is set) ends in its
// double terminator inside the block: every name's terminator and the final empty name lie
// within `size`.
bool ValidateDropList(const unsigned char* data, std::size_t size);

// One name of a block: its first byte's offset in the block and its length in units (bytes, or
// UTF-16 units of two little-endian bytes), the terminator not counted.
struct DropName {
  std::size_t offset = 0;
  std::size_t units = 0;
};

// Walks the names of a block front to back, as the shell's reader counts them: the first name
// may be empty (an empty list is one empty name and the list's end). A block that
// ValidateDropList rejects has no names. Reads nothing outside [data, data + size).
class DropNameWalker {
 public:
  DropNameWalker(const unsigned char* data, std::size_t size);

  bool Wide() const { return unit_ == 2; }
  // Names in the block, the empty first name included; 0 for a rejected block.
  std::size_t Count() const { return count_; }
  // Units from the first name to the list's closing empty name, terminators included.
  std::size_t ListUnits() const { return list_units_; }
  // The next name into `name`; false after the last.
  bool Next(DropName* name);

 private:
  const unsigned char* data_;
  std::size_t unit_ = 1;
  std::size_t at_ = 0;
  std::size_t end_ = 0;  // just past the list's closing unit
  std::size_t count_ = 0;
  std::size_t list_units_ = 0;
  std::size_t yielded_ = 0;
};

}  // namespace vlpd
