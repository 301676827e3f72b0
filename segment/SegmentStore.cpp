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
    m_mapLease = m_tableLease = m_vectorLease = core::Lease{};
    m_own.reset();
    m_ownBytes = 0;
    segmentCount = 0;
    selected = 0;
    vectors.release();
}

bool SegmentStore::intact(const core::WorkArena& arena) const {
    return m_form != MapForm::None && arena.holds(m_mapLease) && (!tableInArena() || arena.holds(m_tableLease));
}

bool SegmentStore::matches(const core::WorkArena& arena, core::BmpView document) const {
    return intact(arena) && document.valid() && document.width() == m_width && document.height() == m_height;
}

std::span<SegmentRecord> SegmentStore::eightTable() const {
    if (m_form != MapForm::Label || !m_table) return {};
    return {reinterpret_cast<SegmentRecord*>(m_table), m_tableBytes / sizeof(SegmentRecord)};
}

std::span<IndexedSegmentRecord> SegmentStore::indexedTable() const {
    if (m_form != MapForm::Indexed || !m_table) return {};
    return {reinterpret_cast<IndexedSegmentRecord*>(m_table), m_tableBytes / sizeof(IndexedSegmentRecord)};
}

// A block of its own for a table the arena cannot hold (kept for the next
// run when large enough).
uint8_t* SegmentStore::ownTable(size_t bytes) {
    if (m_ownBytes < bytes) {
        m_own.reset();
        m_ownBytes = 0;
        m_own.reset(new (std::nothrow) uint8_t[bytes]);
        if (!m_own) return nullptr;
        m_ownBytes = bytes;
    }
    return m_own.get();
}

void SegmentStore::placed(const core::WorkArena& arena, MapForm form, uint8_t* map, uint8_t* table, size_t tableBytes,
                          uint32_t width, uint32_t height) {
    m_map = map;
    m_table = table;
    m_tableBytes = tableBytes;
    m_mapLease = arena.lease(core::Region::BackgroundCopy);
    m_tableLease = arena.lease(core::Region::SegmentTables);
    m_vectorLease = core::Lease{};
    m_width = width;
    m_height = height;
    m_form = form;
    selected = 0;
    segmentCount = 0;
}

bool SegmentStore::placeEight(core::WorkArena& arena, core::BmpView image) {
    m_form = MapForm::None;
    if (!arena.carved() || !image.valid() || image.fileSize() > arena.imageBlockSize()) return false;
    const size_t bytes = SegmentEightCapacity(image.width(), image.height()) * sizeof(SegmentRecord);
    const core::SegmentPlacement at = arena.placeLabelMap(bytes);
    if (!at.map) return false;
    uint8_t* table = at.table ? at.table : ownTable(bytes);
    if (!table) return false;
    placed(arena, MapForm::Label, at.map, table, bytes, image.width(), image.height());
    return true;
}

bool SegmentStore::placeIndexed(core::WorkArena& arena, uint32_t width, uint32_t height) {
    m_form = MapForm::None;
    if (!arena.carved()) return false;
    const size_t bytes = IndexedSegmentCapacity(width, height) * sizeof(IndexedSegmentRecord);
    const core::SegmentPlacement at = arena.placeIndexedMap(size_t(width) * height * 4, bytes);
    if (!at.map) return false;
    uint8_t* table = at.table ? at.table : ownTable(bytes);
    if (!table) return false;
    placed(arena, MapForm::Indexed, at.map, table, bytes, width, height);
    return true;
}

void SegmentStore::settleIndexed(core::WorkArena& arena, uint32_t segments) {
    segmentCount = segments;
    if (m_form != MapForm::Indexed || !tableInArena()) return;
    arena.settleIndexedTable(std::min(m_tableBytes, (size_t(segments) + 1) * sizeof(IndexedSegmentRecord)));
}

void SegmentStore::prepareVectors(core::WorkArena& arena) {
    const std::span<uint32_t> words = arena.writeMaskWords();
    vectors.reset(words.data(), words.size());
    m_vectorLease = arena.lease(core::Region::MaskImage);
}

VectorView SegmentStore::vectorData(const core::WorkArena& arena) const {
    // Words that spilled into a block of their own stay; words in MaskImage
    // last only until MaskImage is written again.
    if (!vectors.spilled() && !arena.holds(m_vectorLease)) return VectorView();
    return VectorView(vectors.words());
}

}  // namespace zorva::segment
