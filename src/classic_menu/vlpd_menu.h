// CVLPDMenu, the context-menu handler: one object with two interfaces and one reference count.
#pragma once

#include <windows.h>
// The shell headers need windows.h first.
#include <shlobj.h>

#include "classic_menu/packaged_menu.h"
#include "selection/shell_selection.h"
#include "win/com_object.h"

namespace vlpd {

class CVLPDMenu final : public ComObject<CVLPDMenu, IContextMenu, IShellExtInit> {
 public:
  // The identity pointer is the IShellExtInit one.
  static const InterfaceEntry<CVLPDMenu> kInterfaces[2];

  // Made with a reference count of 0 and counted among the module's live objects; the
  // factory's QueryInterface takes the count to 1.
  CVLPDMenu() = default;
  // Asks `probe` instead of the system whether Windows 11 shows our commands here already.
  explicit CVLPDMenu(const PackagedMenuProbe& probe) : probe_(&probe) {}

  // IContextMenu
  STDMETHODIMP QueryContextMenu(HMENU menu, UINT index, UINT first_id, UINT last_id, UINT flags) override;
  STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) override;
  STDMETHODIMP GetCommandString(UINT_PTR command, UINT type, UINT* reserved, LPSTR name, UINT size) override;

  // IShellExtInit
  STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* data, HKEY prog_id) override;

  // The selection read from the stored data object; see ShellSelection::Refill.
  HRESULT RefillSelection(int wanted = ShellSelection::kEveryName) { return selection_.Refill(wanted); }
  void FreeSelection() { selection_.Free(); }
  const SelectionList& Selection() const { return selection_.List(); }
  std::size_t ListedNames() const { return selection_.Listed(); }

 private:
  friend ComObject;
  // Only Release destroys the object; the data object goes back with the selection, before the
  // module count drops.
  ~CVLPDMenu() = default;

  // One selection per handler, so handlers driven from several shell threads never share one.
  ShellSelection selection_;
  const PackagedMenuProbe* probe_ = &kSystemProbe;
};

}  // namespace vlpd
