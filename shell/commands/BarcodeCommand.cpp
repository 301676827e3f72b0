// The barcode commands: status texts, timing, and the marks or outline around the readers.
#include "shell/commands/BarcodeCommand.h"

#include <algorithm>
#include <cstdlib>

#include "shell/Editor.h"

namespace zorva::shell {

namespace {

// A thickness x thickness square centred on (x, row), clipped to the picture.
void Stamp(core::MutableBmpView image, int x, int row, int thickness, uint32_t rgb) {
    const int low = -(thickness - 1) / 2;
    const int x0 = std::max(x + low, 0), x1 = std::min(x + low + thickness, int(image.width()));
    const int r0 = std::max(row + low, 0), r1 = std::min(row + low + thickness, int(image.height()));
    for (int r = r0; r < r1; ++r)
        for (int c = x0; c < x1; ++c) image.set(uint32_t(c), uint32_t(r), rgb);
}

// num / den rounded to the nearest integer, halves upwards; 0 when den is 0.
int Rounded(long num, long den) {
    if (den == 0) return 0;
    const long twice = 2 * num + den;  // floor((2 num + den) / 2 den), for either sign of num
    return int(twice >= 0 ? twice / (2 * den) : -((-twice + 2 * den - 1) / (2 * den)));
}

void Show(Editor& editor, BarcodeMethod method) {
    if (!editor.hasDocument()) return;
    editor.setStatus(status::ResultLabel, kBarcodeLabel);
    const uint32_t startMs = editor.host().clockMs();
    const recognize::ChainResult result = ReadAndMark(editor.document(), editor.arena(), method);
    // A code the exact reader rejected by its check digit is shown while the
    // search goes on; the final text (a later read or the asterisks) replaces it.
    if (result.exact.rejected && !result.exact.found())
        editor.setStatus(status::Result, BarcodeText(*result.exact.rejected));
    editor.setStatus(status::Result, BarcodeText(result));
    editor.state().barcodeReader = BarcodeReaderName(result.reader);
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
            return "exact";
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
    const size_t n = outline.size();
    if (n == 1) Stamp(image, outline[0].x, outline[0].row, thickness, rgb);
    // Each edge to the next point, the last back to the first (two points: one segment).
    for (size_t i = 0; n >= 2 && i < (n == 2 ? 1 : n); ++i) {
        const recognize::OutlinePoint a = outline[i], b = outline[(i + 1) % n];
        const int steps = std::max(std::abs(b.x - a.x), std::abs(b.row - a.row));
        // One pixel per step along the longer axis, the other rounded (a DDA line).
        for (int s = 0; s <= steps; ++s)
            Stamp(image, a.x + Rounded((b.x - a.x) * s, steps), a.row + Rounded((b.row - a.row) * s, steps), thickness,
                  rgb);
    }
}

int OutlineThickness(uint32_t width, uint32_t height) {
    // One pixel in 300 of the shorter side: about 2 screen pixels when a
    // 12-megapixel photo is fitted into a window 600 pixels high.
    return std::max(2, int(std::min(width, height) / 300));
}

void RunBarcodeCommand(Editor& editor) {
    Show(editor, BarcodeMethod::Chain);
}

void RunStrictBarcodeCommand(Editor& editor) {
    Show(editor, BarcodeMethod::Strict);
}

}  // namespace zorva::shell
