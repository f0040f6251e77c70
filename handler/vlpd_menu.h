// CVLPDMenu, the context-menu handler: one object with two interfaces and one reference count.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "handler/selection_list.h"

namespace vlpd {

class CVLPDMenu : public IContextMenu, public IShellExtInit {
 public:
  // Made with a reference count of 0; the factory's QueryInterface takes it to 1.
  CVLPDMenu();

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
  // could not be read; success may still leave the list empty.
  HRESULT RefillSelection();
  void FreeSelection() { selection_.Free(); }
  const SelectionList& Selection() const { return selection_; }

 private:
  ~CVLPDMenu();

  LONG references_ = 0;
  IDataObject* data_ = nullptr;  // the shell's data object, one reference owned
  // One list per handler, so handlers driven from several shell threads never share one.
  SelectionList selection_;
};

}  // namespace vlpd
