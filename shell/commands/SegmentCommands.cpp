// The colour-palette, segmentation, SVG export and segment-selection commands over the segment layer.
#include "shell/commands/SegmentCommands.h"

#include <memory>
#include <string>

#include "segment/MedianCut.h"
#include "segment/SegmentEight.h"
#include "segment/SegmentMedianCut.h"
#include "segment/SegmentSelect.h"
#include "segment/SegmentStore.h"
#include "segment/Svg.h"
#include "segment/Trace.h"
#include "shell/Editor.h"
#include "shell/Messages.h"
#include "shell/cli/CliOps.h"
#include "shell/dialogs/PaletteDialog.h"
#include "shell/dialogs/SegmentDialogs.h"
#include "shell/dialogs/SvgDialogs.h"
#include "shell/view/Palette.h"

namespace zorva::shell {

namespace {

// A picture whose labels overflow the 24-bit label field cannot be segmented;
// nothing is painted.

// SegmentMode values.
constexpr uint8_t kModePalette = 0;
constexpr uint8_t kModeEight = 1;
constexpr uint8_t kModeMedianCut = 3;

bool Ready(Editor& editor) {
    return editor.hasDocument() && editor.arena().carved();
}

uint32_t* Histogram(Editor& editor) {
    return editor.arena().writePixelWords(segment::kHistogramCells).data();
}

void WriteBesideThePicture(Editor& editor, const std::string& svg) {
    const std::string& picture = editor.state().currentFilePath;
    // A picture never saved has no folder to write beside; like any failed
    // write, that goes silently.
    if (picture.empty() || svg.empty()) return;
    segment::WriteSvgFile(segment::SvgPathFor(picture), svg);
}

}  // namespace

void RunPaletteCommand(Editor& editor) {
    if (!Ready(editor)) return;
    PaletteDialog dialog(editor);
    editor.host().runDialog(dialog);
    if (dialog.end() == DialogEnd::Ok) {
        SegmentState& s = editor.state().segment;
        const uint32_t start = editor.host().clockMs();
        // PaletteSize is lowered by one just before the run, as the state keeps it.
        s.paletteSize -= 1;
        s.segmentMode = kModePalette;
        segment::MedianCutPalette(editor.document(), uint32_t(s.paletteSize + 1), segment::PaletteOutput::Recolour,
                                  Histogram(editor), nullptr, editor.segments().palette);
        editor.showElapsed(start);
    }
    editor.host().repaint(true);
}

void RunSegmentEightCommand(Editor& editor) {
    if (!Ready(editor)) return;
    SegmentEightDialog dialog(editor);
    editor.host().runDialog(dialog);
    if (dialog.end() == DialogEnd::Ok) {
        SegmentState& s = editor.state().segment;
        segment::SegmentStore& store = editor.segments();
        const uint32_t start = editor.host().clockMs();
        s.segmentMode = kModeEight;
        if (!store.placeEight(editor.arena(), editor.document())) {
            s.segmentsReady = false;
            editor.message(text::kNoMemory);
        } else {
            const segment::SegmentEightResult result =
                segment::SegmentEight(editor.document(), store.labelMap(), store.eightTable(),
                                      uint32_t(s.segmentTolerance), uint32_t(s.segmentRepetitions));
            if (result.status == segment::SegmentStatus::Done) {
                store.segmentCount = s.segmentCount = result.segmentCount;
                s.segmentsReady = true;
            } else {
                store.invalidate();
                s.segmentsReady = false;
                editor.message(text::kTooManySegments);
            }
            editor.showElapsed(start);
        }
    }
    editor.host().repaint(true);
}

void RunSegmentMedianCutCommand(Editor& editor) {
    if (!Ready(editor)) return;
    SegmentMedianCutDialog dialog(editor);
    editor.host().runDialog(dialog);
    if (dialog.end() == DialogEnd::Ok) {
        SegmentState& s = editor.state().segment;
        segment::SegmentStore& store = editor.segments();
        const core::MutableBmpView image = editor.document();
        const uint32_t start = editor.host().clockMs();
        s.quantiseFirst = true;
        s.segmentMode = kModeMedianCut;
        s.paletteSize -= 1;
        if (!store.placeIndexed(editor.arena(), image.width(), image.height())) {
            s.segmentsReady = false;
            editor.message(text::kNoMemory);
        } else {
            segment::SegmentMedianCutParams params;
            params.colours = uint32_t(s.paletteSize + 1);
            params.minSegmentPoints = uint32_t(s.minSegmentPoints);
            params.quantiseFirst = true;
            uint32_t k = 0;
            const segment::SegmentStatus status = segment::SegmentMedianCut(
                image, params, Histogram(editor), store.indexedMap(), store.indexedTable(), store.palette, k);
            if (status == segment::SegmentStatus::Done) {
                store.segmentPalette = store.palette;
                store.settleIndexed(editor.arena(), k);
                s.segmentCount = s.segmentTotal = k;
                s.segmentsReady = true;
                editor.showElapsed(start);
                editor.setStatus(4, std::to_string(k));
            } else {
                store.invalidate();
                s.segmentsReady = false;
                editor.showElapsed(start);
                editor.message(text::kTooManySegments);
            }
        }
    }
    editor.host().repaint(true);
}

bool TraceCurrentSegmentation(Editor& editor) {
    segment::SegmentStore& store = editor.segments();
    if (!Ready(editor) || store.form() != segment::MapForm::Indexed ||
        !store.matches(editor.arena(), editor.document()))
        return false;
    const SegmentState& s = editor.state().segment;
    store.prepareVectors(editor.arena());
    segment::TraceSegments(store.indexedMap(), store.width(), store.height(), store.indexedRecords(),
                           store.segmentCount, store.segmentPalette, s.vectorFlags, store.vectors);
    if (s.quantiseFirst) WriteBesideThePicture(editor, segment::IndexedSvg(store.vectorData(editor.arena())));
    return true;
}

void RunSvgExportCommand(Editor& editor) {
    SegmentState& s = editor.state().segment;
    segment::SegmentStore& store = editor.segments();
    // The map actually present decides, not SegmentMode: a colour-palette run
    // after 8-connected segmentation leaves a label-image map behind mode 0.
    if (!Ready(editor) || !s.segmentsReady || !store.matches(editor.arena(), editor.document())) return;
    s.vectorFlags = 0;
    const bool eight = store.form() == segment::MapForm::Label;
    std::unique_ptr<SvgValueDialog> dialog;
    if (eight)
        dialog = std::make_unique<SegMinDialog>();
    else
        dialog = std::make_unique<PogreshDialog>();
    editor.host().runDialog(*dialog);
    if (dialog->end() == DialogEnd::Ok) {
        const uint32_t start = editor.host().clockMs();
        s.vectorFlags = uint16_t(dialog->value() & 0xFF);
        if (eight) {
            WriteBesideThePicture(editor,
                                  segment::EightSvg(store.labelMap(), store.eightRecords(), uint32_t(dialog->value()),
                                                    segment::ZoomSvgScale(editor.state().zoomIndex)));
        } else {
            TraceCurrentSegmentation(editor);
        }
        editor.showElapsed(start);
    }
    editor.host().repaint(true);
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
    if (!Ready(editor) || !editor.state().segment.segmentsReady || !store.matches(editor.arena(), image)) return;
    x &= 0x7FFF;
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
        editor.setStatus(6, ColourFieldRgb(state.drawRed, state.drawGreen, state.drawBlue));
        editor.setStatus(8, std::to_string(int32_t(pick->area)));
        editor.setStatus(4, std::to_string(int32_t(pick->label)));
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

std::optional<DialogScript> SegmentOpScript(std::string_view op, std::string_view args) {
    const std::vector<std::string_view> a = SplitArgs(args);
    const auto trackbar = [](int id, int value) { return DialogStep{DialogStep::Trackbar, id, value}; };
    const auto click = [](int id) { return DialogStep{DialogStep::Click, id, 0}; };
    if (op == "palette" && a.size() == 1) {
        if (a[0] == "256") return DialogScript{click(dialog::kButton256)};
        const std::optional<int> n = ParseInt(a[0], 2, 32);
        if (!n) return std::nullopt;
        return DialogScript{trackbar(dialog::kTrackbar1, *n), click(dialog::kOk)};
    }
    if (op == "segment8" && a.size() == 2) {
        const std::optional<int> tolerance = ParseInt(a[0], 1, 25);
        const std::optional<int> repetitions = ParseInt(a[1], 1, 25);
        if (!tolerance || !repetitions) return std::nullopt;
        return DialogScript{trackbar(dialog::kTrackbar1, *tolerance), trackbar(dialog::kTrackbar2, *repetitions),
                            click(dialog::kOk)};
    }
    if (op == "segment" && (a.size() == 2 || a.size() == 3)) {
        const std::optional<int> colours = ParseInt(a[0], 2, 32);
        const std::optional<int> minimum = ParseInt(a[1], 0, 50);
        if (!colours || !minimum) return std::nullopt;
        if (a.size() == 3 && a[2] != "x10" && a[2] != "x1") return std::nullopt;
        DialogScript script{trackbar(dialog::kTrackbar1, *colours), trackbar(dialog::kTrackbar2, *minimum)};
        if (a.size() == 3) script.push_back(click(a[2] == "x10" ? dialog::kButtonX10 : dialog::kButtonX1));
        script.push_back(click(dialog::kOk));
        return script;
    }
    if (op == "svg" && a.size() == 1) {
        const std::optional<int> value = ParseInt(a[0], 0, 50);
        if (!value) return std::nullopt;
        return DialogScript{trackbar(dialog::kTrackbar1, *value), click(dialog::kOk)};
    }
    return std::nullopt;
}

}  // namespace zorva::shell
