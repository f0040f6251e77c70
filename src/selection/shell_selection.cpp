#include "selection/shell_selection.h"

// The shell headers need windows.h first.
#include <shellapi.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <cwchar>

#include "selection/drop_list.h"
#include "win/ansi_path.h"

namespace vlpd {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 names are kept as char16_t");

// Asks the enumerator for one format; the element itself is not consulted, but a target device
// it carries is ours to free.
HRESULT NextFormat(IEnumFORMATETC* formats, bool* delivered) {
  FORMATETC element = {};
  ULONG fetched = 0;
  const HRESULT hr = formats->Next(1, &element, &fetched);
  *delivered = SUCCEEDED(hr) && fetched == 1;
  const TaskMemory<DVTARGETDEVICE> device(*delivered ? element.ptd : nullptr);
  return hr;
}

// An ANSI name and its UTF-16 form, converted from the ANSI code page.
bool AppendAnsiName(SelectionList& list, const char* name, std::size_t bytes) {
  wchar_t wide[MAX_PATH];
  const int units = MultiByteToWideChar(CP_ACP, 0, name, static_cast<int>(bytes), wide, MAX_PATH);
  if (units <= 0 || units >= MAX_PATH) return list.Append(name, bytes);
  return list.Append(name, bytes, reinterpret_cast<const char16_t*>(wide), static_cast<std::size_t>(units));
}

// A UTF-16 name (copied out of the block, whose units need not be aligned) and the ANSI path that
// names the same file; a name without one is left out. False only when memory runs out.
bool AppendWideName(SelectionList& list, const unsigned char* units_at, std::size_t units) {
  if (units >= MAX_PATH) return true;
  wchar_t wide[MAX_PATH];
  std::memcpy(wide, units_at, units * sizeof(wchar_t));
  char ansi[kAnsiPathBufferSize];
  std::size_t bytes = 0;
  if (ToAnsiPath(wide, units, ansi, &bytes) == AnsiPathKind::kRefused) return true;
  return list.Append(ansi, bytes, reinterpret_cast<const char16_t*>(wide), units);
}

// Empties `list` and makes room for `count` names of `units` units in all, terminators included:
// as many characters for each form (exact for an ANSI list and for ASCII names; double-byte
// characters and short names make the ANSI buffer grow), but no more than a path buffer a name.
HRESULT Prepare(SelectionList& list, std::size_t count, std::size_t units) {
  if (count > static_cast<std::size_t>(INT_MAX)) return E_OUTOFMEMORY;
  const std::size_t most = count <= SIZE_MAX / kPathBufferSize ? count * kPathBufferSize : SIZE_MAX;
  const std::size_t ahead = units < most ? units : most;
  return list.Reserve(static_cast<int>(count), ahead, ahead) ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

HRESULT FetchDropList(IDataObject* data, StorageMedium& medium) {
  return medium.Fetch(data, {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
}

HRESULT FillSelection(SelectionList& list, const WideName* names, std::size_t count) {
  list.Free();
  if (count == 0) return S_OK;
  if (names == nullptr) return E_INVALIDARG;
  std::size_t units = 0;
  for (std::size_t i = 0; i < count; ++i) {
    // A name too long to keep plans no room, so the sum stays under a path buffer a name.
    if (names[i].units < kMaxPath) units += names[i].units + 1;
  }
  const HRESULT hr = Prepare(list, count, units);
  if (FAILED(hr)) return hr;
  for (std::size_t i = 0; i < count; ++i) {
    const WideName& name = names[i];
    if (name.units == 0 || name.text == nullptr) continue;
    if (!AppendWideName(list, reinterpret_cast<const unsigned char*>(name.text), name.units)) {
      list.Free();
      return E_OUTOFMEMORY;
    }
  }
  if (list.Count() == 0) list.Free();
  return S_OK;
}

bool ShellSelection::AttachFolder(const wchar_t* path) {
  data_.Reset();
  held_ = false;
  folder_units_ = 0;
  const std::size_t units = wcsnlen(path, MAX_PATH);
  if (units == 0 || units >= MAX_PATH) return false;
  std::memcpy(folder_, path, units * sizeof(wchar_t));
  folder_units_ = units;
  return true;
}

HRESULT ShellSelection::Hold(const WideName* names, std::size_t count) {
  data_.Reset();
  held_ = true;
  folder_units_ = 0;
  listed_ = count;
  return FillSelection(list_, names, count);
}

HRESULT ShellSelection::Refill(int wanted) {
  if (held_ && !data_) return S_OK;
  Free();
  if (folder_units_ > 0) {
    listed_ = 1;
    const WideName folder = {folder_, folder_units_};
    return FillSelection(list_, &folder, wanted < 1 ? 0 : 1);
  }
  if (!data_) return E_UNEXPECTED;

  ComRef<IEnumFORMATETC> formats;
  HRESULT hr = data_->EnumFormatEtc(DATADIR_GET, formats.Put());
  if (FAILED(hr)) return hr;
  if (!formats) return E_UNEXPECTED;
  hr = formats->Reset();
  if (FAILED(hr)) return hr;
  bool delivered = false;
  hr = NextFormat(formats.Get(), &delivered);
  if (FAILED(hr)) return hr;

  // Each enumerated format grants one more attempt at the drop list.
  StorageMedium medium;
  HRESULT got = E_FAIL;
  for (;;) {
    if (!delivered) return hr;
    got = FetchDropList(data_.Get(), medium);
    if (SUCCEEDED(got) && medium.Get().tymed == TYMED_HGLOBAL) break;
    medium.Reset();
    hr = NextFormat(formats.Get(), &delivered);
    if (FAILED(hr)) return hr;
  }

  // A short or malformed block reads as an empty selection; the names are read in one pass.
  const HGLOBAL block = medium.Get().hGlobal;
  const SIZE_T size = GlobalSize(block);
  const GlobalLockGuard lock(block);
  if (lock.Data() == nullptr) return got;
  const auto* data = static_cast<const unsigned char*>(lock.Data());
  DropNameWalker walker(data, static_cast<std::size_t>(size));
  listed_ = walker.Count();
  if (listed_ == 0 || wanted < 1) return got;
  const std::size_t kept =
      listed_ < static_cast<std::size_t>(wanted) ? listed_ : static_cast<std::size_t>(wanted);
  hr = Prepare(list_, kept, walker.ListUnits());
  if (FAILED(hr)) return hr;

  DropName name;
  while (static_cast<std::size_t>(list_.Count()) < kept && walker.Next(&name)) {
    // A name of 260 bytes or more is left out rather than kept cut short.
    if (name.units == 0 || (!walker.Wide() && name.units >= kMaxPath)) continue;
    const bool appended =
        walker.Wide() ? AppendWideName(list_, data + name.offset, name.units)
                      : AppendAnsiName(list_, reinterpret_cast<const char*>(data + name.offset), name.units);
    if (!appended) {
      list_.Free();
      return E_OUTOFMEMORY;
    }
  }
  if (list_.Count() == 0) list_.Free();
  return got;
}

}  // namespace vlpd
