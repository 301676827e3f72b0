// libFuzzer target: arbitrary bytes as a symbol base file, loaded, read record by record and matched against.
#include <cstdint>
#include <span>

#include "recognize/LabelTables.h"
#include "recognize/SymbolBase.h"
#include "recognize/TurningProfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zorva::recognize;
    const uint32_t capacity = size > 0 ? 1 + data[0] % 256 : 60;
    const SymbolBase base = ParseBase(std::span(data, size), capacity);
    // Whole records only, never more than the capacity, every byte readable.
    if (base.count > capacity || base.records.size() != size_t(base.count) * kSymbolRecordSize) __builtin_trap();
    volatile uint8_t sum = 0;
    for (uint32_t i = 0; i < base.count; ++i) sum = uint8_t(sum + base.record(i)[511]);
    // Matching reads every record's profile: the packed and the plain
    // distances agree on whatever the file holds, and a match names a record
    // of the base.
    TurningProfile probe;
    for (uint32_t i = 0; i < kProfileSamples; ++i) probe.samples[i] = int16_t(i * 977 + size);
    for (uint32_t i = 0; i < base.count; ++i)
        if (ProfileDistance(probe.samples, base.record(i)) != ProfileDistancePlain(probe.samples, base.record(i)))
            __builtin_trap();
    const auto match = BestMatch(probe, base, BaseLabels(1 + int(size % 3)));
    if (match && match->record >= base.count) __builtin_trap();
    return 0;
}
