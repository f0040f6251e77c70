// CVLPDMenu, the context-menu handler: one object with two interfaces and one reference count.
#pragma once

#include <windows.h>
// The shell headers need windows.h first.
#include <shlobj.h>

#include "handler/selection_list.h"
#include "server/unique_handle.h"

namespace vlpd {

class CVLPDMenu final : public IContextMenu, public IShellExtInit {
 public:
  // Made with a reference count of 0 and counted among the module's live objects; the
  // factory's QueryInterface takes the count to 1.
  CVLPDMenu();
  CVLPDMenu(const CVLPDMenu&) = delete;
  CVLPDMenu& operator=(const CVLPDMenu&) = delete;

  // IUnknown, shared by both interfaces. The identity pointer is the IShellExtInit one.
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IContextMenu
  STDMETHODIMP QueryContextMenu(HMENU menu, UINT index, UINT first_id, UINT last_id, UINT flags) override;
  STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) override;
  STDMETHODIMP GetCommandString(UINT_PTR command, UINT type, UINT* reserved, LPSTR name, UINT size) override;

  // IShellExtInit
  STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* data, HKEY prog_id) override;

  // Reads the stored data object's drop list into Selection(). A failure result means the names
  // could not be read (E_UNEXPECTED when no data object is stored, E_OUTOFMEMORY when memory
  // runs out); success may still leave the list empty. Names of 260 bytes or more are left out.
  HRESULT RefillSelection();
  void FreeSelection() { selection_.Free(); }
  const SelectionList& Selection() const { return selection_; }

 private:
  // Only Release destroys the object: it gives the data object back and leaves the module count.
  ~CVLPDMenu();

  LONG references_ = 0;
  ComRef<IDataObject> data_;  // the shell's data object
  // One list per handler, so handlers driven from several shell threads never share one.
  SelectionList selection_;
};

}  // namespace vlpd
