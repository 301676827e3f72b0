// The label tables of the three symbol bases: which symbol each record stands for, and its class code.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace zorva::recognize {

// What record i of a base stands for. The class code is '8' (any) or, for
// bases 1 and 2, the HoleClass a character must have ('0' no hole, '1' a
// hole low as in 6, '2' a hole high as in 9, P, A, '3' two holes, '4' one
// large hole); in base 3 the number of holes. The symbol is one character in
// UTF-8 (two bytes for the Cyrillic letters of base 3).
struct Label {
    char classCode = 0;
    std::string_view symbol;
};

// A string of (class code, symbol) pairs, pair i belonging to record i.
class LabelTable {
public:
    // `pairs`: UTF-8 text of alternating class codes (ASCII digits) and symbols.
    explicit LabelTable(std::string_view pairs);
    uint32_t size() const { return uint32_t(m_labels.size()); }
    // The label of record i; nothing for a record beyond the table.
    std::optional<Label> operator[](uint32_t record) const {
        if (record >= m_labels.size()) return std::nullopt;
        return m_labels[record];
    }

private:
    std::vector<Label> m_labels;
};

// The table of base k (1..3): 39 digits, 42 plate letters, 72 symbols.
const LabelTable& BaseLabels(int k);

// Symbol and class code of record i of base k; nothing beyond its table.
std::optional<Label> RecordLabel(int k, uint32_t record);

}  // namespace zorva::recognize
