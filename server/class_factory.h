// The class factory of the handler: a new one for every DllGetClassObject call.
#pragma once

#include <unknwn.h>
#include <windows.h>

namespace vlpd {

class CDllVLPDMenuClassFactory final : public IClassFactory {
 public:
  // Made with a reference count of 0 and counted among the module's live objects.
  CDllVLPDMenuClassFactory();
  CDllVLPDMenuClassFactory(const CDllVLPDMenuClassFactory&) = delete;
  CDllVLPDMenuClassFactory& operator=(const CDllVLPDMenuClassFactory&) = delete;

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** out) override;
  // Locks are not counted: only live objects keep the module loaded.
  STDMETHODIMP LockServer(BOOL lock) override;

 private:
  ~CDllVLPDMenuClassFactory();

  LONG references_ = 0;
};

// DllGetClassObject's work: a new factory for the server's class, asked for `riid`.
HRESULT GetVLPDMenuClassObject(REFCLSID clsid, REFIID riid, void** out);

}  // namespace vlpd
