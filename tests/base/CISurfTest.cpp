#include "base/layers/CISurf.h"

#include "platform/Archive.h"

#include "ArchiveBytes.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <vector>
#include <unistd.h>

namespace fs = std::filesystem;
using kv::CISurf;
using kv::GeoBounds;
using kv::RasterWindow;

namespace {

std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes)
{
    fs::path dir = fs::temp_directory_path() / ("kv_cisurf_test_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    fs::path p = dir / name;
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return p.string();
}

std::vector<uint8_t> FloatsLE(const std::vector<float>& v)
{
    std::vector<uint8_t> b(v.size() * 4);
    std::memcpy(b.data(), v.data(), b.size());
    return b;
}

// A float raster of w x h samples (row-major, no header) over the rectangle
// west 0, south 0, east 1, north 1: latitude 1 is row 0, longitude 0 column 0.
CISurf FloatSurface(const std::string& name, int w, int h, const std::vector<float>& values)
{
    CISurf s;
    s.SetFileName(WriteFile(name, FloatsLE(values)));
    s.SetSampleType(CISurf::kFloat32);
    s.SetSampleSize(4);
    s.SetRowStride(4 * w);
    s.SetRasterWindow({0, 0, w, h});
    s.SetBounds({0.0, 0.0, 1.0, 1.0});
    return s;
}

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A BMP file: `pixels` are (blue, green, red) triples in stored row order.
std::vector<uint8_t> Bitmap(int width, int height, int bitCount, uint32_t compression,
                            const std::vector<uint8_t>& pixels)
{
    std::vector<uint8_t> b(54, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 10, 54);
    Put32(b, 14, 40);
    Put32(b, 18, static_cast<uint32_t>(width));
    Put32(b, 22, static_cast<uint32_t>(height));
    b[26] = 1;
    b[28] = static_cast<uint8_t>(bitCount);
    Put32(b, 30, compression);
    b.insert(b.end(), pixels.begin(), pixels.end());
    Put32(b, 2, static_cast<uint32_t>(b.size()));
    return b;
}

} // namespace

TEST(CISurf, ReadsEverySampleTypeAndByteOrder)
{
    struct Case { int type, size; bool big; std::vector<uint8_t> bytes; float expect; };
    float f = 1.5f;
    uint8_t le[4];
    std::memcpy(le, &f, 4);
    const Case cases[] = {
        {CISurf::kUnsigned, 2, true, {0x01, 0x02}, 258.0f},
        {CISurf::kUnsigned, 2, false, {0x01, 0x02}, 513.0f},
        {CISurf::kUnsigned, 1, false, {0xFF}, 255.0f},
        {CISurf::kUnsigned, 4, false, {0xFF, 0xFF, 0xFF, 0xFF}, 4294967295.0f},
        {CISurf::kSigned, 1, false, {0xFF}, -1.0f},
        {CISurf::kSigned, 2, false, {0xFE, 0xFF}, -2.0f},
        {CISurf::kSigned, 4, true, {0xFF, 0xFF, 0xFF, 0xFE}, -2.0f},
        {CISurf::kFloat32, 4, false, {le[0], le[1], le[2], le[3]}, 1.5f},
        {CISurf::kFloat32, 4, true, {le[3], le[2], le[1], le[0]}, 1.5f},
        {CISurf::kSigned, 3, false, {0x01, 0x02, 0x03}, 0.0f}, // no such integer width
    };
    int n = 0;
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = {0xAA, 0xBB, 0xCC}; // a 3-byte header before the sample
        bytes.insert(bytes.end(), c.bytes.begin(), c.bytes.end());
        CISurf s;
        s.SetFileName(WriteFile("type" + std::to_string(n++) + ".bin", bytes));
        s.SetSampleType(c.type);
        s.SetSampleSize(c.size);
        s.SetBigEndian(c.big);
        s.SetHeaderOffset(3);
        s.SetNoData(false, 0, 0);
        ASSERT_EQ(s.MapFile(), 0);
        EXPECT_FLOAT_EQ(s.SampleValue(0.5, 0.5), c.expect) << "type " << c.type << " size " << c.size;
        s.SetScaleOffset(2.0f, 10.0f);
        EXPECT_FLOAT_EQ(s.SampleValue(0.5, 0.5), c.expect * 2.0f + 10.0f);
    }
}

TEST(CISurf, BilinearReplacesNoDataSamples)
{
    CISurf s = FloatSurface("nodata.bin", 2, 2, {-9999.0f, 100.0f, 100.0f, 100.0f});
    ASSERT_EQ(s.MapFile(), 0);
    EXPECT_FLOAT_EQ(s.SampleValue(0.5, 0.5), 75.0f);
    s.SetScaleOffset(2.0f, 1.0f);
    EXPECT_FLOAT_EQ(s.SampleValue(0.5, 0.5), 151.0f);
    // Without the check the raw sample takes part.
    s.SetNoData(false, -9999.0f, 0.0f);
    EXPECT_FLOAT_EQ(s.SampleValue(0.5, 0.5), ((-9999.0f + 100.0f) / 2 + 100.0f) / 2 * 2.0f + 1.0f);
}

namespace {
std::vector<float> LinearRaster()
{
    std::vector<float> v; // v = 10 col + row on a 4 x 4 raster
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            v.push_back(10.0f * c + r);
    return v;
}

double Kernel(double p0, double p1, double p2, double p3, double t)
{
    return p1 + t * (0.5 * p2 - 0.5 * p0) + t * t * (p0 - 2.5 * p1 + 2 * p2 - 0.5 * p3)
           + t * t * t * (-0.5 * p0 + 1.5 * p1 - 1.5 * p2 + 0.5 * p3);
}
} // namespace

TEST(CISurf, CubicSamplingFollowsTheKernelAndStopsAtNoData)
{
    CISurf s = FloatSurface("cubic.bin", 4, 4, LinearRaster());
    s.SetBounds({0.0, 0.0, 3.0, 3.0}); // column = longitude, row = 3 - latitude
    s.SetBilinear(false);
    s.SetScaleOffset(3.0f, 7.0f);
    ASSERT_EQ(s.MapFile(), 0);
    float col, row;
    ASSERT_TRUE(s.LatLonToGrid(1.75, 1.5, col, row));
    EXPECT_FLOAT_EQ(col, 1.5f);
    EXPECT_FLOAT_EQ(row, 1.25f);
    // The kernel reproduces linear data where all 16 samples are real.
    EXPECT_NEAR(s.SampleValue(1.75, 1.5), (15.0f + 1.25f) * 3.0f + 7.0f, 1e-3);

    std::vector<float> v = LinearRaster();
    v[1 * 4 + 2] = -9999.0f; // column 2, row 1
    CISurf n = FloatSurface("cubic-nodata.bin", 4, 4, v);
    n.SetBounds({0.0, 0.0, 3.0, 3.0});
    n.SetBilinear(false);
    n.SetNoData(true, -9999.0f, 5.0f);
    n.SetScaleOffset(3.0f, 7.0f);
    ASSERT_EQ(n.MapFile(), 0);
    // The point's own sample is no data: the no-data result comes back without scale and offset.
    EXPECT_FLOAT_EQ(n.SampleValue(1.5, 2.5), 5.0f);
    // A neighbour that is no data is replaced by the no-data result before interpolating.
    double rows[4];
    for (int r = 0; r < 4; ++r) {
        double p[4];
        for (int c = 0; c < 4; ++c)
            p[c] = (c == 2 && r == 1) ? 5.0 : 10.0 * c + r;
        rows[r] = Kernel(p[0], p[1], p[2], p[3], 0.5);
    }
    EXPECT_NEAR(n.SampleValue(1.75, 1.5), Kernel(rows[0], rows[1], rows[2], rows[3], 0.25) * 3 + 7, 1e-3);
}

TEST(CISurf, NeighboursStayInsideAWindowThatDoesNotStartAtTheOrigin)
{
    // The window is columns 2..3 and rows 1..2 of the 4 x 4 raster.
    CISurf s = FloatSurface("window.bin", 4, 4, LinearRaster());
    s.SetRasterWindow({2, 1, 2, 2});
    s.SetBilinear(false);
    ASSERT_EQ(s.MapFile(), 0);
    // Centre: columns {2, 2, 3, 3}, rows {1, 1, 2, 2}; the symmetric kernel gives 25 and 1.5.
    EXPECT_NEAR(s.SampleValue(0.5, 0.5), 26.5, 1e-4);
    // Column 2.25: values 20, 20, 30, 30 at t = 0.25.
    EXPECT_NEAR(s.SampleValue(0.5, 0.25), Kernel(20, 20, 30, 30, 0.25) + 1.5, 1e-4);
    // Wrapping within the window: columns {3, 2, 3, 2}.
    s.SetWrapColumns(true);
    EXPECT_NEAR(s.SampleValue(0.5, 0.25), Kernel(30, 20, 30, 20, 0.25) + 1.5, 1e-4);
}

TEST(CISurf, LongitudeSegmentsAcrossTheDateLine)
{
    CISurf s;
    s.SetRasterWindow({0, 0, 21, 11});
    s.SetBounds({190.0, -10.0, 170.0, 10.0}); // given east first: stored in order
    EXPECT_EQ(s.GetBounds(), (GeoBounds{170.0, -10.0, 190.0, 10.0}));
    float col, row;
    ASSERT_TRUE(s.LatLonToGrid(0.0, -175.0, col, row)); // second segment: 10 columns after the first 10
    EXPECT_FLOAT_EQ(col, 15.0f);
    EXPECT_FLOAT_EQ(row, 5.0f);
    ASSERT_TRUE(s.LatLonToGrid(0.0, 175.0, col, row));
    EXPECT_FLOAT_EQ(col, 5.0f);
    ASSERT_TRUE(s.LatLonToGrid(0.0, 185.0, col, row)); // the same point as -175
    EXPECT_FLOAT_EQ(col, 15.0f);
    EXPECT_FALSE(s.LatLonToGrid(0.0, 0.0, col, row));

    // The northern bound is row window y; beyond it nothing.
    s.SetRasterWindow({3, 4, 21, 11});
    ASSERT_TRUE(s.LatLonToGrid(10.0, 175.0, col, row));
    EXPECT_FLOAT_EQ(row, 4.0f);
    EXPECT_FLOAT_EQ(col, 8.0f);
    EXPECT_FALSE(s.LatLonToGrid(11.0, 175.0, col, row));
    EXPECT_FALSE(s.LatLonToGrid(std::nan(""), 175.0, col, row));
}

TEST(CISurf, OutsideAndDegenerateRectanglesGiveTheNoDataResult)
{
    CISurf s = FloatSurface("degenerate.bin", 2, 2, {1, 2, 3, 4});
    s.SetNoData(true, -9999.0f, -7.0f);
    ASSERT_EQ(s.MapFile(), 0);
    EXPECT_FLOAT_EQ(s.SampleValue(2.0, 0.5), -7.0f); // one degree north of the rectangle
    const GeoBounds flat[] = {{0.5, 0.0, 0.5, 1.0}, {0.0, 0.5, 1.0, 0.5}, {0.0, 1.0, 1.0, 0.0}};
    for (const GeoBounds& b : flat) {
        s.SetBounds(b);
        float col, row;
        EXPECT_FALSE(s.LatLonToGrid(0.5, 0.5, col, row));
        EXPECT_FLOAT_EQ(s.SampleValue(0.5, 0.5), -7.0f);
    }
    CISurf unmapped;
    EXPECT_FLOAT_EQ(unmapped.SampleValue(0.5, 0.5), 0.0f);
    EXPECT_EQ(unmapped.SampleColor(0.5, 0.5), 0u);
    EXPECT_EQ(unmapped.UnmapFile(), -1);
}

TEST(CISurf, MapFileRefusesFilesThatDoNotHoldTheirRaster)
{
    const std::vector<uint8_t> sixteen(16, 0);
    struct Case { const char* what; int header, stride, size; RasterWindow window; int expect; };
    const Case cases[] = {
        {"fits exactly", 0, 8, 4, {0, 0, 2, 2}, 0},
        {"header pushes the last sample out", 1, 8, 4, {0, 0, 2, 2}, CISurf::kMapFileTooShort},
        {"header beyond the end", 17, 8, 4, {0, 0, 1, 1}, CISurf::kMapFileTooShort},
        {"negative header", -4, 8, 4, {0, 0, 1, 1}, CISurf::kMapFileTooShort},
        {"stride too long", 0, 9, 4, {0, 0, 2, 2}, CISurf::kMapFileTooShort},
        {"window origin past the data", 0, 8, 4, {1, 1, 2, 2}, CISurf::kMapFileTooShort},
        {"negative window", 0, 8, 4, {-1, 0, 2, 2}, CISurf::kMapFileTooShort},
        {"empty window", 0, 8, 4, {0, 0, 0, 2}, CISurf::kMapFileTooShort},
        {"huge window", 0, 8, 4, {0, 0, 2147483647, 2147483647}, CISurf::kMapFileTooShort},
        {"negative stride", 0, -8, 4, {0, 0, 2, 2}, CISurf::kMapFileTooShort},
    };
    const std::string path = WriteFile("sixteen.bin", sixteen);
    for (const Case& c : cases) {
        CISurf s;
        s.SetFileName(path);
        s.SetHeaderOffset(c.header);
        s.SetRowStride(c.stride);
        s.SetSampleSize(c.size);
        s.SetRasterWindow(c.window);
        EXPECT_EQ(s.MapFile(), c.expect) << c.what;
        EXPECT_EQ(s.IsMapped(), c.expect == 0) << c.what;
    }
    CISurf missing;
    missing.SetFileName(WriteFile("empty.bin", {}));
    EXPECT_EQ(missing.MapFile(), CISurf::kMapCannotMapFile);
    missing.SetFileName("/nonexistent/kv/raster.bin");
    EXPECT_EQ(missing.MapFile(), CISurf::kMapCannotMapFile);
}

TEST(CISurf, LayoutChangedAfterMappingIsCheckedBeforeReading)
{
    CISurf s = FloatSurface("relayout.bin", 2, 2, {1, 2, 3, 4});
    s.SetNoData(true, -9999.0f, -7.0f);
    ASSERT_EQ(s.MapFile(), 0);
    EXPECT_FLOAT_EQ(s.SampleValue(1.0, 0.0), 1.0f);
    s.SetRasterWindow({0, 0, 2000, 2000});
    EXPECT_FLOAT_EQ(s.SampleValue(1.0, 0.0), -7.0f);
    s.SetRasterWindow({0, 0, 2, 2});
    s.SetRowStride(1 << 30);
    EXPECT_FLOAT_EQ(s.SampleValue(0.0, 0.0), -7.0f);
    s.SetRowStride(8);
    EXPECT_FLOAT_EQ(s.SampleValue(0.0, 1.0), 4.0f);
}

TEST(CISurf, BitmapSurfaceSamplesColours)
{
    // 3 x 2 pixels, rows padded to 12 bytes; the first stored row lies at the northern bound.
    const std::vector<uint8_t> pixels = {
        10, 20, 30, 40, 50, 60, 70, 80, 90, 0, 0, 0,     // stored row 0
        100, 110, 120, 130, 140, 150, 160, 170, 180, 0, 0, 0, // stored row 1
    };
    CISurf s;
    s.SetFileName(WriteFile("colour.bmp", Bitmap(3, 2, 24, 0, pixels)));
    s.SetSampleType(CISurf::kBitmap24);
    s.SetBounds({0.0, 0.0, 2.0, 1.0});
    ASSERT_EQ(s.MapFile(), 0);
    EXPECT_EQ(s.GetRasterWindow(), (RasterWindow{0, 0, 3, 2}));
    EXPECT_EQ(s.GetRowStride(), 12);
    EXPECT_EQ(s.GetSampleSize(), 3);
    EXPECT_EQ(s.SampleColor(1.0, 0.0), 0x0A141Eu); // red 30, green 20, blue 10
    EXPECT_EQ(s.SampleColor(0.0, 2.0), 0xA0AAB4u);
    // Bilinear between columns 0 and 1 of the northern row, and down to the middle.
    EXPECT_EQ(s.SampleColor(1.0, 0.5), 0x19232Du);   // (30+60)/2=45, (20+50)/2=35, (10+40)/2=25
    EXPECT_EQ(s.SampleColor(0.5, 0.5), 0x46505Au);   // halfway to the southern row: 90, 80, 70
    EXPECT_EQ(s.SampleColor(5.0, 0.5), 0u);
    // Cubic: at a pixel centre the kernel returns the pixel itself.
    s.SetBilinear(false);
    EXPECT_EQ(s.SampleColor(0.0, 1.0), 0x828C96u);
    // Halfway along the northern row the columns are {0, 0, 1, 2}: red 30, 30, 60, 90 gives 43.125,
    // green 33.125, blue 23.125.
    EXPECT_EQ(s.SampleColor(1.0, 0.5), 0x17212Bu);
}

TEST(CISurf, BadBitmapsAreRefusedAndLeaveTheSurfaceUnmapped)
{
    const std::vector<uint8_t> row(12, 7);
    std::vector<uint8_t> twoRows = row;
    twoRows.insert(twoRows.end(), row.begin(), row.end());
    std::vector<uint8_t> notBM = Bitmap(3, 2, 24, 0, twoRows);
    notBM[0] = 'X';
    std::vector<uint8_t> random(300);
    uint32_t x = 12345;
    for (auto& b : random)
        b = static_cast<uint8_t>((x = x * 1103515245u + 12345u) >> 24);
    std::vector<uint8_t> headerOnly = Bitmap(3, 2, 24, 0, {});
    headerOnly.resize(40);
    struct Case { const char* what; std::vector<uint8_t> bytes; int expect; };
    const Case cases[] = {
        {"8 bits per pixel", Bitmap(3, 2, 8, 0, twoRows), CISurf::kMapNotBitmap24},
        {"compressed", Bitmap(3, 2, 24, 1, twoRows), CISurf::kMapNotBitmap24},
        {"top-down rows", Bitmap(3, -2, 24, 0, twoRows), CISurf::kMapNotBitmap24},
        {"zero width", Bitmap(0, 2, 24, 0, twoRows), CISurf::kMapNotBitmap24},
        {"no signature", notBM, CISurf::kMapNotBitmap24},
        {"header only", headerOnly, CISurf::kMapNotBitmap24},
        {"pixels cut short", Bitmap(3, 2, 24, 0, row), CISurf::kMapFileTooShort},
        {"height larger than the file", Bitmap(3, 200000, 24, 0, twoRows), CISurf::kMapFileTooShort},
        {"random bytes", random, CISurf::kMapNotBitmap24},
        {"complete", Bitmap(3, 2, 24, 0, twoRows), CISurf::kMapOk},
    };
    int n = 0;
    for (const Case& c : cases) {
        CISurf s;
        s.SetFileName(WriteFile("bad" + std::to_string(n++) + ".bmp", c.bytes));
        s.SetSampleType(CISurf::kBitmap24);
        EXPECT_EQ(s.MapFile(), c.expect) << c.what;
        EXPECT_EQ(s.IsMapped(), c.expect == 0) << c.what;
        EXPECT_EQ(s.SampleColor(0.5, 0.5), c.expect == 0 ? 0x070707u : 0u) << c.what;
    }
}

TEST(CISurf, ArchiveRecordLayoutAndVersions)
{
    CISurf s;
    s.SetFileName("a.bin");
    s.SetBounds({-10.0, -20.0, 30.0, 40.0});
    s.SetSampleType(CISurf::kUnsigned);
    s.SetRasterWindow({1, 2, 3, 4});
    s.SetHeaderOffset(5);
    s.SetRowStride(6);
    s.SetSampleSize(2);
    s.SetScaleOffset(2.0f, 0.5f);
    s.SetBigEndian(true);
    s.SetBilinear(false);
    std::vector<uint8_t> rec;
    {
        kv::CArchive ar(rec, kv::CArchive::store);
        s.Serialize(ar);
    }
    ASSERT_EQ(rec.size(), 90u);
    auto i32 = [&](size_t at) { int32_t v; std::memcpy(&v, &rec[at], 4); return v; };
    auto f64 = [&](size_t at) { double v; std::memcpy(&v, &rec[at], 8); return v; };
    auto f32 = [&](size_t at) { float v; std::memcpy(&v, &rec[at], 4); return v; };
    EXPECT_EQ(i32(0), 258);
    EXPECT_EQ(rec[4], 5);
    EXPECT_EQ(std::string(rec.begin() + 5, rec.begin() + 10), "a.bin");
    EXPECT_EQ(f64(10), -10.0); // west, south, east, north
    EXPECT_EQ(f64(18), -20.0);
    EXPECT_EQ(f64(26), 30.0);
    EXPECT_EQ(f64(34), 40.0);
    const int32_t ints[] = {2, 1, 2, 3, 4, 5, 6, 2}; // type, window x, y, w, h, header, stride, size
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(i32(42 + 4 * k), ints[k]) << k;
    EXPECT_EQ(f32(74), 0.5f);
    EXPECT_EQ(f32(78), 2.0f);
    EXPECT_EQ(i32(82), 1);
    EXPECT_EQ(i32(86), 0);

    // Round trip.
    CISurf t;
    {
        kv::CArchive ar(rec, kv::CArchive::load);
        t.Serialize(ar);
    }
    EXPECT_EQ(t.GetFileName(), "a.bin");
    EXPECT_EQ(t.GetBounds(), s.GetBounds());
    EXPECT_EQ(t.GetRasterWindow(), s.GetRasterWindow());
    EXPECT_EQ(t.GetSampleType(), 2);
    EXPECT_EQ(t.GetHeaderOffset(), 5);
    EXPECT_EQ(t.GetRowStride(), 6);
    EXPECT_EQ(t.GetSampleSize(), 2);
    EXPECT_EQ(t.GetScale(), 2.0f);
    EXPECT_EQ(t.GetOffset(), 0.5f);
    EXPECT_TRUE(t.GetBigEndian());
    EXPECT_FALSE(t.GetBilinear());

    // Older versions stop earlier and keep what they do not hold.
    struct Case { int32_t version; size_t length; bool big, bilinear; };
    const Case cases[] = {{257, 86, true, true}, {256, 82, false, true}, {255, 4, false, true}};
    for (const Case& c : cases) {
        std::vector<uint8_t> old(rec.begin(), rec.begin() + static_cast<long>(c.length));
        std::memcpy(old.data(), &c.version, 4);
        CISurf u; // big-endian false, bilinear true
        kv::CArchive ar(old, kv::CArchive::load);
        u.Serialize(ar);
        EXPECT_EQ(ar.Remaining(), 0u) << c.version;
        EXPECT_EQ(u.GetBigEndian(), c.big) << c.version;
        EXPECT_EQ(u.GetBilinear(), c.bilinear) << c.version;
        EXPECT_EQ(u.GetFileName(), c.version >= 256 ? "a.bin" : "") << c.version;
    }

    // West and east stored the wrong way round are exchanged on loading.
    std::vector<uint8_t> swapped = rec;
    const double w = 50.0;
    std::memcpy(&swapped[10], &w, 8);
    CISurf v;
    {
        kv::CArchive ar(swapped, kv::CArchive::load);
        v.Serialize(ar);
    }
    EXPECT_EQ(v.GetBounds(), (GeoBounds{30.0, -20.0, 50.0, 40.0}));

    // A short record raises the archive error and changes nothing.
    std::vector<uint8_t> cut(rec.begin(), rec.begin() + 60);
    CISurf x;
    kv::CArchive ar(cut, kv::CArchive::load);
    EXPECT_THROW(x.Serialize(ar), kv::CArchiveException);
    EXPECT_EQ(x.GetFileName(), "");
    EXPECT_EQ(x.GetRasterWindow(), RasterWindow{});
}

TEST(CISurf, ArchivedWindowOfExtremeSizeIsRefusedWhenMapped)
{
    // The window sides come from the archive unchecked; the longitude mapping must not
    // overflow on them, and mapping the file refuses a window the file cannot hold.
    CISurf s = FloatSurface("extreme.bin", 2, 2, {1, 2, 3, 4});
    for (int32_t width : {INT32_MIN, -1, 0, INT32_MAX}) {
        std::vector<uint8_t> rec = StoreBytes(s);
        std::memcpy(&rec[rec.size() - 36], &width, 4); // width, height, header, stride, size, 2 floats, 2 flags
        CISurf t;
        LoadBytes(t, rec);
        EXPECT_EQ(t.GetRasterWindow().width, width);
        EXPECT_EQ(t.MapFile(), CISurf::kMapFileTooShort) << width;
        EXPECT_EQ(t.SampleValue(0.5, 0.5), 0.0f) << width;
    }
}

TEST(CISurf, CopiesAreUnmapped)
{
    CISurf s = FloatSurface("copy.bin", 2, 2, {1, 2, 3, 4});
    ASSERT_EQ(s.MapFile(), 0);
    CISurf c(s);
    EXPECT_FALSE(c.IsMapped());
    CISurf d;
    d = s;
    EXPECT_FALSE(d.IsMapped());
    EXPECT_TRUE(s.IsMapped());
    ASSERT_EQ(d.MapFile(), 0);
    EXPECT_FLOAT_EQ(d.SampleValue(0.5, 0.5), s.SampleValue(0.5, 0.5));
    EXPECT_FLOAT_EQ(d.SampleValue(0.5, 0.5), 2.5f);
    EXPECT_EQ(s.UnmapFile(), 0);
    EXPECT_FALSE(s.IsMapped());
}
