// zorva_screenshot: the real window with a photo, in the preview or at 200% with a tool chosen, saved as PNG.
//   zorva_screenshot IMAGE OUT.png preview|source|title|save-dialog [WIDTHxHEIGHT]
// title: the photo changed and not saved, the whole screen with the window's
// title bar (run a window manager in the X server); save-dialog: "Записать"'s
// file dialog over it, in Russian whatever the locale.
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWindow>
#include <cstdio>

#include "platform/ImageArea.h"
#include "platform/MainWindow.h"
#include "shell/commands/WindowCommands.h"
#include "shell/dialogs/Dialog.h"
#include "shell/view/Palette.h"
#include "shell/view/View.h"

using namespace zorva;

namespace {

void Settle() {
    for (int i = 0; i < 20; ++i) {
        QApplication::processEvents();
        QThread::msleep(25);
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    platform::InstallRussianTranslation(app);
    if (argc < 4) {
        std::fprintf(stderr, "usage: zorva_screenshot IMAGE OUT.png preview|source [WIDTHxHEIGHT]\n");
        return 2;
    }
    const std::string image = argv[1];
    const QString out = QString::fromLocal8Bit(argv[2]);
    const QString mode = QString::fromLatin1(argv[3]);
    const bool source = mode == QLatin1String("source");
    const bool wholeScreen = mode == QLatin1String("title") || mode == QLatin1String("save-dialog");
    int width = 1100, height = 760;
    if (argc > 4) std::sscanf(argv[4], "%dx%d", &width, &height);

    QTemporaryDir undo;
    platform::WindowOptions options;
    options.undoFolder = undo.path().toStdString();
    platform::MainWindow window(std::move(options));
    window.host().setQuiet(true);
    if (!window.startUp()) return 1;
    window.resize(width, height);
    window.move(0, 0);
    Settle();
    if (!window.openAtStart(image)) {
        std::fprintf(stderr, "cannot open %s\n", image.c_str());
        return 1;
    }
    shell::Editor& editor = window.editor();
    shell::PointerTools noTools;
    if (source) {
        // The pencil chosen from the palette, then 200% from the zoom dialog,
        // scrolled to the middle of the photo, the pointer over it.
        shell::HoverPalette(editor, 8 * shell::kToolButtonSize - 12);
        shell::ChooseTool(editor, 8, noTools);
        shell::DialogModel zoom(*shell::kZoomCommand.form, &editor, shell::kZoomCommand.hooks);
        shell::PlayDialog(zoom, {{shell::DialogStep::Click, 253}, {shell::DialogStep::Click, 258}});  // 200%, OK
        shell::ViewLayout& layout = editor.state().layout;
        layout.horizontal.position = layout.horizontal.maximum / 2;
        layout.vertical.position = layout.vertical.maximum / 2;
        editor.relayout();
        shell::MovePointer(editor, 400, 300, false);
        shell::HoverPalette(editor, 8 * shell::kToolButtonSize - 12);
    } else {
        shell::MovePointer(editor, width / 2, height / 2, false);
    }
    if (wholeScreen) window.runCommand(shell::CommandId::Negative);  // a change not yet saved: the title's mark
    window.area().syncFromState();
    window.area().update();
    Settle();

    if (wholeScreen) {
        QPixmap screenShot;
        auto grabScreen = [&] {
            Settle();
            screenShot = QGuiApplication::primaryScreen()->grabWindow(0);
        };
        if (mode == QLatin1String("save-dialog")) {
            QTimer::singleShot(300, [&] {
                grabScreen();
                if (QWidget* dialog = QApplication::activeModalWidget()) dialog->close();
            });
            window.host().chooseSaveFile(editor.state().currentFilePath);
        } else {
            grabScreen();
        }
        if (screenShot.isNull() || !screenShot.save(out)) {
            std::fprintf(stderr, "cannot write %s\n", argv[2]);
            return 1;
        }
        return 0;
    }

    QPixmap shot;
    if (QGuiApplication::platformName() == QLatin1String("xcb") && window.windowHandle())
        shot = window.windowHandle()->screen()->grabWindow(window.winId());
    if (shot.isNull()) shot = window.grab();
    if (!shot.save(out)) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
