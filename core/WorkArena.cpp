// Reservation and carving of the work area.
#include "core/WorkArena.h"

#include <sys/mman.h>

namespace zorva::core {

ArenaLayout LayoutFor(uint32_t width, uint32_t height) {
    ArenaLayout layout;
    const size_t pixels = size_t(width) * height;
    layout.planeSize = pixels * 4 < kMinPlaneSize ? kMinPlaneSize : pixels * 4;
    layout.imageBlockSize = (FileSizeFor(width, height) + 7) & ~7u;
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
    const ArenaLayout layout = LayoutFor(document.width(), document.height());
    imageBlockSize = document.blockSize();
    journalWrite = 0;
    pixelJournal = m_base;
    pixelPlane = m_base + kJournalSize;
    planeSize = layout.planeSize;
    backgroundCopy = pixelPlane + planeSize;
    maskImage = backgroundCopy + planeSize;
    floatImage = maskImage + imageBlockSize;
    m_carved = true;
}

size_t WorkArena::roomFrom(const uint8_t* p) const {
    if (!m_base || p < m_base || p > end()) return 0;
    return size_t(end() - p);
}

}  // namespace zorva::core
