// The generic dialog host: controls built from a model, every action passed to it, the close box.
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include "platform/QtDialogHost.h"
#include "shell/Editor.h"
#include "shell/commands/WindowCommands.h"
#include "shell/dialogs/Dialog.h"
#include "tests/support/FakeHost.h"
#include "tests/support/TestSupport.h"

using namespace zorva;

namespace {

// What the hooks saw, in order.
std::vector<std::string> g_events;

constexpr int kChoice = shell::kFirstValueId;
constexpr int kChannel = 204;
constexpr std::string_view kChannelNames[] = {"Все цвета", "Красный"};

// A table with every kind of control: a label, a trackbar 0..255 echoed in
// edit 231, two radios choosing a value, an up-down echoed by name, OK and
// Cancel.
constexpr shell::ControlSpec kSampleControls[] = {
    shell::Label("Яркость"),
    shell::Slider(201, 0, 255, 7),
    shell::EchoOf(231, 201),
    shell::Radio(301, "один", kChoice, 1),
    shell::Radio(302, "два", kChoice, 2),
    shell::Value(kChoice, 1),
    {.kind = shell::ControlKind::UpDown, .id = kChannel, .minimum = 0, .maximum = 1},
    {.kind = shell::ControlKind::ReadOnlyEdit,
     .id = 234,
     .source = kChannel,
     .echo = shell::Echo::Name,
     .names = kChannelNames},
    shell::kOkButton,
    shell::kCancelButton,
};
constexpr shell::DialogSpec kSample{"SAMPLE", "Проба", kSampleControls};

const shell::DialogHooks kRecording{
    .changed = [](shell::Editor&, shell::DialogModel& m,
                  int id) { g_events.push_back("change " + std::to_string(id) + " " + std::to_string(m.value(id))); },
    .closed = [](shell::Editor&, shell::DialogModel&) { g_events.push_back("close"); },
};

struct Bench {
    Bench() : editor(host, dir.path().toStdString()) { g_events.clear(); }
    QTemporaryDir dir;
    test::FakeHost host;
    shell::Editor editor;
};

}  // namespace

class DialogHostTest : public QObject {
    Q_OBJECT

private slots:
    void controlsFollowTheModel() {
        Bench bench;
        shell::DialogModel model(kSample, &bench.editor, kRecording);
        model.open();
        platform::ModelDialog dialog(model, nullptr);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Проба"));
        auto* slider = qobject_cast<QSlider*>(dialog.widgetFor(201));
        auto* edit = qobject_cast<QLineEdit*>(dialog.widgetFor(231));
        auto* one = qobject_cast<QRadioButton*>(dialog.widgetFor(301));
        auto* two = qobject_cast<QRadioButton*>(dialog.widgetFor(302));
        auto* channel = qobject_cast<QLineEdit*>(dialog.widgetFor(234));
        QVERIFY(slider && edit && one && two && channel);
        QCOMPARE(slider->maximum(), 255);
        QCOMPARE(slider->value(), 7);
        QVERIFY(edit->isReadOnly());
        QCOMPARE(edit->text(), QStringLiteral("007"));
        QVERIFY(one->isChecked());
        QCOMPARE(channel->text(), QStringLiteral("Все цвета"));
        slider->setValue(32);
        QCOMPARE(edit->text(), QStringLiteral("032"));
        two->click();
        QVERIFY(two->isChecked());
        QVERIFY(!one->isChecked());
        // The up-down's upper arrow steps the channel; the echo names it.
        const QList<QToolButton*> arrows = dialog.findChildren<QToolButton*>();
        QCOMPARE(arrows.size(), 2);
        arrows[0]->click();
        QCOMPARE(channel->text(), QStringLiteral("Красный"));
        qobject_cast<QPushButton*>(dialog.widgetFor(211))->click();
        QCOMPARE(model.end(), shell::DialogEnd::Ok);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(g_events, (std::vector<std::string>{"change 201 32", "change 302 0", "change 204 1"}));
    }

    void escapeIsTheCloseBox() {
        Bench bench;
        shell::DialogModel model(kSample, &bench.editor, kRecording);
        model.open();
        platform::ModelDialog dialog(model, nullptr);
        dialog.show();
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QCOMPARE(model.end(), shell::DialogEnd::CloseBox);
        QCOMPARE(g_events, std::vector<std::string>{"close"});
    }

    void theZoomDialogActsAtOnce() {
        Bench bench;
        shell::Editor& editor = bench.editor;
        QVERIFY(editor.reserveArena());
        editor.install(test::MakeSolid(50, 50, 0), shell::InstallKind::Open);
        shell::DialogModel model(*shell::kZoomCommand.form, &editor, shell::kZoomCommand.hooks);
        model.open();
        platform::ModelDialog dialog(model, nullptr);
        QVERIFY(qobject_cast<QRadioButton*>(dialog.widgetFor(252))->isChecked());  // 100%
        qobject_cast<QRadioButton*>(dialog.widgetFor(257))->click();
        QCOMPARE(int(editor.state().zoomIndex), 8);
        QVERIFY(qobject_cast<QRadioButton*>(dialog.widgetFor(257))->isChecked());
        QVERIFY(!qobject_cast<QRadioButton*>(dialog.widgetFor(252))->isChecked());
        QCOMPARE(model.end(), shell::DialogEnd::Running);
        qobject_cast<QPushButton*>(dialog.widgetFor(258))->click();
        QCOMPARE(model.end(), shell::DialogEnd::Ok);
    }
};

QTEST_MAIN(DialogHostTest)
#include "DialogHostTest.moc"
