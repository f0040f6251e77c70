// A file system for project creation filled by path: folders and their entries, links (or links
// to nowhere), attributes, detector answers. It keeps what the walk asked and wrote, fails writes
// or cancels on cue, and notes the first call out of bounds. For the project tests and fuzzer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <string>
#include <vector>

#include "project/project_system.h"

namespace vlpd::fake {

inline constexpr std::uint32_t kFile = 0x20;
inline constexpr std::uint32_t kFolder = kAttributeDirectory;
inline constexpr std::uint32_t kLink = kAttributeDirectory | kAttributeReparsePoint;

struct Entry {
  std::uint32_t attributes;
  std::string name;
  std::uint64_t size = 100;
  int code = 0;  // the detector's answer for a file, unless SetEncoding gave its path another
};

class FakeSystem final : public ProjectSystem {
 public:
  static constexpr std::uint64_t kDescribedSize = 7;  // of every path Describe knows

  // Appends `entries` to the listing of `folder` (a path without final separator). A new folder
  // gets an identity of its own, and "." and ".." first as on disk.
  void AddFolder(const std::string& folder, const std::vector<Entry>& entries = {});
  // Makes `link` lead to the folder `target`; an empty target leaves it dangling.
  void AddLink(const std::string& link, const std::string& target) { links_[link] = target; }
  void SetAttributes(const std::string& path, std::uint32_t attributes) { attributes_[path] = attributes; }
  // The detector's answer for `path`, before the one its entry gives.
  void SetEncoding(const std::string& path, int code) { encodings_[path] = code; }
  // The write with this 0-based index, and every later one, fails.
  void FailWritesFrom(int index) { fail_from_ = index; }
  // Every write of less than a full chunk (the last one of a project) fails.
  void FailShortWrites() { fail_short_ = true; }
  // KeepGoing answers false from its call with this 0-based index on.
  void CancelAt(int call) { cancel_at_ = call; }

  // The listing entry `path` names, through any link; null for none.
  const Entry* Find(const std::string& path) const;

  bool ListFolder(const char* pattern, FolderVisitor& visitor) override;
  FolderEntry Describe(const char* path) override;
  bool IdentifyFolder(const char* path, FolderIdentity& identity) override;
  int DetectEncoding(const char* path, std::uint64_t size) override;
  bool Write(const char* data, std::size_t length) override;
  void ShowLimitMessage() override { ++limit_messages; }
  bool KeepGoing(int member_count, const char* place) override;

  std::string output;
  int writes = 0;
  int limit_messages = 0;
  bool cancelled = false;
  // Two entries gave one path (only names ending in a lone lead byte can do that), so a path no
  // longer tells which entry it names.
  bool paths_collide = false;
  // The first call out of the interface's bounds; empty while every call kept them.
  std::string fault;
  std::vector<std::string> listed;  // patterns of the folders listed
  std::vector<std::string> detected;
  std::vector<std::string> identified;
  std::vector<std::uint64_t> sizes;
  std::vector<std::size_t> write_lengths;
  std::vector<int> counts;
  std::vector<std::string> places;

 private:
  // `kept`; notes `rule` as the fault unless the call kept it (or an earlier call broke one).
  bool Kept(bool kept, const char* rule);
  // The path once every link along it is followed; empty for a dangling link.
  std::string Resolve(const std::string& path) const;
  // The value `map` holds for `path` itself or, failing that, for where its links lead.
  template <typename Map>
  const typename Map::mapped_type* Lookup(const Map& map, const std::string& path) const;

  // Listings by folder; a list keeps its entries in place as more are added, and where it is kept
  // is the folder's identity.
  std::map<std::string, std::list<Entry>> folders_;
  std::map<std::string, const Entry*> entries_;
  std::map<std::string, std::string, std::less<>> links_;
  std::map<std::string, std::uint32_t> attributes_;
  std::map<std::string, int> encodings_;
  int fail_from_ = -1;
  bool fail_short_ = false;
  int cancel_at_ = -1;
};

}  // namespace vlpd::fake
