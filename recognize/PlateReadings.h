// The readings of one plate command: a row of character readings per successful pass, the best pass and the vote.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace zorva::recognize {

// Characters of a plate reading: six main characters, up to three region
// digits, and one slot that always stays empty.
inline constexpr uint32_t kPlateSlots = 10;
// Rows: the detection, 18 refinement passes and the final pass.
inline constexpr uint32_t kPlateReadingRows = 20;
// The rows the best pass is chosen from: all but the final pass's.
inline constexpr uint32_t kPlateBestPassRows = 19;
// Positions the vote and the best pass look at: slots 0..8.
inline constexpr uint32_t kPlateVotedPositions = 9;

// The result field before anything is read: eight "*" and two spaces.
inline constexpr std::string_view kPlateNotRead = "********  ";

// One character as one pass read it: its symbol and the shape distance of
// the record that named it. An entry with symbol 0 and distance 0 is empty.
struct PlateReading {
    char symbol = 0;
    uint32_t distance = 0;
    bool empty() const { return symbol == 0 && distance == 0; }
};

using PlateReadingRow = std::array<PlateReading, kPlateSlots>;

// PlateReadings: up to 20 rows, one per pass that found the plate.
class PlateReadings {
public:
    void clear() { m_rows = 0; }
    uint32_t rows() const { return m_rows; }
    const PlateReadingRow& row(uint32_t r) const { return m_row[r]; }
    // A fresh, empty row at the end; nothing once all 20 are taken.
    PlateReadingRow* add();

    // The pass to read once more: among the first 19 rows, up to the first
    // empty one, the row whose entries 0..8 have the smallest distance sum
    // (the earliest on ties). Nothing when the first row is empty.
    std::optional<uint32_t> bestPass() const;

    // Writes the vote into the result field `text` (10 characters): for each
    // position 0..8, in order, whose entry in the first row is not empty, the
    // symbol with the smallest distance over the rows down to the first row
    // whose entry there is empty (the earliest on ties). The first position
    // whose first-row entry is empty ends the vote.
    void vote(std::string& text) const;

private:
    std::array<PlateReadingRow, kPlateReadingRows> m_row{};
    uint32_t m_rows = 0;
};

}  // namespace zorva::recognize
