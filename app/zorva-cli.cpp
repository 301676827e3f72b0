// zorva-cli: the command-line face of the editor.
#include <QCoreApplication>
#include <iostream>

#include "core/UndoRing.h"
#include "platform/ProgramFolder.h"
#include "platform/QtDecoder.h"
#include "shell/cli/Cli.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);  // Qt's image plugins are found through it
    const std::vector<std::string> args(argv + 1, argv + argc);
    // Held for the whole run: no other copy of the program writes these files.
    const std::string programFolder = zorva::platform::ProgramFolder();
    const zorva::core::UndoFolder undoFolder = zorva::core::UndoFolder::Claim(programFolder);
    return zorva::shell::RunCli(args, zorva::platform::DecodeWithQt, undoFolder.path(), std::cout, std::cerr,
                                programFolder);
}
