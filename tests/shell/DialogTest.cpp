// The table-driven dialog model: values clamped, echoes and radios derived, buttons that set, end or cancel.
#include <gtest/gtest.h>

#include "shell/commands/EffectCommands.h"
#include "shell/commands/SegmentCommands.h"
#include "shell/dialogs/Dialog.h"
#include "tests/shell/ShellFixture.h"

namespace zorva::shell {
namespace {

constexpr int kChoice = kFirstValueId;
constexpr ControlSpec kLevelControls[] = {
    Slider(kTrackbar1, -10, 30, 8),
    EchoOf(kEdit1, kTrackbar1, Echo::SignedThree),
    Radio(kRadio9x9, "9x9", kChoice, 1),
    Radio(kRadio17x9, "17x9", kChoice, 2),
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
    EXPECT_EQ(dialog.control(kEdit1)->text, "008");
    EXPECT_TRUE(dialog.control(kRadio17x9)->checked);
    dialog.moveTrackbar(kTrackbar1, -5);
    EXPECT_EQ(dialog.control(kEdit1)->text, "-05");
    dialog.moveTrackbar(kTrackbar1, -99);
    EXPECT_EQ(dialog.value(kTrackbar1), -10);
    EXPECT_EQ(dialog.control(kEdit1)->text, "-10");
    dialog.moveTrackbar(kTrackbar1, 99);
    EXPECT_EQ(dialog.control(kEdit1)->text, "030");
    EXPECT_FALSE(dialog.click(kRadio9x9));
    EXPECT_TRUE(dialog.control(kRadio9x9)->checked);
    EXPECT_FALSE(dialog.control(kRadio17x9)->checked);
    EXPECT_EQ(dialog.end(), DialogEnd::Running);
    EXPECT_TRUE(dialog.click(kOkId));
    EXPECT_EQ(dialog.end(), DialogEnd::Ok);
    EXPECT_EQ(dialog.endedBy(), kOkId);
    EXPECT_TRUE(dialog.moveTrackbar(kTrackbar1, 3));  // an ended dialog takes nothing
    EXPECT_EQ(dialog.value(kTrackbar1), 30);

    DialogModel again(kLevel);
    again.open();
    EXPECT_EQ(again.value(kTrackbar1), 8);
    EXPECT_TRUE(again.click(kCancelId));
    EXPECT_EQ(again.end(), DialogEnd::Cancel);
}

class DialogCommandTest : public ShellFixture {};

// SEGMENT2 as the user meets it: opening takes the snapshot, "x10" scales the
// minimum shown in kEdit2 until "x1" takes it back, and only OK runs the command.
TEST_F(DialogCommandTest, SetButtonsScaleTheEchoAndOnlyOkRuns) {
    Install(12, 9);
    DialogModel dialog(*kSegmentMedianCutCommand.form, &editor, kSegmentMedianCutCommand.hooks, true);
    const int undoIndex = editor.undoRing().index();
    dialog.open();
    EXPECT_EQ(editor.undoRing().index(), undoIndex + 1);
    EXPECT_EQ(dialog.control(kEdit2)->text, "005");
    dialog.click(kButtonX10);  // x10
    EXPECT_EQ(dialog.control(kEdit2)->text, "050");
    dialog.moveTrackbar(kTrackbar2, 7);
    EXPECT_EQ(dialog.control(kEdit2)->text, "070");
    dialog.click(kButtonX1);  // x1
    EXPECT_EQ(dialog.control(kEdit2)->text, "007");
    dialog.closeBox();
    EXPECT_EQ(dialog.end(), DialogEnd::CloseBox);
    EXPECT_FALSE(editor.segmentationPresent());
}

}  // namespace
}  // namespace zorva::shell
