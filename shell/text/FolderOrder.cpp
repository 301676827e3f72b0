// Folder order: UTF-8 names decoded, letters taken as their capitals, compared as UTF-16.
#include "shell/text/FolderOrder.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "shell/text/Utf8.h"

namespace zorva::shell {

namespace {

// The capital of a lower-case letter of the Latin (with Latin-1 and
// Latin Extended-A), Greek and Cyrillic alphabets; other code points as they
// are. These are the letters file names in this program's audience use.
char32_t Capital(char32_t c) {
    if (c >= U'a' && c <= U'z') return c - 0x20;
    if (c < 0x80) return c;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;
    if (c == 0xFF) return 0x178;
    if (c >= 0x100 && c <= 0x17F) {
        // Pairs capital/small; from 0x139 to 0x148 and from 0x179 to 0x17E
        // the capital is the odd one.
        const bool oddCapitals = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
        if (oddCapitals) return (c % 2 == 0) ? c - 1 : c;
        return (c % 2 == 1) ? c - 1 : c;
    }
    if (c >= 0x3B1 && c <= 0x3C9) return c == 0x3C2 ? 0x3A3 : c - 0x20;  // Greek, final sigma to Sigma
    if (c >= 0x430 && c <= 0x44F) return c - 0x20;                       // Cyrillic а..я
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;                       // ѐ..џ
    if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF)) return (c % 2 == 1) ? c - 1 : c;
    return c;
}

// The comparison key of a name: its UTF-16 code units with every letter
// capitalised. A byte that does not start valid UTF-8 stands for itself.
std::u16string FolderKey(std::string_view name) {
    std::u16string key;
    key.reserve(name.size());
    size_t i = 0;
    while (i < name.size()) {
        const Utf8Character one = DecodeUtf8(name.substr(i));
        const size_t length = one.length;
        const char32_t c = Capital(one.value);
        if (c >= 0x10000) {
            key.push_back(char16_t(0xD800 + ((c - 0x10000) >> 10)));
            key.push_back(char16_t(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            key.push_back(char16_t(c));
        }
        i += length;
    }
    return key;
}

}  // namespace

bool FolderOrderLess(std::string_view a, std::string_view b) {
    const std::u16string ka = FolderKey(a);
    const std::u16string kb = FolderKey(b);
    if (ka != kb) return ka < kb;
    return a < b;
}

void SortFolderOrder(std::vector<std::string>& names) {
    std::vector<std::pair<std::u16string, std::string>> keyed;
    keyed.reserve(names.size());
    for (std::string& n : names) keyed.emplace_back(FolderKey(n), std::move(n));
    std::sort(keyed.begin(), keyed.end());  // key first, then the bytes
    names.clear();
    for (auto& [key, name] : keyed) names.push_back(std::move(name));
}

}  // namespace zorva::shell
