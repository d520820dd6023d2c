#include "base/raster/ImageCodecs.h"
#include "base/raster/VideoBuffer.h"

#include "OutsideTools.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace kv;

namespace {

// Blocks of flat colour (JPEG keeps them nearly exact): red, green, blue, grey quarters.
VideoBuffer Quarters(int bits)
{
    VideoBuffer b;
    b.Create(64, 32, bits);
    const uint32_t colours[4] = {0x0000FF, 0x00FF00, 0xFF0000, 0x808080};
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x)
            b.SetPixel(x, y, bits == 8 ? static_cast<uint32_t>(x * 4) : colours[x / 16]);
    return b;
}

bool Near(uint32_t a, uint32_t b, int tolerance)
{
    for (int shift : {0, 8, 16})
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > tolerance)
            return false;
    return true;
}

} // namespace

TEST(JpegWriter, ColoursAsTheBitmapShowsThem)
{
    ScratchFolder dir;
    for (int bits : {32, 24, 8}) {
        SCOPED_TRACE(bits);
        const VideoBuffer image = Quarters(bits);
        ASSERT_EQ(image.SaveJPEG(dir / "q.jpg", 95), 0);
        VideoBuffer back;
        std::string error;
        ASSERT_EQ(ReadJpegFile(dir / "q.jpg", back, error), 0) << error;
        ASSERT_EQ(back.GetWidth(), 64);
        ASSERT_EQ(back.GetHeight(), 32);
        for (int x : {8, 24, 40, 56}) {
            const uint32_t want = bits == 8 ? (x * 4) * 0x010101u : image.GetPixel(x, 16);
            EXPECT_TRUE(Near(back.GetPixel(x, 16), want, 6)) << x << ": " << std::hex << back.GetPixel(x, 16);
        }
    }
}

TEST(JpegWriter, QualityAndSizeAsOutsideReadersSeeThem)
{
    REQUIRE_TOOL("identify");
    ScratchFolder dir;
    VideoBuffer image(100, 50);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 100; ++x)
            image.SetPixel(x, y, static_cast<uint32_t>(x * 2 + y * 512 + ((x * y) % 255) * 65536));
    for (int quality : {75, 85, 50}) {
        ASSERT_EQ(image.SaveJPEG(dir / "q.jpg", quality), 0);
        const ToolRun run = RunTool("identify -format '%m %w %h %Q' " + dir / "q.jpg");
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, "JPEG 100 50 " + std::to_string(quality));
    }
}

TEST(JpegWriter, FailuresLeaveNoFile)
{
    ScratchFolder dir;
    VideoBuffer empty;
    EXPECT_EQ(empty.SaveJPEG(dir / "e.jpg", 75), -1);
    EXPECT_EQ(Quarters(32).SaveJPEG(dir / "missing/q.jpg", 75), -1);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 0);
}
