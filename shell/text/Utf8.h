// Reading UTF-8, the encoding of file names and of every text the program shows.
#pragma once

#include <cstddef>
#include <string_view>

namespace zorva::shell {

// The bytes a character that starts with `lead` takes, by the lead byte
// alone (1 for ASCII, 2 to 4 for a lead of a longer character); 0 for a
// byte that cannot start one (a continuation byte, 0xC0, 0xC1, 0xF5 and up).
constexpr size_t Utf8Length(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

// The character at the front of `text`: its code point and its length. A
// byte that does not start a well-formed character (a bad lead, a missing
// or wrong continuation, an overlong form, a surrogate, beyond U+10FFFF)
// stands for itself: `valid` false, length 1, value that byte.
struct Utf8Character {
    char32_t value = 0;
    size_t length = 1;
    bool valid = false;
};
Utf8Character DecodeUtf8(std::string_view text);

}  // namespace zorva::shell
