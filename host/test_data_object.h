// A data object of our own that offers CF_HDROP for a list of ANSI paths, with the odd shapes a
// shell (or a hostile caller) may hand to the handler.
#pragma once

#include <objidl.h>
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "win/unique_handle.h"

namespace vlpd::test {

struct DropOptions {
  bool offer_hdrop = true;         // GetData(CF_HDROP) succeeds
  bool enumerate_nothing = false;  // EnumFormatEtc lists no formats at all
  bool hdrop_not_first = false;    // EnumFormatEtc lists CF_TEXT before CF_HDROP
  bool wide_names = false;         // DROPFILES with fWide, as the shell builds it
  // When not empty: a UTF-16 list (fWide) of these paths instead, for names outside code page 932.
  std::vector<std::wstring> unicode_paths;
  bool use_raw_block = false;  // hand over `raw_block` as the drop list, bytes as they are
  std::vector<unsigned char> raw_block;
  bool null_block = false;         // GetData answers S_OK with no block at all
  bool stream_only = false;        // the drop list is offered as TYMED_ISTREAM only, never as HGLOBAL
  bool stream_regardless = false;  // GetData answers S_OK with a stream whatever medium was asked
  // Every medium handed out carries a pUnkForRelease that owns its block, so that each
  // ReleaseStgMedium is counted (MediaReleased) and frees the block.
  bool count_releases = false;
  // Every enumerated format carries a target device of 1 MiB, the caller's to free.
  bool target_devices = false;
};

class TestDataObject : public IDataObject {
 public:
  static ComRef<TestDataObject> Make(std::vector<std::string> paths, DropOptions options = {});

  LONG References() const { return references_; }
  int GetDataCalls() const { return get_data_calls_; }
  // Media handed out by a successful GetData, and those given back (with count_releases).
  long MediaHandedOut() const { return handed_out_; }
  long MediaReleased() const { return *released_; }
  // With target_devices: some were handed out, and every one was freed (a freed block of that
  // size goes back to the system, so the heap no longer knows it).
  bool TargetDevicesFreed() const;

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override;
  STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  STDMETHODIMP QueryGetData(FORMATETC* format) override;
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override;
  STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override;
  STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  TestDataObject(std::vector<std::string> paths, DropOptions options);
  virtual ~TestDataObject() = default;
  HGLOBAL MakeDropBlock() const;

  LONG references_ = 1;
  int get_data_calls_ = 0;
  std::atomic<long> handed_out_{0};
  std::shared_ptr<std::atomic<long>> released_ = std::make_shared<std::atomic<long>>(0);
  std::shared_ptr<std::vector<void*>> target_devices_ = std::make_shared<std::vector<void*>>();
  std::vector<std::string> paths_;
  DropOptions options_;
};

// Builds a CF_HDROP block (DROPFILES and the double-terminated name list).
HGLOBAL MakeDropBlock(const std::vector<std::string>& paths, bool wide);
HGLOBAL MakeDropBlock(const std::vector<std::wstring>& paths);

}  // namespace vlpd::test
