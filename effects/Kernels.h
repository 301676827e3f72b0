// Which build of the effects' pixel loops runs: the plain one, or the same loops built for AVX2 when the processor has
// it.
#pragma once

#include <cstdint>

namespace zorva::effects {

// Every pixel loop of the effects exists twice: built for the baseline
// processor (SSE2, which the compiler's vectoriser uses where it can), and
// built for AVX2, where the vectoriser also handles the interleaved
// blue-green-red triples and 32-byte lanes. Both give the same bytes.
enum class Kernels : uint8_t {
    Plain,    // the baseline build
    Fastest,  // the AVX2 build when this processor supports it, else the baseline
};

// Whether this processor runs AVX2 code (asked once).
bool HasAvx2();

inline bool UseAvx2(Kernels kernels) {
    return kernels == Kernels::Fastest && HasAvx2();
}

}  // namespace zorva::effects

// A function built for AVX2; only called after HasAvx2() said yes.
#define ZORVA_AVX2 __attribute__((target("avx2")))
// A loop body inlined into both builds, so each is vectorised for its target.
#define ZORVA_KERNEL [[gnu::always_inline]] inline
