// The registration rows, their texts and the walks over them, against an in-memory registry.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "server/registry_rows.h"

namespace vlpd {
namespace {

constexpr char kClsid[] = "{0B6A3946-3576-42A4-99A1-C99BBFFCE590}";
constexpr char kCommandClsid[] = "{7C3E5B2A-9D41-4F6E-A8B0-3E2D1C5F6A94}";
constexpr ClsidTexts kClsids = {{kClsid, kCommandClsid}};
constexpr char kModule[] = "C:\\Program Files\\Vellumpad\\VLPDMenu.dll";
constexpr char kApproved[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";

std::string Root(RegistryRoot root) { return root == RegistryRoot::kClassesRoot ? "HKCR" : "HKLM"; }

std::string Fold(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

struct StoredValue {
  std::string data;  // the bytes stored, terminator included
  bool operator==(const StoredValue& other) const { return data == other.data; }
};

// Keys are named "HKCR\path" and compared without regard to case, as the registry does; the
// default value is stored under the name "".
class FakeRegistry : public RegistryApplier {
 public:
  using Values = std::map<std::string, StoredValue>;

  bool CreateKey(RegistryRoot root, const char* path) override {
    EXPECT_FALSE(open_.has_value()) << "a key was left open";
    log_.push_back("create " + Root(root) + "\\" + path);
    const std::string key = Fold(Root(root) + "\\" + path);
    if (refused_.count(key) != 0) return false;
    // Creating a key creates its missing parents, as RegCreateKeyEx does.
    for (std::size_t slash = key.find('\\'); slash != std::string::npos; slash = key.find('\\', slash + 1)) {
      keys_[key.substr(0, slash)];
    }
    keys_[key];
    open_ = key;
    return true;
  }
  void SetValue(const char* name, const char* data, std::size_t stored_length) override {
    EXPECT_TRUE(open_.has_value()) << "value set without an open key";
    log_.push_back(std::string("set ") + (name == nullptr ? "(default)" : name));
    if (failing_values_ || !open_) return;
    keys_[*open_][name == nullptr ? "" : Fold(name)] = StoredValue{std::string(data, stored_length)};
  }
  void CloseKey() override {
    EXPECT_TRUE(open_.has_value()) << "closed a key that was not open";
    log_.push_back("close");
    open_.reset();
  }
  bool DeleteKey(RegistryRoot root, const char* path) override {
    log_.push_back("delete " + Root(root) + "\\" + path);
    const std::string key = Fold(Root(root) + "\\" + path);
    if (keys_.count(key) == 0 || HasSubkeys(key)) return false;
    keys_.erase(key);
    return true;
  }
  void DeleteValue(RegistryRoot root, const char* path, const char* name) override {
    log_.push_back("delete value " + Root(root) + "\\" + path + " " + name);
    const auto it = keys_.find(Fold(Root(root) + "\\" + path));
    if (it != keys_.end()) it->second.erase(Fold(name));
  }
  bool IsNtPlatform() override { return nt_; }
  // The other view holds the keys given to AddToOtherView, named "HKCR\path".
  bool InOtherView(const char* path) override {
    return other_view_.count(Fold(std::string("HKCR\\") + path)) != 0;
  }

  void Refuse(const std::string& key) { refused_.insert(Fold(key)); }
  void SetNt(bool nt) { nt_ = nt; }
  void FailValues() { failing_values_ = true; }
  void Remove(const std::string& key) { keys_.erase(Fold(key)); }
  void AddToOtherView(const std::string& key) { other_view_.insert(Fold(key)); }

  bool HasKey(const std::string& key) const { return keys_.count(Fold(key)) != 0; }
  // The value's stored bytes; nullopt when the key or the value is missing.
  std::optional<std::string> Value(const std::string& key, const std::string& name = "") const {
    const auto k = keys_.find(Fold(key));
    if (k == keys_.end()) return std::nullopt;
    const auto v = k->second.find(Fold(name));
    if (v == k->second.end()) return std::nullopt;
    return v->second.data;
  }
  const std::map<std::string, Values>& Keys() const { return keys_; }
  const std::vector<std::string>& Log() const { return log_; }
  void ClearLog() { log_.clear(); }
  bool KeyOpen() const { return open_.has_value(); }

 private:
  bool HasSubkeys(const std::string& key) const {
    const auto next = keys_.upper_bound(key);
    return next != keys_.end() && next->first.compare(0, key.size() + 1, key + "\\") == 0;
  }

  std::map<std::string, Values> keys_;
  std::set<std::string> refused_;
  std::set<std::string> other_view_;
  std::optional<std::string> open_;
  std::vector<std::string> log_;
  bool nt_ = true;
  bool failing_values_ = false;
};

// The stored form of a string value: its bytes and the terminator.
std::string Stored(const std::string& text) { return std::string(text.c_str(), text.size() + 1); }

const std::string kClassKey = std::string("HKCR\\CLSID\\") + kClsid;
const std::string kServerKey = kClassKey + "\\InProcServer32";
const std::string kMachineKey = "HKLM\\software\\classes\\clsid\\VLPDMenu_0150";
const std::string kFileHook = "HKCR\\*\\shellex\\ContextMenuHandlers\\VLPDMenu_0150";
const std::string kFolderHook = "HKCR\\Directory\\shellex\\ContextMenuHandlers\\VLPDMenu_0150";
const std::string kBackgroundHook =
    "HKCR\\Directory\\Background\\shellex\\ContextMenuHandlers\\VLPDMenu_0150";
const std::string kDriveHook = "HKCR\\Drive\\shellex\\ContextMenuHandlers\\VLPDMenu_0150";
const std::string kApprovedKey = std::string("HKLM\\") + kApproved;
const std::string kCommandClassKey = std::string("HKCR\\CLSID\\") + kCommandClsid;
const std::string kCommandServerKey = kCommandClassKey + "\\InProcServer32";

TEST(FormatRegistryText, ReplacesEveryPlaceholder) {
  char out[kRegistryTextSize];
  EXPECT_EQ(FormatRegistryText(out, sizeof out, "CLSID\\%s\\InProcServer32", kClsid), 59);
  EXPECT_STREQ(out, "CLSID\\{0B6A3946-3576-42A4-99A1-C99BBFFCE590}\\InProcServer32");
  EXPECT_EQ(FormatRegistryText(out, sizeof out, "%s=%s", "ab"), 5);
  EXPECT_STREQ(out, "ab=ab");
}

TEST(FormatRegistryText, FormatWithoutPlaceholderIsCopiedUnchanged) {
  char out[kRegistryTextSize];
  EXPECT_EQ(FormatRegistryText(out, sizeof out, "Apartment", kModule), 9);
  EXPECT_STREQ(out, "Apartment");
  EXPECT_EQ(FormatRegistryText(out, sizeof out, "100%", "x"), 4);
  EXPECT_STREQ(out, "100%");
  EXPECT_EQ(FormatRegistryText(out, sizeof out, "%d%", "x"), 3);
  EXPECT_STREQ(out, "%d%");
}

TEST(FormatRegistryText, AbsentArgumentIsEmpty) {
  char out[kRegistryTextSize];
  EXPECT_EQ(FormatRegistryText(out, sizeof out, "[%s]", nullptr), 2);
  EXPECT_STREQ(out, "[]");
}

TEST(FormatRegistryText, NeverWritesPastTheBuffer) {
  // Exactly full: 259 bytes of text fit in 260, 260 do not.
  const std::string fits(kRegistryTextSize - 1, 'p');
  const std::string too_long(kRegistryTextSize, 'p');
  char buf[kRegistryTextSize + 8];
  std::memset(buf, '#', sizeof buf);
  EXPECT_EQ(FormatRegistryText(buf, kRegistryTextSize, "%s", fits.c_str()), 259);
  EXPECT_EQ(std::string(buf), fits);
  EXPECT_EQ(buf[kRegistryTextSize], '#');

  std::memset(buf, '#', sizeof buf);
  EXPECT_EQ(FormatRegistryText(buf, kRegistryTextSize, "%s", too_long.c_str()), -1);
  EXPECT_EQ(std::string(buf), fits) << "the prefix that fits, terminated";
  EXPECT_EQ(buf[kRegistryTextSize], '#');

  // The overflow may come from the format as well as from the argument.
  std::memset(buf, '#', sizeof buf);
  EXPECT_EQ(FormatRegistryText(buf, 8, "CLSID\\%s", "{x}"), -1);
  EXPECT_STREQ(buf, "CLSID\\{");
  EXPECT_EQ(buf[8], '#');
  EXPECT_EQ(FormatRegistryText(buf, 4, "Apartment", nullptr), -1);
  EXPECT_STREQ(buf, "Apa");

  std::memset(buf, '#', sizeof buf);
  EXPECT_EQ(FormatRegistryText(buf, 1, "%s", "x"), -1);
  EXPECT_EQ(buf[0], '\0');
  EXPECT_EQ(FormatRegistryText(buf + 2, 0, "%s", "x"), -1);
  EXPECT_EQ(buf[2], '#') << "a buffer of no bytes is not touched";
}

TEST(RowTexts, EveryRegistrationRowInOrder) {
  struct Expected {
    RegistryRoot root;
    std::string key;
    const char* name;  // null: the default value
    std::string data;
    const char* clsid = kClsid;
  };
  const std::string command_key = std::string("CLSID\\") + kCommandClsid;
  const Expected expected[] = {
      {RegistryRoot::kClassesRoot, std::string("CLSID\\") + kClsid, nullptr, "VLPDMenu_0150"},
      {RegistryRoot::kClassesRoot, std::string("CLSID\\") + kClsid + "\\InProcServer32", nullptr, kModule},
      {RegistryRoot::kClassesRoot, std::string("CLSID\\") + kClsid + "\\InProcServer32", "ThreadingModel",
       "Apartment"},
      {RegistryRoot::kLocalMachine, "software\\classes\\clsid\\VLPDMenu_0150", nullptr, kClsid},
      {RegistryRoot::kClassesRoot, "*\\shellex\\ContextMenuHandlers\\VLPDMenu_0150", nullptr, kClsid},
      {RegistryRoot::kClassesRoot, "Directory\\shellex\\ContextMenuHandlers\\VLPDMenu_0150", nullptr, kClsid},
      {RegistryRoot::kClassesRoot, "Directory\\Background\\shellex\\ContextMenuHandlers\\VLPDMenu_0150",
       nullptr, kClsid},
      {RegistryRoot::kClassesRoot, "Drive\\shellex\\ContextMenuHandlers\\VLPDMenu_0150", nullptr, kClsid},
      {RegistryRoot::kClassesRoot, command_key, nullptr, "VLPDMenu_0150", kCommandClsid},
      {RegistryRoot::kClassesRoot, command_key + "\\InProcServer32", nullptr, kModule, kCommandClsid},
      {RegistryRoot::kClassesRoot, command_key + "\\InProcServer32", "ThreadingModel", "Apartment",
       kCommandClsid},
  };
  ASSERT_EQ(std::size(kRegistrationRows), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    SCOPED_TRACE("row " + std::to_string(i + 1));
    RowTexts texts;
    ASSERT_TRUE(
        BuildRowTexts(kRegistrationRows[i], kClsids.Of(kRegistrationRows[i].server_class), kModule, texts));
    EXPECT_EQ(kRegistrationRows[i].root, expected[i].root);
    EXPECT_STREQ(texts.key_path, expected[i].key.c_str());
    EXPECT_EQ(texts.default_value, expected[i].name == nullptr);
    EXPECT_STREQ(texts.value_name, expected[i].name == nullptr ? "" : expected[i].name);
    EXPECT_STREQ(texts.data, expected[i].data.c_str());
    EXPECT_EQ(texts.stored_length, expected[i].data.size() + 1);
    EXPECT_STREQ(kClsids.Of(kRegistrationRows[i].server_class), expected[i].clsid);
  }
}

TEST(RowTexts, StoredLengthsCountTheTerminator) {
  RowTexts texts;
  ASSERT_TRUE(BuildRowTexts(kRegistrationRows[2], kClsid, kModule, texts));
  EXPECT_EQ(texts.stored_length, 10u);  // "Apartment"
  ASSERT_TRUE(BuildRowTexts(kRegistrationRows[0], kClsid, kModule, texts));
  EXPECT_EQ(texts.stored_length, 14u);  // "VLPDMenu_0150"
  ASSERT_TRUE(BuildRowTexts(kRegistrationRows[4], kClsid, kModule, texts));
  EXPECT_EQ(texts.stored_length, 39u);  // the CLSID text
}

TEST(RowTexts, ApprovalRowIsNamedByTheClsid) {
  RowTexts texts;
  ASSERT_TRUE(BuildRowTexts(kApprovalRow, kClsid, kModule, texts));
  EXPECT_EQ(kApprovalRow.root, RegistryRoot::kLocalMachine);
  EXPECT_STREQ(texts.key_path, kApproved);
  EXPECT_FALSE(texts.default_value);
  EXPECT_STREQ(texts.value_name, kClsid);
  EXPECT_STREQ(texts.data, "VLPDMenu_0150");
  EXPECT_EQ(texts.stored_length, 14u);
}

TEST(RowTexts, TextsThatDoNotFitFailTheRow) {
  const std::string long_path = "C:\\" + std::string(kRegistryTextSize, 'd') + "\\VLPDMenu.dll";
  RowTexts texts;
  EXPECT_FALSE(BuildRowTexts(kRegistrationRows[1], kClsid, long_path.c_str(), texts));
  // A path of 259 bytes is the longest that fits.
  const std::string longest(kRegistryTextSize - 1, 'd');
  ASSERT_TRUE(BuildRowTexts(kRegistrationRows[1], kClsid, longest.c_str(), texts));
  EXPECT_EQ(texts.stored_length, kRegistryTextSize);

  const std::string long_clsid(kRegistryTextSize - 10, 'c');
  EXPECT_FALSE(BuildRowTexts(kRegistrationRows[1], long_clsid.c_str(), kModule, texts));
  EXPECT_FALSE(BuildRowTexts(kApprovalRow, std::string(kRegistryTextSize, 'c').c_str(), kModule, texts));
}

TEST(UnregistrationRows, KeysInDeletionOrder) {
  const std::pair<RegistryRoot, std::string> expected[] = {
      {RegistryRoot::kClassesRoot, std::string("CLSID\\") + kClsid + "\\InProcServer32"},
      {RegistryRoot::kClassesRoot, std::string("CLSID\\") + kClsid},
      {RegistryRoot::kClassesRoot, "*\\shellex\\ContextMenuHandlers\\VLPDMenu_0150"},
      {RegistryRoot::kClassesRoot, "Directory\\shellex\\ContextMenuHandlers\\VLPDMenu_0150"},
      {RegistryRoot::kClassesRoot, "Directory\\Background\\shellex\\ContextMenuHandlers\\VLPDMenu_0150"},
      {RegistryRoot::kClassesRoot, "Drive\\shellex\\ContextMenuHandlers\\VLPDMenu_0150"},
      {RegistryRoot::kClassesRoot, std::string("CLSID\\") + kCommandClsid + "\\InProcServer32"},
      {RegistryRoot::kClassesRoot, std::string("CLSID\\") + kCommandClsid},
  };
  ASSERT_EQ(std::size(kUnregistrationRows), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    char path[kRegistryTextSize];
    const UnregistrationRow& row = kUnregistrationRows[i];
    ASSERT_GT(FormatRegistryText(path, sizeof path, row.key_format, kClsids.Of(row.server_class)), 0);
    EXPECT_EQ(kUnregistrationRows[i].root, expected[i].first);
    EXPECT_STREQ(path, expected[i].second.c_str());
  }
}

class RegistrationWalk : public ::testing::Test {
 protected:
  FakeRegistry registry_;
};

TEST_F(RegistrationWalk, WritesEveryRowWithItsStoredBytesOnNt) {
  ASSERT_TRUE(ApplyRegistration(registry_, kClsids, kModule));
  EXPECT_EQ(registry_.Value(kClassKey), Stored("VLPDMenu_0150"));
  EXPECT_EQ(registry_.Value(kServerKey), Stored(kModule));
  EXPECT_EQ(registry_.Value(kServerKey, "ThreadingModel"), Stored("Apartment"));
  EXPECT_EQ(registry_.Value(kMachineKey), Stored(kClsid));
  EXPECT_EQ(registry_.Value(kFileHook), Stored(kClsid));
  EXPECT_EQ(registry_.Value(kFolderHook), Stored(kClsid));
  EXPECT_EQ(registry_.Value(kBackgroundHook), Stored(kClsid));
  EXPECT_EQ(registry_.Value(kDriveHook), Stored(kClsid));
  EXPECT_EQ(registry_.Value(kApprovedKey, kClsid), Stored("VLPDMenu_0150"));
  EXPECT_EQ(registry_.Value(kCommandClassKey), Stored("VLPDMenu_0150"));
  EXPECT_EQ(registry_.Value(kCommandServerKey), Stored(kModule));
  EXPECT_EQ(registry_.Value(kCommandServerKey, "ThreadingModel"), Stored("Apartment"));
  EXPECT_EQ(registry_.Value(kApprovedKey, kCommandClsid), Stored("VLPDMenu_0150"));
  EXPECT_FALSE(registry_.KeyOpen());
}

TEST_F(RegistrationWalk, OpensSetsAndClosesEachRowInTableOrder) {
  ASSERT_TRUE(ApplyRegistration(registry_, kClsids, kModule));
  const std::vector<std::string> expected = {
      "create " + kClassKey,
      "set (default)",
      "close",
      "create " + kServerKey,
      "set (default)",
      "close",
      "create " + kServerKey,
      "set ThreadingModel",
      "close",
      "create " + kMachineKey,
      "set (default)",
      "close",
      "create " + kFileHook,
      "set (default)",
      "close",
      "create " + kFolderHook,
      "set (default)",
      "close",
      "create " + kBackgroundHook,
      "set (default)",
      "close",
      "create " + kDriveHook,
      "set (default)",
      "close",
      "create " + kCommandClassKey,
      "set (default)",
      "close",
      "create " + kCommandServerKey,
      "set (default)",
      "close",
      "create " + kCommandServerKey,
      "set ThreadingModel",
      "close",
      "create " + kApprovedKey,
      std::string("set ") + kClsid,
      "close",
      "create " + kApprovedKey,
      std::string("set ") + kCommandClsid,
      "close",
  };
  EXPECT_EQ(registry_.Log(), expected);
}

TEST_F(RegistrationWalk, WithoutNtTheApprovedListIsNotTouched) {
  registry_.SetNt(false);
  ASSERT_TRUE(ApplyRegistration(registry_, kClsids, kModule));
  EXPECT_TRUE(registry_.HasKey(kFolderHook));
  EXPECT_FALSE(registry_.HasKey(kApprovedKey));
  for (const std::string& entry : registry_.Log()) {
    EXPECT_EQ(entry.find("Approved"), std::string::npos) << entry;
  }
}

TEST_F(RegistrationWalk, StopsAtTheFirstKeyThatCannotBeCreated) {
  registry_.Refuse(kMachineKey);
  EXPECT_FALSE(ApplyRegistration(registry_, kClsids, kModule));
  // Rows 1 to 3 stay written; rows 5 to 7 were never tried.
  EXPECT_EQ(registry_.Value(kClassKey), Stored("VLPDMenu_0150"));
  EXPECT_EQ(registry_.Value(kServerKey), Stored(kModule));
  EXPECT_EQ(registry_.Value(kServerKey, "ThreadingModel"), Stored("Apartment"));
  EXPECT_FALSE(registry_.HasKey(kMachineKey));
  EXPECT_FALSE(registry_.HasKey(kFileHook));
  EXPECT_FALSE(registry_.HasKey(kFolderHook));
  EXPECT_FALSE(registry_.HasKey(kApprovedKey));
  EXPECT_EQ(registry_.Log().back(), "create " + kMachineKey);
  EXPECT_FALSE(registry_.KeyOpen());
}

TEST_F(RegistrationWalk, ARefusedApprovedKeyFailsAfterTheOtherRows) {
  registry_.Refuse(kApprovedKey);
  EXPECT_FALSE(ApplyRegistration(registry_, kClsids, kModule));
  EXPECT_EQ(registry_.Value(kFolderHook), Stored(kClsid));
}

TEST_F(RegistrationWalk, ValuesThatCannotBeSetDoNotStopIt) {
  registry_.FailValues();
  EXPECT_TRUE(ApplyRegistration(registry_, kClsids, kModule));
  EXPECT_TRUE(registry_.HasKey(kFolderHook));
  EXPECT_TRUE(registry_.HasKey(kApprovedKey));
  EXPECT_EQ(registry_.Value(kFolderHook), std::nullopt);
}

TEST_F(RegistrationWalk, RegisteringAgainLeavesTheSameEntries) {
  ASSERT_TRUE(ApplyRegistration(registry_, kClsids, kModule));
  const auto first = registry_.Keys();
  ASSERT_TRUE(ApplyRegistration(registry_, kClsids, kModule));
  EXPECT_EQ(registry_.Keys(), first);
}

TEST_F(RegistrationWalk, ATooLongModulePathFailsBeforeItsRowIsWritten) {
  const std::string long_path(kRegistryTextSize, 'm');
  EXPECT_FALSE(ApplyRegistration(registry_, kClsids, long_path.c_str()));
  EXPECT_TRUE(registry_.HasKey(kClassKey));
  EXPECT_FALSE(registry_.HasKey(kServerKey));
}

TEST_F(RegistrationWalk, NoClsidTextWritesNothing) {
  for (const ClsidTexts& clsids : {ClsidTexts{{nullptr, kCommandClsid}}, ClsidTexts{{"", kCommandClsid}},
                                   ClsidTexts{{kClsid, nullptr}}, ClsidTexts{{kClsid, ""}}}) {
    EXPECT_FALSE(ApplyRegistration(registry_, clsids, kModule));
  }
  EXPECT_TRUE(registry_.Log().empty());
}

class UnregistrationWalk : public RegistrationWalk {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ApplyRegistration(registry_, kClsids, kModule));
    registry_.ClearLog();
  }
};

TEST_F(UnregistrationWalk, DeletesTheEightKeysInOrderThenTheApprovalValues) {
  ASSERT_TRUE(ApplyUnregistration(registry_, kClsids));
  const std::vector<std::string> expected = {
      "delete " + kServerKey,
      "delete " + kClassKey,
      "delete " + kFileHook,
      "delete " + kFolderHook,
      "delete " + kBackgroundHook,
      "delete " + kDriveHook,
      "delete " + kCommandServerKey,
      "delete " + kCommandClassKey,
      "delete value " + kApprovedKey + " " + kClsid,
      "delete value " + kApprovedKey + " " + kCommandClsid,
  };
  EXPECT_EQ(registry_.Log(), expected);
}

TEST_F(UnregistrationWalk, TheSharedHooksStayWhileTheOtherViewRegistersTheClass) {
  registry_.AddToOtherView(kServerKey);
  ASSERT_TRUE(ApplyUnregistration(registry_, kClsids));
  EXPECT_EQ(registry_.Log(), (std::vector<std::string>{
                                 "delete " + kServerKey, "delete " + kClassKey, "delete " + kCommandServerKey,
                                 "delete " + kCommandClassKey, "delete value " + kApprovedKey + " " + kClsid,
                                 "delete value " + kApprovedKey + " " + kCommandClsid}));
  EXPECT_TRUE(registry_.HasKey(kFileHook));
  EXPECT_TRUE(registry_.HasKey(kFolderHook));
  EXPECT_TRUE(registry_.HasKey(kBackgroundHook));
  EXPECT_TRUE(registry_.HasKey(kDriveHook));
}

TEST_F(UnregistrationWalk, LeavesTheMachineKeyAndTheApprovedKey) {
  ASSERT_TRUE(ApplyUnregistration(registry_, kClsids));
  EXPECT_FALSE(registry_.HasKey(kServerKey));
  EXPECT_FALSE(registry_.HasKey(kClassKey));
  EXPECT_FALSE(registry_.HasKey(kFileHook));
  EXPECT_FALSE(registry_.HasKey(kFolderHook));
  EXPECT_FALSE(registry_.HasKey(kBackgroundHook));
  EXPECT_FALSE(registry_.HasKey(kDriveHook));
  EXPECT_EQ(registry_.Value(kMachineKey), Stored(kClsid));
  EXPECT_FALSE(registry_.HasKey(kCommandClassKey));
  EXPECT_TRUE(registry_.HasKey(kApprovedKey));
  EXPECT_EQ(registry_.Value(kApprovedKey, kClsid), std::nullopt);
  EXPECT_EQ(registry_.Value(kApprovedKey, kCommandClsid), std::nullopt);
}

TEST_F(UnregistrationWalk, WithoutNtTheApprovedListIsNotTouched) {
  registry_.SetNt(false);
  ASSERT_TRUE(ApplyUnregistration(registry_, kClsids));
  EXPECT_EQ(registry_.Log().size(), std::size(kUnregistrationRows));
  EXPECT_EQ(registry_.Value(kApprovedKey, kClsid), Stored("VLPDMenu_0150"));
}

TEST_F(UnregistrationWalk, ASecondRunFailsAtItsFirstRowAndChangesNothing) {
  ASSERT_TRUE(ApplyUnregistration(registry_, kClsids));
  const auto after_first = registry_.Keys();
  registry_.ClearLog();
  EXPECT_FALSE(ApplyUnregistration(registry_, kClsids));
  EXPECT_EQ(registry_.Log(), std::vector<std::string>{"delete " + kServerKey});
  EXPECT_EQ(registry_.Keys(), after_first);
}

TEST_F(UnregistrationWalk, AMissingFolderHookFailsAfterDeletingWhatComesBefore) {
  registry_.Remove(kFolderHook);
  EXPECT_FALSE(ApplyUnregistration(registry_, kClsids));
  EXPECT_FALSE(registry_.HasKey(kServerKey));
  EXPECT_FALSE(registry_.HasKey(kClassKey));
  EXPECT_FALSE(registry_.HasKey(kFileHook));
  // The approval value goes only with a complete unregistration.
  EXPECT_EQ(registry_.Value(kApprovedKey, kClsid), Stored("VLPDMenu_0150"));
  EXPECT_EQ(registry_.Log().back(), "delete " + kFolderHook);
}

TEST_F(UnregistrationWalk, AClassKeyWithOtherSubkeysStopsIt) {
  const std::string other = std::string("CLSID\\") + kClsid + "\\Other";
  ASSERT_TRUE(registry_.CreateKey(RegistryRoot::kClassesRoot, other.c_str()));
  registry_.CloseKey();
  registry_.ClearLog();
  EXPECT_FALSE(ApplyUnregistration(registry_, kClsids));
  EXPECT_EQ(registry_.Log(), (std::vector<std::string>{"delete " + kServerKey, "delete " + kClassKey}));
  EXPECT_TRUE(registry_.HasKey(kClassKey));
  EXPECT_TRUE(registry_.HasKey(kFileHook));
}

TEST_F(UnregistrationWalk, NoClsidTextDeletesNothing) {
  const auto before = registry_.Keys();
  EXPECT_FALSE(ApplyUnregistration(registry_, ClsidTexts{{nullptr, kCommandClsid}}));
  EXPECT_FALSE(ApplyUnregistration(registry_, ClsidTexts{{kClsid, ""}}));
  EXPECT_TRUE(registry_.Log().empty());
  EXPECT_EQ(registry_.Keys(), before);
}

}  // namespace
}  // namespace vlpd
