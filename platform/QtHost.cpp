// Qt message boxes, file and colour dialogs, the printer and the decoder behind the editor's Host.
#include "platform/QtHost.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QImageReader>
#include <QLocale>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QSettings>
#include <QStringList>
#include <algorithm>
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

// Qt's file model writes sizes and dates in the system's locale ("9 Dec
// 2026 18:48:31" under LANG=C) whatever the program's: these two columns of
// the file dialog follow the program's locale like the rest of it.
class LocaleFileColumns : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || !files) return QIdentityProxyModel::data(index, role);
        const QModelIndex source = mapToSource(index);
        const QLocale locale;
        if (index.column() == kSizeColumn && !files->isDir(source))
            return locale.formattedDataSize(files->size(source));
        if (index.column() == kDateColumn) return locale.toString(files->lastModified(source), QLocale::ShortFormat);
        return QIdentityProxyModel::data(index, role);
    }

private:
    // QFileSystemModel's columns: name, size, type, date modified.
    static constexpr int kSizeColumn = 1;
    static constexpr int kDateColumn = 3;
};

}  // namespace

QtHost::QtHost(MainWindow& window) : m_window(window) {}

UserTurn::UserTurn(QtHost& host) : m_host(host), m_wasBusy(host.m_busyShown) {
    if (!m_wasBusy) return;
    QApplication::restoreOverrideCursor();
    m_host.m_busyShown = false;
}

UserTurn::~UserTurn() {
    if (!m_wasBusy || m_host.m_commandDepth == 0) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_host.m_busyShown = true;
}

void QtHost::beginCommand() {
    if (m_commandDepth++ > 0) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_busyShown = true;
}

void QtHost::endCommand() {
    if (m_commandDepth == 0 || --m_commandDepth > 0) return;
    if (m_busyShown) QApplication::restoreOverrideCursor();
    m_busyShown = false;
    delete m_progress;
}

void QtHost::message(std::string_view text, std::string_view caption, shell::MessageIcon icon) {
    UserTurn turn(*this);
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
    UserTurn turn(*this);
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
    UserTurn turn(*this);
    QFileDialog dialog(&m_window);
    // Qt's own dialog: the filter texts show exactly and the default
    // extension is appended to names typed without one.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setProxyModel(new LocaleFileColumns(&dialog));
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
    // The folder the last dialog (or the last picture opened) was in, this
    // run or an earlier one; the current picture's name in it.
    m_window.writeSettings();
    QSettings settings{QLatin1String(kSettingsName), QLatin1String(kSettingsName)};
    const QString lastFolder = settings.value(QLatin1String(kLastFolderKey)).toString();
    const QFileInfo currentFile(Text(current));
    if (!lastFolder.isEmpty() && QFileInfo(lastFolder).isDir())
        dialog.setDirectory(lastFolder);
    else if (!current.empty())
        dialog.setDirectory(currentFile.absolutePath());
    if (!current.empty()) dialog.selectFile(currentFile.fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    const QString chosen = dialog.selectedFiles().first();
    settings.setValue(QLatin1String(kLastFolderKey), QFileInfo(chosen).absolutePath());
    return chosen.toStdString();
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
    UserTurn turn(*this);
    // No colour preselected; Qt keeps the 16 custom colours for the run.
    const QColor c = QColorDialog::getColor(Qt::black, &m_window);
    if (!c.isValid()) return std::nullopt;
    return shell::Colour{uint8_t(c.red()), uint8_t(c.green()), uint8_t(c.blue())};
}

shell::PrintStatus QtHost::print(const shell::PrintJob& job) {
    UserTurn turn(*this);
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
    // One request for the owner's list of formats; the data requests below
    // name only what it holds. (hasImage() asks the owner again for every
    // image type Qt reads whenever the list came back empty, and an owner
    // that never answers costs Qt's 5 s timeout each time: 105 s frozen.)
    const QStringList formats = mime->formats();
    if (formats.contains(QLatin1String(kBmpMime))) {
        // A BMP file, or a bare DIB as some programs put it there.
        const QByteArray bytes = mime->data(kBmpMime);
        std::span<const uint8_t> dib(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
        if (dib.size() >= core::kFileHeaderSize && dib[0] == 'B' && dib[1] == 'M')
            dib = dib.subspan(core::kFileHeaderSize);
        if (std::optional<core::BmpImage> picture = edit::PictureFromDib(dib)) return picture;
    }
    const QList<QByteArray> readable = QImageReader::supportedMimeTypes();
    const bool holdsImage = std::any_of(formats.begin(), formats.end(), [&](const QString& f) {
        return f == QLatin1String("application/x-qt-image") || readable.contains(f.toLatin1());
    });
    if (!holdsImage) return std::nullopt;  // text or files: nothing to paste
    const QImage image = qvariant_cast<QImage>(mime->imageData());
    if (image.isNull() || core::CheckFit(uint32_t(image.width()), uint32_t(image.height())) != core::ImageFit::Fits)
        return std::nullopt;
    core::BmpImage picture = PictureFromQImage(image);
    if (!picture) return std::nullopt;
    return picture;
}

// ---- the user's word ----

shell::SaveChoice QtHost::askSaveChanges(std::string_view question, std::string_view caption) {
    UserTurn turn(*this);
    QMessageBox box(QMessageBox::Question, Text(caption), Text(question),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, &m_window);
    // The answers in the menus' language whatever Qt's translation says.
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Да"));
    box.button(QMessageBox::No)->setText(QStringLiteral("Нет"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("Отмена"));
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
        case QMessageBox::Yes:
            return shell::SaveChoice::Save;
        case QMessageBox::No:
            return shell::SaveChoice::Discard;
        default:
            return shell::SaveChoice::Cancel;  // Отмена, Escape, the close box
    }
}

void QtHost::titleChanged(std::string_view title) {
    m_window.setWindowTitle(Text(title));
}

void QtHost::rememberFile(const std::string& path) {
    m_window.rememberFile(QString::fromStdString(path));
}

namespace {

// "12 с", "3 мин 05 с".
QString Duration(uint32_t seconds) {
    if (seconds < 60) return QStringLiteral("%1 с").arg(seconds);
    return QStringLiteral("%1 мин %2 с").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

bool QtHost::folderProgress(const shell::FolderProgress& p) {
    if (!m_progress) {
        m_progress = new QProgressDialog(&m_window);
        m_progress->setWindowTitle(QStringLiteral("zorva"));
        m_progress->setCancelButtonText(QStringLiteral("Отмена"));
        m_progress->setWindowModality(Qt::WindowModal);
        m_progress->setAutoClose(false);
        m_progress->setAutoReset(false);
        m_progress->setMinimumDuration(0);
        m_progress->setMinimumWidth(420);
        // The dialog is the sign of work now, and its button must look
        // pressable: no busy pointer over it.
        if (m_busyShown) QApplication::restoreOverrideCursor();
        m_busyShown = false;
    }
    m_progress->setMaximum(int(p.photos));
    const std::string_view name =
        p.path.substr(p.path.rfind('/') == std::string_view::npos ? 0 : p.path.rfind('/') + 1);
    const uint32_t finished = p.done ? p.photo : p.photo - 1;
    QString text = QStringLiteral("Фото %1 из %2: %3").arg(p.photo).arg(p.photos).arg(Text(name));
    // What is left, at the mean time per photo so far.
    if (finished > 0)
        text += QStringLiteral("\nОсталось около ") +
                Duration(uint32_t(uint64_t(p.elapsedMs) * (p.photos - finished) / finished / 1000));
    m_progress->setLabelText(text);
    m_progress->setValue(int(finished));
    if (!m_progress->isVisible()) m_progress->show();
    // The window paints and the button answers between photos.
    QCoreApplication::processEvents();
    return !m_progress->wasCanceled();
}

}  // namespace zorva::platform
