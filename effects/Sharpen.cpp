// Sharpening: the size check and the average's header here, the one-pass loop in the processor layer.
#include "effects/Sharpen.h"

#include <cstring>

namespace zorva::effects {

void Sharpen(core::MutableBmpView image, core::MutableBmpView average, Kernels kernels) {
    if (image.width() < kSharpenMinimumSize || image.height() < kSharpenMinimumSize) return;
    std::memcpy(average.data(), image.data(), core::kHeaderSize);
    simd::SharpenRows(image, average, kernels);
}

}  // namespace zorva::effects
