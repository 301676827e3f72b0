// The one road to processor-specific code: every pixel loop with a build for a particular processor is called here.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "core/BmpImage.h"
#include "core/Plane.h"

namespace zorva::simd {

// Every loop below exists in a plain build, C++ that the compiler vectorises
// for the target's baseline processor (SSE2 on x86-64, NEON on AArch64), and
// on x86-64 in an AVX2 build: hand-written intrinsics where the interleaved
// blue-green-red triples defeat the vectoriser, elsewhere the same loop
// compiled for AVX2's 32-byte lanes. Both builds give the same bytes; the
// layer's tests hold them to it. Which build Kernels::Fastest runs is decided
// once, from the processor's features, at the first call.
enum class Kernels : uint8_t {
    Plain,    // the plain build, on every processor (the tests' reference)
    Fastest,  // the fastest build this processor runs
};

// The builds there are; a new processor family is a new entry here, a table
// in its own kernel file and a line in the processor check.
enum class Build : uint8_t {
    Plain,
    Avx2,
};

// The build Kernels::Fastest stands for on this processor.
Build FastestBuild();

// ---- arithmetic shared by the loops and their callers ----

// A gradient folded to a magnitude: a negative value v becomes -v - 1 (its
// bitwise complement), so -1 folds to 0 and -2 to 1.
constexpr int FoldGradient(int v) {
    return v >= 0 ? v : -v - 1;
}

// The average of nine values from their sum S: (S - S / 8) / 8 with both
// divisions rounded down, about S / 9.14; it runs a little low, so nine
// equal values v give slightly less than v (128 gives 126).
constexpr uint32_t NineAverage(uint32_t sum) {
    return (sum - (sum >> 3)) >> 3;
}

// The automatic threshold level of `Variant` (0..3) for a pixel whose local
// mean is `mean`: with m the distance from the nearer end (m = mean below
// 128, else 255 - mean), 8; ((m + 15) / 4) / 2 + 4; (m + 15) / 4; 0.
template <int Variant>
constexpr int DerivedLevel(int mean) {
    const int m = mean < 128 ? mean : 255 - mean;
    if constexpr (Variant == 0) return 8;
    if constexpr (Variant == 1) return (m + 15) / 4 / 2 + 4;
    if constexpr (Variant == 2) return (m + 15) / 4;
    return 0;
}

// ---- per-pixel loops over 24-bit rows ----

// Brightness and contrast of one stored channel (blue, green, red): the
// gain is a fixed-point factor with 64 meaning 1.0, applied around the
// middle of the range; then `up` is added or `down` subtracted (one of them 0).
struct ChannelTone {
    uint8_t gain = 64;
    uint8_t up = 0;
    uint8_t down = 0;
};

// Every byte v of `source` into the same place of `target` (a picture of
// the same size): from 128 up 128 + min(127, ((v - 128) gain) >> 6), below
// 127 - min(127, ((127 - v) gain) >> 6), then + up - down clamped to 0..255.
void ToneRows(core::BmpView source, core::MutableBmpView target, const std::array<ChannelTone, 3>& channels,
              Kernels kernels = Kernels::Fastest);

// Every pixel becomes (Y, Y, Y), Y its core::Luma.
void GreyRows(core::MutableBmpView image, Kernels kernels = Kernels::Fastest);

// Every pixel byte v becomes 255 - v (row padding may be inverted too).
void NegateRows(core::MutableBmpView image, Kernels kernels = Kernels::Fastest);

// Every pixel of `target` (a picture of `source`'s size) becomes white where
// the luminance of the same pixel of `source` is above `level`, else black.
void ThresholdRows(core::BmpView source, core::MutableBmpView target, uint8_t level,
                   Kernels kernels = Kernels::Fastest);

// The luminance of `width` pixels at `bgr` into `luma`, one byte each.
void LumaRow(const uint8_t* bgr, uint8_t* luma, uint32_t width, Kernels kernels = Kernels::Fastest);

// Colour enhancement of the leading pixels of one row of `width` pixels,
// without a hue: the largest channel V becomes (255 V) >> 8, the smallest 0,
// the middle one (ramp[f] V) >> 8, where f = ((256 (mid - min) / (V - min))
// 39) >> 8, or 40 where the middle equals the largest, and ramp is the
// 41-step 0..255 ramp of one sextant of the hue circle; ties between channels
// fall as red >= green >= blue. Returns how many pixels it did: a multiple of
// the build's vector width, 0 in the plain build. The caller's per-pixel
// definition (through the hue table) is this loop's plain twin and does the rest.
uint32_t EnhanceLeadingPixels(uint8_t* row, uint32_t width, Kernels kernels = Kernels::Fastest);

// ---- neighbourhood filters (effects/Blur.h, Sharpen.h and Sobel.h state the results) ----

// The clipped (2 radius + 1)-square box blur in place, radius 1..4.
void BoxBlurRows(core::MutableBmpView image, uint32_t radius, Kernels kernels = Kernels::Fastest);

// Sharpening in place with the 9x9 average written into `average`'s pixels
// (a picture block of the same size); at least 9 x 9 pixels.
void SharpenRows(core::MutableBmpView image, core::MutableBmpView average, Kernels kernels = Kernels::Fastest);

// Sobel edges, and the hard and soft pencil sketches, of `copy` into
// `image` (a picture of the same size) except the border the filter leaves;
// Sobel and the hard pencil need at least 3 x 3 pixels, the soft pencil 7 x 7.
void SobelRows(core::BmpView copy, core::MutableBmpView image, Kernels kernels = Kernels::Fastest);
void PencilHardRows(core::BmpView copy, core::MutableBmpView image, Kernels kernels = Kernels::Fastest);
void PencilSoftRows(core::BmpView copy, core::MutableBmpView image, Kernels kernels = Kernels::Fastest);

// ---- local means and the adaptive threshold (effects/AdaptiveThreshold.h states the results) ----

// Divisors of the three window sums: the 9x9 sum by 81; the 17-wide sums,
// halved per row so that they fit 12 bits, by 77 (17x9, about 153 / 2) and
// 145 (17x17, about 289 / 2).
inline constexpr uint32_t kMeanDivisor9 = 81;
inline constexpr uint32_t kMeanDivisor17x9 = 77;
inline constexpr uint32_t kMeanDivisor17 = 145;

// The local-mean record of every pixel of `image` (at least 17 x 17) into
// `records`: byte 0 its luminance, bytes 1..3 the means of the 9x9, 17x9
// and 17x17 windows around it (or around the nearest pixel whose window fits).
void LocalMeans(core::BmpView image, core::Plane<uint32_t> records, Kernels kernels = Kernels::Fastest);

// A rectangle of a plane, bounds included.
struct Area {
    uint32_t left, bottom, right, top;
};

// The threshold level of each pixel: `drop` below its mean when given, else
// DerivedLevel<variant> of its mean less `bias`.
struct MeanLevel {
    std::optional<int> drop;
    int variant = 0;
    int bias = 0;
};

// For every pixel of `area`: with M byte `window` (1..3) of its record,
// T = clamp(M - level, 0, 255); `result` gets 1 where the luminance (byte 0)
// is at least T, else 0.
void ThresholdByMeans(core::Plane<const uint32_t> records, uint32_t window, const MeanLevel& level, Area area,
                      core::Plane<uint32_t> result, Kernels kernels = Kernels::Fastest);

// The same with a fixed `drop` over the whole plane, drawn into `image` (a
// picture of the plane's size) as white and black.
void RenderThresholdByMeans(core::Plane<const uint32_t> records, uint32_t window, int drop, core::MutableBmpView image,
                            Kernels kernels = Kernels::Fastest);

// A plane of 0 and 1 into `image` (a picture of the plane's size): 0 black, else white.
void RenderBinary(core::Plane<const uint32_t> plane, core::MutableBmpView image, Kernels kernels = Kernels::Fastest);

// ---- segmentation and shape matching ----

// Bit i of `mask` set where a run of equal indices (the low byte of each
// word) starts at line[i], i < n: at 0 and wherever the index differs from
// the one before. Bits from n up are clear; `mask` holds (n + 63) / 64 words.
void RunStarts(const uint32_t* line, uint32_t n, uint64_t* mask, Kernels kernels = Kernels::Fastest);

// The distance of two turning profiles of `samples` 16-bit samples (a
// multiple of 8, at most 64, so that the vector build's 32-bit lane sums
// stay exact): the sum over the samples of the squared wrap-around
// difference shifted right by 4 (pairwise, in 32 bits), held at UINT32_MAX.
// `profile` is in the processor's order, `record` little-endian bytes; both
// 16-byte aligned.
uint32_t ProfileDistance(const int16_t* profile, const uint8_t* record, uint32_t samples,
                         Kernels kernels = Kernels::Fastest);

}  // namespace zorva::simd
