// Printing the document through Qt's print dialog and QPrinter.
#pragma once

#include <QString>

#include "shell/Host.h"

class QWidget;

namespace zorva::platform {

// Pages are printed at this resolution: photo quality without page-sized
// rasters of hundreds of megabytes.
inline constexpr int kPrintResolution = 300;

// Asks for a printer (no selection, no page range, one copy), then paints
// `job` on one page with the screen's paint routine. With `pdfFile` set the
// dialog is skipped and the page goes to that PDF file.
shell::PrintStatus PrintWithDialog(QWidget* parent, const shell::PrintJob& job, const QString& pdfFile = {});

}  // namespace zorva::platform
