// The barcode command: status texts, timing and the marks around the EAN reader.
#include "shell/commands/BarcodeCommand.h"

#include <span>

#include "shell/Editor.h"

namespace zorva::shell {

std::string BarcodeText(const recognize::BarcodeReading& reading) {
    if (reading.format == recognize::BarcodeFormat::Ean8) return reading.digits + "      ";
    std::string text;
    for (char d : reading.digits) text += d == recognize::barcode::kUnknownDigit ? std::string("°") : std::string(1, d);
    return text + (reading.checkPassed ? '+' : '-');
}

std::string BarcodeText(const recognize::BarcodeResult& result) {
    return result.found() ? BarcodeText(result.code) : std::string(kBarcodeNotFound);
}

recognize::BarcodeResult ReadAndMark(core::MutableBmpView image, core::WorkArena& arena) {
    // The reader's work plane: BackgroundCopy in the picture's own layout.
    const std::span<uint8_t> plane =
        arena.carved() ? arena.writeBackgroundBytes(image.fileSize()) : std::span<uint8_t>();
    recognize::BarcodeResult result = recognize::ReadBarcode(image, plane);
    for (const recognize::BarcodeMark& m : result.marks)
        image.set(uint32_t(m.x), uint32_t(m.row), recognize::barcode::kMarkColour);
    return result;
}

void RunBarcodeCommand(Editor& editor) {
    if (!editor.hasDocument()) return;
    editor.setStatus(status::ResultLabel, kBarcodeLabel);
    const uint32_t startMs = editor.host().clockMs();
    const recognize::BarcodeResult result = ReadAndMark(editor.document(), editor.arena());
    // A code rejected by its check digit is shown while the search goes on;
    // the final text (a later success or the asterisks) replaces it.
    if (result.rejected && !result.found()) editor.setStatus(status::Result, BarcodeText(*result.rejected));
    editor.setStatus(status::Result, BarcodeText(result));
    editor.showElapsed(startMs);
}

}  // namespace zorva::shell
