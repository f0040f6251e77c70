// Path arithmetic over ANSI paths that never splits a double-byte character of the system's code
// page (or of the code page whose table is passed).
#pragma once

#include <cstddef>
#include <cstdint>

#include "text/lead_bytes.h"

namespace vlpd {

inline constexpr std::size_t kMaxPath = 260;                  // bytes of text in a path buffer
inline constexpr std::size_t kPathBufferSize = kMaxPath + 1;  // text and terminator

// The file attribute bits the core looks at, and the failure value of an attribute query.
inline constexpr std::uint32_t kAttributeDirectory = 0x10;
inline constexpr std::uint32_t kAttributeTemporary = 0x100;
inline constexpr std::uint32_t kAttributeReparsePoint = 0x400;
inline constexpr std::uint32_t kInvalidAttributes = 0xFFFFFFFF;

struct PathParts {
  const char* source = nullptr;          // set by the caller
  const char* extension = nullptr;       // points at the dot inside `name`, or null
  char directory[kPathBufferSize] = {};  // up to and including the last separator
  char name[kPathBufferSize] = {};
};

// Makes the path in `path` (a buffer of `size` bytes) end in a separator and returns its new
// length. A 0x5C that is the trail byte of a double-byte character is no separator. Returns -1,
// leaving the buffer as it was, when the buffer holds no terminator or has no room.
int AppendSeparator(char* path, std::size_t size, const LeadByteTable& bytes = SystemLeadBytes());

// Copies `text` into a path buffer; false, leaving it empty, when it is longer than kMaxPath.
bool CopyPath(char (&buffer)[kPathBufferSize], const char* text);

// Splits `parts.source` into directory, name and extension (the last dot of the name with up
// to four bytes after it). False, with empty parts, for an empty source or one of 260 bytes or
// more.
bool SplitPath(PathParts& parts, const LeadByteTable& bytes = SystemLeadBytes());

// True for a path that names one place whatever the current drive and folder: a drive letter,
// a colon and a separator (C:\x), or a UNC path (\\srv\x). C:x, \x and x depend on them.
bool IsAbsolutePath(const char* path);

// True for the root of a drive, "C:\": what the shell selects when a drive is right-clicked.
bool IsDriveRoot(const char* path);

}  // namespace vlpd
