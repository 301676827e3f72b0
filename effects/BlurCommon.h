// Exact division of small sums by a reciprocal multiply, shared by the box blurs and the local means.
#pragma once

#include <cstdint>

namespace zorva::effects {

// ceil(65536 / count): (sum * Reciprocal(count)) >> 16 equals sum / count
// rounded down for every sum of up to `count` bytes (checked below), and
// the multiply keeps to the high half of a 16-bit product, which vector
// units do in one instruction.
constexpr uint32_t Reciprocal(uint32_t count) {
    return (65536 + count - 1) / count;
}

constexpr uint32_t DivideBy(uint32_t sum, uint32_t count) {
    return (sum * Reciprocal(count)) >> 16;
}

constexpr bool ReciprocalsExact(uint32_t largestCount) {
    for (uint32_t count = 1; count <= largestCount; ++count)
        for (uint32_t sum = 0; sum <= 255 * count; ++sum)
            if (DivideBy(sum, count) != sum / count) return false;
    return true;
}
static_assert(ReciprocalsExact(9), "sums of up to nine bytes divide exactly");

}  // namespace zorva::effects
