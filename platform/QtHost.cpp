// Qt message boxes, file and colour dialogs, the printer and the decoder behind the editor's Host.
#include "platform/QtHost.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>
#include <chrono>

#include "platform/ImageArea.h"
#include "platform/MainWindow.h"
#include "platform/Printing.h"
#include "platform/QtDecoder.h"
#include "platform/QtDialogHost.h"
#include "shell/dialogs/FileFilters.h"

namespace zorva::platform {

namespace {

QString Text(std::string_view s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

// "Bitmap Files (*.bmp;*.rle;*.ico)" with "*.bmp;*.rle;*.ico": Qt reads the
// patterns from the last parentheses, space-separated, and hides them.
QStringList QtFilters() {
    QStringList filters;
    for (const shell::FileFilter& f : shell::kFileFilters) {
        QString patterns = Text(f.pattern);
        patterns.replace(u';', u' ');
        filters << Text(f.text) + QStringLiteral(" (") + patterns + u')';
    }
    return filters;
}

}  // namespace

QtHost::QtHost(MainWindow& window) : m_window(window) {}

void QtHost::message(std::string_view text, std::string_view caption, shell::MessageIcon icon) {
    if (m_quiet) {
        m_quietMessages.emplace_back(text);
        return;
    }
    QMessageBox::Icon qtIcon = QMessageBox::NoIcon;
    switch (icon) {
        case shell::MessageIcon::None:
            break;
        case shell::MessageIcon::Information:
            qtIcon = QMessageBox::Information;
            break;
        case shell::MessageIcon::Exclamation:
            qtIcon = QMessageBox::Warning;
            break;
        case shell::MessageIcon::Question:
            qtIcon = QMessageBox::Question;
            break;
    }
    QMessageBox box(qtIcon, Text(caption), Text(text), QMessageBox::Ok, &m_window);
    box.exec();
}

void QtHost::statusChanged(int field, std::string_view text) {
    m_window.area().setStatusField(field, Text(text));
}

void QtHost::repaint(bool /*erase*/) {
    // Qt always paints the background first; a repaint without erasing
    // costs the same.
    m_window.area().syncFromState();
    m_window.area().update();
}

void QtHost::runDialog(shell::DialogModel& model) {
    RunModelDialog(model, &m_window);
}

uint32_t QtHost::clockMs() {
    using namespace std::chrono;
    return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

shell::DecodeResult QtHost::decode(const std::string& path) {
    return DecodeWithQt(path);
}

std::optional<std::string> QtHost::chooseFile(const std::string& current, bool save) {
    QFileDialog dialog(&m_window);
    // Qt's own dialog: the filter texts show exactly and the default
    // extension is appended to names typed without one.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(QtFilters());
    dialog.setDefaultSuffix(Text(shell::kDefaultExtension));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Opening does not insist that the file exists: the decoder says.
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!current.empty()) dialog.selectFile(Text(current));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

std::optional<std::string> QtHost::chooseOpenFile(const std::string& current) {
    return chooseFile(current, false);
}

std::optional<std::string> QtHost::chooseSaveFile(const std::string& current) {
    return chooseFile(current, true);
}

void QtHost::setBusy(bool busy) {
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

std::optional<shell::Colour> QtHost::chooseColour() {
    // No colour preselected; Qt keeps the 16 custom colours for the run.
    const QColor c = QColorDialog::getColor(Qt::black, &m_window);
    if (!c.isValid()) return std::nullopt;
    return shell::Colour{uint8_t(c.red()), uint8_t(c.green()), uint8_t(c.blue())};
}

shell::PrintStatus QtHost::print(const shell::PrintJob& job) {
    return PrintWithDialog(&m_window, job, m_printFile);
}

}  // namespace zorva::platform
