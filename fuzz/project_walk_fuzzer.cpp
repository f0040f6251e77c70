// The project writer's folder walk over listings built from the input: names with 0x5C trail
// bytes and lone lead bytes, names that bring a path to 259, 260 or 261 bytes, deep trees, links
// to any folder (earlier, later, itself) or to nowhere, temporary entries, a cancel and a failed
// write at any point. Checked: every pattern, path and write stays in bounds; every line is a
// switch, a path of a listed file and CR LF; at most 7500 lines; each file appears at most once;
// each folder is listed at most once.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "detect/encoding.h"
#include "fuzz/fuzz_input.h"
#include "project/project_writer.h"
#include "selection/selection_list.h"
#include "text/sjis_class.h"
#include "text/sjis_string.h"

namespace vlpd::fuzz {
namespace {

constexpr std::uint32_t kFileAttributes = 0x20;
constexpr std::size_t kMaxNodes = 1024;
constexpr std::size_t kMaxEntries = 9000;
const std::string kParent = "C:\\p\\";

// `length` bytes of the input made into an entry name as a listing could give it: no NUL, no
// control byte and no separator at a character start; a lone lead byte may stay.
std::string EntryName(FuzzInput& input, std::size_t length) {
  std::string name = input.Bytes(length);
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto b = static_cast<unsigned char>(name[i]);
    if (IsSjisLead(b) && i + 1 < name.size() && IsSjisTrail(static_cast<unsigned char>(name[i + 1]))) {
      ++i;
    } else if (b < 0x20) {
      name[i] = 'x';
    } else if (b == '\\') {
      name[i] = '_';
    }
  }
  if (name.empty() || name == "." || name == "..") name += "n";
  return name;
}

struct Entry {
  std::uint32_t attributes;
  std::string name;
  std::uint64_t size;
  int target;   // folders and links: the node reached, -1 dangling; files: -1
  int file_id;  // files: their own number; -1 otherwise
};

struct Node {
  std::string direct_path;  // through its ordinary parents, without final separator
  std::vector<Entry> entries;
  std::set<std::string> folded_names;
};

struct FileInfo {
  int id;
  std::uint64_t size;
  bool temporary;
};

// A file system made of the generated nodes. Paths become known as the walk lists them, the way
// a real walk can only name what it has seen.
class FuzzSystem final : public ProjectSystem {
 public:
  std::vector<Node> nodes;
  std::map<std::string, int> folder_by_path;  // with final separator
  std::map<std::string, FileInfo> file_by_path;
  std::map<std::string, FolderEntry> described;
  bool ambiguous = false;  // two entries gave one path (only lone lead bytes can do that)
  long cancel_at = -1;
  long fail_write_at = -1;
  long keep_going_calls = 0;
  bool cancelled = false;
  bool write_failed = false;
  int writes = 0;
  int limit_messages = 0;
  std::size_t listings = 0;
  std::string output;

  bool ListFolder(const char* pattern, FolderVisitor& visitor) override {
    const std::size_t length = strnlen(pattern, kPathBufferSize);
    Require(length <= kMaxPath && length >= 4 && std::strcmp(pattern + length - 4, "\\*.*") == 0);
    const std::string folder(pattern, length - 3);
    const auto found = folder_by_path.find(folder);
    if (found == folder_by_path.end() || found->second < 0) return false;
    ++listings;
    const Node& node = nodes[static_cast<std::size_t>(found->second)];
    const FolderEntry dot{kAttributeDirectory, 0, "."};
    const FolderEntry dot_dot{kAttributeDirectory, 0, ".."};
    if (!visitor.Visit(dot) || !visitor.Visit(dot_dot)) return true;
    for (const Entry& entry : node.entries) {
      Learn(folder + entry.name, entry);
      if (!visitor.Visit(FolderEntry{entry.attributes, entry.size, entry.name.c_str()})) break;
    }
    return true;
  }

  FolderEntry Describe(const char* path) override {
    Require(strnlen(path, kPathBufferSize) <= kMaxPath);
    const auto found = described.find(path);
    return found == described.end() ? FolderEntry{} : found->second;
  }

  bool IdentifyFolder(const char* path, FolderIdentity& identity) override {
    Require(strnlen(path, kPathBufferSize) <= kMaxPath);
    const auto found = folder_by_path.find(std::string(path) + "\\");
    if (found == folder_by_path.end() || found->second < 0) return false;
    identity.volume = 1;
    identity.index = static_cast<std::uint64_t>(found->second);
    return true;
  }

  int DetectEncoding(const char* path, std::uint64_t size) override {
    Require(strnlen(path, kPathBufferSize) <= kMaxPath);
    const auto found = file_by_path.find(path);
    Require(found != file_by_path.end() && !found->second.temporary);
    if (!ambiguous) Require(found->second.size == size);
    return CodeOf(found->second.id);
  }

  bool Write(const char* data, std::size_t length) override {
    Require(length > 0 && length <= kOutputChunk);
    if (fail_write_at >= 0 && writes++ >= fail_write_at) {
      write_failed = true;
      return false;
    }
    output.append(data, length);
    return true;
  }

  void ShowLimitMessage() override { ++limit_messages; }

  bool KeepGoing(int member_count, const char* place) override {
    Require(!cancelled && member_count >= 0 && member_count <= kMaxMembers);
    Require(strnlen(place, kPathBufferSize) <= kMaxPath);
    if (cancel_at >= 0 && keep_going_calls++ >= cancel_at) cancelled = true;
    return !cancelled;
  }

  // The detector's answer for a file: every code, unreadable (-1) included.
  static int CodeOf(int file_id) { return file_id % 8 - 1; }

 private:
  void Learn(const std::string& path, const Entry& entry) {
    if ((entry.attributes & kAttributeDirectory) != 0) {
      const auto [at, added] = folder_by_path.emplace(path + "\\", entry.target);
      if (!added && at->second != entry.target) ambiguous = true;
    } else {
      const FileInfo info{entry.file_id, entry.size, (entry.attributes & kAttributeTemporary) != 0};
      const auto [at, added] = file_by_path.emplace(path, info);
      if (!added && at->second.id != entry.file_id) ambiguous = true;
    }
  }
};

// Builds the tree the input describes below kParent + the root's name.
class TreeBuilder {
 public:
  TreeBuilder(FuzzInput& input, FuzzSystem& system) : input_(input), system_(system) {}

  void Build(const std::string& root_path) {
    system_.nodes.push_back(Node{root_path, {}, {}});
    std::size_t current = 0;
    while (!input_.AtEnd() && system_.nodes.size() < kMaxNodes && entries_ < kMaxEntries) {
      const std::uint8_t op = input_.Byte();
      switch (op % 8) {
        case 0:
          AddFile(current, EntryName(input_, input_.Byte()), false);
          break;
        case 1:
          AddFolder(current, EntryName(input_, input_.Byte() % 64));
          break;
        case 2: {
          const std::string name = EntryName(input_, input_.Byte() % 32);
          const std::uint8_t target = input_.Byte();
          // The target is fixed once every node exists, so a link may also lead to a later folder.
          AddEntry(current, Entry{kAttributeDirectory | kAttributeReparsePoint, name, 0,
                                  target == 0xFF ? -1 : target, -1});
          break;
        }
        case 3: {
          const int count = input_.Byte() * 4;
          for (int i = 0; i < count; ++i) AddFile(current, "m" + std::to_string(i), false);
          break;
        }
        case 4:
          current = input_.Byte() % system_.nodes.size();
          break;
        case 5:
          AddBoundaryName(current, input_.Byte());
          break;
        case 6: {
          const std::uint8_t kind = input_.Byte();
          const std::string name = EntryName(input_, input_.Byte() % 32);
          if (kind % 2 == 0) {
            AddFile(current, name, true);
          } else {
            AddEntry(current, Entry{kAttributeDirectory | kAttributeTemporary, name, 0, 0, -1});
          }
          break;
        }
        default: {
          const int depth = input_.Byte() % 64;
          for (int i = 0; i < depth && system_.nodes.size() < kMaxNodes; ++i) {
            const std::size_t child = AddFolder(current, i % 2 == 0 ? "d" : "\x83\x5C");
            if (child == current) break;
            current = child;
          }
          break;
        }
      }
    }
  }

  // Links were given a number; they lead to the node of that number among all of them.
  void ResolveLinks() {
    for (Node& node : system_.nodes) {
      for (Entry& entry : node.entries) {
        if ((entry.attributes & kAttributeReparsePoint) != 0 && entry.target >= 0) {
          entry.target = static_cast<int>(static_cast<std::size_t>(entry.target) % system_.nodes.size());
        }
      }
    }
  }

  int NextFileId() { return next_file_id_++; }

 private:
  bool AddEntry(std::size_t node, const Entry& entry) {
    Node& n = system_.nodes[node];
    std::string folded = entry.name;
    LowerAscii(&folded[0]);
    if (!n.folded_names.insert(folded).second) return false;
    n.entries.push_back(entry);
    ++entries_;
    return true;
  }

  void AddFile(std::size_t node, const std::string& name, bool temporary) {
    const std::uint32_t attributes = kFileAttributes | (temporary ? kAttributeTemporary : 0);
    const std::uint64_t size = (name.size() * 7919u) % 300000;
    AddEntry(node, Entry{attributes, name, size, -1, next_file_id_++});
  }

  std::size_t AddFolder(std::size_t node, const std::string& name) {
    const int index = static_cast<int>(system_.nodes.size());
    if (!AddEntry(node, Entry{kAttributeDirectory, name, 0, index, -1})) return node;
    system_.nodes.push_back(Node{system_.nodes[node].direct_path + "\\" + name, {}, {}});
    return static_cast<std::size_t>(index);
  }

  // A name that brings the node's direct path to 259, 260 or 261 bytes (or its pattern there),
  // with a 0x5C trail byte near its end.
  void AddBoundaryName(std::size_t node, std::uint8_t choice) {
    const std::size_t base = system_.nodes[node].direct_path.size() + 1;
    std::size_t total = 259 + choice % 3;
    const bool folder = (choice / 3) % 2 == 1;
    if (folder) total -= 4;
    if (total <= base + 2) return;
    std::string name(total - base - 2, 'b');
    name += "\x95\x5C";
    if (folder) {
      AddFolder(node, name);
    } else {
      AddFile(node, name, false);
    }
  }

  FuzzInput& input_;
  FuzzSystem& system_;
  std::size_t entries_ = 0;
  int next_file_id_ = 0;
};

// The member a line names: its file's id, or -1 when it names none. `code` receives the switch's
// encoding code, -2 when the line starts with no known switch.
int ParseLine(const FuzzSystem& system, const std::string& line, int& code, bool& relative) {
  static const char* const kSwitches[] = {"/S ", "/E ", "/U8 ", "/UB ", "/UL "};
  static const int kCodes[] = {kEncodingShiftJis, kEncodingEuc, kEncodingUtf8, kEncodingUtf16Be,
                               kEncodingUtf16Le};
  std::string path = line;
  code = kEncodingAuto;
  for (int i = 0; i < 5; ++i) {
    const std::size_t n = std::strlen(kSwitches[i]);
    if (path.compare(0, n, kSwitches[i]) == 0) {
      code = kCodes[i];
      path = path.substr(n);
      break;
    }
  }
  Require(!path.empty() && path.size() <= kMaxPath);
  relative = true;
  if (path.compare(0, 2, ".\\") == 0) {
    path = kParent + path.substr(2);
  } else if (path.compare(0, 3, "..\\") == 0) {
    path = kParent + path.substr(3);
  } else {
    relative = false;
  }
  const auto found = system.file_by_path.find(path);
  if (found == system.file_by_path.end()) return -1;
  Require(!found->second.temporary);
  return found->second.id;
}

}  // namespace

void FuzzOne(FuzzInput& input) {
  FuzzSystem system;

  const std::uint8_t flags = input.Byte();
  const std::uint8_t fixed = input.Byte();
  const int member_encoding = (flags & 0x04) != 0 ? fixed % 7 : kEncodingAuto;
  const long cancel_at = input.Byte() | (input.Byte() << 8);
  const long fail_at = input.Byte();
  if ((flags & 0x40) != 0) system.cancel_at = cancel_at;
  if ((flags & 0x80) != 0) system.fail_write_at = fail_at;

  // The root's name never ends in a lone lead byte: the separator after it would become its trail.
  std::string root_name = EntryName(input, input.Byte());
  if (IsSjisLead(static_cast<unsigned char>(root_name.back()))) root_name += "r";
  const std::string root = kParent + root_name;
  if (root.size() >= kMaxPath) return;

  TreeBuilder builder(input, system);
  builder.Build(root);
  builder.ResolveLinks();
  system.folder_by_path[root + "\\"] = 0;
  system.described[root] = FolderEntry{kAttributeDirectory, 0, ""};

  // The selection: the root, up to three files beside it, and perhaps a link beside it.
  std::vector<std::string> selected = {root};
  std::set<int> selected_ids;
  for (int i = 0; i < ((flags >> 4) & 3); ++i) {
    const std::string path = kParent + "s" + std::to_string(i) + ".txt";
    const int id = builder.NextFileId();
    system.described[path] = FolderEntry{kFileAttributes, 100, ""};
    system.file_by_path[path] = FileInfo{id, 100, false};
    selected_ids.insert(id);
    selected.push_back(path);
  }
  if ((flags & 0x08) != 0) {
    const std::string link = kParent + "lnk";
    system.described[link] = FolderEntry{kAttributeDirectory | kAttributeReparsePoint, 0, ""};
    system.folder_by_path[link + "\\"] = static_cast<int>(fixed % system.nodes.size());
    selected.insert(selected.begin() + (fixed % 2 == 0 ? 0 : 1), link);
  }
  SelectionList selection;
  Require(selection.Reserve(static_cast<int>(selected.size())));
  for (const std::string& path : selected) Require(selection.Append(path.c_str(), path.size()));

  static const char* const kInvoking[] = {nullptr, "C:\\p", nullptr, "C:\\p\\"};
  const char* invoking = kInvoking[flags & 3];
  if ((flags & 3) == 2) invoking = root.c_str();

  const int result = WriteMemberLines(system, selection, invoking, member_encoding, nullptr);

  // Each folder is listed at most once: no link leads into a folder walked before.
  Require(system.listings <= system.nodes.size());
  if (result == kProjectCancelled) {
    Require(system.cancelled);
    return;
  }
  Require(!system.cancelled);
  if (system.write_failed) {
    Require(result == 0);
    return;
  }
  Require(result >= 0 && result <= kMaxMembers);
  Require(system.limit_messages == (result == kMaxMembers ? 1 : 0));

  std::set<int> seen;
  std::size_t lines = 0;
  for (std::size_t start = 0; start < system.output.size();) {
    const std::size_t end = system.output.find("\r\n", start);
    Require(end != std::string::npos);
    const std::string line = system.output.substr(start, end - start);
    Require(line.find_first_of(std::string("\r\n\0", 3)) == std::string::npos);
    int code = 0;
    bool relative = false;
    const int id = ParseLine(system, line, code, relative);
    Require(relative == (invoking != nullptr));
    if (!system.ambiguous) {
      Require(id >= 0);
      Require(seen.insert(id).second);
      int expected = FuzzSystem::CodeOf(id);
      if (member_encoding != kEncodingAuto) {
        expected = selected_ids.count(id) != 0 ? member_encoding : kEncodingAuto;
      }
      Require(std::strcmp(EncodingSwitch(code), EncodingSwitch(expected)) == 0);
    }
    ++lines;
    start = end + 2;
  }
  Require(lines == static_cast<std::size_t>(result));
}

}  // namespace vlpd::fuzz
