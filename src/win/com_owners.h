// Move-only owners of what COM itself hands out: memory of the task allocator, a data object's
// storage medium, and the calling thread's place in an apartment.
#pragma once

#include <windows.h>
// ole2.h needs windows.h first.
#include <ole2.h>

#include "win/unique_handle.h"

namespace vlpd {

template <typename T>
struct TaskMemoryTraits {
  static T* Invalid() { return nullptr; }
  static void Close(T* p) { CoTaskMemFree(p); }
};

// A block the callee allocated with the COM task allocator and the caller frees.
template <typename T>
using TaskMemory = UniqueHandle<T*, TaskMemoryTraits<T>>;
using TaskString = TaskMemory<wchar_t>;

// A storage medium that a data object handed over, released on every path.
class StorageMedium {
 public:
  StorageMedium() = default;
  ~StorageMedium() { Reset(); }
  StorageMedium(const StorageMedium&) = delete;
  StorageMedium& operator=(const StorageMedium&) = delete;

  // Asks `data` for `format`; the medium is owned only when the call succeeded.
  HRESULT Fetch(IDataObject* data, FORMATETC format) {
    Reset();
    const HRESULT hr = data->GetData(&format, &medium_);
    filled_ = SUCCEEDED(hr);
    return hr;
  }
  void Reset() {
    if (filled_) ReleaseStgMedium(&medium_);
    filled_ = false;
    medium_ = STGMEDIUM{};
  }
  const STGMEDIUM& Get() const { return medium_; }

 private:
  STGMEDIUM medium_ = {};
  bool filled_ = false;
};

// The calling thread in an apartment of the given model for the scope of the object; it leaves
// only when it joined.
class ComApartment {
 public:
  explicit ComApartment(DWORD model = COINIT_APARTMENTTHREADED) : result_(CoInitializeEx(nullptr, model)) {}
  ~ComApartment() {
    if (Joined()) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  bool Joined() const { return SUCCEEDED(result_); }

 private:
  HRESULT result_;
};

}  // namespace vlpd
