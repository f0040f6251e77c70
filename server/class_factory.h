// The class factory of the handler: a new one for every DllGetClassObject call.
#pragma once

#include <windows.h>
// unknwn.h needs windows.h first.
#include <unknwn.h>

#include "win/com_object.h"

namespace vlpd {

class CDllVLPDMenuClassFactory final : public ComObject<CDllVLPDMenuClassFactory, IClassFactory> {
 public:
  static const InterfaceEntry<CDllVLPDMenuClassFactory> kInterfaces[1];

  // Made with a reference count of 0 and counted among the module's live objects.
  CDllVLPDMenuClassFactory() = default;

  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** out) override;
  // Locks are not counted: only live objects keep the module loaded.
  STDMETHODIMP LockServer(BOOL lock) override;

 private:
  friend ComObject;
  ~CDllVLPDMenuClassFactory() = default;
};

// DllGetClassObject's work: a new factory for the server's class, asked for `riid`.
HRESULT GetVLPDMenuClassObject(REFCLSID clsid, REFIID riid, void** out);

}  // namespace vlpd
