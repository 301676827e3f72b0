// Commands of the window itself: zoom, colour, printing, help, language, folder navigation.
#include "shell/WindowCommands.h"

#include "shell/Editor.h"

namespace zorva::shell {

bool RunWindowCommand(Editor& /*editor*/, CommandId /*id*/) { return false; }

}  // namespace zorva::shell
