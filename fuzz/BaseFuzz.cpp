// libFuzzer target: arbitrary bytes as a symbol base file, loaded and read record by record.
#include <cstdint>
#include <span>

#include "recognize/SymbolBase.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const uint32_t capacity = size > 0 ? 1 + data[0] % 256 : 60;
    const zorva::recognize::SymbolBase base = zorva::recognize::ParseBase(std::span(data, size), capacity);
    // Whole records only, never more than the capacity, every byte readable.
    if (base.count > capacity || base.records.size() != size_t(base.count) * zorva::recognize::kSymbolRecordSize)
        __builtin_trap();
    volatile uint8_t sum = 0;
    for (uint32_t i = 0; i < base.count; ++i) sum = uint8_t(sum + base.record(i)[511]);
    return 0;
}
