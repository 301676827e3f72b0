// Pictures, segmentation runs and outside tools shared by the segment tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "core/BmpImage.h"
#include "segment/MedianCut.h"
#include "segment/SegmentEight.h"
#include "segment/SegmentMedianCut.h"
#include "segment/Trace.h"

namespace zorva::test {

// A small deterministic generator (64-bit LCG), so every test sees the same pictures.
class Random {
public:
    explicit Random(uint64_t seed) : m_state(seed * 2654435761u + 1) {}
    uint32_t next() {
        m_state = m_state * 6364136223846793005ull + 1442695040888963407ull;
        return uint32_t(m_state >> 33);
    }
    uint32_t below(uint32_t n) { return next() % n; }

private:
    uint64_t m_state;
};

// A photo-like picture: smooth gradients, a few filled ellipses and bars,
// and per-pixel noise of +-`noise` on each channel.
core::BmpImage PhotoLike(uint32_t width, uint32_t height, uint32_t seed, uint32_t noise = 6);

// A width x height picture of two colours in a pattern chosen by `pick(x, r)`.
core::BmpImage TwoColour(uint32_t width, uint32_t height, uint32_t a, uint32_t b,
                         const std::function<bool(uint32_t, uint32_t)>& pick);

// A fresh block for a label-image map of `image`'s shape.
core::BmpImage LabelMapBlock(core::BmpView image);
uint32_t LabelAt(core::BmpView map, uint32_t x, uint32_t r);

// An 8-connected segmentation with its own buffers.
struct EightRun {
    core::BmpImage map;
    std::vector<segment::SegmentRecord> records;
    segment::SegmentEightResult result;
    std::span<const segment::SegmentRecord> table() const {
        return {records.data(), std::min<size_t>(result.segmentCount, records.size())};
    }
};
EightRun RunEight(core::MutableBmpView image, uint32_t tolerance, uint32_t repetitions);

// A median-cut segmentation with its own buffers.
struct IndexedRun {
    std::vector<uint32_t> histogram = std::vector<uint32_t>(segment::kHistogramCells);
    std::vector<uint32_t> map;
    std::vector<segment::IndexedSegmentRecord> table;
    segment::PaletteTable palette;
    uint32_t segments = 0;
    segment::SegmentStatus status = segment::SegmentStatus::Done;
    uint32_t at(uint32_t width, uint32_t x, uint32_t r) const { return map[size_t(r) * width + x]; }
};
IndexedRun RunIndexed(core::MutableBmpView image, uint32_t colours, uint32_t minPoints);

// Index of `rgb` (0xRRGGBB) in the palette, or -1.
int PaletteIndexOf(const segment::PaletteTable& palette, uint32_t rgb);

// The points of segment k's runs in order, a point equal to the one before it left out.
std::vector<uint32_t> OutlinePoints(const segment::VectorView& data, uint32_t k);

// Runs a shell command; its exit status (-1 when it could not run).
int RunCommand(const std::string& command);

// Whether the SVG file at `path` parses as XML (xmllint) and renders
// (rsvg-convert at width x height); the failing tool is named in the message.
::testing::AssertionResult ValidSvg(const std::string& path, uint32_t width, uint32_t height);

// Reads a PNG file as 0xRRGGBB pixels, top row first (composited on white).
struct Raster {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint32_t> pixels;
};
Raster ReadPng(const std::string& path);

}  // namespace zorva::test
