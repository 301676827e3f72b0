// The processor check behind Kernels::Fastest.
#include "effects/Kernels.h"

namespace zorva::effects {

bool HasAvx2() {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return has;
}

}  // namespace zorva::effects
