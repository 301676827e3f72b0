// The rotation dialog: its buttons and illustrations, and the turn of the picture or the selection on "OK".
#include "shell/commands/Rotation.h"

#include <cstring>

#include "shell/Editor.h"
#include "shell/Messages.h"
#include "shell/commands/Selection.h"
#include "shell/dialogs/DialogCommand.h"

namespace zorva::shell {

namespace {

// What the buttons choose; none whenever the dialog opens.
enum Choice : int { NoChoice, Left, Right, Half, Mirror, ByAngle };

constexpr int kChoice = kFirstValueId;
constexpr int kBeforeBox = kFirstValueId + 1;
constexpr int kAfterBox = kFirstValueId + 2;

// Illustration numbers: the upright picture, then one per turn.
constexpr int kUpright = 751;

// The "После" box shows the choice; an angle has no picture.
int AfterPicture(const DialogModel& dialog) {
    const int choice = dialog.value(kChoice);
    if (choice == NoChoice) return kUpright;
    if (choice == ByAngle) return 0;
    return kUpright + choice;
}

constexpr ControlSpec kControls1[] = {
    Label("Ориентация"),
    SetButton(kButtonLeft, "Влево", kChoice, Left),
    SetButton(kButtonRight, "Вправо", kChoice, Right),
    SetButton(kButtonHalf, " 180 ", kChoice, Half),
    SetButton(kButtonMirror, "Зеркало", kChoice, Mirror),
    SetButton(kButtonAngle, "На угол", kChoice, ByAngle),
    {.kind = ControlKind::UpDown, .id = kAngleUpDown, .minimum = 0, .maximum = 360, .initial = 0},
    EchoOf(kAngleEdit, kAngleUpDown),
    Label("Перед"),
    {.kind = ControlKind::Picture, .id = kBeforeBox, .initial = kUpright},
    Label("После"),
    {.kind = ControlKind::Picture, .id = kAfterBox, .derive = AfterPicture},
    Value(kChoice, NoChoice),
    Button(kRotateOkId, "OK", Press::Ok),
    Button(kRotateCancelId, "Отмена", Press::Cancel),
};
constexpr DialogSpec kRotateDialog{"CONTROLS1", "Повернуть", kControls1};

// "Отмена" changes nothing but lays the view out again.
void Cancelled(Editor& editor, DialogModel&) {
    editor.relayout();
}

CommandReport RunRotation(Editor& editor, const DialogModel& dialog) {
    static constexpr edit::Turn kTurns[] = {edit::Turn::Left, edit::Turn::Right, edit::Turn::Half, edit::Turn::Mirror};
    const int choice = dialog.value(kChoice);
    if (choice >= Left && choice <= Mirror)
        TurnSelectionOrPicture(editor, kTurns[choice - Left]);
    else if (choice == ByAngle)
        editor.relayout();  // turning by an angle is not offered: the picture stays
    return {.timed = false};
}

constexpr OpWord kTurnWords[] = {
    {"left", kButtonLeft}, {"right", kButtonRight}, {"180", kButtonHalf}, {"mirror", kButtonMirror}};
constexpr OpArg kRotateArgs[] = {{"left|right|180|mirror", "turn", 0, kTurnWords}};

}  // namespace

const DialogCommand kRotateCommand{
    .form = &kRotateDialog, .hooks = {.cancelled = Cancelled}, .run = RunRotation, .opArgs = kRotateArgs};

void TurnSelectionOrPicture(Editor& editor, edit::Turn turn) {
    LiftSelection(editor);
    core::WorkArena& arena = editor.arena();
    const bool floats = CurrentSelection(editor) == SelectionKind::Floating;
    // A quarter turn makes the height the width, and no picture may be wider
    // than its rows can count: such a turn is refused and nothing changes.
    const core::BmpView subject = floats ? arena.floatImage() : core::BmpView(editor.document());
    const bool quarter = turn == edit::Turn::Right || turn == edit::Turn::Left;
    if (quarter && subject.height() > core::kMaxWidth) {
        editor.message(text::kTooLarge);
        return;
    }
    if (floats) {
        // The picture without the selection comes back; the floating pixels
        // turn from an untouched copy of their own (a pasted image can be
        // larger than the picture, and so than any region sized by it), and
        // are composited over it again at the same bottom-left corner.
        RestoreUnderSelection(editor);
        const core::BmpView floating = arena.floatImage();
        core::BmpImage source = core::BmpImage::Allocate(floating.fileSize());
        std::memcpy(source.data(), floating.data(), floating.fileSize());
        const core::MutableBmpView turned = FloatingPixels(editor, edit::TurnedFileSize(source.view(), turn));
        edit::TurnPicture(source.view(), turned, turn);
        RetakeUnderSelection(editor);
        Recomposite(editor);
    } else {
        // A turn of the whole picture is a step of its own for undo: without
        // its own snapshot, one undo would also take back the edits before it.
        editor.takeSnapshot();
        const core::MutableBmpView document = editor.document();
        const core::MutableBmpView source = arena.writeBackground();
        std::memcpy(source.data(), document.data(), document.fileSize());
        edit::TurnPicture(source, document, turn);
    }
    editor.relayout();
    editor.host().repaint(true);
}

}  // namespace zorva::shell
