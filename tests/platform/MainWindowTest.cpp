// The real main window offscreen: menus, menu rules, keys, mouse routing, palette, status bar, scroll bars, painting.
#include <QClipboard>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QWheelEvent>
#include <QtTest>
#include <set>

#include "core/ImageFiles.h"
#include "effects/Resample.h"
#include "platform/ImageArea.h"
#include "platform/MainWindow.h"
#include "shell/commands/CommandTable.h"
#include "shell/commands/PlateCommands.h"
#include "shell/input/Gesture.h"
#include "shell/input/Tools.h"
#include "shell/view/Palette.h"
#include "shell/view/View.h"
#include "tests/support/TestSupport.h"

using namespace zorva;
using shell::CommandId;

namespace {

QString Text(std::string_view s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

// Every command action below `menu`, depth first, with the texts of the submenus.
void Collect(const QList<QAction*>& actions, std::vector<std::pair<int, QString>>& items, QStringList& titles) {
    for (QAction* a : actions) {
        if (a->isSeparator()) continue;
        if (QMenu* sub = a->menu()) {
            titles << a->text();
            Collect(sub->actions(), items, titles);
        } else {
            items.emplace_back(a->data().toInt(), a->text());
        }
    }
}

void ExpectedItems(std::span<const shell::MenuNode> nodes, std::vector<std::pair<int, QString>>& items,
                   QStringList& titles) {
    for (const shell::MenuNode& n : nodes) {
        if (n.separator) continue;
        if (!n.children.empty()) {
            titles << Text(n.text);
            ExpectedItems(n.children, items, titles);
        } else {
            items.emplace_back(n.id, Text(shell::MenuText(n)));
        }
    }
}

// Each title the window takes, with the pointer the application showed at
// that moment: a command that changes the picture marks the title while it
// runs.
class TitleWatch : public QObject {
public:
    QStringList titles;
    QList<int> pointers;  // Qt::CursorShape, or -1: the widgets' own

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::WindowTitleChange) {
            titles << static_cast<QWidget*>(watched)->windowTitle();
            const QCursor* pointer = QGuiApplication::overrideCursor();
            pointers << (pointer ? int(pointer->shape()) : -1);
        }
        return false;
    }
};

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<platform::MainWindow> window;

    shell::Editor& editor() { return window->editor(); }
    platform::QtHost& host() { return window->host(); }
    shell::EditorState& state() { return window->editor().state(); }
    platform::ImageArea& area() { return window->area(); }

    // A picture file: the left half `left`, the rest `right` (0xRRGGBB).
    std::string Picture(uint32_t width, uint32_t height, uint32_t left, uint32_t right, const char* name = "p.bmp") {
        const std::string path = dir->filePath(name).toStdString();
        const core::BmpImage image =
            test::MakeImage(width, height, [&](uint32_t x, uint32_t) { return x < width / 2 ? left : right; });
        core::WriteImageFile(path, image.view());
        return path;
    }
    void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::NoButton,
               Qt::MouseButtons buttons = Qt::NoButton) {
        QMouseEvent event(type, QPointF(at), area().mapToGlobal(QPointF(at)), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(&area(), &event);
    }
    void Key(QEvent::Type type, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent event(type, key, modifiers);
        QApplication::sendEvent(&area(), &event);
    }

    // Answers the next modal box or dialog that `wanted` accepts once it
    // shows: `answer` gets it. `asked`: the texts of the questions answered.
    std::shared_ptr<QStringList> asked = std::make_shared<QStringList>();
    template <typename Dialog>
    void WhenShown(std::function<void(Dialog*)> answer, std::function<bool(Dialog*)> wanted = {}) {
        auto* timer = new QTimer(window.get());
        QObject::connect(timer, &QTimer::timeout, timer, [timer, answer, wanted] {
            auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible() || (wanted && !wanted(dialog))) return;
            timer->deleteLater();
            timer->stop();
            answer(dialog);
        });
        timer->start(10);
    }
    void AnswerQuestion(const QString& button) {
        auto texts = asked;
        WhenShown<QMessageBox>([texts, button](QMessageBox* box) {
            *texts << box->text();
            for (QAbstractButton* b : box->buttons())
                if (b->text() == button) return b->click();
            box->reject();
        });
    }
    // The save dialog (`save`) or the open dialog chooses `path`. Qt leaves
    // the name field alone while it has the keyboard, which would keep the
    // name the dialog opened with (the current picture: accept() would ask
    // whether to replace it, and nothing here answers that): the field lets
    // the keyboard go first. Ended with done(), which asks nothing.
    void AnswerFileDialog(const QString& path, bool save) {
        WhenShown<QFileDialog>(
            [path](QFileDialog* dialog) {
                // Chosen, and typed into the name field too: selectFile()
                // drops the file selected in the list, but leaves the field
                // alone once it has the focus, which the dialog gives it
                // whenever its own event comes first.
                dialog->selectFile(path);
                if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) name->setText(path);
                // Straight to the answer: accept() would run the dialog's own
                // checks, and a question it asks there has no one to answer.
                static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
            },
            [save](QFileDialog* dialog) { return (dialog->acceptMode() == QFileDialog::AcceptSave) == save; });
    }
    // Grabs the image area as the user sees it.
    QImage Shot() { return area().grab().toImage(); }

private slots:
    void initTestCase() {
        // The recent files of these tests live apart from the user's.
        QStandardPaths::setTestModeEnabled(true);
        // Closing the window is part of the tests, not the end of them.
        QApplication::setQuitOnLastWindowClosed(false);
    }
    void init() {
        QSettings(QLatin1String(platform::kSettingsName), QLatin1String(platform::kSettingsName)).clear();
        dir = std::make_unique<QTemporaryDir>();
        platform::WindowOptions options;
        options.undoFolder = dir->path().toStdString();
        window = std::make_unique<platform::MainWindow>(std::move(options));
        window->host().setQuiet(true);
        QVERIFY(window->startUp());
        window->resize(640, 480);
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    void cleanup() { window.reset(); }

    // ---- menus ----

    void everyMenuTextAndId() {
        std::vector<std::pair<int, QString>> items, expected;
        QStringList titles, expectedTitles;
        Collect(window->menuBar()->actions(), items, titles);
        ExpectedItems(shell::MainMenu(), expected, expectedTitles);
        QCOMPARE(titles, expectedTitles);
        QCOMPARE(items.size(), expected.size());
        for (size_t i = 0; i < items.size(); ++i) {
            QCOMPARE(items[i].first, expected[i].first);
            QCOMPARE(items[i].second, expected[i].second);
        }
        // Every command of the table with a menu text is in the menu once.
        std::set<int> ids;
        for (const auto& [id, text] : items) QVERIFY(ids.insert(id).second);
        size_t menuRows = 0;
        for (const shell::CommandInfo& c : shell::Commands()) menuRows += c.text.empty() ? 0 : 1;
        QCOMPARE(ids.size(), menuRows);
        QCOMPARE(window->menuAction(CommandId::Print)->text(), QStringLiteral("&Печать\tCtrl+P"));
        // The arrows are items of the bar itself.
        const QList<QAction*> bar = window->menuBar()->actions();
        QCOMPARE(bar.at(bar.size() - 2)->text(), QStringLiteral(" < "));
        QCOMPARE(bar.last()->text(), QStringLiteral(" > "));
        QCOMPARE(bar.first()->text(), QStringLiteral("&Файл"));
    }

    // Every key of a row shows beside its item, in the menu and the context
    // menu; labels the texts carry already stay as they are.
    void everyShortcutShowsInItsItem() {
        QCOMPARE(window->menuAction(CommandId::Open)->text(), QStringLiteral("&Открыть\tCtrl+O"));
        QCOMPARE(window->menuAction(CommandId::Save)->text(), QStringLiteral("&Записать\tCtrl+S"));
        QCOMPARE(window->menuAction(CommandId::SelectAll)->text(), QStringLiteral("Выделить все\tCtrl+A"));
        QCOMPARE(window->menuAction(CommandId::Print)->text(), QStringLiteral("&Печать\tCtrl+P"));
        QCOMPARE(window->contextMenu(1)->actions().at(1)->text(), QStringLiteral("&Открыть файл\tCtrl+O"));
        for (const shell::CommandInfo& c : shell::Commands())
            if (!c.text.empty() && c.keys[0].key != 0) QVERIFY(window->menuAction(c.id)->text().contains(u'\t'));
    }

    void enableRuleAsMenusOpen() {
        QMenu* file = window->menuBar()->actions().first()->menu();
        emit file->aboutToShow();
        QVERIFY(!window->menuAction(CommandId::Save)->isEnabled());
        QVERIFY(!window->menuAction(CommandId::Grid64)->isEnabled());
        QVERIFY(window->menuAction(CommandId::Open)->isEnabled());
        QVERIFY(window->menuAction(CommandId::HelpTools)->isEnabled());
        QVERIFY(window->menuAction(CommandId::NextPhoto)->isEnabled());
        QVERIFY(!window->menuAction(CommandId::SvgExport)->isEnabled());

        QVERIFY(window->openAtStart(Picture(40, 30, 0xFF0000, 0x0000FF)));
        emit file->aboutToShow();
        QVERIFY(window->menuAction(CommandId::Save)->isEnabled());
        QVERIFY(window->menuAction(CommandId::Grid64)->isEnabled());
        QVERIFY(!window->menuAction(CommandId::SvgExport)->isEnabled());
        QVERIFY(!window->menuAction(CommandId::SegmentSelect)->isEnabled());
        // A segment map present (as a segmentation leaves it).
        shell::Editor& editor = window->editor();
        QVERIFY(editor.segments().placeIndexed(editor.arena(), 40, 30));
        emit file->aboutToShow();
        QVERIFY(window->menuAction(CommandId::SvgExport)->isEnabled());
        QVERIFY(window->menuAction(CommandId::SegmentSelect)->isEnabled());
    }

    void checkMarkGroups() {
        QVERIFY(window->openAtStart(Picture(40, 30, 0xFF0000, 0x0000FF)));
        std::set<int> checked;
        for (CommandId id : shell::StartupChecks()) QVERIFY(window->menuAction(id)->isChecked());
        window->menuAction(CommandId::Line3)->trigger();
        window->menuAction(CommandId::Grid16)->trigger();
        window->menuAction(CommandId::Russian)->trigger();  // keeps its mark
        window->menuAction(CommandId::English)->trigger();  // takes none
        QVERIFY(window->menuAction(CommandId::Line3)->isChecked());
        QVERIFY(!window->menuAction(CommandId::Line1)->isChecked());
        QVERIFY(window->menuAction(CommandId::Grid16)->isChecked());
        QVERIFY(!window->menuAction(CommandId::GridOff)->isChecked());
        QVERIFY(window->menuAction(CommandId::Russian)->isChecked());
        QVERIFY(!window->menuAction(CommandId::English)->isChecked());
        QCOMPARE(state().gridStep, uint16_t(16));
        window->menuAction(CommandId::SourceView)->trigger();
        QVERIFY(window->menuAction(CommandId::SourceView)->isChecked());
        QVERIFY(!window->menuAction(CommandId::Preview)->isChecked());
        window->menuAction(CommandId::CopyMode)->trigger();
        QVERIFY(window->menuAction(CommandId::CopyMode)->isChecked());
    }

    // ---- context menus ----

    void contextMenuChoice() {
        QSignalSpy spy(&area(), &platform::ImageArea::contextMenuRequested);
        // Choose "&Создать файл" from the menu that pops up without a document.
        QString shown;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu);
            for (QAction* a : menu->actions()) shown += a->text() + u'|';
            menu->setActiveAction(menu->actions().first());
            QTest::keyClick(menu, Qt::Key_Return);
        });
        Mouse(QEvent::MouseButtonPress, {300, 200}, Qt::RightButton, Qt::RightButton);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), 1);
        QCOMPARE(shown, QStringLiteral("&Создать файл|&Открыть файл\tCtrl+O|"));
        QVERIFY(editor().hasDocument());  // the new white picture
        QCOMPARE(int(editor().document().width()), 1020);

        // A document and no selection: submenu 2; a finished selection: 0.
        QTimer::singleShot(0, [] { QApplication::activePopupWidget()->close(); });
        Mouse(QEvent::MouseButtonPress, {300, 200}, Qt::RightButton, Qt::RightButton);
        QCOMPARE(spy.at(1).at(0).toInt(), 2);
        state().toolMode = shell::tool::SelectionOutlined;
        QTimer::singleShot(0, [] { QApplication::activePopupWidget()->close(); });
        Mouse(QEvent::MouseButtonPress, {300, 200}, Qt::RightButton, Qt::RightButton);
        QCOMPARE(spy.at(2).at(0).toInt(), 0);
        QCOMPARE(window->contextMenu(0)->actions().first()->text(), QStringLiteral("Вы&резать\tCtrl+X"));
        QCOMPARE(window->contextMenu(2)->actions().first()->text(), QStringLiteral("&Вставить\tCtrl+V"));
    }

    // ---- keys ----

    void keyHandlerTable() {
        const std::pair<Qt::Key, int> keys[] = {
            {Qt::Key_Control, 0x11}, {Qt::Key_Shift, 0x10}, {Qt::Key_Insert, 0x2D},
            {Qt::Key_Delete, 0x2E},  {Qt::Key_C, 0x43},     {Qt::Key_V, 0x56},
            {Qt::Key_Z, 0x5A},       {Qt::Key_P, 0x50},     {Qt::Key_F1, 0},
        };
        for (const auto& [key, vk] : keys) {
            QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
            QCOMPARE(platform::ImageArea::VirtualKey(event), vk);
        }
        Key(QEvent::KeyPress, Qt::Key_Shift);
        QCOMPARE(state().modifierState, uint8_t(2));
        Key(QEvent::KeyPress, Qt::Key_Control, Qt::ShiftModifier);
        QCOMPARE(state().modifierState, uint8_t(1));
        Key(QEvent::KeyPress, Qt::Key_Shift, Qt::ControlModifier);  // Shift while Control is held
        QCOMPARE(state().modifierState, uint8_t(1));
        Key(QEvent::KeyRelease, Qt::Key_Control, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(state().modifierState, uint8_t(0));
        Key(QEvent::KeyPress, Qt::Key_Shift);
        Key(QEvent::KeyPress, Qt::Key_Insert, Qt::ShiftModifier);  // Shift+Insert pastes and clears
        QCOMPARE(state().modifierState, uint8_t(0));
        // Control released behind a popup menu: the next key says it is up,
        // and a plain Z undoes nothing.
        Key(QEvent::KeyPress, Qt::Key_Control);
        QCOMPARE(state().modifierState, uint8_t(1));
        Key(QEvent::KeyPress, Qt::Key_Z);
        QCOMPARE(state().modifierState, uint8_t(0));
        // A popup menu takes the keyboard: whatever is released meanwhile is forgotten.
        Key(QEvent::KeyPress, Qt::Key_Control);
        QFocusEvent out(QEvent::FocusOut, Qt::PopupFocusReason);
        QApplication::sendEvent(&area(), &out);
        QCOMPARE(state().modifierState, uint8_t(0));
    }

    void controlZUndoesAndControlPPrints() {
        QVERIFY(window->openAtStart(Picture(8, 6, 0x102030, 0x102030)));
        editor().takeSnapshot();
        editor().document().set(1, 1, 0xFFFFFF);
        Key(QEvent::KeyPress, Qt::Key_Control);
        Key(QEvent::KeyPress, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(test::Rgb(editor().document(), 1, 1), 0x102030u);
        const QString pdf = dir->filePath(QStringLiteral("keys.pdf"));
        window->host().setPrintFile(pdf);
        Key(QEvent::KeyPress, Qt::Key_P, Qt::ControlModifier);
        QVERIFY(QFileInfo(pdf).size() > 0);
        // Ctrl+Delete does nothing; Delete alone is the delete command (no
        // selection here, so nothing changes either way).
        Key(QEvent::KeyPress, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(state().modifierState, uint8_t(1));
        Key(QEvent::KeyRelease, Qt::Key_Control, Qt::ControlModifier);
    }

    // A selection copied is on the system clipboard for any program, as an
    // image and as a BMP file; an image another program put there pastes.
    void clipboardCarriesPicturesBothWays() {
        QVERIFY(window->openAtStart(Picture(40, 30, 0x102030, 0xC08040)));
        std::string why;
        shell::EditorTools tools;
        for (const char* op : {"tool:rectangle-select", "drag:15,5,24,9"})
            shell::PerformGesture(editor(), *shell::ParseGesture(op, why), tools);
        editor().dispatch(CommandId::Copy);
        QClipboard* clipboard = QGuiApplication::clipboard();
        const QImage copied = clipboard->image();
        QCOMPARE(copied.size(), QSize(10, 5));
        QCOMPARE(copied.pixel(0, 0) & 0xFFFFFFu, 0x102030u);
        QCOMPARE(copied.pixel(9, 4) & 0xFFFFFFu, 0xC08040u);
        const QImage bmp = QImage::fromData(clipboard->mimeData()->data("image/bmp"), "BMP");
        QCOMPARE(bmp.convertToFormat(QImage::Format_RGB32), copied.convertToFormat(QImage::Format_RGB32));
        // The copied pixels stay in the picture, with no outline left.
        QCOMPARE(test::Rgb(editor().document(), 15, 20), 0x102030u);
        QCOMPARE(test::Rgb(editor().document(), 24, 24), 0xC08040u);

        // Another program's image with a see-through pixel: it flattens to
        // white, which pastes transparent.
        QImage other(3, 2, QImage::Format_ARGB32);
        other.fill(QColor(0, 200, 0));
        other.setPixelColor(2, 0, QColor(9, 9, 9, 0));
        clipboard->setImage(other);
        editor().dispatch(CommandId::Paste);
        QCOMPARE(state().toolMode, shell::tool::SelectionPasted);
        QCOMPARE(test::Rgb(editor().arena().floatImage(), 0, 0), 0x00C800u);  // its bottom-left pixel
        QCOMPARE(test::Rgb(editor().arena().floatImage(), 2, 1), 0xFFFFFFu);
        // Pasting text instead changes nothing.
        editor().dispatch(CommandId::Undo);
        QCOMPARE(state().toolMode, shell::tool::RectangleSelection);
        clipboard->setText(QStringLiteral("no picture"));
        editor().dispatch(CommandId::Paste);
        QCOMPARE(state().toolMode, shell::tool::RectangleSelection);
    }

    // ---- palette, mouse, status bar ----

    void paletteHoverIndices() {
        Mouse(QEvent::MouseMove, {10, 30});
        QCOMPARE(state().palette.hovered, 0);  // no labels before the first document
        QVERIFY(window->openAtStart(Picture(40, 30, 0xFF0000, 0x0000FF)));
        const std::pair<int, int> cases[] = {{24, 1}, {25, 2}, {349, 14}, {350, 0}};
        for (const auto& [y, k] : cases) {
            Mouse(QEvent::MouseMove, {12, y});
            QCOMPARE(state().palette.hovered, k);
            QCOMPARE(area().toolLabel()->isVisible(), k != 0);
            if (k) {
                QCOMPARE(area().toolLabel()->text(), Text(shell::Tool(k).label));
                QCOMPARE(area().toolLabel()->geometry(), QRect(30, 10 + 25 * (k - 1), 70, 15));
            }
        }
        Mouse(QEvent::MouseMove, {12, 100});
        Mouse(QEvent::MouseMove, {200, 100});  // leaving the strip removes the label
        QVERIFY(!area().toolLabel()->isVisible());
        QCOMPARE(area().cursor().shape(), Qt::CrossCursor);
    }

    void toolChoiceValues() {
        QVERIFY(window->openAtStart(Picture(40, 30, 0xFF0000, 0x0000FF)));
        const uint16_t values[] = {0x401, 0x600, 0x500, 0x8, 0x20, 0x4000, 0, 0x1, 0x10, 0, 0x80, 0, 0x100, 0x200};
        for (int k = 1; k <= 14; ++k) {
            if (k == 7) continue;  // the zoom dialog: below
            const QPoint at(12, 25 * (k - 1) + 12);
            Mouse(QEvent::MouseMove, at);
            Mouse(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
            Mouse(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
            QCOMPARE(state().toolMode, values[k - 1]);
            QCOMPARE(state().palette.chosen, k);
        }
        QCOMPARE(state().viewMode, CommandId::SourceView);
        QCOMPARE(area().statusBar()->field(6), QStringLiteral("000000"));
    }

    void statusFieldTexts() {
        QVERIFY(!area().statusBar()->isVisible());  // the bar comes with the first document
        QVERIFY(area().placeholder()->isVisible());
        QVERIFY(window->openAtStart(Picture(40, 30, 0xFF0000, 0x0000FF)));
        QVERIFY(area().statusBar()->isVisible());
        QVERIFY(!area().placeholder()->isVisible());
        QCOMPARE(area().statusBar()->field(0), QStringLiteral("Координаты:"));
        QCOMPARE(area().statusBar()->field(3), QStringLiteral("Сегмент:"));
        QCOMPARE(area().statusBar()->field(5), QStringLiteral("  Цвет"));
        QCOMPARE(area().statusBar()->field(7), QStringLiteral("Площадь"));
        QCOMPARE(area().statusBar()->geometry(), QRect(0, area().height() - 20, area().width(), 20));
        window->runCommand(CommandId::SourceView);
        // At 100% the bottom row of the view is stored row 1, column 25 + 11 is 10.
        Mouse(QEvent::MouseMove, {25 + 11, state().layout.viewHeight - 1});
        QCOMPARE(area().statusBar()->field(1), QStringLiteral("10"));
        QCOMPARE(area().statusBar()->field(2), QStringLiteral("1"));
    }

    void scrollBarsFollowTheLayout() {
        QVERIFY(window->openAtStart(Picture(2000, 1500, 0xFF0000, 0x0000FF)));
        QVERIFY(!area().horizontalBar()->isVisible());  // the preview has none
        window->runCommand(CommandId::SourceView);
        const shell::ViewLayout& l = state().layout;
        QVERIFY(area().horizontalBar()->isVisible());
        QVERIFY(area().verticalBar()->isVisible());
        QCOMPARE(area().horizontalBar()->geometry(),
                 QRect(25, state().clientHeight - 15, state().clientWidth - 40, 15));
        QCOMPARE(area().verticalBar()->geometry(), QRect(state().clientWidth - 15, 0, 15, l.viewHeight));
        QCOMPARE(area().horizontalBar()->maximum(), 2000 - l.viewWidth);
        // A line step moves one pixel; a page step nothing.
        area().horizontalBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(l.horizontal.position, 1);
        QCOMPARE(area().horizontalBar()->value(), 1);
        area().horizontalBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(l.horizontal.position, 1);
        QCOMPARE(area().horizontalBar()->value(), 1);
        // Resizing lays the view out again.
        window->resize(3000, 2400);
        QTRY_VERIFY(!area().horizontalBar()->isVisible());
    }

    void bothViewsPaint() {
        QVERIFY(window->openAtStart(Picture(400, 300, 0xFF0000, 0x0000FF)));
        QImage shot = area().grab().toImage();
        const shell::Rect r = shell::PreviewRect(400, 300, state().clientWidth, state().clientHeight);
        QCOMPARE(shot.pixel(r.x + r.width / 4, r.y + r.height / 2) & 0xFFFFFF, 0xFF0000u);
        QCOMPARE(shot.pixel(r.x + 3 * r.width / 4, r.y + r.height / 2) & 0xFFFFFF, 0x0000FFu);
        // Below the palette buttons: the background.
        QCOMPARE(QColor(shot.pixel(5, 400)), area().palette().color(QPalette::HighlightedText));
        // The source view at 100%: the picture from the view's bottom-left corner.
        window->runCommand(CommandId::SourceView);
        shot = area().grab().toImage();
        const int bottom = state().layout.viewHeight - 1;
        QCOMPARE(shot.pixel(25, bottom) & 0xFFFFFF, 0xFF0000u);
        QCOMPARE(shot.pixel(25 + 399, bottom) & 0xFFFFFF, 0x0000FFu);
        // A thin line just outside the picture shows its edge on the white
        // ground; the ground beyond it.
        const QRgb edge = area().palette().color(QPalette::Mid).rgb();
        QCOMPARE(shot.pixel(25 + 400, bottom), edge);
        QCOMPARE(QColor(shot.pixel(25 + 401, bottom)), area().palette().color(QPalette::HighlightedText));
        QCOMPARE(shot.pixel(25, bottom - 299) & 0xFFFFFF, 0xFF0000u);
        QCOMPARE(shot.pixel(25, bottom - 300), edge);
        QCOMPARE(QColor(shot.pixel(25, bottom - 301)), area().palette().color(QPalette::HighlightedText));
        // A white picture on the white ground: the line, never inside it.
        window->resize(1300, 1000);
        QTRY_VERIFY(state().clientHeight > 700);
        window->runCommand(CommandId::New);
        shot = Shot();
        const int newBottom = state().layout.viewHeight - 1;
        QCOMPARE(shot.pixel(25 + 1019, newBottom - 679) & 0xFFFFFF, 0xFFFFFFu);
        QCOMPARE(shot.pixel(25 + 1020, newBottom - 100), edge);
        QCOMPARE(shot.pixel(25 + 100, newBottom - 680), edge);
    }

    // What the window shows is the same whichever route resampling sums by:
    // the preview and every zoom level of pictures reduced (odd widths, so
    // rows are padded), enlarged, very tall and very wide, in two window
    // sizes, grabbed on the 16-bit route and on the 32-bit one.
    void bothResampleRoutesPaintTheSame() {
        struct Size {
            uint32_t width, height;
        };
        std::vector<std::string> pictures;
        for (const Size size : {Size{1731, 1155}, Size{200, 150}, Size{333, 4100}, Size{5000, 97}}) {
            // Gradients with a fine hash noise over them, like a photo's grain.
            pictures.push_back(dir->filePath(QStringLiteral("routes%1.bmp").arg(pictures.size())).toStdString());
            const core::BmpImage picture = test::MakeImage(size.width, size.height, [&](uint32_t x, uint32_t r) {
                const uint32_t gradient = (x * 255 / size.width) << 16 | (r * 255 / size.height) << 8 | (x + r) % 256;
                return gradient ^ ((x * 2654435761u ^ r * 40503u) >> 27);
            });
            QVERIFY(core::WriteImageFile(pictures.back(), picture.view()));
        }
        auto same = [&](const char* what) {
            area().setResampleRoute(effects::ResampleRoute::Wide);
            const QImage wide = Shot();
            area().setResampleRoute(effects::ResampleRoute::Fastest);
            const QImage fastest = Shot();
            QVERIFY2(fastest == wide, what);
        };
        for (const QSize windowSize : {QSize(1280, 800), QSize(701, 533)}) {
            window->resize(windowSize);
            QTRY_COMPARE(area().width(), window->centralWidget()->width());
            for (const std::string& path : pictures) {
                QVERIFY(window->openFile(QString::fromStdString(path)));
                same("preview");
                for (int zoom = 1; zoom <= shell::kZoomLevels; ++zoom) {
                    state().zoomIndex = uint8_t(zoom);
                    window->runCommand(CommandId::SourceView);
                    same(qPrintable(QStringLiteral("zoom level %1").arg(zoom)));
                }
            }
        }
    }

    // ---- unsaved changes ----

    // The title names the picture and marks changes. Before New, Open, the
    // arrow and closing the window replace a changed picture:
    // "Сохранить изменения?" — Отмена keeps everything; Да saves through the
    // save dialog and goes on; Нет goes on without saving.
    void unsavedChangesAreAskedAbout() {
        QImage jpeg(60, 40, QImage::Format_RGB32);
        jpeg.fill(QColor(0x20, 0x40, 0x60));
        QVERIFY(jpeg.save(dir->filePath(QStringLiteral("a.jpg"))));
        QVERIFY(jpeg.save(dir->filePath(QStringLiteral("b.jpg"))));
        const std::string a = dir->filePath(QStringLiteral("a.jpg")).toStdString();
        const QString b = dir->filePath(QStringLiteral("b.jpg"));
        QCOMPARE(window->windowTitle(), QStringLiteral("zorva"));
        int saves = 0;
        for (const CommandId trigger : {CommandId::New, CommandId::Open, CommandId::NextPhoto, CommandId::Close}) {
            for (const QString& answer : {QStringLiteral("Отмена"), QStringLiteral("Да"), QStringLiteral("Нет")}) {
                window->show();
                QVERIFY(window->openAtStart(a));
                QCOMPARE(window->windowTitle(), QStringLiteral("a.jpg — Zorva"));
                window->runCommand(CommandId::Negative);
                QCOMPARE(window->windowTitle(), QStringLiteral("*a.jpg — Zorva"));
                const uint32_t changed = test::Rgb(editor().document(), 5, 5);

                AnswerQuestion(answer);
                const QString saved = dir->filePath(QStringLiteral("saved-%1.png").arg(++saves));
                if (answer == QStringLiteral("Да")) AnswerFileDialog(saved, true);
                if (trigger == CommandId::Open && answer != QStringLiteral("Отмена")) AnswerFileDialog(b, false);
                bool closed = false;
                if (trigger == CommandId::Close)
                    closed = window->close();
                else
                    window->runCommand(trigger);
                QCOMPARE(asked->size(), saves);
                QCOMPARE(asked->last(), QStringLiteral("Сохранить изменения?"));

                if (answer == QStringLiteral("Отмена")) {
                    QVERIFY(!closed);
                    QCOMPARE(state().documentPath, a);
                    QCOMPARE(test::Rgb(editor().document(), 5, 5), changed);
                    QCOMPARE(window->windowTitle(), QStringLiteral("*a.jpg — Zorva"));
                    continue;
                }
                QCOMPARE(QFileInfo::exists(saved), answer == QStringLiteral("Да"));
                if (answer == QStringLiteral("Да")) QCOMPARE(QImage(saved).pixel(5, 5) & 0xFFFFFFu, changed);
                if (trigger == CommandId::Close) {
                    QVERIFY(closed);
                } else {
                    QVERIFY(!state().unsavedChanges);
                    QCOMPARE(window->windowTitle(), trigger == CommandId::New ? QStringLiteral("Без имени — Zorva")
                                                                              : QStringLiteral("b.jpg — Zorva"));
                }
            }
        }
        // Closing an unchanged picture asks nothing.
        window->show();
        QVERIFY(window->openAtStart(a));
        QVERIFY(window->close());
        QCOMPARE(asked->size(), saves);
    }

    // A picture file dropped on the window opens as "Открыть" would, and
    // goes first in the recent files of the "Файл" menu, which open it again.
    void droppedFileOpensAndIsRemembered() {
        const std::string first = Picture(40, 30, 0xFF0000, 0x0000FF, "first.bmp");
        const std::string dropped = Picture(50, 20, 0x00FF00, 0x00FF00, "dropped.bmp");
        QVERIFY(window->recentActions().isEmpty());
        QVERIFY(window->openAtStart(first));
        QCOMPARE(window->recentActions().size(), 1);
        auto* mime = new QMimeData;
        mime->setUrls({QUrl::fromLocalFile(QString::fromStdString(dropped))});
        // As a file manager's drag arrives: entering, then the drop.
        QDragEnterEvent enter(QPoint(300, 200), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(300, 200), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &drop);
        QVERIFY(drop.isAccepted());
        QTRY_COMPARE(state().documentPath, dropped);
        QCOMPARE(int(editor().document().width()), 50);
        QCOMPARE(window->windowTitle(), QStringLiteral("dropped.bmp — Zorva"));
        QCOMPARE(window->recentActions().size(), 2);
        QCOMPARE(window->recentActions().first()->text(), QStringLiteral("&1 dropped.bmp"));
        delete mime;

        host().rememberFile(first);
        QCOMPARE(window->recentActions().at(1)->text(), QStringLiteral("&2 dropped.bmp"));
        window->recentActions().at(1)->trigger();
        QCOMPARE(state().documentPath, dropped);
        for (int i = 0; i < 12; ++i)
            host().rememberFile(Picture(4, 4, 0, 0, qPrintable(QStringLiteral("r%1.bmp").arg(i))));
        QCOMPARE(window->recentActions().size(), platform::kRecentFiles);
        // The settings file is written once the picture area paints, and a
        // window started afterwards lists the same files.
        area().update();
        QTRY_COMPARE(QSettings(QLatin1String(platform::kSettingsName), QLatin1String(platform::kSettingsName))
                         .value(QLatin1String(platform::kRecentFilesKey))
                         .toStringList()
                         .size(),
                     platform::kRecentFiles);
        platform::WindowOptions options;
        options.undoFolder = dir->path().toStdString();
        const platform::MainWindow later(std::move(options));
        QCOMPARE(later.recentActions().size(), platform::kRecentFiles);
        for (int i = 0; i < platform::kRecentFiles; ++i)
            QCOMPARE(later.recentActions().at(i)->toolTip(), window->recentActions().at(i)->toolTip());
    }

    // ---- the folder run ----

    // "На всех фото в папке" shows photo n of N in a progress dialog. Отмена
    // pressed while a photo is read stops once that photo is done: the last
    // photo is never loaded and no report is written, so an old
    // "1avto_num.txt" stays as it was. Run to the end, the report is written.
    void folderRunShowsProgressAndCancels() {
        QDir folder(dir->path());
        QVERIFY(folder.mkdir(QStringLiteral("photos")));
        QVERIFY(folder.cd(QStringLiteral("photos")));
        const QStringList names = {QStringLiteral("A001AA77.jpg"), QStringLiteral("B002BB77.jpg"),
                                   QStringLiteral("C003CC77.jpg"), QStringLiteral("E004EE77.jpg")};
        for (int i = 0; i < int(names.size()); ++i) {
            QImage photo(64, 48, QImage::Format_RGB32);
            photo.fill(QColor(40 * i, 90, 160));
            QVERIFY(photo.save(folder.filePath(names[i]), "JPEG"));
        }
        const QString reportPath = folder.filePath(Text(shell::kPlateReportName));
        const QByteArray oldReport = "an older report\r\n";
        {
            QFile old(reportPath);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write(oldReport);
        }
        auto readReport = [&] {
            QFile report(reportPath);
            return report.open(QIODevice::ReadOnly) ? report.readAll() : QByteArray();
        };
        QVERIFY(window->openAtStart(folder.filePath(names[0]).toStdString()));

        // Looks at the progress dialog each time the run lets events through
        // (a zero timer fires on every pass, so no photo's label is missed),
        // and presses Отмена on the first sight of photo `cancelAt`.
        QStringList labels;
        bool cancelPressed = false;
        auto watch = [&](int cancelAt) {
            auto* timer = new QTimer(window.get());
            QObject::connect(timer, &QTimer::timeout, timer, [&, cancelAt] {
                QProgressDialog* progress = host().progressDialog();
                if (!progress || !progress->isVisible()) return;
                const QString text = progress->labelText();
                if (labels.isEmpty() || labels.last() != text) labels << text;
                if (cancelAt == 0 || cancelPressed ||
                    !text.startsWith(QStringLiteral("Фото %1 из %2").arg(cancelAt).arg(names.size())))
                    return;
                for (QPushButton* button : progress->findChildren<QPushButton*>())
                    if (button->text() == QStringLiteral("Отмена")) {
                        cancelPressed = true;
                        button->click();
                    }
            });
            timer->start(0);
            return timer;
        };

        QTimer* timer = watch(2);
        window->runCommand(CommandId::PlatesFolder);
        delete timer;
        QVERIFY(cancelPressed);
        QVERIFY(!labels.isEmpty());
        QCOMPARE(labels.first(), QStringLiteral("Фото 1 из 4: A001AA77.jpg"));
        // Stopped at the second photo, before it was read or after: never
        // beyond it.
        const std::string stoppedAt = state().currentFilePath;
        QVERIFY(stoppedAt == folder.filePath(names[0]).toStdString() ||
                stoppedAt == folder.filePath(names[1]).toStdString());
        QCOMPARE(state().documentPath, stoppedAt);
        QVERIFY(!labels.last().startsWith(QStringLiteral("Фото 3")));
        QCOMPARE(readReport(), oldReport);
        // The command is over: the dialog gone, the pointer the user's own.
        QVERIFY(!host().progressDialog());
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(host().quietMessages().empty());

        // The whole folder: every photo shown in turn, the last one stays,
        // and the report replaces the old one with a line per photo.
        labels.clear();
        // The plate run may have painted the photo it stopped at.
        if (state().unsavedChanges) AnswerQuestion(QStringLiteral("Нет"));
        timer = watch(0);
        window->runCommand(CommandId::PlatesFolder);
        delete timer;
        QStringList shown;
        for (const QString& label : labels) {
            const QString photo = label.section(u'\n', 0, 0);
            if (shown.isEmpty() || shown.last() != photo) shown << photo;
        }
        QCOMPARE(
            shown,
            QStringList({QStringLiteral("Фото 1 из 4: A001AA77.jpg"), QStringLiteral("Фото 2 из 4: B002BB77.jpg"),
                         QStringLiteral("Фото 3 из 4: C003CC77.jpg"), QStringLiteral("Фото 4 из 4: E004EE77.jpg")}));
        QCOMPARE(state().documentPath, folder.filePath(names[3]).toStdString());
        const QByteArray report = readReport();
        QVERIFY(report != oldReport);
        for (const QString& name : names) QVERIFY(report.contains(name.toLatin1()));
        QVERIFY(!host().progressDialog());
        QVERIFY(!QApplication::overrideCursor());
    }

    // ---- the busy pointer ----

    // A command shows the busy pointer while it runs, whichever road it came
    // by (a menu item, a key, a click of a tool), and the pointer is the
    // user's own again when it ends.
    void commandsShowTheBusyPointer() {
        // A window whose tools draw.
        platform::WindowOptions options;
        options.undoFolder = dir->path().toStdString();
        options.tools = std::make_unique<shell::EditorTools>();
        window = std::make_unique<platform::MainWindow>(std::move(options));
        host().setQuiet(true);
        QVERIFY(window->startUp());
        window->resize(640, 480);
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QVERIFY(window->openAtStart(Picture(40, 30, 0xFF0000, 0x0000FF)));
        TitleWatch watch;
        window->installEventFilter(&watch);

        window->runCommand(CommandId::Negative);
        QVERIFY(!QApplication::overrideCursor());
        // Ctrl+Z undoes it: the picture as opened again.
        Key(QEvent::KeyPress, Qt::Key_Control);
        Key(QEvent::KeyPress, Qt::Key_Z, Qt::ControlModifier);
        Key(QEvent::KeyRelease, Qt::Key_Control, Qt::ControlModifier);
        QVERIFY(!QApplication::overrideCursor());
        // "Заливка" (the fifth button), then a click on the picture's red half.
        const QPoint fill(12, 25 * 4 + 12);
        Mouse(QEvent::MouseButtonPress, fill, Qt::LeftButton, Qt::LeftButton);
        Mouse(QEvent::MouseButtonRelease, fill, Qt::LeftButton, Qt::NoButton);
        const QPoint red(25 + 5, state().layout.viewHeight - 5);
        Mouse(QEvent::MouseMove, red);
        Mouse(QEvent::MouseButtonPress, red, Qt::LeftButton, Qt::LeftButton);
        Mouse(QEvent::MouseButtonRelease, red, Qt::LeftButton, Qt::NoButton);
        QVERIFY(test::Rgb(editor().document(), 5, 29) != 0xFF0000u);
        window->removeEventFilter(&watch);

        QCOMPARE(watch.titles, QStringList({QStringLiteral("*p.bmp — Zorva"), QStringLiteral("p.bmp — Zorva"),
                                            QStringLiteral("*p.bmp — Zorva")}));
        QCOMPARE(watch.pointers, QList<int>({Qt::WaitCursor, Qt::WaitCursor, Qt::WaitCursor}));
        QVERIFY(!QApplication::overrideCursor());
    }

    // ---- wheel and pinch ----

    // Ctrl+wheel and a pinch step through the zoom levels with the pixel
    // under the pointer kept under it; the wheel scrolls, Shift+wheel sideways.
    void wheelZoomKeepsThePointedPixel() {
        // Every pixel its own colour.
        const std::string path = dir->filePath(QStringLiteral("big.bmp")).toStdString();
        core::WriteImageFile(path,
                             test::MakeImage(900, 700, [](uint32_t x, uint32_t r) { return x + 1024 * r; }).view());
        QVERIFY(window->openAtStart(path));
        window->runCommand(CommandId::SourceView);
        const QPoint at(223, 171);
        auto wheel = [&](QPoint angle, Qt::KeyboardModifiers modifiers) {
            QWheelEvent event(QPointF(at), area().mapToGlobal(QPointF(at)), QPoint(), angle, Qt::NoButton, modifiers,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(&area(), &event);
        };
        const QRgb pointed = Shot().pixel(at);
        const int levels[] = {4, 5, 6, 7, 8, 8, 7, 6, 5, 4, 3};
        for (int i = 0; i < 11; ++i) {
            wheel(QPoint(0, i < 6 ? 120 : -120), Qt::ControlModifier);
            QCOMPARE(int(state().zoomIndex), levels[i]);
            QCOMPARE(Shot().pixel(at), pointed);
        }
        QCOMPARE(state().viewMode, CommandId::SourceView);
        // A pinch outward, in small steps, one level up.
        const QPointingDevice* pad = QPointingDevice::primaryPointingDevice();
        for (double step : {0.1, 0.1, 0.1, 0.1}) {
            QNativeGestureEvent pinch(Qt::ZoomNativeGesture, pad, 2, QPointF(at), QPointF(at),
                                      area().mapToGlobal(QPointF(at)), step, QPointF());
            QApplication::sendEvent(&area(), &pinch);
        }
        QCOMPARE(int(state().zoomIndex), 4);
        QCOMPARE(Shot().pixel(at), pointed);

        // Scrolling: down a notch moves toward the bottom; Shift sideways.
        const int top = state().layout.vertical.position;
        const int left = state().layout.horizontal.position;
        wheel(QPoint(0, -120), Qt::NoModifier);
        QVERIFY(state().layout.vertical.position > top);
        QCOMPARE(state().layout.horizontal.position, left);
        QCOMPARE(area().verticalBar()->value(), state().layout.vertical.position);
        wheel(QPoint(0, -120), Qt::ShiftModifier);
        QVERIFY(state().layout.horizontal.position > left);
    }

    // ---- language ----

    // Qt's own buttons and dialogs speak Russian under LANG=C (the test's
    // environment) as they do under a Russian locale.
    void qtSpeaksRussianWhateverTheLocale() {
        QCOMPARE(QLocale::system().name(), QStringLiteral("C"));
        QVERIFY(platform::InstallRussianTranslation(*QCoreApplication::instance()));
        QDialogButtonBox buttons(QDialogButtonBox::Open | QDialogButtonBox::Cancel);
        QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Отмена"));
        QCOMPARE(buttons.button(QDialogButtonBox::Open)->text(), QStringLiteral("Открыть"));

        // Qt's file dialog as "Открыть" shows it: a folder's type, a file's
        // size and the dates the Russian way too, not "Folder", "3.57 KiB" and
        // "9 Dec 2026 18:48:31".
        const QString picture = QString::fromStdString(Picture(40, 30, 0xFF0000, 0x0000FF));
        QVERIFY(window->openAtStart(picture.toStdString()));
        const QString folder = dir->filePath(QStringLiteral("sub"));
        QVERIFY(QDir().mkdir(folder));
        auto cell = [](QFileDialog* dialog, const QString& path, int column) {
            const QAbstractProxyModel* shown = dialog->proxyModel();
            const auto* files = shown ? qobject_cast<const QFileSystemModel*>(shown->sourceModel()) : nullptr;
            return files ? shown->mapFromSource(files->index(path, column)).data().toString() : QString();
        };
        QString folderType, folderDate, pictureSize;
        int looks = 0;
        WhenShown<QFileDialog>(
            [&](QFileDialog* dialog) {
                folderType = cell(dialog, folder, 2);
                folderDate = cell(dialog, folder, 3);
                pictureSize = cell(dialog, picture, 1);
                dialog->reject();
            },
            // Qt reads the details in a thread of its own: wait for them (or
            // give up after a few seconds rather than hang).
            [&](QFileDialog* dialog) { return !cell(dialog, folder, 2).isEmpty() || ++looks > 500; });
        window->runCommand(CommandId::Open);
        QCOMPARE(folderType, QStringLiteral("Папка"));
        QVERIFY2(
            QRegularExpression(QStringLiteral("^\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d$")).match(folderDate).hasMatch(),
            qPrintable(folderDate));
        QCOMPARE(pictureSize, QStringLiteral("3,57 KiB"));  // as Qt writes it under ru_RU
        QCOMPARE(state().documentPath, picture.toStdString());
    }

    void openAtStartFailsQuietlyWithTheMessage() {
        QVERIFY(!window->openAtStart(dir->filePath(QStringLiteral("missing.jpg")).toStdString()));
        QVERIFY(!editor().hasDocument());
        QCOMPARE(window->host().quietMessages().back(), std::string("Не может загрузить файл"));
        QVERIFY(state().currentFilePath.empty());
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
