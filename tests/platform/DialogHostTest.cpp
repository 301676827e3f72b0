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
#include "shell/commands/EffectCommands.h"
#include "shell/commands/WindowCommands.h"
#include "shell/dialogs/Dialog.h"
#include "tests/support/FakeHost.h"
#include "tests/support/TestSupport.h"

using namespace zorva;

namespace {

// What the hooks saw, in order.
std::vector<std::string> g_events;

constexpr int kChoice = shell::kFirstValueId;
constexpr int kRadioOne = 301;  // the sample's own radios
constexpr int kRadioTwo = 302;
constexpr std::string_view kChannelNames[] = {"Все цвета", "Красный"};

// A table with every kind of control: a label, a trackbar 0..255 echoed in
// an edit, two radios choosing a value, an up-down echoed by name, OK and
// Cancel.
constexpr shell::ControlSpec kSampleControls[] = {
    shell::Label("Яркость"),
    shell::Slider(shell::kTrackbar1, 0, 255, 7),
    shell::EchoOf(shell::kEdit1, shell::kTrackbar1),
    shell::Radio(kRadioOne, "один", kChoice, 1),
    shell::Radio(kRadioTwo, "два", kChoice, 2),
    shell::Value(kChoice, 1),
    {.kind = shell::ControlKind::UpDown, .id = shell::kChannelUpDown, .minimum = 0, .maximum = 1},
    {.kind = shell::ControlKind::ReadOnlyEdit,
     .id = shell::kEdit4,
     .source = shell::kChannelUpDown,
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
        auto* slider = qobject_cast<QSlider*>(dialog.widgetFor(shell::kTrackbar1));
        auto* edit = qobject_cast<QLineEdit*>(dialog.widgetFor(shell::kEdit1));
        auto* one = qobject_cast<QRadioButton*>(dialog.widgetFor(kRadioOne));
        auto* two = qobject_cast<QRadioButton*>(dialog.widgetFor(kRadioTwo));
        auto* channel = qobject_cast<QLineEdit*>(dialog.widgetFor(shell::kEdit4));
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
        qobject_cast<QPushButton*>(dialog.widgetFor(shell::kOkId))->click();
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
        QVERIFY(qobject_cast<QRadioButton*>(dialog.widgetFor(shell::ZoomRadio(3)))->isChecked());  // 100%
        qobject_cast<QRadioButton*>(dialog.widgetFor(shell::ZoomRadio(8)))->click();
        QCOMPARE(int(editor.state().zoomIndex), 8);
        QVERIFY(qobject_cast<QRadioButton*>(dialog.widgetFor(shell::ZoomRadio(8)))->isChecked());
        QVERIFY(!qobject_cast<QRadioButton*>(dialog.widgetFor(shell::ZoomRadio(3)))->isChecked());
        QCOMPARE(model.end(), shell::DialogEnd::Running);
        qobject_cast<QPushButton*>(dialog.widgetFor(shell::kZoomOkId))->click();
        QCOMPARE(model.end(), shell::DialogEnd::Ok);
    }
};

QTEST_MAIN(DialogHostTest)
#include "DialogHostTest.moc"
