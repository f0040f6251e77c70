#include "selection/selection_list.h"

#include <cstring>
#include <new>

namespace vlpd {
namespace {

// Well under the size from which a heap hands a block to the system's page allocator.
constexpr std::size_t kChunkBytes = 64 * 1024;
// A chunk opened once the planned room is used up.
constexpr std::size_t kSpareChunkBytes = 8 * 1024;

}  // namespace

template <typename Char>
const Char* SelectionList::Pool<Char>::Add(const Char* text, std::size_t length) {
  const std::size_t need = length + 1;
  if (newest_ == nullptr || newest_->capacity - newest_->used < need) {
    std::size_t capacity = planned_ > placed_ ? planned_ - placed_ : kSpareChunkBytes / sizeof(Char);
    if (capacity > kChunkBytes / sizeof(Char)) capacity = kChunkBytes / sizeof(Char);
    if (capacity < need) capacity = need;
    Chunk* chunk = new (std::nothrow) Chunk{newest_, nullptr, 0, capacity};
    if (chunk == nullptr) return nullptr;
    chunk->text = new (std::nothrow) Char[capacity];
    if (chunk->text == nullptr) {
      delete chunk;
      return nullptr;
    }
    newest_ = chunk;
    placed_ += capacity;
  }
  Char* copy = newest_->text + newest_->used;
  // Copied as bytes: the UTF-16 names arrive from buffers of the platform's own 16-bit type.
  std::memcpy(copy, text, length * sizeof(Char));
  copy[length] = 0;
  newest_->used += need;
  return copy;
}

template <typename Char>
void SelectionList::Pool<Char>::Free() {
  while (newest_ != nullptr) {
    Chunk* older = newest_->next;
    delete[] newest_->text;
    delete newest_;
    newest_ = older;
  }
  planned_ = 0;
  placed_ = 0;
}

// The two pools the list keeps; other sources reach them through the list's inline members.
template class SelectionList::Pool<char>;
template class SelectionList::Pool<char16_t>;

bool SelectionList::Reserve(int capacity, std::size_t ansi_bytes, std::size_t wide_units) {
  Free();
  if (capacity <= 0) return true;
  entries_ = new (std::nothrow) Entry[static_cast<std::size_t>(capacity)];
  if (entries_ == nullptr) return false;
  ansi_.Plan(ansi_bytes);
  wide_.Plan(wide_units);
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
  // A copy left behind by a failure below is only unused room until the list is freed.
  const char* ansi_copy = ansi_.Add(name, length);
  if (ansi_copy == nullptr) return false;
  const char16_t* wide_copy = nullptr;
  if (wide != nullptr) {
    wide_copy = wide_.Add(wide, wide_length);
    if (wide_copy == nullptr) return false;
  }
  entries_[count_++] = {ansi_copy, wide_copy};
  total_length_ += static_cast<int>(length);
  total_wide_length_ += wide_length;
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
