#include "commands/help_text.h"

#include <cstring>

#include "commands/command_table.h"
#include "text/sjis_class.h"

namespace vlpd {
const char* HelpText(unsigned offset) {
  const Command* command = CommandAt(offset);
  return command != nullptr ? command->help : nullptr;
}

std::size_t CopyBoundedAnsi(const char* text, char* out, std::size_t capacity) {
  if (capacity == 0) return 0;
  std::size_t n = 0;
  // Whole characters only: a lead byte is taken with its trail byte or not at all.
  while (text[n] != '\0') {
    const bool pair = IsSjisLead(static_cast<unsigned char>(text[n])) &&
                      IsSjisTrail(static_cast<unsigned char>(text[n + 1]));
    const std::size_t width = pair ? 2 : 1;
    if (n + width + 1 > capacity) break;
    n += width;
  }
  std::memcpy(out, text, n);
  out[n] = '\0';
  return n;
}

}  // namespace vlpd
