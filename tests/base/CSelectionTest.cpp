#include "base/layers/CSelection.h"

#include "platform/Archive.h"
#include "base/raster/Canvas.h"
#include "base/grid/GridFilters.h"
#include "base/raster/VideoBuffer.h"
#include "base/ViewHooks.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <vector>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace kv;

namespace {

// Mask cells row by row (row 0 first) as a flat vector.
std::vector<uint8_t> Bytes(const CSelection& s)
{
    const Grid2D* g = s.Cells();
    if (!g)
        return {};
    const uint8_t* p = g->DataAs<uint8_t>();
    return std::vector<uint8_t>(p, p + g->CellCount());
}

void SetBytes(CSelection& s, const std::vector<uint8_t>& v)
{
    std::memcpy(s.Cells()->Data(), v.data(), v.size());
}

CSelection Mask(int w, int h, const std::vector<uint8_t>& v = {})
{
    CSelection s;
    EXPECT_EQ(s.Create(w, h), 0);
    if (!v.empty())
        SetBytes(s, v);
    return s;
}

fs::path TempPath(const std::string& name)
{
    fs::path dir = fs::temp_directory_path() / ("kv_selection_test_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    return dir / name;
}

struct RecordingViewHooks : ViewHooks {
    std::vector<std::string> calls;
    const CSelection* watched = nullptr;
    int StopActiveViewRender() override
    {
        // The mask must still be the old one while the render worker is being stopped.
        calls.push_back("stop " + std::to_string(watched ? watched->GetAt(0, 0) : -1));
        return 0;
    }
    int UpdateActiveDocViews(int hint) override
    {
        calls.push_back("hint " + std::to_string(hint) + " " + std::to_string(watched ? watched->GetAt(0, 0) : -1));
        return 0;
    }
};

} // namespace

TEST(CSelection, CreateChecksTheSidesAndKeepsTheOldMaskOnRefusal)
{
    CSelection s;
    EXPECT_EQ(s.GetWidth(), -1);
    EXPECT_EQ(s.GetHeight(), -1);
    struct Case { int w, h, expect; };
    const Case cases[] = {{-1, 5, -1}, {5, -1, -1}, {25000, 1, -2}, {1, 25000, -2}, {24999, 1, 0}, {0, 3, 0}, {6, 4, 0}};
    for (const Case& c : cases) {
        const int oldW = s.GetWidth();
        EXPECT_EQ(s.Create(c.w, c.h), c.expect) << c.w << "x" << c.h;
        EXPECT_EQ(s.GetWidth(), c.expect == 0 ? c.w : oldW);
    }
    EXPECT_EQ(Bytes(s), std::vector<uint8_t>(24, 0));
    // A new mask hides the old selection and offers it back.
    s.SetAt(1, 1, 9);
    EXPECT_TRUE(s.IsActive());
    EXPECT_EQ(s.Create(3, 3), 0);
    EXPECT_FALSE(s.IsActive());
    EXPECT_TRUE(s.CanReselect());
    s.Free();
    EXPECT_EQ(s.GetWidth(), -1);
    EXPECT_FALSE(s.AnySelected());
}

TEST(CSelection, WeightsFollowTheActiveFlag)
{
    CSelection s = Mask(4, 3);
    s.SetAt(2, 1, 51);
    s.SetAt(9, 9, 255); // outside: ignored
    EXPECT_TRUE(s.IsActive());
    EXPECT_DOUBLE_EQ(s.GetWeightOrOne(2, 1), 51 / 255.0);
    EXPECT_DOUBLE_EQ(s.GetWeightOrOne(0, 0), 0.0);
    EXPECT_DOUBLE_EQ(s.GetWeightOrOne(-1, 0), 1.0);
    EXPECT_DOUBLE_EQ(s.GetWeightOrOne(4, 0), 1.0);
    EXPECT_EQ(s.GetAtIfActive(2, 1), 51);
    EXPECT_EQ(s.GetAtIfActive(2, 3), 0);

    EXPECT_TRUE(s.Deselect());
    EXPECT_TRUE(s.CanReselect());
    EXPECT_DOUBLE_EQ(s.GetWeightOrOne(2, 1), 1.0);
    EXPECT_DOUBLE_EQ(s.GetWeightOrOne(0, 0), 1.0);
    EXPECT_EQ(s.GetAtIfActive(2, 1), 0);
    EXPECT_EQ(s.GetAt(2, 1), 51);
    s.Reselect();
    EXPECT_TRUE(s.IsActive());
    EXPECT_FALSE(s.CanReselect());
    EXPECT_DOUBLE_EQ(s.GetWeightOrOne(2, 1), 51 / 255.0);
    // Setting a zero never clears active.
    s.SetAt(2, 1, 0);
    EXPECT_TRUE(s.IsActive());
    s.Reselect(); // nothing selected any more
    EXPECT_FALSE(s.IsActive());
    s.SetActive(true);
    EXPECT_TRUE(s.IsActive());
    EXPECT_FALSE(s.CanReselect());
}

TEST(CSelection, CopyTakesTheSourcesActiveFlagForBoth)
{
    CSelection a = Mask(3, 2, {1, 2, 3, 4, 5, 6});
    a.SetActive(true);
    a.Deselect(); // active false, reselect true
    CSelection b = Mask(5, 5);
    b = a;
    EXPECT_EQ(Bytes(b), Bytes(a));
    EXPECT_FALSE(b.IsActive());
    EXPECT_FALSE(b.CanReselect()); // the source's active flag, not its reselect flag
    a.SetActive(true);
    CSelection c(a);
    EXPECT_TRUE(c.IsActive());
    EXPECT_TRUE(c.CanReselect());
    // Copying from a selection without a mask only changes the flags.
    CSelection none;
    c = none;
    EXPECT_EQ(c.GetWidth(), 3);
    EXPECT_FALSE(c.IsActive());
}

TEST(CSelection, WholeMaskOperationsAndTheirFlags)
{
    CSelection s = Mask(4, 2, std::vector<uint8_t>(8, 128));
    s.SetActive(true);
    s.Invert();
    EXPECT_EQ(Bytes(s), std::vector<uint8_t>(8, 127));
    EXPECT_FALSE(s.IsActive()); // no cell at 128 or more
    s.SetAt(0, 0, 200);
    s.Binarize(128);
    EXPECT_EQ(Bytes(s), (std::vector<uint8_t>{255, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(s.IsActive());
    s.SelectAll();
    EXPECT_EQ(Bytes(s), std::vector<uint8_t>(8, 255));
    EXPECT_TRUE(s.IsActive());
    s.Fill(7);
    EXPECT_EQ(Bytes(s), std::vector<uint8_t>(8, 7));
    EXPECT_FALSE(s.IsActive());
    EXPECT_TRUE(s.AnySelected());
    // Feather only acts on an active selection.
    s.Feather(1.0f);
    EXPECT_EQ(Bytes(s), std::vector<uint8_t>(8, 7));
    s.SetAt(0, 0, 255);
    std::vector<uint8_t> before = Bytes(s);
    s.Feather(1.0f);
    EXPECT_NE(Bytes(s), before);
    EXPECT_TRUE(s.IsActive());
    EXPECT_FALSE(s.CanReselect());
}

TEST(CSelection, ExpandWrapsColumnsButNotRows)
{
    CSelection s = Mask(6, 4);
    s.SetAt(0, 0, 255);
    s.Expand(1);
    const std::vector<uint8_t> expect = {255, 255, 0, 0, 0, 255,  // row 0
                                         255, 255, 0, 0, 0, 255,  // row 1
                                         0, 0, 0, 0, 0, 0,        // rows 2, 3: no wrap to the top row
                                         0, 0, 0, 0, 0, 0};
    EXPECT_EQ(Bytes(s), expect);
    s.Expand(0);
    EXPECT_EQ(Bytes(s), expect);
    s.Contract(1);
    // The minimum of every neighbourhood: only cell (0, 0) sees the block all round, as its
    // row -1 is row 0 again and its columns are 5, 0, 1.
    std::vector<uint8_t> corner(24, 0);
    corner[0] = 255;
    EXPECT_EQ(Bytes(s), corner);
    EXPECT_TRUE(s.IsActive());
    s.SelectAll();
    s.Contract(3);
    EXPECT_EQ(Bytes(s), std::vector<uint8_t>(24, 255)); // rows clamp, columns wrap: nothing is an edge
}

TEST(CSelection, BorderMarksTheBandBesideTheEdge)
{
    // Columns 0..7 selected, 8..15 not. Neighbourhood sums of 3 are found at column 8 and,
    // through the wrap, at column 15; a width of 0 leaves the blur out.
    std::vector<uint8_t> v;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 16; ++c)
            v.push_back(c < 8 ? 200 : 10);
    CSelection s = Mask(16, 4, v);
    s.Border(0);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 16; ++c)
            ASSERT_EQ(s.GetAt(c, r), (c == 8 || c == 15) ? 255 : 0) << c << "," << r;
    EXPECT_TRUE(s.IsActive());
    s.Border(10); // blurred and thresholded: the band widens
    EXPECT_EQ(s.GetAt(9, 0), 255);

    CSelection all = Mask(5, 5);
    all.SelectAll();
    all.Border(3);
    EXPECT_FALSE(all.AnySelected());
    EXPECT_FALSE(all.IsActive());
}

TEST(CSelection, SelectRangeTestsAndCombines)
{
    Grid2DPtr values = Alloc2D(5, 1, sizeof(float));
    const float vals[5] = {0, 1, 2, 3, 4};
    std::memcpy(values->Data(), vals, sizeof vals);
    const std::vector<uint8_t> old = {255, 0, 255, 0, 100};
    struct Case { int mode; std::vector<uint8_t> expect; };
    const Case cases[] = {
        {0x00, {0, 255, 255, 255, 0}},   // between 1 and 3
        {0x10, {255, 0, 0, 0, 255}},     // not between
        {0x20, {0, 0, 255, 255, 255}},   // above low (1); high unused
        {0x30, {255, 0, 0, 0, 0}},       // below low
        {0x40, {0, 0, 0, 0, 0}},         // no test: never
        {0x21, {255, 0, 255, 255, 255}}, // above, maximum: only adds
        {0x22, {0, 0, 255, 0, 100}},     // above, minimum
        {0x23, {0, 0, 255, 0, 0}},       // both at least 128
        {0x24, {255, 0, 0, 255, 255}},   // exactly one
    };
    for (const Case& c : cases) {
        CSelection s = Mask(5, 1, old);
        EXPECT_EQ(s.SelectRange(*values, 1.0f, 3.0f, c.mode), 0);
        EXPECT_EQ(Bytes(s), c.expect) << std::hex << c.mode;
        EXPECT_EQ(s.IsActive(), s.AnySelected());
    }
    CSelection s = Mask(4, 1, {1, 2, 3, 4});
    EXPECT_EQ(s.SelectRange(*values, 0, 1, 0), CSelection::kGridMismatch);
    EXPECT_EQ(Bytes(s), (std::vector<uint8_t>{1, 2, 3, 4}));
}

TEST(CSelection, DistanceFillSweepsBothWays)
{
    Grid2DPtr values = Alloc2D(8, 1, sizeof(float));
    values->DataAs<float>()[3] = 42.0f;
    CSelection s = Mask(8, 1, {0, 255, 255, 255, 255, 255, 255, 255});
    float maximum = -1;
    EXPECT_EQ(s.DistanceFill(*values, &maximum, 0.0f), CSelection::kNotActive);
    EXPECT_EQ(values->DataAs<float>()[3], 42.0f);
    EXPECT_EQ(maximum, -1);

    s.SetActive(true);
    ASSERT_EQ(s.DistanceFill(*values, &maximum, 0.0f), 0);
    // One row reads itself above and below. Forward: 1 2 3 4 5 6 7 2 (column 7 sees column 0
    // through the wrap); backward from the right: 2, 3, 4, 5 then 4, 3, 2; column 0 is reset.
    const float expect[8] = {0, 2, 3, 4, 5, 4, 3, 2};
    for (int c = 0; c < 8; ++c)
        EXPECT_FLOAT_EQ(values->DataAs<float>()[c], expect[c]) << c;
    EXPECT_FLOAT_EQ(maximum, 5.0f);
    EXPECT_TRUE(s.IsActive());
    EXPECT_EQ(s.GetAt(0, 0), 0); // the mask itself is untouched

    // Diagonal steps cost sqrt(2): a selected block with one unselected corner cell.
    CSelection d = Mask(3, 3, {0, 255, 255, 255, 255, 255, 255, 255, 255});
    d.SetActive(true);
    Grid2DPtr g = Alloc2D(3, 3, sizeof(float));
    ASSERT_EQ(d.DistanceFill(*g, nullptr, 0.0f), 0);
    EXPECT_FLOAT_EQ(g->Rows<float>()[1][1], 1.0f + 1.4142135f);
    EXPECT_FLOAT_EQ(g->Rows<float>()[0][1], 2.0f);

    // With a blur the unselected cells still end at 0.
    Grid2DPtr b = Alloc2D(8, 1, sizeof(float));
    ASSERT_EQ(s.DistanceFill(*b, &maximum, 1.0f), 0);
    EXPECT_EQ(b->DataAs<float>()[0], 0.0f);
    EXPECT_LT(maximum, 5.0f);
    Grid2DPtr wrong = Alloc2D(7, 1, sizeof(float));
    EXPECT_EQ(s.DistanceFill(*wrong, nullptr, 0.0f), CSelection::kGridMismatch);
}

TEST(CSelection, SampleAtInterpolatesBetweenCells)
{
    CSelection s = Mask(3, 3); // columns at -180, 0, 180; rows at -90, 0, 90
    s.SetAt(1, 0, 100);
    s.SetAt(1, 1, 200);
    EXPECT_EQ(s.SampleAt(-90.0, -90.0), 50);
    EXPECT_EQ(s.SampleAt(-45.0, 0.0), 150);
    EXPECT_EQ(s.SampleAt(-45.0, -90.0), 75);
    float col, row;
    s.LatLonToCell(45.0, 90.0, col, row);
    EXPECT_FLOAT_EQ(col, 1.5f);
    EXPECT_FLOAT_EQ(row, 1.5f);
    // Off the globe the edge cells answer.
    EXPECT_EQ(s.SampleAt(-500.0, 0.0), 100);
    EXPECT_EQ(s.SampleAt(std::nan(""), 1e300), 0);
    EXPECT_EQ(CSelection().SampleAt(0, 0), 0);
}

TEST(CSelection, OutlinesAreThinnedToTheirLimit)
{
    CSelection s = Mask(360, 180);
    // Steps of 1 degree: latitude 0 is row 90, longitude 0 column 180.
    std::vector<GeoPoint> square = {{0, 0}, {0, 90}, {45, 90}, {45, 0}};
    EXPECT_EQ(s.OutlinePixels(square, 1),
              (CPointList{{180, 90}, {270, 90}, {270, 135}, {180, 135}}));
    CPointList two = s.OutlinePixels({{0, 0}, {0, 90}}, 2);
    EXPECT_EQ(two, (CPointList{{180, 90}, {225, 90}, {270, 90}, {225, 90}}));

    std::vector<GeoPoint> many(100000);
    for (size_t i = 0; i < many.size(); ++i) {
        const double a = 2 * M_PI * static_cast<double>(i) / static_cast<double>(many.size());
        many[i] = {30 * std::sin(a), 60 * std::cos(a)};
    }
    EXPECT_EQ(s.OutlinePixels(many, 10).size(), 23810u); // every 42nd point: 2381 edges
    EXPECT_EQ(s.OutlinePixels(many, 0).size(), 0u);
    EXPECT_EQ(s.OutlinePixels({}, 4).size(), 0u);
}

TEST(CSelection, PolygonFillUsesTheEvenOddRuleAndCombines)
{
    // A 10 x 10 square with a 4 x 4 hole, traced as one outline.
    const CPointList ring = {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}, {3, 3}, {3, 7}, {7, 7}, {7, 3}, {3, 3}};
    CSelection s = Mask(12, 12);
    s.FillPolygon(ring, 0.5f, 0, 0.0f);
    EXPECT_TRUE(s.IsActive());
    EXPECT_EQ(s.GetAt(1, 5), 127);  // trunc(0.5 x 255)
    EXPECT_EQ(s.GetAt(5, 5), 0);    // the hole
    EXPECT_EQ(s.GetAt(11, 11), 0);

    struct Case { int mode; float value; uint8_t inside, outside; };
    const Case cases[] = {
        {0, 1.0f, 255, 0},    // replace: outside becomes 0 as well
        {1, 0.2f, 100, 100},  // maximum with the old 100 (level 51)
        {2, 1.0f, 0, 100},    // minimum with a white background: removes inside only
        {2, 0.2f, 100, 100},  // removing 0.2 leaves min(100, 204)
        {3, 1.0f, 0, 0},      // old 100 is below 128
        {4, 1.0f, 255, 0},    // exactly one at least 128
        {7, 2.0f, 255, 0},    // any other mode replaces; the level is clamped
    };
    const CPointList box = {{2, 2}, {6, 2}, {6, 5}, {2, 5}};
    for (const Case& c : cases) {
        CSelection m = Mask(8, 8, std::vector<uint8_t>(64, 100));
        m.FillPolygon(box, c.value, c.mode, 0.0f);
        EXPECT_EQ(m.GetAt(2, 2), c.inside) << c.mode;
        EXPECT_EQ(m.GetAt(5, 4), c.inside) << c.mode;
        EXPECT_EQ(m.GetAt(6, 4), c.outside) << c.mode; // right edge is outside
        EXPECT_EQ(m.GetAt(2, 5), c.outside) << c.mode; // bottom edge is outside
        EXPECT_TRUE(m.IsActive());
    }
    // Fewer than three points change nothing.
    CSelection m = Mask(8, 8, std::vector<uint8_t>(64, 100));
    m.FillPolygon({{0, 0}, {5, 5}}, 1.0f, 0, 0.0f);
    EXPECT_EQ(Bytes(m), std::vector<uint8_t>(64, 100));
    EXPECT_FALSE(m.IsActive());
}

TEST(CSelection, PolygonFeatherPicksItsBlurs)
{
    const CPointList box = {{4, 4}, {14, 4}, {14, 12}, {4, 12}};
    CSelection raw = Mask(20, 16);
    raw.FillPolygon(box, 1.0f, 0, 0.0f);
    struct Case { float feather; std::vector<float> sigmas; };
    const Case cases[] = {{0.8f, {0.8f}}, {1.2f, {0.6f}}, {2.1f, {2.1f * 0.33333334f, 2.1f * 0.33333334f, 2.1f * 0.33333334f}}};
    for (const Case& c : cases) {
        Grid2DPtr expect = Clone2D(raw.Cells());
        for (float sigma : c.sigmas)
            GaussianBlurBytes(*expect, sigma);
        CSelection s = Mask(20, 16);
        s.FillPolygon(box, 1.0f, 0, c.feather);
        EXPECT_EQ(Equal2D(s.Cells(), expect.get()), 1) << c.feather;
    }
}

TEST(CSelection, LargeMasksFillInBandsLikeOneDrawing)
{
    const int w = 8192, h = 1200; // three bands
    const CPointList star = {{100, 50}, {8000, 600}, {200, 1150}, {4000, -30}, {7000, 1190}};
    CSelection s = Mask(w, h);
    s.FillPolygon(star, 1.0f, 0, 0.0f);
    VideoBuffer whole(w, h);
    Canvas& canvas = *whole.GetDC();
    canvas.SelectPen(Pen::Null());
    canvas.SelectBrush(Brush::Solid(0xFFFFFF));
    canvas.Polygon(star);
    size_t differ = 0, filled = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t want = static_cast<uint8_t>(whole.GetPixel(x, y) & 0xFF);
            differ += s.GetAt(x, y) != want;
            filled += want != 0;
        }
    EXPECT_EQ(differ, 0u);
    EXPECT_GT(filled, 1000000u);
}

TEST(CSelection, FillPolygonsMapsLatitudeLongitude)
{
    CSelection s = Mask(360, 180);
    s.FillPolygons({{0, 0}, {0, 90}, {45, 90}, {45, 0}}, 1.0f, 0, 4);
    EXPECT_EQ(s.GetAt(200, 100), 255); // latitude 10, longitude 20
    EXPECT_EQ(s.GetAt(100, 100), 0);
    EXPECT_TRUE(s.IsActive());
    CSelection none = Mask(360, 180);
    none.FillPolygons({}, 1.0f, 0, 4);
    none.FillPolygons({{0, 0}, {0, 90}, {45, 90}}, 1.0f, 0, 0);
    EXPECT_FALSE(none.AnySelected());
}

TEST(CSelection, ImagesRoundTripAndRescale)
{
    std::vector<uint8_t> v(37 * 23);
    for (size_t i = 0; i < v.size(); ++i)
        v[i] = static_cast<uint8_t>(i * 7919 % 256);
    CSelection s = Mask(37, 23, v);
    const fs::path file = TempPath("mask.png"); // written as BMP whatever the name says
    std::ofstream(file) << "an older file";
    ASSERT_EQ(s.SaveImage(file.string()), 0);
    std::ifstream in(file, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    ASSERT_EQ(bytes.size(), 54u + 37 * 23 * 4);
    EXPECT_EQ(bytes[0], 'B');
    // The first stored row is the bottom of the picture: mask row 0 (south).
    EXPECT_EQ(bytes[54], v[0]);
    EXPECT_EQ(bytes[54 + 4 * 36 + 2], v[36]);

    CSelection back = Mask(37, 23);
    back.SetActive(true);
    ASSERT_EQ(back.LoadImage(file.string(), 0), 0);
    EXPECT_EQ(Bytes(back), v);
    EXPECT_TRUE(back.IsActive());
    EXPECT_FALSE(back.CanReselect());

    // Combined by the low nibble of the mode: maximum with a mask of 100s.
    CSelection hundred = Mask(37, 23, std::vector<uint8_t>(37 * 23, 100));
    ASSERT_EQ(hundred.LoadImage(file.string(), 0x31), 0);
    for (size_t i = 0; i < v.size(); ++i)
        ASSERT_EQ(Bytes(hundred)[i], std::max<uint8_t>(v[i], 100)) << i;

    // Another size: a fully selected 4 x 2 image gives a fully selected 9 x 5 mask, edges included.
    CSelection small = Mask(4, 2);
    small.SelectAll();
    const fs::path smallFile = TempPath("small.bmp");
    ASSERT_EQ(small.SaveImage(smallFile.string()), 0);
    CSelection big = Mask(9, 5);
    ASSERT_EQ(big.LoadImage(smallFile.string(), 0), 0);
    EXPECT_EQ(Bytes(big), std::vector<uint8_t>(45, 255));

    // A mask too small for a bitmap, and a folder that does not exist.
    EXPECT_EQ(Mask(3, 1).SaveImage(TempPath("tiny.bmp").string()), CSelection::kImageError);
    EXPECT_LT(s.SaveImage((TempPath("none") / "x" / "m.bmp").string()), 0);
}

TEST(CSelection, GreyLevelsComeFromIntegerWeights)
{
    VideoBuffer image(4, 2);
    image.Clear(0x00C83264); // red 100, green 50, blue 200
    image.SetPixel(0, 1, 0x00010101);
    const fs::path file = TempPath("colour.bmp");
    ASSERT_EQ(image.SaveBMP(file.string()), 0);
    CSelection s = Mask(4, 2);
    ASSERT_EQ(s.LoadImage(file.string(), 0), 0);
    EXPECT_EQ(s.GetAt(1, 1), (11 * 200 + 59 * 50 + 30 * 100) / 100); // 81
    EXPECT_EQ(s.GetAt(0, 0), 1); // image row 1 is mask row 0; grey 1 stays 1
}

TEST(CSelection, UnreadableImagesChangeNothing)
{
    std::vector<uint8_t> bmp(54 + 32, 0);
    bmp[0] = 'B';
    bmp[1] = 'M';
    auto put32 = [&](size_t at, uint32_t x) { for (int i = 0; i < 4; ++i) bmp[at + i] = static_cast<uint8_t>(x >> (8 * i)); };
    put32(10, 54);
    put32(14, 40);
    put32(18, 4);
    put32(22, 2);
    bmp[26] = 1;
    bmp[28] = 32;
    struct Case { const char* name; std::vector<uint8_t> bytes; };
    std::vector<uint8_t> cut(bmp.begin(), bmp.begin() + 60);
    std::vector<uint8_t> negative = bmp;
    negative[25] = 0xFF, negative[24] = 0xFF, negative[23] = 0xFF, negative[22] = 0x00; // height -256
    std::vector<uint8_t> compressed = bmp;
    compressed[30] = 1;
    std::vector<uint8_t> random(500);
    for (size_t i = 0; i < random.size(); ++i)
        random[i] = static_cast<uint8_t>((i * 2654435761u) >> 13);
    const Case cases[] = {{"cut.bmp", cut}, {"neg.bmp", negative}, {"rle.bmp", compressed}, {"rand.bmp", random}};
    for (const Case& c : cases) {
        const fs::path p = TempPath(c.name);
        std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(c.bytes.data()), static_cast<std::streamsize>(c.bytes.size()));
        CSelection s = Mask(4, 2, {1, 2, 3, 4, 5, 6, 7, 8});
        s.SetActive(true);
        EXPECT_EQ(s.LoadImage(p.string(), 0), CSelection::kImageError) << c.name;
        EXPECT_EQ(Bytes(s), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));
        EXPECT_TRUE(s.IsActive());
        EXPECT_FALSE(s.CanReselect());
    }
    CSelection s = Mask(4, 2);
    EXPECT_EQ(s.LoadImage("/nonexistent/kv/mask.bmp", 0), CSelection::kImageError);
}

TEST(CSelection, UndoRestoresTheMaskBehindAStoppedRender)
{
    RecordingViewHooks hooks;
    ViewHooks* old = SetViewHooks(&hooks);
    CSelection s = Mask(3, 2, {10, 0, 0, 0, 0, 0});
    s.SetActive(true);
    hooks.watched = &s;

    UndoList list;
    ASSERT_TRUE(list.Add(&s, "Select All", 0, 0));
    s.SelectAll();
    ASSERT_TRUE(list.Undo());
    EXPECT_EQ(Bytes(s), (std::vector<uint8_t>{10, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(s.IsActive());
    EXPECT_TRUE(s.CanReselect()); // both flags take the saved active flag
    EXPECT_EQ(hooks.calls, (std::vector<std::string>{"stop 255", "hint 8 10"}));
    ASSERT_TRUE(list.Redo());
    EXPECT_EQ(Bytes(s), std::vector<uint8_t>(6, 255));

    // A record of another size, or of another kind, is refused without touching anything.
    hooks.calls.clear();
    std::unique_ptr<UndoData> saved;
    ASSERT_TRUE(s.CreateUndoData(0, 0, saved));
    ASSERT_EQ(s.Create(4, 2), 0);
    EXPECT_FALSE(s.RestoreUndoData(*saved));
    struct OtherData : UndoData {};
    OtherData other;
    EXPECT_FALSE(s.RestoreUndoData(other));
    EXPECT_TRUE(hooks.calls.empty());
    SetViewHooks(old);
}

TEST(CPointList, ArchiveLayoutAndBadCounts)
{
    CPointList pts = {{1, -2}, {300000, 4}};
    std::vector<uint8_t> rec;
    {
        CArchive ar(rec, CArchive::store);
        pts.Serialize(ar);
    }
    const std::vector<uint8_t> expect = {2, 0, 1, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF, 0xE0, 0x93, 0x04, 0, 4, 0, 0, 0};
    EXPECT_EQ(rec, expect);
    CPointList back;
    {
        CArchive ar(rec, CArchive::load);
        back.Serialize(ar);
    }
    EXPECT_EQ(back, pts);

    // From 0xFFFF points on, the count is escaped into 32 bits.
    CPointList many(70000, CanvasPoint{3, 5});
    std::vector<uint8_t> big;
    {
        CArchive ar(big, CArchive::store);
        many.Serialize(ar);
    }
    ASSERT_EQ(big.size(), 2u + 4u + 70000u * 8u);
    EXPECT_EQ(big[0], 0xFF);
    EXPECT_EQ(big[1], 0xFF);
    CPointList manyBack;
    {
        CArchive ar(big, CArchive::load);
        manyBack.Serialize(ar);
    }
    EXPECT_EQ(manyBack, many);

    // A count larger than the record is refused before anything is allocated.
    std::vector<uint8_t> lying = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3};
    CPointList kept = {{7, 7}};
    CArchive ar(lying, CArchive::load);
    EXPECT_THROW(kept.Serialize(ar), CArchiveException);
    EXPECT_EQ(kept, (CPointList{{7, 7}}));
}
