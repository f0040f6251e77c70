#include "tests/fakes/fake_project_system.h"

#include <cstring>
#include <string_view>

#include "project/project_writer.h"

namespace vlpd::fake {
namespace {

// More links than this along one path make it unresolvable, as a loop of links would.
constexpr int kMaxHops = 64;

bool Bounded(const char* path) { return strnlen(path, kPathBufferSize) <= kMaxPath; }

}  // namespace

void FakeSystem::AddFolder(const std::string& folder, const std::vector<Entry>& entries) {
  std::list<Entry>& listing = folders_[folder];
  for (const Entry& entry : entries) {
    listing.push_back(entry);
    // The first entry to give a path keeps it.
    entries_.emplace(folder + "\\" + entry.name, &listing.back());
  }
}

const Entry* FakeSystem::Find(const std::string& path) const {
  const Entry* const* entry = Lookup(entries_, path);
  return entry == nullptr ? nullptr : *entry;
}

bool FakeSystem::ListFolder(const char* pattern, FolderVisitor& visitor) {
  const std::size_t length = strnlen(pattern, kPathBufferSize);
  const bool kept = length <= kMaxPath && length >= 4 && std::strcmp(pattern + length - 4, "\\*.*") == 0;
  if (!Kept(kept, "ListFolder: a pattern too long or not ending in \\*.*")) return false;
  const std::string folder(pattern, length - 4);
  const std::list<Entry>* found = Lookup(folders_, folder);
  if (found == nullptr) return false;
  listed.push_back(pattern);
  for (const char* dots : {".", ".."}) {
    if (!visitor.Visit(FolderEntry{kFolder, 0, dots})) return true;
  }
  for (const Entry& entry : *found) {
    if (Find(folder + "\\" + entry.name) != &entry) paths_collide = true;
    if (!visitor.Visit(FolderEntry{entry.attributes, entry.size, entry.name.c_str()})) break;
  }
  return true;
}

FolderEntry FakeSystem::Describe(const char* path) {
  if (!Kept(Bounded(path), "Describe: a path too long")) return FolderEntry{};
  const auto found = attributes_.find(path);
  return found == attributes_.end() ? FolderEntry{} : FolderEntry{found->second, kDescribedSize, ""};
}

bool FakeSystem::IdentifyFolder(const char* path, FolderIdentity& identity) {
  if (!Kept(Bounded(path), "IdentifyFolder: a path too long")) return false;
  identified.push_back(path);
  const std::list<Entry>* folder = Lookup(folders_, path);
  if (folder == nullptr) return false;
  identity.volume = 7;
  identity.index = reinterpret_cast<std::uintptr_t>(folder);
  return true;
}

int FakeSystem::DetectEncoding(const char* path, std::uint64_t size) {
  if (!Kept(Bounded(path), "DetectEncoding: a path too long")) return -1;
  detected.push_back(path);
  sizes.push_back(size);
  if (const int* code = Lookup(encodings_, path)) return *code;
  const Entry* entry = Find(path);
  return entry == nullptr ? 0 : entry->code;
}

bool FakeSystem::Write(const char* data, std::size_t length) {
  if (!Kept(length > 0 && length <= kOutputChunk, "Write: no bytes, or more than a chunk")) return false;
  const int index = writes++;
  write_lengths.push_back(length);
  if ((fail_from_ >= 0 && index >= fail_from_) || (fail_short_ && length + kLineBufferSize <= kOutputChunk)) {
    return false;
  }
  output.append(data, length);
  return true;
}

bool FakeSystem::KeepGoing(int member_count, const char* place) {
  if (!Kept(Bounded(place), "KeepGoing: a place too long")) return false;
  Kept(!cancelled && member_count >= 0 && member_count <= kMaxMembers,
       "KeepGoing: asked again after a cancel, or a member count out of range");
  counts.push_back(member_count);
  places.push_back(place);
  if (cancel_at_ >= 0 && static_cast<int>(places.size()) > cancel_at_) cancelled = true;
  return !cancelled;
}

bool FakeSystem::Kept(bool kept, const char* rule) {
  if (!kept && fault.empty()) fault = rule;
  return kept;
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
