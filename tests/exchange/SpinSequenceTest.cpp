#include "base/raster/ImageCodecs.h"
#include "base/raster/VideoBuffer.h"
#include "exchange/CMovieFrameWriter.h"
#include "exchange/SpinSequence.h"

#include "OutsideTools.h"

#include <gtest/gtest.h>

using namespace kv;

TEST(FrameWriters, ChosenByExtensionAndNumberedFromOne)
{
    const struct {
        const char* path;
        bool jpeg;
        const char* first;
        const char* twelfth;
    } cases[] = {
        {"/d/name.bmp", false, "/d/name001.bmp", "/d/name012.bmp"},
        {"/d/spin.JPEG", true, "/d/spin001.JPEG", "/d/spin012.JPEG"},
        {"/d/v1.2/spin.jpg", true, "/d/v1.2/spin001.jpg", "/d/v1.2/spin012.jpg"},
        {"/d/s.BMP", false, "/d/s001.BMP", "/d/s012.BMP"},
    };
    const VideoBuffer picture(8, 8);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        std::unique_ptr<CMovieFrameWriter> writer = FrameWriterFor(c.path);
        ASSERT_NE(writer, nullptr);
        EXPECT_EQ(dynamic_cast<CJPGFrameWriter*>(writer.get()) != nullptr, c.jpeg);
        auto& bmp = dynamic_cast<CBMPFrameWriter&>(*writer);
        EXPECT_EQ(bmp.Open(c.path, picture, 12), 0);
        EXPECT_EQ(bmp.FrameName(0), c.first);
        EXPECT_EQ(bmp.FrameName(11), c.twelfth);
        EXPECT_EQ(bmp.quality, 50);
    }
    EXPECT_EQ(FrameWriterFor("/d/spin.png"), nullptr);
    EXPECT_EQ(FrameWriterFor("/d/v1.jpg/spin"), nullptr);
}

TEST(FrameWriters, JpegFramesInTheBitmapFramesColours)
{
    REQUIRE_TOOL("identify");
    ScratchFolder dir;
    VideoBuffer picture(192, 192);
    picture.Clear(0xFFFF00); // cyan: blue and green full, no red
    CBMPFrameWriter bmp;
    CJPGFrameWriter jpg;
    ASSERT_EQ(bmp.Open(dir / "spin.bmp", picture, 2), 0);
    ASSERT_EQ(jpg.Open(dir / "spin.jpg", picture, 2), 0);
    ASSERT_EQ(bmp.WriteFrame(picture, 0), 0);
    ASSERT_EQ(jpg.WriteFrame(picture, 1), 0);
    EXPECT_EQ(ReadBytes(dir / "spin001.bmp").size(), 147510u);
    for (const char* name : {"spin001.bmp", "spin002.jpg"}) {
        SCOPED_TRACE(name);
        const ToolRun run = RunTool("identify -format '%w %h %[fx:int(255*p{96,96}.r)] %[fx:int(255*p{96,96}.g)] "
                                    "%[fx:int(255*p{96,96}.b)]' " + dir / name);
        ASSERT_EQ(run.status, 0) << run.err;
        int w = 0, h = 0, r = -1, g = -1, b = -1;
        ASSERT_EQ(std::sscanf(run.out.c_str(), "%d %d %d %d %d", &w, &h, &r, &g, &b), 5) << run.out;
        EXPECT_EQ(w, 192);
        EXPECT_EQ(h, 192);
        EXPECT_LE(r, 4);
        EXPECT_GE(g, 251);
        EXPECT_GE(b, 251);
    }
    EXPECT_EQ(RunTool("identify -format '%Q' " + dir / "spin002.jpg").out, "50");
    ASSERT_EQ(jpg.Open(dir / "missing/spin.jpg", picture, 2), 0);
    EXPECT_LT(jpg.WriteFrame(picture, 0), 0);
    ASSERT_EQ(bmp.Open(dir / "missing/spin.bmp", picture, 2), 0);
    EXPECT_LT(bmp.WriteFrame(picture, 0), 0);
}

TEST(SpinFrames, BackgroundAndRimShading)
{
    VideoBuffer colour(64, 64), coverage(64, 64);
    colour.Clear(0x80C0FF);
    coverage.Clear(0);
    // The globe: a disc of radius 32 about the centre.
    for (int i = 0; i < 64; ++i)
        for (int j = 0; j < 64; ++j)
            if ((j - 32) * (j - 32) + (i - 32) * (i - 32) <= 32 * 32)
                coverage.SetPixel(j, i, 1);
    VideoBuffer plain = colour;
    // The background is 0xRRGGBB; the pixels are 0x00BBGGRR.
    PaintSpinFrame(plain, coverage, 0xFFFF00, false);
    EXPECT_EQ(plain.GetPixel(0, 0), 0x00FFFFu);
    EXPECT_EQ(plain.GetPixel(32, 32), 0x80C0FFu);

    PaintSpinFrame(colour, coverage, 0x123456, true);
    EXPECT_EQ(colour.GetPixel(0, 0), 0x563412u);
    // Centre: q = 255, each channel (v x 255) >> 8.
    const auto scaled = [](uint32_t v, uint32_t q) {
        return (((v & 0xFF) * q) >> 8) | ((((v >> 8) & 0xFF) * q) >> 8) << 8 | ((((v >> 16) & 0xFF) * q) >> 8) << 16;
    };
    EXPECT_EQ(colour.GetPixel(32, 32), scaled(0x80C0FF, 255));
    // At distance 1 (the rim), q = 127.
    EXPECT_EQ(colour.GetPixel(0, 32), scaled(0x80C0FF, 127));
    EXPECT_EQ(colour.GetPixel(32, 0), scaled(0x80C0FF, 127));
}
