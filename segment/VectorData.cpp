// Word storage of VectorData and its bounds-checked readers.
#include "segment/VectorData.h"

#include <algorithm>
#include <cstring>

namespace zorva::segment {

// ---- word buffer ----

void WordBuffer::reset(uint32_t* region, size_t capacity) {
    m_data = region;
    m_capacity = region ? capacity : 0;
    m_size = 0;
    if (!m_data) {
        m_data = m_own.data();
        m_capacity = m_own.size();
    }
}

void WordBuffer::grow(size_t needed) {
    size_t capacity = std::max<size_t>(m_capacity * 2, 1024);
    while (capacity < needed) capacity *= 2;
    if (spilled()) {
        m_own.resize(capacity);
    } else {
        // Leave the region: carry what was written into a block of our own.
        std::vector<uint32_t> own(capacity);
        if (m_size) std::memcpy(own.data(), m_data, m_size * sizeof(uint32_t));
        m_own.swap(own);
    }
    m_data = m_own.data();
    m_capacity = m_own.size();
}

// ---- reading VectorData ----

bool VectorView::valid() const {
    if (m_words.size() < kVectorHeaderWords || m_words[0] != kVectorMagic) return false;
    const size_t k = m_words[3];
    return k == 0 || m_words.size() >= kVectorHeaderWords + 5 * k + 1;
}

IndexedSegmentRecord VectorView::record(uint32_t k) const {
    if (!valid() || k == 0 || k > segments()) return {};
    const size_t at = kVectorHeaderWords + 4 * size_t(k - 1);
    return IndexedSegmentRecord{word(at), word(at + 1), word(at + 2), word(at + 3)};
}

uint32_t VectorView::blockOffset(uint32_t k) const {
    if (!valid() || k == 0 || k > segments()) return 0;
    return word(kVectorHeaderWords + 4 * size_t(segments()) + (k - 1));
}

std::span<const uint32_t> VectorView::block(uint32_t k) const {
    const size_t begin = blockOffset(k) / 4;
    if (begin == 0 || begin >= m_words.size()) return {};
    // A block ends where the next begins; the last one before the end marker.
    size_t end = k < segments() ? blockOffset(k + 1) / 4 : m_words.size() - 1;
    if (end <= begin || end > m_words.size()) end = m_words.size();
    return m_words.subspan(begin, end - begin);
}

bool ReadBlock(std::span<const uint32_t> block, BlockView& out) {
    // Cleared field by field so that a reader walking many blocks keeps the
    // run list's storage.
    out.colour = 0;
    out.runList = {};
    out.runs.clear();
    if (block.size() < 2 || block[0] != kBlockMarker) return false;
    out.colour = block[1];
    size_t i = 2;
    while (i < block.size() && block[i] != kRunMarker) ++i;
    out.runList = block.subspan(2, i - 2);
    while (i + 1 < block.size() && block[i] == kRunMarker) {
        const uint32_t neighbour = block[i + 1];
        size_t j = i + 2;
        while (j < block.size() && block[j] != kRunMarker && block[j] != kBlockMarker) ++j;
        out.runs.push_back(RunView{neighbour, block.subspan(i + 2, j - i - 2)});
        i = j;
    }
    return true;
}

}  // namespace zorva::segment
