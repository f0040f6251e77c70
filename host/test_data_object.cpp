#include "host/test_data_object.h"

#include <shlobj.h>

#include <algorithm>
#include <cstring>

namespace vlpd::test {
namespace {

FORMATETC HdropFormat(CLIPFORMAT format) { return {format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

class FormatEnumerator : public IEnumFORMATETC {
 public:
  FormatEnumerator(std::vector<FORMATETC> formats, std::shared_ptr<std::vector<void*>> devices)
      : formats_(std::move(formats)), devices_(std::move(devices)) {}

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    *out = nullptr;
    if (riid != IID_IUnknown && riid != IID_IEnumFORMATETC) return E_NOINTERFACE;
    *out = static_cast<IEnumFORMATETC*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  STDMETHODIMP Next(ULONG wanted, FORMATETC* out, ULONG* fetched) override {
    ULONG n = 0;
    for (; n < wanted && next_ < formats_.size(); ++n) {
      out[n] = formats_[next_++];
      if (devices_ != nullptr) {
        out[n].ptd = static_cast<DVTARGETDEVICE*>(CoTaskMemAlloc(1 << 20));
        devices_->push_back(out[n].ptd);
      }
    }
    if (fetched != nullptr) *fetched = n;
    return n == wanted ? S_OK : S_FALSE;
  }
  STDMETHODIMP Skip(ULONG count) override {
    next_ += count;
    return next_ <= formats_.size() ? S_OK : S_FALSE;
  }
  STDMETHODIMP Reset() override {
    next_ = 0;
    return S_OK;
  }
  STDMETHODIMP Clone(IEnumFORMATETC** out) override {
    *out = new FormatEnumerator(formats_, devices_);
    return S_OK;
  }

 private:
  virtual ~FormatEnumerator() = default;
  ULONG references_ = 1;
  std::vector<FORMATETC> formats_;
  std::shared_ptr<std::vector<void*>> devices_;  // null: no target devices
  size_t next_ = 0;
};

// The pUnkForRelease of a counted medium: owns the block, and counts its one release.
class MediumOwner : public IUnknown {
 public:
  MediumOwner(HGLOBAL block, std::shared_ptr<std::atomic<long>> released)
      : block_(block), released_(std::move(released)) {}

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    *out = nullptr;
    if (riid != IID_IUnknown) return E_NOINTERFACE;
    *out = static_cast<IUnknown*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&references_); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) {
      ++*released_;
      delete this;
    }
    return left;
  }

 private:
  virtual ~MediumOwner() = default;
  LONG references_ = 1;
  GlobalBlock block_;
  std::shared_ptr<std::atomic<long>> released_;
};

HGLOBAL DropBlockOf(const std::vector<unsigned char>& names, bool wide) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + names.size());
  auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = wide;
  std::memcpy(reinterpret_cast<unsigned char*>(drop) + sizeof(DROPFILES), names.data(), names.size());
  GlobalUnlock(block);
  return block;
}

}  // namespace

HGLOBAL MakeDropBlock(const std::vector<std::wstring>& paths) {
  std::vector<unsigned char> names;
  for (const std::wstring& p : paths) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(p.c_str());
    names.insert(names.end(), bytes, bytes + (p.size() + 1) * sizeof(wchar_t));
  }
  names.insert(names.end(), paths.empty() ? 4 : 2, 0);
  return DropBlockOf(names, true);
}

HGLOBAL MakeDropBlock(const std::vector<std::string>& paths, bool wide) {
  if (wide) {
    std::vector<std::wstring> wide_paths;
    for (const std::string& p : paths) {
      const int units = MultiByteToWideChar(CP_ACP, 0, p.c_str(), -1, nullptr, 0);
      std::wstring w(static_cast<size_t>(units), L'\0');
      MultiByteToWideChar(CP_ACP, 0, p.c_str(), -1, w.data(), units);
      w.resize(static_cast<size_t>(units) - 1);
      wide_paths.push_back(w);
    }
    return MakeDropBlock(wide_paths);
  }
  std::vector<unsigned char> names;
  for (const std::string& p : paths) names.insert(names.end(), p.c_str(), p.c_str() + p.size() + 1);
  names.insert(names.end(), paths.empty() ? 2 : 1, 0);
  return DropBlockOf(names, false);
}

ComRef<TestDataObject> TestDataObject::Make(std::vector<std::string> paths, DropOptions options) {
  return ComRef<TestDataObject>::Adopt(new TestDataObject(std::move(paths), std::move(options)));
}

TestDataObject::TestDataObject(std::vector<std::string> paths, DropOptions options)
    : paths_(std::move(paths)), options_(std::move(options)) {}

STDMETHODIMP TestDataObject::QueryInterface(REFIID riid, void** out) {
  *out = nullptr;
  if (riid != IID_IUnknown && riid != IID_IDataObject) return E_NOINTERFACE;
  *out = static_cast<IDataObject*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) TestDataObject::AddRef() { return InterlockedIncrement(&references_); }

STDMETHODIMP_(ULONG) TestDataObject::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return left;
}

HGLOBAL TestDataObject::MakeDropBlock() const {
  if (!options_.unicode_paths.empty()) return test::MakeDropBlock(options_.unicode_paths);
  if (!options_.use_raw_block) return test::MakeDropBlock(paths_, options_.wide_names);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, options_.raw_block.empty() ? 1 : options_.raw_block.size());
  if (!options_.raw_block.empty()) {
    std::memcpy(GlobalLock(block), options_.raw_block.data(), options_.raw_block.size());
    GlobalUnlock(block);
  }
  return block;
}

STDMETHODIMP TestDataObject::GetData(FORMATETC* format, STGMEDIUM* medium) {
  ++get_data_calls_;
  std::memset(medium, 0, sizeof *medium);
  if (!options_.offer_hdrop || format->cfFormat != CF_HDROP) return DV_E_FORMATETC;
  const bool stream =
      options_.stream_regardless || (options_.stream_only && (format->tymed & TYMED_ISTREAM) != 0);
  if (!stream && (options_.stream_only || (format->tymed & TYMED_HGLOBAL) == 0)) return DV_E_TYMED;
  if (options_.null_block) {
    medium->tymed = TYMED_HGLOBAL;
    ++handed_out_;
    return S_OK;
  }
  GlobalBlock block(MakeDropBlock());
  if (!block) return E_OUTOFMEMORY;
  if (stream) {
    if (FAILED(CreateStreamOnHGlobal(block.Get(), TRUE, &medium->pstm))) return E_OUTOFMEMORY;
    medium->tymed = TYMED_ISTREAM;
  } else {
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = block.Get();
    if (options_.count_releases) medium->pUnkForRelease = new MediumOwner(block.Get(), released_);
  }
  block.Release();  // the stream, the medium or its owner frees it from here on
  ++handed_out_;
  return S_OK;
}

STDMETHODIMP TestDataObject::QueryGetData(FORMATETC* format) {
  if (!options_.offer_hdrop || format->cfFormat != CF_HDROP) return DV_E_FORMATETC;
  return options_.stream_only && (format->tymed & TYMED_ISTREAM) == 0 ? DV_E_TYMED : S_OK;
}

STDMETHODIMP TestDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
  out->ptd = nullptr;
  return E_NOTIMPL;
}

bool TestDataObject::TargetDevicesFreed() const {
  return !target_devices_->empty() &&
         std::none_of(target_devices_->begin(), target_devices_->end(),
                      [](void* p) { return HeapValidate(GetProcessHeap(), 0, p) != FALSE; });
}

STDMETHODIMP TestDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) {
  *out = nullptr;
  if (direction != DATADIR_GET) return E_NOTIMPL;
  std::vector<FORMATETC> formats;
  if (!options_.enumerate_nothing) {
    if (options_.hdrop_not_first) formats.push_back(HdropFormat(CF_TEXT));
    formats.push_back(HdropFormat(CF_HDROP));
    if (options_.stream_only) formats.back().tymed = TYMED_ISTREAM;
  }
  *out = new FormatEnumerator(std::move(formats), options_.target_devices ? target_devices_ : nullptr);
  return S_OK;
}

}  // namespace vlpd::test
