// The barcode commands: status texts, timing, and the marks or outline around the readers.
#include "shell/commands/BarcodeCommand.h"

#include <algorithm>

#include "edit/Drawing.h"
#include "shell/Editor.h"

namespace zorva::shell {

namespace {

void Show(Editor& editor, BarcodeMethod method) {
    if (!editor.hasDocument()) return;
    editor.setStatus(status::ResultLabel, kBarcodeLabel);
    const uint32_t startMs = editor.host().clockMs();
    const recognize::ChainResult result = ReadAndMark(editor.document(), editor.arena(), method);
    // A code the exact reader rejected by its check digit is shown while the
    // search goes on; the final text (a later read or the asterisks) replaces it.
    if (result.exact.rejected && !result.exact.found())
        editor.setStatus(status::Result, BarcodeText(*result.exact.rejected));
    editor.state().lastReading = {BarcodeText(result), std::string(BarcodeReaderName(result.reader))};
    editor.setStatus(status::Result, editor.state().lastReading.text);
    editor.showElapsed(startMs);
}

}  // namespace

std::string BarcodeText(const recognize::BarcodeReading& reading) {
    if (reading.format == recognize::BarcodeFormat::Ean8) return reading.digits + "      ";
    std::string text;
    for (char d : reading.digits) text += d == recognize::barcode::kUnknownDigit ? std::string("°") : std::string(1, d);
    return text + (reading.checkPassed ? '+' : '-');
}

std::string BarcodeText(const recognize::BarcodeResult& result) {
    return result.found() ? BarcodeText(result.code) : std::string(kBarcodeNotFound);
}

std::string BarcodeText(const recognize::ChainResult& result) {
    return result.found() ? BarcodeText(result.code) : std::string(kBarcodeNotFound);
}

std::string_view BarcodeReaderName(recognize::BarcodeReader reader) {
    switch (reader) {
        case recognize::BarcodeReader::Exact:
            return "part";
        case recognize::BarcodeReader::Zxing:
            return "zxing";
        case recognize::BarcodeReader::Zbar:
            return "zbar";
        case recognize::BarcodeReader::None:
            break;
    }
    return "-";
}

recognize::ChainResult ReadAndMark(core::MutableBmpView image, core::WorkArena& arena, BarcodeMethod method) {
    recognize::ChainResult result;
    if (!arena.carved()) return result;
    // The exact reader's work plane: BackgroundCopy in the picture's own layout.
    const std::span<uint8_t> plane = arena.writeBackgroundBytes(image.fileSize());
    if (method == BarcodeMethod::Strict) {
        result.exact = recognize::ReadBarcode(image, plane);
        if (result.exact.found()) {
            result.reader = recognize::BarcodeReader::Exact;
            result.code = result.exact.code;
        }
    } else {
        // The libraries' grey plane: one byte per pixel, within PixelPlane's 4.
        const size_t greyBytes = recognize::GreyPlaneBytes(image.width(), image.height());
        const std::span<uint32_t> words = arena.writePixelWords((greyBytes + 3) / 4);
        result = recognize::ReadBarcodeChain(image, plane,
                                             std::span<uint8_t>(reinterpret_cast<uint8_t*>(words.data()), greyBytes));
    }
    if (result.reader == recognize::BarcodeReader::Zxing || result.reader == recognize::BarcodeReader::Zbar) {
        DrawOutline(image, result.outline, kOutlineColour, OutlineThickness(image.width(), image.height()));
    } else {
        for (const recognize::BarcodeMark& m : result.exact.marks)
            image.set(uint32_t(m.x), uint32_t(m.row), recognize::barcode::kMarkColour);
    }
    return result;
}

void DrawOutline(core::MutableBmpView image, std::span<const recognize::OutlinePoint> outline, uint32_t rgb,
                 int thickness) {
    if (outline.empty()) return;
    // The drawing tools' square pen and fixed-point line, straight onto the
    // picture: the command's snapshot is what undo brings back.
    edit::Pen pen;
    pen.size = std::clamp(thickness, 1, edit::Pen::kMaxSize);
    const edit::Canvas canvas{image, {}, nullptr, edit::Ink::Colour, rgb};
    const auto at = [](const recognize::OutlinePoint& p) { return edit::Point{p.x, p.row}; };
    pen.previous = at(outline[0]);
    edit::Stamp(pen, canvas, pen.previous);
    for (size_t i = 1; i < outline.size(); ++i) edit::LineTo(pen, canvas, at(outline[i]));
    // Closed: the last edge back to the first point (two points are one segment).
    if (outline.size() > 2) edit::LineTo(pen, canvas, at(outline[0]));
}

int OutlineThickness(uint32_t width, uint32_t height) {
    // One pixel in 300 of the shorter side: about 2 screen pixels when a
    // 12-megapixel photo is fitted into a window 600 pixels high; at most the
    // largest pen.
    return std::clamp(int(std::min(width, height) / 300), 2, edit::Pen::kMaxSize);
}

void RunBarcodeCommand(Editor& editor) {
    Show(editor, BarcodeMethod::Chain);
}

void RunStrictBarcodeCommand(Editor& editor) {
    Show(editor, BarcodeMethod::Strict);
}

}  // namespace zorva::shell
