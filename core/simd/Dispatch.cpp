// The processor check, made once, and every loop's entry point: the one place that picks a build.
#include "core/simd/KernelTable.h"

namespace zorva::simd {

namespace {

Build DetectBuild() {
#if ZORVA_SIMD_AVX2
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) return Build::Avx2;
#endif
    return Build::Plain;
}

const KernelTable& TableOf(Build build) {
#if ZORVA_SIMD_AVX2
    if (build == Build::Avx2) return kAvx2Kernels;
#endif
    (void)build;
    return kPlainKernels;
}

const KernelTable& Table(Kernels kernels) {
    static const KernelTable& fastest = TableOf(FastestBuild());
    return kernels == Kernels::Fastest ? fastest : kPlainKernels;
}

}  // namespace

Build FastestBuild() {
    static const Build build = DetectBuild();
    return build;
}

void ToneRows(core::BmpView source, core::MutableBmpView target, const std::array<ChannelTone, 3>& channels,
              Kernels kernels) {
    Table(kernels).tone(source, target, channels);
}

void GreyRows(core::MutableBmpView image, Kernels kernels) {
    Table(kernels).grey(image);
}

void NegateRows(core::MutableBmpView image, Kernels kernels) {
    Table(kernels).negate(image);
}

void ThresholdRows(core::BmpView source, core::MutableBmpView target, uint8_t level, Kernels kernels) {
    Table(kernels).threshold(source, target, level);
}

void LumaRow(const uint8_t* bgr, uint8_t* luma, uint32_t width, Kernels kernels) {
    Table(kernels).lumaRow(bgr, luma, width);
}

uint32_t EnhanceLeadingPixels(uint8_t* row, uint32_t width, Kernels kernels) {
    return Table(kernels).enhanceLeadingPixels(row, width);
}

void BoxBlurRows(core::MutableBmpView image, uint32_t radius, Kernels kernels) {
    Table(kernels).boxBlur(image, radius);
}

void SharpenRows(core::MutableBmpView image, core::MutableBmpView average, Kernels kernels) {
    Table(kernels).sharpen(image, average);
}

void SobelRows(core::BmpView copy, core::MutableBmpView image, Kernels kernels) {
    Table(kernels).sobel(copy, image);
}

void PencilHardRows(core::BmpView copy, core::MutableBmpView image, Kernels kernels) {
    Table(kernels).pencilHard(copy, image);
}

void PencilSoftRows(core::BmpView copy, core::MutableBmpView image, Kernels kernels) {
    Table(kernels).pencilSoft(copy, image);
}

void LocalMeans(core::BmpView image, core::Plane<uint32_t> records, Kernels kernels) {
    Table(kernels).localMeans(image, records);
}

void ThresholdByMeans(core::Plane<const uint32_t> records, uint32_t window, const MeanLevel& level, Area area,
                      core::Plane<uint32_t> result, Kernels kernels) {
    Table(kernels).thresholdByMeans(records, window, level, area, result);
}

void RenderThresholdByMeans(core::Plane<const uint32_t> records, uint32_t window, int drop, core::MutableBmpView image,
                            Kernels kernels) {
    Table(kernels).renderThresholdByMeans(records, window, drop, image);
}

void RenderBinary(core::Plane<const uint32_t> plane, core::MutableBmpView image, Kernels kernels) {
    Table(kernels).renderBinary(plane, image);
}

void RunStarts(const uint32_t* line, uint32_t n, uint64_t* mask, Kernels kernels) {
    Table(kernels).runStarts(line, n, mask);
}

uint32_t ProfileDistance(const int16_t* profile, const uint8_t* record, uint32_t samples, Kernels kernels) {
    return Table(kernels).profileDistance(profile, record, samples);
}

}  // namespace zorva::simd
