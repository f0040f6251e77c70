// The menu that Windows 11 shows first: a root command whose subcommands are the command table's
// rows, in the classic submenu's order and with its separators. Each call reads the selection
// from the shell item array it is given; the site, when the shell sets one, gives the owner
// window of the save dialog.
#pragma once

#include <windows.h>
// The shell headers need windows.h first.
#include <shobjidl.h>

#include "selection/item_array.h"
#include "win/com_object.h"
#include "win/unique_handle.h"

namespace vlpd {

// The site the shell sets on a command of the tree: the owner window of its dialogs. The root
// hands its site to the subcommands it makes, until the shell sets another on them.
class ExplorerCommandSite : public IObjectWithSite {
 public:
  STDMETHODIMP SetSite(IUnknown* site) override;
  STDMETHODIMP GetSite(REFIID riid, void** out) override;

 protected:
  ExplorerCommandSite() = default;
  ~ExplorerCommandSite() = default;

  ComRef<IUnknown> site_;
};

// The root item: the submenu's caption and the editor's icon.
class CVLPDCommand final : public ComObject<CVLPDCommand, IExplorerCommand, ExplorerCommandSite> {
 public:
  // The identity pointer is the IExplorerCommand one.
  static const InterfaceEntry<CVLPDCommand> kInterfaces[2];

  CVLPDCommand() = default;

  // IExplorerCommand
  STDMETHODIMP GetTitle(IShellItemArray* items, LPWSTR* name) override;
  STDMETHODIMP GetIcon(IShellItemArray* items, LPWSTR* icon) override;
  STDMETHODIMP GetToolTip(IShellItemArray* items, LPWSTR* tip) override;
  STDMETHODIMP GetCanonicalName(GUID* name) override;
  STDMETHODIMP GetState(IShellItemArray* items, BOOL ok_to_be_slow, EXPCMDSTATE* state) override;
  STDMETHODIMP Invoke(IShellItemArray* items, IBindCtx* bind) override;
  STDMETHODIMP GetFlags(EXPCMDFLAGS* flags) override;
  STDMETHODIMP EnumSubCommands(IEnumExplorerCommand** commands) override;

  // The state of `items` for the root and every subcommand (see ReadItemArrayState), read once
  // for the array the shell asks about: it asks the root and then each subcommand in turn, and
  // every read goes to the shell items. A state that needs the disk is read again next time.
  HRESULT StateOf(IShellItemArray* items, bool may_touch_disk, ItemArrayState* state);

 private:
  friend ComObject;
  ~CVLPDCommand() = default;

  // The array last read and its state; the reference keeps another array from taking its address.
  ComRef<IShellItemArray> read_items_;
  ItemArrayState read_state_;
};

// One position of the submenu: a command row or a separator.
class CVLPDSubCommand final : public ComObject<CVLPDSubCommand, IExplorerCommand, ExplorerCommandSite> {
 public:
  static const InterfaceEntry<CVLPDSubCommand> kInterfaces[2];

  // `position` indexes the submenu (kSubmenu); the site is the root's, until the shell sets another.
  CVLPDSubCommand(int position, CVLPDCommand* root, IUnknown* site);

  STDMETHODIMP GetTitle(IShellItemArray* items, LPWSTR* name) override;
  STDMETHODIMP GetIcon(IShellItemArray* items, LPWSTR* icon) override;
  STDMETHODIMP GetToolTip(IShellItemArray* items, LPWSTR* tip) override;
  STDMETHODIMP GetCanonicalName(GUID* name) override;
  STDMETHODIMP GetState(IShellItemArray* items, BOOL ok_to_be_slow, EXPCMDSTATE* state) override;
  STDMETHODIMP Invoke(IShellItemArray* items, IBindCtx* bind) override;
  STDMETHODIMP GetFlags(EXPCMDFLAGS* flags) override;
  STDMETHODIMP EnumSubCommands(IEnumExplorerCommand** commands) override;

 private:
  friend ComObject;
  ~CVLPDSubCommand() = default;

  int position_;
  ComRef<CVLPDCommand> root_;
};

// The root's subcommands, one submenu position after another.
class CVLPDCommandEnum final : public ComObject<CVLPDCommandEnum, IEnumExplorerCommand> {
 public:
  static const InterfaceEntry<CVLPDCommandEnum> kInterfaces[1];

  CVLPDCommandEnum(int next, CVLPDCommand* root, IUnknown* site);

  STDMETHODIMP Next(ULONG count, IExplorerCommand** commands, ULONG* fetched) override;
  STDMETHODIMP Skip(ULONG count) override;
  STDMETHODIMP Reset() override;
  STDMETHODIMP Clone(IEnumExplorerCommand** copy) override;

 private:
  friend ComObject;
  ~CVLPDCommandEnum() = default;

  int next_;
  ComRef<CVLPDCommand> root_;
  ComRef<IUnknown> site_;
};

}  // namespace vlpd
