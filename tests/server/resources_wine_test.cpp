// The built VLPDMenu.dll as a file: its export table, imports and sections read from the PE headers,
// its resources as the system's resource functions see them, and its version as Explorer reads it.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "host/vlpd_dll.h"
#include "product.h"
#include "project/save_dialog_ids.h"
#include "tests/support/file_version.h"
#include "tests/support/temp_dir.h"

namespace vlpd::test {
namespace {

// The machine the DLL is built for: the tests' own, so that they can load it.
#if defined(__aarch64__)
constexpr WORD kMachine = IMAGE_FILE_MACHINE_ARM64;
#elif defined(_WIN64)
constexpr WORD kMachine = IMAGE_FILE_MACHINE_AMD64;
#else
constexpr WORD kMachine = IMAGE_FILE_MACHINE_I386;
#endif

// Read-only view of a PE file of the tests' own kind (PE32 on i686, PE32+ on x86-64) held in
// memory; every read is checked against its size.
class PeFile {
 public:
  explicit PeFile(std::string bytes) : bytes_(std::move(bytes)) {
    IMAGE_DOS_HEADER dos;
    if (!Read(0, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE) return;
    if (!Read(dos.e_lfanew, nt_) || nt_.Signature != IMAGE_NT_SIGNATURE) return;
    if (nt_.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR_MAGIC) return;
    const std::size_t first =
        dos.e_lfanew + offsetof(IMAGE_NT_HEADERS, OptionalHeader) + nt_.FileHeader.SizeOfOptionalHeader;
    for (WORD i = 0; i < nt_.FileHeader.NumberOfSections; ++i) {
      IMAGE_SECTION_HEADER section;
      if (!Read(first + i * sizeof section, section)) return;
      sections_.push_back(section);
    }
    valid_ = true;
  }

  // The sections' names; a long one ("/N") is read from the string table after the symbols.
  std::vector<std::string> SectionNames() const {
    const std::size_t strings = nt_.FileHeader.PointerToSymbolTable + nt_.FileHeader.NumberOfSymbols * 18;
    std::vector<std::string> names;
    for (const IMAGE_SECTION_HEADER& s : sections_) {
      std::string name(reinterpret_cast<const char*>(s.Name),
                       strnlen(reinterpret_cast<const char*>(s.Name), 8));
      if (name[0] == '/' && nt_.FileHeader.PointerToSymbolTable != 0) {
        const std::size_t at = strings + std::strtoul(name.c_str() + 1, nullptr, 10);
        name = at < bytes_.size() ? bytes_.substr(at, bytes_.find('\0', at) - at) : "<bad>";
      }
      names.push_back(name);
    }
    return names;
  }
  // The raw bytes of the section named `name`; empty when there is none.
  std::string SectionBytes(const std::string& name) const {
    const std::vector<std::string> names = SectionNames();
    const std::size_t i = std::find(names.begin(), names.end(), name) - names.begin();
    return i < names.size() && sections_[i].PointerToRawData <= bytes_.size()
               ? bytes_.substr(sections_[i].PointerToRawData, sections_[i].SizeOfRawData)
               : "";
  }

  bool Valid() const { return valid_; }
  const IMAGE_NT_HEADERS& Headers() const { return nt_; }
  const IMAGE_DATA_DIRECTORY& Directory(int index) const { return nt_.OptionalHeader.DataDirectory[index]; }

  // The file offset of a relative virtual address; npos outside every section's raw data.
  std::size_t Offset(DWORD rva) const {
    for (const IMAGE_SECTION_HEADER& s : sections_) {
      if (rva >= s.VirtualAddress && rva - s.VirtualAddress < s.SizeOfRawData) {
        return s.PointerToRawData + (rva - s.VirtualAddress);
      }
    }
    return std::string::npos;
  }

  template <typename T>
  bool Read(std::size_t offset, T& out) const {
    if (offset == std::string::npos || offset > bytes_.size() || bytes_.size() - offset < sizeof(T)) {
      return false;
    }
    std::memcpy(&out, bytes_.data() + offset, sizeof(T));
    return true;
  }
  template <typename T>
  bool ReadRva(DWORD rva, T& out) const {
    return Read(Offset(rva), out);
  }
  // The NUL-terminated text at `rva`; "<bad>" when it runs off the file.
  std::string Text(DWORD rva) const {
    const std::size_t offset = Offset(rva);
    if (offset == std::string::npos) return "<bad>";
    const std::size_t end = bytes_.find('\0', offset);
    return end == std::string::npos ? "<bad>" : bytes_.substr(offset, end - offset);
  }

 private:
  std::string bytes_;
  IMAGE_NT_HEADERS nt_ = {};
  std::vector<IMAGE_SECTION_HEADER> sections_;
  bool valid_ = false;
};

struct Export {
  std::string name;
  DWORD ordinal;
  DWORD rva;
  bool operator==(const Export& other) const {
    return name == other.name && ordinal == other.ordinal && rva == other.rva;
  }
};

class BuiltDll : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dll_.Loaded()) << "VLPDMenu.dll not found next to the test";
    ASSERT_TRUE(pe_.Valid());
  }

  VlpdDll dll_;
  PeFile pe_{ReadFileBytes(dll_.Path())};
};

TEST_F(BuiltDll, IsADllForTheTestsMachine) {
  EXPECT_EQ(pe_.Headers().FileHeader.Machine, kMachine);
  EXPECT_NE(pe_.Headers().FileHeader.Characteristics & IMAGE_FILE_DLL, 0);
}

TEST_F(BuiltDll, ExportsExactlyTheFourEntryPointsByNameAndOrdinal) {
  const IMAGE_DATA_DIRECTORY& dir = pe_.Directory(IMAGE_DIRECTORY_ENTRY_EXPORT);
  IMAGE_EXPORT_DIRECTORY exports;
  ASSERT_TRUE(pe_.ReadRva(dir.VirtualAddress, exports));
  EXPECT_EQ(pe_.Text(exports.Name), "VLPDMenu.dll");
  EXPECT_EQ(exports.Base, 1u);
  EXPECT_EQ(exports.NumberOfFunctions, 4u) << "nothing is exported by ordinal only";
  ASSERT_EQ(exports.NumberOfNames, 4u);

  std::vector<Export> found;
  for (DWORD i = 0; i < exports.NumberOfNames; ++i) {
    DWORD name = 0;
    WORD index = 0;
    DWORD rva = 0;
    ASSERT_TRUE(pe_.ReadRva(exports.AddressOfNames + 4 * i, name));
    ASSERT_TRUE(pe_.ReadRva(exports.AddressOfNameOrdinals + 2 * i, index));
    ASSERT_TRUE(pe_.ReadRva(exports.AddressOfFunctions + 4 * index, rva));
    found.push_back({pe_.Text(name), exports.Base + index, rva});
  }
  const std::vector<std::string> names = {"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer",
                                          "DllUnregisterServer"};
  ASSERT_EQ(found.size(), names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    SCOPED_TRACE(names[i]);
    EXPECT_EQ(found[i].name, names[i]);
    EXPECT_EQ(found[i].ordinal, i + 1);
    // Code in the DLL itself, not a forwarder into the export directory, and the same function
    // the loader finds by name and by ordinal.
    EXPECT_FALSE(found[i].rva >= dir.VirtualAddress && found[i].rva < dir.VirtualAddress + dir.Size);
    const auto base = reinterpret_cast<const char*>(dll_.Module());
    EXPECT_EQ(reinterpret_cast<const char*>(GetProcAddress(dll_.Module(), names[i].c_str())),
              base + found[i].rva);
    EXPECT_EQ(reinterpret_cast<const char*>(GetProcAddress(dll_.Module(), MAKEINTRESOURCEA(i + 1))),
              base + found[i].rva);
  }
}

// The CRC-32 (zlib's, the one a .gnu_debuglink section holds), as ntdll computes it.
extern "C" DWORD WINAPI RtlComputeCrc32(DWORD initial, const BYTE* data, INT length);

TEST_F(BuiltDll, ShipsWithoutDebugInformationAndLinksTheFileThatHoldsIt) {
  const std::vector<std::string> names = pe_.SectionNames();
  EXPECT_TRUE(
      std::none_of(names.begin(), names.end(), [](auto& name) { return name.rfind(".debug", 0) == 0; }));
  EXPECT_EQ(pe_.Headers().FileHeader.NumberOfSymbols, 0u) << "the symbol table is shipped";

#if defined(__aarch64__)
  // The ARM64 build keeps its debug information in a PDB beside it, named by file name (no path
  // of the build machine) and by the GUID the PDB holds too.
  const IMAGE_DATA_DIRECTORY& dir = pe_.Directory(IMAGE_DIRECTORY_ENTRY_DEBUG);
  IMAGE_DEBUG_DIRECTORY debug = {};
  ASSERT_TRUE(pe_.ReadRva(dir.VirtualAddress, debug));
  ASSERT_EQ(debug.Type, static_cast<DWORD>(IMAGE_DEBUG_TYPE_CODEVIEW));
  struct {
    char signature[4];
    char guid[16];
  } record = {};
  ASSERT_TRUE(pe_.ReadRva(debug.AddressOfRawData, record));
  EXPECT_EQ(std::string(record.signature, 4), "RSDS");
  EXPECT_EQ(pe_.Text(debug.AddressOfRawData + 24), "VLPDMenu.pdb");  // after the GUID and the age
  const std::string pdb = ReadFileBytes(dll_.Path().substr(0, dll_.Path().size() - 4) + ".pdb");
  EXPECT_EQ(pdb.rfind("Microsoft C/C++ MSF 7.00", 0), 0u);
  EXPECT_NE(pdb.find(std::string(record.guid, 16)), std::string::npos) << "the PDB holds another GUID";
#else
  // The link: the debug file's name, padded to four bytes, then its CRC-32.
  const std::string link = pe_.SectionBytes(".gnu_debuglink");
  const std::string debug_name = "VLPDMenu.dll.debug";
  ASSERT_GE(link.size(), debug_name.size() + 5);
  EXPECT_EQ(link.substr(0, debug_name.size() + 1), debug_name + '\0');
  DWORD crc = 0;
  std::memcpy(&crc, link.data() + (debug_name.size() + 4) / 4 * 4, sizeof crc);
  const std::string debug_file = ReadFileBytes(dll_.Path() + ".debug");
  EXPECT_EQ(crc, RtlComputeCrc32(0, reinterpret_cast<const BYTE*>(debug_file.data()), debug_file.size()));
  const std::vector<std::string> debug_names = PeFile(debug_file).SectionNames();
  EXPECT_NE(std::find(debug_names.begin(), debug_names.end(), ".debug_info"), debug_names.end());
#endif
}

TEST_F(BuiltDll, ImportsOnlySystemLibraries) {
  const IMAGE_DATA_DIRECTORY& dir = pe_.Directory(IMAGE_DIRECTORY_ENTRY_IMPORT);
  char system[MAX_PATH] = {};
  ASSERT_GT(GetSystemDirectoryA(system, MAX_PATH), 0u);
  std::set<std::string> libraries;
  for (DWORD at = dir.VirtualAddress;; at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
    IMAGE_IMPORT_DESCRIPTOR entry;
    ASSERT_TRUE(pe_.ReadRva(at, entry));
    if (entry.Name == 0) break;
    std::string name = pe_.Text(entry.Name);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char c) { return static_cast<char>(tolower(c)); });
    libraries.insert(name);
  }
  EXPECT_TRUE(libraries.count("kernel32.dll") != 0);
  for (const std::string& name : libraries) {
    SCOPED_TRACE(name);
    // Not a compiler runtime shipped beside the DLL: a library that comes with the system.
    EXPECT_NE(name.rfind("lib", 0), 0u);
    EXPECT_TRUE(FileExists(std::string(system) + "\\" + name));
  }
}

// The DLL loaded as data, with the resource enumerations collected into sets.
class Resources : public BuiltDll {
 protected:
  void SetUp() override {
    BuiltDll::SetUp();
    module_.Reset(LoadLibraryExA(dll_.Path().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(module_);
  }

  // Types and names by number; a named (string) entry shows up as 0.
  static WORD Id(LPCSTR id) { return IS_INTRESOURCE(id) ? LOWORD(reinterpret_cast<ULONG_PTR>(id)) : 0; }
  static BOOL CALLBACK CollectType(HMODULE, LPSTR type, LONG_PTR out) {
    reinterpret_cast<std::set<WORD>*>(out)->insert(Id(type));
    return TRUE;
  }
  static BOOL CALLBACK CollectName(HMODULE, LPCSTR, LPSTR name, LONG_PTR out) {
    reinterpret_cast<std::set<WORD>*>(out)->insert(Id(name));
    return TRUE;
  }
  static BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR out) {
    reinterpret_cast<std::set<WORD>*>(out)->insert(language);
    return TRUE;
  }

  std::set<WORD> Types() const {
    std::set<WORD> types;
    EnumResourceTypesA(module_.Get(), CollectType, reinterpret_cast<LONG_PTR>(&types));
    return types;
  }
  std::set<WORD> Names(LPCSTR type) const {
    std::set<WORD> names;
    EnumResourceNamesA(module_.Get(), type, CollectName, reinterpret_cast<LONG_PTR>(&names));
    return names;
  }
  std::set<WORD> Languages(LPCSTR type, WORD name) const {
    std::set<WORD> languages;
    EnumResourceLanguagesA(module_.Get(), type, MAKEINTRESOURCEA(name), CollectLanguage,
                           reinterpret_cast<LONG_PTR>(&languages));
    return languages;
  }
  // The resource's bytes; empty when it is missing.
  std::string Bytes(LPCSTR type, WORD name, WORD language) const {
    HRSRC found = FindResourceExA(module_.Get(), type, MAKEINTRESOURCEA(name), language);
    if (found == nullptr) return {};
    HGLOBAL loaded = LoadResource(module_.Get(), found);
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    return data != nullptr ? std::string(static_cast<const char*>(data), SizeofResource(module_.Get(), found))
                           : "";
  }

  ModuleReference module_;
};

constexpr WORD kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
constexpr WORD kEnglishUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
constexpr WORD kManifestId = 2;
constexpr WORD kIconGroupId = 105;

WORD TypeId(LPCSTR type) { return LOWORD(reinterpret_cast<ULONG_PTR>(type)); }

TEST_F(Resources, HoldsTheManifestTheIconTheSaveDialogAndTheVersion) {
  const std::set<WORD> expected = {TypeId(RT_ICON), TypeId(RT_GROUP_ICON), TypeId(RT_MANIFEST),
                                   TypeId(RT_DIALOG), TypeId(RT_VERSION)};
  EXPECT_EQ(Types(), expected);
  EXPECT_EQ(Names(RT_VERSION), std::set<WORD>{VS_VERSION_INFO});
}

TEST_F(Resources, VersionNamesTheReleaseAndTheProduct) {
  const std::pair<const char*, std::string> kValues[] = {
      {nullptr, VLPD_VERSION ".0"},       {"FileVersion", VLPD_VERSION}, {"ProductVersion", VLPD_VERSION},
      {"ProductName", VLPD_PRODUCT_NAME}, {"CompanyName", VLPD_MAKER},   {"OriginalFilename", "VLPDMenu.dll"},
      {"InternalName", "VLPDMenu"},
  };
  for (const auto& [name, value] : kValues)
    EXPECT_EQ(FileVersionValue(dll_.Path(), name), value) << (name ? name : "fixed part");
  EXPECT_NE(FileVersionValue(dll_.Path(), "FileDescription"), "");
}

TEST_F(Resources, ManifestRequestsTheInvokersLevelWithoutUiAccess) {
  EXPECT_EQ(Names(RT_MANIFEST), std::set<WORD>{kManifestId});
  EXPECT_EQ(Languages(RT_MANIFEST, kManifestId), std::set<WORD>{kEnglishUs});
  const std::string manifest = Bytes(RT_MANIFEST, kManifestId, kEnglishUs);
  const std::size_t start = manifest.find("<requestedExecutionLevel ");
  ASSERT_NE(start, std::string::npos) << manifest;
  const std::string element = manifest.substr(start, manifest.find('>', start) - start);
  EXPECT_NE(element.find(" level=\"asInvoker\""), std::string::npos) << element;
  EXPECT_NE(element.find(" uiAccess=\"false\""), std::string::npos) << element;
}

#pragma pack(push, 2)
struct IconGroupHeader {
  WORD reserved;
  WORD type;
  WORD count;
};
struct IconGroupEntry {
  BYTE width;
  BYTE height;
  BYTE colours;
  BYTE reserved;
  WORD planes;
  WORD bit_count;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

TEST_F(Resources, IconGroupHoldsOne32By32ImageIn16Colours) {
  EXPECT_EQ(Names(RT_GROUP_ICON), std::set<WORD>{kIconGroupId});
  EXPECT_EQ(Languages(RT_GROUP_ICON, kIconGroupId), std::set<WORD>{kJapanese});
  const std::string group = Bytes(RT_GROUP_ICON, kIconGroupId, kJapanese);
  ASSERT_EQ(group.size(), sizeof(IconGroupHeader) + sizeof(IconGroupEntry));
  IconGroupHeader header;
  IconGroupEntry entry;
  std::memcpy(&header, group.data(), sizeof header);
  std::memcpy(&entry, group.data() + sizeof header, sizeof entry);
  EXPECT_EQ(header.type, 1);
  EXPECT_EQ(header.count, 1);
  EXPECT_EQ(entry.width, 32);
  EXPECT_EQ(entry.height, 32);
  EXPECT_EQ(entry.colours, 16);
  EXPECT_EQ(entry.planes, 1);
  EXPECT_EQ(entry.bit_count, 4);

  // The one image the group names, in Japanese like the group, and nothing else.
  EXPECT_EQ(Names(RT_ICON), std::set<WORD>{entry.id});
  EXPECT_EQ(Languages(RT_ICON, entry.id), std::set<WORD>{kJapanese});
  const std::string image = Bytes(RT_ICON, entry.id, kJapanese);
  ASSERT_EQ(image.size(), entry.bytes);
  BITMAPINFOHEADER bitmap;
  ASSERT_GE(image.size(), sizeof bitmap);
  std::memcpy(&bitmap, image.data(), sizeof bitmap);
  EXPECT_EQ(bitmap.biWidth, 32);
  EXPECT_EQ(bitmap.biHeight, 64) << "colour and mask bitmaps";
  EXPECT_EQ(bitmap.biBitCount, 4);
  // Header, 16 palette entries, 4-bit colours and the 1-bit mask.
  EXPECT_EQ(image.size(), sizeof bitmap + 16 * 4 + 32 * 16 + 32 * 4);

  // The system makes an icon of it.
  const IconHandle icon(CreateIconFromResourceEx(reinterpret_cast<BYTE*>(const_cast<char*>(image.data())),
                                                 static_cast<DWORD>(image.size()), TRUE, 0x00030000, 32, 32,
                                                 0));
  ASSERT_TRUE(icon);
  ICONINFO info = {};
  ASSERT_TRUE(GetIconInfo(icon.Get(), &info));
  const GdiObject color(info.hbmColor);
  const GdiObject mask_bitmap(info.hbmMask);
  BITMAP mask = {};
  GetObjectA(info.hbmMask, sizeof mask, &mask);
  EXPECT_EQ(mask.bmWidth, 32);
}

TEST_F(Resources, SaveDialogTemplateIsJapanese) {
  EXPECT_EQ(Names(RT_DIALOG), std::set<WORD>{static_cast<WORD>(kProjectDialogTemplate)});
  EXPECT_EQ(Languages(RT_DIALOG, static_cast<WORD>(kProjectDialogTemplate)), std::set<WORD>{kJapanese});
}

}  // namespace
}  // namespace vlpd::test
