#include "selection/shell_selection.h"

// The shell headers need windows.h first.
#include <shellapi.h>

#include <cstring>

#include "selection/drop_list.h"

namespace vlpd {
namespace {

// A medium that GetData handed over, released on every path.
class Medium {
 public:
  Medium() = default;
  ~Medium() {
    if (filled_) ReleaseStgMedium(&medium_);
  }
  Medium(const Medium&) = delete;
  Medium& operator=(const Medium&) = delete;

  // Asks `data` for the drop list; the medium is owned only when the call succeeded.
  HRESULT Fetch(IDataObject* data) {
    Release();
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    const HRESULT hr = data->GetData(&format, &medium_);
    filled_ = SUCCEEDED(hr);
    return hr;
  }
  void Release() {
    if (filled_) ReleaseStgMedium(&medium_);
    filled_ = false;
    medium_ = STGMEDIUM{};
  }
  const STGMEDIUM& Get() const { return medium_; }

 private:
  STGMEDIUM medium_ = {};
  bool filled_ = false;
};

// Asks the enumerator for one format; the element itself is not consulted, but a target device
// it carries is ours to free.
HRESULT NextFormat(IEnumFORMATETC* formats, bool* delivered) {
  FORMATETC element = {};
  ULONG fetched = 0;
  const HRESULT hr = formats->Next(1, &element, &fetched);
  *delivered = SUCCEEDED(hr) && fetched == 1;
  if (*delivered && element.ptd != nullptr) CoTaskMemFree(element.ptd);
  return hr;
}

bool DropListReadable(HGLOBAL block) {
  const SIZE_T size = GlobalSize(block);
  GlobalLockGuard lock(block);
  return lock.Data() != nullptr &&
         ValidateDropList(static_cast<const unsigned char*>(lock.Data()), static_cast<std::size_t>(size));
}

}  // namespace

HRESULT ShellSelection::Refill() {
  list_.Free();
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
  Medium medium;
  HRESULT got = E_FAIL;
  for (;;) {
    if (!delivered) return hr;
    got = medium.Fetch(data_.Get());
    if (SUCCEEDED(got) && medium.Get().tymed == TYMED_HGLOBAL) break;
    medium.Release();
    hr = NextFormat(formats.Get(), &delivered);
    if (FAILED(hr)) return hr;
  }

  // A short or malformed block reads as an empty selection: DragQueryFileA trusts it blindly.
  const HGLOBAL block = medium.Get().hGlobal;
  if (!DropListReadable(block)) return got;
  const auto drop = static_cast<HDROP>(block);
  const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  if (count < 1) return got;
  if (!list_.Reserve(static_cast<int>(count))) return E_OUTOFMEMORY;

  for (UINT i = 0; i < count; ++i) {
    // A name that would not fit a 260-byte read is left out rather than kept cut short.
    const UINT length = DragQueryFileA(drop, i, nullptr, 0);
    if (length == 0 || length >= kMaxPath) continue;
    // The read itself has room for twice the limit, so that a name whose reported length
    // understates its bytes (a wide list counted in UTF-16 units) still arrives whole and is
    // measured here, never cut short.
    char name[2 * kMaxPath + 1] = {};
    DragQueryFileA(drop, i, name, sizeof name - 1);
    const std::size_t bytes = strnlen(name, sizeof name);
    if (bytes == 0 || bytes >= kMaxPath) continue;
    if (!list_.Append(name, bytes)) {
      list_.Free();
      return E_OUTOFMEMORY;
    }
  }
  if (list_.Count() == 0) list_.Free();
  return got;
}

}  // namespace vlpd
