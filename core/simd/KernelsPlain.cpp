// The plain build of every loop: portable C++ that the compiler vectorises for the target's baseline processor.
#include "core/simd/FilterLoops.h"
#include "core/simd/KernelTable.h"
#include "core/simd/MeanLoops.h"
#include "core/simd/PixelLoops.h"
#include "core/simd/ScanLoops.h"

namespace zorva::simd {

namespace {

void TonePlain(core::BmpView source, core::MutableBmpView target, const std::array<ChannelTone, 3>& channels) {
    loops::ToneImage(source, target, loops::RowParameters(channels, source.width()));
}

void GreyPlain(core::MutableBmpView image) {
    loops::GreyImage(image);
}

void NegatePlain(core::MutableBmpView image) {
    loops::NegativeImage(image);
}

void ThresholdPlain(core::BmpView source, core::MutableBmpView target, uint8_t level) {
    loops::ThresholdImage(source, target, level);
}

void LumaRowPlain(const uint8_t* bgr, uint8_t* luma, uint32_t width) {
    loops::LumaRow(bgr, luma, width);
}

// The caller's per-pixel definition does every pixel.
uint32_t EnhanceLeadingPixelsPlain(uint8_t*, uint32_t) {
    return 0;
}

void BoxBlurPlain(core::MutableBmpView image, uint32_t radius) {
    loops::BoxBlurAnyRadius(image, radius);
}

void SharpenPlain(core::MutableBmpView image, core::MutableBmpView average) {
    loops::SharpenImage(image, average);
}

void SobelPlain(core::BmpView copy, core::MutableBmpView image) {
    loops::SobelImage(copy, image);
}

void PencilHardPlain(core::BmpView copy, core::MutableBmpView image) {
    loops::PencilHardImage<loops::SketchPixels>(copy, image);
}

void PencilSoftPlain(core::BmpView copy, core::MutableBmpView image) {
    loops::PencilSoftImage<loops::SketchPixels>(copy, image);
}

void LocalMeansPlain(core::BmpView image, core::Plane<uint32_t> records) {
    loops::LocalMeans<loops::LumaRow>(image, records);
}

void ThresholdByMeansPlain(core::Plane<const uint32_t> records, uint32_t window, const MeanLevel& level, Area area,
                           core::Plane<uint32_t> result) {
    loops::ThresholdArea(records, window, level, area, result);
}

void RenderThresholdByMeansPlain(core::Plane<const uint32_t> records, uint32_t window, int drop,
                                 core::MutableBmpView image) {
    loops::RenderThreshold(records, window, drop, image);
}

void RenderBinaryPlain(core::Plane<const uint32_t> plane, core::MutableBmpView image) {
    loops::Render(plane, image);
}

}  // namespace

const KernelTable kPlainKernels = {
    TonePlain,
    GreyPlain,
    NegatePlain,
    ThresholdPlain,
    LumaRowPlain,
    EnhanceLeadingPixelsPlain,
    BoxBlurPlain,
    SharpenPlain,
    SobelPlain,
    PencilHardPlain,
    PencilSoftPlain,
    LocalMeansPlain,
    ThresholdByMeansPlain,
    RenderThresholdByMeansPlain,
    RenderBinaryPlain,
    loops::RunStarts,
    loops::ProfileDistance,
};

}  // namespace zorva::simd
