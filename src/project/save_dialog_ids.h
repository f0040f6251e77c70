// The ids of the project save dialog's child template and of its encoding picker, for the
// resource script, the dialog hook, the tests and the demo alike. Macros as well, so that the
// resource compiler can read them.
#pragma once

#define VLPD_PROJECT_DIALOG_TEMPLATE 106
#define VLPD_PICKER_CONTROL 1004

#ifndef RC_INVOKED
namespace vlpd {

inline constexpr int kProjectDialogTemplate = VLPD_PROJECT_DIALOG_TEMPLATE;
inline constexpr int kPickerControl = VLPD_PICKER_CONTROL;

}  // namespace vlpd
#endif
