// The plain segmentation and shape-matching loops: where runs of equal indices start, and the distance of two
// turning profiles.
#pragma once

#include <algorithm>
#include <cstdint>

#include "core/simd/KernelTable.h"

namespace zorva::simd::loops {

// Word by word, each stored once.
inline void RunStarts(const uint32_t* line, uint32_t n, uint64_t* mask) {
    for (uint32_t base = 0; base < n; base += 64) {
        uint64_t bits = 0;
        for (uint32_t k = base; k < std::min(base + 64, n); ++k)
            bits |= uint64_t(k == 0 || ((line[k] ^ line[k - 1]) & 0xFF) != 0) << (k - base);
        mask[base / 64] = bits;
    }
}

// The shifted pair sums of one distance of 64 samples stay below 2^33; a sum
// that does not fit 32 bits is the largest distance there is.
inline uint32_t Saturate(uint64_t sum) {
    return sum > UINT32_MAX ? UINT32_MAX : uint32_t(sum);
}

// Sample by sample, the record's bytes read as little-endian words.
inline uint32_t ProfileDistance(const int16_t* profile, const uint8_t* record, uint32_t samples) {
    uint64_t sum = 0;
    for (uint32_t k = 0; k < samples; k += 2) {
        const int16_t r0 = int16_t(uint16_t(record[2 * k] | record[2 * k + 1] << 8));
        const int16_t r1 = int16_t(uint16_t(record[2 * k + 2] | record[2 * k + 3] << 8));
        const int32_t d0 = int16_t(uint16_t(profile[k] - r0));
        const int32_t d1 = int16_t(uint16_t(profile[k + 1] - r1));
        // At most 2 x 32768^2 = 2^31: exact in 32 unsigned bits.
        sum += (uint32_t(d0 * d0) + uint32_t(d1 * d1)) >> 4;
    }
    return Saturate(sum);
}

}  // namespace zorva::simd::loops
