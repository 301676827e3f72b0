// Reservation and carving of the work area, its typed views and the record of who wrote which bytes.
#include "core/WorkArena.h"

#include <sys/mman.h>

#include <algorithm>

namespace zorva::core {

ArenaLayout LayoutFor(uint32_t width, uint32_t height) {
    ArenaLayout layout;
    const size_t pixels = size_t(width) * height;
    layout.planeSize = pixels * 4 < kMinPlaneSize ? kMinPlaneSize : pixels * 4;
    // The picture's file size rounded up to 8, or its size turned a quarter
    // turn when that is larger (row padding differs): a quarter turn keeps
    // the whole picture inside every whole-image copy and snapshot.
    const uint32_t largest = std::max(FileSizeFor(width, height), FileSizeFor(height, width));
    layout.imageBlockSize = (largest + 7) & ~7u;
    return layout;
}

ImageFit CheckFit(uint32_t width, uint32_t height) {
    if (width == 0 || height == 0) return ImageFit::TooLarge;
    if (width > kMaxWidth || height > kMaxHeight) return ImageFit::TooLarge;
    // Guard the 32-bit file-size field before asking for the layout.
    if (uint64_t(StrideFor(width)) * height + kHeaderSize > 0xFFFFFFF0ull) return ImageFit::TooLarge;
    return LayoutFor(width, height).required() <= kArenaSize ? ImageFit::Fits : ImageFit::TooLarge;
}

WorkArena::~WorkArena() {
    if (m_base) munmap(m_base, m_size);
}

bool WorkArena::reserve(size_t size) {
    if (m_base) return true;
    void* p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED) return false;
    madvise(p, size, MADV_HUGEPAGE);
    m_base = static_cast<uint8_t*>(p);
    m_size = size;
    return true;
}

void WorkArena::carve(BmpView document) {
    m_width = document.width();
    m_height = document.height();
    m_pixels = size_t(m_width) * m_height;
    const ArenaLayout layout = LayoutFor(m_width, m_height);
    m_imageBlockSize = layout.imageBlockSize;
    m_planeSize = layout.planeSize;
    journalWrite = 0;
    journalGuard = 0;
    const size_t plane = kJournalSize;
    const size_t background = plane + m_planeSize;
    const size_t mask = background + m_planeSize;
    const size_t floating = mask + m_imageBlockSize;
    set(Region::PixelJournal, 0, kJournalSize);
    set(Region::PixelPlane, plane, m_planeSize);
    set(Region::BackgroundCopy, background, m_planeSize);
    set(Region::MaskImage, mask, m_imageBlockSize);
    set(Region::FloatImage, floating, m_size > floating ? m_size - floating : 0);
    set(Region::SegmentTables, floating, 0);
    for (size_t r = 0; r < kRegionCount; ++r) bump(Region(r));
    m_carved = true;
}

uint8_t* WorkArena::touch(Region region, size_t bytes) {
    const size_t lo = m_span[size_t(region)].offset;
    const size_t hi = lo + bytes;
    for (size_t r = 0; r < kRegionCount; ++r) {
        const Span& s = m_span[r];
        if (s.size != 0 && lo < s.offset + s.size && s.offset < hi) bump(Region(r));
    }
    bump(region);
    return begin(region);
}

size_t WorkArena::roomFrom(Region region) const {
    const size_t offset = m_span[size_t(region)].offset;
    return m_carved && offset < m_size ? m_size - offset : 0;
}

// ---- writing ----

Plane<uint32_t> WorkArena::writePixelPlane() {
    auto* words = reinterpret_cast<uint32_t*>(touch(Region::PixelPlane, 4 * m_pixels));
    return PackedPlane(words, m_width, m_height);
}

std::span<uint32_t> WorkArena::writePixelWords(size_t count) {
    if (count * 4 > m_planeSize) return {};
    return {reinterpret_cast<uint32_t*>(touch(Region::PixelPlane, 4 * count)), count};
}

MutableBmpView WorkArena::writeBackground() {
    return MutableBmpView(touch(Region::BackgroundCopy, m_imageBlockSize));
}

std::span<uint8_t> WorkArena::writeBackgroundBytes(size_t bytes) {
    if (bytes > roomFrom(Region::BackgroundCopy)) return {};
    return {touch(Region::BackgroundCopy, bytes), bytes};
}

MutableBmpView WorkArena::writeMask() {
    return MutableBmpView(touch(Region::MaskImage, m_imageBlockSize));
}

std::span<uint32_t> WorkArena::writeMaskWords() {
    const Span& mask = m_span[size_t(Region::MaskImage)];
    const Span& floating = m_span[size_t(Region::FloatImage)];
    if (floating.offset <= mask.offset) return {};
    const size_t bytes = floating.offset - mask.offset;
    return {reinterpret_cast<uint32_t*>(touch(Region::MaskImage, bytes)), bytes / 4};
}

std::span<uint8_t> WorkArena::writeFloat(size_t bytes) {
    if (bytes > roomFrom(Region::FloatImage)) return {};
    return {touch(Region::FloatImage, bytes), bytes};
}

// ---- reading ----

Plane<const uint32_t> WorkArena::pixelPlane() const {
    return PackedPlane(reinterpret_cast<const uint32_t*>(begin(Region::PixelPlane)), m_width, m_height);
}

// ---- the segmentations' layouts ----

SegmentPlacement WorkArena::placeLabelMap(size_t tableBytes) {
    const size_t block = m_imageBlockSize;
    const size_t background = m_span[size_t(Region::BackgroundCopy)].offset;
    if (!m_carved || block > m_planeSize || background + 3 * block > m_size) return {};
    const size_t table = background + 3 * block;
    const bool inArena = table + tableBytes <= m_size;
    set(Region::BackgroundCopy, background, block);
    // MaskImage and FloatImage move behind the map, so that a snapshot's
    // white fill of MaskImage never reaches the map or the table.
    set(Region::MaskImage, background + block, block);
    set(Region::FloatImage, background + 2 * block, inArena ? block : m_size - (background + 2 * block));
    set(Region::SegmentTables, table, inArena ? tableBytes : 0);
    for (Region r : {Region::BackgroundCopy, Region::MaskImage, Region::FloatImage, Region::SegmentTables}) bump(r);
    return {m_base + background, inArena ? m_base + table : nullptr};
}

SegmentPlacement WorkArena::placeIndexedMap(size_t mapBytes, size_t tableBytes) {
    const size_t block = m_imageBlockSize;
    const size_t background = m_span[size_t(Region::BackgroundCopy)].offset;
    if (!m_carved || mapBytes > m_planeSize) return {};
    const size_t table = background + mapBytes;
    // Behind the worst-case table there must stay room for MaskImage (two
    // ImageBlockSizes, VectorData) and FloatImage (one).
    const bool inArena = table + tableBytes + 3 * block <= m_size;
    if (inArena) {
        set(Region::BackgroundCopy, background, mapBytes);
        set(Region::SegmentTables, table, tableBytes);
        set(Region::MaskImage, table + tableBytes, 2 * block);
        set(Region::FloatImage, table + tableBytes + 2 * block, m_size - (table + tableBytes + 2 * block));
    } else {
        // The carved layout: MaskImage right after BackgroundCopy.
        const size_t mask = background + m_planeSize;
        set(Region::BackgroundCopy, background, m_planeSize);
        set(Region::SegmentTables, mask, 0);
        set(Region::MaskImage, mask, block);
        set(Region::FloatImage, mask + block, m_size - (mask + block));
    }
    for (Region r : {Region::BackgroundCopy, Region::MaskImage, Region::FloatImage, Region::SegmentTables}) bump(r);
    return {m_base + background, inArena ? m_base + table : nullptr};
}

void WorkArena::settleIndexedTable(size_t usedBytes) {
    Span& tables = m_span[size_t(Region::SegmentTables)];
    if (tables.size == 0) return;
    if (usedBytes > tables.size) usedBytes = tables.size;
    tables.size = usedBytes;
    const size_t mask = tables.offset + usedBytes;
    set(Region::MaskImage, mask, 2 * size_t(m_imageBlockSize));
    set(Region::FloatImage, mask + 2 * size_t(m_imageBlockSize), m_size - (mask + 2 * size_t(m_imageBlockSize)));
    bump(Region::MaskImage);
    bump(Region::FloatImage);
}

}  // namespace zorva::core
