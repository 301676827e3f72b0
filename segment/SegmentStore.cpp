// Placement of segment maps and tables in the work arena, with blocks of their own for what it cannot hold.
#include "segment/SegmentStore.h"

#include <algorithm>
#include <new>

namespace zorva::segment {

void SegmentStore::reset() {
    m_form = MapForm::None;
    m_width = m_height = 0;
    m_map = m_table = nullptr;
    m_tableBytes = 0;
    m_own.reset();
    m_ownBytes = 0;
    segmentCount = 0;
    selected = 0;
    vectors.release();
}

bool SegmentStore::matches(core::BmpView document) const {
    return m_form != MapForm::None && document.valid() && document.width() == m_width && document.height() == m_height;
}

std::span<SegmentRecord> SegmentStore::eightTable() const {
    if (m_form != MapForm::Label || !m_table) return {};
    return {reinterpret_cast<SegmentRecord*>(m_table), m_tableBytes / sizeof(SegmentRecord)};
}

std::span<IndexedSegmentRecord> SegmentStore::indexedTable() const {
    if (m_form != MapForm::Indexed || !m_table) return {};
    return {reinterpret_cast<IndexedSegmentRecord*>(m_table), m_tableBytes / sizeof(IndexedSegmentRecord)};
}

// The table at `at` when the arena holds it and `after` more bytes behind
// it, else a block of its own (kept for the next run when large enough).
uint8_t* SegmentStore::table(core::WorkArena& arena, uint8_t* at, size_t bytes, size_t after) {
    if (arena.roomFrom(at) >= bytes + after) return at;
    if (m_ownBytes < bytes) {
        m_own.reset();
        m_ownBytes = 0;
        m_own.reset(new (std::nothrow) uint8_t[bytes]);
        if (!m_own) return nullptr;
        m_ownBytes = bytes;
    }
    return m_own.get();
}

bool SegmentStore::placeEight(core::WorkArena& arena, core::BmpView image) {
    m_form = MapForm::None;
    if (!arena.carved() || !image.valid()) return false;
    const size_t block = arena.imageBlockSize;
    uint8_t* background = arena.backgroundCopy;
    // The map has the document's shape; BackgroundCopy (P >= ImageBlockSize) holds it.
    if (image.fileSize() > block || block > arena.planeSize || arena.roomFrom(background) < 3 * block) return false;
    const size_t bytes = SegmentEightCapacity(image.width(), image.height()) * sizeof(SegmentRecord);
    uint8_t* records = table(arena, background + 3 * block, bytes, 0);
    if (!records) return false;
    m_map = background;
    m_table = records;
    m_tableBytes = bytes;
    // MaskImage and FloatImage move behind the map so that a snapshot's
    // white fill of MaskImage never reaches the map or the table.
    arena.maskImage = background + block;
    arena.floatImage = background + 2 * block;
    m_width = image.width();
    m_height = image.height();
    m_form = MapForm::Label;
    selected = 0;
    segmentCount = 0;
    return true;
}

bool SegmentStore::placeIndexed(core::WorkArena& arena, uint32_t width, uint32_t height) {
    m_form = MapForm::None;
    if (!arena.carved()) return false;
    const size_t block = arena.imageBlockSize;
    uint8_t* background = arena.backgroundCopy;
    const size_t mapBytes = size_t(width) * height * 4;
    if (mapBytes > arena.planeSize) return false;
    const size_t bytes = IndexedSegmentCapacity(width, height) * sizeof(IndexedSegmentRecord);
    // Behind the worst-case table there must stay room for MaskImage (two
    // ImageBlockSizes, VectorData) and FloatImage (one).
    uint8_t* records = table(arena, background + mapBytes, bytes, 3 * block);
    if (!records) return false;
    m_map = background;
    m_table = records;
    m_tableBytes = bytes;
    if (tableInArena()) {
        arena.maskImage = records + bytes;
        arena.floatImage = arena.maskImage + 2 * block;
    } else {
        // The carved layout: MaskImage right after BackgroundCopy.
        arena.maskImage = background + arena.planeSize;
        arena.floatImage = arena.maskImage + block;
    }
    m_width = width;
    m_height = height;
    m_form = MapForm::Indexed;
    selected = 0;
    segmentCount = 0;
    return true;
}

void SegmentStore::settleIndexed(core::WorkArena& arena, uint32_t segments) {
    segmentCount = segments;
    if (m_form != MapForm::Indexed || !tableInArena()) return;
    const size_t used = std::min(m_tableBytes, (size_t(segments) + 1) * sizeof(IndexedSegmentRecord));
    arena.maskImage = m_table + used;
    arena.floatImage = arena.maskImage + 2 * size_t(arena.imageBlockSize);
}

void SegmentStore::prepareVectors(core::WorkArena& arena) {
    uint8_t* begin = arena.maskImage;
    uint8_t* end = arena.floatImage;
    if (!begin || !end || end <= begin || arena.roomFrom(end) == 0) {
        vectors.reset(nullptr, 0);
        return;
    }
    vectors.reset(reinterpret_cast<uint32_t*>(begin), size_t(end - begin) / sizeof(uint32_t));
}

}  // namespace zorva::segment
