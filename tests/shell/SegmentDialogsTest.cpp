// The PALITRA, SEGMENT1, SEGMENT2, SEG_MIN and POGRESH dialog models: controls, defaults, echoes and snapshots.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/Editor.h"
#include "shell/dialogs/PaletteDialog.h"
#include "shell/dialogs/SegmentDialogs.h"
#include "shell/dialogs/SvgDialogs.h"
#include "tests/support/FakeHost.h"
#include "tests/support/TestSupport.h"

namespace zorva::shell {
namespace {

// What a control of the declared list should be; `text` is the caption, the
// button text or the edit's text at the time of the check.
struct Expected {
    int id;
    ControlKind kind;
    std::string text;
    int minimum = 0;
    int maximum = 0;
    int value = 0;
};

void ExpectControls(const DialogModel& dialog, const std::vector<Expected>& expected) {
    const std::vector<DialogControl>& controls = dialog.controls();
    ASSERT_EQ(controls.size(), expected.size()) << dialog.resource();
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(dialog.resource() + " control " + std::to_string(i));
        EXPECT_EQ(controls[i].id, expected[i].id);
        EXPECT_EQ(controls[i].kind, expected[i].kind);
        EXPECT_EQ(controls[i].text, expected[i].text);
        if (expected[i].kind == ControlKind::Trackbar) {
            EXPECT_EQ(controls[i].minimum, expected[i].minimum);
            EXPECT_EQ(controls[i].maximum, expected[i].maximum);
            EXPECT_EQ(controls[i].value, expected[i].value);
        }
    }
}

std::string EditText(const DialogModel& dialog, int id) {
    const DialogControl* c = dialog.control(id);
    return c ? c->text : "<no control>";
}

class SegmentDialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(editor.reserveArena());
        editor.install(test::MakeImage(9, 7, [](uint32_t x, uint32_t r) { return 0x203040 + 5 * x + 0x500 * r; }),
                       InstallKind::Open);
    }
    SegmentState& seg() { return editor.state().segment; }
    // Snapshots taken so far: every snapshot moves the ring's index on by one.
    int UndoIndex() { return editor.undoRing().index(); }

    test::TempDir dir;
    test::FakeHost host;
    Editor editor{host, dir.path()};
};

// ---- PALITRA ----

// Title, caption, the 2..32 trackbar echoed in 231, "256", OK and "Отмена";
// opening sets PaletteSize to 32 whatever it was.
TEST_F(SegmentDialogsTest, PaletteDialogDeclaresItsControlsAndOpensAt32) {
    seg().paletteSize = 7;
    PaletteDialog dialog(editor);
    dialog.open();
    EXPECT_EQ(dialog.resource(), "PALITRA");
    EXPECT_EQ(dialog.title(), "Индексированная палитра");
    ExpectControls(dialog, {{0, ControlKind::Label, "Количество цветов в палитре"},
                            {201, ControlKind::Trackbar, "", 2, 32, 32},
                            {231, ControlKind::ReadOnlyEdit, "032"},
                            {205, ControlKind::Button, "256"},
                            {211, ControlKind::Button, "OK"},
                            {212, ControlKind::Button, "Отмена"}});
    EXPECT_EQ(seg().paletteSize, 32);
}

// The trackbar writes PaletteSize and the three-digit echo; positions
// beyond the range stop at its ends.
TEST_F(SegmentDialogsTest, PaletteTrackbarWritesPaletteSizeAndEcho) {
    PaletteDialog dialog(editor);
    dialog.open();
    dialog.moveTrackbar(201, 7);
    EXPECT_EQ(seg().paletteSize, 7);
    EXPECT_EQ(EditText(dialog, 231), "007");
    dialog.moveTrackbar(201, 1);  // below the range
    EXPECT_EQ(seg().paletteSize, 2);
    EXPECT_EQ(EditText(dialog, 231), "002");
    dialog.moveTrackbar(201, 99);
    EXPECT_EQ(seg().paletteSize, 32);
    EXPECT_EQ(EditText(dialog, 231), "032");
    EXPECT_EQ(dialog.end(), DialogEnd::Running);
}

// "256" sets 256 colours and ends the dialog as OK would.
TEST_F(SegmentDialogsTest, Palette256ActsAsOk) {
    PaletteDialog dialog(editor);
    dialog.open();
    dialog.moveTrackbar(201, 5);
    EXPECT_TRUE(dialog.click(205));
    EXPECT_EQ(dialog.end(), DialogEnd::Ok);
    EXPECT_EQ(seg().paletteSize, 256);
}

// OK, "Отмена" and the close box end the dialog three different ways.
TEST_F(SegmentDialogsTest, PaletteEndings) {
    {
        PaletteDialog dialog(editor);
        EXPECT_EQ(PlayDialog(dialog, {{DialogStep::Click, 211, 0}}), DialogEnd::Ok);
    }
    {
        PaletteDialog dialog(editor);
        EXPECT_EQ(PlayDialog(dialog, {{DialogStep::Trackbar, 201, 9}, {DialogStep::Click, 212, 0}}), DialogEnd::Cancel);
    }
    {
        PaletteDialog dialog(editor);
        EXPECT_EQ(PlayDialog(dialog, {{DialogStep::CloseBox, 0, 0}}), DialogEnd::CloseBox);
    }
}

// ---- SEGMENT1 ----

// Two 1..25 trackbars with their captions (leading and trailing spaces kept);
// opening resets tolerance 2 and repetitions 5.
TEST_F(SegmentDialogsTest, SegmentEightDialogDeclaresItsControlsAndDefaults) {
    seg().segmentTolerance = 11;
    seg().segmentRepetitions = 1;
    SegmentEightDialog dialog(editor);
    dialog.open();
    EXPECT_EQ(dialog.resource(), "SEGMENT1");
    EXPECT_EQ(dialog.title(), "Параметры сегментации");
    ExpectControls(dialog, {{0, ControlKind::Label, "  Погрешность:"},
                            {201, ControlKind::Trackbar, "", 1, 25, 2},
                            {231, ControlKind::ReadOnlyEdit, "002"},
                            {0, ControlKind::Label, "  Повторения: "},
                            {202, ControlKind::Trackbar, "", 1, 25, 5},
                            {232, ControlKind::ReadOnlyEdit, "005"},
                            {211, ControlKind::Button, "OK"},
                            {212, ControlKind::Button, "Отмена"}});
    EXPECT_EQ(seg().segmentTolerance, 2);
    EXPECT_EQ(seg().segmentRepetitions, 5);
}

// Moving either trackbar reads both into the parameters and refreshes both edits.
TEST_F(SegmentDialogsTest, SegmentEightTrackbarsReadBoth) {
    SegmentEightDialog dialog(editor);
    dialog.open();
    dialog.moveTrackbar(202, 12);
    EXPECT_EQ(seg().segmentTolerance, 2);
    EXPECT_EQ(seg().segmentRepetitions, 12);
    EXPECT_EQ(EditText(dialog, 231), "002");
    EXPECT_EQ(EditText(dialog, 232), "012");
    dialog.moveTrackbar(201, 30);  // clamped to 25
    EXPECT_EQ(seg().segmentTolerance, 25);
    EXPECT_EQ(seg().segmentRepetitions, 12);
    EXPECT_EQ(EditText(dialog, 231), "025");
    dialog.moveTrackbar(202, 0);  // clamped to 1
    EXPECT_EQ(seg().segmentRepetitions, 1);
    EXPECT_EQ(EditText(dialog, 232), "001");
    EXPECT_TRUE(dialog.click(212));
    EXPECT_EQ(dialog.end(), DialogEnd::Cancel);
}

// ---- SEGMENT2 ----

// Colours 2..32 and minimum 0..50 with captions, x1, x10, OK, "Отмена";
// opening: PaletteSize 2, trackbar 5, scale 1, MinSegmentPoints 5.
TEST_F(SegmentDialogsTest, SegmentMedianCutDialogDeclaresItsControlsAndDefaults) {
    seg().paletteSize = 17;
    seg().minSegmentPoints = 300;
    SegmentMedianCutDialog dialog(editor);
    dialog.open();
    EXPECT_EQ(dialog.resource(), "SEGMENT2");
    EXPECT_EQ(dialog.title(), "Параметры сегментации");
    ExpectControls(dialog, {{0, ControlKind::Label, "Количество цветов в палитре"},
                            {201, ControlKind::Trackbar, "", 2, 32, 2},
                            {231, ControlKind::ReadOnlyEdit, "002"},
                            {0, ControlKind::Label, "Минимум точек в сегменте"},
                            {202, ControlKind::Trackbar, "", 0, 50, 5},
                            {232, ControlKind::ReadOnlyEdit, "005"},
                            {206, ControlKind::Button, "x1"},
                            {205, ControlKind::Button, "x10"},
                            {211, ControlKind::Button, "OK"},
                            {212, ControlKind::Button, "Отмена"}});
    EXPECT_EQ(seg().paletteSize, 2);
    EXPECT_EQ(seg().minSegmentPoints, 5);
    EXPECT_EQ(dialog.scale(), 1);
}

// MinSegmentPoints is trackbar 202 times the scale: "x10" and "x1"
// recompute it and edit 232 at once, and later trackbar moves keep the scale.
TEST_F(SegmentDialogsTest, ScaleButtonsRecomputeMinSegmentPoints) {
    SegmentMedianCutDialog dialog(editor);
    dialog.open();
    dialog.moveTrackbar(202, 7);
    EXPECT_EQ(seg().minSegmentPoints, 7);
    EXPECT_EQ(EditText(dialog, 232), "007");
    dialog.click(205);  // x10
    EXPECT_EQ(dialog.scale(), 10);
    EXPECT_EQ(seg().minSegmentPoints, 70);
    EXPECT_EQ(EditText(dialog, 232), "070");
    dialog.moveTrackbar(201, 16);  // reads both, scale kept
    EXPECT_EQ(seg().paletteSize, 16);
    EXPECT_EQ(EditText(dialog, 231), "016");
    EXPECT_EQ(seg().minSegmentPoints, 70);
    dialog.moveTrackbar(202, 50);
    EXPECT_EQ(seg().minSegmentPoints, 500);
    EXPECT_EQ(EditText(dialog, 232), "500");
    dialog.click(206);  // x1
    EXPECT_EQ(seg().minSegmentPoints, 50);
    EXPECT_EQ(EditText(dialog, 232), "050");
    EXPECT_EQ(dialog.end(), DialogEnd::Running);
    EXPECT_TRUE(dialog.click(211));
    EXPECT_EQ(dialog.end(), DialogEnd::Ok);
}

// Each opening starts again at scale 1, even after "x10" in an earlier one.
TEST_F(SegmentDialogsTest, ReopeningResetsTheScale) {
    {
        SegmentMedianCutDialog dialog(editor);
        PlayDialog(dialog, {{DialogStep::Click, 205, 0}, {DialogStep::Click, 211, 0}});
        EXPECT_EQ(seg().minSegmentPoints, 50);
    }
    SegmentMedianCutDialog again(editor);
    again.open();
    EXPECT_EQ(again.scale(), 1);
    EXPECT_EQ(seg().minSegmentPoints, 5);
    again.moveTrackbar(202, 3);
    EXPECT_EQ(seg().minSegmentPoints, 3);
}

// ---- SEG_MIN and POGRESH ----

// One trackbar echoed in 231, 5 on every opening; SEG_MIN 0..50, POGRESH 0..10.
TEST_F(SegmentDialogsTest, SvgDialogsDeclareOneValue) {
    SegMinDialog segMin;
    segMin.open();
    EXPECT_EQ(segMin.resource(), "SEG_MIN");
    EXPECT_EQ(segMin.title(), "Отбрасываемые сегменты");
    ExpectControls(segMin, {{0, ControlKind::Label, "Количество точек сегмента"},
                            {201, ControlKind::Trackbar, "", 0, 50, 5},
                            {231, ControlKind::ReadOnlyEdit, "005"},
                            {211, ControlKind::Button, "OK"},
                            {212, ControlKind::Button, "Отмена"}});
    PogreshDialog pogresh;
    pogresh.open();
    EXPECT_EQ(pogresh.resource(), "POGRESH");
    EXPECT_EQ(pogresh.title(), "Погрешность апроксимации");
    ExpectControls(pogresh, {{0, ControlKind::Label, "Погрешность"},
                             {201, ControlKind::Trackbar, "", 0, 10, 5},
                             {231, ControlKind::ReadOnlyEdit, "005"},
                             {211, ControlKind::Button, "OK"},
                             {212, ControlKind::Button, "Отмена"}});
}

TEST_F(SegmentDialogsTest, SvgDialogTrackbarEchoesAndClamps) {
    SegMinDialog segMin;
    segMin.open();
    segMin.moveTrackbar(201, 0);
    EXPECT_EQ(segMin.value(), 0);
    EXPECT_EQ(EditText(segMin, 231), "000");
    segMin.moveTrackbar(201, 50);
    EXPECT_EQ(EditText(segMin, 231), "050");
    PogreshDialog pogresh;
    pogresh.open();
    pogresh.moveTrackbar(201, 50);  // beyond 10
    EXPECT_EQ(pogresh.value(), 10);
    EXPECT_EQ(EditText(pogresh, 231), "010");
    // A reopened dialog shows 5 again.
    pogresh.open();
    EXPECT_EQ(pogresh.value(), 5);
    EXPECT_EQ(EditText(pogresh, 231), "005");
}

// ---- snapshots ----

// The three parameter dialogs take one undo snapshot when they open, before
// any answer; the SVG dialogs take none (the export leaves the picture alone).
TEST_F(SegmentDialogsTest, ParameterDialogsSnapshotOnOpening) {
    int before = UndoIndex();
    PaletteDialog palette(editor);
    palette.open();
    EXPECT_EQ(UndoIndex(), before + 1);
    before = UndoIndex();
    SegmentEightDialog eight(editor);
    eight.open();
    EXPECT_EQ(UndoIndex(), before + 1);
    before = UndoIndex();
    SegmentMedianCutDialog median(editor);
    median.open();
    EXPECT_EQ(UndoIndex(), before + 1);
    before = UndoIndex();
    SegMinDialog segMin;
    segMin.open();
    PogreshDialog pogresh;
    pogresh.open();
    EXPECT_EQ(UndoIndex(), before);
}

}  // namespace
}  // namespace zorva::shell
