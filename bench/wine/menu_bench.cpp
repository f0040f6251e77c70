// Times one QueryContextMenu call (selection refill from the shell's data object, attribute
// read, kind decision, submenu built and inserted) under Wine, and a whole right-click (class
// factory, Initialize, QueryContextMenu, Release) for one and 7,500 names, ASCII and outside the
// code page (each reached by its short name), against the host building the same submenu itself;
// then the Windows 11 menu (the root's state and the subcommands' enumeration, titles and states)
// beside the classic right-click for the same selections. A timing program, not a test:
//   cmake --preset win32 -B build/win32-bench -DVLPD_BENCH=ON
//   cmake --build build/win32-bench --target menu_bench
//   tools/wine-run.sh build/win32-bench/bench/wine/menu_bench.exe
#include <windows.h>
// The shell headers need windows.h first.
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "classic_menu/vlpd_menu.h"
#include "commands/command_table.h"
#include "commands/read_settings.h"
#include "explorer_command/explorer_command.h"
#include "host/shell_data_object.h"
#include "server/class_factory.h"
#include "server/clsid.h"
#include "win/com_owners.h"
#include "win/unique_handle.h"

namespace {

constexpr int kCalls = 2000;
constexpr int kManyNames = 7500;
// Rounds of the right-click comparison; the large selection runs until its time budget is spent.
constexpr int kRounds = 2000;
constexpr int kManyRoundsAtLeast = 5;
constexpr double kManyBudgetSeconds = 20.0;

void Time(const char* label, IDataObject* data) {
  auto* handler = new vlpd::CVLPDMenu();
  handler->AddRef();
  if (data == nullptr || FAILED(handler->Initialize(nullptr, data, nullptr))) {
    std::printf("%-28s no data object\n", label);
    handler->Release();
    return;
  }
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> micros;
  micros.reserve(kCalls);
  int added = 0;
  for (int call = 0; call < kCalls; ++call) {
    const vlpd::MenuHandle menu(CreatePopupMenu());
    LARGE_INTEGER from;
    LARGE_INTEGER to;
    QueryPerformanceCounter(&from);
    const HRESULT hr = handler->QueryContextMenu(menu.Get(), 0, 1, 100, CMF_NORMAL);
    QueryPerformanceCounter(&to);
    if (HRESULT_CODE(hr) == vlpd::kCommandCount) ++added;
    micros.push_back(1e6 * static_cast<double>(to.QuadPart - from.QuadPart) /
                     static_cast<double>(frequency.QuadPart));
  }
  handler->Release();
  std::sort(micros.begin(), micros.end());
  double sum = 0;
  for (double m : micros) sum += m;
  std::printf("%-28s median %7.1f us  mean %7.1f us  p90 %7.1f us  (%d of %d added the submenu)\n", label,
              micros[micros.size() / 2], sum / static_cast<double>(micros.size()),
              micros[micros.size() * 9 / 10], added, kCalls);
}

double Micros(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1e6 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0.0 : values[values.size() / 2];
}

double Fastest(const std::vector<double>& values) {
  return values.empty() ? 0.0 : *std::min_element(values.begin(), values.end());
}

// What the host does without any handler: a separator, the same submenu in a popup item, a
// separator.
double HostBuiltMicros(HMENU menu) {
  LARGE_INTEGER from;
  LARGE_INTEGER to;
  QueryPerformanceCounter(&from);
  InsertMenuA(menu, 0, vlpd::kSeparator, 0, nullptr);
  HMENU submenu = CreateMenu();
  for (UINT position = 0; position < vlpd::kSubmenu.size(); ++position) {
    const vlpd::SubmenuEntry& entry = vlpd::kSubmenu[position];
    const UINT_PTR id = entry.separator ? 0 : 1 + static_cast<UINT>(entry.offset);
    InsertMenuA(submenu, position, vlpd::EntryFlags(entry, vlpd::SelectionKind::kSingleFile), id,
                entry.label);
  }
  InsertMenuA(menu, 1, vlpd::kPopup, reinterpret_cast<UINT_PTR>(submenu), vlpd::text::kSubmenuCaption);
  InsertMenuA(menu, 2, vlpd::kSeparator, 0, nullptr);
  QueryPerformanceCounter(&to);
  return Micros(from, to);
}

// One right-click as the shell makes it: a new class factory and handler, Initialize,
// QueryContextMenu, and every reference released. -1 when a step fails.
double RightClickMicros(IDataObject* data, HMENU menu) {
  LARGE_INTEGER from;
  LARGE_INTEGER to;
  QueryPerformanceCounter(&from);
  HRESULT hr = E_FAIL;
  {
    vlpd::ComRef<IClassFactory> factory;
    vlpd::ComRef<IShellExtInit> init;
    vlpd::ComRef<IContextMenu> handler;
    if (SUCCEEDED(vlpd::GetVLPDMenuClassObject(vlpd::kClsidVLPDMenu, IID_IClassFactory,
                                               reinterpret_cast<void**>(factory.Put()))) &&
        SUCCEEDED(
            factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(init.Put()))) &&
        SUCCEEDED(init->Initialize(nullptr, data, nullptr)) &&
        SUCCEEDED(init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(handler.Put())))) {
      hr = handler->QueryContextMenu(menu, 0, 1, 100, CMF_NORMAL);
    }
  }
  QueryPerformanceCounter(&to);
  return HRESULT_CODE(hr) == vlpd::kCommandCount ? Micros(from, to) : -1.0;
}

// The settings as each right-click reads them: the policies' key and the user's.
double SettingsReadMicros() {
  LARGE_INTEGER from;
  LARGE_INTEGER to;
  QueryPerformanceCounter(&from);
  const vlpd::Settings settings = vlpd::ReadSettings();
  QueryPerformanceCounter(&to);
  return settings.Get(vlpd::Setting::kHiddenCommands) == 0 ? Micros(from, to) : -1.0;
}

// A data object that only copies a prepared drop list, so that a right-click on it shows what the
// handler itself costs without the shell's rendering of the list.
class CopyingDataObject final : public IDataObject {
 public:
  explicit CopyingDataObject(const std::wstring& path) {
    block_.resize(sizeof(DROPFILES));
    auto* drop = reinterpret_cast<DROPFILES*>(block_.data());
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    const auto* units = reinterpret_cast<const unsigned char*>(path.c_str());
    block_.insert(block_.end(), units, units + (path.size() + 1) * sizeof(wchar_t));
    block_.insert(block_.end(), 2, 0);
  }
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    *out = riid == IID_IUnknown || riid == IID_IDataObject ? static_cast<IDataObject*>(this) : nullptr;
    return *out != nullptr ? S_OK : E_NOINTERFACE;
  }
  // Lives on the stack for the whole run.
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override {
    *medium = STGMEDIUM{};
    if (format->cfFormat != CF_HDROP || (format->tymed & TYMED_HGLOBAL) == 0) return DV_E_FORMATETC;
    vlpd::GlobalBlock copy(GlobalAlloc(GMEM_MOVEABLE, block_.size()));
    if (!copy) return E_OUTOFMEMORY;
    {
      const vlpd::GlobalLockGuard lock(copy.Get());
      if (lock.Data() == nullptr) return E_OUTOFMEMORY;
      std::memcpy(lock.Data(), block_.data(), block_.size());
    }
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = copy.Release();
    return S_OK;
  }
  STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  STDMETHODIMP QueryGetData(FORMATETC* format) override {
    return format->cfFormat == CF_HDROP ? S_OK : DV_E_FORMATETC;
  }
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
  STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return direction == DATADIR_GET ? SHCreateStdEnumFmtEtc(1, &format, out) : E_NOTIMPL;
  }
  STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  std::vector<unsigned char> block_;
};

// What the host's data object alone costs: GetData of the drop list and its release.
double GetDropListMicros(IDataObject* data) {
  LARGE_INTEGER from;
  LARGE_INTEGER to;
  QueryPerformanceCounter(&from);
  HRESULT hr = E_FAIL;
  {
    vlpd::StorageMedium medium;
    hr = medium.Fetch(data, {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
  }
  QueryPerformanceCounter(&to);
  return SUCCEEDED(hr) ? Micros(from, to) : -1.0;
}

// One sample of `measure` on a fresh host menu, destroyed outside the clock.
template <typename Measure>
double OnFreshMenu(Measure measure) {
  const vlpd::MenuHandle menu(CreatePopupMenu());
  return measure(menu.Get());
}

// The right-click of one name and of kManyNames names, ASCII and outside the code page, against the
// host-built submenu, in interleaved rounds so that the ratios come from one run under the same
// conditions.
void CompareRightClicks(IDataObject* one, IDataObject* many, IDataObject* foreign_one,
                        IDataObject* foreign_many, IDataObject* copying) {
  std::vector<double> host;
  std::vector<double> single;
  std::vector<double> handler_only;
  std::vector<double> large;
  std::vector<double> foreign_single;
  std::vector<double> foreign_large;
  std::vector<double> fetch_one;
  std::vector<double> fetch_many;
  std::vector<double> settings;
  for (int round = 0; round < kRounds; ++round) {
    host.push_back(OnFreshMenu(HostBuiltMicros));
    settings.push_back(SettingsReadMicros());
    single.push_back(OnFreshMenu([one](HMENU menu) { return RightClickMicros(one, menu); }));
    handler_only.push_back(OnFreshMenu([copying](HMENU menu) { return RightClickMicros(copying, menu); }));
  }
  double spent = 0;
  while (static_cast<int>(large.size()) < kManyRoundsAtLeast || spent < kManyBudgetSeconds * 1e6) {
    host.push_back(OnFreshMenu(HostBuiltMicros));
    single.push_back(OnFreshMenu([one](HMENU menu) { return RightClickMicros(one, menu); }));
    large.push_back(OnFreshMenu([many](HMENU menu) { return RightClickMicros(many, menu); }));
    foreign_single.push_back(
        OnFreshMenu([foreign_one](HMENU menu) { return RightClickMicros(foreign_one, menu); }));
    foreign_large.push_back(
        OnFreshMenu([foreign_many](HMENU menu) { return RightClickMicros(foreign_many, menu); }));
    fetch_one.push_back(GetDropListMicros(one));
    fetch_many.push_back(GetDropListMicros(many));
    if (large.back() < 0 || foreign_large.back() < 0) break;
    spent += large.back() + foreign_large.back();
  }
  bool failed = false;
  for (const std::vector<double>* samples :
       {&single, &large, &handler_only, &foreign_single, &foreign_large}) {
    failed = failed ||
             std::find_if(samples->begin(), samples->end(), [](double m) { return m < 0; }) != samples->end();
  }
  if (failed) {
    std::printf("a right-click did not add the submenu\n");
    return;
  }
  std::printf("Right-click (factory, Initialize, QueryContextMenu, Release), one run; median (fastest):\n");
  std::printf("  %-34s %10.1f us (%9.1f)  %zu rounds\n", "host-built submenu", Median(host), Fastest(host),
              host.size());
  std::printf("  %-34s %10.1f us (%9.1f)  %zu rounds  %6.2fx (%.2fx) the host-built submenu\n", "one name",
              Median(single), Fastest(single), single.size(), Median(single) / Median(host),
              Fastest(single) / Fastest(host));
  std::printf("  %-34s %10.1f us (%9.1f)  %zu rounds  %6.1fx (%.1fx) one name\n", "7,500 names",
              Median(large), Fastest(large), large.size(), Median(large) / Median(single),
              Fastest(large) / Fastest(single));
  std::printf("  %-34s %10.1f us (%9.1f)  %zu rounds  %6.2fx (%.2fx) one ASCII name\n",
              "one name outside the code page", Median(foreign_single), Fastest(foreign_single),
              foreign_single.size(), Median(foreign_single) / Median(single),
              Fastest(foreign_single) / Fastest(single));
  std::printf("  %-34s %10.1f us (%9.1f)  %zu rounds  %6.1fx (%.1fx) one name outside the code page\n",
              "7,500 names outside the code page", Median(foreign_large), Fastest(foreign_large),
              foreign_large.size(), Median(foreign_large) / Median(foreign_single),
              Fastest(foreign_large) / Fastest(foreign_single));
  std::printf("  %-34s %10.1f us (%9.1f)  %zu rounds  %6.2fx (%.2fx) the host-built submenu\n",
              "one name, list copied, not rendered", Median(handler_only), Fastest(handler_only),
              handler_only.size(), Median(handler_only) / Median(host),
              Fastest(handler_only) / Fastest(host));
  std::printf(
      "  %-34s %10.1f us (%9.1f)  %zu rounds  %6.2fx (%.2fx) the host-built submenu, %.0f%% of one name, "
      "list copied\n",
      "the settings read, no value set", Median(settings), Fastest(settings), settings.size(),
      Median(settings) / Median(host), Fastest(settings) / Fastest(host),
      100.0 * Median(settings) / Median(handler_only));
  // Each right-click fetches the drop list twice (Initialize and the refill): a floor that no
  // reading of the names can go below.
  std::printf("  %-34s %10.1f us  /  %.1f us for 7,500 names\n", "the data object's GetData, one name",
              Median(fetch_one), Median(fetch_many));
}

// What Explorer of Windows 11 does to show the menu: a new root through the class factory, its
// state (again when told E_PENDING) and title, and every subcommand's flags, title and state. -1
// when a step fails or the root is hidden.
double Windows11MenuMicros(IShellItemArray* items) {
  LARGE_INTEGER from;
  LARGE_INTEGER to;
  QueryPerformanceCounter(&from);
  int shown = 0;
  {
    vlpd::ComRef<IClassFactory> factory;
    vlpd::ComRef<IExplorerCommand> root;
    vlpd::ComRef<IEnumExplorerCommand> commands;
    EXPCMDSTATE state = ECS_HIDDEN;
    vlpd::TaskString title;
    if (SUCCEEDED(vlpd::GetVLPDMenuClassObject(vlpd::kClsidVLPDCommand, IID_IClassFactory,
                                               reinterpret_cast<void**>(factory.Put()))) &&
        SUCCEEDED(
            factory->CreateInstance(nullptr, IID_IExplorerCommand, reinterpret_cast<void**>(root.Put()))) &&
        (root->GetState(items, FALSE, &state) != E_PENDING ||
         SUCCEEDED(root->GetState(items, TRUE, &state))) &&
        state == ECS_ENABLED && SUCCEEDED(root->GetTitle(items, title.Put())) &&
        SUCCEEDED(root->EnumSubCommands(commands.Put()))) {
      vlpd::ComRef<IExplorerCommand> command;
      ULONG fetched = 0;
      while (commands->Next(1, command.Put(), &fetched) == S_OK) {
        EXPCMDFLAGS flags = 0;
        command->GetFlags(&flags);
        if ((flags & ECF_ISSEPARATOR) == 0) command->GetTitle(items, title.Put());
        if (command->GetState(items, FALSE, &state) == E_PENDING) command->GetState(items, TRUE, &state);
        ++shown;
      }
    }
  }
  QueryPerformanceCounter(&to);
  return shown == vlpd::kSubmenuEntries ? Micros(from, to) : -1.0;
}

// Both menus for one name and for kManyNames names of the large folder, and for the one name of
// a folder that holds nothing else (Wine's shell items read their folder anew for every
// attribute and name asked), in interleaved rounds of one run.
void CompareMenus(IDataObject* one, IDataObject* many, IDataObject* lone) {
  vlpd::ComRef<IShellItemArray> one_items;
  vlpd::ComRef<IShellItemArray> many_items;
  vlpd::ComRef<IShellItemArray> lone_items;
  SHCreateShellItemArrayFromDataObject(one, IID_IShellItemArray, reinterpret_cast<void**>(one_items.Put()));
  SHCreateShellItemArrayFromDataObject(many, IID_IShellItemArray, reinterpret_cast<void**>(many_items.Put()));
  SHCreateShellItemArrayFromDataObject(lone, IID_IShellItemArray, reinterpret_cast<void**>(lone_items.Put()));
  if (!one_items || !many_items || !lone_items) {
    std::printf("no shell item arrays for the menu comparison\n");
    return;
  }
  std::vector<double> classic_one;
  std::vector<double> modern_one;
  std::vector<double> classic_many;
  std::vector<double> modern_many;
  std::vector<double> classic_lone;
  std::vector<double> modern_lone;
  for (int round = 0; round < kRounds; ++round) {
    classic_one.push_back(OnFreshMenu([one](HMENU menu) { return RightClickMicros(one, menu); }));
    modern_one.push_back(Windows11MenuMicros(one_items.Get()));
    classic_lone.push_back(OnFreshMenu([lone](HMENU menu) { return RightClickMicros(lone, menu); }));
    modern_lone.push_back(Windows11MenuMicros(lone_items.Get()));
  }
  double spent = 0;
  while (static_cast<int>(modern_many.size()) < kManyRoundsAtLeast || spent < kManyBudgetSeconds * 1e6) {
    classic_many.push_back(OnFreshMenu([many](HMENU menu) { return RightClickMicros(many, menu); }));
    modern_many.push_back(Windows11MenuMicros(many_items.Get()));
    if (classic_many.back() < 0 || modern_many.back() < 0) break;
    spent += classic_many.back() + modern_many.back();
  }
  for (const std::vector<double>* samples :
       {&classic_one, &modern_one, &classic_many, &modern_many, &classic_lone, &modern_lone}) {
    if (std::find_if(samples->begin(), samples->end(), [](double m) { return m < 0; }) != samples->end()) {
      std::printf("a menu was not shown in full\n");
      return;
    }
  }
  std::printf(
      "Windows 11 menu (factory, root state and title, the subcommands with titles and states) beside\n"
      "the classic right-click, one run; median (fastest):\n");
  std::printf("  %-34s %10.1f us (%9.1f)  classic %10.1f us (%9.1f)  %6.2fx (%.2fx) the classic\n",
              "one name", Median(modern_one), Fastest(modern_one), Median(classic_one), Fastest(classic_one),
              Median(modern_one) / Median(classic_one), Fastest(modern_one) / Fastest(classic_one));
  std::printf("  %-34s %10.1f us (%9.1f)  classic %10.1f us (%9.1f)  %6.2fx (%.2fx) the classic\n",
              "one name alone in its folder", Median(modern_lone), Fastest(modern_lone), Median(classic_lone),
              Fastest(classic_lone), Median(modern_lone) / Median(classic_lone),
              Fastest(modern_lone) / Fastest(classic_lone));
  std::printf(
      "  %-34s %10.1f us (%9.1f)  classic %10.1f us (%9.1f)  %6.2fx (%.2fx) the classic  %zu rounds\n",
      "7,500 names", Median(modern_many), Fastest(modern_many), Median(classic_many), Fastest(classic_many),
      Median(modern_many) / Median(classic_many), Fastest(modern_many) / Fastest(classic_many),
      modern_many.size());
}

}  // namespace

int main() {
  const vlpd::ComApartment apartment;
  if (!apartment.Joined()) return 1;
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + "vlpd_menu_bench";
  CreateDirectoryA(folder.c_str(), nullptr);
  std::vector<std::string> names;
  for (int i = 0; i < 100; ++i) {
    names.push_back("file" + std::to_string(i) + ".txt");
    vlpd::FileHandle file(CreateFileA((folder + "\\" + names.back()).c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_ALWAYS, 0, nullptr));
  }
  std::printf("QueryContextMenu, %d calls each, shell data objects:\n", kCalls);
  Time("one text file", vlpd::test::ShellDataObject(folder, {names[0]}).Get());
  Time("three files", vlpd::test::ShellDataObject(folder, {names[0], names[1], names[2]}).Get());
  Time("one hundred files", vlpd::test::ShellDataObject(folder, names).Get());

  std::vector<std::string> many_names;
  for (int i = 0; i < kManyNames; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "many%05d.txt", i);
    many_names.push_back(name);
    vlpd::FileHandle file(
        CreateFileA((folder + "\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  }
  // The same names with an e acute, which code page 932 lacks: each is reached by its short name.
  const std::wstring wide_folder(folder.begin(), folder.end());
  const std::wstring foreign_folder = wide_folder + L"\\foreign";
  CreateDirectoryW(foreign_folder.c_str(), nullptr);
  std::vector<std::wstring> foreign_names;
  for (const std::string& name : many_names) {
    foreign_names.push_back(L"m\u00e9" + std::wstring(name.begin(), name.end()));
    vlpd::FileHandle file(CreateFileW((foreign_folder + L"\\" + foreign_names.back()).c_str(), GENERIC_WRITE,
                                      0, nullptr, CREATE_ALWAYS, 0, nullptr));
  }
  {
    const vlpd::ComRef<IDataObject> one = vlpd::test::ShellDataObject(folder, {many_names[0]});
    const vlpd::ComRef<IDataObject> many = vlpd::test::ShellDataObject(folder, many_names);
    const vlpd::ComRef<IDataObject> foreign_one =
        vlpd::test::ShellDataObject(foreign_folder, {foreign_names[0]});
    const vlpd::ComRef<IDataObject> foreign_many = vlpd::test::ShellDataObject(foreign_folder, foreign_names);
    CopyingDataObject copying(wide_folder + L"\\" + std::wstring(many_names[0].begin(), many_names[0].end()));
    const std::string lone_folder = folder + "_lone";
    CreateDirectoryA(lone_folder.c_str(), nullptr);
    vlpd::FileHandle(CreateFileA((lone_folder + "\\lone.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                                 CREATE_ALWAYS, 0, nullptr));
    const vlpd::ComRef<IDataObject> lone = vlpd::test::ShellDataObject(lone_folder, {"lone.txt"});
    if (one && many && foreign_one && foreign_many && lone) {
      CompareRightClicks(one.Get(), many.Get(), foreign_one.Get(), foreign_many.Get(), &copying);
      CompareMenus(one.Get(), many.Get(), lone.Get());
    } else {
      std::printf("no data object for the right-click comparison\n");
    }
  }

  for (const std::string& name : names) DeleteFileA((folder + "\\" + name).c_str());
  for (const std::string& name : many_names) DeleteFileA((folder + "\\" + name).c_str());
  DeleteFileA((folder + "_lone\\lone.txt").c_str());
  RemoveDirectoryA((folder + "_lone").c_str());
  for (const std::wstring& name : foreign_names) DeleteFileW((foreign_folder + L"\\" + name).c_str());
  RemoveDirectoryW(foreign_folder.c_str());
  RemoveDirectoryA(folder.c_str());
  return 0;
}
