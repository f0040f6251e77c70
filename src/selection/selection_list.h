// The selected paths of one handler, read afresh from the shell's drop list for every use.
#pragma once

#include <cstddef>

#include "text/path.h"

namespace vlpd {

// Each name is kept twice: as the ANSI path the handler hands to the ANSI functions (at most 259
// bytes), and as the file's true UTF-16 name when it is known. The two differ where the ANSI
// code page lacks a character and the ANSI path is the file's short name. The names live in
// chunks of at most 64 KiB: a long selection costs a few allocations rather than one per name,
// none large enough to need memory of its own from the system, and no name moves as the list
// grows. Allocation failures leave the list unchanged or empty; nothing here throws.
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
  // The pointers stay valid until the next Reserve or Free.
  const char* Name(int index) const { return entries_[index].ansi; }
  // The NUL-terminated UTF-16 name; null when the name was appended without one.
  const char16_t* WideName(int index) const { return entries_[index].wide; }

  // Empties the list and makes room for up to `capacity` names. `ansi_bytes` and `wide_units`
  // (terminators included) size the first chunks, so that a list of about that size needs few.
  // False when memory runs out.
  bool Reserve(int capacity, std::size_t ansi_bytes = 0, std::size_t wide_units = 0);
  // Appends a copy of the `length` bytes at `name` (at most 259); false when it is longer, no
  // room is left or memory runs out. This form knows no UTF-16 name.
  bool Append(const char* name, std::size_t length);
  // The same with the name's `wide_length` UTF-16 units at `wide` (at most 259).
  bool Append(const char* name, std::size_t length, const char16_t* wide, std::size_t wide_length);
  // Empties the list; harmless when it is empty already.
  void Free();

 private:
  struct Entry {
    const char* ansi;
    const char16_t* wide;
  };

  // Terminated strings one after another in chunks; never throws.
  template <typename Char>
  class Pool {
   public:
    Pool() = default;
    ~Pool() { Free(); }
    Pool(const Pool&) = delete;
    Pool& operator=(const Pool&) = delete;

    // About this many characters are coming.
    void Plan(std::size_t chars) { planned_ = chars; }
    // A terminated copy of the `length` characters at `text`; null when memory runs out.
    const Char* Add(const Char* text, std::size_t length);
    void Free();

   private:
    struct Chunk {
      Chunk* next;
      Char* text;
      std::size_t used;
      std::size_t capacity;
    };

    Chunk* newest_ = nullptr;
    std::size_t planned_ = 0;
    std::size_t placed_ = 0;  // characters in chunks allocated so far
  };

  bool AppendEntry(const char* name, std::size_t length, const char16_t* wide, std::size_t wide_length);

  Entry* entries_ = nullptr;
  Pool<char> ansi_;
  Pool<char16_t> wide_;
  int capacity_ = 0;
  int count_ = 0;
  int total_length_ = 0;
  std::size_t total_wide_length_ = 0;
};

}  // namespace vlpd
