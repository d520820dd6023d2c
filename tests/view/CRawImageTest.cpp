#include "base/Progress.h"
#include "base/color/LightParms.h"
#include "base/raster/ImageCodecs.h"
#include "projection/ProjectionParms.h"
#include "shading/ShaderIds.h"
#include "shading/ShaderRegistry.h"
#include "view/CRawImage.h"
#include "world/SurfaceSampler.h"

#include "ViewFixtures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace kv;
namespace fs = std::filesystem;

namespace {

std::string TempPath(const std::string& name)
{
    fs::path dir = fs::temp_directory_path() / ("kv-rawimage-tests_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    return (dir / name).string();
}

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Progress hooks whose poll aborts once `abortAtStep` steps were taken.
int g_steps = 0;
int g_abortAtStep = -1;
ProgressHooks AbortingHooks()
{
    ProgressHooks hooks = SilentProgressHooks();
    hooks.step = [](double, double) {
        ++g_steps;
        return 0;
    };
    hooks.poll = []() {
        if (g_abortAtStep >= 0 && g_steps >= g_abortAtStep)
            g_abortValue = kAbortValue;
        return 0;
    };
    return hooks;
}

class RawImageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previousHooks = SetProgressHooks(AbortingHooks());
        g_steps = 0;
        g_abortAtStep = -1;
        GetShaderRegistry().Init(&doc.world, &light);
        // Scale 0.5: an Equirectangular map 2 x 1 in unit coordinates fills a 2:1 image.
        projection.SetScale(0.5);
        sampler = std::make_unique<SurfaceSampler>(&projection, &doc.world, &light, kShaderAltitude);
    }
    void TearDown() override
    {
        SetProgressHooks(previousHooks);
        ShaderRegistry::Destroy();
    }

    kvtest::TestViewDocument doc;
    ProjectionParms projection;
    LightParms light;
    std::unique_ptr<SurfaceSampler> sampler;
    ProgressHooks previousHooks{};
};

} // namespace

TEST_F(RawImageTest, ComputeGivesTheSamePixelsOnAnyNumberOfThreads)
{
    CRawImage reference(sampler.get());
    reference.SetDocument(&doc);
    reference.SetSize(96, 48);
    reference.SetThreads(1);
    ASSERT_EQ(reference.Compute(nullptr, true, false), 0);
    EXPECT_TRUE(reference.IsComputed());
    EXPECT_TRUE(reference.HasLand());
    EXPECT_EQ(g_steps, 3 * 48);

    for (int threads : {3, 0}) {
        CRawImage image(sampler.get());
        image.SetDocument(&doc);
        image.SetSize(96, 48);
        image.SetThreads(threads);
        ASSERT_EQ(image.Compute("Calculating", true, false), 0);
        const size_t bytes = image.ColorBuffer().RowBytes() * 48;
        EXPECT_EQ(std::memcmp(image.ColorBuffer().GetBits(), reference.ColorBuffer().GetBits(), bytes), 0) << threads;
        EXPECT_EQ(std::memcmp(image.MaskBuffer().GetBits(), reference.MaskBuffer().GetBits(), bytes), 0) << threads;
        EXPECT_EQ(Equal2D(image.Geo().altitude.get(), reference.Geo().altitude.get()), 1) << threads;
        EXPECT_EQ(image.Geo().minValue, reference.Geo().minValue);
        EXPECT_EQ(image.Geo().maxValue, reference.Geo().maxValue);
        EXPECT_EQ(image.HasLand(), reference.HasLand());
    }
    // A second run of the same image gives the same pixels again.
    std::vector<uint8_t> first(reference.ColorBuffer().GetBits(), reference.ColorBuffer().GetBits() + 96 * 48 * 4);
    ASSERT_EQ(reference.Compute(nullptr, true, false), 0);
    EXPECT_EQ(std::memcmp(first.data(), reference.ColorBuffer().GetBits(), first.size()), 0);

    // The shading pass is what brings relief: without it the colours differ somewhere.
    CRawImage flat(sampler.get());
    flat.SetSize(96, 48);
    ASSERT_EQ(flat.Compute(nullptr, false, false), 0);
    EXPECT_NE(std::memcmp(flat.ColorBuffer().GetBits(), reference.ColorBuffer().GetBits(), first.size()), 0);
}

// An image computed again at the same size keeps its buffers: what the earlier render
// left there (land where the new map has none) must not show through.
TEST_F(RawImageTest, AComputeAgainEqualsAFreshImage)
{
    ProjectionParms smaller;
    smaller.SetScale(2.0); // the map covers the middle of the image only
    CRawImage fresh(sampler.get());
    fresh.SetProjection(&smaller);
    fresh.SetSize(96, 48);
    ASSERT_EQ(fresh.Compute(nullptr, true, false), 0);

    for (int threads : {1, 0}) {
        CRawImage image(sampler.get());
        image.SetSize(96, 48);
        image.SetThreads(threads);
        ASSERT_EQ(image.Compute(nullptr, true, false), 0);
        image.SetProjection(&smaller);
        ASSERT_EQ(image.Compute(nullptr, true, false), 0);
        const size_t bytes = image.ColorBuffer().RowBytes() * 48;
        EXPECT_EQ(std::memcmp(image.ColorBuffer().GetBits(), fresh.ColorBuffer().GetBits(), bytes), 0) << threads;
        EXPECT_EQ(std::memcmp(image.MaskBuffer().GetBits(), fresh.MaskBuffer().GetBits(), bytes), 0) << threads;
        const GeoBuffers& a = image.Geo();
        const GeoBuffers& b = fresh.Geo();
        for (auto grid : {&GeoBuffers::altitude, &GeoBuffers::latitude, &GeoBuffers::longitude, &GeoBuffers::rawBasis,
                          &GeoBuffers::valid})
            EXPECT_EQ(Equal2D((a.*grid).get(), (b.*grid).get()), 1) << threads;
        EXPECT_EQ(a.minValue, b.minValue);
        EXPECT_EQ(a.maxValue, b.maxValue);
        EXPECT_EQ(image.HasLand(), fresh.HasLand());
    }
    // The smaller map leaves cells off it, so stale values would have been seen.
    const uint8_t* valid = fresh.Geo().valid->Row<uint8_t>(0);
    EXPECT_EQ(valid[0], 0);
}

TEST_F(RawImageTest, FailuresOfComputeAndAbort)
{
    CRawImage none;
    EXPECT_EQ(none.Compute(nullptr, false, false), -2);
    EXPECT_EQ(none.SaveBMP(TempPath("none.bmp"), false), -1);

    CRawImage huge(sampler.get());
    huge.SetSize(1 << 20, 1 << 20);
    EXPECT_EQ(huge.Compute(nullptr, false, false), -3);

    CRawImage image(sampler.get());
    image.SetSize(64, 32);
    g_abortAtStep = 5;
    EXPECT_EQ(image.Compute(nullptr, true, false), -1);
    EXPECT_FALSE(image.IsComputed());
    EXPECT_EQ(g_abortValue.load(), 0);
    // A save after an abort writes nothing.
    const std::string path = TempPath("aborted.bmp");
    fs::remove(path);
    EXPECT_EQ(image.SaveBMP(path, false), -1);
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(RawImageTest, SavedImagesReadBackUprightWithTheirColours)
{
    // A map that does not fill the image: at scale 1 it covers the middle half.
    ProjectionParms small;
    small.SetScale(1.0);
    SurfaceSampler smallSampler(&small, &doc.world, &light, kShaderAltitude);
    CRawImage image(&smallSampler);
    image.SetSize(64, 32);
    ASSERT_EQ(image.Compute(nullptr, true, false), 0);
    const VideoBuffer& colour = image.ColorBuffer();
    ASSERT_EQ(image.MaskBuffer().GetPixel(0, 0) & 0xFFFFFF, 0u);
    ASSERT_EQ(image.MaskBuffer().GetPixel(32, 16) & 0xFFFFFF, 0xFFFFFFu);

    // Names in capitals choose the same writers.
    const std::string png = TempPath("image.PNG"), bmp = TempPath("image.Bmp"), jpg = TempPath("image.JPEG");
    ASSERT_EQ(image.SaveByExtension(png, false), 0);
    ASSERT_EQ(image.SaveByExtension(bmp, false), 0);
    image.SetQuality(100);
    ASSERT_EQ(image.SaveByExtension(jpg, false), 0);

    VideoBuffer back;
    std::string error;
    ASSERT_EQ(ReadPngFile(png, back, error), 0) << error;
    ASSERT_EQ(back.GetWidth(), 64);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x) {
            const bool onMap = (image.MaskBuffer().GetPixel(x, y) & 0xFFFFFF) != 0;
            ASSERT_EQ(back.GetPixel(x, y), (colour.GetPixel(x, y) & 0xFFFFFF) | (onMap ? 0xFF000000u : 0u))
                << x << "," << y;
        }
    VideoBuffer bmpBack;
    ASSERT_EQ(ReadBmpFile(bmp, bmpBack, error), 0) << error;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x)
            ASSERT_EQ(bmpBack.GetPixel(x, y) & 0xFFFFFF, colour.GetPixel(x, y) & 0xFFFFFF);

    // The JPEG is lossy: every pixel near its colour, rows in order, red not swapped with blue.
    VideoBuffer jpgBack;
    ASSERT_EQ(ReadJpegFile(jpg, jpgBack, error), 0) << error;
    ASSERT_EQ(jpgBack.GetWidth(), 64);
    ASSERT_EQ(jpgBack.GetHeight(), 32);
    long total = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x)
            for (int shift = 0; shift < 24; shift += 8)
                total += std::abs(static_cast<int>((jpgBack.GetPixel(x, y) >> shift) & 0xFF) -
                                  static_cast<int>((colour.GetPixel(x, y) >> shift) & 0xFF));
    EXPECT_LT(total / (64 * 32 * 3), 6);

    // No extension or another one writes nothing.
    for (const char* name : {"noext", "image.tif", "image."}) {
        const std::string path = TempPath(name);
        fs::remove(path);
        EXPECT_EQ(image.SaveByExtension(path, false), -1) << name;
        EXPECT_FALSE(fs::exists(path)) << name;
    }
}

TEST_F(RawImageTest, JpegIsComputedWithoutTheShadingPassBmpWith)
{
    CRawImage jpegFirst(sampler.get()), bmpFirst(sampler.get()), flat(sampler.get()), shaded(sampler.get());
    for (CRawImage* image : {&jpegFirst, &bmpFirst, &flat, &shaded})
        image->SetSize(32, 16);
    ASSERT_EQ(flat.Compute(nullptr, false, false), 0);
    ASSERT_EQ(shaded.Compute(nullptr, true, false), 0);
    ASSERT_EQ(jpegFirst.SaveJPEG(TempPath("first.jpg"), false), 0);
    ASSERT_EQ(bmpFirst.SaveBMP(TempPath("first.bmp"), false), 0);
    const size_t bytes = 32 * 16 * 4;
    EXPECT_EQ(std::memcmp(jpegFirst.ColorBuffer().GetBits(), flat.ColorBuffer().GetBits(), bytes), 0);
    EXPECT_EQ(std::memcmp(bmpFirst.ColorBuffer().GetBits(), shaded.ColorBuffer().GetBits(), bytes), 0);
}

TEST_F(RawImageTest, MdrHeaderAndRowsBottomFirst)
{
    CRawImage image(sampler.get());
    image.SetSize(20, 10);
    const std::string path = TempPath("raster.mdr");
    ASSERT_EQ(image.SaveMDR(path), 0);
    const std::vector<uint8_t> bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), 1024u + 20 * 10 * 4);
    EXPECT_EQ(std::memcmp(bytes.data(), "CRVL", 4), 0);
    auto i32 = [&](size_t at) {
        return static_cast<int32_t>(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
                                    static_cast<uint32_t>(bytes[at + 3]) << 24);
    };
    auto f64 = [&](size_t at) {
        uint64_t u = 0;
        for (int i = 7; i >= 0; --i)
            u = u << 8 | bytes[at + i];
        double d;
        std::memcpy(&d, &u, 8);
        return d;
    };
    EXPECT_EQ(i32(4), 1024);
    const double doubles[] = {0.0, 1.0, 0.0, 1.0, 0.0, 1.0, 1.0 / 20, -1.0 / 10};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(f64(264 + 8 * i), doubles[i]) << i;
    EXPECT_EQ(i32(360), 20);
    EXPECT_EQ(i32(364), 10);
    EXPECT_EQ(i32(332), 0);
    for (size_t at = 8; at < 264; ++at)
        ASSERT_EQ(bytes[at], 0) << at;
    // The first row in the file is the bottom row of the image.
    for (int row = 0; row < 10; ++row)
        for (int x = 0; x < 20; ++x) {
            float v;
            uint32_t u = static_cast<uint32_t>(i32(1024 + (static_cast<size_t>(row) * 20 + x) * 4));
            std::memcpy(&v, &u, 4);
            ASSERT_EQ(v, image.Geo().altitude->Row<float>(9 - row)[x]) << row << "," << x;
        }
}

TEST_F(RawImageTest, FailedSavesLeaveTheEarlierFile)
{
    CRawImage image(sampler.get());
    image.SetSize(32, 16);
    ASSERT_EQ(image.Compute(nullptr, true, false), 0);
    const std::string missing = TempPath("no-such-folder/x");
    EXPECT_EQ(image.SaveBMP(missing + ".bmp", false), -1);
    EXPECT_EQ(image.SavePNG(missing + ".png", false), -1);
    EXPECT_EQ(image.SaveJPEG(missing + ".jpg", false), -1);
    EXPECT_EQ(image.SaveMDR(missing + ".mdr"), -2);

    // An MDR save aborted after some rows reports failure and keeps the earlier file.
    const std::string path = TempPath("kept.mdr");
    {
        std::ofstream out(path, std::ios::binary);
        out << "earlier";
    }
    g_steps = 0;
    g_abortAtStep = 3;
    EXPECT_EQ(image.SaveMDR(path), -3);
    EXPECT_EQ(ReadBytes(path), std::vector<uint8_t>({'e', 'a', 'r', 'l', 'i', 'e', 'r'}));
    for (const auto& entry : fs::directory_iterator(fs::path(path).parent_path()))
        EXPECT_EQ(entry.path().filename().string().find("kept.mdr.tmp"), std::string::npos);
}

TEST_F(RawImageTest, RiversAlwaysGridsOnRequestUnderTheirAltitudeLimit)
{
    doc.rivers = true;
    doc.entries = {{true, 0x0000FF, 1e9}, {false, 0x00FF00, 1e9}, {true, 0xFF0000, -1e9}};
    CRawImage image(sampler.get());
    image.SetDocument(&doc);
    image.SetSize(32, 16);
    ASSERT_EQ(image.Compute(nullptr, false, false), 0);
    EXPECT_EQ(doc.riverWidth, 32);
    EXPECT_EQ(image.ColorBuffer().GetPixel(2, 5) & 0xFFFFFF, 0x204080u);
    EXPECT_TRUE(doc.gridOrder.empty());

    ASSERT_EQ(image.Compute(nullptr, false, true), 0);
    // Enabled grids from the last to the first; grid 2's limit lies below every value.
    EXPECT_EQ(doc.gridOrder, std::vector<int>({2, 0}));
    EXPECT_EQ(image.ColorBuffer().GetPixel(1, 7) & 0xFFFFFF, 0x0000FFu);
    EXPECT_NE(image.ColorBuffer().GetPixel(3, 7) & 0xFFFFFF, 0xFF0000u);
}

TEST_F(RawImageTest, ColorFromGeoCopiesTheEdges)
{
    CRawImage image(sampler.get());
    EXPECT_EQ(image.ColorFromGeo(true), -1);
    image.SetSize(24, 12);
    ASSERT_EQ(image.Compute(nullptr, false, false), 0);
    image.ColorBuffer().Clear(0);
    ASSERT_EQ(image.ColorFromGeo(true), 0);
    const VideoBuffer& c = image.ColorBuffer();
    for (int y = 0; y < 12; ++y) {
        EXPECT_EQ(c.GetPixel(0, y), c.GetPixel(1, y));
        EXPECT_EQ(c.GetPixel(23, y), c.GetPixel(22, y));
    }
    for (int x = 0; x < 24; ++x)
        EXPECT_EQ(c.GetPixel(x, 11), c.GetPixel(x, 10));
    EXPECT_NE(c.GetPixel(5, 5), 0u);

    // The rows shaded on one core are those shaded on all.
    CRawImage one(sampler.get());
    one.SetSize(24, 12);
    one.SetThreads(1);
    ASSERT_EQ(one.Compute(nullptr, false, false), 0);
    one.ColorBuffer().Clear(0);
    ASSERT_EQ(one.ColorFromGeo(true), 0);
    EXPECT_EQ(std::memcmp(one.ColorBuffer().GetBits(), c.GetBits(), c.RowBytes() * 12), 0);
}
