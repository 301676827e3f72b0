// The folder that holds the running program.
#include "platform/ProgramFolder.h"

#include <QCoreApplication>
#include <QFile>

namespace zorva::platform {

std::string ProgramFolder() {
    // Qt finds the executable's own folder (never the working folder); an
    // empty answer means it is not known, and the snapshot files go to the
    // user's cache folder instead.
    if (!QCoreApplication::instance()) return {};
    return QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
}

}  // namespace zorva::platform
