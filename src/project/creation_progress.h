// The shell's progress window for a long project creation: it appears once creation has run
// for about a second, shows the member count and the folder being walked, and offers Cancel.
#pragma once

#include <windows.h>
// The shell headers need windows.h first.
#include <shlobj.h>

#include "win/unique_handle.h"

namespace vlpd {

// Milliseconds from some fixed start, as GetTickCount counts them.
using TickClock = DWORD(WINAPI*)();

class CreationProgress {
 public:
  // Starts the clock `now`; `owner` (may be null) will own the window.
  CreationProgress(HWND owner, TickClock now);
  ~CreationProgress() { Close(); }
  CreationProgress(const CreationProgress&) = delete;
  CreationProgress& operator=(const CreationProgress&) = delete;

  // Called often: shows or refreshes the window when it is time. False once the user pressed
  // Cancel. `place` is a path in the system code page.
  bool Update(int member_count, const char* place);
  // Takes the window down (before a message box, say); it does not come back.
  void Close();

 private:
  void Show();

  HWND owner_;
  TickClock now_;
  DWORD start_;
  DWORD last_refresh_ = 0;
  bool tried_ = false;
  bool cancelled_ = false;
  ComRef<IProgressDialog> dialog_;
};

}  // namespace vlpd
