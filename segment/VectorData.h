// VectorData: the contour data of all segments, and the word storage it is built in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

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

}  // namespace zorva::segment
