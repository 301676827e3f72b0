// Reading a plate the photo shows turned further than the reading looks for: the photo is read again turned.
#pragma once

#include <array>
#include <optional>

#include "core/BmpImage.h"
#include "recognize/Plate.h"
#include "recognize/PlateCheck.h"

namespace zorva::recognize {

// The turns, in degrees, a photo is read at again when the reading finds no
// plate in it as it stands: the reading looks for characters on a row near
// the horizontal. Chosen on the two harder generated training corpora
// (seeds 2031 and 2033, plates turned up to 30 degrees), where the reading
// finds 52 of 160 plates in no pass: turned by 10 and 20 degrees either way
// it reads 22 of them exactly, as many as by 8, 16 and 24 or by every fourth
// degree up to 28 (22), and misreads fewer (17 against 24 and 25).
inline constexpr std::array<double, 4> kPlateTurns = {-10, 10, -20, 20};
// The detection attempts of a turned reading: the first four of the
// reading's seven. On the harder training corpora four read as many plates
// and characters as all seven (37 + 33 plates, 525 + 470 characters against
// 36 + 33 and 524 + 471; two or three lose 30 characters), and a photo
// without a plate is read at every turn.
inline constexpr size_t kTurnedAttempts = 4;
// The corners a turn brings into the frame: flat grey, where the threshold
// finds no ink.
inline constexpr uint8_t kTurnFill = 128;
// How like the glyphs of their readings a turned photo's main characters
// must be (CheckedPlate::likeness) for its reading to count: tried at many
// turns, a picture without a plate shows some row of ink the reading takes
// for one, but its characters are unlike the typeface's. A plate wrongly
// reported costs more than a turned plate not read, so the level is as high
// as the plates read exactly on the training corpora allow: the least like
// of them is 0.725 (of 31 on the five corpora), while forty generated
// pictures without a plate (blank plates, dirty, with bolts, under a sign,
// seeds 5001 to 5008) and the corpora's own reach 0.58 at most.
inline constexpr float kTurnedLikeness = 0.72f;

struct TurnedPlate {
    PlateResult result;
    CheckedPlate read;
    double degrees = 0;
};

// Reads `photo` turned by each of kPlateTurns with kTurnedAttempts
// detection attempts (into `turned`, a picture of
// the photo's size, with `buffers` sized for it) and checks each reading
// (`check` gives the glyphs and region codes; its map and table are the
// buffers'). Of the readings whose characters are like their glyphs
// (kTurnedLikeness), the best (a whole plate text first, then the smallest
// mean shape distance of the characters read) is run once more, so that
// `turned` and the buffers hold its run as a reading leaves them. Nothing
// when no turn shows such a plate; `turned` and the buffers then hold the
// last turn's run.
std::optional<TurnedPlate> ReadTurnedPlate(core::BmpView photo, core::MutableBmpView turned,
                                           const PlateBuffers& buffers, const SymbolBases& bases,
                                           PlateCheckInput check = {});

}  // namespace zorva::recognize
