// The menu that Windows 11 shows first: a root command whose subcommands are the command table's
// rows, in the classic submenu's order and with its separators. Each call reads the selection
// from the shell item array it is given; the site, when the shell sets one, gives the owner
// window of the save dialog.
#pragma once

#include <windows.h>
// The shell headers need windows.h first.
#include <shobjidl.h>

#include "commands/command_table.h"
#include "win/com_object.h"
#include "win/critical_section.h"
#include "win/unique_handle.h"

namespace vlpd {

// One site as the shell set it, shared by those who read it (see the .cpp).
class SiteRegistration;

// The site the shell sets on a command of the tree: the owner window of its dialogs. The shell may
// set it on one thread while another invokes, and invoke from a thread of another apartment than
// the site's: each reader takes a reference of its own that works in its own apartment, and a lock
// guards the one that is current.
class ExplorerCommandSite : public IObjectWithSite {
 public:
  STDMETHODIMP SetSite(IUnknown* site) override;
  STDMETHODIMP GetSite(REFIID riid, void** out) override;

  // The caller's own reference to the site, usable in the caller's apartment; null when no site is
  // set or it cannot be reached from here.
  ComRef<IUnknown> Site();

 protected:
  ExplorerCommandSite();
  ~ExplorerCommandSite();

 private:
  CriticalSection lock_;
  // Declared after the lock, so released before the lock goes.
  ComRef<SiteRegistration> current_;
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

 private:
  friend ComObject;
  ~CVLPDCommand() = default;
};

// One position of the submenu: a command row or a separator.
class CVLPDSubCommand final : public ComObject<CVLPDSubCommand, IExplorerCommand, ExplorerCommandSite> {
 public:
  static const InterfaceEntry<CVLPDSubCommand> kInterfaces[2];

  // `position` indexes the submenu (kSubmenu). Until the shell sets a site on the subcommand, it
  // uses the root's current one: it never copies it, so the shell clears both with the root's.
  CVLPDSubCommand(int position, CVLPDCommand* root);

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

// The root's subcommands, one position of the layout after another: the submenu without the
// hidden commands, as the settings were when the shell asked for the enumeration.
class CVLPDCommandEnum final : public ComObject<CVLPDCommandEnum, IEnumExplorerCommand> {
 public:
  static const InterfaceEntry<CVLPDCommandEnum> kInterfaces[1];

  CVLPDCommandEnum(const SubmenuLayout& layout, int next, CVLPDCommand* root);

  STDMETHODIMP Next(ULONG count, IExplorerCommand** commands, ULONG* fetched) override;
  STDMETHODIMP Skip(ULONG count) override;
  STDMETHODIMP Reset() override;
  STDMETHODIMP Clone(IEnumExplorerCommand** copy) override;

 private:
  friend ComObject;
  ~CVLPDCommandEnum() = default;

  SubmenuLayout layout_;
  int next_;
  ComRef<CVLPDCommand> root_;
};

}  // namespace vlpd
