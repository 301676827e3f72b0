// Number-plate recognition: binarise, segment and trace in attempts, locate the plate's characters, read them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/BmpImage.h"
#include "core/Plane.h"
#include "effects/AdaptiveThreshold.h"
#include "recognize/PlateReadings.h"
#include "recognize/SymbolBase.h"
#include "segment/MedianCut.h"
#include "segment/SegmentMedianCut.h"
#include "segment/VectorData.h"

namespace zorva::recognize {

// ---- the plate's characters ----

// Slots 0..5: letter, three digits, two letters; 6..8 the region digits;
// slot 9 stays empty.
inline constexpr uint32_t kMainCharacters = 6;
inline constexpr uint32_t kRegionSlots = 3;

// HoleClass bits, OR-ed over a character's qualifying holes (3 = two holes).
inline constexpr uint8_t kHoleLower = 1;  // a hole in the lower part, as in 6
inline constexpr uint8_t kHoleUpper = 2;  // a hole in the upper part, as in 9, P, A
inline constexpr uint8_t kHoleLarge = 4;  // a large hole, as in 0, O

// The symbols a plate holds: the digits, then the twelve letters that Latin
// and Cyrillic share.
inline constexpr std::string_view kPlateSymbols = "0123456789ABCEHKMOPTXY";
// Where a symbol's records were never compared with a slot's character.
inline constexpr uint32_t kNotCompared = UINT32_MAX;
// The smallest shape distance of each plate symbol, in kPlateSymbols order.
using SymbolDistances = std::array<uint32_t, kPlateSymbols.size()>;
// The index of `symbol` in kPlateSymbols; nothing for another character.
std::optional<uint32_t> PlateSymbolIndex(char symbol);
// A whole plate text: a letter, three digits, two letters and the region's
// two or three digits, letters being those of kPlateSymbols.
bool IsPlateText(std::string_view text);

// Painted over the characters read: blue 0x20, green 0x20, red 0xFF.
inline constexpr uint32_t kPlateInk = 0xFF2020;

// VectorFlags of plate tracing: error setting 1, no action afterwards.
inline constexpr uint16_t kPlateVectorFlags = 0x0001;

// What plate location reads of a traced segment record: the outline's
// bounding box (x the left column, y the lowest row, rows counted upwards
// from the bottom; w and h the box's extent in pixel edges), the pixel
// count, the palette index (0 dark, 1 light) and the label of the segment
// across its outline's last run (the enclosing segment of a hole).
struct SegmentBox {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    uint32_t pixels = 0;
    uint32_t index = 0;
    uint32_t enclosing = 0;
};
SegmentBox BoxOf(const segment::IndexedSegmentRecord& record);

// PlateSlots: a segment number per slot (0 = empty) and its HoleClass.
struct PlateSlots {
    std::array<uint32_t, kPlateSlots> segment{};
    std::array<uint8_t, kPlateSlots> holeClass{};
};

// A rectangle of pixels: left column, lowest row, width, height.
struct CellBox {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
};

// PlateRegion: left column, bottom row, right column and top row of the plate
// area (the right and top may lie beyond the picture; users clip them).
struct PlateRegion {
    uint16_t left = 0;
    uint16_t bottom = 0;
    uint16_t right = 0;
    uint16_t top = 0;
};

// A plate found in a segment table.
struct PlateFind {
    PlateSlots plateSlots;
    // The cells the separator frames go round after the six characters: the
    // boxes of slots 6..8 (the second repeated when only two were found), or
    // three cells placed by geometry (`regionPlaced`) with slots 6..8 empty.
    std::array<CellBox, kRegionSlots> regionCells{};
    bool regionPlaced = false;
};

enum class LocateStatus {
    Found,
    NotFound,
    // Six characters passed but fewer than two region digits were found
    // (and the region was not to be placed by geometry).
    RegionMissing,
};

// Plate location over a traced table of `segments` segments (records
// 0..segments): the character filter over segments 1..K-1, then for each
// anchor the row of similar heights above it (at most 20 members) ordered by
// x, the baseline filter, the layout check of letter, three digits, two
// letters, and the region digits among segments 2..K to the right. With
// fewer than two region digits, `placeRegionByGeometry` places three region
// cells after the last letter instead of giving RegionMissing. On Found,
// `found` holds slots 0..5 and the region slots found (HoleClass not yet set).
LocateStatus LocatePlate(std::span<const segment::IndexedSegmentRecord> table, uint32_t segments,
                         bool placeRegionByGeometry, PlateFind& found);

// The plate area around the six characters: from five columns left of the
// first character to five beyond one and a half more last-letter widths
// after the last letter, from seven rows below the lower of the first and
// last characters to five above twice the last letter's height over the
// higher of them. `mains` are the boxes of slots 0..5.
PlateRegion PlateRegionOf(const std::array<SegmentBox, kMainCharacters>& mains);

// Draws the separator frames, one-pixel lines of luminance 255, into byte 0
// of `means` around each character cell (letters as high as the highest
// letter, digits as the highest digit), the gap before the region and the
// three region cells, so that characters touching each other or the plate's
// rim fall apart in the passes that follow. Lines beyond the plane are clipped.
void DrawSeparators(core::Plane<uint32_t> means, const std::array<SegmentBox, kMainCharacters>& mains,
                    const std::array<CellBox, kRegionSlots>& regionCells);

// HoleClass of every filled slot 0..8 from the light segments whose
// enclosing segment is the slot's: a hole of at least 1/64 of the
// character's pixels (and, at 4 pixels or fewer, across its centre column)
// adds kHoleLarge when it is at least half the character's height, else
// kHoleUpper when it starts above the lowest quarter, else kHoleLower.
void ClassifyHoles(std::span<const segment::IndexedSegmentRecord> table, uint32_t segments, PlateSlots& plateSlots);

// ---- look-alike checks on the segment's pixels ----
// `map` is the indexed SegmentMap (width words per row, bottom row first); a
// pixel belongs to the segment when its label is `segment`.

// "1" or "7" from the character's left column, walked up from its lowest
// row: ink within the lowest four rows, or only in the top quarter, makes a
// "7", else a "1". Nothing when the column holds none of the segment.
std::optional<char> OneOrSeven(const uint32_t* map, uint32_t width, uint32_t segment, const SegmentBox& box);

// "K", "H" or "X" from how deep each side of the character is indented at
// mid height compared with its top and bottom: a deep left indentation
// makes an "X", else a deep right one a "K", else an "H".
char KayAitchOrEx(const uint32_t* map, uint32_t width, uint32_t segment, const SegmentBox& box);

// ---- one command ----

// The parameters of one attempt: the window mean compared with, and either an
// explicit level or the variant the level is derived by (as
// effects::PlateThreshold takes them).
struct PlateAttempt {
    effects::WindowChoice window = effects::WindowChoice::Wide17;
    std::optional<int> level;
    int variant = 0;
};

// The buffers a plate command works in, all width x height of the picture:
// the LocalMeanRecords (their luminance bytes receive the separators), the
// indexed SegmentMap with its record table (at least SegmentWindowCapacity
// of the whole picture), and the words each pass's VectorData is traced
// into first (a pass that needs more moves to a block of its own).
struct PlateBuffers {
    core::Plane<uint32_t> means;
    uint32_t* map = nullptr;
    std::span<segment::IndexedSegmentRecord> table;
    std::span<uint32_t> vectorWords;
};

// One binarise-segment-trace cycle as it went.
struct PlatePass {
    PlateAttempt attempt;
    uint32_t k = 0;  // 0 detection, 1..18 refinement
    bool replay = false;
    uint32_t segments = 0;
    LocateStatus status = LocateStatus::NotFound;
};

struct PlateResult {
    // The result field: recognised characters from position 0, "*" where
    // nothing was read, then spaces; eight "*" and two spaces for no plate.
    std::string text = std::string(kPlateNotRead);
    // A plate was found: `region`, `characters` and `regionCells` are those
    // of the first detection, and the luminance bytes of the means hold the
    // separator frames drawn round those cells (what the picture shows as
    // grey once the run is done).
    bool found = false;
    // A segmentation ran: the map and table hold that of the last pass.
    bool segmented = false;
    uint32_t segments = 0;  // K of the last segmentation
    PlateRegion region;
    std::array<SegmentBox, kMainCharacters> characters{};
    std::array<CellBox, kRegionSlots> regionCells{};
    // The last pass, the best one run again, found the plate: the segments
    // of `plateSlots` in the map left are the characters read, to be painted
    // kPlateInk inside the region.
    bool painted = false;
    // The slots of the last pass that found the plate (segment numbers of
    // that pass's table; when it was the last pass, of the table left).
    PlateSlots plateSlots;
    PlateReadings readings;
    // Per slot, the nearest distance of every symbol over all the passes that
    // read the slot: the runners-up a later check can weigh against the
    // reading. The symbol read (after the look-alike checks) counts with the
    // distance of the record that named it.
    std::array<SymbolDistances, kPlateSlots> nearest = [] {
        std::array<SymbolDistances, kPlateSlots> all;
        for (SymbolDistances& slot : all) slot.fill(kNotCompared);
        return all;
    }();
    std::vector<PlatePass> passes;
    // The attempt the last pass ran (application state shared with the
    // engraving dialog).
    PlateAttempt lastAttempt;
};

// How many detection attempts a reading makes over the whole picture.
inline constexpr size_t kPlateDetectionAttempts = 7;

// The plate binarisation's black and white palette.
segment::PaletteTable PlatePalette();

// Recognises the number plate of `image`: local means once; detection
// attempts over the whole picture (window 17x9 with the four derived
// levels, 9x9 at level 2, 17x17 at levels 5 and 0) until one finds a plate,
// else the replay of the first attempt that lacked only the region digits,
// with the region placed by geometry; the characters read with base 2
// (letters, slots 0, 4, 5) and base 1 (digits); up to 18 refinement passes
// inside the PlateRegion with the threshold raised by the pass number, as
// long as each finds the plate; the pass with the smallest distances run
// once more; and each position voted to the reading with the smallest
// distance. The picture is only read; what to show of the run (the grey
// luminance with the separators, the characters in kPlateInk) is in the
// result and the buffers. Pictures below 17 x 17 give no plate and no
// segmentation. `detectionAttempts` fewer than all seven makes only the
// first ones (a caller reading many variants of one photo).
PlateResult RecognisePlate(core::BmpView image, const PlateBuffers& buffers, const SymbolBases& bases,
                           size_t detectionAttempts = kPlateDetectionAttempts);

}  // namespace zorva::recognize
