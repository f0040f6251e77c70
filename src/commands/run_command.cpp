#include "commands/run_command.h"

#include "project/create_project.h"
#include "win/module_state.h"

namespace vlpd {

void RunCommand(const Command& command, ShellSelection& selection, HWND owner, const char* invoking_folder,
                const Settings& settings) {
  switch (command.action) {
    case CommandAction::kOpenInEditor:
      LaunchEditor(selection, command.editor_switch, owner);
      break;
    case CommandAction::kCreateProject:
      CreateProject(selection, owner, invoking_folder, ModuleInstance());
      break;
    case CommandAction::kCopyNames:
      CopyNames(selection, settings.On(Setting::kQuotedNames));
      break;
  }
}

}  // namespace vlpd
