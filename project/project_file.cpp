#include "project/project_file.h"

#include "detect/detect_file_encoding.h"
#include "project/project_text.h"
#include "project/project_writer.h"
#include "text/path.h"
#include "win/message_box.h"
#include "win/unique_handle.h"

namespace vlpd {
namespace {

// The writer's view of the real file system and of the open project file.
class FileProjectSystem final : public ProjectSystem {
 public:
  FileProjectSystem(HANDLE file, HWND owner) : file_(file), owner_(owner) {}

  bool ListFolder(const char* pattern, FolderVisitor& visitor) override {
    WIN32_FIND_DATAA entry;
    const FindHandle find(FindFirstFileA(pattern, &entry));
    if (!find) return false;
    do {
      if (!visitor.Visit(entry.dwFileAttributes, entry.cFileName)) break;
    } while (FindNextFileA(find.Get(), &entry));
    return true;
  }

  std::uint32_t Attributes(const char* path) override { return GetFileAttributesA(path); }

  int DetectEncoding(const char* path) override { return DetectFileEncoding(path); }

  bool Write(const char* data, std::size_t length) override {
    DWORD written = 0;
    WriteFile(file_, data, static_cast<DWORD>(length), &written, nullptr);
    return written == length;
  }

  void ShowLimitMessage() override {
    ShowMessage(text::kProjectLimit, text::kProjectLimitTitle, MB_ICONERROR, owner_);
  }

 private:
  HANDLE file_;
  HWND owner_;
};

FileHandle CreateProjectFile(const char* path, DWORD attributes) {
  return FileHandle(
      CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr));
}

// Fills the open project file; the member count, 0 when nothing usable was written.
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
  return SaveResult::kFailed;
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
  return SaveResult::kFailed;
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
