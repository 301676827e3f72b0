// The per-pixel loops of both builds in plain C++: tone, grey, negative, threshold, luminance rows and binary
// rendering.
#pragma once

#include <algorithm>
#include <vector>

#include "core/Luma.h"
#include "core/simd/KernelTable.h"

namespace zorva::simd::loops {

// ---- tone ----

// Per-byte parameters of one row: each channel's gain, up and down repeated
// every 3 bytes, so that the loop over the row's bytes needs no knowledge
// of which channel a byte is.
struct ToneRowParameters {
    std::vector<uint8_t> gain, up, down;
};

inline ToneRowParameters RowParameters(const std::array<ChannelTone, 3>& channels, uint32_t width) {
    ToneRowParameters p;
    const size_t n = size_t(3) * width;
    p.gain.resize(n);
    p.up.resize(n);
    p.down.resize(n);
    for (size_t i = 0; i < n; ++i) {
        const ChannelTone& c = channels[i % 3];
        p.gain[i] = c.gain;
        p.up[i] = c.up;
        p.down[i] = c.down;
    }
    return p;
}

// The tone of a row of bytes, branch-free. For v >= 128, a = v - 128 and
// the result is 128 + m; for v < 128, a = 127 - v and the result is 127 - m;
// with s = 0xFF for the lower half both are bit operations: a = (v ^ s) &
// 0x7F and u = m ^ 0x80 ^ s (m <= 127).
ZORVA_KERNEL void ToneBytes(const uint8_t* __restrict in, uint8_t* __restrict out, const uint8_t* __restrict gain,
                            const uint8_t* __restrict up, const uint8_t* __restrict down, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        const uint8_t v = in[i];
        const uint8_t s = v < 128 ? 0xFF : 0;
        const uint16_t a = (v ^ s) & 0x7F;
        const uint16_t stretched = uint16_t(a * gain[i]) >> 6;
        const uint8_t m = uint8_t(stretched < 127 ? stretched : 127);
        const uint16_t u = uint8_t(m ^ 0x80 ^ s);
        const uint16_t raised = u + up[i];
        const uint16_t capped = raised < 255 ? raised : 255;
        out[i] = uint8_t(capped > down[i] ? capped - down[i] : 0);
    }
}

ZORVA_KERNEL void ToneImage(core::BmpView source, core::MutableBmpView target, const ToneRowParameters& p) {
    const size_t n = size_t(3) * source.width();
    for (uint32_t r = 0; r < source.height(); ++r)
        ToneBytes(source.row(r), target.row(r), p.gain.data(), p.up.data(), p.down.data(), n);
}

// ---- grey, negative, threshold, luminance ----

ZORVA_KERNEL void GreyRow(uint8_t* __restrict p, uint32_t width) {
    for (uint32_t x = 0; x < width; ++x) {
        const uint8_t y = uint8_t(core::Luma(p[3 * x + 2], p[3 * x + 1], p[3 * x]));
        p[3 * x] = y;
        p[3 * x + 1] = y;
        p[3 * x + 2] = y;
    }
}

ZORVA_KERNEL void GreyImage(core::MutableBmpView image) {
    for (uint32_t r = 0; r < image.height(); ++r) GreyRow(image.row(r), image.width());
}

ZORVA_KERNEL void NegativeImage(core::MutableBmpView image) {
    // Rows without padding (a width divisible by 4) are one run of bytes.
    const size_t n = size_t(3) * image.width();
    const bool padded = image.stride() != n;
    const size_t run = padded ? n : n * image.height();
    for (uint32_t r = 0; r < (padded ? image.height() : 1u); ++r) {
        uint8_t* __restrict p = image.row(r);
        for (size_t i = 0; i < run; ++i) p[i] = uint8_t(~p[i]);
    }
}

ZORVA_KERNEL void ThresholdRow(const uint8_t* __restrict s, uint8_t* __restrict t, uint32_t width, uint8_t level) {
    for (uint32_t x = 0; x < width; ++x) {
        const uint8_t v = core::Luma(s[3 * x + 2], s[3 * x + 1], s[3 * x]) > level ? 0xFF : 0;
        t[3 * x] = v;
        t[3 * x + 1] = v;
        t[3 * x + 2] = v;
    }
}

ZORVA_KERNEL void ThresholdImage(core::BmpView source, core::MutableBmpView target, uint8_t level) {
    for (uint32_t r = 0; r < source.height(); ++r) ThresholdRow(source.row(r), target.row(r), source.width(), level);
}

ZORVA_KERNEL void LumaRow(const uint8_t* __restrict p, uint8_t* __restrict y, uint32_t width) {
    for (uint32_t x = 0; x < width; ++x) y[x] = uint8_t(core::Luma(p[3 * x + 2], p[3 * x + 1], p[3 * x]));
}

// ---- rendering of binary planes ----

ZORVA_KERNEL void RenderRow(const uint32_t* __restrict plane, uint8_t* __restrict p, uint32_t width) {
    for (uint32_t x = 0; x < width; ++x) {
        const uint8_t v = plane[x] != 0 ? 0xFF : 0;
        p[3 * x] = v;
        p[3 * x + 1] = v;
        p[3 * x + 2] = v;
    }
}

ZORVA_KERNEL void Render(core::Plane<const uint32_t> plane, core::MutableBmpView image) {
    for (uint32_t r = 0; r < image.height(); ++r) RenderRow(plane.row(r), image.row(r), image.width());
}

ZORVA_KERNEL void RenderThresholdRow(const uint32_t* __restrict records, uint8_t* __restrict p, uint32_t width,
                                     uint32_t shift, int level) {
    for (uint32_t x = 0; x < width; ++x) {
        const int mean = int((records[x] >> shift) & 0xFF);
        const int t = std::clamp(mean - level, 0, 255);
        const uint8_t v = int(records[x] & 0xFF) >= t ? 0xFF : 0;
        p[3 * x] = v;
        p[3 * x + 1] = v;
        p[3 * x + 2] = v;
    }
}

ZORVA_KERNEL void RenderThreshold(core::Plane<const uint32_t> records, uint32_t window, int level,
                                  core::MutableBmpView image) {
    const uint32_t shift = 8 * window;
    for (uint32_t r = 0; r < image.height(); ++r)
        RenderThresholdRow(records.row(r), image.row(r), image.width(), shift, level);
}

}  // namespace zorva::simd::loops
