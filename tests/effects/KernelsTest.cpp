// Every effect's AVX2 build gives the bytes of its plain build, on random pictures of every small size and long rows.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "effects/AdaptiveThreshold.h"
#include "effects/Blur.h"
#include "effects/Sharpen.h"
#include "effects/Sobel.h"
#include "effects/Tone.h"
#include "tests/effects/EffectsTestSupport.h"

namespace zorva::effects {
namespace {

// One operation on a copy of `picture`, returning every byte it wrote: the
// picture and whatever plane or scratch it fills.
using Operation = std::function<std::vector<uint8_t>(core::BmpView picture, Kernels kernels, uint32_t seed)>;

std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

template <typename T>
std::vector<uint8_t> WordBytes(const std::vector<T>& words) {
    const auto* p = reinterpret_cast<const uint8_t*>(words.data());
    return {p, p + words.size() * sizeof(T)};
}

Operation InPlace(std::function<void(core::MutableBmpView, Kernels, std::mt19937&)> run) {
    return [run](core::BmpView picture, Kernels kernels, uint32_t seed) {
        std::mt19937 random(seed);
        core::BmpImage image = test::CopyOf(picture);
        run(image.view(), kernels, random);
        return test::BytesOf(image.view());
    };
}

Operation WithScratch(void (*filter)(core::MutableBmpView, core::MutableBmpView, Kernels)) {
    return [filter](core::BmpView picture, Kernels kernels, uint32_t) {
        core::BmpImage image = test::CopyOf(picture), scratch = test::ScratchFor(picture);
        filter(image.view(), scratch.view(), kernels);
        // The whole scratch block: below its minimum size a filter leaves it, header and all.
        return Concat(test::BytesOf(image.view()),
                      std::vector<uint8_t>(scratch.data(), scratch.data() + picture.blockSize()));
    };
}

Operation Means(std::function<void(core::Plane<uint32_t>, core::Plane<uint32_t>, Kernels, std::mt19937&)> then) {
    return [then](core::BmpView picture, Kernels kernels, uint32_t seed) {
        std::mt19937 random(seed);
        const uint32_t w = picture.width(), h = picture.height();
        std::vector<uint32_t> records(size_t(w) * h, 0x11111111), result(size_t(w) * h, 5);
        ComputeLocalMeans(picture, core::PackedPlane(records.data(), w, h), kernels);
        then(core::PackedPlane(records.data(), w, h), core::PackedPlane(result.data(), w, h), kernels, random);
        return Concat(WordBytes(records), WordBytes(result));
    };
}

std::array<uint8_t, 4> RandomSettings(std::mt19937& random) {
    return {uint8_t(random() % 101), uint8_t(random() % 101), uint8_t(random() % 101), uint8_t(random() % 101)};
}

const std::vector<std::pair<std::string, Operation>>& Operations() {
    static const std::vector<std::pair<std::string, Operation>> operations = {
        {"tone", InPlace([](core::MutableBmpView image, Kernels k, std::mt19937& random) {
             const core::BmpImage source = test::CopyOf(image);
             const ToneTransfer transfer = MakeToneTransfer(RandomSettings(random), RandomSettings(random));
             ApplyTone(source.view(), image, transfer, random() % 2 ? White::Transparent : White::Opaque, k);
         })},
        {"grey", InPlace([](core::MutableBmpView image, Kernels k, std::mt19937&) { Greyscale(image, k); })},
        {"negative",
         InPlace([](core::MutableBmpView image, Kernels k, std::mt19937&) { Negative(image, White::Opaque, k); })},
        {"threshold", InPlace([](core::MutableBmpView image, Kernels k, std::mt19937& random) {
             const core::BmpImage source = test::CopyOf(image);
             Threshold(source.view(), image, uint8_t(random()), k);
         })},
        {"enhance", InPlace([](core::MutableBmpView image, Kernels k, std::mt19937&) { EnhanceColour(image, k); })},
        {"blur", InPlace([](core::MutableBmpView image, Kernels k, std::mt19937&) {
             for (BlurLevel level : {BlurLevel::Light, BlurLevel::Medium, BlurLevel::VeryStrong}) Blur(image, level, k);
         })},
        {"sobel", WithScratch(Sobel)},
        {"pencil-hard", WithScratch(PencilHard)},
        {"pencil-soft", WithScratch(PencilSoft)},
        {"sharpen", WithScratch(Sharpen)},
        {"engrave",
         Means([](core::Plane<uint32_t> records, core::Plane<uint32_t> result, Kernels k, std::mt19937& random) {
             AdaptiveThreshold(records, WindowChoice(1 + random() % 3), int(random() % 41) - 10, result, k);
         })},
        {"plate",
         Means([](core::Plane<uint32_t> records, core::Plane<uint32_t> result, Kernels k, std::mt19937& random) {
             PlateThreshold t;
             t.window = WindowChoice(1 + random() % 3);
             t.variant = int(random() % 4);
             t.bias = int(random() % 19);
             t.region = PixelBox{int(random() % 9), int(random() % 9), int(random() % 40), int(random() % 40)};
             AdaptiveThreshold(records, t, result, k);
         })},
        {"render",
         [](core::BmpView picture, Kernels kernels, uint32_t seed) {
             std::mt19937 random(seed);
             std::vector<uint32_t> plane(size_t(picture.width()) * picture.height());
             for (uint32_t& v : plane) v = random() % 2;
             core::BmpImage image = test::CopyOf(picture);
             RenderBinaryPlane(core::PackedPlane(plane.data(), picture.width(), picture.height()), image.view(),
                               kernels);
             return test::BytesOf(image.view());
         }},
    };
    return operations;
}

// Every size from 1 x 1 to 40 x 40 (below, at and above every minimum
// size, run under the sanitizers too), and long odd rows that reach the
// vector loops' tails; scratch bytes included.
TEST(Kernels, Avx2BuildEqualsPlainBuild) {
    if (!HasAvx2()) GTEST_SKIP() << "no AVX2 on this processor";
    std::vector<std::pair<uint32_t, uint32_t>> sizes;
    for (uint32_t w = 1; w <= 40; ++w)
        for (uint32_t h = 1; h <= 40; ++h) sizes.emplace_back(w, h);
    sizes.insert(sizes.end(), {{259, 37}, {1031, 19}, {97, 96}});
    uint32_t seed = 0;
    for (const auto& [w, h] : sizes) {
        const core::BmpImage picture = test::RandomPicture(w, h, ++seed);
        for (const auto& [name, operation] : Operations())
            ASSERT_EQ(operation(picture.view(), Kernels::Plain, seed),
                      operation(picture.view(), Kernels::Fastest, seed))
                << name << " on " << w << " x " << h;
    }
}

// Colour enhancement's AVX2 build takes a shortcut (largest channel, smallest,
// middle from the ramp) instead of decomposing into a hue; it and the
// luminance give the plain build's bytes for every one of the 2^24 colours.
TEST(Kernels, EveryColour) {
    if (!HasAvx2()) GTEST_SKIP() << "no AVX2 on this processor";
    const core::BmpImage all = test::MakeImage(4096, 4096, [](uint32_t x, uint32_t r) { return r << 12 | x; });
    for (const auto& [name, run] :
         {std::pair{"enhance", +[](core::MutableBmpView v, Kernels k) { EnhanceColour(v, k); }},
          std::pair{"grey", +[](core::MutableBmpView v, Kernels k) { Greyscale(v, k); }}}) {
        core::BmpImage plain = test::CopyOf(all.view()), fastest = test::CopyOf(all.view());
        run(plain.view(), Kernels::Plain);
        run(fastest.view(), Kernels::Fastest);
        ASSERT_TRUE(test::SameBytes(plain.data(), plain.view().fileSize(), fastest.data(), fastest.view().fileSize()))
            << name;
    }
}

}  // namespace
}  // namespace zorva::effects
