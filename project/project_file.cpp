#include "project/project_file.h"

#include <cstring>

#include "detect/detect_file_encoding.h"
#include "detect/encoding.h"
#include "project/creation_progress.h"
#include "project/project_text.h"
#include "project/project_writer.h"
#include "text/path.h"
#include "win/ansi_path.h"
#include "win/message_box.h"
#include "win/unique_handle.h"

namespace vlpd {
namespace {

// The writer's view of the real file system and of the open project file.
class FileProjectSystem final : public ProjectSystem {
 public:
  FileProjectSystem(HANDLE file, HWND owner) : file_(file), owner_(owner), progress_(owner) {}

  // Listed in UTF-16: the ANSI listing would hand over a name the code page cannot write as '?'
  // or as a lookalike, naming another file or none. Such an entry goes by its short alias, or is
  // passed over when it has none.
  bool ListFolder(const char* pattern, FolderVisitor& visitor) override {
    wchar_t wide_pattern[kPathBufferSize];
    if (MultiByteToWideChar(CP_ACP, 0, pattern, -1, wide_pattern, kPathBufferSize) == 0) return false;
    WIN32_FIND_DATAW found;
    const FindHandle find(FindFirstFileW(wide_pattern, &found));
    if (!find) return false;
    char name[kAnsiPathBufferSize];
    do {
      if (!ToAnsiEntryName(found, name)) continue;
      FolderEntry entry;
      entry.attributes = found.dwFileAttributes;
      entry.size = (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
      entry.name = name;
      if (!visitor.Visit(entry)) break;
    } while (FindNextFileW(find.Get(), &found));
    return true;
  }

  FolderEntry Describe(const char* path) override {
    FolderEntry entry;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExA(path, GetFileExInfoStandard, &data)) {
      entry.attributes = data.dwFileAttributes;
      entry.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
    return entry;
  }

  bool IdentifyFolder(const char* path, FolderIdentity& identity) override {
    // Opening a folder needs backup semantics; without FILE_FLAG_OPEN_REPARSE_POINT a link is
    // followed to its target.
    const FileHandle folder(CreateFileA(path, FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION information;
    if (!folder || !GetFileInformationByHandle(folder.Get(), &information) ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      return false;
    }
    identity.volume = information.dwVolumeSerialNumber;
    identity.index =
        (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
    return true;
  }

  int DetectEncoding(const char* path, std::uint64_t size) override {
    // One buffer for the whole creation: the detector reads only the bytes it was given.
    if (!buffer_) buffer_.Reset(GlobalAlloc(GMEM_FIXED, kDetectionWindow));
    if (!buffer_) return kEncodingAuto;
    // A fixed (not movable) global block's handle is its address.
    return DetectFileEncoding(path, size, static_cast<unsigned char*>(buffer_.Get()), kDetectionWindow);
  }

  bool Write(const char* data, std::size_t length) override {
    DWORD written = 0;
    WriteFile(file_, data, static_cast<DWORD>(length), &written, nullptr);
    return written == length;
  }

  void ShowLimitMessage() override {
    progress_.Close();
    ShowMessage(text::kProjectLimit, text::kProjectLimitTitle, MB_ICONERROR, owner_);
  }

  bool KeepGoing(int member_count, const char* place) override {
    return progress_.Update(member_count, place);
  }

 private:
  HANDLE file_;
  HWND owner_;
  CreationProgress progress_;
  GlobalBlock buffer_;
};

// What GetTempFileNameA adds to a folder: "vpjXXXX.tmp" and the terminator, with room to spare.
constexpr std::size_t kTemporaryNameLength = 14;

FileHandle CreateProjectFile(const char* path, DWORD attributes) {
  return FileHandle(
      CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr));
}

// Fills the open project file; the member count, 0 when nothing usable was written,
// kProjectCancelled when the user cancelled.
int FillProject(HANDLE file, const SelectionList& selection, const char* invoking_folder, int member_encoding,
                HWND owner, const char* skip_path) {
  FileProjectSystem system(file, owner);
  return WriteMemberLines(system, selection, invoking_folder, member_encoding, skip_path);
}

// A new name: written in place, so that a walk of its own folder lists the project itself.
SaveResult SaveNew(const char* path, const SelectionList& selection, const char* invoking_folder,
                   int member_encoding, HWND owner) {
  FileHandle file = CreateProjectFile(path, FILE_ATTRIBUTE_NORMAL);
  if (!file) return SaveResult::kNotCreated;
  const int count = FillProject(file.Get(), selection, invoking_folder, member_encoding, owner, nullptr);
  file.Reset();
  if (count > 0) return SaveResult::kSaved;
  DeleteFileA(path);
  return count == kProjectCancelled ? SaveResult::kCancelled : SaveResult::kFailed;
}

// An existing file: the project goes to a temporary file in the same folder, which replaces
// the old file only once it is complete.
SaveResult SaveOver(const char* path, const SelectionList& selection, const char* invoking_folder,
                    int member_encoding, HWND owner) {
  // A file we could not have overwritten (read-only, open elsewhere) is left alone, as a failed
  // create would leave it.
  if (!FileHandle(
          CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))) {
    return SaveResult::kNotCreated;
  }
  PathParts parts;
  parts.source = path;
  if (!SplitPath(parts) || parts.directory[0] == '\0') return SaveResult::kNotCreated;

  // Windows refuses a folder longer than this for a temporary name; Wine makes the file anyway and
  // hands back a cut name, which could then not be deleted.
  if (std::strlen(parts.directory) > MAX_PATH - kTemporaryNameLength) return SaveResult::kNotCreated;
  char temporary[MAX_PATH];
  if (GetTempFileNameA(parts.directory, "vpj", 0, temporary) == 0) return SaveResult::kNotCreated;
  FileHandle file = CreateProjectFile(temporary, FILE_ATTRIBUTE_TEMPORARY);
  if (!file) {
    DeleteFileA(temporary);
    return SaveResult::kNotCreated;
  }
  // Windows marks the temporary file so that walks pass it over; Wine keeps no such mark, so the
  // writer also passes it over by its path.
  const int count = FillProject(file.Get(), selection, invoking_folder, member_encoding, owner, temporary);
  file.Reset();
  if (count > 0 && SetFileAttributesA(temporary, FILE_ATTRIBUTE_NORMAL) &&
      MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING)) {
    return SaveResult::kSaved;
  }
  DeleteFileA(temporary);
  return count == kProjectCancelled ? SaveResult::kCancelled : SaveResult::kFailed;
}

}  // namespace

SaveResult SaveProject(const char* path, const SelectionList& selection, const char* invoking_folder,
                       int member_encoding, HWND owner) {
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return SaveOver(path, selection, invoking_folder, member_encoding, owner);
  }
  return SaveNew(path, selection, invoking_folder, member_encoding, owner);
}

}  // namespace vlpd
