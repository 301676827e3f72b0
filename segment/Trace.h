// Contour tracing: outline walks along pixel edges, runs by neighbour, simplification by splitting, VectorData.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/BmpImage.h"
#include "segment/MedianCut.h"
#include "segment/SegmentEight.h"
#include "segment/SegmentMedianCut.h"

namespace zorva::segment {

// VectorData words (all unsigned 32-bit little-endian).
inline constexpr uint32_t kVectorMagic = 0x63767A2E;  // the bytes ".zvc"
inline constexpr uint32_t kBlockMarker = 0xFFFFFFFE;  // starts a segment block; also ends the data
inline constexpr uint32_t kRunMarker = 0xFFFFFFFF;    // starts a run
inline constexpr uint32_t kVectorPaletteEntries = 32;
// Word positions: magic, W, H, K, 32 palette entries, then K records of 4 words.
inline constexpr size_t kVectorHeaderWords = 4 + kVectorPaletteEntries;

// Word storage that fills a fixed region first (the arena from MaskImage on)
// and moves to a block of its own when the region is full, so that no
// outline, however long, writes past the region.
class WordBuffer {
public:
    WordBuffer() = default;
    WordBuffer(const WordBuffer&) = delete;
    WordBuffer& operator=(const WordBuffer&) = delete;

    // Empties the buffer and makes `region` (`capacity` words, may be null
    // and 0) the place to fill first. A block of its own is kept for reuse.
    void reset(uint32_t* region, size_t capacity);

    // Empties the buffer and gives back the block of its own.
    void release() {
        std::vector<uint32_t>().swap(m_own);
        reset(nullptr, 0);
    }
    // Empties the buffer, keeping where it writes.
    void clear() { m_size = 0; }

    void push(uint32_t word) {
        if (m_size == m_capacity) grow(m_size + 1);
        m_data[m_size++] = word;
    }
    size_t size() const { return m_size; }
    uint32_t* data() { return m_data; }
    const uint32_t* data() const { return m_data; }
    uint32_t& operator[](size_t i) { return m_data[i]; }
    uint32_t operator[](size_t i) const { return m_data[i]; }
    // True when the words no longer fit the region and live in a block of their own.
    bool spilled() const { return m_data != nullptr && m_data == m_own.data(); }
    std::span<const uint32_t> words() const { return {m_data, m_size}; }

private:
    void grow(size_t needed);

    uint32_t* m_data = nullptr;
    size_t m_size = 0;
    size_t m_capacity = 0;
    std::vector<uint32_t> m_own;
};

// Read access to VectorData; every accessor checks its bounds.
class VectorView {
public:
    VectorView() = default;
    explicit VectorView(std::span<const uint32_t> words) : m_words(words) {}

    // Header present with the magic and room for K records and offsets.
    bool valid() const;
    uint32_t width() const { return word(1); }
    uint32_t height() const { return word(2); }
    uint32_t segments() const { return word(3); }
    uint32_t palette(uint32_t i) const { return i < kVectorPaletteEntries ? word(4 + i) : 0; }
    // The copy of record k (1..K) taken before tracing.
    IndexedSegmentRecord record(uint32_t k) const;
    // Byte offset of segment k's block (1..K), 0 when out of range.
    uint32_t blockOffset(uint32_t k) const;
    // The words of segment k's block, from its block marker up to the next
    // block (or the end marker); empty when out of range.
    std::span<const uint32_t> block(uint32_t k) const;
    std::span<const uint32_t> words() const { return m_words; }

private:
    uint32_t word(size_t i) const { return i < m_words.size() ? m_words[i] : 0; }
    std::span<const uint32_t> m_words;
};

// One run of a segment block: its neighbour value and its points.
struct RunView {
    uint32_t neighbour = 0;
    std::span<const uint32_t> points;
};

// Splits a block (as VectorView::block gives it) into colour, run list and
// runs. False when it does not start with the block marker.
struct BlockView {
    uint32_t colour = 0;
    std::span<const uint32_t> runList;
    std::vector<RunView> runs;
};
bool ReadBlock(std::span<const uint32_t> block, BlockView& out);

// Traces every segment 1..K of a finished indexed SegmentMap into `out` as
// VectorData: header (magic, W, H, K, first 32 palette entries), copies of
// records 1..K, K block offsets, the blocks, the end marker. Each outline is
// walked from the segment's first pixel keeping the segment on the right,
// diagonal steps first; cut into runs by the neighbour on the other side;
// each run simplified with error min(level, low byte of `vectorFlags`) (raw
// when `vectorFlags` is 0), or, when the neighbour was traced before and has
// the matching run, stored as that run reversed. Afterwards table[k] holds
// the outline's bounding box and last-run data (see IndexedSegmentRecord).
// `table` needs K + 1 entries.
void TraceSegments(const uint32_t* map, uint32_t width, uint32_t height, std::span<IndexedSegmentRecord> table,
                   uint32_t segments, const PaletteTable& palette, uint16_t vectorFlags, WordBuffer& out);

// The error a run p0..pn-1 is simplified with: min(level, setting), the
// level 1..7 as the farthest point lies below 5, 10, 20, 40, 80, 160 or
// farther from p0.
uint32_t RunError(std::span<const uint32_t> run, uint32_t setting);

// Simplifies one run as TraceSegments stores it: p0, then for n > 3 the
// points kept by splitting p0..F and F..pn-1 (F the farthest from p0) where a
// point deviates by more than RunError (2 |cross| / rounded Euclidean length);
// every point when `vectorFlags` is 0.
void SimplifyRun(std::span<const uint32_t> run, uint16_t vectorFlags, std::vector<uint32_t>& out);

// The label-image walk of 8-connected segmentation: the outline of the
// segment whose root `label` has its first pixel at (x, y), as corner points
// (x low, y high 16 bits), ending at that pixel's bottom-right corner (the
// polygon closes implicitly). `unitMoves` counts the edges walked. The walk
// stops after `pixels` + 19 upward moves or 4 x `pixels` + 4 moves at most.
void WalkLabelOutline(core::BmpView map, uint32_t label, uint32_t x, uint32_t y, uint32_t pixels,
                      std::vector<uint32_t>& corners, uint32_t& unitMoves);

// Its simplification: error `setting` (0 keeps every corner; 4 means
// (unitMoves + 1) / 128 + 1), deviation measured against |dx| + |dy|.
void SimplifyLabelOutline(std::span<const uint32_t> corners, uint32_t unitMoves, uint32_t setting,
                          std::vector<uint32_t>& out);

}  // namespace zorva::segment
