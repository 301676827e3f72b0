// Sobel edges and the two pencil sketches: the size checks and the copy they read here, the gradient loops in the
// processor layer.
#include "effects/Sobel.h"

#include <cstring>

namespace zorva::effects {

namespace {

core::BmpView CopyInto(core::MutableBmpView scratch, core::BmpView image) {
    std::memcpy(scratch.data(), image.data(), image.fileSize());
    return scratch;
}

}  // namespace

void Sobel(core::MutableBmpView image, core::MutableBmpView scratch, Kernels kernels) {
    if (image.width() < kSobelMinimumSize || image.height() < kSobelMinimumSize) return;
    const core::BmpView copy = CopyInto(scratch, image);
    simd::SobelRows(copy, image, kernels);
}

void PencilHard(core::MutableBmpView image, core::MutableBmpView scratch, Kernels kernels) {
    if (image.width() < kPencilHardMinimumSize || image.height() < kPencilHardMinimumSize) return;
    const core::BmpView copy = CopyInto(scratch, image);
    simd::PencilHardRows(copy, image, kernels);
}

void PencilSoft(core::MutableBmpView image, core::MutableBmpView scratch, Kernels kernels) {
    if (image.width() < kPencilSoftMinimumSize || image.height() < kPencilSoftMinimumSize) return;
    const core::BmpView copy = CopyInto(scratch, image);
    simd::PencilSoftRows(copy, image, kernels);
}

}  // namespace zorva::effects
