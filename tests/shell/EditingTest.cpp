// The editing tools as a user drives them: scripted pointer gestures and commands through the one dispatcher, checked
// pixel by pixel.
#include <gtest/gtest.h>

#include <initializer_list>
#include <random>
#include <set>
#include <string>
#include <utility>

#include "shell/Messages.h"
#include "shell/cli/CliOps.h"
#include "shell/commands/CommandTable.h"
#include "shell/commands/Selection.h"
#include "shell/dialogs/DialogCommand.h"
#include "shell/input/Tools.h"
#include "shell/view/Palette.h"
#include "tests/shell/ShellFixture.h"

namespace zorva::shell {
namespace {

using Pixel = std::pair<int, int>;  // column, stored row

class EditingTest : public ShellFixture {
protected:
    // Runs OPs as `zorva-cli apply` does: gestures (rows counted from the
    // top) through the mouse routing, commands through the dispatcher.
    void Do(std::initializer_list<const char*> ops) {
        for (const char* op : ops) {
            std::string why;
            std::optional<OpCall> call = ParseOp(op, why);
            ASSERT_TRUE(call) << why;
            if (call->gesture) {
                PerformGesture(editor, *call->gesture, tools);
                continue;
            }
            // The OP's answers go to whichever dialog its command opens.
            if (const CommandInfo* info = FindCommand(ToInt(call->id)); info && info->dialog)
                host.scripts[std::string(info->dialog->form->resource)] = call->script;
            editor.dispatch(call->id);
        }
    }
    void InstallSolid(uint32_t width, uint32_t height, uint32_t rgb) {
        editor.install(test::MakeSolid(width, height, rgb), InstallKind::Open);
    }
    uint32_t At(int x, int r) const { return test::Rgb(editor.document(), uint32_t(x), uint32_t(r)); }
    // The pixels of the picture that are not `background`.
    std::set<Pixel> Marked(uint32_t background) const {
        std::set<Pixel> marked;
        const core::BmpView doc = editor.document();
        for (uint32_t r = 0; r < doc.height(); ++r)
            for (uint32_t x = 0; x < doc.width(); ++x)
                if (test::Rgb(doc, x, r) != background) marked.insert({int(x), int(r)});
        return marked;
    }
    static std::set<Pixel> Square(int x0, int r0, int side) {
        std::set<Pixel> square;
        for (int r = r0; r < r0 + side; ++r)
            for (int x = x0; x < x0 + side; ++x) square.insert({x, r});
        return square;
    }
    std::vector<uint8_t> Bytes() const {
        const core::BmpView doc = editor.document();
        return {doc.data(), doc.data() + doc.fileSize()};
    }

    EditorTools tools;
};

// Stamps are squares placed by the width's half; lines step in fixed point
// from the previous point to the new one; the eraser paints pure white.
TEST_F(EditingTest, PencilStampsAndLinesCoverExactlyTheirPixels) {
    InstallSolid(20, 20, 0xFFFFFF);
    // Stored (10, 10) is row 9 from the top of a 20-high picture.
    const std::pair<const char*, std::set<Pixel>> widths[] = {
        {"Line1", Square(10, 10, 1)}, {"Line3", Square(9, 9, 3)}, {"Line4", Square(8, 8, 4)}};
    const CommandId items[] = {CommandId::Line1, CommandId::Line3, CommandId::Line4};
    for (size_t i = 0; i < 3; ++i) {
        editor.dispatch(items[i]);
        Do({"tool:pencil", "click:10,9"});
        EXPECT_EQ(Marked(0xFFFFFF), widths[i].second) << widths[i].first;
        Do({"undo"});
        EXPECT_TRUE(Marked(0xFFFFFF).empty());
    }

    // The line from stored (0, 0) to (10, 3): eleven stamps, nothing else.
    editor.dispatch(CommandId::Line1);
    Do({"tool:line", "drag:0,19,5,12,10,16"});
    EXPECT_EQ(
        Marked(0xFFFFFF),
        (std::set<Pixel>{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1}, {5, 2}, {6, 2}, {7, 2}, {8, 2}, {9, 3}, {10, 3}}));
    // The eraser (8 wide) takes part of it back to pure white.
    Do({"tool:eraser", "click:1,18"});
    EXPECT_EQ(Marked(0xFFFFFF), (std::set<Pixel>{{5, 2}, {6, 2}, {7, 2}, {8, 2}, {9, 3}, {10, 3}}));
}

// The fill takes the 4-connected region of the pressed pixel only; filling
// with the colour already there changes nothing.
TEST_F(EditingTest, FloodFillIsFourConnected) {
    // A diagonal chain of red pixels on white: touching corners only.
    editor.install(test::MakeImage(12, 12, [](uint32_t x, uint32_t r) { return x == r ? 0xFF0000u : 0xFFFFFFu; }),
                   InstallKind::Open);
    Do({"tool:fill", "click:5,6"});  // stored (5, 5)
    EXPECT_EQ(Marked(0xFFFFFF),
              (std::set<Pixel>{
                  {0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}, {7, 7}, {8, 8}, {9, 9}, {10, 10}, {11, 11}}));
    EXPECT_EQ(At(5, 5), 0x000000u);
    // The white above the diagonal is one region, the white below another.
    Do({"click:0,0"});
    EXPECT_EQ(At(11, 0), 0xFFFFFFu);
    EXPECT_EQ(At(0, 11), 0x000000u);
    const std::vector<uint8_t> before = Bytes();
    Do({"click:0,0"});  // black on black
    EXPECT_EQ(Bytes(), before);
}

// The rectangle stays editable as an XOR outline until something commits
// it; its edges and corners can be dragged within the tolerance.
TEST_F(EditingTest, EditableRectangleIsCommittedByAToolChangeOrTheRightButton) {
    InstallSolid(40, 30, 0x204060);
    Do({"tool:rectangle", "drag:5,5,20,15"});
    EXPECT_EQ(At(5, 24), 0x204060u ^ 0x808080u);  // the top-left corner, XOR outline
    EXPECT_EQ(At(20, 14), 0x204060u ^ 0x808080u);
    // The right edge dragged along its axis (within the tolerance of 3 + 1).
    Do({"drag:23,10,30,10"});
    EXPECT_EQ(At(20, 19), 0x204060u);
    EXPECT_EQ(At(30, 19), 0x204060u ^ 0x808080u);
    Do({"tool:pencil"});
    EXPECT_EQ(At(5, 24), 0x000000u);
    EXPECT_EQ(At(30, 14), 0x000000u);
    EXPECT_EQ(At(12, 19), 0x204060u);  // inside untouched

    // A second one committed by the right button, with no context menu left open.
    Do({"tool:rectangle", "drag:1,1,3,3", "rclick:30,25"});
    EXPECT_EQ(At(1, 28), 0x000000u);
    // A press far outside an editable one commits it and starts anew.
    Do({"drag:10,20,12,22", "click:35,5"});
    EXPECT_EQ(At(12, 7), 0x000000u);
}

// Lifting leaves a white hole unless copy mode is on; white pixels lifted
// stay visible as (255, 255, 254); the drag tolerance is d outside the box.
TEST_F(EditingTest, MovingASelectionLeavesAHoleOnlyWithoutCopyMode) {
    for (const bool copyMode : {false, true}) {
        editor.install(test::MakeImage(40, 30, [](uint32_t x, uint32_t) { return x < 10 ? 0xFFFFFFu : 0x336699u; }),
                       InstallKind::Open);
        if (copyMode != state().copyMode) Do({"copy-mode"});
        // Columns 5..14 of rows 20..24 (stored 5..9): half white, half blue.
        Do({"tool:rectangle-select", "drag:5,20,14,24", "drag:10,22,30,12"});
        ASSERT_EQ(state().toolMode, tool::SelectionFloating);
        // The hole, and the lifted pixels 20 columns right and 10 rows up.
        EXPECT_EQ(At(12, 7), copyMode ? 0x336699u : 0xFFFFFFu);
        EXPECT_EQ(At(27, 17), 0xFFFFFEu);  // lifted white, visible
        EXPECT_EQ(At(32, 17), 0x336699u);
        // The bounding box now spans columns 25..34, stored rows 15..19; at
        // 100% the tolerance is 3: a press 3 outside grabs, 4 outside drops.
        Do({"click:37,12"});
        EXPECT_EQ(state().toolMode, tool::SelectionFloating);
        Do({"click:38,12"});
        EXPECT_EQ(state().toolMode, tool::RectangleSelection);
        // Dropped without an outline: the box's edge shows its own pixels.
        EXPECT_EQ(At(34, 19), 0x336699u);
        EXPECT_EQ(At(35, 19), 0x336699u);
        Do({"undo"});
        EXPECT_EQ(At(12, 7), 0x336699u);
        EXPECT_EQ(At(27, 17), 0x336699u);
        // Undo while it floats takes the move back; redo brings the moved
        // pixels back without the outline they floated with.
        Do({"drag:5,20,14,24", "drag:10,22,30,12", "undo"});
        EXPECT_EQ(At(27, 17), 0x336699u);
        Do({"redo"});
        EXPECT_EQ(At(27, 17), 0xFFFFFEu);
        EXPECT_EQ(At(34, 19), 0x336699u);
    }
}

// Every pixel inside the outline is selected whatever its colour, none
// outside it; delete turns the kept pure white into (255, 255, 254).
TEST_F(EditingTest, ClipboardCommandsActOnTheOutlinedShape) {
    const auto picture = [](uint32_t x, uint32_t r) { return x >= 30 ? 0xFFFFFFu : 0x10A010u + x + 256 * r; };
    editor.install(test::MakeImage(40, 30, picture), InstallKind::Open);
    // A polygon selection: a triangle, closed by the right button.
    Do({"tool:polygon-select", "click:2,27", "click:20,27", "click:2,9", "rclick:0,0"});
    ASSERT_EQ(state().toolMode, tool::SelectionOutlined);
    Do({"copy"});
    EXPECT_EQ(state().toolMode, tool::PolygonSelection);
    EXPECT_EQ(editor.document().width(), 40u);  // nothing changed in the picture
    for (uint32_t r = 0; r < 30; ++r)
        for (uint32_t x = 0; x < 40; ++x) ASSERT_EQ(At(int(x), int(r)), picture(x, r)) << x << "," << r;

    // Paste: the triangle's box at the bottom-left, its outside transparent.
    Do({"paste"});
    EXPECT_EQ(state().toolMode, tool::SelectionPasted);
    Do({"click:39,0"});                  // outside it: dropped
    EXPECT_EQ(At(0, 0), picture(2, 2));  // the triangle's corners, pasted
    EXPECT_EQ(At(18, 0), picture(20, 2));
    EXPECT_EQ(At(2, 0), picture(4, 2));
    EXPECT_EQ(At(18, 17), picture(18, 17));  // outside the triangle: the picture's own

    // Delete the same triangle: its pixels pure white, the white elsewhere 254.
    Do({"undo", "tool:polygon-select", "click:2,27", "click:20,27", "click:2,9", "rclick:0,0", "delete"});
    EXPECT_EQ(At(3, 3), 0xFFFFFFu);
    EXPECT_EQ(At(10, 10), 0xFFFFFFu);
    EXPECT_EQ(At(3, 1), picture(3, 1));
    EXPECT_EQ(At(35, 5), 0xFFFFFEu);
    EXPECT_EQ(At(25, 5), picture(25, 5));

    // Crop to a rectangle: the picture becomes its box.
    Do({"undo", "tool:rectangle-select", "drag:4,4,13,8", "crop"});
    EXPECT_EQ(editor.document().width(), 10u);
    EXPECT_EQ(editor.document().height(), 5u);
    EXPECT_EQ(At(0, 0), picture(4, 21));
    EXPECT_EQ(At(9, 4), picture(13, 25));
    Do({"undo"});
    EXPECT_EQ(editor.document().width(), 40u);
}

// A picture larger than the document pastes clipped at the right and the
// top; copy with nothing outlined leaves the clipboard as it was.
TEST_F(EditingTest, PasteClipsAtTheRightAndTop) {
    InstallSolid(20, 10, 0x000080);
    const core::BmpImage big = test::MakeImage(30, 15, [](uint32_t x, uint32_t r) { return 0x100000u + x + 256 * r; });
    host.setClipboardPicture(big.view());
    Do({"select-all", "copy"});  // a floating selection copies nothing
    Do({"paste", "tool:pencil"});
    EXPECT_EQ(At(0, 0), 0x100000u);
    EXPECT_EQ(At(19, 9), 0x100000u + 19 + 256 * 9);
    EXPECT_EQ(state().toolMode, tool::Pencil);
}

// Quarter turns exchange width and height; right then left is the
// identity; a floating selection turns about its bottom-left corner; the
// turn of the whole picture is undone alone.
TEST_F(EditingTest, RotationTurnsThePictureOrTheSelection) {
    editor.install(test::MakeImage(3, 2, [](uint32_t x, uint32_t r) { return 0x010000u * (x + 1) + r; }),
                   InstallKind::Open);
    const std::vector<uint8_t> start = Bytes();
    Do({"rotate:right"});
    ASSERT_EQ(editor.document().width(), 2u);
    ASSERT_EQ(editor.document().height(), 3u);
    EXPECT_EQ(At(0, 0), 0x030000u);  // from the source's bottom-right (2, 0)
    EXPECT_EQ(At(1, 0), 0x030001u);
    Do({"rotate:left"});
    EXPECT_EQ(Bytes(), start);
    Do({"rotate:180", "rotate:180", "rotate:mirror", "rotate:mirror"});
    EXPECT_EQ(Bytes(), start);
    Do({"rotate:right", "undo"});
    EXPECT_EQ(Bytes(), start);

    // A 6 x 2 piece of a larger picture, turned right: 2 wide and 6 high at
    // the same bottom-left corner.
    const auto picture = [](uint32_t x, uint32_t r) { return 0x400000u + x + 256 * r; };
    editor.install(test::MakeImage(20, 20, picture), InstallKind::Open);
    Do({"tool:rectangle-select", "drag:4,15,9,16", "rotate:right"});
    ASSERT_EQ(state().toolMode, tool::SelectionFloating);
    Do({"tool:pencil"});                 // drops it
    EXPECT_EQ(At(4, 3), picture(9, 3));  // bottom-left from the piece's bottom-right
    EXPECT_EQ(At(5, 3), picture(9, 4));
    EXPECT_EQ(At(4, 8), picture(4, 3));
    EXPECT_EQ(At(8, 3), 0xFFFFFFu);  // where the piece lay and the turned one does not
    EXPECT_EQ(At(4, 9), picture(4, 9));
}

// A quarter turn that would make the picture (or the selection) wider than
// a row can count is refused with a message and changes nothing; a pasted
// image larger than the picture turns like any other floating selection.
TEST_F(EditingTest, TurnsOfTallPicturesAndOfPastesLargerThanThePicture) {
    InstallSolid(2, core::kMaxWidth + 1, 0x336699);
    const std::vector<uint8_t> tall = Bytes();
    for (const char* turn : {"rotate:right", "rotate:left"}) {
        host.messages.clear();
        Do({turn});
        EXPECT_EQ(Bytes(), tall) << turn;
        ASSERT_EQ(host.messages.size(), 1u) << turn;
        EXPECT_EQ(host.messages[0].text, text::kTooLarge);
    }
    Do({"tool:rectangle-select", "drag:0,0,1,21844", "rotate:right"});
    EXPECT_EQ(host.messages.size(), 2u);
    Do({"tool:pencil"});
    EXPECT_EQ(Bytes(), tall);

    const auto picture = [](uint32_t x, uint32_t r) { return 0x200000u + x + 256 * r; };
    editor.install(test::MakeImage(61, 47, picture), InstallKind::Open);
    Do({"tool:rectangle-select", "drag:0,0,60,46", "copy"});
    InstallSolid(10, 8, 0x00FF00);
    Do({"paste", "rotate:180", "rotate:left"});
    const core::BmpView floating = editor.arena().floatImage();
    ASSERT_EQ(floating.width(), 47u);
    ASSERT_EQ(floating.height(), 61u);
    // Half a turn then a quarter to the left: (x, r) comes from (60 - r, x).
    for (uint32_t r = 0; r < 61; r += 6)
        for (uint32_t x = 0; x < 47; x += 5) ASSERT_EQ(test::Rgb(floating, x, r), picture(60 - r, x)) << x << "," << r;
}

// A freehand outline of more pixels than the pixel journal holds (a zigzag
// over a wide picture): taking it away, by undo, by choosing another tool or
// by lifting the selection, leaves no marked pixel behind.
TEST_F(EditingTest, AnOutlineLongerThanTheJournalNeverStaysInThePicture) {
    std::string zigzag = "drag:0,0";
    for (int i = 1; i < 400; ++i) {
        zigzag += i % 2 ? ",5999," : ",0,";
        zigzag += std::to_string(i);
    }
    for (const char* end : {"undo", "tool:pencil", "copy"}) {
        InstallSolid(6000, 400, 0x0AC81E);
        const std::vector<uint8_t> start = Bytes();
        Do({"tool:freehand-select", zigzag.c_str(), end});
        EXPECT_EQ(Bytes(), start) << end;
    }
}

// Hundreds of random sessions of tools, gestures (many reaching past the
// edges, so selections are dragged off every side) and editing and effect
// commands (on selections as well as on the whole picture), at
// random zooms and grids, on pictures down to 1 x 1 (this runs under the
// sanitizers too): nothing faults, and undoing every step brings back the
// picture byte for byte.
TEST_F(EditingTest, RandomSessionsUndoBackToThePictureTheyBeganWith) {
    static constexpr const char* kCommands[] = {
        "copy",         "cut",         "paste",        "delete",     "cut-out",         "crop",  "select-all",
        "copy-mode",    "rotate:left", "rotate:right", "rotate:180", "rotate:mirror",   "undo",  "redo",
        "negative",     "grey",        "blur:1",       "blur:4",     "tone:70,30,60,2", "sobel", "threshold:100",
        "engrave:1,-4", "sharpen"};
    std::mt19937 random(20261209);
    const auto pick = [&](int n) { return int(random() % uint32_t(n)); };
    for (int session = 0; session < 300; ++session) {
        const uint32_t width = 1 + uint32_t(pick(48));
        const uint32_t height = 1 + uint32_t(pick(36));
        const uint32_t seed = random();
        editor.install(test::MakeImage(width, height,
                                       [&](uint32_t x, uint32_t r) {
                                           // Blocks of colour with white among them.
                                           const uint32_t v = (x / 5 * 7 + r / 4 * 3 + seed) % 5;
                                           return v == 0 ? 0xFFFFFFu : (seed * (v + 1)) & 0xFFFFFF;
                                       }),
                       InstallKind::Open);
        state().zoomIndex = uint8_t(1 + pick(8));
        state().gridStep = uint8_t(pick(6) == 0 ? 4 : 0);
        const std::vector<uint8_t> start = Bytes();
        std::string trail;
        const auto point = [&] {
            // Mostly inside the picture, sometimes well past its edges.
            const int x = pick(4) == 0 ? pick(int(width) * 3 + 10) : pick(int(width));
            const int y = pick(4) == 0 ? pick(int(height) * 3 + 10) : pick(int(height));
            std::string text = std::to_string(x);
            return text.append(",").append(std::to_string(y));
        };
        for (int step = pick(10); step >= 0; --step) {
            std::string op;
            switch (pick(6)) {
                case 0:
                    op.append("tool:").append(Tools()[size_t(pick(int(Tools().size())))].name);
                    break;
                case 1:
                    op.append("click:").append(point());
                    break;
                case 2:
                    op.append("rclick:").append(point());
                    break;
                case 3:
                case 4: {
                    op.append("drag:").append(point());
                    for (int i = 1 + pick(4); i > 0; --i) op.append(",").append(point());
                    break;
                }
                default:
                    op = kCommands[pick(int(std::size(kCommands)))];
                    break;
            }
            trail.append(" ").append(op);
            Do({op.c_str()});
        }
        for (int i = 0; i < 16; ++i) editor.dispatch(CommandId::Undo);
        ASSERT_EQ(Bytes(), start) << "session " << session << " (" << width << " x " << height << "):" << trail;
        // The engraving refuses pictures under 17 x 17, and says so.
        std::erase_if(host.messages, [](const auto& m) { return m.text == text::kTooSmallToEngrave; });
        ASSERT_TRUE(host.messages.empty()) << host.messages.front().text;
    }
}

}  // namespace
}  // namespace zorva::shell
