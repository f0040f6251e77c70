#include "server/class_factory.h"

#include <new>

#include "handler/vlpd_menu.h"
#include "server/clsid.h"

namespace vlpd {
namespace {

// Hands out `riid` of a new object, which a refused interface destroys again.
template <typename Object>
HRESULT QueryNewObject(Object* object, REFIID riid, void** out) {
  if (object == nullptr) return E_OUTOFMEMORY;
  object->AddRef();
  const HRESULT hr = object->QueryInterface(riid, out);
  object->Release();
  return hr;
}

}  // namespace

const InterfaceEntry<CDllVLPDMenuClassFactory> CDllVLPDMenuClassFactory::kInterfaces[1] = {
    {&IID_IClassFactory, CastTo<CDllVLPDMenuClassFactory, IClassFactory>},
};

STDMETHODIMP CDllVLPDMenuClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  return QueryNewObject(new (std::nothrow) CVLPDMenu(), riid, out);
}

STDMETHODIMP CDllVLPDMenuClassFactory::LockServer(BOOL) { return S_OK; }

HRESULT GetVLPDMenuClassObject(REFCLSID clsid, REFIID riid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (!IsEqualCLSID(clsid, kClsidVLPDMenu)) return CLASS_E_CLASSNOTAVAILABLE;
  return QueryNewObject(new (std::nothrow) CDllVLPDMenuClassFactory(), riid, out);
}

}  // namespace vlpd
