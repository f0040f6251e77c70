// Whether Windows 11 already shows our commands in the classic menu. From build 22000 on, the verb
// of a registered sparse package appears in the first menu and again under "Show more options",
// so the classic handler, which would add the same submenu there, adds nothing. The package names
// the native DLL only: in a process of another architecture (a 32-bit program's open and save
// dialogs on x64, an x64 program on ARM64) it never loads, and the classic handler is all there is.
#pragma once

namespace vlpd {

inline constexpr unsigned long kFirstWindows11Build = 22000;

// What the decision reads of the system, so that tests can answer for a system Wine cannot be
// (Wine has no package system).
struct PackagedMenuProbe {
  unsigned long (*build_number)();  // 0 when it cannot be read
  bool (*native_process)();         // this process runs the machine's own architecture
  bool (*package_registered)();     // our package is registered for the current user, here
};

// The registry's CurrentBuildNumber, read once per process (it cannot change while one runs).
unsigned long WindowsBuildNumber();
// Whether this process runs the machine's own architecture (no WOW64, no emulation), told once
// per process.
bool NativeProcess();
// Whether the current user's packages include ours with this DLL's folder as its install location:
// one registry key's subkey names and the location of ours, read at each call, so a package
// registered or removed while Explorer runs counts at the next right-click.
bool PackageRegisteredForUser();

inline constexpr PackagedMenuProbe kSystemProbe = {WindowsBuildNumber, NativeProcess,
                                                   PackageRegisteredForUser};

// True when the classic menu must add nothing. The package is looked up only on Windows 11, in a
// process where its verb loads.
bool PackagedMenuShowsOurCommands(const PackagedMenuProbe& probe);

}  // namespace vlpd
