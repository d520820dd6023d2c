// Colour-to-altitude lists, their ".acf" text and the conversion of a painted picture.
#include "base/Progress.h"
#include "base/raster/VideoBuffer.h"
#include "document/AltColor.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace kv;
namespace fs = std::filesystem;

namespace {

struct TempDir {
    TempDir() : path(fs::temp_directory_path() / ("kv_acf_" + std::to_string(::getpid()))) { fs::create_directories(path); }
    ~TempDir() { fs::remove_all(path); }
    std::string File(const std::string& name, const std::string& text = "") const
    {
        const std::string p = (path / name).string();
        if (!text.empty())
            std::ofstream(p, std::ios::binary) << text;
        return p;
    }
    fs::path path;
};

std::string Read(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

AltColor Entry(uint32_t color, float a, float a2, float rough, int kind)
{
    AltColor e;
    e.color = color;
    e.altitude = a;
    e.altitude2 = a2;
    e.roughness = rough;
    e.kind = kind;
    return e;
}

} // namespace

TEST(AltColorList, AcfTextBytesAndRoundTrip)
{
    TempDir dir;
    AltColorList list{Entry(0x00336699, 100.5f, -2.25f, 0.002f, AltColor::kBasin),
                      Entry(0x000000FF, 1000.0f, 0.0f, 0.001f, AltColor::kContour)};
    list[0].exponent = 3.0f;
    const std::string path = dir.File("a.acf");
    ASSERT_EQ(list.SaveToFile(path), 0);
    EXPECT_EQ(Read(path), "AltColor\n"
                          "Color 153,102,51, 100.500, 0, -2.250, 0.002\n"
                          "Color 255,0,0, 1000.000, 1, 0.000, 0.001\n"
                          "EndList\n");
    AltColorList back;
    ASSERT_EQ(back.LoadFromFile(path), 0);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].color, 0x00336699u);
    EXPECT_FLOAT_EQ(back[0].altitude, 100.5f);
    EXPECT_FLOAT_EQ(back[0].altitude2, -2.25f);
    EXPECT_EQ(back[0].kind, 0);
    EXPECT_FLOAT_EQ(back[0].roughness, 0.002f);
    EXPECT_EQ(back[0].exponent, 1.0f); // never stored
    ASSERT_EQ(back.SaveToFile(path), 0);
    EXPECT_EQ(Read(path), Read(path));
    AltColor found;
    EXPECT_TRUE(back.FindByColor(0xFF0000FF, found)); // the top byte is not compared
    EXPECT_EQ(found.kind, AltColor::kContour);
    EXPECT_FALSE(back.FindByColor(0x00FF0000, found));
}

TEST(AltColorList, ShortLinesInheritAndBadFilesChangeNothing)
{
    TempDir dir;
    AltColorList list;
    ASSERT_EQ(list.LoadFromFile(dir.File("s.acf", "Color 256+1 , 2, 3 ,50*2, 3, 7, 0.5\nColor 9,9,9,20,1\nEndList\n")), 0);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].color, 0x00030201u); // 257 keeps its low 8 bits
    EXPECT_FLOAT_EQ(list[0].altitude, 100.0f);
    EXPECT_FLOAT_EQ(list[1].altitude2, 7.0f); // from the line before
    EXPECT_FLOAT_EQ(list[1].roughness, 0.5f);

    const AltColorList kept = list;
    const char* bad[] = {
        "AltColor\nColor 1,2,3,nan,1\n",
        "AltColor\nColor 1,2,3,1e39,1\n",
        "AltColor\nColor 1,2,x,5,1\n",
        "AltColor\nColor 1,2,3,5,1, 1e999, 0\n",
        "Nothing here\n",
        "",
    };
    for (const char* text : bad) {
        const std::string p = dir.File("bad.acf");
        std::ofstream(p, std::ios::binary) << text;
        EXPECT_LT(list.LoadFromFile(p), 0) << text;
        EXPECT_EQ(list.size(), kept.size());
        EXPECT_EQ(list[0].color, kept[0].color);
    }
    EXPECT_EQ(list.LoadFromFile(dir.File("missing.acf")), -1);
    EXPECT_EQ(list.SaveToFile((dir.path / "no" / "x.acf").string()), -1);
    // A file without its "EndList" keeps what it read; anything else after an entry ends it.
    ASSERT_EQ(list.LoadFromFile(dir.File("e.acf", "AltColor\nColor 1,1,1,5,1\nstray 4\n")), 0);
    EXPECT_EQ(list.size(), 1u);
}

TEST(ColorToAltitude, BasinContoursAndLevels)
{
    SetProgressHooks(SilentProgressHooks());
    const int W = 40, H = 20;
    VideoBuffer picture;
    ASSERT_EQ(picture.Create(W, H), 0);
    // A red basin in a 11 x 11 block, a blue single cell, a green level area, a grey pixel
    // no entry knows.
    for (int y = 2; y < 13; ++y)
        for (int x = 2; x < 13; ++x)
            picture.SetPixel(x, y, 0xFF0000FF);
    picture.SetPixel(30, 10, 0xFFFF0000);
    for (int x = 20; x < 25; ++x)
        picture.SetPixel(x, 18, 0xFF00FF00);
    picture.SetPixel(35, 3, 0xFF808080);
    AltColorList list{Entry(0x0000FF, 100, -50, 0, AltColor::kBasin), Entry(0xFF0000, 10, 20, 0, AltColor::kPeak),
                      Entry(0x00FF00, 333, 0, 0.25f, AltColor::kNone)};
    Grid2DPtr alt = Alloc2D(W, H, 4), rough = Alloc2D(W, H, 4);
    ASSERT_TRUE(ColorToAltitude(picture, list, *alt, *rough, 32));
    auto a = alt->Rows<float>();
    auto r = rough->Rows<float>();
    EXPECT_EQ(a[7][7], -50.0f);       // the innermost cell of the basin
    float highest = -1e9f;            // its outermost cell is at 100
    for (int y = 2; y < 13; ++y)
        for (int x = 2; x < 13; ++x)
            highest = std::max(highest, a[y][x]);
    EXPECT_EQ(highest, 100.0f);
    EXPECT_LT(a[7][7], a[5][7]);
    EXPECT_LT(a[5][7], a[2][7]);
    EXPECT_EQ(a[10][30], 20.0f);      // a one-cell peak takes its centre altitude
    EXPECT_EQ(a[18][22], 333.0f);
    EXPECT_EQ(r[18][22], 0.25f);
    EXPECT_EQ(a[3][35], 0.0f);        // painted, no entry
    EXPECT_EQ(r[3][35], 0.0f);
    EXPECT_EQ(a[0][0], 0.0f);         // not painted: untouched
}

TEST(ColorToAltitude, ContoursSpreadBetweenThemselves)
{
    SetProgressHooks(SilentProgressHooks());
    const int W = 32, H = 16;
    VideoBuffer picture;
    ASSERT_EQ(picture.Create(W, H), 0);
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x)
            picture.SetPixel(x, y, 0xFFFFFFFF); // painted white: no entry, altitude 0
        picture.SetPixel(4, y, 0xFF0000FF);
        picture.SetPixel(20, y, 0xFFFF0000);
    }
    AltColorList list{Entry(0x0000FF, 100, 0, 0, AltColor::kContour), Entry(0xFF0000, 500, 0, 0, AltColor::kContour)};
    Grid2DPtr alt = Alloc2D(W, H, 4), rough = Alloc2D(W, H, 4);
    ASSERT_TRUE(ColorToAltitude(picture, list, *alt, *rough, 32));
    auto a = alt->Rows<float>();
    EXPECT_FLOAT_EQ(a[8][4], 100.0f);
    EXPECT_FLOAT_EQ(a[8][20], 500.0f);
    EXPECT_GT(a[8][12], 100.0f);
    EXPECT_LT(a[8][12], 500.0f);
}
