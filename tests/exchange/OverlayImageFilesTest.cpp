#include "exchange/OverlayImageFiles.h"

#include "base/layers/ImageOverlay.h"
#include "base/raster/VideoBuffer.h"
#include "view/ImageFileWriters.h"

#include "OutsideTools.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace kv;

namespace {

constexpr int kW = 4, kH = 3;
// Top row first, 0xAABBGGRR; the upper-left pixel is the key colour (blue).
constexpr uint32_t kPicture[kH][kW] = {
    {0xFFFF0000u, 0xFF0000FFu, 0xFF0000FFu, 0xFFFF0000u},
    {0xFF00FF00u, 0xFF00FF00u, 0xFFFF0000u, 0xFF00FF00u},
    {0xFFFFFFFFu, 0xFF000000u, 0xFF000000u, 0xFFFFFFFFu},
};

void WritePng(const std::string& path, const uint32_t (*rows)[kW], uint8_t alpha = 255)
{
    std::vector<uint8_t> rgba;
    for (int r = 0; r < kH; ++r)
        for (int c = 0; c < kW; ++c) {
            const uint32_t p = rows[r][c];
            rgba.insert(rgba.end(), {uint8_t(p), uint8_t(p >> 8), uint8_t(p >> 16), alpha});
        }
    ASSERT_EQ(WritePngFile(path, rgba.data(), kW, kH), 0);
}

void FillBuffer(VideoBuffer& image)
{
    ASSERT_EQ(image.Create(kW, kH), 0);
    for (int r = 0; r < kH; ++r)
        for (int c = 0; c < kW; ++c)
            image.SetPixel(c, r, kPicture[r][c] & 0xFFFFFF);
}

// Overlay row i is picture row kH - 1 - i.
void ExpectUpright(const ImageOverlay& o, uint32_t mask)
{
    ASSERT_TRUE(o.HasPixels());
    ASSERT_EQ(o.width, kW);
    ASSERT_EQ(o.height, kH);
    for (int i = 0; i < kH; ++i)
        for (int j = 0; j < kW; ++j)
            EXPECT_EQ(o.PixelRow(i)[j] & mask, kPicture[kH - 1 - i][j] & mask) << i << "," << j;
}

} // namespace

TEST(OverlayImageFiles, ColorImportIsUprightInEveryFormat)
{
    ScratchFolder dir;
    WritePng(dir / "pic.png", kPicture);
    VideoBuffer source;
    FillBuffer(source);
    ASSERT_EQ(source.SaveBMP(dir / "pic.bmp"), 0);
    ASSERT_EQ(source.SaveJPEG(dir / "pic.jpg", 100), 0);

    for (const char* name : {"pic.png", "pic.bmp"}) {
        VideoBuffer image;
        ASSERT_TRUE(LoadOverlayImage(dir / name, image)) << name;
        ImageOverlay o;
        o.visible = false;
        ASSERT_TRUE(ImportOverlayColor(o, image, FileTitle(dir / name), false));
        EXPECT_EQ(o.name, "pic");
        EXPECT_TRUE(o.visible);
        ExpectUpright(o, 0xFFFFFFFFu);
    }
    // JPEG is lossy: compare the top-bit of each channel on the flat colours.
    VideoBuffer image;
    ASSERT_TRUE(LoadOverlayImage(dir / "pic.jpg", image));
    ImageOverlay o;
    ASSERT_TRUE(ImportOverlayColor(o, image, "pic", false));
    EXPECT_EQ(o.PixelRow(0)[0] >> 24, 255u);
    EXPECT_GT(o.PixelRow(0)[0] & 0xFF, 0xC0u);  // white at the bottom-left (south-west)
    EXPECT_LT(o.PixelRow(0)[1] & 0xFF, 0x40u);  // black beside it
}

TEST(OverlayImageFiles, TransparentKeyAndOwnAlpha)
{
    ScratchFolder dir;
    WritePng(dir / "key.png", kPicture);
    VideoBuffer image;
    ASSERT_TRUE(LoadOverlayImage(dir / "key.png", image));
    ImageOverlay keyed;
    ASSERT_TRUE(ImportOverlayColor(keyed, image, "key", true));
    // The key (blue) is clear wherever it occurs; everything else opaque.
    for (int i = 0; i < kH; ++i)
        for (int j = 0; j < kW; ++j) {
            const uint32_t picture = kPicture[kH - 1 - i][j];
            EXPECT_EQ(keyed.PixelRow(i)[j] >> 24, (picture & 0xFFFFFF) == 0xFF0000u ? 0u : 255u);
            EXPECT_EQ(keyed.PixelRow(i)[j] & 0xFFFFFF, picture & 0xFFFFFF);
        }

    // An alpha that differs somewhere is kept; a uniform one is not alpha at all.
    uint32_t varied[kH][kW];
    std::copy(&kPicture[0][0], &kPicture[0][0] + kW * kH, &varied[0][0]);
    std::vector<uint8_t> rgba;
    for (int r = 0; r < kH; ++r)
        for (int c = 0; c < kW; ++c)
            rgba.insert(rgba.end(), {uint8_t(varied[r][c]), uint8_t(varied[r][c] >> 8), uint8_t(varied[r][c] >> 16),
                                     uint8_t(r == 1 ? 77 : 255)});
    ASSERT_EQ(WritePngFile(dir / "alpha.png", rgba.data(), kW, kH), 0);
    VideoBuffer withAlpha;
    ASSERT_TRUE(LoadOverlayImage(dir / "alpha.png", withAlpha));
    ImageOverlay own;
    ASSERT_TRUE(ImportOverlayColor(own, withAlpha, "alpha", false));
    EXPECT_EQ(own.PixelRow(1)[0] >> 24, 77u);
    EXPECT_EQ(own.PixelRow(0)[0] >> 24, 255u);

    WritePng(dir / "flat.png", kPicture, 40);
    VideoBuffer flat;
    ASSERT_TRUE(LoadOverlayImage(dir / "flat.png", flat));
    ImageOverlay opaque;
    ASSERT_TRUE(ImportOverlayColor(opaque, flat, "flat", false));
    EXPECT_EQ(opaque.PixelRow(2)[3] >> 24, 255u);
}

TEST(OverlayImageFiles, OpacityImportScalesAlphaByGrey)
{
    // grey 100 on alpha 200 gives MulDiv(200, 100, 255) = 78; grey 23 on 255 stays 23;
    // the image's top row lands on the overlay's northern row.
    VideoBuffer image;
    ASSERT_EQ(image.Create(4, 2), 0);
    image.Clear(0x646464);  // grey 100 in the bottom row
    for (int c = 0; c < 4; ++c)
        image.SetPixel(c, 0, 0x171717);  // grey 23 on top
    ImageOverlay o;
    ASSERT_TRUE(o.SetGeometry(8, 4, -180, 90, 180, -90));
    o.Fill(0xC8123456u);
    for (int j = 0; j < 8; ++j)
        o.PixelRow(3)[j] = 0xFF123456u;
    ASSERT_TRUE(ImportOverlayOpacity(o, image));
    for (int j = 0; j < 8; ++j) {
        EXPECT_EQ(o.PixelRow(0)[j], (78u << 24) | 0x123456u);
        EXPECT_EQ(o.PixelRow(1)[j] >> 24, 78u);
        EXPECT_EQ(o.PixelRow(3)[j], (23u << 24) | 0x123456u);
    }
    // An overlay without pixels takes the image's size.
    ImageOverlay bare;
    ASSERT_TRUE(ImportOverlayOpacity(bare, image));
    EXPECT_EQ(bare.width, 4);
    EXPECT_EQ(bare.height, 2);
    EXPECT_EQ(OverlayGrey(0x00FFFFFF), 255);
    EXPECT_EQ(OverlayGrey(0x000000FF), 76);  // red: 30 x 255 / 100
}

TEST(OverlayImageFiles, ExportKeepsAlphaAndRoundTrips)
{
    ScratchFolder dir;
    ImageOverlay o;
    ASSERT_TRUE(o.SetGeometry(5, 3, -10, 10, 10, -10));
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 5; ++j)
            o.PixelRow(i)[j] = (uint32_t(40 * i + 10 * j + 5) << 24) | uint32_t(i * 50 + j);
    ASSERT_EQ(ExportOverlayPng(o, dir / "o.png"), 0);
    VideoBuffer image;
    ASSERT_TRUE(LoadOverlayImage(dir / "o.png", image));
    ImageOverlay back;
    ASSERT_TRUE(ImportOverlayColor(back, image, "o", false));
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 5; ++j)
            EXPECT_EQ(back.PixelRow(i)[j], o.PixelRow(i)[j]);

    REQUIRE_TOOL("pngcheck");
    REQUIRE_TOOL("identify");
    EXPECT_EQ(RunTool("pngcheck -q " + dir / "o.png").status, 0);
    EXPECT_EQ(RunTool("identify -format '%w %h %A' " + dir / "o.png").out.substr(0, 4), "5 3 ");
    // Row 0 is the south: the picture's bottom-left pixel.
    EXPECT_EQ(RunTool("identify -format '%[fx:int(255*p{0,2}.a+0.5)]' " + dir / "o.png").out, "5");
}

TEST(OverlayImageFiles, FailuresChangeNothing)
{
    ScratchFolder dir;
    WriteBytes(dir / "bad.png", {0x89, 'P', 'N', 'G', 1, 2, 3});
    VideoBuffer image;
    EXPECT_FALSE(LoadOverlayImage(dir / "bad.png", image));
    EXPECT_FALSE(LoadOverlayImage(dir / "missing.bmp", image));
    EXPECT_EQ(OverlayImageReadMessage("/x/y.bmp"), "Unable to properly read image file /x/y.bmp");

    ImageOverlay bare;
    EXPECT_EQ(ExportOverlayPng(bare, dir / "none.png"), -1);

    ImageOverlay o;
    ASSERT_TRUE(o.SetGeometry(4, 2, -10, 10, 10, -10));
    WriteBytes(dir / "old.png", {1, 2, 3});
    ::chmod(dir.path.c_str(), 0500);
    const bool root = ::geteuid() == 0;
    if (!root)
        EXPECT_NE(ExportOverlayPng(o, dir / "old.png"), 0);
    ::chmod(dir.path.c_str(), 0700);
    EXPECT_EQ(ReadBytes(dir / "old.png"), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_NE(ExportOverlayPng(o, dir / "no/such/folder/x.png"), 0);
}
