// The label tables built into the program: the record order every shipped or user-made base must follow.
#include "recognize/LabelTables.h"

namespace zorva::recognize {

namespace {

// Pairs of class code and symbol. Base 1: the digits twice, then further
// outlines of the digits plates show in several forms. Base 2: the twelve
// letters of Russian plates (those that look alike in Latin) twice, then
// variants. Base 3: digits, Latin capitals and small letters, Cyrillic
// capitals (and one small "б").
constexpr std::string_view kBase1 = "010203040516073829400102030405160738294003020203040503290529160504010204020302";
constexpr std::string_view kBase2 =
    "8A3B0C0E0H0K0M4O2P0T0X0Y8A3B0C0E0H0K0M4O2P0T0X0Y8A3B0M0E4O0T0M0T0T8A8A0M0M0X0K0K0K2A";
constexpr std::string_view kBase3 =
    "010203040516072819101Q0W0E1R0T0Y0U0I1O1P1A0S1D0F0G0H0J0K0L0Z0X0C0V2B0N0M1q1e0r0t0y0u1p1a1d0f1g0h0j0k1b0n0m"
    "1б0Ц0К0Г0Ш0Щ1Ъ2Ф0П0Л1Д0Ж0Э1Я0Ч0И1Ь1Б1Ю";

// Bytes of the UTF-8 character starting with `lead`.
size_t Utf8Length(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    return 4;
}

}  // namespace

LabelTable::LabelTable(std::string_view pairs) {
    size_t i = 0;
    while (i + 1 < pairs.size()) {
        const char classCode = pairs[i++];
        const size_t length = Utf8Length(static_cast<unsigned char>(pairs[i]));
        if (i + length > pairs.size()) break;
        m_labels.push_back({classCode, pairs.substr(i, length)});
        i += length;
    }
}

const LabelTable& BaseLabels(int k) {
    static const LabelTable tables[] = {LabelTable(kBase1), LabelTable(kBase2), LabelTable(kBase3)};
    static const LabelTable none{std::string_view()};
    return k >= 1 && k <= 3 ? tables[k - 1] : none;
}

std::optional<Label> RecordLabel(int k, uint32_t record) {
    return BaseLabels(k)[record];
}

}  // namespace zorva::recognize
