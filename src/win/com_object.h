// What every COM class of the server shares: the interface table that QueryInterface walks, the reference
// count, and the module's count of live objects.
#pragma once

#include <windows.h>

#include <cstddef>

#include "win/module_state.h"

namespace vlpd {

// One row of an interface table: an interface identifier and how to reach that interface of the
// object. The first row also answers IID_IUnknown, so it fixes the object's identity.
template <typename Object>
struct InterfaceEntry {
  const IID* iid;
  IUnknown* (*cast)(Object* object);
};

template <typename Object, typename Interface>
IUnknown* CastTo(Object* object) {
  return static_cast<Interface*>(object);
}

// One live object in the module's count, from before the object's first base is made until after
// its last one is destroyed.
class ModuleObject {
 protected:
  ModuleObject() { AddObject(); }
  ~ModuleObject() { RemoveObject(); }
};

// Implements IUnknown for `Object`, which derives from this with its interfaces and names them in
// a static table `kInterfaces` of InterfaceEntry<Object> rows. Both counts are interlocked: a
// caller may release an object on another thread than the one that made it, and objects of
// several apartments share the module count. The module count is the first base, so it is given
// back last: an interface's destructor (one that releases the shell's site, say) still runs in a
// module that cannot be unloaded.
template <typename Object, typename... Interfaces>
class ComObject : private ModuleObject, public Interfaces... {
 public:
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    auto* self = static_cast<Object*>(this);
    for (const InterfaceEntry<Object>& entry : Object::kInterfaces) {
      if (IsEqualIID(riid, *entry.iid) || (&entry == Object::kInterfaces && IsEqualIID(riid, IID_IUnknown))) {
        IUnknown* found = entry.cast(self);
        found->AddRef();
        *out = found;
        return S_OK;
      }
    }
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete static_cast<Object*>(this);
    return static_cast<ULONG>(left);
  }

 protected:
  // Made with a reference count of 0: the first QueryInterface takes it to 1.
  ComObject() = default;
  ~ComObject() = default;

 private:
  LONG volatile references_ = 0;
};

// Hands out `riid` of a new object (made with a reference count of 0, null when memory ran out),
// which a refused interface destroys again.
template <typename Object>
HRESULT QueryNewObject(Object* object, REFIID riid, void** out) {
  if (object == nullptr) return E_OUTOFMEMORY;
  object->AddRef();
  const HRESULT hr = object->QueryInterface(riid, out);
  object->Release();
  return hr;
}

}  // namespace vlpd
