// zorva-cli: the editor's jobs for scripts and tests, through the same dispatcher as the window.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "shell/cli/ConsoleHost.h"

namespace zorva::shell {

// Runs one command line (without the program name). Exit status: 0 success,
// 1 a picture could not be loaded or written, an output would replace the
// picture, a base the job reads is not loaded, or an OP had something to
// tell (the message on `err`), 2 a usage error (on `err`). `out` is the
// program's standard output. Snapshot files go to a folder claimed in
// `programFolder` (core::UndoFolder), and only when the job undoes. The
// symbol bases are read from `baseFolder` (the program's folder) when a job
// compares with them.
// Pictures are saved in the format their name says through `encoder`
// (none: only the BMP can be written).
int RunCli(const std::vector<std::string>& args, const Decoder& decoder, const std::string& programFolder,
           std::ostream& out, std::ostream& err, const std::string& baseFolder = {}, const Encoder& encoder = {});

}  // namespace zorva::shell
