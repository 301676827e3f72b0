// The SEGMENT1 and SEGMENT2 dialog models.
#include "shell/dialogs/SegmentDialogs.h"

#include "shell/Editor.h"

namespace zorva::shell {

namespace {
constexpr const char* kTitle = "Параметры сегментации";
}

// ---- SEGMENT1 ----

SegmentEightDialog::SegmentEightDialog(Editor& editor) : DialogModel("SEGMENT1", kTitle), m_editor(editor) {
    add({0, ControlKind::Label, "  Погрешность:"});
    add({dialog::kTrackbar1, ControlKind::Trackbar, "", 1, 25, 2});
    add({dialog::kEdit1, ControlKind::ReadOnlyEdit, "002"});
    add({0, ControlKind::Label, "  Повторения: "});
    add({dialog::kTrackbar2, ControlKind::Trackbar, "", 1, 25, 5});
    add({dialog::kEdit2, ControlKind::ReadOnlyEdit, "005"});
    add({dialog::kOk, ControlKind::Button, "OK"});
    add({dialog::kCancel, ControlKind::Button, "Отмена"});
}

void SegmentEightDialog::open() {
    m_editor.takeSnapshot();
    SegmentState& s = m_editor.state().segment;
    s.segmentTolerance = 2;
    s.segmentRepetitions = 5;
    setTrackbar(dialog::kTrackbar1, 2);
    setTrackbar(dialog::kTrackbar2, 5);
    showValue(dialog::kEdit1, 2);
    showValue(dialog::kEdit2, 5);
}

void SegmentEightDialog::onTrackbar(int, int) {
    SegmentState& s = m_editor.state().segment;
    s.segmentTolerance = control(dialog::kTrackbar1)->value;
    s.segmentRepetitions = control(dialog::kTrackbar2)->value;
    showValue(dialog::kEdit1, s.segmentTolerance);
    showValue(dialog::kEdit2, s.segmentRepetitions);
}

void SegmentEightDialog::onClick(int id) {
    if (id == dialog::kOk) finish(DialogEnd::Ok);
    if (id == dialog::kCancel) finish(DialogEnd::Cancel);
}

// ---- SEGMENT2 ----

SegmentMedianCutDialog::SegmentMedianCutDialog(Editor& editor) : DialogModel("SEGMENT2", kTitle), m_editor(editor) {
    add({0, ControlKind::Label, "Количество цветов в палитре"});
    add({dialog::kTrackbar1, ControlKind::Trackbar, "", 2, 32, 2});
    add({dialog::kEdit1, ControlKind::ReadOnlyEdit, "002"});
    add({0, ControlKind::Label, "Минимум точек в сегменте"});
    add({dialog::kTrackbar2, ControlKind::Trackbar, "", 0, 50, 5});
    add({dialog::kEdit2, ControlKind::ReadOnlyEdit, "005"});
    add({dialog::kButtonX1, ControlKind::Button, "x1"});
    add({dialog::kButtonX10, ControlKind::Button, "x10"});
    add({dialog::kOk, ControlKind::Button, "OK"});
    add({dialog::kCancel, ControlKind::Button, "Отмена"});
}

void SegmentMedianCutDialog::open() {
    m_editor.takeSnapshot();
    SegmentState& s = m_editor.state().segment;
    s.paletteSize = 2;
    s.minSegmentPoints = 5;
    m_scale = 1;
    setTrackbar(dialog::kTrackbar1, 2);
    setTrackbar(dialog::kTrackbar2, 5);
    showValue(dialog::kEdit1, 2);
    showValue(dialog::kEdit2, 5);
}

void SegmentMedianCutDialog::readTrackbars() {
    SegmentState& s = m_editor.state().segment;
    s.paletteSize = control(dialog::kTrackbar1)->value;
    s.minSegmentPoints = control(dialog::kTrackbar2)->value * m_scale;
    showValue(dialog::kEdit1, s.paletteSize);
    showValue(dialog::kEdit2, s.minSegmentPoints);
}

void SegmentMedianCutDialog::onTrackbar(int, int) {
    readTrackbars();
}

void SegmentMedianCutDialog::onClick(int id) {
    if (id == dialog::kButtonX1 || id == dialog::kButtonX10) {
        m_scale = id == dialog::kButtonX10 ? 10 : 1;
        SegmentState& s = m_editor.state().segment;
        s.minSegmentPoints = control(dialog::kTrackbar2)->value * m_scale;
        showValue(dialog::kEdit2, s.minSegmentPoints);
    } else if (id == dialog::kOk) {
        finish(DialogEnd::Ok);
    } else if (id == dialog::kCancel) {
        finish(DialogEnd::Cancel);
    }
}

}  // namespace zorva::shell
