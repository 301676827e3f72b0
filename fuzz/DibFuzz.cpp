// libFuzzer target: arbitrary bytes as a clipboard DIB; a picture read from it is whole and readable to its end.
#include <cstdint>
#include <span>

#include "edit/ClipboardDib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::optional<zorva::core::BmpImage> picture = zorva::edit::PictureFromDib(std::span(data, size));
    if (!picture) return 0;
    const zorva::core::BmpView view = picture->view();
    if (view.width() == 0 || view.height() == 0 || view.fileSize() > picture->capacity()) __builtin_trap();
    // Written back as a DIB, it reads again as the same picture.
    const std::vector<uint8_t> dib = zorva::edit::DibOf(view);
    const std::optional<zorva::core::BmpImage> again = zorva::edit::PictureFromDib(dib);
    if (!again || again->view().fileSize() != view.fileSize()) __builtin_trap();
    for (uint32_t r = 0; r < view.height(); ++r)
        for (uint32_t x = 0; x < view.width(); ++x)
            if (again->view().at(x, r) != view.at(x, r)) __builtin_trap();
    return 0;
}
