// Plate readings: the row of each pass, the pass with the smallest distances and the per-character vote.
#include "recognize/PlateReadings.h"

namespace zorva::recognize {

namespace {

bool RowEmpty(const PlateReadingRow& row) {
    for (const PlateReading& r : row)
        if (!r.empty()) return false;
    return true;
}

}  // namespace

PlateReadingRow* PlateReadings::add() {
    if (m_rows == kPlateReadingRows) return nullptr;
    PlateReadingRow& row = m_row[m_rows++];
    row = PlateReadingRow{};
    return &row;
}

std::optional<uint32_t> PlateReadings::bestPass() const {
    std::optional<uint32_t> best;
    uint64_t bestSum = 0;
    for (uint32_t r = 0; r < m_rows && r < kPlateBestPassRows; ++r) {
        if (RowEmpty(m_row[r])) break;
        // Summed wider than the distances, so that large ones cannot wrap.
        uint64_t sum = 0;
        for (uint32_t i = 0; i < kPlateVotedPositions; ++i) sum += m_row[r][i].distance;
        if (!best || sum < bestSum) {
            best = r;
            bestSum = sum;
        }
    }
    return best;
}

void PlateReadings::vote(std::string& text) const {
    if (m_rows == 0) return;
    for (uint32_t i = 0; i < kPlateVotedPositions && i < text.size(); ++i) {
        if (m_row[0][i].empty()) break;
        PlateReading best = m_row[0][i];
        for (uint32_t r = 1; r < m_rows; ++r) {
            const PlateReading& e = m_row[r][i];
            if (e.empty()) break;
            if (e.distance < best.distance) best = e;
        }
        text[i] = best.symbol;
    }
}

}  // namespace zorva::recognize
