// zorva-cli: the command-line face of the editor.
#include <QCoreApplication>
#include <iostream>

#include "platform/PictureDecoder.h"
#include "platform/ProgramFolder.h"
#include "platform/QtDecoder.h"
#include "shell/Editor.h"
#include "shell/cli/Cli.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);  // Qt's image plugins are found through it
    const std::vector<std::string> args(argv + 1, argv + argc);
    // Snapshot files, when a job undoes, go to a folder of this copy's own
    // under the program's folder (an installed copy's under ~/.cache/zorva);
    // the symbol bases are read beside the executable, or from the installed
    // data folder.
    const std::string programFolder = zorva::platform::ProgramFolder();
    return zorva::shell::RunCli(args, zorva::platform::DecodePicture, programFolder, std::cout, std::cerr,
                                zorva::shell::SymbolBaseFolder(programFolder), zorva::platform::EncodeWithQt);
}
