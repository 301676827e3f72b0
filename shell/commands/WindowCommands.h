// Commands of the window itself: zoom, colour, printing, help, language, folder navigation.
#pragma once

#include "shell/commands/CommandId.h"

namespace zorva::shell {

class Editor;

// Runs `id` when it is one of the window's commands; false for any other id.
bool RunWindowCommand(Editor& editor, CommandId id);

}  // namespace zorva::shell
