#include "project/folder_identity.h"

#include "win/unique_handle.h"

namespace vlpd {

bool IdentifyFolder(const char* path, FolderIdentity& identity, OpenFileFunction open_file) {
  // Opening a folder needs backup semantics; without FILE_FLAG_OPEN_REPARSE_POINT a link is
  // followed to its target.
  const FileHandle folder(open_file(path, FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION information;
  if (!folder || !GetFileInformationByHandle(folder.Get(), &information) ||
      (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return false;
  }
  identity.volume = information.dwVolumeSerialNumber;
  identity.index = (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
  return true;
}

}  // namespace vlpd
