// The table-driven dialog model: values clamped, echoes and radios derived, buttons that set, end or cancel.
#include <gtest/gtest.h>

#include "shell/commands/SegmentCommands.h"
#include "shell/dialogs/Dialog.h"
#include "tests/shell/ShellFixture.h"

namespace zorva::shell {
namespace {

constexpr int kChoice = kFirstValueId;
constexpr ControlSpec kLevelControls[] = {
    Slider(201, -10, 30, 8),
    EchoOf(231, 201, Echo::SignedThree),
    Radio(350, "9x9", kChoice, 1),
    Radio(351, "17x9", kChoice, 2),
    Value(kChoice, 2),
    kOkButton,
    kCancelButton,
};
constexpr DialogSpec kLevel{"LEVEL", "Уровень", kLevelControls};

// A user's session on one dialog: the echo follows the trackbar (with its
// sign), positions stop at the range's ends, radios follow their value, and
// a second opening starts again from the table's values.
TEST(DialogModel, EchoesAndRadiosFollowTheValues) {
    DialogModel dialog(kLevel);
    dialog.open();
    EXPECT_EQ(dialog.control(231)->text, "008");
    EXPECT_TRUE(dialog.control(351)->checked);
    dialog.moveTrackbar(201, -5);
    EXPECT_EQ(dialog.control(231)->text, "-05");
    dialog.moveTrackbar(201, -99);
    EXPECT_EQ(dialog.value(201), -10);
    EXPECT_EQ(dialog.control(231)->text, "-10");
    dialog.moveTrackbar(201, 99);
    EXPECT_EQ(dialog.control(231)->text, "030");
    EXPECT_FALSE(dialog.click(350));
    EXPECT_TRUE(dialog.control(350)->checked);
    EXPECT_FALSE(dialog.control(351)->checked);
    EXPECT_EQ(dialog.end(), DialogEnd::Running);
    EXPECT_TRUE(dialog.click(211));
    EXPECT_EQ(dialog.end(), DialogEnd::Ok);
    EXPECT_EQ(dialog.endedBy(), 211);
    EXPECT_TRUE(dialog.moveTrackbar(201, 3));  // an ended dialog takes nothing
    EXPECT_EQ(dialog.value(201), 30);

    DialogModel again(kLevel);
    again.open();
    EXPECT_EQ(again.value(201), 8);
    EXPECT_TRUE(again.click(212));
    EXPECT_EQ(again.end(), DialogEnd::Cancel);
}

class DialogCommandTest : public ShellFixture {};

// SEGMENT2 as the user meets it: opening takes the snapshot, "x10" scales the
// minimum shown in 232 until "x1" takes it back, and only OK runs the command.
TEST_F(DialogCommandTest, SetButtonsScaleTheEchoAndOnlyOkRuns) {
    Install(12, 9);
    DialogModel dialog(*kSegmentMedianCutCommand.form, &editor, kSegmentMedianCutCommand.hooks, true);
    const int undoIndex = editor.undoRing().index();
    dialog.open();
    EXPECT_EQ(editor.undoRing().index(), undoIndex + 1);
    EXPECT_EQ(dialog.control(232)->text, "005");
    dialog.click(205);  // x10
    EXPECT_EQ(dialog.control(232)->text, "050");
    dialog.moveTrackbar(202, 7);
    EXPECT_EQ(dialog.control(232)->text, "070");
    dialog.click(206);  // x1
    EXPECT_EQ(dialog.control(232)->text, "007");
    dialog.closeBox();
    EXPECT_EQ(dialog.end(), DialogEnd::CloseBox);
    EXPECT_FALSE(editor.segmentationPresent());
}

}  // namespace
}  // namespace zorva::shell
