// Pictures for the effects tests: random ones with saturated and pure white pixels, copies and scratch blocks.
#pragma once

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "core/BmpImage.h"
#include "tests/support/TestSupport.h"

namespace zorva::test {

// Noise with runs of pure white, pure black and repeated colours, so that
// every case of every effect meets its pixels. The padding bytes hold 0x5A,
// which no effect may change.
inline core::BmpImage RandomPicture(uint32_t width, uint32_t height, uint32_t seed) {
    std::mt19937 random(seed);
    core::BmpImage image = MakeImage(width, height, [&](uint32_t, uint32_t) {
        switch (random() % 8) {
            case 0:
                return 0xFFFFFFu;
            case 1:
                return 0u;
            case 2:
                return 0x808080u;
            default:
                return uint32_t(random()) & 0xFFFFFF;
        }
    });
    const core::MutableBmpView v = image.view();
    for (uint32_t r = 0; r < height; ++r) std::memset(v.row(r) + 3 * width, 0x5A, v.stride() - 3 * width);
    return image;
}

inline core::BmpImage CopyOf(core::BmpView image) {
    core::BmpImage copy = core::BmpImage::Allocate(image.blockSize());
    std::memcpy(copy.data(), image.data(), image.fileSize());
    return copy;
}

// A block a filter may use as its image-sized scratch, filled with junk.
inline core::BmpImage ScratchFor(core::BmpView image) {
    core::BmpImage scratch = core::BmpImage::Allocate(image.blockSize());
    std::memset(scratch.data(), 0xA7, image.blockSize());
    return scratch;
}

inline std::vector<uint8_t> BytesOf(core::BmpView image) {
    return {image.data(), image.data() + image.fileSize()};
}

}  // namespace zorva::test
