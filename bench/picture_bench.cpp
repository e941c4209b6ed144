// Makes the thumbnail (133 x 75) and the large picture (667 x 375) of
// generated photo-like JPEG originals and prints the time per original.
// Usage: picture_bench [ORIGINALS [MEGAPIXELS]]   (defaults 6 and 12)

#include "pictures/image.h"
#include "pictures/jpeg_codec.h"
#include "pictures/picture_maker.h"
#include "platform/file_writer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

namespace {

using namespace pictavo;

// Smooth shapes with fine grain, so the JPEG is about as costly to decode as a photo.
pictures::Image photoLike(int width, int height, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> grain(-12, 12);
    pictures::Image image(width, height);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* p = image.row(y);
        for (int x = 0; x < width; ++x, p += 3) {
            const double u = x / static_cast<double>(width), v = y / static_cast<double>(height);
            const double shade = 0.5 + 0.25 * std::sin(9 * u + seed) + 0.25 * std::cos(7 * v * (1 + u));
            for (int c = 0; c < 3; ++c) {
                const int value = static_cast<int>(255 * shade * (0.6 + 0.2 * c * v)) + grain(random);
                p[c] = static_cast<std::uint8_t>(std::clamp(value, 0, 255));
            }
        }
    }
    return image;
}

}  // namespace

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::atoi(argv[1]) : 6;
    const double megapixels = argc > 2 ? std::atof(argv[2]) : 12;
    const int width = static_cast<int>(std::lround(std::sqrt(megapixels * 1e6 * 4 / 3)));
    const int height = width * 3 / 4;

    const std::filesystem::path root = std::filesystem::temp_directory_path() / "pictavo-bench";
    const std::filesystem::path originals = root / (std::to_string(width) + "x" + std::to_string(height));
    std::filesystem::create_directories(originals);
    ::setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);

    std::printf("%d originals of %d x %d, generating...\n", count, width, height);
    std::uintmax_t bytes = 0;
    for (int i = 0; i < count; ++i) {
        const std::filesystem::path path = originals / ("o" + std::to_string(i) + ".jpg");
        if (!std::filesystem::exists(path))
            platform::writeWholeFile(path, pictures::encodeJpeg(photoLike(width, height, static_cast<unsigned>(i))));
        bytes += std::filesystem::file_size(path);
    }
    std::printf("average original %.1f MB\n", bytes / 1e6 / count);

    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i) {
        const std::filesystem::path path = originals / ("o" + std::to_string(i) + ".jpg");
        pictures::MakeBoxImage(path, "p" + std::to_string(i) + "_t", 133, 75);
        pictures::MakeBoxImage(path, "p" + std::to_string(i) + "_l", 667, 375);
    }
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("%.1f ms per original (thumbnail and large picture)\n", ms / count);
    return 0;
}
