#include "tests/fakes/fake_project_system.h"

#include <cstring>

#include "project/project_writer.h"

namespace vlpd::fake {
namespace {

// More links than this along one path make it unresolvable, as a loop of links would.
constexpr int kMaxHops = 64;

}  // namespace

void FakeSystem::AddFolder(const std::string& folder, const std::vector<Entry>& entries) {
  const auto [at, added] = folders_.emplace(folder, Folder{next_identity_, {}});
  if (added) ++next_identity_;
  for (const Entry& entry : entries) {
    at->second.entries.push_back(entry);
    // The first entry to give a path keeps it.
    entries_.emplace(folder + "\\" + entry.name, &at->second.entries.back());
  }
}

const Entry* FakeSystem::Find(const std::string& path) const {
  const Entry* const* entry = Lookup(entries_, path);
  return entry == nullptr ? nullptr : *entry;
}

int FakeSystem::EncodingOf(const std::string& path) const {
  if (const int* code = Lookup(encodings_, path)) return *code;
  const Entry* entry = Find(path);
  return entry == nullptr ? 0 : entry->code;
}

bool FakeSystem::ListFolder(const char* pattern, FolderVisitor& visitor) {
  if (!Bounded(pattern, "ListFolder")) return false;
  const std::string text = pattern;
  if (text.size() < 4 || text.compare(text.size() - 4, 4, "\\*.*") != 0) {
    Fault("ListFolder: a pattern not ending in \\*.*");
    return false;
  }
  const std::string folder = text.substr(0, text.size() - 4);
  const Folder* found = Lookup(folders_, folder);
  if (found == nullptr) return false;
  listed.push_back(text);
  const FolderEntry dot{kFolder, 0, "."};
  const FolderEntry dot_dot{kFolder, 0, ".."};
  if (!visitor.Visit(dot) || !visitor.Visit(dot_dot)) return true;
  for (const Entry& entry : found->entries) {
    if (Find(folder + "\\" + entry.name) != &entry) paths_collide = true;
    if (!visitor.Visit(FolderEntry{entry.attributes, entry.size, entry.name.c_str()})) break;
  }
  return true;
}

FolderEntry FakeSystem::Describe(const char* path) {
  if (!Bounded(path, "Describe")) return FolderEntry{};
  const auto found = attributes_.find(path);
  return found == attributes_.end() ? FolderEntry{} : FolderEntry{found->second, kDescribedSize, ""};
}

bool FakeSystem::IdentifyFolder(const char* path, FolderIdentity& identity) {
  if (!Bounded(path, "IdentifyFolder")) return false;
  identified.push_back(path);
  const Folder* folder = Lookup(folders_, path);
  if (folder == nullptr) return false;
  identity.volume = 7;
  identity.index = folder->identity;
  return true;
}

int FakeSystem::DetectEncoding(const char* path, std::uint64_t size) {
  if (!Bounded(path, "DetectEncoding")) return -1;
  detected.push_back(path);
  sizes.push_back(size);
  return EncodingOf(path);
}

bool FakeSystem::Write(const char* data, std::size_t length) {
  if (length == 0 || length > kOutputChunk) {
    Fault("Write: no bytes, or more than a chunk");
    return false;
  }
  const int index = writes++;
  write_lengths.push_back(length);
  if ((fail_from_ >= 0 && index >= fail_from_) || (fail_short_ && length + kLineBufferSize <= kOutputChunk)) {
    write_failed = true;
    return false;
  }
  output.append(data, length);
  return true;
}

bool FakeSystem::KeepGoing(int member_count, const char* place) {
  if (!Bounded(place, "KeepGoing")) return false;
  if (cancelled || member_count < 0 || member_count > kMaxMembers) {
    Fault("KeepGoing: asked again after a cancel, or a member count out of range");
  }
  counts.push_back(member_count);
  places.push_back(place);
  if (cancel_at_ >= 0 && static_cast<int>(places.size()) > cancel_at_) cancelled = true;
  return !cancelled;
}

bool FakeSystem::Bounded(const char* path, const char* call) {
  if (strnlen(path, kPathBufferSize) <= kMaxPath) return true;
  Fault(std::string(call) + ": a path longer than kMaxPath");
  return false;
}

void FakeSystem::Fault(const std::string& what) {
  if (fault.empty()) fault = what;
}

std::string FakeSystem::Resolve(const std::string& path) const {
  std::string resolved = path;
  int hops = 0;
  for (std::size_t end = 1; end <= resolved.size() && !links_.empty(); ++end) {
    if (end < resolved.size() && resolved[end] != '\\') continue;
    const auto link = links_.find(std::string_view(resolved).substr(0, end));
    if (link == links_.end()) continue;
    if (link->second.empty() || ++hops > kMaxHops) return "";
    resolved = link->second + resolved.substr(end);
    end = 0;  // the target may hold links of its own
  }
  return resolved;
}

template <typename Map>
const typename Map::mapped_type* FakeSystem::Lookup(const Map& map, const std::string& path) const {
  if (map.empty()) return nullptr;
  auto found = map.find(path);
  if (found == map.end()) found = map.find(Resolve(path));
  return found == map.end() ? nullptr : &found->second;
}

}  // namespace vlpd::fake
