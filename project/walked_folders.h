// The folders one project has walked, known by identity rather than by path, so that a folder
// reached again through a link (junction or symbolic link) is recognised.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vlpd {

// What every path to one folder shares: its volume and its index on that volume.
struct FolderIdentity {
  std::uint32_t volume = 0;
  std::uint64_t index = 0;
};

class WalkedFolders {
 public:
  enum class Seen { kNever, kDirectly, kThroughLink };

  WalkedFolders() = default;
  ~WalkedFolders();
  WalkedFolders(const WalkedFolders&) = delete;
  WalkedFolders& operator=(const WalkedFolders&) = delete;

  // How the folder was reached when it was first walked.
  Seen Find(const FolderIdentity& id) const;
  // Records a walked folder (a folder already recorded keeps its first record). False when
  // memory runs out; the set stays as it was.
  bool Add(const FolderIdentity& id, bool through_link);

 private:
  struct Slot {
    FolderIdentity id;
    std::uint8_t state;  // 0 free, else 1 + Seen
  };

  std::size_t SlotOf(const FolderIdentity& id) const;
  bool Grow();

  Slot* slots_ = nullptr;
  std::size_t capacity_ = 0;  // 0 or a power of two
  std::size_t count_ = 0;
};

}  // namespace vlpd
