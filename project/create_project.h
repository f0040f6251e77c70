// The create-project command: the save dialog with its member-encoding picker, then the writer.
#pragma once

#include "handler/vlpd_menu.h"

namespace vlpd {

void CreateProject(CVLPDMenu& handler, const CMINVOKECOMMANDINFO& info);

}  // namespace vlpd
