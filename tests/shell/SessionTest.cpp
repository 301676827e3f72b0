// Long sessions of mixed commands, as a user strings them together (segmentations, recognition, effects): nothing
// faults, stale state is never fed to a command, and undo always leads back to the picture the session began with.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "shell/Messages.h"
#include "shell/commands/BarcodeCommand.h"
#include "shell/commands/CommandTable.h"
#include "shell/commands/EffectCommands.h"
#include "shell/commands/SegmentCommands.h"
#include "shell/input/Input.h"
#include "shell/input/Tools.h"
#include "shell/view/Palette.h"
#include "tests/shell/ShellFixture.h"

namespace zorva::shell {
namespace {

// A picture of blocks and noise, so that every segmentation finds segments
// of many sizes; any size from 1 x 1 up.
core::BmpImage Blocks(uint32_t width, uint32_t height, std::mt19937& random) {
    std::vector<uint32_t> colours(6);
    for (uint32_t& c : colours) c = random() & 0xFFFFFF;
    const uint32_t block = 1 + random() % 7;
    const uint32_t seed = random();
    return test::MakeImage(width, height, [&](uint32_t x, uint32_t r) {
        const uint32_t base = colours[(x / block * 7 + r / block * 3 + seed) % colours.size()];
        const uint32_t noise = (x * 2654435761u ^ r * 40503u ^ seed) % 5;
        return base ^ noise;
    });
}

class SessionTest : public ShellFixture {
protected:
    std::vector<uint8_t> Bytes() const {
        const core::BmpView doc = editor.document();
        return {doc.data(), doc.data() + doc.fileSize()};
    }
    // One command a user might choose now, with its dialog answered; some of
    // them end in Cancel or the close box. Returns whether it took a snapshot.
    bool RandomCommand(std::mt19937& random) {
        const auto pick = [&](int n) { return int(random() % uint32_t(n)); };
        const DialogStep ok{DialogStep::Click, kOkId, 0};
        const DialogStep ending = pick(5) == 0 ? DialogStep{DialogStep::Click, kCancelId, 0} : ok;
        switch (pick(14)) {
            case 0:
                host.scripts["SEGMENT1"] = {{DialogStep::Trackbar, kTrackbar1, 1 + pick(8)},
                                            {DialogStep::Trackbar, kTrackbar2, 1 + pick(3)},
                                            ending};
                editor.dispatch(CommandId::Segment8);
                return true;
            case 1:
                host.scripts["SEGMENT2"] = {{DialogStep::Trackbar, kTrackbar1, 2 + pick(7)},
                                            {DialogStep::Trackbar, kTrackbar2, pick(6)},
                                            ending};
                editor.dispatch(CommandId::SegmentMedianCut);
                return true;
            case 2:
                host.scripts["PALITRA"] = {{DialogStep::Trackbar, kTrackbar1, 2 + pick(10)},
                                           pick(4) == 0 ? DialogStep{DialogStep::Click, kButton256, 0} : ending};
                editor.dispatch(CommandId::Palette);
                return true;
            case 3:
                editor.dispatch(CommandId::Barcode);
                return true;
            case 4:
                editor.dispatch(CommandId::Text);
                return true;
            case 5:
                host.scripts["SEG_MIN"] = host.scripts["POGRESH"] = {{DialogStep::Trackbar, kTrackbar1, pick(6)}, ok};
                editor.dispatch(CommandId::SvgExport);
                return false;
            case 6: {
                // Segment selection: a few picks and a removal. They take no
                // snapshot, so the picture they change is one undo brings
                // back only when a step precedes them.
                if (editor.undoRing().index() == 0) return false;
                editor.dispatch(CommandId::SegmentSelect);
                const core::BmpView doc = editor.document();
                for (int i = pick(4); i >= 0; --i)
                    SegmentPickAt(editor, random() % doc.width(), random() % doc.height());
                if (pick(2)) SegmentRemove(editor);
                return false;
            }
            case 7:
                editor.dispatch(CommandId::Undo);
                return false;
            case 8:
                editor.dispatch(CommandId::Redo);
                return false;
            case 9:
                editor.dispatch(CommandId::CopyMode);
                return false;
            case 10: {
                const CommandId effects[] = {CommandId::Greyscale,      CommandId::Negative,   CommandId::ColourEnhance,
                                             CommandId::BlurLight,      CommandId::BlurMedium, CommandId::BlurStrong,
                                             CommandId::BlurVeryStrong, CommandId::Sobel,      CommandId::PencilHard,
                                             CommandId::PencilSoft,     CommandId::Sharpen};
                editor.dispatch(effects[pick(int(std::size(effects)))]);
                return true;
            }
            // The previewing dialogs; "Отмена" of CONTROLS and GRAVUR takes
            // their step back again.
            case 11:
                host.scripts["CONTROLS"] = {{DialogStep::Trackbar, kChannelUpDown, pick(4)},
                                            {DialogStep::Trackbar, kTrackbar1, pick(101)},
                                            {DialogStep::Trackbar, kTrackbar2, pick(101)},
                                            {DialogStep::Trackbar, kTrackbar3, 40 + pick(21)},
                                            pick(4) == 0 ? DialogStep{DialogStep::CloseBox, 0, 0} : ending};
                editor.dispatch(CommandId::Adjust);
                return true;
            case 12:
                host.scripts["POROG"] = {{DialogStep::Trackbar, kTrackbar1, pick(256)}, ending};
                editor.dispatch(CommandId::Threshold);
                return true;
            default:
                host.scripts["GRAVUR"] = {{DialogStep::Click, kRadio9x9 + pick(3), 0},
                                          {DialogStep::Trackbar, kTrackbar1, pick(41) - 10},
                                          ending};
                editor.dispatch(CommandId::Engrave);
                return true;
        }
    }
};

// Several hundred sessions on pictures of every shape, 1 x 1 included (this
// runs under AddressSanitizer too): whatever the order, a command that needs
// a segment map runs only while the map is intact, and undoing every step
// brings back the picture byte for byte.
TEST_F(SessionTest, MixedCommandsNeverFaultAndUndoLeadsBackToTheStart) {
    std::mt19937 random(20261208);
    state().currentFilePath = dir.file("session.bmp");  // the SVG files go beside it
    for (int session = 0; session < 300; ++session) {
        const uint32_t width = 1 + random() % 40, height = 1 + random() % 40;
        editor.install(Blocks(width, height, random), InstallKind::Open);
        const std::vector<uint8_t> start = Bytes();
        // The first command takes the first snapshot; later ones may not.
        host.scripts["SEGMENT2"] = {{DialogStep::Click, kOkId, 0}};
        editor.dispatch(CommandId::SegmentMedianCut);
        int snapshots = 1;
        while (snapshots < 12) {
            snapshots += RandomCommand(random) ? 1 : 0;
            // The segment commands are offered exactly while their map is intact.
            const bool mapThere = editor.segments().matches(editor.arena(), editor.document());
            ASSERT_EQ(IsEnabled(editor, CommandId::SvgExport), mapThere) << session;
            if (random() % 8 == 0) break;
        }
        for (int i = 0; i < 16; ++i) editor.dispatch(CommandId::Undo);
        ASSERT_EQ(Bytes(), start) << "session " << session << ", " << width << " x " << height;
        // The engraving refuses pictures under 17 x 17, and says so.
        std::erase_if(host.messages, [](const auto& m) { return m.text == text::kTooSmallToEngrave; });
        ASSERT_TRUE(host.messages.empty()) << host.messages.front().text;
    }
}

// A New picture (its block exactly the file size rounded up to 8) through a
// snapshot, undo and redo: the ring's whole-block moves stay inside it.
TEST_F(SessionTest, NewThenASnapshotThenUndoAndRedo) {
    editor.dispatch(CommandId::New);
    const std::vector<uint8_t> white = Bytes();
    editor.dispatch(CommandId::Text);
    test::Fill(editor.document(), 0x123456);
    const std::vector<uint8_t> painted = Bytes();
    editor.dispatch(CommandId::Undo);
    EXPECT_EQ(Bytes(), white);
    editor.dispatch(CommandId::Redo);
    EXPECT_EQ(Bytes(), painted);
}

// After any command the palette still answers the pointer, and a tool that
// was chosen still works: a command leaves the tool's action bit alone.
TEST_F(SessionTest, ToolsStillWorkAfterCommands) {
    Install(30, 20);
    host.scripts["SEGMENT2"] = {{DialogStep::Click, kOkId, 0}};
    editor.dispatch(CommandId::SegmentMedianCut);
    editor.dispatch(CommandId::SegmentSelect);
    for (CommandId id : {CommandId::Text, CommandId::Undo, CommandId::Redo}) {
        editor.dispatch(id);
        EXPECT_EQ(state().toolMode & tool::ActionUnderWay, 0) << ToInt(id);
    }
    EXPECT_TRUE(HoverPalette(editor, 30));
    EditorTools tools;
    state().pointer.pointerX = 5;
    state().pointer.pointerY = 5;
    host.statusLog.clear();
    LeftButtonDown(editor, 100, tools);
    ASSERT_FALSE(host.statusLog.empty());  // picked: segment, colour and area shown
    EXPECT_EQ(editor.segments().selected != 0, true);
}

}  // namespace
}  // namespace zorva::shell
