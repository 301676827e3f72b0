// Where the current segmentation lives: map, record table, palettes and VectorData, placed in the work arena.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "core/BmpImage.h"
#include "core/WorkArena.h"
#include "segment/MedianCut.h"
#include "segment/SegmentEight.h"
#include "segment/SegmentMedianCut.h"
#include "segment/Trace.h"

namespace zorva::segment {

// Which form of the SegmentMap is present.
enum class MapForm : uint8_t { None, Label, Indexed };

// The buffers one segmentation leaves for selection, tracing, SVG export and
// recognition. The arena places the map at the start of BackgroundCopy and
// the record table behind it when it has room for the worst case the
// picture can produce (one record per pixel); otherwise the table lives in a
// block of its own, so no picture can make the table overrun the arena. The
// store keeps the arena's leases on what it placed: once anyone else writes
// those bytes (a barcode read, a floating selection, a filter's scratch),
// the segmentation is gone and every reader is told so.
class SegmentStore {
public:
    SegmentStore() = default;
    SegmentStore(const SegmentStore&) = delete;
    SegmentStore& operator=(const SegmentStore&) = delete;

    // Forgets the segmentation (document install) and releases blocks of its own.
    void reset();

    // Label-image map at BackgroundCopy, MaskImage and FloatImage right behind
    // it, then a SegmentRecord table for SegmentEightCapacity records. False
    // when the arena is not carved for `image` or no memory can be had.
    bool placeEight(core::WorkArena& arena, core::BmpView image);
    // Indexed map (width x height words) at BackgroundCopy and an
    // IndexedSegmentRecord table for IndexedSegmentCapacity records after it.
    bool placeIndexed(core::WorkArena& arena, uint32_t width, uint32_t height);
    // After an indexed run of K segments: MaskImage starts right after record
    // K and FloatImage two ImageBlockSizes later (when the table is in the arena).
    void settleIndexed(core::WorkArena& arena, uint32_t segments);
    // Forgets the map form after a failed run (its contents are partial).
    void invalidate() { m_form = MapForm::None; }

    MapForm form() const { return m_form; }
    uint32_t width() const { return m_width; }
    uint32_t height() const { return m_height; }
    // True while the map and table are as the last run left them: nobody
    // else has written their bytes since.
    bool intact(const core::WorkArena& arena) const;
    // True when an intact map built for a picture of this size is present.
    bool matches(const core::WorkArena& arena, core::BmpView document) const;

    core::MutableBmpView labelMap() const { return core::MutableBmpView(m_map); }
    uint32_t* indexedMap() const { return reinterpret_cast<uint32_t*>(m_map); }
    // The whole table (capacity), for the runs.
    std::span<SegmentRecord> eightTable() const;
    std::span<IndexedSegmentRecord> indexedTable() const;
    // Records 0..SegmentCount-1 of the last 8-connected run; 0..K of the last indexed run.
    std::span<SegmentRecord> eightRecords() const {
        return eightTable().first(std::min<size_t>(segmentCount, eightTable().size()));
    }
    std::span<IndexedSegmentRecord> indexedRecords() const {
        return indexedTable().first(std::min<size_t>(size_t(segmentCount) + 1, indexedTable().size()));
    }
    // Whether the table lies in the arena (false: in a block of its own).
    bool tableInArena() const { return m_table != nullptr && m_table != m_own.get(); }

    // Points VectorData at MaskImage, with room up to FloatImage; a longer
    // VectorData moves to a block of its own.
    void prepareVectors(core::WorkArena& arena);
    // VectorData of the last tracing; empty once MaskImage was written again
    // (a snapshot refills it white).
    VectorView vectorData(const core::WorkArena& arena) const;

    // PaletteTable: the last median cut's palette (colour command or segmentation).
    PaletteTable palette;
    // The copy the indexed segmentation keeps of its own palette, which its
    // map indices refer to even after a later colour-palette command.
    PaletteTable segmentPalette;
    // SegmentCount: after 8-connected segmentation one more than the highest
    // label; after median-cut segmentation K.
    uint32_t segmentCount = 0;
    // SelectedSegment: the label of the last picked segment, 0 for none.
    uint32_t selected = 0;
    // VectorData of the last tracing.
    WordBuffer vectors;

private:
    uint8_t* ownTable(size_t bytes);
    void placed(const core::WorkArena& arena, MapForm form, uint8_t* map, uint8_t* table, size_t tableBytes,
                uint32_t width, uint32_t height);

    MapForm m_form = MapForm::None;
    uint32_t m_width = 0;
    uint32_t m_height = 0;
    uint8_t* m_map = nullptr;
    uint8_t* m_table = nullptr;
    size_t m_tableBytes = 0;
    core::Lease m_mapLease;
    core::Lease m_tableLease;
    core::Lease m_vectorLease;
    std::unique_ptr<uint8_t[]> m_own;
    size_t m_ownBytes = 0;
};

}  // namespace zorva::segment
