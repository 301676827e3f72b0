// Symbol bases from the bytes of their files.
#include "recognize/SymbolBase.h"

namespace zorva::recognize {

std::string BaseFileName(int k) {
    return "BazaDan" + std::to_string(k) + ".zdb";
}

SymbolBase ParseBase(std::span<const uint8_t> bytes, uint32_t capacity) {
    SymbolBase base;
    uint64_t count = bytes.size() / kSymbolRecordSize;
    if (count > capacity) count = capacity;
    base.records.assign(bytes.begin(), bytes.begin() + ptrdiff_t(count * kSymbolRecordSize));
    base.count = uint32_t(count);
    return base;
}

}  // namespace zorva::recognize
