// Zoom lengths, the image-area layout and its scroll bars, paint plans, scrolling, pointer mapping, zoom dialog.
#include <gtest/gtest.h>

#include "shell/commands/WindowCommands.h"
#include "shell/view/View.h"
#include "tests/shell/ShellFixture.h"

namespace zorva::shell {
namespace {

// ---- src(n) ----

TEST(SourceLength, EveryZoomAsTabled) {
    // n = 100: 25% .. 1600%.
    const int at100[] = {400, 200, 100, 50, 25, 17, 13, 6};
    // n = 1 and n = 0: the rounding up above 100%, except 1600%.
    const int at1[] = {4, 2, 1, 1, 1, 1, 1, 0};
    for (int z = 1; z <= 8; ++z) {
        EXPECT_EQ(SourceLength(z, 100), at100[z - 1]) << z;
        EXPECT_EQ(SourceLength(z, 1), at1[z - 1]) << z;
        EXPECT_EQ(SourceLength(z, 0), 0) << z;
    }
    // 1600% divides n + 9, not n + 15: 7 screen pixels cover nothing, 23 cover 2.
    EXPECT_EQ(SourceLength(8, 7), 1);
    EXPECT_EQ(SourceLength(8, 6), 0);
    EXPECT_EQ(SourceLength(8, 23), 2);
    EXPECT_EQ(SourceLength(4, 101), 51);
    EXPECT_EQ(ZoomPercent(1), 25);
    EXPECT_EQ(ZoomPercent(8), 1600);
}

// ---- layout ----

// Client 200 x 150 (status bar excluded): the view is 175 x 150 without bars.
ViewLayout Layout(int width, int height, int zoom = 3, ViewLayout previous = {}) {
    return ComputeLayout(200, 150, zoom, width, height, previous);
}

TEST(Layout, APictureThatFitsGetsNoBars) {
    const ViewLayout l = Layout(175, 150);
    EXPECT_FALSE(l.horizontal.present);
    EXPECT_FALSE(l.vertical.present);
    EXPECT_EQ(l.viewWidth, 175);
    EXPECT_EQ(l.viewHeight, 150);
    EXPECT_EQ(l.repaint, (Rect{25, 0, 175, 150}));
}

TEST(Layout, WiderButNotTallerGetsTheHorizontalBarOnly) {
    // 300 x 135: the bar takes 15 rows, leaving exactly 135.
    const ViewLayout l = Layout(300, 135);
    ASSERT_TRUE(l.horizontal.present);
    EXPECT_FALSE(l.vertical.present);
    EXPECT_EQ(l.horizontal.bounds, (Rect{25, 135, 175, 15}));
    EXPECT_EQ(l.viewWidth, 175);
    EXPECT_EQ(l.viewHeight, 135);
    EXPECT_EQ(l.horizontal.maximum, 300 - 175);
    EXPECT_EQ(l.repaint, (Rect{25, 0, 175, 135}));
}

TEST(Layout, TheHorizontalBarBringsInTheVerticalOne) {
    // 136 rows fit the 150 of the client but not the 135 the bar leaves.
    const ViewLayout l = Layout(300, 136);
    ASSERT_TRUE(l.horizontal.present);
    ASSERT_TRUE(l.vertical.present);
    EXPECT_EQ(l.viewWidth, 160);
    EXPECT_EQ(l.viewHeight, 135);
    EXPECT_EQ(l.horizontal.bounds, (Rect{25, 135, 160, 15}));
    EXPECT_EQ(l.vertical.bounds, (Rect{185, 0, 15, 135}));
    EXPECT_EQ(l.horizontal.maximum, 140);
    EXPECT_EQ(l.vertical.maximum, 1);
    EXPECT_EQ(l.repaint, (Rect{25, 0, 160, 135}));
}

TEST(Layout, TheVerticalBarBringsInTheHorizontalOne) {
    // 170 columns fit the 175 of the view but not the 160 the vertical bar leaves.
    const ViewLayout l = Layout(170, 300);
    ASSERT_TRUE(l.horizontal.present);
    ASSERT_TRUE(l.vertical.present);
    EXPECT_EQ(l.viewWidth, 160);
    EXPECT_EQ(l.viewHeight, 135);
    EXPECT_EQ(l.horizontal.maximum, 10);
    EXPECT_EQ(l.vertical.maximum, 165);
    // Taller only, but wide enough for the narrower view: one bar.
    const ViewLayout tall = Layout(160, 300);
    EXPECT_FALSE(tall.horizontal.present);
    EXPECT_TRUE(tall.vertical.present);
    EXPECT_EQ(tall.vertical.bounds, (Rect{185, 0, 15, 150}));
    EXPECT_EQ(tall.vertical.maximum, 150);
}

TEST(Layout, PositionsAreKeptAndClampedOnlyWhileTheirBarIsPresent) {
    ViewLayout previous;
    previous.horizontal.position = 500;
    previous.vertical.position = -1;
    // -1 becomes the vertical maximum (the bottom of the picture), 500 the horizontal one.
    const ViewLayout l = Layout(300, 400, 3, previous);
    EXPECT_EQ(l.horizontal.position, l.horizontal.maximum);
    EXPECT_EQ(l.vertical.position, l.vertical.maximum);
    // A position below the maximum stays.
    previous.horizontal.position = 3;
    previous.vertical.position = 7;
    const ViewLayout kept = Layout(300, 400, 3, previous);
    EXPECT_EQ(kept.horizontal.position, 3);
    EXPECT_EQ(kept.vertical.position, 7);
    // Without bars nothing is clamped: the next bigger picture starts there.
    previous.vertical.position = -1;
    const ViewLayout none = Layout(10, 10, 3, previous);
    EXPECT_EQ(none.horizontal.position, 3);
    EXPECT_EQ(none.vertical.position, -1);
}

TEST(Layout, ZoomChangesWhatFits) {
    // 600 x 500 fits at 25% (the view holds 700 x 600 image pixels) ...
    EXPECT_FALSE(Layout(600, 500, 1).horizontal.present);
    EXPECT_FALSE(Layout(600, 500, 1).vertical.present);
    // ... 100 x 100 does not at 1600%: 185 screen pixels show (185 + 9) / 16 = 12.
    const ViewLayout l = ComputeLayout(225, 200, 8, 100, 100, {});
    EXPECT_EQ(l.viewWidth, 185);
    EXPECT_EQ(l.viewHeight, 185);
    EXPECT_EQ(l.horizontal.maximum, 88);
    EXPECT_EQ(l.vertical.maximum, 88);
}

// ---- paint plans ----

TEST(PreviewRect, WidePicturesFillTheWidthLessFiftyAndSitCentred) {
    // Area 450 x 300: the fit box is 400 x 300, centre (225, 150).
    EXPECT_EQ(PreviewRect(400, 100, 450, 300), (Rect{25, 100, 400, 100}));
    EXPECT_EQ(PreviewRect(800, 200, 450, 300), (Rect{25, 100, 400, 100}));  // downward
}

TEST(PreviewRect, TallPicturesFillTheHeight) {
    // Scale 300 / 400; the centre column (100 + 1) / 2 = 50 lands on 225.
    EXPECT_EQ(PreviewRect(100, 400, 450, 300), (Rect{187, 0, 75, 300}));
}

TEST(PreviewRect, TinyPicturesAreEnlargedToTheShorterSide) {
    EXPECT_EQ(PreviewRect(10, 10, 450, 300), (Rect{75, 0, 300, 300}));
    // Odd sizes: the centre (2, 1) of a 3 x 1 picture goes to (75, 50).
    EXPECT_EQ(PreviewRect(3, 1, 150, 100), (Rect{8, 17, 100, 33}));
}

TEST(PreviewRect, NoRoomNoPicture) {
    EXPECT_TRUE(PreviewRect(10, 10, 50, 300).empty());
    EXPECT_TRUE(PreviewRect(10, 10, 450, 0).empty());
}

TEST(SourceViewPlan, ScrollPositionsPickTheSourceRectangle) {
    ViewLayout previous;
    previous.horizontal.position = 10;
    previous.vertical.position = 5;
    const ViewLayout l = Layout(300, 400, 4, previous);  // 200%
    const PaintPlan plan = SourceViewPlan(l, 4);
    EXPECT_TRUE(plan.draw);
    EXPECT_FALSE(plan.smooth);
    EXPECT_EQ(plan.sourceX, 10);
    // Position 5 from the top: 5 rows below the maximum, counted from the bottom.
    EXPECT_EQ(plan.sourceY, l.vertical.maximum - 5);
    EXPECT_EQ(plan.sourceWidth, SourceLength(4, l.viewWidth));
    EXPECT_EQ(plan.sourceHeight, SourceLength(4, l.viewHeight));
    EXPECT_EQ(plan.dest, (Rect{25, 0, l.viewWidth, l.viewHeight}));
    // Averaging only at 25% and 50%.
    EXPECT_TRUE(SourceViewPlan(l, 1).smooth);
    EXPECT_TRUE(SourceViewPlan(l, 2).smooth);
    EXPECT_FALSE(SourceViewPlan(l, 3).smooth);
    EXPECT_FALSE(SourceViewPlan(l, 8).smooth);
}

TEST(CoveredRect, ASmallPictureSitsAtTheBottomLeftOfTheView) {
    // 100% view 175 x 150, picture 40 x 30.
    const PaintPlan plan = SourceViewPlan(Layout(40, 30), 3);
    EXPECT_EQ(CoveredRect(plan, 40, 30), (Rect{25, 120, 40, 30}));
    // At 200% every pixel covers two: 80 x 60 at the bottom.
    const PaintPlan zoomed = SourceViewPlan(Layout(40, 30, 4), 4);
    EXPECT_EQ(CoveredRect(zoomed, 40, 30), (Rect{25, 90, 80, 60}));
}

TEST(CoveredRect, ScrolledToTheMaximumTheRightEdgeMeetsTheViewEdge) {
    ViewLayout previous;
    previous.horizontal.position = 10000;
    const ViewLayout l = Layout(300, 100, 3, previous);
    ASSERT_EQ(l.horizontal.position, 125);
    const PaintPlan plan = SourceViewPlan(l, 3);
    EXPECT_EQ(plan.sourceX + plan.sourceWidth, 300);
    const Rect covered = CoveredRect(plan, 300, 100);
    EXPECT_EQ(covered.right(), 25 + l.viewWidth);
}

class PlanPaintTest : public ShellFixture {};

TEST_F(PlanPaintTest, ThePreviewEndsTheToolAndRemovesTheBars) {
    Install(1000, 1000);
    state().viewMode = CommandId::SourceView;
    editor.relayout();
    ASSERT_TRUE(state().layout.vertical.present);
    state().toolMode = tool::Pencil;
    // The source view keeps both.
    const PaintPlan source = PlanPaint(state(), editor.document(), 200, 150);
    EXPECT_EQ(state().toolMode, tool::Pencil);
    EXPECT_TRUE(state().layout.vertical.present);
    EXPECT_EQ(source.dest.x, 25);
    state().viewMode = CommandId::Preview;
    const PaintPlan preview = PlanPaint(state(), editor.document(), 200, 150);
    EXPECT_EQ(state().toolMode, tool::None);
    EXPECT_FALSE(state().layout.horizontal.present);
    EXPECT_FALSE(state().layout.vertical.present);
    EXPECT_TRUE(preview.smooth);
    EXPECT_EQ(preview.dest, PreviewRect(1000, 1000, 200, 150));
    EXPECT_EQ(preview.sourceWidth, 1000);
}

TEST_F(PlanPaintTest, TheEditorLaysTheViewOutAtInstallAndOnEveryViewChange) {
    Install(300, 136, InstallKind::New);
    EXPECT_TRUE(state().layout.horizontal.present);
    EXPECT_TRUE(state().layout.vertical.present);
    // Resize: the window sets the client size and asks again.
    state().clientWidth = 1000;
    state().clientHeight = 800;
    editor.dispatch(CommandId::SourceView);
    EXPECT_FALSE(state().layout.horizontal.present);
    EXPECT_EQ(state().layout.viewWidth, 975);
}

// ---- scrolling ----

TEST(Scroll, LineStepsStayInRangeThumbTracksPagesDoNothing) {
    ViewLayout l;
    l.horizontal = ScrollBarState{true, 2, 0, {}};
    EXPECT_FALSE(Scroll(l, ScrollAxis::Horizontal, ScrollAction::LineBack));
    EXPECT_EQ(l.horizontal.position, 0);
    EXPECT_TRUE(Scroll(l, ScrollAxis::Horizontal, ScrollAction::LineForward));
    EXPECT_TRUE(Scroll(l, ScrollAxis::Horizontal, ScrollAction::LineForward));
    EXPECT_FALSE(Scroll(l, ScrollAxis::Horizontal, ScrollAction::LineForward));
    EXPECT_EQ(l.horizontal.position, 2);
    EXPECT_FALSE(Scroll(l, ScrollAxis::Horizontal, ScrollAction::Other));
    EXPECT_EQ(l.horizontal.position, 2);
    l.vertical = ScrollBarState{true, 70000, 0, {}};
    EXPECT_TRUE(Scroll(l, ScrollAxis::Vertical, ScrollAction::ThumbTrack, 65537));  // 16 bits of it
    EXPECT_EQ(l.vertical.position, 1);
    EXPECT_EQ(l.horizontal.position, 2);
}

// ---- pointer ----

class PointerTest : public ShellFixture {};

TEST_F(PointerTest, At100PercentTheColumnIsOneLessAndTheBottomScreenRowIsStoredRowOne) {
    Install(100, 100);                                                // no bars: view 175 x 150
    EXPECT_EQ(MapToImage(state(), editor.document(), 25, 149).x, 0);  // k = 0
    EXPECT_EQ(MapToImage(state(), editor.document(), 26, 149).x, 0);  // k = 1
    EXPECT_EQ(MapToImage(state(), editor.document(), 27, 149).x, 1);
    EXPECT_EQ(MapToImage(state(), editor.document(), 27, 149).y, 1);  // y = VH - 1
    EXPECT_EQ(MapToImage(state(), editor.document(), 27, 100).y, 50);
    // Beyond the picture: the last column and the top row.
    EXPECT_EQ(MapToImage(state(), editor.document(), 190, 0).x, 99);
    EXPECT_EQ(MapToImage(state(), editor.document(), 190, 0).y, 99);
}

TEST_F(PointerTest, ScrollPositionsShiftTheMapping) {
    Install(300, 400);
    state().layout.horizontal.position = 10;
    state().layout.vertical.position = 5;
    editor.relayout();
    const ViewLayout& l = state().layout;
    ASSERT_TRUE(l.horizontal.present && l.vertical.present);
    const ImagePoint p = MapToImage(state(), editor.document(), 25 + 20, 30);
    EXPECT_EQ(p.x, 20 + 10 - 1);
    EXPECT_EQ(p.y, (l.viewHeight - 30) + (l.vertical.maximum - 5));
}

TEST_F(PointerTest, At1600PercentSixteenScreenPixelsMakeOneImagePixel) {
    state().zoomIndex = 8;
    state().clientWidth = 225;
    state().clientHeight = 200;
    state().layout.vertical.position = -1;  // the bottom of the picture in view
    Install(100, 100);
    ASSERT_EQ(state().layout.vertical.position, 88);
    const int vh = state().layout.viewHeight;
    EXPECT_EQ(MapToImage(state(), editor.document(), 25 + 100, vh - 100).x, 5);  // (100 + 9) / 16 - 1
    EXPECT_EQ(MapToImage(state(), editor.document(), 25 + 100, vh - 100).y, 6);
    EXPECT_EQ(MapToImage(state(), editor.document(), 25 + 7, vh - 7).x, 0);
    EXPECT_EQ(MapToImage(state(), editor.document(), 25 + 23, vh - 23).x, 1);
    EXPECT_EQ(MapToImage(state(), editor.document(), 25 + 23, vh - 23).y, 2);
}

TEST_F(PointerTest, TheGridSnapsToTheNearestMultiple) {
    Install(100, 100);
    state().gridStep = 4;
    EXPECT_EQ(MapToImage(state(), editor.document(), 25 + 6, 149).x, 4);  // column 5
    EXPECT_EQ(MapToImage(state(), editor.document(), 25 + 7, 149).x, 8);  // column 6
    EXPECT_EQ(MapToImage(state(), editor.document(), 30, 150 - 5).y, 4);
    EXPECT_EQ(MapToImage(state(), editor.document(), 30, 150 - 6).y, 8);
    // Snapped past the edge, then kept inside: 98 -> 100 -> 99.
    EXPECT_EQ(MapToImage(state(), editor.document(), 25 + 99, 149).x, 99);
    state().gridStep = 64;
    EXPECT_EQ(MapToImage(state(), editor.document(), 25 + 33, 149).x, 64);
    EXPECT_EQ(MapToImage(state(), editor.document(), 25 + 32, 149).x, 0);
}

TEST_F(PointerTest, NarrowPicturesKeepThePointerInsideToo) {
    Install(4, 3);  // stride 12: a byte-offset test would let rows 3..5 through
    for (int y = 0; y < 150; ++y) {
        const ImagePoint p = MapToImage(state(), editor.document(), 100, y);
        EXPECT_EQ(p.x, 3);
        EXPECT_LE(p.y, 2) << y;
    }
}

TEST_F(PointerTest, MovesShiftThePreviousPointSetBit15AndFillFields1And2) {
    Install(100, 100);
    MovePointer(editor, 35, 100, true);
    EXPECT_EQ(state().pointer.pointerX, 9);
    EXPECT_EQ(state().pointer.pointerY, 50);
    MovePointer(editor, 45, 90, false);  // not the left button alone
    EXPECT_EQ(state().pointer.pointerX, 0x8000 | 19);
    EXPECT_EQ(state().pointer.pointerY, 60);
    EXPECT_EQ(state().pointer.previousX, 9);
    EXPECT_EQ(state().pointer.previousY, 50);
    EXPECT_EQ(state().statusText[1], "19");
    EXPECT_EQ(state().statusText[2], "60");
}

TEST_F(PointerTest, WithoutADocumentNothingIsMapped) {
    MovePointer(editor, 50, 50, true);
    EXPECT_EQ(state().pointer.pointerX, 0);
    EXPECT_TRUE(host.statusLog.empty());
}

// ---- zoom dialog ----

class ZoomTest : public ShellFixture {};

TEST_F(ZoomTest, TheCommandSwitchesToTheSourceViewAndRadiosActAtOnce) {
    Install(300, 300);
    ASSERT_EQ(state().viewMode, CommandId::Preview);
    host.scripts["CONTROLS3"] = {{DialogStep::Click, ZoomRadio(4)}, {DialogStep::Click, kZoomOkId}};
    const int repaintsBefore = host.repaints;
    editor.dispatch(CommandId::Zoom);
    EXPECT_EQ(host.dialogsRun, std::vector<std::string>{"CONTROLS3"});
    EXPECT_EQ(state().viewMode, CommandId::SourceView);
    EXPECT_EQ(state().zoomIndex, 4);
    // The layout follows the new zoom: 300 pixels at 200% need both bars here.
    EXPECT_EQ(state().layout.horizontal.maximum, 300 - SourceLength(4, state().layout.viewWidth));
    // Before, at the radio and at OK.
    EXPECT_EQ(host.repaints - repaintsBefore, 3);
}

TEST_F(ZoomTest, TheDialogOpensOnTheCurrentZoomAndKeepsOneRadioChecked) {
    Install(10, 10);
    state().zoomIndex = 6;
    DialogModel dialog(*kZoomCommand.form, &editor, kZoomCommand.hooks);
    dialog.open();
    for (int zoom = 1; zoom <= 8; ++zoom) EXPECT_EQ(dialog.control(ZoomRadio(zoom))->checked, zoom == 6) << zoom;
    EXPECT_FALSE(dialog.click(ZoomRadio(8)));  // stays open
    EXPECT_EQ(state().zoomIndex, 8);
    for (int zoom = 1; zoom <= 8; ++zoom) EXPECT_EQ(dialog.control(ZoomRadio(zoom))->checked, zoom == 8) << zoom;
    EXPECT_TRUE(dialog.closeBox());
    EXPECT_EQ(dialog.end(), DialogEnd::CloseBox);
    EXPECT_EQ(state().zoomIndex, 8);  // the close box keeps the zoom
}

}  // namespace
}  // namespace zorva::shell
