// Symbol bases: files of 512-byte outline records, loaded once at start-up from the program's folder.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zorva::recognize {

inline constexpr uint32_t kSymbolRecordSize = 512;
inline constexpr int kSymbolBases = 3;
// Records each base can hold: digits, plate letters, the general symbol set.
inline constexpr std::array<uint32_t, kSymbolBases> kBaseCapacity = {60, 100, 256};

// One record as it lies in a base file (all fields little-endian, as on
// the machines the program runs on).
struct SymbolRecord {
    int16_t profile[128];     // TurningProfile, 1/4096 of a full turn
    uint8_t cornerMask[16];   // bit i is bit (i mod 8) of byte i / 8
    uint8_t reverseMask[16];  // in the same order
    uint16_t segment;         // the segment number of the outline minus 1
    uint8_t cornerCount;      // bit-clearing operations in the corner mask
    uint8_t reverseCount;     // bits set in the reverse-turn mask
    uint8_t zero[220];
};
static_assert(sizeof(SymbolRecord) == kSymbolRecordSize);
static_assert(std::endian::native == std::endian::little, "base files and records are little-endian");

// The distance loads record profiles 16 bytes at a time from aligned
// addresses: the allocator's blocks are aligned to 16 and records lie at
// multiples of 512 bytes in them.
static_assert(__STDCPP_DEFAULT_NEW_ALIGNMENT__ >= 16);

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
