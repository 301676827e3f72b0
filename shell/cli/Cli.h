// zorva-cli: the editor's jobs for scripts and tests, through the same dispatcher as the window.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "shell/cli/ConsoleHost.h"

namespace zorva::shell {

// Runs one command line (without the program name). Exit status: 0 success,
// 1 a picture could not be loaded or written (the message on `err`), 2 a
// usage error (the usage text on `err`). The symbol bases are read from
// `baseFolder` (the program's folder) when a job compares with them; with
// no folder given the bases are empty.
int RunCli(const std::vector<std::string>& args, const Decoder& decoder, const std::string& undoFolder,
           std::ostream& out, std::ostream& err, const std::string& baseFolder = {});

}  // namespace zorva::shell
