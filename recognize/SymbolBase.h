// Symbol bases: files of 512-byte outline records, loaded once at start-up from the program's folder.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zorva::recognize {

inline constexpr uint32_t kSymbolRecordSize = 512;
inline constexpr int kSymbolBases = 3;
// Records each base can hold: digits, plate letters, the general symbol set.
inline constexpr std::array<uint32_t, kSymbolBases> kBaseCapacity = {60, 100, 256};

// One base in memory: whole records only, never more than its capacity.
struct SymbolBase {
    std::vector<uint8_t> records;  // count * 512 bytes
    uint32_t count = 0;
    const uint8_t* record(uint32_t i) const { return records.data() + size_t(i) * kSymbolRecordSize; }
};

using SymbolBases = std::array<SymbolBase, kSymbolBases>;

// "BazaDan1.zdb" .. "BazaDan3.zdb" for k = 1..3.
std::string BaseFileName(int k);

// A base from the bytes of its file: size / 512 whole records (a partial
// tail is ignored), at most `capacity`.
SymbolBase ParseBase(std::span<const uint8_t> bytes, uint32_t capacity);

}  // namespace zorva::recognize
