// Picking and removing segments through either form of the segment map.
#include "segment/SegmentSelect.h"

namespace zorva::segment {

namespace {

using core::LoadPixel;
using core::StorePixel;

// Calls f(pixel) for every image pixel whose label in the label-image map is `label`.
template <typename F>
void ForEachEightPixel(core::MutableBmpView image, core::BmpView map, uint32_t label, F&& f) {
    const uint32_t width = image.width();
    for (uint32_t y = 0; y < image.height(); ++y) {
        uint8_t* p = image.row(y);
        const uint8_t* m = map.row(y);
        for (uint32_t x = 0; x < width; ++x, p += 3, m += 3)
            if (LoadPixel(m) == label) f(p);
    }
}

template <typename F>
void ForEachIndexedPixel(core::MutableBmpView image, const uint32_t* map, uint32_t label, F&& f) {
    const uint32_t width = image.width();
    for (uint32_t y = 0; y < image.height(); ++y) {
        uint8_t* p = image.row(y);
        const uint32_t* m = map + size_t(y) * width;
        for (uint32_t x = 0; x < width; ++x, p += 3)
            if (ValueLabel(m[x]) == label) f(p);
    }
}

void Invert(uint8_t* p) {
    StorePixel(p, ~LoadPixel(p) & 0xFFFFFF);
}
void White(uint8_t* p) {
    StorePixel(p, 0xFFFFFF);
}

}  // namespace

std::optional<SegmentPick> PickEightSegment(core::MutableBmpView image, core::BmpView map,
                                            std::span<const SegmentRecord> records, uint32_t x, uint32_t y) {
    if (x >= image.width() || y >= image.height()) return std::nullopt;
    const uint32_t label = LoadPixel(map.pixel(x, y));
    // Stored row 0 and column 0 are unlabelled; a label beyond the table
    // cannot be trusted (the map no longer belongs to it).
    if (label == kUnlabelled || label == 0 || label >= records.size()) return std::nullopt;
    const SegmentRecord& r = records[label];
    ForEachEightPixel(image, map, label, Invert);
    return SegmentPick{label, RecordColour(r), r.count};
}

std::optional<SegmentPick> PickIndexedSegment(core::MutableBmpView image, const uint32_t* map,
                                              std::span<const IndexedSegmentRecord> table, const PaletteTable& palette,
                                              uint32_t x, uint32_t y) {
    if (x >= image.width() || y >= image.height()) return std::nullopt;
    const uint32_t value = map[size_t(y) * image.width() + x];
    const uint32_t label = value >> 8;
    // The last column and the top row carry label 0.
    if (label == 0 || label >= table.size()) return std::nullopt;
    ForEachIndexedPixel(image, map, label, Invert);
    return SegmentPick{label, palette.colours[value & 0xFF], SegmentPixels(table[label])};
}

void RemoveEightSegment(core::MutableBmpView image, core::BmpView map, uint32_t label) {
    if (label == 0 || label == kUnlabelled) return;
    ForEachEightPixel(image, map, label, White);
}

void RemoveIndexedSegment(core::MutableBmpView image, const uint32_t* map, uint32_t label) {
    if (label == 0) return;
    ForEachIndexedPixel(image, map, label, White);
}

}  // namespace zorva::segment
