#include "project/project_file.h"

#include <cstring>
#include <cwchar>

#include "detect/detect_file_encoding.h"
#include "detect/encoding.h"
#include "project/creation_progress.h"
#include "project/folder_identity.h"
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
  FileProjectSystem(HANDLE file, HWND owner, TickClock now)
      : file_(file), owner_(owner), progress_(owner, now) {}

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
    return vlpd::IdentifyFolder(path, identity);
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
                HWND owner, TickClock now, const char* skip_path) {
  FileProjectSystem system(file, owner, now);
  return WriteMemberLines(system, selection, invoking_folder, member_encoding, skip_path);
}

// A new name: written in place, so that a walk of its own folder lists the project itself.
SaveResult SaveNew(const char* path, const SelectionList& selection, const char* invoking_folder,
                   int member_encoding, HWND owner, const SaveCalls& calls) {
  FileHandle file = CreateProjectFile(path, FILE_ATTRIBUTE_NORMAL);
  if (!file) return SaveResult::kNotCreated;
  const int count =
      FillProject(file.Get(), selection, invoking_folder, member_encoding, owner, calls.now, nullptr);
  file.Reset();
  if (count > 0) return SaveResult::kSaved;
  DeleteFileA(path);
  return count == kProjectCancelled ? SaveResult::kCancelled : SaveResult::kFailed;
}

// The file that `file` finally is, through any symbolic link, as a plain path (no \\?\ prefix);
// false when it has none of under MAX_PATH units.
bool FinalPath(HANDLE file, wchar_t (&out)[MAX_PATH]) {
  constexpr DWORD kRoom = MAX_PATH + 8;  // room for the \\?\UNC\ prefix as well
  wchar_t found[kRoom];
  const DWORD units = GetFinalPathNameByHandleW(file, found, kRoom, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (units == 0 || units >= kRoom) return false;
  // \\?\C:\x becomes C:\x; \\?\UNC\server\x becomes \\server\x (the C of UNC turned backslash).
  const bool network = std::wcsncmp(found, L"\\\\?\\UNC\\", 8) == 0;
  const std::size_t skip = network ? 6 : std::wcsncmp(found, L"\\\\?\\", 4) == 0 ? 4 : 0;
  if (units - skip >= MAX_PATH) return false;
  std::wmemcpy(out, found + skip, units - skip);
  out[units - skip] = L'\0';
  if (network) out[0] = L'\\';
  return true;
}

// An existing file: the project goes to a temporary file beside the file the name finally leads to
// (through any symbolic link, which keeps leading to it), reaches the disk, and only then takes
// that file's place with ReplaceFileW, which keeps the replaced file's attributes, security and
// alternate streams. Whatever fails before the replacement leaves the old file as it was.
SaveResult SaveOver(const char* path, const SelectionList& selection, const char* invoking_folder,
                    int member_encoding, HWND owner, const SaveCalls& calls) {
  wchar_t target[MAX_PATH];
  {
    // A file we could not have overwritten (read-only, open elsewhere) is left alone, as a failed
    // create would leave it.
    const FileHandle existing(
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!existing || !FinalPath(existing.Get(), target)) return SaveResult::kNotCreated;
  }
  char target_path[kAnsiPathBufferSize];
  std::size_t target_length = 0;
  if (ToAnsiPath(target, std::wcslen(target), target_path, &target_length) == AnsiPathKind::kRefused) {
    return SaveResult::kNotCreated;
  }
  PathParts parts;
  parts.source = target_path;
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
  const int count =
      FillProject(file.Get(), selection, invoking_folder, member_encoding, owner, calls.now, temporary);
  // A power cut after the replacement must find the new lines on disk, not an empty file.
  const bool flushed = count > 0 && calls.flush(file.Get());
  file.Reset();
  // Windows gives the new file the old one's attributes; Wine's replacement is a rename, so they go
  // to the new file first.
  const DWORD attributes = GetFileAttributesW(target);
  wchar_t replacement[MAX_PATH];
  if (flushed && attributes != INVALID_FILE_ATTRIBUTES &&
      SetFileAttributesA(temporary, attributes & ~FILE_ATTRIBUTE_TEMPORARY) &&
      MultiByteToWideChar(CP_ACP, 0, temporary, -1, replacement, MAX_PATH) > 0 &&
      ReplaceFileW(target, replacement, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
    return SaveResult::kSaved;
  }
  DeleteFileA(temporary);
  if (count == kProjectCancelled) return SaveResult::kCancelled;
  return SaveResult::kFailed;
}

}  // namespace

SaveResult SaveProject(const char* path, const SelectionList& selection, const char* invoking_folder,
                       int member_encoding, HWND owner, const SaveCalls& calls) {
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return SaveOver(path, selection, invoking_folder, member_encoding, owner, calls);
  }
  return SaveNew(path, selection, invoking_folder, member_encoding, owner, calls);
}

}  // namespace vlpd
