#include "server/class_factory.h"

#include <new>

#include "handler/vlpd_menu.h"
#include "server/clsid.h"
#include "server/module_state.h"

namespace vlpd {

CDllVLPDMenuClassFactory::CDllVLPDMenuClassFactory() { AddObject(); }

CDllVLPDMenuClassFactory::~CDllVLPDMenuClassFactory() { RemoveObject(); }

STDMETHODIMP CDllVLPDMenuClassFactory::QueryInterface(REFIID riid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) return E_NOINTERFACE;
  *out = static_cast<IClassFactory*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) CDllVLPDMenuClassFactory::AddRef() { return static_cast<ULONG>(++references_); }

STDMETHODIMP_(ULONG) CDllVLPDMenuClassFactory::Release() {
  const LONG left = --references_;
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

STDMETHODIMP CDllVLPDMenuClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  auto* handler = new (std::nothrow) CVLPDMenu();
  if (handler == nullptr) return E_OUTOFMEMORY;
  // Held for the query so that a refused interface destroys the new handler again.
  handler->AddRef();
  const HRESULT hr = handler->QueryInterface(riid, out);
  handler->Release();
  return hr;
}

STDMETHODIMP CDllVLPDMenuClassFactory::LockServer(BOOL) { return S_OK; }

HRESULT GetVLPDMenuClassObject(REFCLSID clsid, REFIID riid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (!IsEqualCLSID(clsid, kClsidVLPDMenu)) return CLASS_E_CLASSNOTAVAILABLE;
  auto* factory = new (std::nothrow) CDllVLPDMenuClassFactory();
  if (factory == nullptr) return E_OUTOFMEMORY;
  factory->AddRef();
  const HRESULT hr = factory->QueryInterface(riid, out);
  factory->Release();
  return hr;
}

}  // namespace vlpd
