// The generic dialog host: controls built from a model, every action passed to it, the close box.
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QtTest>

#include "platform/QtDialogHost.h"
#include "shell/Editor.h"
#include "shell/dialogs/Dialog.h"
#include "shell/dialogs/ZoomDialog.h"
#include "tests/support/FakeHost.h"
#include "tests/support/TestSupport.h"

using namespace zorva;

namespace {

// A model with every kind of control: a label, a trackbar 0..255 echoed in
// edit 231, two radios and OK / Cancel.
class SampleModel : public shell::DialogModel {
public:
    SampleModel() : DialogModel("SAMPLE", "Проба") {
        add({.id = 0, .kind = shell::ControlKind::Label, .text = "Яркость"});
        add({.id = 201, .kind = shell::ControlKind::Trackbar, .minimum = 0, .maximum = 255, .value = 7});
        add({.id = 231, .kind = shell::ControlKind::ReadOnlyEdit, .text = "007"});
        add({.id = 301, .kind = shell::ControlKind::Radio, .text = "один", .checked = true});
        add({.id = 302, .kind = shell::ControlKind::Radio, .text = "два"});
        add({.id = 211, .kind = shell::ControlKind::Button, .text = "OK"});
        add({.id = 212, .kind = shell::ControlKind::Button, .text = "Отмена"});
    }
    std::vector<std::string> events;

protected:
    void onTrackbar(int id, int position) override {
        events.push_back("trackbar " + std::to_string(id) + " " + std::to_string(position));
        showValue(231, position);
    }
    void onClick(int id) override {
        events.push_back("click " + std::to_string(id));
        if (id == 301 || id == 302) {
            setChecked(301, id == 301);
            setChecked(302, id == 302);
        }
        if (id == 211) finish(shell::DialogEnd::Ok);
        if (id == 212) finish(shell::DialogEnd::Cancel);
    }
    void onCloseBox() override {
        events.push_back("close");
        finish(shell::DialogEnd::CloseBox);
    }
};

}  // namespace

class DialogHostTest : public QObject {
    Q_OBJECT

private slots:
    void controlsFollowTheModel() {
        SampleModel model;
        platform::ModelDialog dialog(model, nullptr);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Проба"));
        auto* slider = qobject_cast<QSlider*>(dialog.widgetFor(201));
        auto* edit = qobject_cast<QLineEdit*>(dialog.widgetFor(231));
        auto* one = qobject_cast<QRadioButton*>(dialog.widgetFor(301));
        auto* two = qobject_cast<QRadioButton*>(dialog.widgetFor(302));
        QVERIFY(slider && edit && one && two);
        QCOMPARE(slider->maximum(), 255);
        QCOMPARE(slider->value(), 7);
        QVERIFY(edit->isReadOnly());
        QCOMPARE(edit->text(), QStringLiteral("007"));
        QVERIFY(one->isChecked());
        slider->setValue(32);
        QCOMPARE(edit->text(), QStringLiteral("032"));
        two->click();
        QVERIFY(two->isChecked());
        QVERIFY(!one->isChecked());
        qobject_cast<QPushButton*>(dialog.widgetFor(211))->click();
        QCOMPARE(model.end(), shell::DialogEnd::Ok);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(model.events, (std::vector<std::string>{"trackbar 201 32", "click 302", "click 211"}));
    }

    void escapeIsTheCloseBox() {
        SampleModel model;
        platform::ModelDialog dialog(model, nullptr);
        dialog.show();
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QCOMPARE(model.end(), shell::DialogEnd::CloseBox);
        QCOMPARE(model.events, std::vector<std::string>{"close"});
    }

    void theZoomDialogActsAtOnce() {
        QTemporaryDir dir;
        test::FakeHost host;
        shell::Editor editor(host, dir.path().toStdString());
        QVERIFY(editor.reserveArena());
        editor.install(test::MakeSolid(50, 50, 0), shell::InstallKind::Open);
        shell::ZoomDialog model(editor);
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
