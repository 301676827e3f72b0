// Paste beside a clipboard owner that never answers, under a real X server (Xvfb): the window asks it once.
#include <xcb/xcb.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>

#include "core/ImageFiles.h"
#include "platform/MainWindow.h"
#include "tests/support/TestSupport.h"

using namespace zorva;

namespace {

// A client of its own connection that takes the CLIPBOARD selection and
// never answers a request for it, as a program that hangs does. It only
// counts the requests that reach it.
class SilentOwner {
public:
    SilentOwner() {
        int screenNumber = 0;
        m_connection = xcb_connect(nullptr, &screenNumber);
        if (xcb_connection_has_error(m_connection)) return;
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
        for (int i = 0; i < screenNumber; ++i) xcb_screen_next(&it);
        m_window = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, it.data->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        const char name[] = "CLIPBOARD";
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, uint16_t(std::strlen(name)), name), nullptr);
        if (!atom) return;
        m_clipboard = atom->atom;
        free(atom);
        xcb_set_selection_owner(m_connection, m_window, m_clipboard, XCB_CURRENT_TIME);
        xcb_get_selection_owner_reply_t* owner =
            xcb_get_selection_owner_reply(m_connection, xcb_get_selection_owner(m_connection, m_clipboard), nullptr);
        m_owns = owner && owner->owner == m_window;
        free(owner);
    }
    ~SilentOwner() { xcb_disconnect(m_connection); }
    bool owns() const { return m_owns; }
    // The requests for the selection that arrived (and were left unanswered).
    int requests() {
        int n = 0;
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
            if ((event->response_type & 0x7F) == XCB_SELECTION_REQUEST) ++n;
            free(event);
        }
        return n;
    }

private:
    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_window = 0;
    xcb_atom_t m_clipboard = 0;
    bool m_owns = false;
};

}  // namespace

class ClipboardTest : public QObject {
    Q_OBJECT

private slots:
    // One paste, one request: Qt's timeout is met at most once, where
    // asking for every image type Qt reads met it about 21 times (105 s).
    void pasteAsksASilentOwnerOnce() {
        if (QGuiApplication::platformName() != QLatin1String("xcb")) QSKIP("needs an X server (run under xvfb-run)");
        QTemporaryDir dir;
        platform::WindowOptions options;
        options.undoFolder = dir.path().toStdString();
        platform::MainWindow window(std::move(options));
        window.host().setQuiet(true);
        QVERIFY(window.startUp());
        const std::string picture = dir.filePath(QStringLiteral("p.bmp")).toStdString();
        QVERIFY(core::WriteImageFile(picture, test::MakeSolid(40, 30, 0x336699).view()));
        QVERIFY(window.openAtStart(picture));

        SilentOwner owner;
        QVERIFY(owner.owns());
        QTest::qWait(200);  // Qt hears that the clipboard changed hands
        window.runCommand(shell::CommandId::Paste);
        QCOMPARE(window.editor().state().toolMode, shell::tool::None);  // nothing pasted
        QCOMPARE(owner.requests(), 1);
    }
};

QTEST_MAIN(ClipboardTest)
#include "ClipboardTest.moc"
