// The barcode command: status texts and timing around the EAN reader.
#include "shell/commands/BarcodeCommand.h"

#include <span>

#include "recognize/Barcode.h"
#include "shell/Editor.h"

namespace zorva::shell {

namespace {

// The reader's work plane: BackgroundCopy in the picture's own layout.
std::span<uint8_t> WorkPlane(core::WorkArena& arena, core::BmpView image) {
    if (!arena.carved()) return {};
    return arena.writeBackgroundBytes(image.fileSize());
}

}  // namespace

void RunBarcodeCommand(Editor& editor) {
    if (!editor.hasDocument()) return;
    editor.setStatus(9, recognize::kBarcodeLabel);
    const uint32_t startMs = editor.host().clockMs();
    const recognize::BarcodeResult result =
        recognize::ReadBarcode(editor.document(), WorkPlane(editor.arena(), editor.document()));
    // A code rejected by its check digit is shown while the search goes on;
    // the final text (a later success or the asterisks) replaces it.
    if (!result.rejected.empty() && !result.found) editor.setStatus(10, result.rejected);
    editor.setStatus(10, result.text);
    editor.showElapsed(startMs);
}

std::string ReadBarcodeText(core::MutableBmpView image, core::WorkArena& arena) {
    return recognize::ReadBarcode(image, WorkPlane(arena, image)).text;
}

}  // namespace zorva::shell
