// What project creation needs from the system around it: folder listings, what a path is, folder
// identities, the detector and the output file. The folder walk and the project writer reach the
// file system only through it, so the same logic runs over real folders or over supplied listings.
#pragma once

#include <cstddef>
#include <cstdint>

#include "detect/detect_file_encoding.h"
#include "project/walked_folders.h"
#include "text/path.h"

namespace vlpd {

// One entry of a folder listing, or what the file system says of one selected path.
struct FolderEntry {
  std::uint32_t attributes = kInvalidAttributes;
  // Bytes in the file; kUnknownFileSize when the system did not say.
  std::uint64_t size = kUnknownFileSize;
  const char* name = "";  // listing entries only
};

// Receives the entries of one folder listing, in listing order.
class FolderVisitor {
 public:
  // False ends the listing.
  virtual bool Visit(const FolderEntry& entry) = 0;

 protected:
  ~FolderVisitor() = default;
};

// What the writer needs from the system around it.
class ProjectSystem {
 public:
  // Lists the folder entries matching `pattern` (a folder path with separator and "*.*") into
  // `visitor`. False when the listing cannot be started.
  virtual bool ListFolder(const char* pattern, FolderVisitor& visitor) = 0;
  // Attributes and size of a path; attributes kInvalidAttributes when they cannot be read.
  virtual FolderEntry Describe(const char* path) = 0;
  // The identity of the folder `path` leads to (through any link); false when it cannot be had
  // (a dangling link, no access).
  virtual bool IdentifyFolder(const char* path, FolderIdentity& identity) = 0;
  // The detector's encoding code for a file of `size` bytes (kUnknownFileSize: not known): 0 to 6,
  // negative when it could not be read.
  virtual int DetectEncoding(const char* path, std::uint64_t size) = 0;
  // Appends bytes to the project file; false unless every byte was written.
  virtual bool Write(const char* data, std::size_t length) = 0;
  // Tells the user that the member limit cut the project short.
  virtual void ShowLimitMessage() = 0;
  // Polled as the walk goes, once for every folder entered and every member: `member_count`
  // members so far, `place` the folder being walked (or the selected file being added). False
  // when the user cancelled the creation.
  virtual bool KeepGoing(int member_count, const char* place) = 0;

 protected:
  ~ProjectSystem() = default;
};

}  // namespace vlpd
