// The selected paths of one handler, read afresh from the shell's drop list for every use.
#pragma once

#include <cstddef>

#include "text/path.h"

namespace vlpd {

// Each name is kept twice: as the ANSI path the handler hands to the ANSI functions (at most 259
// bytes), and as the file's true UTF-16 name when it is known. The two differ where the ANSI
// code page lacks a character and the ANSI path is the file's short name. All names share two
// growing buffers, so a long selection costs a few allocations rather than one per name.
// Allocation failures leave the list unchanged or empty; nothing here throws.
class SelectionList {
 public:
  SelectionList() = default;
  ~SelectionList() { Free(); }
  SelectionList(const SelectionList&) = delete;
  SelectionList& operator=(const SelectionList&) = delete;

  int Count() const { return count_; }
  // Sum of the ANSI names' lengths in bytes, terminators not counted; meaningful while Count() > 0.
  int TotalLength() const { return total_length_; }
  // Sum of the UTF-16 names' lengths in units, terminators not counted.
  std::size_t TotalWideLength() const { return total_wide_length_; }
  // The pointers stay valid until the next Reserve, Append or Free.
  const char* Name(int index) const { return ansi_.data + entries_[index].ansi; }
  // The NUL-terminated UTF-16 name; null when the name was appended without one.
  const char16_t* WideName(int index) const {
    return entries_[index].wide == kNoWide ? nullptr : wide_.data + entries_[index].wide;
  }

  // Empties the list and makes room for up to `capacity` names. `ansi_bytes` and `wide_units`
  // (terminators included) size the buffers ahead, so that they seldom grow. False when memory
  // runs out.
  bool Reserve(int capacity, std::size_t ansi_bytes = 0, std::size_t wide_units = 0);
  // Appends a copy of the `length` bytes at `name` (at most 259); false when it is longer, no
  // room is left or memory runs out. This form knows no UTF-16 name.
  bool Append(const char* name, std::size_t length);
  // The same with the name's `wide_length` UTF-16 units at `wide` (at most 259).
  bool Append(const char* name, std::size_t length, const char16_t* wide, std::size_t wide_length);
  // Empties the list; harmless when it is empty already.
  void Free();

 private:
  static constexpr std::size_t kNoWide = static_cast<std::size_t>(-1);

  struct Entry {
    std::size_t ansi;  // offsets into the buffers
    std::size_t wide;
  };

  // Terminated strings one after another; grows by doubling, never throws.
  template <typename Char>
  struct Buffer {
    Char* data = nullptr;
    std::size_t used = 0;
    std::size_t capacity = 0;

    bool Reserve(std::size_t wanted);
    // Adds the `length` characters at `text` and a terminator; false when memory runs out.
    bool Add(const Char* text, std::size_t length);
    void Free();
  };

  bool AppendEntry(const char* name, std::size_t length, const char16_t* wide, std::size_t wide_length);

  Entry* entries_ = nullptr;
  Buffer<char> ansi_;
  Buffer<char16_t> wide_;
  int capacity_ = 0;
  int count_ = 0;
  int total_length_ = 0;
  std::size_t total_wide_length_ = 0;
};

}  // namespace vlpd
