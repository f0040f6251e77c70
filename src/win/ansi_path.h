// UTF-16 paths as the ANSI functions must be given them. A plain conversion to the ANSI code page
// turns a character the code page lacks into '?' or into a lookalike ("café" into "cafe"), which
// names another file or none; here a path is converted exactly, or its short (8.3) form is used,
// or it is refused.
#pragma once

#include <windows.h>

#include <cstddef>

namespace vlpd {

inline constexpr std::size_t kAnsiPathBufferSize = MAX_PATH + 1;

enum class AnsiPathKind {
  kExact,    // every character has its own ANSI form
  kShort,    // components the code page cannot write are replaced by their short (8.3) aliases
  kRefused,  // no ANSI path of under 260 bytes names the file
};

// Converts the `units` UTF-16 units at `wide` (no terminator needed) into `out`, terminated, and
// stores its length in bytes in `*length`. Without best fit, and checked by converting back.
// When a character has no ANSI form the file system is asked for the short aliases, so the file
// must exist. Refused, with `out` empty, for an empty path, one of 260 units or more or with a
// zero unit inside, an ANSI form of 260 bytes or more, or a component without an alias that
// converts exactly.
// The name of a folder listing's entry as the ANSI functions must be given it: its own name when
// it converts exactly, else its short (8.3) alias from the same entry. False, with `out` empty,
// when neither does.
bool ToAnsiEntryName(const WIN32_FIND_DATAW& entry, char (&out)[kAnsiPathBufferSize]);

AnsiPathKind ToAnsiPath(const wchar_t* wide, std::size_t units, char (&out)[kAnsiPathBufferSize],
                        std::size_t* length);

// The first step of ToAnsiPath alone, which never asks the file system: true, with `out` and
// `*length` set, where ToAnsiPath answers kExact; false, with `out` empty, where it would need the
// short aliases or refuse.
bool ToExactAnsiPath(const wchar_t* wide, std::size_t units, char (&out)[kAnsiPathBufferSize],
                     std::size_t* length);

}  // namespace vlpd
