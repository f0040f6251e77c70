// The folders one project has walked, known by identity rather than by path, so that a folder
// reached again through a link (junction or symbolic link) is recognised. Identities are costly
// to ask for (milliseconds a folder under Wine), so until the first link appears only the paths
// of the walked folders are kept; they are identified when, and only if, a link turns up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

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
  WalkedFolders(const WalkedFolders&) = delete;
  WalkedFolders& operator=(const WalkedFolders&) = delete;

  // True once a link was met: from then on every walked folder is identified.
  bool Tracking() const { return tracking_; }
  // Before tracking: keeps the path of a folder being walked directly. Without memory for it the
  // folder is forgotten, and a link to it may walk it once more.
  void Remember(const char* path);
  // Starts tracking; the paths remembered so far are handed out (each NUL-terminated, one after
  // the other, from Remembered() to RememberedEnd()) until ForgetRemembered().
  void StartTracking() { tracking_ = true; }
  const char* Remembered() const { return paths_.get(); }
  const char* RememberedEnd() const { return paths_.get() + paths_used_; }
  void ForgetRemembered();

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

  bool tracking_ = false;
  std::unique_ptr<char[]> paths_;
  std::size_t paths_used_ = 0;
  std::size_t paths_capacity_ = 0;
  std::unique_ptr<Slot[]> slots_;
  std::size_t capacity_ = 0;  // 0 or a power of two
  std::size_t count_ = 0;
};

}  // namespace vlpd
