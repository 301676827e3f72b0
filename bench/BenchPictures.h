// Photo-like test pictures for the benchmarks: 12 MP and 2 MP (odd width, so rows are padded).
#pragma once

#include <cstdint>

#include "core/BmpImage.h"

namespace zorva::bench {

inline constexpr uint32_t kLargeWidth = 4000, kLargeHeight = 3000;  // 12 megapixels
inline constexpr uint32_t kSmallWidth = 1731, kSmallHeight = 1155;  // 2 megapixels, odd width

// A deterministic picture with smooth gradients, flat shapes, fine texture
// and sensor-like noise: the mix of areas a real photo has.
core::BmpImage PhotoLike(uint32_t width, uint32_t height, uint32_t seed = 1);

}  // namespace zorva::bench
