// The adaptive threshold's arguments: which window, which level, which area; the loops are the processor layer's.
#include "effects/AdaptiveThreshold.h"

#include <algorithm>

namespace zorva::effects {

bool ComputeLocalMeans(core::BmpView image, core::Plane<uint32_t> records, Kernels kernels) {
    if (image.width() < kLocalMeansMinimumSize || image.height() < kLocalMeansMinimumSize) return false;
    simd::LocalMeans(image, records, kernels);
    return true;
}

int PlateLevel(int mean, int variant) {
    switch (variant) {
        case 0:
            return simd::DerivedLevel<0>(mean);
        case 1:
            return simd::DerivedLevel<1>(mean);
        case 2:
            return simd::DerivedLevel<2>(mean);
        default:
            return simd::DerivedLevel<3>(mean);
    }
}

void AdaptiveThreshold(core::Plane<const uint32_t> records, const PlateThreshold& threshold,
                       core::Plane<uint32_t> result, Kernels kernels) {
    if (records.width == 0 || records.height == 0) return;
    simd::Area area{0, 0, records.width - 1, records.height - 1};
    if (threshold.region) {
        const PixelBox& box = *threshold.region;
        const int right = int(records.width) - 1, top = int(records.height) - 1;
        const int left = std::max(box.left - 1, 0), bottom = std::max(box.bottom - 1, 0);
        const int widenedRight = std::min(box.right + 1, right), widenedTop = std::min(box.top + 1, top);
        if (left > widenedRight || bottom > widenedTop) return;
        area = {uint32_t(left), uint32_t(bottom), uint32_t(widenedRight), uint32_t(widenedTop)};
    }
    simd::MeanLevel level;
    if (threshold.level) level.drop = *threshold.level - threshold.bias;
    level.variant = threshold.variant;
    level.bias = threshold.bias;
    simd::ThresholdByMeans(records, uint32_t(threshold.window), level, area, result, kernels);
}

void AdaptiveThreshold(core::Plane<const uint32_t> records, WindowChoice window, int level,
                       core::Plane<uint32_t> result, Kernels kernels) {
    PlateThreshold threshold;
    threshold.window = window;
    threshold.level = level;
    AdaptiveThreshold(records, threshold, result, kernels);
}

void RenderAdaptiveThreshold(core::Plane<const uint32_t> records, WindowChoice window, int level,
                             core::MutableBmpView image, Kernels kernels) {
    simd::RenderThresholdByMeans(records, uint32_t(window), level, image, kernels);
}

void RenderBinaryPlane(core::Plane<const uint32_t> plane, core::MutableBmpView image, Kernels kernels) {
    simd::RenderBinary(plane, image, kernels);
}

}  // namespace zorva::effects
