// The selected paths of one handler, read afresh from the shell's drop list for every use.
#pragma once

#include <cstddef>

#include "text/path.h"

namespace vlpd {

// Each name lives in its own 261-byte heap buffer and holds at most 259 characters.
// Allocation failures leave the list empty; nothing here throws.
class SelectionList {
 public:
  SelectionList() = default;
  ~SelectionList() { Free(); }
  SelectionList(const SelectionList&) = delete;
  SelectionList& operator=(const SelectionList&) = delete;

  int Count() const { return count_; }
  // Sum of the names' lengths in bytes, terminators not counted; meaningful while Count() > 0.
  int TotalLength() const { return total_length_; }
  const char* Name(int index) const { return names_[index]; }

  // Empties the list and makes room for up to `capacity` names. False when memory runs out.
  bool Reserve(int capacity);
  // Appends a copy of the `length` bytes at `name` (at most 259); false when it is longer, no
  // room is left or memory runs out.
  bool Append(const char* name, std::size_t length);
  // Empties the list; harmless when it is empty already.
  void Free();

 private:
  char** names_ = nullptr;
  int capacity_ = 0;
  int count_ = 0;
  int total_length_ = 0;
};

}  // namespace vlpd
