#include "selection/selection_list.h"

#include <cstring>
#include <new>

namespace vlpd {

template <typename Char>
bool SelectionList::Buffer<Char>::Reserve(std::size_t wanted) {
  if (wanted <= capacity) return true;
  if (wanted > static_cast<std::size_t>(-1) / sizeof(Char)) return false;
  Char* fresh = new (std::nothrow) Char[wanted];
  if (fresh == nullptr) return false;
  if (used > 0) std::memcpy(fresh, data, used * sizeof(Char));
  delete[] data;
  data = fresh;
  capacity = wanted;
  return true;
}

template <typename Char>
bool SelectionList::Buffer<Char>::Add(const Char* text, std::size_t length) {
  const std::size_t wanted = used + length + 1;
  if (wanted > capacity) {
    // Doubling keeps the copies of a growing list linear in its size.
    std::size_t grown = capacity < 128 ? 256 : 2 * capacity;
    if (grown < wanted) grown = wanted;
    if (!Reserve(grown)) return false;
  }
  // Copied as bytes: the UTF-16 names arrive from buffers of the platform's own 16-bit type.
  std::memcpy(data + used, text, length * sizeof(Char));
  data[used + length] = 0;
  used += length + 1;
  return true;
}

template <typename Char>
void SelectionList::Buffer<Char>::Free() {
  delete[] data;
  data = nullptr;
  used = 0;
  capacity = 0;
}

bool SelectionList::Reserve(int capacity, std::size_t ansi_bytes, std::size_t wide_units) {
  Free();
  if (capacity <= 0) return true;
  entries_ = new (std::nothrow) Entry[static_cast<std::size_t>(capacity)];
  if (entries_ == nullptr || !ansi_.Reserve(ansi_bytes) || !wide_.Reserve(wide_units)) {
    Free();
    return false;
  }
  capacity_ = capacity;
  return true;
}

bool SelectionList::Append(const char* name, std::size_t length) {
  return AppendEntry(name, length, nullptr, 0);
}

bool SelectionList::Append(const char* name, std::size_t length, const char16_t* wide,
                           std::size_t wide_length) {
  return wide != nullptr && AppendEntry(name, length, wide, wide_length);
}

bool SelectionList::AppendEntry(const char* name, std::size_t length, const char16_t* wide,
                                std::size_t wide_length) {
  if (length >= kMaxPath || wide_length >= kMaxPath || count_ >= capacity_) return false;
  const std::size_t ansi_at = ansi_.used;
  const std::size_t wide_at = wide_.used;
  if (!ansi_.Add(name, length)) return false;
  if (wide != nullptr && !wide_.Add(wide, wide_length)) {
    ansi_.used = ansi_at;
    return false;
  }
  entries_[count_++] = {ansi_at, wide != nullptr ? wide_at : kNoWide};
  total_length_ += static_cast<int>(length);
  total_wide_length_ += wide != nullptr ? wide_length : 0;
  return true;
}

void SelectionList::Free() {
  delete[] entries_;
  entries_ = nullptr;
  ansi_.Free();
  wide_.Free();
  capacity_ = 0;
  count_ = 0;
  total_length_ = 0;
  total_wide_length_ = 0;
}

}  // namespace vlpd
