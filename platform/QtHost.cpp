// Qt message boxes, file and colour dialogs, the printer and the decoder behind the editor's Host.
#include "platform/QtHost.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QStringList>
#include <chrono>
#include <span>

#include "core/WorkArena.h"
#include "edit/ClipboardDib.h"
#include "platform/ImageArea.h"
#include "platform/MainWindow.h"
#include "platform/PictureDecoder.h"
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
QStringList QtFilters(std::span<const shell::FileFilter> list) {
    QStringList filters;
    for (const shell::FileFilter& f : list) {
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
    return DecodePicture(path);
}

std::optional<std::vector<uint8_t>> QtHost::encode(core::BmpView picture, core::SaveFormat format) {
    return EncodeWithQt(picture, format);
}

std::optional<std::string> QtHost::chooseFile(const std::string& current, bool save) {
    QFileDialog dialog(&m_window);
    // Qt's own dialog: the filter texts show exactly and the default
    // extension is appended to names typed without one.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    if (save) {
        dialog.setNameFilters(QtFilters(shell::kSaveFilters));
        // A name typed without an ending takes the chosen format's.
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
            for (const shell::FileFilter& f : shell::kSaveFilters)
                if (filter.startsWith(Text(f.text)))
                    dialog.setDefaultSuffix(Text(f.pattern.substr(2, f.pattern.find(';') - 2)));  // "*.jpg;..."
        });
    } else {
        dialog.setNameFilters(QtFilters(shell::kFileFilters));
    }
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

// ---- clipboard ----

namespace {

// The MIME type of a BMP file, which other programs on the desktop offer
// and take for a device-independent bitmap.
constexpr char kBmpMime[] = "image/bmp";

}  // namespace

void QtHost::setClipboardPicture(core::BmpView picture) {
    // The picture is a BMP file already: its bytes serve programs that take
    // image/bmp, and Qt offers the decoded image in its other formats (PNG
    // first) to the rest.
    const QByteArray file(reinterpret_cast<const char*>(picture.data()), qsizetype(picture.fileSize()));
    auto* mime = new QMimeData;
    mime->setImageData(QImage::fromData(file, "BMP"));
    mime->setData(kBmpMime, file);
    QGuiApplication::clipboard()->setMimeData(mime);
}

std::optional<core::BmpImage> QtHost::clipboardPicture() {
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    if (!mime) return std::nullopt;
    if (mime->hasFormat(kBmpMime)) {
        // A BMP file, or a bare DIB as some programs put it there.
        const QByteArray bytes = mime->data(kBmpMime);
        std::span<const uint8_t> dib(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
        if (dib.size() >= 14 && dib[0] == 'B' && dib[1] == 'M') dib = dib.subspan(14);
        if (std::optional<core::BmpImage> picture = edit::PictureFromDib(dib)) return picture;
    }
    if (!mime->hasImage()) return std::nullopt;  // text or files: nothing to paste
    const QImage image = qvariant_cast<QImage>(mime->imageData());
    if (image.isNull() || core::CheckFit(uint32_t(image.width()), uint32_t(image.height())) != core::ImageFit::Fits)
        return std::nullopt;
    core::BmpImage picture = PictureFromQImage(image);
    if (!picture) return std::nullopt;
    return picture;
}

}  // namespace zorva::platform
