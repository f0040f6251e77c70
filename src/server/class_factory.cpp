#include "server/class_factory.h"

#include <new>

#include "classic_menu/vlpd_menu.h"
#include "explorer_command/explorer_command.h"
#include "server/clsid.h"

namespace vlpd {
namespace {

template <typename Object>
HRESULT MakeObject(REFIID riid, void** out) {
  return QueryNewObject(new (std::nothrow) Object(), riid, out);
}

// The server's classes and what their factories make.
struct ServedClass {
  const CLSID* clsid;
  CDllVLPDMenuClassFactory::Maker maker;
};

constexpr ServedClass kServedClasses[] = {
    {&kClsidVLPDMenu, MakeObject<CVLPDMenu>},
    {&kClsidVLPDCommand, MakeObject<CVLPDCommand>},
};

}  // namespace

const InterfaceEntry<CDllVLPDMenuClassFactory> CDllVLPDMenuClassFactory::kInterfaces[1] = {
    {&IID_IClassFactory, CastTo<CDllVLPDMenuClassFactory, IClassFactory>},
};

STDMETHODIMP CDllVLPDMenuClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  return maker_(riid, out);
}

STDMETHODIMP CDllVLPDMenuClassFactory::LockServer(BOOL) { return S_OK; }

HRESULT GetVLPDMenuClassObject(REFCLSID clsid, REFIID riid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  for (const ServedClass& served : kServedClasses) {
    if (IsEqualCLSID(clsid, *served.clsid)) {
      return QueryNewObject(new (std::nothrow) CDllVLPDMenuClassFactory(served.maker), riid, out);
    }
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

}  // namespace vlpd
