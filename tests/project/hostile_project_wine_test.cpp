// The create-project command through the built DLL against folders that fight back: trees too
// deep to name, a folder past the member limit, files locked, files gone before and during the
// walk, a drive with no room. Each ends in a complete project or in the command's own message;
// never a crash, a partial file or a lost one.
#include <windows.h>
// The shell headers need windows.h first.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "fixtures/command_rows.h"
#include "host/message_box_watcher.h"
#include "host/save_dialog_user.h"
#include "host/test_data_object.h"
#include "host/vlpd_dll.h"
#include "host/wide_text.h"
#include "project/project_text.h"
#include "tests/support/temp_dir.h"
#include "win/unique_handle.h"

namespace vlpd::test {
namespace {

constexpr UINT kCreateProject = OffsetOf(CommandAction::kCreateProject);
constexpr int kPickShiftJis = 1;
// Folders that wine_drives.sh fills on drive P: (a folder of the build tree).
constexpr char kManyFiles[] = "P:\\many";       // 20,000 empty files
constexpr char kVanishing[] = "P:\\vanishing";  // 5,000 empty files, deleted by a test  // walked files get
                                                // no switch, so no file is opened to detect
const std::string kShiftJisText = "\x93\xFA\x96\x7B\x8C\xEA\r\n";  // 日本語

// The lines of a project file; false in `whole` when the last one lacks its CR LF.
std::vector<std::string> Lines(const std::string& bytes, bool* whole = nullptr) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(bytes.substr(start, end - start));
  }
  if (whole != nullptr) *whole = start == bytes.size();
  return lines;
}

// Removes a tree of any depth: the ANSI calls of TempDir stop at 260 bytes.
void RemoveLongTree(const std::wstring& path) {
  WIN32_FIND_DATAW entry;
  const FindHandle find(FindFirstFileW((path + L"\\*").c_str(), &entry));
  if (find) {
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveLongTree(path + L"\\" + name);
      } else {
        DeleteFileW((path + L"\\" + name).c_str());
      }
    } while (FindNextFileW(find.Get(), &entry));
  }
  RemoveDirectoryW(path.c_str());
}

class HostileProjectTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dll_.Loaded()); }
  void TearDown() override { EXPECT_EQ(dll_.CanUnloadNow(), S_OK); }

  // Initialize, QueryContextMenu and the create-project command invoked in `invoking_folder`,
  // with the save dialog operated as `plan` says; returns where the dialog opened.
  std::string Run(const std::vector<std::string>& paths, const std::string& invoking_folder,
                  SaveDialogPlan plan) {
    ComRef<TestDataObject> data = TestDataObject::Make(paths);
    ComRef<IContextMenu> handler = dll_.CreateHandler();
    EXPECT_TRUE(handler);
    if (!handler) return {};
    ShownMenu shown;
    ShowMenu(handler.Get(), data.Get(), shown);
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof info;
    info.lpVerb = MAKEINTRESOURCEA(kCreateProject);
    info.lpDirectory = invoking_folder.c_str();
    info.nShow = SW_SHOWNORMAL;
    SaveDialogUser user(std::move(plan));
    EXPECT_EQ(handler->InvokeCommand(&info), S_OK);
    user.Finish();
    EXPECT_TRUE(user.Found()) << "the save dialog did not come up";
    return user.OpenedIn();
  }
  static SaveDialogPlan Plan(const std::string& file_name, int pick = kPickShiftJis) {
    SaveDialogPlan plan = TypeName(file_name);
    plan.pick = pick;
    return plan;
  }

  ComApartment com_;
  VlpdDll dll_;
  MessageBoxWatcher boxes_;
};

TEST_F(HostileProjectTest, TheSaveDialogOpensInTheInvokingFolder) {
  TempDir dir("vlpd_where");
  const std::string file = dir.WriteFile("a.txt", kShiftJisText);
  const std::string elsewhere = dir.MakeFolder("elsewhere");
  char previous[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, previous);
  for (const std::string& invoking : {dir.MakeFolder("one"), dir.MakeFolder("two\\deeper")}) {
    SCOPED_TRACE(invoking);
    // Neither the current folder nor the folder of the last save may stand in for it.
    SetCurrentDirectoryA(elsewhere.c_str());
    EXPECT_EQ(Run({file}, invoking, Plan("bare")), invoking);
    EXPECT_TRUE(FileExists(invoking + "\\bare.vpj"));
  }
  SetCurrentDirectoryA(previous);
  EXPECT_TRUE(boxes_.Seen().empty());
}

TEST_F(HostileProjectTest, ATreeOneHundredLevelsDeepListsWhatCanBeNamed) {
  TempDir dir("vlpd_deep");
  std::wstring folder = L"\\\\?\\" + Wide(dir / "deep");
  std::vector<std::string> files;  // every file of the tree, as an ANSI path without the prefix
  for (int level = 0; level < 100; ++level) {
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) << level;
    const std::wstring file = folder + L"\\f.txt";
    FileHandle(
        CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string ansi(file.size() * 2, '\0');
    ansi.resize(WideCharToMultiByte(CP_ACP, 0, file.c_str() + 4, -1, ansi.data(),
                                    static_cast<int>(ansi.size()), nullptr, nullptr) -
                1);
    files.push_back(ansi);
    folder += L"\\lvl";
  }
  ASSERT_GT(files.back().size(), 400u);

  Run({dir / "deep"}, dir.Path(), Plan(dir / "deep.vpj"));
  bool whole = false;
  const std::vector<std::string> lines = Lines(ReadFileBytes(dir / "deep.vpj"), &whole);
  EXPECT_TRUE(whole);
  std::set<std::string> listed;
  for (const std::string& line : lines) {
    ASSERT_EQ(line.compare(0, 2, ".\\"), 0) << line;
    const std::string path = dir.Path() + line.substr(1);
    EXPECT_LE(path.size(), 260u);
    EXPECT_TRUE(std::find(files.begin(), files.end(), path) != files.end()) << path;
    EXPECT_TRUE(listed.insert(path).second) << "listed twice: " << path;
  }
  // Every file whose path is well within the limit is there.
  for (const std::string& file : files) {
    if (file.size() <= 250) {
      EXPECT_EQ(listed.count(file), 1u) << file;
    }
  }
  RemoveLongTree(L"\\\\?\\" + Wide(dir / "deep"));
  EXPECT_TRUE(boxes_.Seen().empty());
}

TEST_F(HostileProjectTest, AFolderOf20000FilesStopsAt7500LinesWithTheLimitMessage) {
  if (!FileExists(kManyFiles)) GTEST_SKIP() << kManyFiles << " was not made (see wine_drives.sh)";
  TempDir dir("vlpd_20000");
  Run({kManyFiles}, dir.Path(), Plan(dir / "many.vpj"));
  bool whole = false;
  const std::vector<std::string> lines = Lines(ReadFileBytes(dir / "many.vpj"), &whole);
  EXPECT_TRUE(whole);
  EXPECT_EQ(lines.size(), 7500u);
  EXPECT_EQ(std::set<std::string>(lines.begin(), lines.end()).size(), lines.size()) << "a file listed twice";
  for (const std::string& line : lines) ASSERT_TRUE(FileExists(line)) << line;
  const std::vector<SeenBox> seen = boxes_.WaitFor(1);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].title, text::kProjectLimitTitle);
  EXPECT_EQ(seen[0].text, text::kProjectLimit);
}

TEST_F(HostileProjectTest, ALockedFileIsListedWithoutItsEncoding) {
  TempDir dir("vlpd_locked");
  const std::string held = dir.WriteFile("f\\held.txt", kShiftJisText);
  dir.WriteFile("f\\free.txt", kShiftJisText);
  const FileHandle lock(CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(lock);
  ASSERT_FALSE(FileHandle(CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, 0, nullptr)))
      << "the lock does not hold";

  Run({dir / "f", held}, dir.Path(), Plan(dir / "locked.vpj", 0));
  std::vector<std::string> lines = Lines(ReadFileBytes(dir / "locked.vpj"));
  std::sort(lines.begin(), lines.end());
  EXPECT_EQ(lines, (std::vector<std::string>{".\\f\\held.txt", ".\\f\\held.txt", "/S .\\f\\free.txt"}));
  EXPECT_TRUE(boxes_.Seen().empty());
}

TEST_F(HostileProjectTest, SelectedFilesGoneBeforeTheWriteArePassedOver) {
  TempDir dir("vlpd_gone");
  const std::string stays = dir.WriteFile("stays.txt", kShiftJisText);
  const std::string file = dir.WriteFile("goes.txt", kShiftJisText);
  dir.WriteFile("folder\\inner.txt", kShiftJisText);
  const std::string folder = dir / "folder";
  const auto remove_both = [&](HWND) {
    DeleteFileA(file.c_str());
    DeleteFileA((folder + "\\inner.txt").c_str());
    RemoveDirectoryA(folder.c_str());
  };

  // Gone while the user was naming the project: the rest is written.
  SaveDialogPlan plan = Plan(dir / "rest.vpj");
  plan.before_ok = remove_both;
  Run({file, folder, stays}, dir.Path(), std::move(plan));
  EXPECT_EQ(ReadFileBytes(dir / "rest.vpj"), "/S .\\stays.txt\r\n");
  EXPECT_TRUE(boxes_.Seen().empty());

  // Nothing left at all: the failure message and no file.
  dir.WriteFile("goes.txt", kShiftJisText);
  dir.WriteFile("folder\\inner.txt", kShiftJisText);
  plan = Plan(dir / "none.vpj");
  plan.before_ok = remove_both;
  Run({file, folder}, dir.Path(), std::move(plan));
  EXPECT_FALSE(FileExists(dir / "none.vpj"));
  const std::vector<SeenBox> seen = boxes_.WaitFor(1);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].title, text::kProjectFailedTitle);
  EXPECT_EQ(seen[0].text, text::kProjectFailed);
}

TEST_F(HostileProjectTest, FilesDeletedDuringTheWalkLeaveACompleteList) {
  if (!FileExists(kVanishing)) GTEST_SKIP() << kVanishing << " was not made (see wine_drives.sh)";
  const std::string folder = kVanishing;
  std::vector<std::string> names;
  for (int i = 0; i < 5000; ++i) names.push_back(std::to_string(i) + ".txt");
  TempDir dir("vlpd_vanish");
  // A second program deletes the files from the moment OK is pressed.
  std::thread deleter;
  SaveDialogPlan plan = Plan(dir / "vanish.vpj");
  plan.before_ok = [&](HWND) {
    deleter = std::thread([&] {
      for (const std::string& name : names) DeleteFileA((folder + "\\" + name).c_str());
    });
  };
  Run({folder}, dir.Path(), std::move(plan));
  deleter.join();

  bool whole = false;
  const std::vector<std::string> lines = Lines(ReadFileBytes(dir / "vanish.vpj"), &whole);
  EXPECT_TRUE(whole);
  const std::set<std::string> known(names.begin(), names.end());
  std::set<std::string> listed;
  for (const std::string& line : lines) {
    ASSERT_EQ(line.compare(0, folder.size() + 1, folder + "\\"), 0) << line;
    EXPECT_EQ(known.count(line.substr(folder.size() + 1)), 1u) << line;
    EXPECT_TRUE(listed.insert(line).second) << "listed twice: " << line;
  }
  // Either some members were written, or none and the command said so.
  if (lines.empty()) {
    EXPECT_FALSE(FileExists(dir / "vanish.vpj"));
    ASSERT_EQ(boxes_.WaitFor(1).size(), 1u);
  } else {
    EXPECT_TRUE(boxes_.Seen().empty());
  }
  std::printf("%zu of %zu files were listed while they were being deleted\n", lines.size(), names.size());
}

TEST_F(HostileProjectTest, ADriveWithNoRoomLeftGetsNoFileAndTheMessage) {
  // Q: is a 64 KiB tmpfs mapped for these tests (see wine_drives.sh).
  if (GetFileAttributesA("Q:\\") == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "drive Q: is not mapped";
  constexpr char kFiller[] = "Q:\\hostile_filler.bin";
  ULARGE_INTEGER available{}, total{}, free{};
  ASSERT_TRUE(GetDiskFreeSpaceExA("Q:\\", &available, &total, &free));
  {
    const std::string filler(static_cast<size_t>(available.QuadPart), 'f');
    FileHandle out(CreateFileA(kFiller, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    WriteFile(out.Get(), filler.data(), static_cast<DWORD>(filler.size()), &written, nullptr);
  }
  ASSERT_TRUE(GetDiskFreeSpaceExA("Q:\\", &available, &total, &free));
  ASSERT_EQ(available.QuadPart, 0u);
  TempDir dir("vlpd_nospace");
  const std::string file = dir.WriteFile("a.txt", kShiftJisText);

  Run({file}, dir.Path(), Plan("Q:\\nospace.vpj"));
  EXPECT_FALSE(FileExists("Q:\\nospace.vpj"));
  DeleteFileA(kFiller);
  const std::vector<SeenBox> seen = boxes_.WaitFor(1);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].title, text::kProjectFailedTitle);
  EXPECT_EQ(seen[0].text, text::kProjectFailed);
}

}  // namespace
}  // namespace vlpd::test
