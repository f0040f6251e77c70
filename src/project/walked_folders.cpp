#include "project/walked_folders.h"

#include <cstring>
#include <new>
#include <utility>

namespace vlpd {
namespace {

constexpr std::size_t kFirstCapacity = 64;
constexpr std::size_t kFirstPathsCapacity = 16384;

std::size_t Hash(const FolderIdentity& id) {
  std::uint64_t h = id.index * 0x9E3779B97F4A7C15ull ^ id.volume;
  h ^= h >> 29;
  return static_cast<std::size_t>(h * 0xBF58476D1CE4E5B9ull >> 32);
}

bool Same(const FolderIdentity& a, const FolderIdentity& b) {
  return a.volume == b.volume && a.index == b.index;
}

}  // namespace

void WalkedFolders::Remember(const char* path) {
  const std::size_t size = std::strlen(path) + 1;
  if (paths_capacity_ - paths_used_ < size) {
    std::size_t capacity = paths_capacity_ == 0 ? kFirstPathsCapacity : 2 * paths_capacity_;
    while (capacity - paths_used_ < size && capacity > paths_capacity_) capacity *= 2;
    if (capacity <= paths_capacity_) return;
    std::unique_ptr<char[]> paths(new (std::nothrow) char[capacity]);
    if (paths == nullptr) return;
    if (paths_used_ > 0) std::memcpy(paths.get(), paths_.get(), paths_used_);
    paths_ = std::move(paths);
    paths_capacity_ = capacity;
  }
  std::memcpy(paths_.get() + paths_used_, path, size);
  paths_used_ += size;
}

void WalkedFolders::ForgetRemembered() {
  paths_.reset();
  paths_used_ = 0;
  paths_capacity_ = 0;
}

// The slot holding `id`, or the free slot where it belongs. Needs a table with a free slot.
std::size_t WalkedFolders::SlotOf(const FolderIdentity& id) const {
  const std::size_t mask = capacity_ - 1;
  std::size_t i = Hash(id) & mask;
  while (slots_[i].state != 0 && !Same(slots_[i].id, id)) i = (i + 1) & mask;
  return i;
}

WalkedFolders::Seen WalkedFolders::Find(const FolderIdentity& id) const {
  if (count_ == 0) return Seen::kNever;
  const Slot& slot = slots_[SlotOf(id)];
  return slot.state == 0 ? Seen::kNever : static_cast<Seen>(slot.state - 1);
}

bool WalkedFolders::Add(const FolderIdentity& id, bool through_link) {
  // At most half full, so that probes stay short and a free slot always ends them.
  if (2 * (count_ + 1) > capacity_ && !Grow()) return false;
  Slot& slot = slots_[SlotOf(id)];
  if (slot.state != 0) return true;
  slot.id = id;
  slot.state =
      static_cast<std::uint8_t>(1 + static_cast<int>(through_link ? Seen::kThroughLink : Seen::kDirectly));
  ++count_;
  return true;
}

bool WalkedFolders::Grow() {
  const std::size_t capacity = capacity_ == 0 ? kFirstCapacity : 2 * capacity_;
  if (capacity < capacity_) return false;
  std::unique_ptr<Slot[]> slots(new (std::nothrow) Slot[capacity]());
  if (slots == nullptr) return false;
  const std::unique_ptr<Slot[]> old = std::exchange(slots_, std::move(slots));
  const std::size_t old_capacity = std::exchange(capacity_, capacity);
  for (std::size_t i = 0; i < old_capacity; ++i) {
    if (old[i].state != 0) slots_[SlotOf(old[i].id)] = old[i];
  }
  return true;
}

}  // namespace vlpd
