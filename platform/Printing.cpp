// The print dialog, the page, and the document painted on it as on the screen.
#include "platform/Printing.h"

#include <QApplication>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include "platform/PaintView.h"

namespace zorva::platform {

shell::PrintStatus PrintWithDialog(QWidget* parent, const shell::PrintJob& job, const QString& pdfFile) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setCopyCount(1);
    if (pdfFile.isEmpty()) {
        QPrintDialog dialog(&printer, parent);
        dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
        dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, false);
        if (dialog.exec() != QDialog::Accepted) return shell::PrintStatus::Unavailable;
    } else {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfFile);
    }
    printer.setResolution(kPrintResolution);
    printer.setDocName(QString::fromStdString(job.name));

    QApplication::setOverrideCursor(Qt::WaitCursor);
    bool done = false;
    QPainter painter;
    if (painter.begin(&printer)) {
        // The printable area in device pixels stands in for the client area.
        const int pageWidth = painter.device()->width();
        const int pageHeight = painter.device()->height();
        const shell::PaintPlan plan = job.plan(pageWidth, pageHeight);
        PaintView(painter, plan, job.document, QRect(0, 0, pageWidth, pageHeight));
        done = painter.end();
    }
    QApplication::restoreOverrideCursor();
    return done ? shell::PrintStatus::Done : shell::PrintStatus::Failed;
}

}  // namespace zorva::platform
