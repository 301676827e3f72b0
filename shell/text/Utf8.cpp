// Reading UTF-8 one character at a time.
#include "shell/text/Utf8.h"

namespace zorva::shell {

Utf8Character DecodeUtf8(std::string_view text) {
    Utf8Character one;
    if (text.empty()) return one;
    const auto lead = static_cast<unsigned char>(text[0]);
    one.value = lead;
    const size_t need = Utf8Length(lead);
    if (need == 1) {
        one.valid = true;
        return one;
    }
    if (need == 0 || need > text.size()) return one;
    char32_t value = lead & (0x7F >> need);
    for (size_t k = 1; k < need; ++k) {
        const auto next = static_cast<unsigned char>(text[k]);
        if ((next & 0xC0) != 0x80) return one;
        value = value << 6 | (next & 0x3F);
    }
    // The shortest form only, and no surrogate halves.
    const char32_t minimum = need == 2 ? 0x80 : need == 3 ? 0x800 : 0x10000;
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return one;
    return {value, need, true};
}

}  // namespace zorva::shell
