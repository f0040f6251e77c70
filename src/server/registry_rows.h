// The registry entries of self-registration as tables of rows, and the walks over them. Pure data
// and logic: the registry itself is reached through a RegistryApplier that the Windows layer (and
// the tests' in-memory registry) supplies.
#pragma once

#include <cstddef>

#include "text/handler_name.h"

namespace vlpd {

// The two roots the rows name: HKEY_CLASSES_ROOT and HKEY_LOCAL_MACHINE.
enum class RegistryRoot { kClassesRoot, kLocalMachine };

// What the `%s` of a row's data format stands for.
enum class RowArgument { kModulePath, kClsidText, kNone };

// The server's COM classes: the context-menu handler, and the command tree of the menu that
// Windows 11 shows first.
enum class ServerClass { kContextMenu, kExplorerCommand };
inline constexpr int kServerClassCount = 2;

// The CLSID texts of the server's classes, in their registry form; a row's `%s` of the CLSID text
// is its own class's.
struct ClsidTexts {
  const char* text[kServerClassCount];
  const char* Of(ServerClass server_class) const { return text[static_cast<int>(server_class)]; }
};

inline constexpr const char* kRegisteredName = kHandlerName;

// Every key path, value name and data text is built in a buffer of this many bytes (terminator
// included), as is the CLSID text.
inline constexpr std::size_t kRegistryTextSize = 260;

struct RegistrationRow {
  RegistryRoot root;
  const char* subkey_format;      // `%s` is the CLSID text
  const char* value_name_format;  // null for the key's default value; `%s` is the CLSID text
  const char* data_format;        // `%s` is the row's argument
  RowArgument argument;
  ServerClass server_class = ServerClass::kContextMenu;  // whose CLSID text the row's `%s` is
};

// The class's server key under HKEY_CLASSES_ROOT: where a registry view registers the class.
inline constexpr char kServerKeyFormat[] = "CLSID\\%s\\InProcServer32";

// Written in this order: the class key and its server (module path), then the key under
// HKEY_LOCAL_MACHINE and the context-menu hooks (CLSID text): files, folders, a folder's background
// (the desktop's included) and drives, the last two shown as the FolderBackground setting says;
// then the command tree's class
// key and server. The command tree needs no hook: Windows 11 finds it through the package that
// declares it.
inline constexpr RegistrationRow kRegistrationRows[] = {
    {RegistryRoot::kClassesRoot, "CLSID\\%s", nullptr, kRegisteredName, RowArgument::kModulePath},
    {RegistryRoot::kClassesRoot, kServerKeyFormat, nullptr, "%s", RowArgument::kModulePath},
    {RegistryRoot::kClassesRoot, kServerKeyFormat, "ThreadingModel", "Apartment", RowArgument::kModulePath},
    {RegistryRoot::kLocalMachine, "software\\classes\\clsid\\" VLPD_HANDLER_NAME, nullptr, "%s",
     RowArgument::kClsidText},
    {RegistryRoot::kClassesRoot, "*\\shellex\\ContextMenuHandlers\\" VLPD_HANDLER_NAME, nullptr, "%s",
     RowArgument::kClsidText},
    {RegistryRoot::kClassesRoot, "Directory\\shellex\\ContextMenuHandlers\\" VLPD_HANDLER_NAME, nullptr, "%s",
     RowArgument::kClsidText},
    {RegistryRoot::kClassesRoot, "Directory\\Background\\shellex\\ContextMenuHandlers\\" VLPD_HANDLER_NAME,
     nullptr, "%s", RowArgument::kClsidText},
    {RegistryRoot::kClassesRoot, "Drive\\shellex\\ContextMenuHandlers\\" VLPD_HANDLER_NAME, nullptr, "%s",
     RowArgument::kClsidText},
    {RegistryRoot::kClassesRoot, "CLSID\\%s", nullptr, kRegisteredName, RowArgument::kModulePath,
     ServerClass::kExplorerCommand},
    {RegistryRoot::kClassesRoot, kServerKeyFormat, nullptr, "%s", RowArgument::kModulePath,
     ServerClass::kExplorerCommand},
    {RegistryRoot::kClassesRoot, kServerKeyFormat, "ThreadingModel", "Apartment", RowArgument::kModulePath,
     ServerClass::kExplorerCommand},
};

// Written after the rows above for each class in turn, on Windows NT platforms only: the shell
// there loads only the extensions listed as approved.
inline constexpr RegistrationRow kApprovalRow = {
    RegistryRoot::kLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved",
    "%s", kRegisteredName, RowArgument::kNone};

struct UnregistrationRow {
  RegistryRoot root;
  const char* key_format;  // `%s` is the CLSID text of the row's class
  // One key for both registry views of 64-bit Windows, where the 32-bit and the 64-bit DLL may
  // both be registered: it goes only once the other view no longer registers the class.
  bool shared_by_views;
  ServerClass server_class = ServerClass::kContextMenu;
};

// Deleted in this order: a key is deleted only once its subkeys are gone, and the shared keys
// once this view's class is gone.
inline constexpr UnregistrationRow kUnregistrationRows[] = {
    {RegistryRoot::kClassesRoot, kServerKeyFormat, false},
    {RegistryRoot::kClassesRoot, "CLSID\\%s", false},
    {RegistryRoot::kClassesRoot, "*\\shellex\\ContextMenuHandlers\\" VLPD_HANDLER_NAME, true},
    {RegistryRoot::kClassesRoot, "Directory\\shellex\\ContextMenuHandlers\\" VLPD_HANDLER_NAME, true},
    {RegistryRoot::kClassesRoot, "Directory\\Background\\shellex\\ContextMenuHandlers\\" VLPD_HANDLER_NAME,
     true},
    {RegistryRoot::kClassesRoot, "Drive\\shellex\\ContextMenuHandlers\\" VLPD_HANDLER_NAME, true},
    {RegistryRoot::kClassesRoot, kServerKeyFormat, false, ServerClass::kExplorerCommand},
    {RegistryRoot::kClassesRoot, "CLSID\\%s", false, ServerClass::kExplorerCommand},
};

// What a row's `%s` of kind `argument` stands for: the module path, the CLSID text, or nothing
// (null).
const char* RowArgumentText(RowArgument argument, const char* clsid_text, const char* module_path);

// Writes `format` into `out` (`size` bytes) with every "%s" replaced by `argument` (null counts
// as empty) and returns the length written. Returns -1 when the text and its terminator do not
// fit: `out` then holds as much as fits, terminated (nothing at all when `size` is 0).
int FormatRegistryText(char* out, std::size_t size, const char* format, const char* argument);

// The texts of one registration row, ready for the registry.
struct RowTexts {
  char key_path[kRegistryTextSize];
  char value_name[kRegistryTextSize];
  bool default_value;  // the key's unnamed value; `value_name` is then empty
  char data[kRegistryTextSize];
  std::size_t stored_length;  // bytes of `data` stored: its length plus the terminator
};

// Builds the texts of `row` from the CLSID text and the module path. False when one of them does
// not fit its buffer.
bool BuildRowTexts(const RegistrationRow& row, const char* clsid_text, const char* module_path,
                   RowTexts& texts);

// The registry operations the walks need.
class RegistryApplier {
 public:
  virtual ~RegistryApplier();

  // Creates or opens `path` under `root` for writing; the key stays open until CloseKey. False
  // when it can be neither created nor opened.
  virtual bool CreateKey(RegistryRoot root, const char* path) = 0;
  // Sets a string value of the open key (`name` null for the default value); `stored_length`
  // counts the terminator. A value that cannot be set is not reported.
  virtual void SetValue(const char* name, const char* data, std::size_t stored_length) = 0;
  virtual void CloseKey() = 0;
  // False when the key cannot be deleted: missing, or still holding subkeys.
  virtual bool DeleteKey(RegistryRoot root, const char* path) = 0;
  // Removes the value `name` of the key `path` if both exist; never creates the key.
  virtual void DeleteValue(RegistryRoot root, const char* path, const char* name) = 0;
  // Whether the platform is Windows NT, the one that has an approved-extensions list.
  virtual bool IsNtPlatform() = 0;
  // Whether the other registry view of 64-bit Windows (the other bitness's DLL) holds `path`
  // under HKEY_CLASSES_ROOT. Where there is one view, this view is asked.
  virtual bool InOtherView(const char* path) = 0;
};

// Writes the registration rows in order, then the approval row of each class on NT platforms.
// Stops at the first key that cannot be created and returns false, leaving earlier rows written.
// False, with nothing written, when a class has no CLSID text.
bool ApplyRegistration(RegistryApplier& registry, const ClsidTexts& clsids, const char* module_path);

// Deletes the unregistration rows' keys in order and, when all are gone, each class's approval
// value on NT platforms (whose own outcome does not count). The keys shared by both views are
// kept, and count as gone, while the other view registers the context-menu class. Stops at the
// first key that cannot be deleted and returns false. False, with nothing deleted, when a class
// has no CLSID text.
bool ApplyUnregistration(RegistryApplier& registry, const ClsidTexts& clsids);

}  // namespace vlpd
