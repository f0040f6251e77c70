// The class factory of the server's classes: a new one for every DllGetClassObject call, making
// objects of the class it was asked for.
#pragma once

#include <windows.h>
// unknwn.h needs windows.h first.
#include <unknwn.h>

#include "win/com_object.h"

namespace vlpd {

class CDllVLPDMenuClassFactory final : public ComObject<CDllVLPDMenuClassFactory, IClassFactory> {
 public:
  static const InterfaceEntry<CDllVLPDMenuClassFactory> kInterfaces[1];

  // Makes a new object and hands out `riid` of it, as CreateInstance does.
  using Maker = HRESULT (*)(REFIID riid, void** out);

  // Made with a reference count of 0 and counted among the module's live objects.
  explicit CDllVLPDMenuClassFactory(Maker maker) : maker_(maker) {}

  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** out) override;
  // Locks are not counted: only live objects keep the module loaded.
  STDMETHODIMP LockServer(BOOL lock) override;

 private:
  friend ComObject;
  ~CDllVLPDMenuClassFactory() = default;

  Maker maker_;
};

// DllGetClassObject's work: a new factory for one of the server's classes, asked for `riid`.
HRESULT GetVLPDMenuClassObject(REFCLSID clsid, REFIID riid, void** out);

}  // namespace vlpd
