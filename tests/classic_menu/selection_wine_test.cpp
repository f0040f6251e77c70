// Initialize and RefillSelection against data objects of every shape: the stored data object,
// the names read, and what is left out or refused; FillSelection, the entry of a front end that
// hands over UTF-16 names instead, by the same rules.
#include <windows.h>
// The shell headers need windows.h first.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "classic_menu/vlpd_menu.h"
#include "host/shell_data_object.h"
#include "host/test_data_object.h"
#include "host/vlpd_dll.h"
#include "selection/shell_selection.h"
#include "tests/support/temp_dir.h"

namespace vlpd::test {
namespace {

ComRef<CVLPDMenu> NewHandler() {
  auto* handler = new CVLPDMenu();
  handler->AddRef();
  return ComRef<CVLPDMenu>::Adopt(handler);
}

std::vector<std::string> Names(const SelectionList& list) {
  std::vector<std::string> names;
  for (int i = 0; i < list.Count(); ++i) names.emplace_back(list.Name(i));
  return names;
}

std::vector<std::wstring> WideNames(const SelectionList& list) {
  std::vector<std::wstring> names;
  for (int i = 0; i < list.Count(); ++i) {
    const char16_t* wide = list.WideName(i);
    names.emplace_back(wide == nullptr ? L"<none>" : reinterpret_cast<const wchar_t*>(wide));
  }
  return names;
}

// `paths` handed over as a front end without a drop list hands them.
HRESULT FillFrom(const std::vector<std::wstring>& paths, SelectionList& list) {
  std::vector<WideName> names;
  for (const std::wstring& path : paths) names.push_back({path.data(), path.size()});
  return FillSelection(list, names.data(), names.size());
}

// A front end's list of `paths` reads as `expected`, the list read from a drop list of them.
void ExpectFrontEndReadsTheSame(const std::vector<std::wstring>& paths, const SelectionList& expected) {
  SelectionList list;
  EXPECT_EQ(FillFrom(paths, list), S_OK);
  EXPECT_EQ(Names(list), Names(expected));
  EXPECT_EQ(WideNames(list), WideNames(expected));
  EXPECT_EQ(list.TotalLength(), expected.TotalLength());
  EXPECT_EQ(list.TotalWideLength(), expected.TotalWideLength());
}

// The selection after Initialize(data) and one refill; `refill` receives the refill's result.
std::vector<std::string> ReadSelection(IDataObject* data, HRESULT* refill = nullptr) {
  auto handler = NewHandler();
  EXPECT_EQ(handler->Initialize(nullptr, data, nullptr), S_OK);
  const HRESULT hr = handler->RefillSelection();
  if (refill != nullptr) *refill = hr;
  return Names(handler->Selection());
}

TEST(RefillSelection, ThreeNamesInOrderWithTheirTotalLength) {
  auto data = TestDataObject::Make({"C:\\a.txt", "C:\\dir", "D:\\b c.txt"});
  auto handler = NewHandler();
  ASSERT_EQ(handler->Initialize(nullptr, data.Get(), nullptr), S_OK);
  ASSERT_EQ(handler->RefillSelection(), S_OK);
  EXPECT_EQ(Names(handler->Selection()), (std::vector<std::string>{"C:\\a.txt", "C:\\dir", "D:\\b c.txt"}));
  EXPECT_EQ(handler->Selection().TotalLength(), 24);
}

TEST(RefillSelection, WideDropListGivesAnsiNamesAndTheirByteLengths) {
  DropOptions wide;
  wide.wide_names = true;
  const std::vector<std::string> paths = {"C:\\\x95\x5C\\\x83\x5C.txt", "C:\\b.txt"};
  auto data = TestDataObject::Make(paths, wide);
  auto handler = NewHandler();
  ASSERT_EQ(handler->Initialize(nullptr, data.Get(), nullptr), S_OK);
  ASSERT_EQ(handler->RefillSelection(), S_OK);
  EXPECT_EQ(Names(handler->Selection()), paths);
  EXPECT_EQ(handler->Selection().TotalLength(), static_cast<int>(paths[0].size() + paths[1].size()));
}

TEST(RefillSelection, EachNameKeepsItsUtf16Form) {
  const std::vector<std::string> paths = {"C:\\\x95\x5C\\\x83\x5C.txt", "C:\\b.txt"};  // C:\表\ソ.txt
  const std::vector<std::wstring> wide = {L"C:\\\x8868\\\x30BD.txt", L"C:\\b.txt"};
  for (bool wide_names : {false, true}) {
    SCOPED_TRACE(wide_names ? "wide" : "ansi");
    DropOptions options;
    options.wide_names = wide_names;
    auto data = TestDataObject::Make(paths, options);
    auto handler = NewHandler();
    ASSERT_EQ(handler->Initialize(nullptr, data.Get(), nullptr), S_OK);
    ASSERT_EQ(handler->RefillSelection(), S_OK);
    EXPECT_EQ(WideNames(handler->Selection()), wide);
    EXPECT_EQ(handler->Selection().TotalWideLength(), wide[0].size() + wide[1].size());
    ExpectFrontEndReadsTheSame(wide, handler->Selection());
  }
}

TEST(RefillSelection, NamesOutsideTheCodePageWithoutAFileAreLeftOut) {
  // A plain conversion would hand on "C:\nowhere\cafe.txt", "C:\nowhere\??.txt" and a yen sign
  // made a separator; with no file behind them there is no short name to use instead.
  DropOptions options;
  options.unicode_paths = {L"C:\\nowhere\\caf\x00E9.txt", L"C:\\a.txt",
                           L"C:\\nowhere\\\xD55C\xD83D\xDE00.txt", L"C:\\nowhere\\a\x00A5z.txt",
                           L"C:\\\x8868.txt"};
  auto data = TestDataObject::Make({}, options);
  auto handler = NewHandler();
  ASSERT_EQ(handler->Initialize(nullptr, data.Get(), nullptr), S_OK);
  ASSERT_EQ(handler->RefillSelection(), S_OK);
  EXPECT_EQ(Names(handler->Selection()), (std::vector<std::string>{"C:\\a.txt", "C:\\\x95\x5C.txt"}));
  EXPECT_EQ(WideNames(handler->Selection()), (std::vector<std::wstring>{L"C:\\a.txt", L"C:\\\x8868.txt"}));
  EXPECT_EQ(handler->Selection().TotalLength(), 17);
  ExpectFrontEndReadsTheSame(options.unicode_paths, handler->Selection());
  // The menu's refill converts names only until it has the first it can keep, and counts them all.
  ASSERT_EQ(handler->RefillSelection(1), S_OK);
  EXPECT_EQ(Names(handler->Selection()), (std::vector<std::string>{"C:\\a.txt"}));
  EXPECT_EQ(handler->ListedNames(), options.unicode_paths.size());
}

TEST(RefillSelection, NamesTooLongForAPathBufferAreLeftOut) {
  const std::string fits = "C:\\" + std::string(256, 'f');       // 259 bytes
  const std::string just_over = "C:\\" + std::string(257, 'o');  // 260 bytes
  const std::string far_over = "C:\\" + std::string(400, 'x');
  for (bool wide_names : {false, true}) {
    SCOPED_TRACE(wide_names ? "wide" : "ansi");
    DropOptions options;
    options.wide_names = wide_names;
    auto data = TestDataObject::Make({just_over, "C:\\a.txt", far_over, fits}, options);
    HRESULT hr = E_FAIL;
    EXPECT_EQ(ReadSelection(data.Get(), &hr), (std::vector<std::string>{"C:\\a.txt", fits}));
    EXPECT_EQ(hr, S_OK);
  }
  SelectionList list;
  EXPECT_EQ(FillFrom({Wide(just_over), L"C:\\a.txt", Wide(far_over), Wide(fits)}, list), S_OK);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"C:\\a.txt", fits}));
}

TEST(RefillSelection, WideNamesAreMeasuredInBytesNotUnits) {
  // 表 is two bytes in code page 932 but one UTF-16 unit: these names have far fewer than 260
  // units, yet 260 bytes or more. Both parities, so that a cut can fall between two characters
  // or inside one.
  std::string fits = "C:\\";
  for (int i = 0; i < 128; ++i) fits += "\x95\x5C";  // 259 bytes
  const std::vector<std::string> over = {fits + "\x95\x5C", "C:\\x" + fits.substr(3) + "\x95\x5C\x95\x5C",
                                         fits + "\x95\x5C\x95\x5C\x95\x5C"};
  DropOptions wide;
  wide.wide_names = true;
  auto data = TestDataObject::Make({over[0], over[1], fits, over[2]}, wide);
  auto handler = NewHandler();
  ASSERT_EQ(handler->Initialize(nullptr, data.Get(), nullptr), S_OK);
  ASSERT_EQ(handler->RefillSelection(), S_OK);
  EXPECT_EQ(Names(handler->Selection()), std::vector<std::string>{fits});
  EXPECT_EQ(handler->Selection().TotalLength(), 259);
  ExpectFrontEndReadsTheSame({Wide(over[0]), Wide(over[1]), Wide(fits), Wide(over[2])},
                             handler->Selection());
}

TEST(RefillSelection, EmptyOrMalformedDropListsReadAsNothing) {
  const unsigned char header[20] = {20, 0, 0, 0};
  auto block = [&](std::initializer_list<unsigned char> names) {
    std::vector<unsigned char> b(names);
    b.insert(b.begin(), header, header + 20);
    return b;
  };
  std::vector<unsigned char> far_offset = block({'a', 0, 0});
  far_offset[0] = 0xF0;
  far_offset[3] = 0x7F;
  std::vector<unsigned char> wide_cut = block({'a', 0, 0, 0, 0});
  wide_cut[16] = 1;
  const std::vector<std::vector<unsigned char>> blocks = {
      {},                                               // nothing at all
      std::vector<unsigned char>(header, header + 12),  // shorter than its header
      block({}),                                        // no list
      block({'C', ':', '\\', 'a'}),                     // name without terminator
      block({'C', ':', '\\', 'a', 0}),                  // no closing empty name
      far_offset,                                       // list offset far outside the block
      wide_cut,                                         // wide list cut inside its closing unit
      block({0, 0}),                                    // a well-formed empty list
  };
  for (size_t k = 0; k < blocks.size(); ++k) {
    SCOPED_TRACE(k);
    DropOptions raw;
    raw.use_raw_block = true;
    raw.raw_block = blocks[k];
    auto data = TestDataObject::Make({}, raw);
    HRESULT hr = E_FAIL;
    EXPECT_TRUE(ReadSelection(data.Get(), &hr).empty());
    EXPECT_EQ(hr, S_OK);
  }
}

TEST(RefillSelection, WithoutAStoredDataObjectFails) {
  auto handler = NewHandler();
  EXPECT_TRUE(FAILED(handler->RefillSelection()));
  EXPECT_EQ(handler->Selection().Count(), 0);
}

TEST(RefillSelection, EnumeratorWithoutFormatsGivesSuccessAndNoNames) {
  DropOptions options;
  options.enumerate_nothing = true;
  auto data = TestDataObject::Make({"C:\\a.txt"}, options);
  HRESULT hr = E_FAIL;
  EXPECT_TRUE(ReadSelection(data.Get(), &hr).empty());
  EXPECT_TRUE(SUCCEEDED(hr));
}

TEST(RefillSelection, FirstEnumeratedFormatNeedNotBeTheDropList) {
  DropOptions options;
  options.hdrop_not_first = true;
  auto data = TestDataObject::Make({"C:\\a.txt"}, options);
  auto handler = NewHandler();
  ASSERT_EQ(handler->Initialize(nullptr, data.Get(), nullptr), S_OK);
  const int before = data->GetDataCalls();
  ASSERT_EQ(handler->RefillSelection(), S_OK);
  EXPECT_EQ(Names(handler->Selection()), std::vector<std::string>{"C:\\a.txt"});
  EXPECT_EQ(data->GetDataCalls() - before, 1);
}

TEST(RefillSelection, ARefillReplacesEarlierNames) {
  auto first = TestDataObject::Make({"C:\\one.txt", "C:\\two.txt"});
  auto second = TestDataObject::Make({"C:\\three.txt"});
  auto handler = NewHandler();
  ASSERT_EQ(handler->Initialize(nullptr, first.Get(), nullptr), S_OK);
  ASSERT_EQ(handler->RefillSelection(), S_OK);
  ASSERT_EQ(handler->Selection().Count(), 2);
  ASSERT_EQ(handler->Initialize(nullptr, second.Get(), nullptr), S_OK);
  ASSERT_EQ(handler->RefillSelection(), S_OK);
  EXPECT_EQ(Names(handler->Selection()), std::vector<std::string>{"C:\\three.txt"});
  EXPECT_EQ(handler->Selection().TotalLength(), 12);
  handler->FreeSelection();
  EXPECT_EQ(handler->Selection().Count(), 0);
  handler->FreeSelection();
  EXPECT_EQ(handler->Selection().Count(), 0);
}

TEST(RefillSelection, HandlersKeepSeparateLists) {
  auto a = TestDataObject::Make({"C:\\a.txt"});
  auto b = TestDataObject::Make({"C:\\b1.txt", "C:\\b2.txt"});
  auto first = NewHandler();
  auto second = NewHandler();
  ASSERT_EQ(first->Initialize(nullptr, a.Get(), nullptr), S_OK);
  ASSERT_EQ(second->Initialize(nullptr, b.Get(), nullptr), S_OK);
  ASSERT_EQ(first->RefillSelection(), S_OK);
  ASSERT_EQ(second->RefillSelection(), S_OK);
  EXPECT_EQ(Names(first->Selection()), std::vector<std::string>{"C:\\a.txt"});
  EXPECT_EQ(Names(second->Selection()), (std::vector<std::string>{"C:\\b1.txt", "C:\\b2.txt"}));
}

TEST(RefillSelection, ReadsTheShellsOwnDataObject) {
  ComApartment apartment;
  TempDir dir("vlpd_sel");
  const std::string a = dir.WriteFile("a.txt", "x");
  const std::string b = dir.WriteFile("\x95\x5C.vpj", "x");
  const std::string sub = dir.MakeFolder("\x83\x5C");
  auto data = ShellDataObject(dir.Path(), {"a.txt", "\x95\x5C.vpj", "\x83\x5C"});
  ASSERT_TRUE(data);
  auto handler = NewHandler();
  ASSERT_EQ(handler->Initialize(nullptr, data.Get(), nullptr), S_OK);
  ASSERT_TRUE(SUCCEEDED(handler->RefillSelection()));
  EXPECT_EQ(Names(handler->Selection()), (std::vector<std::string>{a, b, sub}));
  EXPECT_EQ(handler->Selection().TotalLength(), static_cast<int>(a.size() + b.size() + sub.size()));
}

TEST(RefillSelection, NamesOutsideTheCodePageFromTheShellBecomeTheirShortPaths) {
  ComApartment apartment;
  TempDir dir("vlpd_foreign");
  // café, café☕한, an emoji outside the basic plane, Hangul, and 表, which code page 932 writes.
  const std::vector<std::wstring> names = {L"caf\x00E9.txt", L"caf\x00E9\x2615\xD55C.txt",
                                           L"\xD83D\xDE00.txt", L"\xD55C\xAE00", L"\x8868.txt"};
  for (size_t i = 0; i < names.size(); ++i) dir.WriteFileW(names[i], "file " + std::to_string(i));
  // What a plain conversion makes of the first two: a file that must never stand in for them.
  const std::string lookalike = dir.WriteFile("cafe.txt", "lookalike");
  auto data = ShellDataObject(dir.WidePath(), names);
  ASSERT_TRUE(data);
  auto handler = NewHandler();
  ASSERT_EQ(handler->Initialize(nullptr, data.Get(), nullptr), S_OK);
  ASSERT_TRUE(SUCCEEDED(handler->RefillSelection()));

  const SelectionList& list = handler->Selection();
  ASSERT_EQ(list.Count(), static_cast<int>(names.size()));
  std::vector<std::wstring> expected_wide;
  for (size_t i = 0; i < names.size(); ++i) {
    SCOPED_TRACE(i);
    const std::wstring path = dir.WidePath() + L"\\" + names[i];
    expected_wide.push_back(path);
    const std::string expected = i + 1 < names.size() ? dir.Path() + "\\" + ShortAlias(path) : Narrow(path);
    EXPECT_EQ(list.Name(i), expected);
    EXPECT_NE(list.Name(i), lookalike);
    EXPECT_EQ(ReadFileBytes(list.Name(i)), "file " + std::to_string(i));
  }
  EXPECT_EQ(WideNames(list), expected_wide);
  ExpectFrontEndReadsTheSame(expected_wide, list);
}

TEST(FillSelection, LeavesOutEmptyAndNulBearingNamesAndReplacesEarlierNames) {
  SelectionList list;
  ASSERT_EQ(FillFrom({L"C:\\old.txt"}, list), S_OK);
  const std::vector<WideName> names = {
      {L"C:\\a.txt", 8}, {L"", 0}, {nullptr, 5}, {L"C:\\b\0c", 6}, {L"C:\\d.txtX", 8}};
  EXPECT_EQ(FillSelection(list, names.data(), names.size()), S_OK);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"C:\\a.txt", "C:\\d.txt"}));
  EXPECT_EQ(WideNames(list), (std::vector<std::wstring>{L"C:\\a.txt", L"C:\\d.txt"}));
  EXPECT_EQ(list.TotalLength(), 16);
}

TEST(FillSelection, NoNamesGiveAnEmptyListAndAMissingArrayIsRefused) {
  SelectionList list;
  ASSERT_EQ(FillFrom({L"C:\\old.txt"}, list), S_OK);
  EXPECT_EQ(FillSelection(list, nullptr, 0), S_OK);
  EXPECT_EQ(list.Count(), 0);
  ASSERT_EQ(FillFrom({L"C:\\old.txt"}, list), S_OK);
  EXPECT_EQ(FillSelection(list, nullptr, 2), E_INVALIDARG);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(FillFrom({L"", L"C:\\nowhere\\caf\x00E9.txt"}, list), S_OK);
  EXPECT_EQ(list.Count(), 0);
}

// Initialize: what is stored, what is refused, and whose reference is given back.

TEST(Initialize, RefusesAMissingDataObject) {
  auto handler = NewHandler();
  EXPECT_EQ(handler->Initialize(nullptr, nullptr, nullptr), E_INVALIDARG);
  EXPECT_TRUE(FAILED(handler->RefillSelection()));
}

TEST(Initialize, RefusesADataObjectWithoutDropListAndKeepsTheEarlierOne) {
  auto kept = TestDataObject::Make({"C:\\kept.txt"});
  DropOptions none;
  none.offer_hdrop = false;
  auto refused = TestDataObject::Make({"C:\\refused.txt"}, none);
  auto handler = NewHandler();
  EXPECT_EQ(handler->Initialize(nullptr, refused.Get(), nullptr), E_INVALIDARG);
  EXPECT_EQ(refused->References(), 1);
  EXPECT_TRUE(FAILED(handler->RefillSelection()));

  ASSERT_EQ(handler->Initialize(nullptr, kept.Get(), nullptr), S_OK);
  EXPECT_EQ(handler->Initialize(nullptr, refused.Get(), nullptr), E_INVALIDARG);
  EXPECT_EQ(refused->References(), 1);
  EXPECT_EQ(kept->References(), 2);
  ASSERT_EQ(handler->RefillSelection(), S_OK);
  EXPECT_EQ(Names(handler->Selection()), std::vector<std::string>{"C:\\kept.txt"});
}

TEST(Initialize, ASecondDataObjectReplacesTheFirstAndGetsItsReferenceBackAtTheEnd) {
  auto first = TestDataObject::Make({"C:\\first.txt"});
  auto second = TestDataObject::Make({"C:\\second.txt"});
  {
    auto handler = NewHandler();
    ASSERT_EQ(handler->Initialize(nullptr, first.Get(), nullptr), S_OK);
    EXPECT_EQ(first->References(), 2);
    ASSERT_EQ(handler->Initialize(nullptr, second.Get(), nullptr), S_OK);
    EXPECT_EQ(first->References(), 1);
    EXPECT_EQ(second->References(), 2);
    ASSERT_EQ(handler->RefillSelection(), S_OK);
    EXPECT_EQ(Names(handler->Selection()), std::vector<std::string>{"C:\\second.txt"});
    // The same object again: still one reference held.
    ASSERT_EQ(handler->Initialize(nullptr, second.Get(), nullptr), S_OK);
    EXPECT_EQ(second->References(), 2);
  }
  EXPECT_EQ(first->References(), 1);
  EXPECT_EQ(second->References(), 1);
}

// A data object whose every step can be made to fail or to answer oddly.
class OddDataObject : public IDataObject, public IEnumFORMATETC {
 public:
  HRESULT enum_result = S_OK;
  bool null_enumerator = false;
  HRESULT reset_result = S_OK;
  int formats = 3;            // elements the enumerator delivers
  int next_fails_at = -1;     // the Next call (0-based) that fails with E_FAIL
  bool with_device = false;   // each element carries a target device to be freed
  std::vector<char> answers;  // per GetData after Initialize's: 'f' fail, 's' a stream, 'h' the list
  int get_data_calls = 0;
  LONG stream_references = 0;  // what the last handed-out stream still holds after release

  STDMETHODIMP QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  STDMETHODIMP_(ULONG) Release() override { return --references_; }

  STDMETHODIMP GetData(FORMATETC*, STGMEDIUM* medium) override {
    std::memset(medium, 0, sizeof *medium);
    const int call = get_data_calls++;
    const char answer =
        call == 0 ? 'h' : (call - 1 < static_cast<int>(answers.size()) ? answers[call - 1] : 'f');
    if (answer == 'f') return DV_E_FORMATETC;
    if (answer == 's') {
      medium->tymed = TYMED_ISTREAM;
      CreateStreamOnHGlobal(nullptr, TRUE, &medium->pstm);
      last_stream_ = medium->pstm;
      last_stream_->AddRef();  // watched: the handler must release its own reference
      return S_OK;
    }
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = MakeDropBlock({"C:\\odd.txt"}, false);
    return S_OK;
  }
  STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  STDMETHODIMP QueryGetData(FORMATETC*) override { return S_OK; }
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
  STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC** out) override {
    *out = nullptr;
    if (FAILED(enum_result)) return enum_result;
    if (!null_enumerator) {
      *out = this;
      AddRef();
    }
    return enum_result;
  }
  STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

  STDMETHODIMP Next(ULONG, FORMATETC* out, ULONG* fetched) override {
    const int call = next_calls_++;
    if (fetched != nullptr) *fetched = 0;
    if (call == next_fails_at) return E_FAIL;
    if (delivered_ >= formats) return S_FALSE;
    ++delivered_;
    *out = {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    if (with_device) {
      out->ptd = static_cast<DVTARGETDEVICE*>(CoTaskMemAlloc(sizeof(DVTARGETDEVICE)));
      std::memset(out->ptd, 0, sizeof(DVTARGETDEVICE));
    }
    if (fetched != nullptr) *fetched = 1;
    return S_OK;
  }
  STDMETHODIMP Skip(ULONG) override { return E_NOTIMPL; }
  STDMETHODIMP Reset() override {
    delivered_ = 0;
    return reset_result;
  }
  STDMETHODIMP Clone(IEnumFORMATETC**) override { return E_NOTIMPL; }

  IDataObject* Data() { return this; }
  LONG References() const { return references_; }
  // References the last stream still has once we drop ours.
  LONG LastStreamLeft() {
    if (last_stream_ == nullptr) return -1;
    const LONG left = static_cast<LONG>(last_stream_->Release());
    last_stream_ = nullptr;
    return left;
  }

 private:
  LONG references_ = 1;
  int next_calls_ = 0;
  int delivered_ = 0;
  IStream* last_stream_ = nullptr;
};

HRESULT RefillOdd(OddDataObject& odd, std::vector<std::string>* names = nullptr) {
  auto handler = NewHandler();
  EXPECT_EQ(handler->Initialize(nullptr, odd.Data(), nullptr), S_OK);
  const HRESULT hr = handler->RefillSelection();
  if (names != nullptr) *names = Names(handler->Selection());
  return hr;
}

TEST(OddDataObjects, FailuresOfTheEnumerationArePassedOnWithNoNames) {
  {
    OddDataObject odd;
    odd.enum_result = E_NOTIMPL;
    std::vector<std::string> names;
    EXPECT_EQ(RefillOdd(odd, &names), E_NOTIMPL);
    EXPECT_TRUE(names.empty());
  }
  {
    OddDataObject odd;
    odd.reset_result = E_ACCESSDENIED;
    std::vector<std::string> names;
    EXPECT_EQ(RefillOdd(odd, &names), E_ACCESSDENIED);
    EXPECT_TRUE(names.empty());
  }
  {
    OddDataObject odd;
    odd.next_fails_at = 0;
    EXPECT_EQ(RefillOdd(odd), E_FAIL);
  }
  {
    OddDataObject odd;
    odd.next_fails_at = 1;
    odd.answers = {'f'};
    std::vector<std::string> names;
    EXPECT_EQ(RefillOdd(odd, &names), E_FAIL);
    EXPECT_TRUE(names.empty());
  }
  {
    OddDataObject odd;
    odd.null_enumerator = true;
    EXPECT_TRUE(FAILED(RefillOdd(odd)));
  }
}

TEST(OddDataObjects, EachEnumeratedFormatGrantsOneMoreAttempt) {
  OddDataObject odd;
  odd.answers = {'f', 's', 'h'};
  std::vector<std::string> names;
  EXPECT_EQ(RefillOdd(odd, &names), S_OK);
  EXPECT_EQ(names, std::vector<std::string>{"C:\\odd.txt"});
  EXPECT_EQ(odd.get_data_calls, 4);
  EXPECT_EQ(odd.LastStreamLeft(), 0) << "the stream medium was not released";
  EXPECT_EQ(odd.References(), 1);
}

TEST(OddDataObjects, RunningOutOfFormatsGivesSuccessAndNoNames) {
  OddDataObject odd;
  odd.formats = 2;
  odd.with_device = true;
  odd.answers = {'s', 'f', 'h'};
  std::vector<std::string> names;
  EXPECT_TRUE(SUCCEEDED(RefillOdd(odd, &names)));
  EXPECT_TRUE(names.empty());
  EXPECT_EQ(odd.get_data_calls, 3);
  EXPECT_EQ(odd.LastStreamLeft(), 0);
}

}  // namespace
}  // namespace vlpd::test
