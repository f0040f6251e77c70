// A file system for project creation made of listings filled by path: folders with their
// entries, links to other folders (or to nowhere), attributes and detector answers. It keeps
// what the walk asked and wrote, can fail writes or cancel on cue, and notes the first call that
// broke the system interface's bounds. Shared by the project tests and the folder-walk fuzzer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <string>
#include <string_view>
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
  // Size Describe gives every path it knows.
  static constexpr std::uint64_t kDescribedSize = 7;

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
  // The detector's answer for `path`, through any link.
  int EncodingOf(const std::string& path) const;

  bool ListFolder(const char* pattern, FolderVisitor& visitor) override;
  FolderEntry Describe(const char* path) override;
  bool IdentifyFolder(const char* path, FolderIdentity& identity) override;
  int DetectEncoding(const char* path, std::uint64_t size) override;
  bool Write(const char* data, std::size_t length) override;
  void ShowLimitMessage() override { ++limit_messages; }
  bool KeepGoing(int member_count, const char* place) override;

  std::string output;
  int writes = 0;
  bool write_failed = false;
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
  struct Folder {
    std::uint64_t identity;
    std::list<Entry> entries;  // a list keeps them in place as more are added
  };

  // False, noting the fault, when `path` is longer than a path may be.
  bool Bounded(const char* path, const char* call);
  void Fault(const std::string& what);
  // The path once every link along it is followed; empty for a dangling link.
  std::string Resolve(const std::string& path) const;
  // The value `map` holds for `path` itself or, failing that, for where its links lead.
  template <typename Map>
  const typename Map::mapped_type* Lookup(const Map& map, const std::string& path) const;

  std::map<std::string, Folder> folders_;
  std::map<std::string, const Entry*> entries_;
  std::map<std::string, std::string, std::less<>> links_;
  std::map<std::string, std::uint32_t> attributes_;
  std::map<std::string, int> encodings_;
  std::uint64_t next_identity_ = 1;
  int fail_from_ = -1;
  bool fail_short_ = false;
  int cancel_at_ = -1;
};

}  // namespace vlpd::fake
