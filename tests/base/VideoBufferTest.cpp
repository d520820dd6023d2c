#include "base/raster/VideoBuffer.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using kv::VideoBuffer;

namespace {

std::vector<uint8_t> ReadBytes(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

uint32_t U32At(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}

// A fresh folder for one test, removed afterwards.
struct TempDir {
    fs::path path;
    explicit TempDir(const char* name)
        : path(fs::temp_directory_path() / (std::string(name) + "_" + std::to_string(getpid())))
    {
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempDir()
    {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

} // namespace

TEST(VideoBuffer, CreateAcceptsOnlySensibleSizesAndDepths)
{
    struct Case {
        int w, h, bits;
        int result;
    } cases[] = {
        {4, 2, 32, 0},      {3, 2, 32, -1},      {4, 1, 32, -1},       {0, 0, 32, -1},
        {-8, 10, 32, -1},   {10, -8, 32, -1},    {4, 2, 24, 0},        {4, 2, 8, 0},
        {4, 2, 16, -1},     {4, 2, 1, -1},
        // the pixel block is limited before anything is allocated
        {65536, 32768, 32, -1}, {2147483647, 2147483647, 32, -1}, {2147483647, 2, 8, -1},
    };
    for (const Case& c : cases) {
        VideoBuffer b;
        EXPECT_EQ(b.Create(c.w, c.h, c.bits), c.result) << c.w << " x " << c.h << " @ " << c.bits;
        EXPECT_EQ(b.IsEmpty(), c.result != 0);
    }

    // A refused size leaves the image that was there.
    VideoBuffer b(6, 3);
    b.SetPixel(1, 1, 0x123456);
    EXPECT_EQ(b.Create(3, 2), -1);
    EXPECT_EQ(b.GetWidth(), 6);
    EXPECT_EQ(b.GetPixel(1, 1), 0x123456u);
    // An accepted one replaces it with a cleared image.
    EXPECT_EQ(b.Create(5, 4), 0);
    EXPECT_EQ(b.GetPixel(1, 1), 0u);
}

TEST(VideoBuffer, HeaderDescribesABottomUp32BitImage)
{
    VideoBuffer b(10, 7);
    const kv::BitmapInfoHeader* h = b.GetBitmapInfo();
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->size, 40u);
    EXPECT_EQ(h->width, 10);
    EXPECT_EQ(h->height, 7);
    EXPECT_EQ(h->planes, 1);
    EXPECT_EQ(h->bitCount, 32);
    EXPECT_EQ(h->compression, 0u);
    EXPECT_EQ(h->sizeImage, 10u * 7u * 4u);
    EXPECT_EQ(h->xPelsPerMeter | h->yPelsPerMeter | int(h->clrUsed) | int(h->clrImportant), 0);
    EXPECT_EQ(VideoBuffer().GetBitmapInfo(), nullptr);
}

TEST(VideoBuffer, PixelsAreAddressedTopDownOverBottomUpRowsAtEveryDepth)
{
    struct Case {
        int bits;
        uint32_t readBack;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {32, 0xAABBCCDD, {0xBB, 0xCC, 0xDD, 0xAA}},
        {24, 0x00BBCCDD, {0xBB, 0xCC, 0xDD}},
        {8, 0xDD, {0xDD}},
    };
    for (const Case& c : cases) {
        VideoBuffer b;
        ASSERT_EQ(b.Create(5, 3, c.bits), 0);
        const int bpp = c.bits / 8;
        b.SetPixel(2, 0, 0xAABBCCDD);  // top row = last row in memory
        const uint8_t* p = b.GetBits() + ((3 - 1 - 0) * 5 + 2) * bpp;
        EXPECT_EQ(std::vector<uint8_t>(p, p + bpp), c.bytes) << c.bits;
        EXPECT_EQ(b.GetPixel(2, 0), c.readBack) << c.bits;
        EXPECT_EQ(b.RowPointer(0), b.GetBits() + 2 * 5 * bpp);

        // Outside: reads 0, writes change nothing.
        std::vector<uint8_t> before(b.GetBits(), b.GetBits() + 5 * 3 * bpp);
        for (auto [x, y] : {std::pair{5, 0}, {0, -1}, {-1, 0}, {0, 3}, {1 << 30, 1 << 30}}) {
            EXPECT_EQ(b.GetPixel(x, y), 0u);
            b.SetPixel(x, y, 0xFFFFFFFF);
        }
        EXPECT_EQ(std::vector<uint8_t>(b.GetBits(), b.GetBits() + 5 * 3 * bpp), before);
    }
    VideoBuffer empty;
    empty.SetPixel(0, 0, 1);
    EXPECT_EQ(empty.GetPixel(0, 0), 0u);
}

TEST(VideoBuffer, ClearAndFillRect)
{
    VideoBuffer b(4, 10);
    b.Clear(0xFF112233);  // red 0x33, green 0x22, blue 0x11
    for (int i = 0; i < 40; ++i)
        ASSERT_EQ(std::memcmp(b.GetBits() + i * 4, "\x11\x22\x33\x00", 4), 0);
    EXPECT_EQ(b.GetPixel(3, 9), 0x112233u);

    // Rows 8 and 9 (top-based), columns 0-2; the extra byte stays.
    b.SetPixel(1, 8, 0x7F000000);
    b.FillRect(0, 9, 3, 2, 0xFFABCDEF);
    for (int r = 0; r < 10; ++r)
        for (int c = 0; c < 4; ++c) {
            uint32_t want = (r >= 8 && c <= 2) ? 0xABCDEF : 0x112233;
            if (r == 8 && c == 1)
                want |= 0x7F000000;
            EXPECT_EQ(b.GetPixel(c, r), want) << c << "," << r;
        }

    // Clipped at every side; wholly outside changes nothing.
    VideoBuffer c(4, 4);
    c.FillRect(-2, 100, 4, 98, 0x010203);  // columns -2..1, rows 3..100
    c.FillRect(10, 2, 3, 3, 0xFFFFFF);
    c.FillRect(0, -1, 4, 4, 0xFFFFFF);
    c.FillRect(0, 3, 0, 4, 0xFFFFFF);
    for (int r = 0; r < 4; ++r)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(c.GetPixel(x, r), (r >= 3 && x <= 1) ? 0x010203u : 0u);

    VideoBuffer g;
    ASSERT_EQ(g.Create(4, 2, 8), 0);
    g.Clear(0x1234);
    g.FillRect(1, 1, 2, 1, 0x56);
    EXPECT_EQ(g.GetPixel(0, 1), 0x34u);
    EXPECT_EQ(g.GetPixel(1, 1), 0x56u);
    EXPECT_EQ(g.GetPixel(1, 0), 0x34u);
}

TEST(VideoBuffer, SampleBilinearWeighsTheNearerPixelMore)
{
    VideoBuffer b(4, 3);
    b.SetPixel(0, 0, 0x000064);  // red 100
    b.SetPixel(1, 0, 0x00C800);  // green 200
    b.SetPixel(0, 1, 0x320000);  // blue 50
    b.SetPixel(1, 1, 0xFFFFFFFF);

    EXPECT_EQ(b.SampleBilinear(0.0f, 0.0f), 0x000064u);
    EXPECT_EQ(b.SampleBilinear(1.0f, 1.0f), 0xFFFFFFu);  // extra byte dropped
    // x = 0.25, y = 0.5: rows blended along x first, each stage truncated.
    // row 0: r = 100*.75 = 75, g = 200*.25 = 50, b = 0; row 1: r = 255*.25 = 63, g = 63,
    // b = 50*.75 + 255*.25 = 101; then halves: r = 69, g = 56, b = 50.
    EXPECT_EQ(b.SampleBilinear(0.25f, 0.5f), (50u << 16) | (56u << 8) | 69u);
    // Past the last column the neighbour reads as black.
    b.Clear(0xC8C8C8);
    EXPECT_EQ(b.SampleBilinear(3.5f, 0.0f), 0x646464u);
    for (auto [x, y] : {std::pair{-0.01f, 0.0f}, {0.0f, -0.5f}, {4.0f, 0.0f}, {0.0f, 3.0f}})
        EXPECT_EQ(b.SampleBilinear(x, y), 0u);

    VideoBuffer grey;
    ASSERT_EQ(grey.Create(4, 2, 8), 0);
    grey.Clear(0xFF);
    EXPECT_EQ(grey.SampleBilinear(1.0f, 1.0f), 0u);
}

TEST(VideoBuffer, CopiesAreDeepAndKeepTheDepth)
{
    VideoBuffer a;
    ASSERT_EQ(a.Create(5, 4, 24), 0);
    a.SetPixel(4, 3, 0x102030);
    VideoBuffer b(8, 8);
    b = a;
    EXPECT_EQ(b.GetBitCount(), 24);
    EXPECT_EQ(b.GetWidth(), 5);
    EXPECT_EQ(b.GetPixel(4, 3), 0x102030u);
    a.SetPixel(4, 3, 0);
    EXPECT_EQ(b.GetPixel(4, 3), 0x102030u);
    b = b;
    EXPECT_EQ(b.GetPixel(4, 3), 0x102030u);
    b = VideoBuffer();
    EXPECT_TRUE(b.IsEmpty());

    // Large images live in their own mapped pages; they start cleared and copy the same way.
    VideoBuffer big(1500, 1000);
    ASSERT_FALSE(big.IsEmpty());
    EXPECT_EQ(big.GetPixel(1499, 999) | big.GetPixel(0, 0) | big.GetPixel(700, 500), 0u);
    big.SetPixel(1499, 0, 0xFEDCBA98);
    big.SetPixel(0, 999, 0x01234567);
    VideoBuffer copy(big);
    EXPECT_EQ(copy.GetPixel(1499, 0), 0xFEDCBA98u);
    EXPECT_EQ(copy.GetPixel(0, 999), 0x01234567u);
    EXPECT_EQ(copy.GetBits()[0], 0x23);  // memory starts with the bottom row
}

TEST(VideoBuffer, SavesThe32BitLayoutExactly)
{
    TempDir temp("kv_videobuffer_save");
    const fs::path& dir = temp.path;
    VideoBuffer b(10, 10);
    for (int r = 0; r < 10; ++r)
        for (int c = 0; c < 10; ++c)
            b.SetPixel(c, r, uint32_t(r * 10 + c) * 0x01020304u);
    ASSERT_EQ(b.SaveBMP((dir / "a.bmp").string()), 0);
    std::vector<uint8_t> f = ReadBytes(dir / "a.bmp");
    ASSERT_EQ(f.size(), 454u);
    const uint8_t head[54] = {'B', 'M', 0xC6, 0x01, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,
                              40, 0, 0, 0, 10, 0, 0, 0, 10, 0, 0, 0, 1, 0, 32, 0,
                              0, 0, 0, 0, 0x90, 0x01, 0, 0};
    EXPECT_EQ(std::memcmp(f.data(), head, 54), 0);
    EXPECT_EQ(std::memcmp(f.data() + 54, b.GetBits(), 400), 0);
    // the first pixel in the file is the bottom-left one, blue first
    const uint32_t bottomLeft = b.GetPixel(0, 9);
    EXPECT_EQ(U32At(f, 54), (bottomLeft & 0xFF00FF00u) | (bottomLeft >> 16 & 0xFF) | (bottomLeft & 0xFF) << 16);
}

TEST(VideoBuffer, Saves8And24BitRowsPaddedToFourBytes)
{
    TempDir temp("kv_videobuffer_save_pad");
    const fs::path& dir = temp.path;
    VideoBuffer rgb;
    ASSERT_EQ(rgb.Create(5, 3, 24), 0);
    rgb.SetPixel(4, 2, 0x0A0B0C);  // bottom-right
    ASSERT_EQ(rgb.SaveBMP((dir / "rgb.bmp").string()), 0);
    std::vector<uint8_t> f = ReadBytes(dir / "rgb.bmp");
    ASSERT_EQ(f.size(), 54u + 3 * 16);
    EXPECT_EQ(U32At(f, 2), 54u + 48);
    EXPECT_EQ(U32At(f, 10), 54u);
    EXPECT_EQ(U32At(f, 34), 48u);  // image size counts the padding
    EXPECT_EQ(f[28], 24);
    EXPECT_EQ(std::vector<uint8_t>(f.begin() + 54 + 12, f.begin() + 54 + 16), (std::vector<uint8_t>{0x0A, 0x0B, 0x0C, 0}));

    VideoBuffer grey;
    ASSERT_EQ(grey.Create(6, 2, 8), 0);
    grey.SetPixel(5, 0, 0xC4);
    ASSERT_EQ(grey.SaveBMP((dir / "grey.bmp").string()), 0);
    f = ReadBytes(dir / "grey.bmp");
    ASSERT_EQ(f.size(), 54u + 1024 + 2 * 8);
    EXPECT_EQ(U32At(f, 10), 54u + 1024);
    EXPECT_EQ(U32At(f, 54 + 4 * 0xC4), 0x00C4C4C4u);  // grey colour table
    EXPECT_EQ(f[1078 + 8 + 5], 0xC4);                  // top row is the second in the file
    EXPECT_EQ(f[1078 + 8 + 6], 0);

    // Both load back as the same picture.
    VideoBuffer back;
    ASSERT_EQ(back.LoadImageFile((dir / "rgb.bmp").string()), 0);
    EXPECT_EQ(back.GetPixel(4, 2), 0xFF0A0B0Cu);
    EXPECT_EQ(back.GetPixel(0, 0), 0xFF000000u);
    ASSERT_EQ(back.LoadImageFile((dir / "grey.bmp").string()), 0);
    EXPECT_EQ(back.GetPixel(5, 0), 0xFFC4C4C4u);
}

TEST(VideoBuffer, AFailedSaveLeavesTheOldFile)
{
    TempDir temp("kv_videobuffer_save_fail");
    const fs::path& dir = temp.path;
    std::ofstream(dir / "keep.bmp") << "old";
    EXPECT_EQ(VideoBuffer().SaveBMP((dir / "keep.bmp").string()), -1);
    EXPECT_EQ(VideoBuffer(4, 4).SaveBMP((dir / "no-such-folder" / "x.bmp").string()), -1);
    const std::vector<uint8_t> old = ReadBytes(dir / "keep.bmp");
    EXPECT_EQ(std::string(old.begin(), old.end()), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}
