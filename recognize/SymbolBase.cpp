// Loading symbol base files.
#include "recognize/SymbolBase.h"

#include <fstream>

namespace zorva::recognize {

std::string BaseFileName(int k) {
    return "BazaDan" + std::to_string(k) + ".zdb";
}

bool LoadBaseFile(const std::string& path, uint32_t capacity, SymbolBase& base) {
    base = SymbolBase{};
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return false;
    const std::streamoff size = in.tellg();
    if (size < 0) return false;
    uint64_t count = uint64_t(size) / kSymbolRecordSize;
    if (count > capacity) count = capacity;
    std::vector<uint8_t> records(size_t(count) * kSymbolRecordSize);
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(records.data()), std::streamsize(records.size()))) return false;
    base.records = std::move(records);
    base.count = uint32_t(count);
    return true;
}

}  // namespace zorva::recognize
