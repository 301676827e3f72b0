// The base-creation, comparison and object-colour commands: fixed segmentation, tracing, the files beside the picture.
#include "shell/commands/RecognitionCommands.h"

#include <cstdio>
#include <optional>

#include "core/ImageFiles.h"
#include "recognize/LabelTables.h"
#include "shell/Editor.h"
#include "shell/Messages.h"
#include "shell/commands/SegmentCommands.h"
#include "shell/text/Cp1251.h"

namespace zorva::shell {

namespace {

// Recognition segments as the SEGMENT2 dialog opens: two colours (dark
// shapes on a light ground), segments of up to 5 pixels folded.
constexpr int kRecognitionColours = 2;
constexpr int kRecognitionMinimumPoints = 5;
// VectorFlags of tracing for recognition: error setting 1, and the action
// in the high byte.
constexpr uint16_t kMakeBaseFlags = 0x8001;
constexpr uint16_t kCompareFlags = 0x4001;

std::string Hex8(uint32_t value) {
    char text[9];
    std::snprintf(text, sizeof text, "%08X", value);
    return text;
}

std::string Hex2(uint32_t value) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", value & 0xFF);
    return text;
}

// A report in Windows-1251 through the one file writer; false when it did
// not land (or could not be put in the code page).
bool WriteReport(Editor& editor, const std::string& path, const std::string& utf8) {
    const std::optional<std::string> text = ToCp1251(utf8);
    return text && editor.writeFile(path, *text);
}

// The segmentation and tracing recognition starts with. Nothing when no
// segmentation could be made (the reason already told); `svgWritten` says
// whether the SVG file landed.
std::optional<segment::VectorView> SegmentAndTrace(Editor& editor, uint16_t vectorFlags, bool& svgWritten) {
    uint32_t segments = 0;
    switch (SegmentDocumentMedianCut(editor, kRecognitionColours, kRecognitionMinimumPoints, segments)) {
        case MedianCutOutcome::Done:
            break;
        case MedianCutOutcome::NoMemory:
            editor.message(text::kNoMemory);
            return std::nullopt;
        case MedianCutOutcome::TooManySegments:
            editor.message(text::kTooManySegments);
            return std::nullopt;
    }
    editor.state().segment.vectorFlags = vectorFlags;
    const TraceResult traced = TraceCurrentSegmentation(editor, SvgFile::Write);
    if (traced == TraceResult::NoSegmentation) return std::nullopt;
    svgWritten = traced == TraceResult::Written;
    return editor.segments().vectorData(editor.arena());
}

}  // namespace

std::string BesideThePicture(std::string_view picture, std::string_view suffix) {
    const size_t slash = picture.find_last_of('/');
    const size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    const size_t dot = picture.find_last_of('.');
    const size_t stemEnd = dot == std::string_view::npos || dot < nameStart ? picture.size() : dot;
    return std::string(picture.substr(0, stemEnd)) + std::string(suffix);
}

std::string ComparisonReport(std::span<const recognize::SegmentComparison> found, int k) {
    std::string text;
    text.reserve(found.size() * 90);
    for (const recognize::SegmentComparison& c : found) {
        char number[16];
        std::snprintf(number, sizeof number, "%04u", c.segment);
        text += "\r\nсегмент";
        text += number;
        text += "    ";
        text.append(30, '#');
        text += "\r\n";
        const std::optional<recognize::Label> label =
            c.match ? recognize::RecordLabel(k, c.match->record) : std::nullopt;
        text += label ? label->symbol : kNoSymbol;
        text += "  Погреш=";
        text += Hex8(c.match ? c.match->distance : kNoDistance);
        text += " Длина=";
        text += Hex8(c.length);
        text += " \r\n";
    }
    return text;
}

std::string ColourReport(const recognize::DominantColourList& colours) {
    std::string text;
    text.reserve(colours.size() * 32);
    for (const recognize::DominantColour& c : colours) {
        char rgb[7];
        std::snprintf(rgb, sizeof rgb, "%06X", c.rgb & 0xFFFFFF);
        text += rgb;
        text += "\"\"\"\"";
        text += Hex2(c.hue) + Hex2(c.saturation) + Hex2(c.value);
        text += "\"\"\"\"";
        text += Hex8(c.count);
        text += "\"\"\r\n";
    }
    return text;
}

void MakeBaseCommand(Editor& editor) {
    if (!editor.hasDocument()) return;
    bool svgWritten = false;
    const std::optional<segment::VectorView> traced = SegmentAndTrace(editor, kMakeBaseFlags, svgWritten);
    if (!traced) return;
    const std::string& picture = editor.state().currentFilePath;
    const std::vector<uint8_t> records = recognize::MakeBaseRecords(*traced);
    // A base of no records is still a file: the picture held no silhouette.
    const bool written =
        !picture.empty() &&
        editor.writeFile(BesideThePicture(picture, ".zdb"),
                         std::string_view(reinterpret_cast<const char*>(records.data()), records.size()));
    editor.setStatus(status::Segment, std::to_string(editor.state().segment.segmentCount));
    if (!written || !svgWritten) editor.message(editor.writeFailure(), MessageIcon::Exclamation);
}

void CompareWithBaseCommand(Editor& editor, int k) {
    if (!editor.hasDocument() || k < 1 || k > recognize::kSymbolBases) return;
    const uint32_t startMs = editor.host().clockMs();
    editor.takeSnapshot();
    bool svgWritten = false;
    const std::optional<segment::VectorView> traced = SegmentAndTrace(editor, kCompareFlags, svgWritten);
    if (!traced) {
        editor.host().repaint(true);
        return;
    }
    const std::vector<recognize::SegmentComparison> found =
        recognize::CompareWithBase(*traced, editor.symbolBases()[size_t(k - 1)], recognize::BaseLabels(k));
    const std::string& picture = editor.state().currentFilePath;
    const bool written =
        !picture.empty() && WriteReport(editor, BesideThePicture(picture, "_SB.txt"), ComparisonReport(found, k));
    editor.showElapsed(startMs);
    editor.setStatus(status::Segment, std::to_string(editor.state().segment.segmentCount));
    editor.host().repaint(true);
    if (!written || !svgWritten) editor.message(editor.writeFailure(), MessageIcon::Exclamation);
}

void ObjectColoursCommand(Editor& editor) {
    if (!editor.hasDocument()) return;
    const recognize::DominantColourList colours = recognize::RecogniseObjectColours(editor.document());
    const std::string& picture = editor.state().currentFilePath;
    if (picture.empty() || !WriteReport(editor, BesideThePicture(picture, ".txt"), ColourReport(colours)))
        editor.message(editor.writeFailure(), MessageIcon::Exclamation);
}

}  // namespace zorva::shell
