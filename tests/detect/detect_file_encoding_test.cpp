// DetectFileEncoding on real files, folders and pipes under the system code page 932.
#include "detect/detect_file_encoding.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <winioctl.h>

#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "detect/encoding.h"
#include "fixtures/japanese_text.h"
#include "tests/support/temp_dir.h"
#include "win/unique_handle.h"

namespace vlpd {
namespace {

using namespace std::string_literals;

std::string Repeat(const std::string& unit, std::size_t size) {
  std::string out;
  while (out.size() < size) out += unit;
  out.resize(size);
  return out;
}

class DetectFileEncodingTest : public ::testing::Test {
 protected:
  // Detects, then checks that the detector left the file closed: nobody else may hold it.
  static int Detect(const std::string& path) {
    const int code = DetectFileEncoding(path.c_str());
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      FileHandle exclusive(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
      EXPECT_TRUE(exclusive.Valid()) << "still open: " << path;
    }
    return code;
  }

  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = dir_.WriteFile(name, bytes);
    EXPECT_EQ(test::ReadFileBytes(path), bytes) << path;
    return path;
  }

  test::TempDir dir_{"vlpd_detect"};
};

TEST_F(DetectFileEncodingTest, NothingToReadGivesZero) {
  EXPECT_EQ(Detect(Write("empty.txt", "")), kEncodingAuto);
  EXPECT_EQ(Detect(dir_ / "missing.txt"), kEncodingAuto);
  EXPECT_EQ(Detect(dir_.MakeFolder("folder")), kEncodingAuto);
  EXPECT_EQ(Detect(dir_ / "no such folder\\a.txt"), kEncodingAuto);
}

TEST_F(DetectFileEncodingTest, FileHeldWithoutSharingGivesZero) {
  const std::string path = Write("held.txt", "plain text\r\n");
  {
    FileHandle holder(
        CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder.Valid());
    EXPECT_EQ(DetectFileEncoding(path.c_str()), kEncodingAuto);
  }
  EXPECT_EQ(Detect(path), kEncodingShiftJis);
}

TEST_F(DetectFileEncodingTest, FileOpenForWritingElsewhereIsRead) {
  const std::string path = Write("writing.txt", kJapaneseEuc.Str());
  FileHandle writer(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(writer.Valid());
  EXPECT_EQ(DetectFileEncoding(path.c_str()), kEncodingEuc);
}

TEST_F(DetectFileEncodingTest, JapaneseTextInEachEncoding) {
  EXPECT_EQ(Detect(Write("sjis.txt", kJapaneseShiftJis.Str())), kEncodingShiftJis);
  EXPECT_EQ(Detect(Write("euc.txt", kJapaneseEuc.Str())), kEncodingEuc);
  EXPECT_EQ(Detect(Write("utf8.txt", kJapaneseUtf8.Str())), kEncodingUtf8);
  EXPECT_EQ(Detect(Write("utf16le.txt", kJapaneseUtf16Le.Str())), kEncodingUtf16Le);
  EXPECT_EQ(Detect(Write("utf16be.txt", kJapaneseUtf16Be.Str())), kEncodingUtf16Be);
}

TEST_F(DetectFileEncodingTest, ByteOrderMarkGivesPositiveCode) {
  EXPECT_EQ(Detect(Write("utf8bom.txt", "\xEF\xBB\xBF" + kJapaneseUtf8.Str())), kEncodingUtf8);
  EXPECT_EQ(Detect(Write("utf16bebom.txt", "\xFE\xFF" + kJapaneseUtf16Be.Str())), kEncodingUtf16Be);
  EXPECT_EQ(Detect(Write("utf16lebom.txt", "\xFF\xFE" + kJapaneseUtf16Le.Str())), kEncodingUtf16Le);
  EXPECT_EQ(Detect(Write("bomonly.txt", "\xFF\xFE")), kEncodingUtf16Le);
}

TEST_F(DetectFileEncodingTest, OnlyTheWindowIsRead) {
  const std::string aa_a = "\x41\x41\xE3\x81\x82";  // AAあ in UTF-8
  // The window ends inside a sequence but the file goes on: tolerated.
  EXPECT_EQ(Detect(Write("long.txt", Repeat(aa_a, 300000))), kEncodingUtf8);
  // A file one byte shorter than the window ends on the cut sequence.
  EXPECT_EQ(Detect(Write("short.txt", Repeat(aa_a, kDetectionWindow - 1))), kEncodingShiftJis);
  // Bytes past the window that would rule out every encoding are never seen.
  EXPECT_EQ(Detect(Write("tail.txt", std::string(kDetectionWindow, 'A') + "\xFF\xFF\xFF")),
            kEncodingShiftJis);
}

TEST_F(DetectFileEncodingTest, JapaneseFileAndFolderNames) {
  // 表 is 0x95 0x5C: its trail byte must not end the folder name.
  const std::string folder = dir_.MakeFolder("\x95\x5C");
  EXPECT_EQ(Detect(Write("\x95\x5C\\\x95\x5C.txt", kJapaneseShiftJis.Str())), kEncodingShiftJis);
  EXPECT_EQ(Detect(Write("\x83\x5C\x95\x5C.txt", kJapaneseUtf8.Str())), kEncodingUtf8);  // ソ表.txt
  EXPECT_EQ(Detect(folder), kEncodingAuto);
}

TEST_F(DetectFileEncodingTest, FailedReadGivesMinusOne) {
  // A pipe opens like a file; when the other end goes away unread, the read fails.
  const std::string name = "\\\\.\\pipe\\vlpd_detect_" + std::to_string(GetCurrentProcessId());
  for (const std::string& sent : {""s, "pipe text\r\n"s}) {
    FileHandle server(CreateNamedPipeA(name.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1,
                                       4096, 4096, 0, nullptr));
    ASSERT_TRUE(server.Valid());
    std::thread writer([&server, &sent] {
      if (ConnectNamedPipe(server.Get(), nullptr) || GetLastError() == ERROR_PIPE_CONNECTED) {
        DWORD written = 0;
        if (!sent.empty())
          WriteFile(server.Get(), sent.data(), static_cast<DWORD>(sent.size()), &written, nullptr);
        FlushFileBuffers(server.Get());  // returns once the reader has taken everything
      }
      server.Reset();
    });
    const int code = DetectFileEncoding(name.c_str());
    // A reader that never opened the pipe must not leave the writer waiting for one.
    FileHandle(CreateFileA(name.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)).Reset();
    writer.join();
    EXPECT_EQ(code, sent.empty() ? kEncodingReadFailed : kEncodingShiftJis) << '"' << sent << '"';
  }
}

TEST_F(DetectFileEncodingTest, SharedBufferGivesTheSameAnswers) {
  // One buffer for many files, never cleared: bytes left by a longer file must not count.
  std::vector<unsigned char> buffer(kDetectionWindow, 0xFF);
  const std::vector<std::string> paths = {
      Write("s.txt", kJapaneseShiftJis.Str()),
      Write("e.txt", kJapaneseEuc.Str()),
      Write("u.txt", kJapaneseUtf8.Str()),
      Write("le.txt", kJapaneseUtf16Le.Str()),
      Write("a.txt", "A"),
      Write("empty.txt", ""),
      dir_ / "missing.txt",
  };
  for (const std::string& path : paths) {
    EXPECT_EQ(DetectFileEncoding(path.c_str(), kUnknownFileSize, buffer.data(), buffer.size()),
              DetectFileEncoding(path.c_str()))
        << path;
  }
  // A size from a listing is taken as given: only that much is read.
  const std::string path = Write("size.txt", "A\0\0A"s);
  EXPECT_EQ(DetectFileEncoding(path.c_str(), 4, buffer.data(), buffer.size()), kEncodingShiftJis);
  EXPECT_EQ(DetectFileEncoding(path.c_str(), 2, buffer.data(), buffer.size()), kEncodingUtf16Le);
  EXPECT_EQ(DetectFileEncoding(path.c_str(), std::uint64_t{1} << 32, buffer.data(), buffer.size()),
            kEncodingShiftJis);
  EXPECT_EQ(DetectFileEncoding(path.c_str(), 0, buffer.data(), buffer.size()), kEncodingAuto);
  // A smaller buffer reads no more than it holds.
  EXPECT_EQ(DetectFileEncoding(path.c_str(), kUnknownFileSize, buffer.data(), 2), kEncodingUtf16Le);
}

#if defined(_WIN64)
// A 64-bit address space is far too large to take whole (Wine keeps a byte for every reserved
// page), so the detector's request is refused at its source: while the object lives, this
// program's import of GlobalAlloc leads to a stand-in that gives no block, as GlobalAlloc does
// when memory has run out.
class NoMemory {
 public:
  NoMemory() : slot_(ImportSlot("kernel32.dll", "GlobalAlloc")) {
    if (slot_ != nullptr) original_ = Swap(reinterpret_cast<void*>(&Refuse));
  }
  ~NoMemory() {
    if (slot_ != nullptr) Swap(original_);
  }
  NoMemory(const NoMemory&) = delete;
  NoMemory& operator=(const NoMemory&) = delete;

 private:
  static HGLOBAL WINAPI Refuse(UINT, SIZE_T) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }

  // The import address table entry of `function` from `library` in this program; null if absent.
  static void** ImportSlot(const char* library, const char* function) {
    auto* const base = reinterpret_cast<unsigned char*>(GetModuleHandleA(nullptr));
    const auto* nt =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         entry->Name != 0; ++entry) {
      if (lstrcmpiA(reinterpret_cast<const char*>(base + entry->Name), library) != 0) continue;
      auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
      auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
      for (; names->u1.AddressOfData != 0; ++names, ++slots) {
        if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
        const auto* by_name = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
        if (lstrcmpA(reinterpret_cast<const char*>(by_name->Name), function) == 0) {
          return reinterpret_cast<void**>(&slots->u1.Function);
        }
      }
    }
    return nullptr;
  }

  void* Swap(void* target) {
    DWORD protection = 0;
    VirtualProtect(slot_, sizeof *slot_, PAGE_READWRITE, &protection);
    void* const previous = *slot_;
    *slot_ = target;
    VirtualProtect(slot_, sizeof *slot_, protection, &protection);
    return previous;
  }

  void** const slot_;
  void* original_ = nullptr;
};
#else
// Takes every free range of the 32-bit address space, then every 256 KiB heap block left, so
// that the next request for the detector's buffer fails.
class NoMemory {
 public:
  NoMemory() {
    reserved_.reserve(1 << 16);
    blocks_.reserve(1 << 14);
    for (SIZE_T size = SIZE_T{1} << 30; size >= (SIZE_T{1} << 16); size /= 2) {
      while (reserved_.size() < reserved_.capacity()) {
        void* p = VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS);
        if (p == nullptr) break;
        reserved_.emplace_back(p);
      }
    }
    while (blocks_.size() < blocks_.capacity()) {
      GlobalBlock block(GlobalAlloc(GMEM_FIXED, kDetectionWindow));
      if (!block) break;
      blocks_.push_back(std::move(block));
    }
  }

 private:
  std::vector<VirtualRange> reserved_;
  std::vector<GlobalBlock> blocks_;
};
#endif

TEST_F(DetectFileEncodingTest, NoBufferGivesZeroAndClosesTheFile) {
  const std::string path = Write("nobuffer.txt", kJapaneseEuc.Str());
  bool exhausted = false;
  bool opened = false;
  int code = -2;
  {
    NoMemory no_memory;
    exhausted = !GlobalBlock(GlobalAlloc(GMEM_ZEROINIT, kDetectionWindow));
    // The file itself still opens, so only the missing buffer can explain a 0.
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS, nullptr));
    opened = file.Valid();
    file.Reset();
    code = DetectFileEncoding(path.c_str());
  }
  ASSERT_TRUE(exhausted);
  ASSERT_TRUE(opened);
  EXPECT_EQ(code, kEncodingAuto);
  EXPECT_EQ(Detect(path), kEncodingEuc);  // closed, and fine again once memory is back
}

TEST_F(DetectFileEncodingTest, FileOfFourGibibytesOrMoreReadsTheFullWindow) {
  // Only "A\0" lies within the low 32 bits of the sizes below: read alone it would look like
  // UTF-16LE (or, with nothing read, undetermined). The full window balances it with "\0A".
  const std::string path = Write("huge.txt", "A\0\0A"s);
  FileHandle file(
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file.Valid());
  DWORD returned = 0;
  DeviceIoControl(file.Get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
  const auto set_size = [&file](LONGLONG size) {
    LARGE_INTEGER end;
    end.QuadPart = size;
    return SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(file.Get());
  };
  const LONGLONG four_gib = LONGLONG{1} << 32;
  if (!set_size(four_gib + 2)) GTEST_SKIP() << "no sparse 4 GiB file here, error " << GetLastError();
  file.Reset();
  EXPECT_EQ(Detect(path), kEncodingShiftJis);

  file.Reset(
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file.Valid());
  ASSERT_TRUE(set_size(four_gib));
  file.Reset();
  EXPECT_EQ(Detect(path), kEncodingShiftJis);
}

}  // namespace
}  // namespace vlpd
