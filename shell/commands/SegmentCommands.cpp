// The colour-palette, segmentation, SVG export and segment-selection commands over the segment layer.
#include "shell/commands/SegmentCommands.h"

#include <string>

#include "core/ImageFiles.h"
#include "segment/MedianCut.h"
#include "segment/SegmentEight.h"
#include "segment/SegmentMedianCut.h"
#include "segment/SegmentSelect.h"
#include "segment/SegmentStore.h"
#include "segment/Svg.h"
#include "segment/Trace.h"
#include "shell/Editor.h"
#include "shell/Messages.h"
#include "shell/view/Palette.h"

namespace zorva::shell {

namespace {

// Control ids of the colour, segmentation and SVG dialogs.
constexpr int kScale = kFirstValueId;  // SEGMENT2: the factor of kTrackbar2

// ---- PALITRA ----

constexpr ControlSpec kPalitraControls[] = {
    Label("Количество цветов в палитре"),
    Slider(kTrackbar1, 2, 32, 32),
    EchoOf(kEdit1, kTrackbar1),
    Button(kButton256, "256", Press::Ok),  // 256 colours, then as OK
    kOkButton,
    kCancelButton,
};
constexpr DialogSpec kPalitra{"PALITRA", "Индексированная палитра", kPalitraControls};

bool Ready(Editor& editor) {
    return editor.hasDocument() && editor.arena().carved();
}

uint32_t* Histogram(Editor& editor) {
    return editor.arena().writePixelWords(segment::kHistogramCells).data();
}

CommandReport RunPalette(Editor& editor, const DialogModel& dialog) {
    SegmentState& s = editor.state().segment;
    s.paletteSize = dialog.endedBy() == kButton256 ? 256 : dialog.value(kTrackbar1);
    // PaletteSize is lowered by one just before the run, as the state keeps it.
    s.paletteSize -= 1;
    s.segmentMode = SegmentMode::Palette;
    segment::MedianCutPalette(editor.document(), uint32_t(s.paletteSize + 1), segment::PaletteOutput::Recolour,
                              Histogram(editor), nullptr, editor.segments().palette);
    return {};
}

constexpr OpWord kPaletteWords[] = {{"256", kButton256}};
constexpr OpArg kPaletteArgs[] = {{"N", "colour count", kTrackbar1, kPaletteWords}};

// ---- SEGMENT1 ----

constexpr ControlSpec kSegment1Controls[] = {
    Label("  Погрешность:"),
    Slider(kTrackbar1, 1, 25, 2),
    EchoOf(kEdit1, kTrackbar1),
    Label("  Повторения: "),
    Slider(kTrackbar2, 1, 25, 5),
    EchoOf(kEdit2, kTrackbar2),
    kOkButton,
    kCancelButton,
};
constexpr DialogSpec kSegment1{"SEGMENT1", "Параметры сегментации", kSegment1Controls};

CommandReport RunSegmentEight(Editor& editor, const DialogModel& dialog) {
    SegmentState& s = editor.state().segment;
    segment::SegmentStore& store = editor.segments();
    s.segmentTolerance = dialog.value(kTrackbar1);
    s.segmentRepetitions = dialog.value(kTrackbar2);
    s.segmentMode = SegmentMode::Eight;
    if (!store.placeEight(editor.arena(), editor.document())) {
        return {.timed = false, .message = text::kNoMemory};
    }
    const segment::SegmentEightResult result =
        segment::SegmentEight(editor.document(), store.labelMap(), store.eightTable(), uint32_t(s.segmentTolerance),
                              uint32_t(s.segmentRepetitions));
    if (result.status != segment::SegmentStatus::Done) {
        store.invalidate();
        return {.message = text::kTooManySegments};
    }
    store.segmentCount = s.segmentCount = result.segmentCount;
    return {};
}

constexpr OpArg kSegment8Args[] = {{"TOL", "tolerance", kTrackbar1}, {"REPS", "repetition count", kTrackbar2}};

// ---- SEGMENT2 ----

// MinSegmentPoints: kTrackbar2 times the scale of "x1" or "x10".
int MinimumPoints(const DialogModel& dialog) {
    return dialog.value(kTrackbar2) * dialog.value(kScale);
}

constexpr ControlSpec kSegment2Controls[] = {
    Label("Количество цветов в палитре"),
    Slider(kTrackbar1, 2, 32, 2),
    EchoOf(kEdit1, kTrackbar1),
    Label("Минимум точек в сегменте"),
    Slider(kTrackbar2, 0, 50, 5),
    {.kind = ControlKind::ReadOnlyEdit, .id = kEdit2, .derive = MinimumPoints},
    SetButton(kButtonX1, "x1", kScale, 1),
    SetButton(kButtonX10, "x10", kScale, 10),
    Value(kScale, 1),
    kOkButton,
    kCancelButton,
};
constexpr DialogSpec kSegment2{"SEGMENT2", "Параметры сегментации", kSegment2Controls};

CommandReport RunSegmentMedianCut(Editor& editor, const DialogModel& dialog) {
    uint32_t k = 0;
    switch (SegmentDocumentMedianCut(editor, dialog.value(kTrackbar1), MinimumPoints(dialog), k)) {
        case MedianCutOutcome::Done:
            return {.fields = {{status::Segment, std::to_string(k)}}};
        case MedianCutOutcome::NoMemory:
            return {.timed = false, .message = text::kNoMemory};
        case MedianCutOutcome::TooManySegments:
            return {.message = text::kTooManySegments};
    }
    return {};
}

constexpr OpWord kScaleWords[] = {{"x1", kButtonX1}, {"x10", kButtonX10}};
constexpr OpArg kSegmentArgs[] = {{"COLOURS", "colour count", kTrackbar1},
                                  {"MIN", "minimum segment size", kTrackbar2},
                                  {"x10", "scale", 0, kScaleWords, true}};

// ---- SEG_MIN and POGRESH ----

// One value, 5 on opening: after 8-connected segmentation both the smallest
// segment written (exclusive) and the error; after median-cut segmentation
// the approximation error.
constexpr ControlSpec kSegMinControls[] = {
    Label("Количество точек сегмента"),
    Slider(kTrackbar1, 0, 50, 5),
    EchoOf(kEdit1, kTrackbar1),
    kOkButton,
    kCancelButton,
};
constexpr DialogSpec kSegMin{"SEG_MIN", "Отбрасываемые сегменты", kSegMinControls};
constexpr ControlSpec kPogreshControls[] = {
    Label("Погрешность"), Slider(kTrackbar1, 0, 10, 5), EchoOf(kEdit1, kTrackbar1), kOkButton, kCancelButton,
};
constexpr DialogSpec kPogresh{"POGRESH", "Погрешность апроксимации", kPogreshControls};

// The map actually present decides, not SegmentMode: a colour-palette run
// after 8-connected segmentation leaves a label-image map behind mode 0.
bool LabelMapPresent(const Editor& editor) {
    return editor.segments().form() == segment::MapForm::Label;
}

const DialogSpec* SvgDialog(const Editor& editor) {
    return LabelMapPresent(editor) ? &kSegMin : &kPogresh;
}

void ClearVectorFlags(Editor& editor, DialogModel&) {
    editor.state().segment.vectorFlags = 0;
}

CommandReport RunSvgExport(Editor& editor, const DialogModel& dialog) {
    SegmentState& s = editor.state().segment;
    segment::SegmentStore& store = editor.segments();
    const int value = dialog.value(kTrackbar1);
    s.vectorFlags = uint16_t(value & 0xFF);
    bool written = true;
    if (LabelMapPresent(editor))
        written =
            WriteSvgBesideThePicture(editor, segment::EightSvg(store.labelMap(), store.eightRecords(), uint32_t(value),
                                                               segment::ZoomSvgScale(editor.state().zoomIndex)));
    else
        written = TraceCurrentSegmentation(editor, SvgFile::Write) == TraceResult::Written;
    // A file that did not land is said so, not shown as a success.
    return {.message = written ? std::string_view() : editor.writeFailure()};
}

constexpr OpArg kSvgArgs[] = {{"VALUE", "value", kTrackbar1}};

}  // namespace

MedianCutOutcome SegmentDocumentMedianCut(Editor& editor, int colours, int minimumPoints, uint32_t& segments) {
    SegmentState& s = editor.state().segment;
    segment::SegmentStore& store = editor.segments();
    const core::MutableBmpView image = editor.document();
    s.paletteSize = colours;
    s.minSegmentPoints = minimumPoints;
    s.quantiseFirst = true;
    s.segmentMode = SegmentMode::MedianCut;
    s.paletteSize -= 1;
    if (!store.placeIndexed(editor.arena(), image.width(), image.height())) {
        return MedianCutOutcome::NoMemory;
    }
    segment::SegmentMedianCutParams params;
    params.colours = uint32_t(s.paletteSize + 1);
    params.minSegmentPoints = uint32_t(s.minSegmentPoints);
    params.quantiseFirst = true;
    uint32_t k = 0;
    const segment::SegmentStatus status = segment::SegmentMedianCut(
        image, params, Histogram(editor), store.indexedMap(), store.indexedTable(), store.palette, k);
    if (status != segment::SegmentStatus::Done) {
        store.invalidate();
        return MedianCutOutcome::TooManySegments;
    }
    store.segmentPalette = store.palette;
    store.settleIndexed(editor.arena(), k);
    s.segmentCount = s.segmentTotal = k;
    segments = k;
    return MedianCutOutcome::Done;
}

const DialogCommand kPaletteCommand{.form = &kPalitra, .snapshot = true, .run = RunPalette, .opArgs = kPaletteArgs};
const DialogCommand kSegmentEightCommand{
    .form = &kSegment1, .snapshot = true, .run = RunSegmentEight, .opArgs = kSegment8Args};
const DialogCommand kSegmentMedianCutCommand{
    .form = &kSegment2, .snapshot = true, .run = RunSegmentMedianCut, .opArgs = kSegmentArgs};
const DialogCommand kSvgExportCommand{.form = &kSegMin,  // the wider range, for the OP's argument
                                      .choose = SvgDialog,
                                      .hooks = {.opened = ClearVectorFlags},
                                      .run = RunSvgExport,
                                      .opArgs = kSvgArgs};

bool WriteSvgBesideThePicture(Editor& editor, std::string_view svg) {
    const std::string& picture = editor.state().currentFilePath;
    // A picture that never had a file has no folder to write beside.
    if (picture.empty()) return false;
    // A segmentation without segments writes no file, and that is no failure.
    if (svg.empty()) return true;
    return editor.writeFile(segment::SvgPathFor(picture), svg);
}

TraceResult TraceCurrentSegmentation(Editor& editor, SvgFile svg) {
    segment::SegmentStore& store = editor.segments();
    if (!Ready(editor) || store.form() != segment::MapForm::Indexed ||
        !store.matches(editor.arena(), editor.document()))
        return TraceResult::NoSegmentation;
    const SegmentState& s = editor.state().segment;
    store.prepareVectors(editor.arena());
    segment::TraceSegments(store.indexedMap(), store.width(), store.height(), store.indexedRecords(),
                           store.segmentCount, store.segmentPalette, s.vectorFlags, store.vectors);
    if (svg == SvgFile::None) return TraceResult::Traced;
    return WriteSvgBesideThePicture(editor, segment::IndexedSvg(store.vectorData(editor.arena())))
               ? TraceResult::Written
               : TraceResult::NotWritten;
}

void EnterSegmentSelection(Editor& editor) {
    if (!Ready(editor)) return;
    EditorState& state = editor.state();
    state.viewMode = CommandId::SourceView;
    editor.relayout();
    editor.host().repaint(true);
    state.toolMode = tool::SegmentSelection;
    editor.segments().selected = 0;
}

void SegmentPickAt(Editor& editor, uint32_t x, uint32_t y) {
    segment::SegmentStore& store = editor.segments();
    const core::MutableBmpView image = editor.document();
    if (!Ready(editor) || !editor.segmentationPresent()) return;
    x = PointerState::Column(uint16_t(x));
    std::optional<segment::SegmentPick> pick;
    if (store.form() == segment::MapForm::Label)
        pick = segment::PickEightSegment(image, store.labelMap(), store.eightRecords(), x, y);
    else
        pick =
            segment::PickIndexedSegment(image, store.indexedMap(), store.indexedRecords(), store.segmentPalette, x, y);
    if (pick) {
        store.selected = pick->label;
        EditorState& state = editor.state();
        state.drawRed = uint8_t(pick->colour >> 16);
        state.drawGreen = uint8_t(pick->colour >> 8);
        state.drawBlue = uint8_t(pick->colour);
        editor.setStatus(status::Colour, ColourFieldRgb(state.drawRed, state.drawGreen, state.drawBlue));
        editor.setStatus(status::Area, std::to_string(int32_t(pick->area)));
        editor.setStatus(status::Segment, std::to_string(int32_t(pick->label)));
    }
    editor.host().repaint(true);
}

void SegmentRemove(Editor& editor) {
    segment::SegmentStore& store = editor.segments();
    const core::MutableBmpView image = editor.document();
    if (Ready(editor) && store.selected != 0 && store.matches(editor.arena(), image)) {
        if (store.form() == segment::MapForm::Label)
            segment::RemoveEightSegment(image, store.labelMap(), store.selected);
        else
            segment::RemoveIndexedSegment(image, store.indexedMap(), store.selected);
    }
    editor.host().repaint(true);
}

}  // namespace zorva::shell
