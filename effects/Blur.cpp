// The blur levels as box blurs; the one-pass loop (running column sums over a ring of the rows it overwrites) is the
// processor layer's.
#include "effects/Blur.h"

namespace zorva::effects {

uint32_t BlurMinimumSize(BlurLevel level) {
    switch (level) {
        case BlurLevel::Light:
            return 2;
        case BlurLevel::Medium:
        case BlurLevel::Strong:
            return 5;
        case BlurLevel::VeryStrong:
            return 9;
    }
    return 0;
}

void BoxBlur(core::MutableBmpView image, uint32_t radius, Kernels kernels) {
    if (image.width() == 0 || image.height() == 0) return;
    if (radius >= 1 && radius <= 4) simd::BoxBlurRows(image, radius, kernels);
}

void Blur(core::MutableBmpView image, BlurLevel level, Kernels kernels) {
    const uint32_t minimum = BlurMinimumSize(level);
    if (image.width() < minimum || image.height() < minimum) return;
    switch (level) {
        case BlurLevel::Light:
            BoxBlur(image, 1, kernels);
            break;
        case BlurLevel::Medium:
            BoxBlur(image, 2, kernels);
            break;
        case BlurLevel::Strong:
            for (int pass = 0; pass < 3; ++pass) BoxBlur(image, 2, kernels);
            break;
        case BlurLevel::VeryStrong:
            for (int pass = 0; pass < 3; ++pass) BoxBlur(image, 4, kernels);
            break;
    }
}

}  // namespace zorva::effects
