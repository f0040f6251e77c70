#include "selection/selection_list.h"

#include <cstring>
#include <new>

namespace vlpd {

bool SelectionList::Reserve(int capacity) {
  Free();
  total_length_ = 0;
  if (capacity <= 0) return true;
  names_ = new (std::nothrow) char*[static_cast<std::size_t>(capacity)];
  if (names_ == nullptr) return false;
  capacity_ = capacity;
  return true;
}

bool SelectionList::Append(const char* name, std::size_t length) {
  if (length >= kMaxPath || count_ >= capacity_) return false;
  char* buffer = new (std::nothrow) char[kPathBufferSize];
  if (buffer == nullptr) return false;
  std::memcpy(buffer, name, length);
  buffer[length] = '\0';
  names_[count_++] = buffer;
  total_length_ += static_cast<int>(length);
  return true;
}

void SelectionList::Free() {
  if (names_ == nullptr) return;
  for (int i = 0; i < count_; ++i) delete[] names_[i];
  delete[] names_;
  names_ = nullptr;
  capacity_ = 0;
  count_ = 0;
}

}  // namespace vlpd
