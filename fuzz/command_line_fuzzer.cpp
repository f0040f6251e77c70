// The editor's command line as the launch builds it: AppendSeparator on the install folder, then
// ComposeCommandLine, each into a heap buffer of exactly the size it is told, both sizes fuzzed.
// Nothing is written past either buffer, and the line is either exactly
// "<folder><exe>" <switch>"<path>" or refused with -1 and an empty buffer.
//
// Input: one control byte (its low three bits are a command offset: that open command's switch,
// or the third field for any other command), the folder buffer's size and the line buffer's size
// (two bytes each; a size of 0xFFFF stands for the launch's own buffer), then the install folder,
// the path and the switch, separated by NUL bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "commands/command_line.h"
#include "commands/command_table.h"
#include "fuzz/fuzz_input.h"
#include "text/path.h"
#include "text/sjis_string.h"

namespace vlpd::fuzz {
namespace {

constexpr std::size_t kLaunchBuffer = 0xFFFF;

// The folder as AppendSeparator leaves it in a buffer of `size` bytes; empty when refused.
std::string SeparatedFolder(const std::string& folder, std::size_t size, bool& ok) {
  std::unique_ptr<char[]> buffer(new char[size]);
  const std::size_t kept = folder.size() < size ? folder.size() + 1 : size;
  std::memcpy(buffer.get(), folder.c_str(), kept);
  const int result = AppendSeparator(buffer.get(), size);
  ok = result >= 0;
  if (!ok) {
    Require(result == -1 && std::memcmp(buffer.get(), folder.c_str(), kept) == 0);
    return std::string();
  }
  const auto length = static_cast<std::size_t>(result);
  Require(length < size && buffer[length] == '\0' && buffer[length - 1] == '\\');
  const std::string separated(buffer.get(), length);
  Require(separated == folder || separated == folder + "\\");
  return separated;
}

void CheckLine(const std::string& folder, const std::string& encoding_switch, const std::string& path,
               std::size_t size) {
  const std::unique_ptr<char[]> folder_text = ExactCopy(folder);
  const std::unique_ptr<char[]> switch_text = ExactCopy(encoding_switch);
  const std::unique_ptr<char[]> path_text = ExactCopy(path);
  std::unique_ptr<char[]> out(new char[size]);
  if (size > 0) std::memset(out.get(), '#', size);

  const int result = ComposeCommandLine(out.get(), size, folder_text.get(), kEditorExeName, switch_text.get(),
                                        path_text.get());
  const std::string expected = "\"" + folder + kEditorExeName + "\" " + encoding_switch + "\"" + path + "\"";
  // A quote inside the folder or the path would split the line: refused like a line too long.
  const bool quoted = folder.find('"') != std::string::npos || path.find('"') != std::string::npos;
  if (quoted || expected.size() >= size) {
    Require(result == -1);
    if (size > 0) Require(out[0] == '\0');
    return;
  }
  Require(result == static_cast<int>(expected.size()));
  Require(std::memcmp(out.get(), expected.c_str(), expected.size() + 1) == 0);

  // Without quotes of their own, the quotes split the line back into executable and path.
  if (encoding_switch.find('"') != std::string::npos) return;
  const std::string line(out.get());
  const std::size_t close = line.find('"', 1);
  Require(line.substr(1, close - 1) == folder + kEditorExeName);
  const std::size_t open = line.find('"', close + 1);
  Require(line.substr(close + 2, open - close - 2) == encoding_switch);
  Require(line.substr(open + 1, line.size() - open - 2) == path);
}

}  // namespace

void FuzzOne(FuzzInput& input) {
  const std::uint8_t control = input.Byte();
  std::size_t folder_size = input.Word();
  std::size_t line_size = input.Word();
  if (folder_size == kLaunchBuffer) folder_size = kPathBufferSize;
  if (line_size == kLaunchBuffer) line_size = kCommandLineBufferSize;
  const std::string folder = input.Field();
  const std::string path = input.Field();
  const std::string own_switch = input.Field();
  const char* listed = OpenSwitch(control & 7);
  const std::string encoding_switch = listed != nullptr ? listed : own_switch;
  if (folder_size == 0) return;

  bool ok = false;
  const std::string separated = SeparatedFolder(folder, folder_size, ok);
  if (!ok) return;
  CheckLine(separated, encoding_switch, path, line_size);

  // A launch that reads at most 260 bytes of folder into its buffer and names a path of at most
  // 259 bytes with one of its own switches is never refused for room.
  if (folder_size == kPathBufferSize && path.size() < kMaxPath && listed != nullptr) {
    const std::size_t length =
        separated.size() + std::strlen(kEditorExeName) + encoding_switch.size() + path.size() + 5;
    Require(length < kCommandLineBufferSize);
    CheckLine(separated, encoding_switch, path, kCommandLineBufferSize);
  }
}

}  // namespace vlpd::fuzz
