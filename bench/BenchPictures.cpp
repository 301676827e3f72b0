// Photo-like test pictures for the benchmarks.
#include "bench/BenchPictures.h"

#include <algorithm>

namespace zorva::bench {

core::BmpImage PhotoLike(uint32_t width, uint32_t height, uint32_t seed) {
    core::BmpImage image = core::BmpImage::Decoded(width, height);
    const core::MutableBmpView v = image.view();
    uint32_t state = seed * 2654435761u + 1;
    const auto noise = [&state]() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return int(state % 13) - 6;
    };
    for (uint32_t r = 0; r < height; ++r) {
        uint8_t* p = v.row(r);
        const uint32_t y = height - 1 - r;
        for (uint32_t x = 0; x < width; ++x, p += 3) {
            int red, green, blue;
            if (y < height / 2) {  // sky: a vertical gradient
                blue = 230 - int(60 * y / height);
                green = 150 + int(70 * y / height);
                red = 90 + int(90 * y / height);
            } else {  // ground: a textured field with darker furrows
                const bool furrow = ((x / 23 + y / 17) % 7) == 0;
                green = furrow ? 90 : 140;
                red = furrow ? 60 : 80 + int((x * 7 + y * 3) % 40);
                blue = 50;
            }
            // A few flat objects: a house, a box, a disc.
            const uint32_t cx = width * 3 / 4, cy = height / 5, rad = height / 12;
            if ((x - cx) * (x - cx) + (y - cy) * (y - cy) < rad * rad) red = 250, green = 240, blue = 190;
            if (x > width / 8 && x < width / 3 && y > height * 5 / 9 && y < height * 4 / 5)
                red = 180, green = 50, blue = 40;
            if (x > width * 3 / 5 && x < width * 7 / 8 && y > height * 2 / 3 && y < height * 9 / 10)
                red = 200, green = 155, blue = 90;
            p[0] = uint8_t(std::clamp(blue + noise(), 0, 255));
            p[1] = uint8_t(std::clamp(green + noise(), 0, 255));
            p[2] = uint8_t(std::clamp(red + noise(), 0, 255));
        }
    }
    return image;
}

}  // namespace zorva::bench
