// The table of one build's loops, which the processor check picks once; only the layer's own files include it.
#pragma once

#include "core/simd/Kernels.h"

// A loop body that both builds inline, so that each is vectorised for its own processor.
#define ZORVA_KERNEL [[gnu::always_inline]] inline

namespace zorva::simd {

// One entry per loop of Kernels.h, with the same arguments less the choice
// of build. A build without its own form of a loop points at the plain one.
struct KernelTable {
    void (*tone)(core::BmpView, core::MutableBmpView, const std::array<ChannelTone, 3>&);
    void (*grey)(core::MutableBmpView);
    void (*negate)(core::MutableBmpView);
    void (*threshold)(core::BmpView, core::MutableBmpView, uint8_t);
    void (*lumaRow)(const uint8_t*, uint8_t*, uint32_t);
    uint32_t (*enhanceLeadingPixels)(uint8_t*, uint32_t);
    void (*boxBlur)(core::MutableBmpView, uint32_t);
    void (*sharpen)(core::MutableBmpView, core::MutableBmpView);
    void (*sobel)(core::BmpView, core::MutableBmpView);
    void (*pencilHard)(core::BmpView, core::MutableBmpView);
    void (*pencilSoft)(core::BmpView, core::MutableBmpView);
    void (*localMeans)(core::BmpView, core::Plane<uint32_t>);
    void (*thresholdByMeans)(core::Plane<const uint32_t>, uint32_t, const MeanLevel&, Area, core::Plane<uint32_t>);
    void (*renderThresholdByMeans)(core::Plane<const uint32_t>, uint32_t, int, core::MutableBmpView);
    void (*renderBinary)(core::Plane<const uint32_t>, core::MutableBmpView);
    void (*runStarts)(const uint32_t*, uint32_t, uint64_t*);
    uint32_t (*profileDistance)(const int16_t*, const uint8_t*, uint32_t);
};

// KernelsPlain.cpp
extern const KernelTable kPlainKernels;
#if ZORVA_SIMD_AVX2
// KernelsAvx2.cpp, built on x86-64 only.
extern const KernelTable kAvx2Kernels;
#endif

}  // namespace zorva::simd
