// The edit layer against plain references: the labelling fills against a breadth-first fill, the tiled turns against
// their coordinate mappings, the clipboard reader against DIBs of every layout, cut short or spoiled.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <queue>
#include <random>
#include <vector>

#include "core/Bytes.h"
#include "edit/ClipboardDib.h"
#include "edit/FloodFill.h"
#include "edit/Rotate.h"
#include "tests/support/TestSupport.h"

namespace zorva::edit {
namespace {

// Breadth-first: the 4-connected region of `seed` in `colour`, as a plain
// fill would find it; `fromBorder` starts from every border pixel of that
// colour instead.
std::vector<bool> Region(core::BmpView image, uint32_t colour, std::vector<Point> seeds) {
    const int w = int(image.width()), h = int(image.height());
    std::vector<bool> in(size_t(w) * size_t(h), false);
    std::queue<Point> open;
    const auto visit = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= w || y >= h) return;
        const size_t i = size_t(y) * size_t(w) + size_t(x);
        if (in[i] || image.at(uint32_t(x), uint32_t(y)) != colour) return;
        in[i] = true;
        open.push({x, y});
    };
    for (const Point p : seeds) visit(p.x, p.y);
    while (!open.empty()) {
        const Point p = open.front();
        open.pop();
        visit(p.x - 1, p.y);
        visit(p.x + 1, p.y);
        visit(p.x, p.y - 1);
        visit(p.x, p.y + 1);
    }
    return in;
}

core::BmpImage Clone(const core::BmpImage& image) {
    core::BmpImage copy = core::BmpImage::Allocate(image.capacity());
    std::memcpy(copy.data(), image.data(), image.capacity());
    return copy;
}

// Random pictures of three colours in blobs and lines: regions of every
// shape, with spirals, holes and diagonal contacts.
core::BmpImage Blobs(std::mt19937& random, uint32_t w, uint32_t h) {
    const uint32_t colours[3] = {0xFFFFFF, 0x000000, 0x3366CC};
    const uint32_t period = 1 + random() % 5;
    const uint32_t seed = random();
    return test::MakeImage(w, h, [&](uint32_t x, uint32_t r) {
        const uint32_t v = (x / period * 2654435761u) ^ (r / period * 40503u) ^ seed;
        return colours[(v >> 7) % 3];
    });
}

TEST(FloodFill, MatchesABreadthFirstFillOnRandomPictures) {
    std::mt19937 random(7);
    FillScratch scratch;
    for (int round = 0; round < 400; ++round) {
        const uint32_t w = 1 + random() % 40, h = 1 + random() % 30;
        core::BmpImage image = Blobs(random, w, h);
        const Point seed{int(random() % w), int(random() % h)};
        const uint32_t key = image.view().at(uint32_t(seed.x), uint32_t(seed.y));
        const std::vector<bool> region = Region(image.view(), key, {seed});
        const uint32_t fill = 0xFF0000;
        core::BmpImage expected = Clone(image);
        for (uint32_t r = 0; r < h; ++r)
            for (uint32_t x = 0; x < w; ++x)
                if (region[size_t(r) * w + x]) expected.view().set(x, r, fill);
        ASSERT_TRUE(FloodFill(image.view(), seed, fill, scratch));
        ASSERT_TRUE(test::SamePixels(expected.view(), image.view())) << "round " << round;
    }
    core::BmpImage image = test::MakeSolid(4, 4, 0x123456);
    EXPECT_FALSE(FloodFill(image.view(), {4, 0}, 0, scratch));
    EXPECT_FALSE(FloodFill(image.view(), {0, -1}, 0, scratch));
}

// The outside of a selection is the white that reaches the border; an
// outline clipped by the border leaves its inside joined to the outside, so
// only the outline itself stays selected.
TEST(FloodFill, OutsideOfAMaskIsTheWhiteThatReachesTheBorder) {
    std::mt19937 random(11);
    FillScratch scratch;
    for (int round = 0; round < 300; ++round) {
        const uint32_t w = 1 + random() % 40, h = 1 + random() % 30;
        core::BmpImage mask = test::MakeSolid(w, h, 0xFFFFFF);
        // One to three rectangle outlines, often partly off the picture.
        for (int n = 1 + int(random() % 3); n > 0; --n) {
            const int x0 = int(random() % (w + 6)) - 3, y0 = int(random() % (h + 6)) - 3;
            const int x1 = x0 + 2 + int(random() % w), y1 = y0 + 2 + int(random() % h);
            for (int y = y0; y <= y1; ++y)
                for (int x = x0; x <= x1; ++x) {
                    const bool edge = x == x0 || x == x1 || y == y0 || y == y1;
                    if (edge && x >= 0 && y >= 0 && x < int(w) && y < int(h))
                        mask.view().set(uint32_t(x), uint32_t(y), 0x000000);
                }
        }
        std::vector<Point> border;
        for (uint32_t x = 0; x < w; ++x) border.insert(border.end(), {{int(x), 0}, {int(x), int(h) - 1}});
        for (uint32_t r = 0; r < h; ++r) border.insert(border.end(), {{0, int(r)}, {int(w) - 1, int(r)}});
        const std::vector<bool> outside = Region(mask.view(), 0xFFFFFF, border);
        const core::BmpImage before = Clone(mask);
        MarkOutside(mask.view(), scratch);
        for (uint32_t r = 0; r < h; ++r)
            for (uint32_t x = 0; x < w; ++x)
                ASSERT_EQ(mask.view().at(x, r), outside[size_t(r) * w + x] ? kOutsideKey : before.view().at(x, r))
                    << "round " << round << " at " << x << "," << r;
    }
}

TEST(TurnPicture, EveryTurnFollowsItsMapping) {
    std::mt19937 random(5);
    for (int round = 0; round < 200; ++round) {
        // Sizes across the 64-pixel tiles, thin ones included.
        const uint32_t w = 1 + random() % (round % 3 == 0 ? 150 : 9), h = 1 + random() % (round % 2 ? 140 : 7);
        const core::BmpImage source =
            test::MakeImage(w, h, [](uint32_t x, uint32_t r) { return (x * 7919u + r * 104729u) & 0xFFFFFF; });
        for (const Turn turn : {Turn::Right, Turn::Left, Turn::Half, Turn::Mirror}) {
            const bool quarter = turn == Turn::Right || turn == Turn::Left;
            const uint32_t size = TurnedFileSize(source.view(), turn);
            core::BmpImage dest = core::BmpImage::Allocate(size);
            TurnPicture(source.view(), dest.view(), turn);
            ASSERT_EQ(dest.view().width(), quarter ? h : w);
            ASSERT_EQ(dest.view().height(), quarter ? w : h);
            ASSERT_EQ(dest.view().fileSize(), size);
            for (uint32_t y = 0; y < h; ++y)
                for (uint32_t x = 0; x < w; ++x) {
                    uint32_t dx = 0, dy = 0;
                    switch (turn) {
                        case Turn::Right:
                            dx = y, dy = w - 1 - x;
                            break;
                        case Turn::Left:
                            dx = h - 1 - y, dy = x;
                            break;
                        case Turn::Half:
                            dx = w - 1 - x, dy = h - 1 - y;
                            break;
                        case Turn::Mirror:
                            dx = w - 1 - x, dy = y;
                            break;
                    }
                    ASSERT_EQ(dest.view().at(dx, dy), source.view().at(x, y)) << w << "x" << h;
                }
        }
    }
}

// ---- the clipboard's DIB ----

// A DIB of `picture` with `bits` per pixel: 24 or 32 (masks when `fields`:
// standard 8-bit ones, or 10-bit channels when `wide`), or 1, 4, 8 with a
// table holding the picture's colours. Top-down when `topDown`.
struct DibForm {
    uint16_t bits = 24;
    bool topDown = false;
    bool fields = false;
    bool wide = false;
    uint32_t header = core::kInfoHeaderSize;
};

std::vector<uint8_t> MakeDib(core::BmpView picture, const DibForm& form, std::vector<uint32_t>& table) {
    const uint32_t w = picture.width(), h = picture.height();
    const size_t row = ((size_t(w) * form.bits + 31) / 32) * 4;
    table.clear();
    if (form.bits <= 8)
        for (uint32_t r = 0; r < h; ++r)
            for (uint32_t x = 0; x < w; ++x)
                if (std::find(table.begin(), table.end(), picture.at(x, r)) == table.end())
                    table.push_back(picture.at(x, r));
    std::vector<uint8_t> dib(form.header, 0);
    core::Store32(dib.data() + core::InInfoHeader(core::kOffInfoSize), form.header);
    core::Store32(dib.data() + core::InInfoHeader(core::kOffWidth), w);
    core::Store32(dib.data() + core::InInfoHeader(core::kOffHeight), form.topDown ? uint32_t(-int32_t(h)) : h);
    core::Store16(dib.data() + core::InInfoHeader(core::kOffPlanes), 1);
    core::Store16(dib.data() + core::InInfoHeader(core::kOffBitCount), form.bits);
    core::Store32(dib.data() + core::InInfoHeader(core::kOffCompression),
                  form.fields ? core::kCompressionBitFields : core::kCompressionRgb);
    core::Store32(dib.data() + core::InInfoHeader(core::kOffColoursUsed), uint32_t(table.size()));
    const uint32_t masks[3] = {form.wide ? 0x3FF00000u : 0xFF0000u, form.wide ? 0xFFC00u : 0xFF00u,
                               form.wide ? 0x3FFu : 0xFFu};
    if (form.fields) {
        // After a 40-byte header the masks follow it; the larger headers hold them.
        if (form.header == core::kInfoHeaderSize) dib.resize(core::kInfoHeaderSize + core::kBitFieldMasksSize);
        for (int i = 0; i < 3; ++i) core::Store32(dib.data() + core::kInfoHeaderSize + 4 * i, masks[i]);
    }
    for (const uint32_t c : table) dib.insert(dib.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), 0});
    const size_t pixels = dib.size();
    dib.resize(pixels + row * h, 0);
    for (uint32_t r = 0; r < h; ++r) {
        uint8_t* out = dib.data() + pixels + row * (form.topDown ? h - 1 - r : r);
        for (uint32_t x = 0; x < w; ++x) {
            const uint32_t c = picture.at(x, r);
            if (form.bits == 24) {
                std::memcpy(out + 3 * x, picture.pixel(x, r), 3);
            } else if (form.bits == 32) {
                const auto widen = [&](uint32_t v) { return form.wide ? (v << 2 | v >> 6) : v; };
                const uint32_t shift = form.wide ? 10 : 8;
                const uint32_t word =
                    widen(c >> 16 & 255) << (2 * shift) | widen(c >> 8 & 255) << shift | widen(c & 255);
                core::Store32(out + 4 * x, word | (form.wide ? 0 : 0xFF000000u));
            } else {
                const uint32_t index = uint32_t(std::find(table.begin(), table.end(), c) - table.begin());
                const size_t bit = size_t(x) * form.bits;
                out[bit / 8] = uint8_t(out[bit / 8] | index << (8 - form.bits - bit % 8));
            }
        }
    }
    return dib;
}

TEST(ClipboardDib, ReadsEveryUncompressedLayoutAndRefusesWhatIsCutShort) {
    std::mt19937 random(3);
    const DibForm forms[] = {{24},
                             {24, true},
                             {32},
                             {32, true, true},
                             {32, false, true, true},
                             {32, false, true, false, core::kInfoHeaderV5Size},
                             {8},
                             {8, true},
                             {4},
                             {1, true}};
    for (const DibForm& form : forms) {
        for (int round = 0; round < 12; ++round) {
            const uint32_t w = 1 + random() % 37, h = 1 + random() % 9;
            const uint32_t colours = form.bits >= 24 ? 1u << 24 : 1u << form.bits;
            const uint32_t step = colours == 2 ? 0xFFFFFF : colours <= 256 ? 0x10101 : 1;
            const uint32_t seed = random();
            const core::BmpImage picture = test::MakeImage(
                w, h, [&](uint32_t x, uint32_t r) { return ((x * 31 + r * 17 + seed) % colours) * step & 0xFFFFFF; });
            std::vector<uint32_t> table;
            const std::vector<uint8_t> dib = MakeDib(picture.view(), form, table);
            const std::optional<core::BmpImage> read = PictureFromDib(dib);
            ASSERT_TRUE(read) << form.bits << " bits, header " << form.header;
            ASSERT_TRUE(test::SamePixels(picture.view(), read->view())) << form.bits << " bits";
            // Any shorter piece of it is refused.
            for (size_t cut = 0; cut < dib.size(); cut += 1 + cut / 7)
                ASSERT_FALSE(PictureFromDib(std::span(dib.data(), cut))) << form.bits << " bits cut at " << cut;
        }
    }
    // What the program writes reads back as itself.
    const core::BmpImage picture = test::MakeImage(13, 5, [](uint32_t x, uint32_t r) { return x * 0x10203 + r; });
    const std::optional<core::BmpImage> again = PictureFromDib(DibOf(picture.view()));
    ASSERT_TRUE(again);
    EXPECT_TRUE(test::SamePixels(picture.view(), again->view()));

    // Spoiled headers: compressed, 16-bit, two planes, no width, too large.
    std::vector<uint32_t> table;
    const std::vector<uint8_t> good = MakeDib(picture.view(), {}, table);
    const auto spoiled = [&](size_t at, uint32_t value, bool wide) {
        std::vector<uint8_t> bad = good;
        wide ? core::Store32(bad.data() + at, value) : core::Store16(bad.data() + at, uint16_t(value));
        return PictureFromDib(bad).has_value();
    };
    using core::InInfoHeader;
    EXPECT_FALSE(spoiled(InInfoHeader(core::kOffCompression), core::kCompressionRle8, true));
    EXPECT_FALSE(spoiled(InInfoHeader(core::kOffBitCount), 16, false));
    EXPECT_FALSE(spoiled(InInfoHeader(core::kOffPlanes), 2, false));
    EXPECT_FALSE(spoiled(InInfoHeader(core::kOffWidth), 0, true));
    EXPECT_FALSE(spoiled(InInfoHeader(core::kOffWidth), 0x80000000, true));     // negative width
    EXPECT_FALSE(spoiled(InInfoHeader(core::kOffHeight), 0x80000000, true));    // the most negative height
    EXPECT_FALSE(spoiled(InInfoHeader(core::kOffInfoSize), 0xFFFFFFF0, true));  // a header larger than the data
    EXPECT_FALSE(spoiled(InInfoHeader(core::kOffWidth), 30000, true));          // wider than any document
}

}  // namespace
}  // namespace zorva::edit
