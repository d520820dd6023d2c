#include "base/raster/ImageCodecs.h"
#include "base/raster/VideoBuffer.h"
#include "view/ImageFileWriters.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <unistd.h>
#include <vector>

using namespace kv;
namespace fs = std::filesystem;

namespace {

std::string TempPath(const std::string& name)
{
    fs::path dir = fs::temp_directory_path() / ("kv-pngwriter-tests_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    return (dir / name).string();
}

} // namespace

// Every pixel and alpha read back by libpng, for images of one band and of several (the
// bands are joined into one stream), with content that makes rows take different filters:
// flat runs, gradients, noise and edges.
TEST(PngWriterTest, PixelsReadBackExactlyAcrossBands)
{
    struct Size {
        int width, height;
    };
    for (const Size size : {Size{4, 2}, Size{7, 3}, Size{1024, 700}, Size{5, 1000}}) {
        const int w = size.width, h = size.height;
        std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4);
        uint32_t seed = 12345;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                uint8_t* p = &rgba[(static_cast<size_t>(y) * w + x) * 4];
                seed = seed * 1664525u + 1013904223u;
                switch ((y / 37) % 4) {
                case 0: // flat
                    p[0] = 10, p[1] = 200, p[2] = 30, p[3] = 255;
                    break;
                case 1: // gradients
                    p[0] = static_cast<uint8_t>(x), p[1] = static_cast<uint8_t>(y), p[2] = static_cast<uint8_t>(x + y),
                    p[3] = static_cast<uint8_t>(x * 3);
                    break;
                case 2: // noise
                    p[0] = static_cast<uint8_t>(seed >> 24), p[1] = static_cast<uint8_t>(seed >> 16),
                    p[2] = static_cast<uint8_t>(seed >> 8), p[3] = static_cast<uint8_t>(seed);
                    break;
                default: // edges
                    p[0] = p[1] = p[2] = (x / 5 + y) % 2 ? 255 : 0;
                    p[3] = x % 3 ? 255 : 0;
                    break;
                }
            }
        const std::string path = TempPath("bands.png");
        ASSERT_EQ(WritePngFile(path, rgba.data(), w, h), 0);
        VideoBuffer back;
        std::string error;
        ASSERT_EQ(ReadPngFile(path, back, error), 0) << error << " " << w << "x" << h;
        ASSERT_EQ(back.GetWidth(), w);
        ASSERT_EQ(back.GetHeight(), h);
        int wrong = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const uint8_t* p = &rgba[(static_cast<size_t>(y) * w + x) * 4];
                const uint32_t expected = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
                wrong += back.GetPixel(x, y) != expected ? 1 : 0;
            }
        EXPECT_EQ(wrong, 0) << w << "x" << h;
    }
}

TEST(PngWriterTest, RefusesBadInputAndUnwritablePaths)
{
    const uint8_t pixel[4] = {1, 2, 3, 4};
    EXPECT_EQ(WritePngFile(TempPath("x.png"), nullptr, 1, 1), -1);
    EXPECT_EQ(WritePngFile(TempPath("x.png"), pixel, 0, 1), -1);
    EXPECT_EQ(WritePngFile("/nonexistent-dir/x.png", pixel, 1, 1), -1);
}
