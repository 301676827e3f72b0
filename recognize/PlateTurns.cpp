// The turned readings and how one is chosen.
#include "recognize/PlateTurns.h"

#include <string_view>

#include "effects/Resample.h"

namespace zorva::recognize {

namespace {

// How good a reading is, to choose between the turns.
struct Merit {
    bool whole = false;   // a whole plate text
    double distance = 0;  // the mean shape distance of the characters read

    static Merit Of(const PlateResult& result, const CheckedPlate& read) {
        Merit m;
        double sum = 0;
        uint32_t count = 0;
        for (uint32_t slot = 0; slot < kPlateSlots && slot < read.text.size(); ++slot) {
            const std::optional<uint32_t> symbol = PlateSymbolIndex(read.text[slot]);
            if (!symbol || result.nearest[slot][*symbol] == kNotCompared) continue;
            sum += result.nearest[slot][*symbol];
            ++count;
        }
        std::string_view text = read.text;
        text = text.substr(0, text.find(' '));
        m.whole = IsPlateText(text);
        m.distance = count ? sum / count : 0;
        return m;
    }
    bool betterThan(const Merit& other) const {
        if (whole != other.whole) return whole;
        return distance < other.distance;
    }
};

}  // namespace

std::optional<TurnedPlate> ReadTurnedPlate(core::BmpView photo, core::MutableBmpView turned,
                                           const PlateBuffers& buffers, const SymbolBases& bases,
                                           PlateCheckInput check) {
    check.map = buffers.map;
    check.width = photo.width();
    check.table = buffers.table;
    check.photo = turned;
    TurnedPlate run;
    const auto readAt = [&](double degrees) {
        effects::TurnAboutCentre(photo, turned, degrees, kTurnFill);
        run.result = RecognisePlate(turned, buffers, bases, kTurnedAttempts);
        run.read = CheckPlate(run.result, check);
        run.degrees = degrees;
    };
    std::optional<double> best;
    Merit bestMerit;
    for (const double degrees : kPlateTurns) {
        readAt(degrees);
        if (!run.result.found || !run.read.likeness || *run.read.likeness < kTurnedLikeness) continue;
        const Merit merit = Merit::Of(run.result, run.read);
        if (!best || merit.betterThan(bestMerit)) {
            best = degrees;
            bestMerit = merit;
        }
    }
    if (!best) return std::nullopt;
    if (*best != run.degrees) readAt(*best);
    // Whatever the check left of the reading, it was read on a turned photo.
    run.read.stage = PlateStage::Checked;
    return run;
}

}  // namespace zorva::recognize
