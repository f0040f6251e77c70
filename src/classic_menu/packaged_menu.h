// Whether Windows 11 already shows our commands in the classic menu. From build 22000 on, the verb
// of a registered sparse package appears in the first menu and again under "Show more options",
// so the classic handler, which would add the same submenu there, adds nothing.
#pragma once

namespace vlpd {

inline constexpr unsigned long kFirstWindows11Build = 22000;

// What the decision reads of the system, so that tests can answer for a system Wine cannot be
// (Wine has no package system).
struct PackagedMenuProbe {
  unsigned long (*build_number)();  // 0 when it cannot be read
  bool (*package_registered)();     // our package is registered for the current user, here
};

// The registry's CurrentBuildNumber, read at each call (a few microseconds).
unsigned long WindowsBuildNumber();
// Whether the current user's packages include ours with this DLL's folder as its install location:
// one registry key's subkey names and the location of ours, read at each call, so a package
// registered or removed while Explorer runs counts at the next right-click.
bool PackageRegisteredForUser();

inline constexpr PackagedMenuProbe kSystemProbe = {WindowsBuildNumber, PackageRegisteredForUser};

// True when the classic menu must add nothing. The package is looked up only on Windows 11.
bool PackagedMenuShowsOurCommands(const PackagedMenuProbe& probe);

}  // namespace vlpd
