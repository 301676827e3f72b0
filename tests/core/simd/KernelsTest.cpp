// Every loop's fastest build gives the bytes of its plain build, on random pictures of every small size and long rows.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "core/simd/Kernels.h"
#include "tests/effects/EffectsTestSupport.h"

namespace zorva::simd {
namespace {

// Where there is nothing but the plain build, there is nothing to compare.
#define SKIP_WITHOUT_FASTER_BUILD() \
    if (FastestBuild() == Build::Plain) GTEST_SKIP() << "only the plain build runs on this processor"

// One loop on a copy of `picture`, returning every byte it wrote: the
// picture and whatever plane it fills.
using Loop = std::function<std::vector<uint8_t>(core::BmpView picture, Kernels kernels, uint32_t seed)>;

std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

template <typename T>
std::vector<uint8_t> WordBytes(const std::vector<T>& words) {
    const auto* p = reinterpret_cast<const uint8_t*>(words.data());
    return {p, p + words.size() * sizeof(T)};
}

// A loop that changes the picture in place; `minimum` is the smallest width
// and height it takes (smaller pictures come back untouched).
Loop InPlace(uint32_t minimum, std::function<void(core::MutableBmpView, Kernels, std::mt19937&)> run) {
    return [minimum, run](core::BmpView picture, Kernels kernels, uint32_t seed) {
        std::mt19937 random(seed);
        core::BmpImage image = test::CopyOf(picture);
        if (picture.width() >= minimum && picture.height() >= minimum) run(image.view(), kernels, random);
        return test::BytesOf(image.view());
    };
}

// A loop that reads the picture and writes a second block of its size.
Loop FromCopy(uint32_t minimum, std::function<void(core::BmpView, core::MutableBmpView, Kernels)> run) {
    return InPlace(minimum, [run](core::MutableBmpView image, Kernels kernels, std::mt19937&) {
        const core::BmpImage copy = test::CopyOf(image);
        run(copy.view(), image, kernels);
    });
}

// The local means of the picture, then a loop over them.
Loop Means(std::function<void(core::Plane<uint32_t>, core::Plane<uint32_t>, Kernels, std::mt19937&)> then) {
    return [then](core::BmpView picture, Kernels kernels, uint32_t seed) {
        std::mt19937 random(seed);
        const uint32_t w = picture.width(), h = picture.height();
        std::vector<uint32_t> records(size_t(w) * h, 0x11111111), result(size_t(w) * h, 5);
        if (w >= 17 && h >= 17) LocalMeans(picture, core::PackedPlane(records.data(), w, h), kernels);
        then(core::PackedPlane(records.data(), w, h), core::PackedPlane(result.data(), w, h), kernels, random);
        return Concat(WordBytes(records), WordBytes(result));
    };
}

std::array<ChannelTone, 3> RandomTone(std::mt19937& random) {
    std::array<ChannelTone, 3> channels;
    for (ChannelTone& c : channels) {
        const int offset = int(random() % 401) - 200;
        c = {uint8_t(14 + random() % 201), uint8_t(std::max(offset, 0)), uint8_t(std::max(-offset, 0))};
    }
    return channels;
}

const std::vector<std::pair<std::string, Loop>>& Loops() {
    static const std::vector<std::pair<std::string, Loop>> loops = {
        {"tone", InPlace(1,
                         [](core::MutableBmpView image, Kernels k, std::mt19937& random) {
                             const core::BmpImage source = test::CopyOf(image);
                             ToneRows(source.view(), image, RandomTone(random), k);
                         })},
        {"grey", InPlace(1, [](core::MutableBmpView image, Kernels k, std::mt19937&) { GreyRows(image, k); })},
        {"negate", InPlace(1, [](core::MutableBmpView image, Kernels k, std::mt19937&) { NegateRows(image, k); })},
        {"threshold", InPlace(1,
                              [](core::MutableBmpView image, Kernels k, std::mt19937& random) {
                                  const core::BmpImage source = test::CopyOf(image);
                                  ThresholdRows(source.view(), image, uint8_t(random()), k);
                              })},
        {"luma row",
         [](core::BmpView picture, Kernels kernels, uint32_t) {
             std::vector<uint8_t> luma(size_t(picture.width()) * picture.height(), 7);
             for (uint32_t r = 0; r < picture.height(); ++r)
                 LumaRow(picture.row(r), luma.data() + size_t(r) * picture.width(), picture.width(), kernels);
             return luma;
         }},
        {"box blur", InPlace(1,
                             [](core::MutableBmpView image, Kernels k, std::mt19937&) {
                                 for (uint32_t radius = 1; radius <= 4; ++radius) BoxBlurRows(image, radius, k);
                             })},
        {"sharpen",
         [](core::BmpView picture, Kernels kernels, uint32_t) {
             core::BmpImage image = test::CopyOf(picture), average = test::CopyOf(picture);
             if (picture.width() >= 9 && picture.height() >= 9) SharpenRows(image.view(), average.view(), kernels);
             return Concat(test::BytesOf(image.view()), test::BytesOf(average.view()));
         }},
        {"sobel", FromCopy(3, SobelRows)},
        {"pencil hard", FromCopy(3, PencilHardRows)},
        {"pencil soft", FromCopy(7, PencilSoftRows)},
        {"threshold by means",
         Means([](core::Plane<uint32_t> records, core::Plane<uint32_t> result, Kernels k, std::mt19937& random) {
             MeanLevel level;
             if (random() % 2)
                 level.drop = int(random() % 61) - 30;
             else
                 level.variant = int(random() % 4), level.bias = int(random() % 19);
             const uint32_t left = random() % records.width, bottom = random() % records.height;
             const Area area{left, bottom, left + uint32_t(random() % (records.width - left)),
                             bottom + uint32_t(random() % (records.height - bottom))};
             ThresholdByMeans(records, 1 + random() % 3, level, area, result, k);
         })},
        {"render threshold by means",
         [](core::BmpView picture, Kernels kernels, uint32_t seed) {
             std::mt19937 random(seed);
             std::vector<uint32_t> records(size_t(picture.width()) * picture.height());
             for (uint32_t& v : records) v = uint32_t(random());
             core::BmpImage image = test::CopyOf(picture);
             RenderThresholdByMeans(core::PackedPlane(records.data(), picture.width(), picture.height()),
                                    1 + random() % 3, int(random() % 41) - 10, image.view(), kernels);
             return test::BytesOf(image.view());
         }},
        {"render binary",
         [](core::BmpView picture, Kernels kernels, uint32_t seed) {
             std::mt19937 random(seed);
             std::vector<uint32_t> plane(size_t(picture.width()) * picture.height());
             for (uint32_t& v : plane) v = random() % 2;
             core::BmpImage image = test::CopyOf(picture);
             RenderBinary(core::PackedPlane(plane.data(), picture.width(), picture.height()), image.view(), kernels);
             return test::BytesOf(image.view());
         }},
    };
    return loops;
}

// Every size from 1 x 1 to 40 x 40 (below, at and above every minimum
// size, run under the sanitizers too), and long odd rows that reach the
// vector loops' tails; every byte written included.
TEST(Kernels, FastestBuildEqualsPlainBuild) {
    SKIP_WITHOUT_FASTER_BUILD();
    std::vector<std::pair<uint32_t, uint32_t>> sizes;
    for (uint32_t w = 1; w <= 40; ++w)
        for (uint32_t h = 1; h <= 40; ++h) sizes.emplace_back(w, h);
    sizes.insert(sizes.end(), {{259, 37}, {1031, 19}, {97, 96}});
    uint32_t seed = 0;
    for (const auto& [w, h] : sizes) {
        const core::BmpImage picture = test::RandomPicture(w, h, ++seed);
        for (const auto& [name, loop] : Loops())
            ASSERT_EQ(loop(picture.view(), Kernels::Plain, seed), loop(picture.view(), Kernels::Fastest, seed))
                << name << " on " << w << " x " << h;
    }
}

// The luminance of every one of the 2^24 colours, by both builds.
TEST(Kernels, GreyOfEveryColour) {
    SKIP_WITHOUT_FASTER_BUILD();
    const core::BmpImage all = test::MakeImage(4096, 4096, [](uint32_t x, uint32_t r) { return r << 12 | x; });
    core::BmpImage plain = test::CopyOf(all.view()), fastest = test::CopyOf(all.view());
    GreyRows(plain.view(), Kernels::Plain);
    GreyRows(fastest.view(), Kernels::Fastest);
    ASSERT_TRUE(test::SameBytes(plain.data(), plain.view().fileSize(), fastest.data(), fastest.view().fileSize()));
}

// Run starts of index lines of every length up to 300 (whole and partial
// words, and the vector build's 16-index groups and their tails), with runs
// of random lengths and neighbour bits above the index byte that must not count.
TEST(Kernels, RunStartsOfBothBuildsAgree) {
    SKIP_WITHOUT_FASTER_BUILD();
    std::mt19937 random(19);
    for (uint32_t n = 1; n <= 300; ++n) {
        std::vector<uint32_t> line(n);
        uint32_t index = 0;
        for (uint32_t& v : line) {
            if (random() % 5 == 0) index = random() % 4;
            v = uint32_t(random()) << 8 | index;
        }
        const size_t words = (n + 63) / 64;
        std::vector<uint64_t> plain(words, ~uint64_t(0)), fastest(words, ~uint64_t(0));
        RunStarts(line.data(), n, plain.data(), Kernels::Plain);
        RunStarts(line.data(), n, fastest.data(), Kernels::Fastest);
        ASSERT_EQ(plain, fastest) << "n = " << n;
        ASSERT_EQ(plain[0] & 1, 1u) << "a run starts at 0";
    }
}

// Distances of random profiles and of the extremes, whose sum passes 32 bits.
TEST(Kernels, ProfileDistanceOfBothBuildsAgree) {
    SKIP_WITHOUT_FASTER_BUILD();
    std::mt19937 random(64);
    alignas(16) int16_t profile[64];
    alignas(16) uint8_t record[128];
    for (int round = 0; round < 2000; ++round) {
        const bool extreme = round % 10 == 0;
        for (int16_t& s : profile) s = extreme ? int16_t(-32768) : int16_t(random());
        for (uint8_t& b : record) b = extreme ? uint8_t(round % 20 == 0 ? 0x00 : 0x7F) : uint8_t(random());
        for (uint32_t samples = 8; samples <= 64; samples += 8)
            ASSERT_EQ(ProfileDistance(profile, record, samples, Kernels::Plain),
                      ProfileDistance(profile, record, samples, Kernels::Fastest))
                << "round " << round << ", " << samples << " samples";
    }
}

}  // namespace
}  // namespace zorva::simd
