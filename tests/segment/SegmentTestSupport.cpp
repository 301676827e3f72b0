// Pictures, segmentation runs and outside tools shared by the segment tests.
#include "tests/segment/SegmentTestSupport.h"

#include <png.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "core/Bytes.h"
#include "segment/SegmentCommon.h"
#include "tests/support/TestSupport.h"

namespace zorva::test {

core::BmpImage PhotoLike(uint32_t width, uint32_t height, uint32_t seed, uint32_t noise) {
    Random random(seed);
    struct Ellipse {
        int cx, cy, rx, ry;
        uint32_t rgb;
    };
    std::vector<Ellipse> ellipses;
    for (int i = 0; i < 12; ++i)
        ellipses.push_back(Ellipse{int(random.below(width)), int(random.below(height)),
                                   int(width / 16 + random.below(width / 5 + 1)),
                                   int(height / 16 + random.below(height / 5 + 1)), random.next() & 0xFFFFFF});
    const uint32_t bar = random.below(width);
    return MakeImage(width, height, [&](uint32_t x, uint32_t r) {
        int c[3] = {int(40 + 150 * x / width), int(60 + 120 * r / height), int(200 - 120 * (x + r) / (width + height))};
        for (const Ellipse& e : ellipses) {
            const int64_t dx = int64_t(x) - e.cx, dy = int64_t(r) - e.cy;
            if (dx * dx * e.ry * e.ry + dy * dy * e.rx * e.rx <= int64_t(e.rx) * e.rx * e.ry * e.ry) {
                c[0] = int(e.rgb >> 16 & 0xFF);
                c[1] = int(e.rgb >> 8 & 0xFF);
                c[2] = int(e.rgb & 0xFF);
            }
        }
        if (x >= bar && x < bar + width / 40 + 1) c[0] = c[1] = c[2] = 30;
        uint32_t rgb = 0;
        for (int i = 0; i < 3; ++i) {
            const int n = noise ? int(random.below(2 * noise + 1)) - int(noise) : 0;
            rgb = rgb << 8 | uint32_t(std::clamp(c[i] + n, 0, 255));
        }
        return rgb;
    });
}

core::BmpImage TwoColour(uint32_t width, uint32_t height, uint32_t a, uint32_t b,
                         const std::function<bool(uint32_t, uint32_t)>& pick) {
    return MakeImage(width, height, [&](uint32_t x, uint32_t r) { return pick(x, r) ? b : a; });
}

core::BmpImage LabelMapBlock(core::BmpView image) {
    return core::BmpImage::Allocate(image.blockSize());
}

uint32_t LabelAt(core::BmpView map, uint32_t x, uint32_t r) {
    return core::LoadPixel(map.pixel(x, r));
}

EightRun RunEight(core::MutableBmpView image, uint32_t tolerance, uint32_t repetitions) {
    EightRun run;
    run.map = LabelMapBlock(image);
    run.records.resize(segment::SegmentEightCapacity(image.width(), image.height()));
    run.result = segment::SegmentEight(image, run.map.view(), run.records, tolerance, repetitions);
    return run;
}

IndexedRun RunIndexed(core::MutableBmpView image, uint32_t colours, uint32_t minPoints) {
    IndexedRun run;
    run.map.assign(size_t(image.width()) * image.height(), 0);
    run.table.resize(segment::IndexedSegmentCapacity(image.width(), image.height()));
    segment::SegmentMedianCutParams params;
    params.colours = colours;
    params.minSegmentPoints = minPoints;
    run.status = segment::SegmentMedianCut(image, params, run.histogram.data(), run.map.data(), run.table, run.palette,
                                           run.segments);
    return run;
}

int PaletteIndexOf(const segment::PaletteTable& palette, uint32_t rgb) {
    for (uint32_t i = 0; i < palette.size; ++i)
        if (palette.colours[i] == rgb) return int(i);
    return -1;
}

std::vector<uint32_t> OutlinePoints(const segment::VectorView& data, uint32_t k) {
    std::vector<uint32_t> points;
    segment::BlockView block;
    if (!segment::ReadBlock(data.block(k), block)) return points;
    for (const segment::RunView& run : block.runs)
        for (uint32_t p : run.points)
            if (points.empty() || points.back() != p) points.push_back(p);
    return points;
}

int RunCommand(const std::string& command) {
    const int status = std::system(command.c_str());
    if (status == -1 || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

::testing::AssertionResult ValidSvg(const std::string& path, uint32_t width, uint32_t height) {
    if (RunCommand("xmllint --noout '" + path + "'") != 0)
        return ::testing::AssertionFailure() << path << " is not well-formed XML (xmllint)";
    if (RunCommand("rsvg-convert --page-width " + std::to_string(width) + " --page-height " + std::to_string(height) +
                   " '" + path + "' -o '" + path + ".png'") != 0)
        return ::testing::AssertionFailure() << path << " does not render (rsvg-convert)";
    return ::testing::AssertionSuccess();
}

Raster ReadPng(const std::string& path) {
    Raster raster;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return raster;
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    png_color white{255, 255, 255};
    if (!png_image_finish_read(&image, &white, rgb.data(), 0, nullptr)) return raster;
    raster.width = image.width;
    raster.height = image.height;
    raster.pixels.resize(size_t(image.width) * image.height);
    for (size_t i = 0; i < raster.pixels.size(); ++i)
        raster.pixels[i] = uint32_t(rgb[3 * i]) << 16 | uint32_t(rgb[3 * i + 1]) << 8 | rgb[3 * i + 2];
    return raster;
}

}  // namespace zorva::test
