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
#include <set>
#include <string>
#include <vector>

#include "detect/encoding.h"
#include "fixtures/fake_project_system.h"
#include "fuzz/fuzz_input.h"
#include "project/project_writer.h"
#include "selection/selection_list.h"
#include "text/sjis_class.h"
#include "text/sjis_string.h"

namespace vlpd::fuzz {
namespace {

using fake::Entry, fake::FakeSystem, fake::kFile, fake::kFolder, fake::kLink;

constexpr std::size_t kMaxNodes = 1024;
constexpr std::size_t kMaxEntries = 9000;
const std::string kParentFolder = "C:\\p";
const std::string kParent = kParentFolder + "\\";

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

// Builds the tree the input describes, folder by folder, into the fake below its root.
class TreeBuilder {
 public:
  TreeBuilder(FuzzInput& input, FakeSystem& system) : input_(input), system_(system) {}

  void Build(const std::string& root_path) {
    nodes_.push_back(Node{root_path, {}, {}});
    std::size_t current = 0;
    while (!input_.AtEnd() && nodes_.size() < kMaxNodes && entries_ < kMaxEntries) {
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
          if (AddEntry(current, Entry{kLink, name, 0}))
            links_.emplace_back(nodes_[current].path + "\\" + name, target);
          break;
        }
        case 3: {
          const int count = input_.Byte() * 4;
          for (int i = 0; i < count; ++i) AddFile(current, "m" + std::to_string(i), false);
          break;
        }
        case 4:
          current = input_.Byte() % nodes_.size();
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
            AddEntry(current, Entry{kFolder | kAttributeTemporary, name, 0});
          }
          break;
        }
        default: {
          const int depth = input_.Byte() % 64;
          for (int i = 0; i < depth && nodes_.size() < kMaxNodes; ++i) {
            const std::size_t child = AddFolder(current, i % 2 == 0 ? "d" : "\x83\x5C");
            if (child == current) break;
            current = child;
          }
          break;
        }
      }
    }
    for (const Node& node : nodes_) system_.AddFolder(node.path, node.entries);
    // Links were given a number; they lead to the folder of that number among all of them, so a
    // link may also lead to a later folder.
    for (const auto& [link, target] : links_) {
      system_.AddLink(link, target == 0xFF ? "" : PathOf(target));
    }
  }

  // The path of the folder with this number (taken modulo the count of folders).
  const std::string& PathOf(std::size_t node) const { return nodes_[node % nodes_.size()].path; }
  std::size_t NodeCount() const { return nodes_.size(); }

 private:
  struct Node {
    std::string path;  // through its ordinary parents, without final separator
    std::vector<Entry> entries;
    std::set<std::string> folded_names;
  };

  bool AddEntry(std::size_t node, const Entry& entry) {
    std::string folded = entry.name;
    LowerAscii(&folded[0]);
    if (!nodes_[node].folded_names.insert(folded).second) return false;
    nodes_[node].entries.push_back(entry);
    ++entries_;
    return true;
  }

  void AddFile(std::size_t node, const std::string& name, bool temporary) {
    const std::uint32_t attributes = kFile | (temporary ? kAttributeTemporary : 0);
    const std::uint64_t size = (name.size() * 7919u) % 300000;
    // The detector's answer: every code, unreadable (-1) included.
    AddEntry(node, Entry{attributes, name, size, next_file_id_++ % 8 - 1});
  }

  std::size_t AddFolder(std::size_t node, const std::string& name) {
    if (!AddEntry(node, Entry{kFolder, name, 0})) return node;
    nodes_.push_back(Node{nodes_[node].path + "\\" + name, {}, {}});
    return nodes_.size() - 1;
  }

  // A name that brings the node's path to 259, 260 or 261 bytes (or its pattern there), with a
  // 0x5C trail byte near its end.
  void AddBoundaryName(std::size_t node, std::uint8_t choice) {
    const std::size_t base = nodes_[node].path.size() + 1;
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
  FakeSystem& system_;
  std::vector<Node> nodes_;
  std::vector<std::pair<std::string, std::uint8_t>> links_;  // path, target's number (0xFF: none)
  std::size_t entries_ = 0;
  int next_file_id_ = 0;
};

// The absolute path of the member a line names. `code` receives the switch's encoding code
// (kEncodingAuto when the line starts with no known switch).
std::string MemberPath(const std::string& line, int& code, bool& relative) {
  std::string path = line;
  code = kEncodingAuto;
  for (const EncodingRow& row : kEncodings) {
    const std::size_t n = std::strlen(row.editor_switch);
    if (path.compare(0, n, row.editor_switch) == 0) {
      code = row.code;
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
  return path;
}

}  // namespace

void FuzzOne(FuzzInput& input) {
  FakeSystem system;

  const std::uint8_t flags = input.Byte();
  const std::uint8_t fixed = input.Byte();
  const int member_encoding = (flags & 0x04) != 0 ? fixed % 7 : kEncodingAuto;
  const int cancel_at = input.Byte() | (input.Byte() << 8);
  const int fail_at = input.Byte();
  if ((flags & 0x40) != 0) system.CancelAt(cancel_at);
  if ((flags & 0x80) != 0) system.FailWritesFrom(fail_at);

  // The root's name never ends in a lone lead byte: the separator after it would become its trail.
  std::string root_name = EntryName(input, input.Byte());
  if (IsSjisLead(static_cast<unsigned char>(root_name.back()))) root_name += "r";
  const std::string root = kParent + root_name;
  if (root.size() >= kMaxPath) return;

  TreeBuilder builder(input, system);
  builder.Build(root);
  system.SetAttributes(root, kFolder);

  // The selection: the root, up to three files beside it, and perhaps a link beside it.
  std::vector<std::string> selected = {root};
  std::set<const Entry*> selected_files;
  for (int i = 0; i < ((flags >> 4) & 3); ++i) {
    const std::string name = "s" + std::to_string(i) + ".txt";
    const std::string path = kParent + name;
    system.AddFolder(kParentFolder, {Entry{kFile, name, FakeSystem::kDescribedSize, i - 1}});
    system.SetAttributes(path, kFile);
    selected_files.insert(system.Find(path));
    selected.push_back(path);
  }
  if ((flags & 0x08) != 0) {
    const std::string link = kParent + "lnk";
    system.SetAttributes(link, kLink);
    system.AddLink(link, builder.PathOf(fixed));
    selected.insert(selected.begin() + (fixed % 2 == 0 ? 0 : 1), link);
  }
  SelectionList selection;
  Require(selection.Reserve(static_cast<int>(selected.size())));
  for (const std::string& path : selected) Require(selection.Append(path.c_str(), path.size()));

  static const char* const kInvoking[] = {nullptr, "C:\\p", nullptr, "C:\\p\\"};
  const char* invoking = kInvoking[flags & 3];
  if ((flags & 3) == 2) invoking = root.c_str();

  const int result = WriteMemberLines(system, selection, invoking, member_encoding, nullptr);

  Require(system.fault.empty());
  // Each folder is listed at most once: no link leads into a folder walked before.
  Require(system.listed.size() <= builder.NodeCount());
  // The detector is asked only of listed or selected files, and told their size.
  for (std::size_t i = 0; i < system.detected.size() && !system.paths_collide; ++i) {
    const Entry* file = system.Find(system.detected[i]);
    Require(file != nullptr && (file->attributes & (kAttributeDirectory | kAttributeTemporary)) == 0 &&
            file->size == system.sizes[i]);
  }
  if (result == kProjectCancelled) {
    Require(system.cancelled);
    return;
  }
  Require(!system.cancelled);
  if ((flags & 0x80) != 0 && system.writes > fail_at) {  // a write failed
    Require(result == 0);
    return;
  }
  Require(result >= 0 && result <= kMaxMembers);
  Require(system.limit_messages == (result == kMaxMembers ? 1 : 0));

  std::set<const Entry*> seen;
  std::size_t lines = 0;
  for (std::size_t start = 0; start < system.output.size();) {
    const std::size_t end = system.output.find("\r\n", start);
    Require(end != std::string::npos);
    const std::string line = system.output.substr(start, end - start);
    Require(line.find_first_of(std::string("\r\n\0", 3)) == std::string::npos);
    int code = 0;
    bool relative = false;
    const std::string path = MemberPath(line, code, relative);
    Require(relative == (invoking != nullptr));
    const Entry* file = system.Find(path);
    if (file != nullptr) Require((file->attributes & kAttributeTemporary) == 0);
    if (!system.paths_collide) {
      Require(file != nullptr);
      Require(seen.insert(file).second);
      int expected = file->code;
      if (member_encoding != kEncodingAuto) {
        expected = selected_files.count(file) != 0 ? member_encoding : kEncodingAuto;
      }
      Require(std::strcmp(EncodingSwitch(code), EncodingSwitch(expected)) == 0);
    }
    ++lines;
    start = end + 2;
  }
  Require(lines == static_cast<std::size_t>(result));
}

}  // namespace vlpd::fuzz
