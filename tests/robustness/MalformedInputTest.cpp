// Mutated copies of valid records, texts, rasters and image files through every reader of
// outside input. Each reader must refuse a damaged input with its error or load something
// usable; none may crash or read outside what it was given (the sanitizer build checks the
// latter on every case). The seeds come from the program's own writers or the image
// libraries' encoders; the mutations are seeded, so every run sees the same cases.
#include "ArchiveBytes.h"
#include "platform/Archive.h"
#include "projection/MapProject.h"
#include "projection/ProjectionRegistry.h"
#include "base/color/CColorList.h"
#include "base/layers/CISurf.h"
#include "base/layers/CSelection.h"
#include "base/text/CTokenizer.h"
#include "base/color/ClimateParms.h"
#include "base/raster/ImageCodecs.h"
#include "base/layers/ImageOverlay.h"
#include "base/color/LightParms.h"
#include "base/raster/VideoBuffer.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>
#include <unistd.h>

using namespace kv;
namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

namespace {

constexpr int kCases = 300;

// One folder per test process, removed when the process ends.
struct ScratchDir {
    fs::path path = fs::temp_directory_path() / ("kv_malformed_" + std::to_string(getpid()));
    ScratchDir() { fs::create_directories(path); }
    ~ScratchDir()
    {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

std::string PathOf(const std::string& name)
{
    static ScratchDir dir;
    return (dir.path / name).string();
}

std::string WriteFile(const std::string& name, const Bytes& bytes)
{
    const std::string path = PathOf(name);
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(bytes.data()),
                                                                    static_cast<std::streamsize>(bytes.size()));
    return path;
}

Bytes ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

Bytes FromText(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

// Applies one to four random edits to a seed: bit flips, boundary bytes, 32-bit length and
// count fields set to boundary values, insertions, deletions, repeats, texts that readers
// treat specially (quotes, comments, overflowing numbers) and truncation.
class Mutator {
public:
    explicit Mutator(uint32_t seed) : m_rng(seed) {}

    Bytes operator()(Bytes b)
    {
        const int edits = 1 + static_cast<int>(Below(4));
        for (int i = 0; i < edits; ++i)
            Edit(b);
        return b;
    }

private:
    size_t Below(size_t n) { return n ? m_rng() % n : 0; }

    void Edit(Bytes& b)
    {
        static const uint8_t kBytes[] = {0x00, 0x01, 0x7F, 0x80, 0xFE, 0xFF, '\n', '"', '(', '-', '9'};
        static const uint32_t kWords[] = {0, 1, 0xFF, 0xFFFF, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFFFu, 0x10000,
                                          0x7F7FFFFF /* largest float */, 0x7F800000 /* infinity */,
                                          0x7FC00000 /* NaN */};
        const size_t at = Below(b.size() + 1);
        switch (Below(b.empty() ? 1 : 8)) {
        case 0: { // insert random bytes
            Bytes junk(1 + Below(16));
            for (uint8_t& c : junk)
                c = static_cast<uint8_t>(m_rng());
            b.insert(b.begin() + static_cast<long>(at), junk.begin(), junk.end());
            break;
        }
        case 1:
            b[Below(b.size())] ^= static_cast<uint8_t>(1u << Below(8));
            break;
        case 2:
            b[Below(b.size())] = kBytes[Below(std::size(kBytes))];
            break;
        case 3: { // a boundary value over any 4 bytes
            if (b.size() < 4)
                break;
            const uint32_t w = kWords[Below(std::size(kWords))];
            const size_t p = Below(b.size() - 3);
            for (int k = 0; k < 4; ++k)
                b[p + k] = static_cast<uint8_t>(w >> (8 * k));
            break;
        }
        case 4: // delete a run
            b.erase(b.begin() + static_cast<long>(std::min(at, b.size() - 1)),
                    b.begin() + static_cast<long>(std::min(b.size(), at + 1 + Below(32))));
            break;
        case 5: { // repeat a run
            const size_t from = Below(b.size()), n = std::min<size_t>(1 + Below(64), b.size() - from);
            const Bytes run(b.begin() + static_cast<long>(from), b.begin() + static_cast<long>(from + n));
            b.insert(b.begin() + static_cast<long>(at), run.begin(), run.end());
            break;
        }
        case 6: { // a text that readers treat specially
            static const char* const kTexts[] = {"e400", "*1e308*10", "\"", "'", "//", "(((", ",", "\r\n", "-"};
            const std::string t = kTexts[Below(std::size(kTexts))];
            b.insert(b.begin() + static_cast<long>(at), t.begin(), t.end());
            break;
        }
        default:
            b.resize(Below(b.size()));
            break;
        }
    }

    std::mt19937 m_rng;
};

// Runs `check` on kCases mutations of each seed.
void ForMutations(const std::vector<Bytes>& seeds, uint32_t seed, const std::function<void(const Bytes&)>& check)
{
    Mutator mutate(seed);
    for (int i = 0; i < kCases; ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        check(mutate(seeds[static_cast<size_t>(i) % seeds.size()]));
    }
}

// Loads an archived object from bytes: true when it loaded, false when the archive error
// was raised (any other exception fails the test).
template <typename T> bool TryLoad(T& object, const Bytes& bytes)
{
    try {
        LoadBytes(object, bytes);
        return true;
    } catch (const CArchiveException&) {
        return false;
    }
}

// A colour list that differs from the defaults in every part.
CColorList SampleList()
{
    CColorList list;
    list.FillSpectrum(0.1, 0.9, 5);
    list.SetExponent(1.7);
    list.SetInterpolation(1);
    list.Stop(2).SetName("mid \"stop\"");
    return list;
}

} // namespace

// ---- archive records ----

TEST(MalformedInput, ColourListRecordsLoadOrLeaveTheListAsItWas)
{
    CColorList seedList = SampleList();
    ForMutations({StoreBytes(seedList)}, 1, [&](const Bytes& bytes) {
        CColorList list;
        list.ResetBlackWhite();
        const CColorList before = list;
        if (!TryLoad(list, bytes)) {
            EXPECT_TRUE(list.Equals(before));
            return;
        }
        for (int k = 0; k <= 8; ++k)
            list.Interpolate(k / 8.0);
        CColorList again;
        ASSERT_TRUE(TryLoad(again, StoreBytes(list)));
        EXPECT_TRUE(again.Equals(list));
    });
}

TEST(MalformedInput, ClimateRecordsLoadOrLeaveTheParametersAsTheyWere)
{
    ClimateParms seedParms;
    seedParms.SetModelDouble(2, 0.75);
    ForMutations({StoreBytes(seedParms)}, 2, [&](const Bytes& bytes) {
        ClimateParms parms;
        const ClimateParms before = parms;
        if (!TryLoad(parms, bytes)) {
            EXPECT_TRUE(parms.Equals(before));
            return;
        }
        double rainfall, kelvin;
        int cls;
        for (int k = 0; k < 5; ++k) {
            parms.EvaluateClimate(-90 + 45 * k, -180 + 90 * k, -4000 + 2500 * k, rainfall, kelvin, cls, 0, 0, 0, -1,
                                  0, 0, 0);
            parms.ClimateColor(cls);
            parms.TemperatureColor(kelvin);
            parms.RainfallColor(rainfall);
        }
    });
}

TEST(MalformedInput, OverlayListRecordsLoadOrFail)
{
    ImageOverlayList seedList;
    seedList.AddNamed("one", 6, 4, true)->Fill(0x80FF0000u);
    ImageOverlay* two = seedList.AddNamed("two", 3, 5, true);
    two->Fill(0xFF00FF00u);
    two->mode = kOverlaySoftRange;
    two->west = -30;
    two->east = 40;
    ForMutations({StoreBytes(seedList)}, 3, [&](const Bytes& bytes) {
        ImageOverlayList list;
        TryLoad(list, bytes);
        std::lock_guard<std::recursive_mutex> lock(OverlayLock());
        for (int i = 0; i < list.Count(); ++i) {
            const ImageOverlay& o = *list.At(i);
            if (o.HasPixels()) {
                EXPECT_EQ(static_cast<int>(o.pixels->Width()), o.width);
                EXPECT_EQ(static_cast<int>(o.pixels->Height()), o.height);
            }
        }
        for (int k = 0; k < 25; ++k)
            list.CompositeAt(-90 + 45 * (k / 5), -180 + 90 * (k % 5), -2000.0 + 1000 * (k % 5), k, k);
    });
}

// ---- imported rasters: the record and the mapped file ----

TEST(MalformedInput, ImportedSurfacesMapOrRefuseTheirFiles)
{
    // A 6 x 4 raster of 16-bit big-endian samples after a 10-byte header, and a bitmap.
    Bytes raster(10 + 6 * 4 * 2);
    for (size_t i = 0; i < raster.size(); ++i)
        raster[i] = static_cast<uint8_t>(i * 37);
    CISurf ints;
    ints.SetSampleType(CISurf::kSigned);
    ints.SetSampleSize(2);
    ints.SetBigEndian(true);
    ints.SetHeaderOffset(10);
    ints.SetRowStride(12);
    ints.SetRasterWindow({0, 0, 6, 4});
    ints.SetBounds({-40.0, -20.0, 60.0, 30.0});
    VideoBuffer picture;
    ASSERT_EQ(picture.Create(5, 3, 24), 0);
    ASSERT_EQ(picture.SaveBMP(PathOf("surface-seed.bmp")), 0);
    CISurf colours = ints;
    colours.SetSampleType(CISurf::kBitmap24);
    colours.SetBounds({170.0, -20.0, -170.0, 30.0}); // across the 180th meridian
    colours.SetBilinear(false);

    const std::vector<Bytes> rasters = {raster, ReadFile(PathOf("surface-seed.bmp"))};
    const std::vector<Bytes> records = {StoreBytes(ints), StoreBytes(colours)};
    Mutator mutateRaster(4);
    ForMutations(records, 5, [&](const Bytes& record) {
        CISurf s;
        TryLoad(s, record);
        const size_t kind = s.GetSampleType() == CISurf::kBitmap24 ? 1 : 0;
        s.SetFileName(WriteFile("surface.raw", mutateRaster(rasters[kind])));
        const int mapped = s.MapFile();
        EXPECT_EQ(s.IsMapped(), mapped == CISurf::kMapOk);
        for (int k = 0; k < 36; ++k) {
            s.SampleValue(-30 + 12 * (k / 6), -180 + 72 * (k % 6));
            s.SampleColor(-30 + 12 * (k / 6), -180 + 72 * (k % 6));
        }
        // A record that loaded writes the same record back.
        CISurf again;
        ASSERT_TRUE(TryLoad(again, StoreBytes(s)));
        EXPECT_EQ(again.GetRasterWindow(), s.GetRasterWindow());
        EXPECT_EQ(again.GetFileName(), s.GetFileName());
    });
}

// ---- text blocks ----

namespace {

// Reads every block of a file with `read` and returns the text the reader's object writes.
template <typename T> std::string ReadAndWrite(const Bytes& text, T& object, int* result = nullptr)
{
    CTokenizer tokenizer;
    EXPECT_EQ(tokenizer.Open(WriteFile("block.txt", text), false), 0);
    const int r = object.ReadText(tokenizer);
    if (result)
        *result = r;
    const std::string out = PathOf("block-out.txt");
    std::FILE* f = std::fopen(out.c_str(), "wb");
    EXPECT_EQ(object.WriteText(f, tokenizer), 0);
    std::fclose(f);
    const Bytes written = ReadFile(out);
    return std::string(written.begin(), written.end());
}

} // namespace

TEST(MalformedInput, TextBlocksReadAndWriteBackWhatTheyRead)
{
    // Whatever a damaged block yields, writing it out and reading that back gives the same.
    CColorList colours = SampleList();
    const std::string colourText = ReadAndWrite(Bytes{}, colours);
    ForMutations({FromText(colourText)}, 6, [&](const Bytes& text) {
        CColorList list;
        int result = 0;
        const std::string written = ReadAndWrite(text, list, &result);
        EXPECT_TRUE(result == 0 || result == -1);
        CColorList reread;
        EXPECT_EQ(ReadAndWrite(FromText(written), reread, &result), written);
        EXPECT_EQ(result, 0);
    });

    LightParms seedLight;
    const std::string lightText = ReadAndWrite(FromText("LightParmsEnd\n"), seedLight);
    ForMutations({FromText(lightText)}, 7, [&](const Bytes& text) {
        LightParms light;
        int result = 0;
        const std::string written = ReadAndWrite(text, light, &result);
        EXPECT_TRUE(result == 0 || result == -1);
        light.UpdateLight(-1000, 0, 1000);
        for (int k = 0; k < 6; ++k)
            light.AltitudeColor(-3000 + 1200 * k);
        LightParms reread;
        EXPECT_EQ(ReadAndWrite(FromText(written), reread, &result), written);
        EXPECT_EQ(result, 0);
    });
}

TEST(MalformedInput, CompositeDefinitionsRegisterWhatIsValid)
{
    const std::string definitions = R"(Projection 100, "Lobes"
Description "Two lobes"
Extent -2, 1, 2, -1
Segment Sinusoidal, 0, -90, 0, 0, 1, 50, 10
Offset -1, 0
Effective -180, 90, 0, -90
Exclude 1 1 0 0 0.5
EndSegment
Segment Sinusoidal 0 90 0 0 1 50 10
Offset 1 0
Scale 2 2
Rotate 90
Exclude 2 0  0.5 0  1.5 0  1.5 1  0.5 1
EndSegment
EndProjection
Projection 101 Nested
NoCache
Segment Lobes 0 0 0 0 1 30, -30
EndSegment
EndProjection
)";
    const fs::path folder = fs::path(PathOf("projections"));
    fs::create_directories(folder);
    ProjectionRegistry::Destroy();
    ForMutations({FromText(definitions)}, 8, [&](const Bytes& text) {
        WriteFile("projections/" + std::string(kCompositeDefinitionFile), text);
        ProjectionRegistry& r = ProjectionRegistry::Get();
        ASSERT_EQ(r.Load(folder.string()), 0);
        const size_t baseline = r.OutstandingInstances();
        for (int id = 100; id < ProjectionRegistry::kSlots; ++id) {
            MapProject* p = r.CreateInstance(id);
            if (!p)
                continue;
            p->Init(0, 0, 0, 0, 1, 1, 0, 0);
            double x, y, lat, lon;
            for (int k = 0; k < 5; ++k) {
                p->Forward(-80 + 40 * k, -170 + 85 * k, x, y);
                p->Inverse(-1.5 + 0.75 * k, -1 + 0.5 * k, lat, lon);
            }
            r.ReleaseInstance(p);
        }
        EXPECT_EQ(r.OutstandingInstances(), baseline);
        ProjectionRegistry::Destroy();
    });
}

// ---- image files ----

namespace {

// The seed picture: 12 x 10, a colour per pixel.
uint8_t Channel(int x, int y, int c)
{
    return static_cast<uint8_t>(x * 20 + y * 7 + c * 60);
}

Bytes PngSeed()
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = 12;
    image.height = 10;
    image.format = PNG_FORMAT_RGBA;
    Bytes rgba(12 * 10 * 4);
    for (int i = 0; i < 120; ++i)
        for (int c = 0; c < 4; ++c)
            rgba[static_cast<size_t>(i * 4 + c)] = Channel(i % 12, i / 12, c);
    png_alloc_size_t size = 0;
    EXPECT_TRUE(png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr));
    Bytes out(size);
    EXPECT_TRUE(png_image_write_to_memory(&image, out.data(), &size, 0, rgba.data(), 0, nullptr));
    return out;
}

Bytes JpegSeed()
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = 12;
    cinfo.image_height = 10;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    uint8_t row[12 * 3];
    while (cinfo.next_scanline < cinfo.image_height) {
        for (int x = 0; x < 12; ++x)
            for (int c = 0; c < 3; ++c)
                row[x * 3 + c] = Channel(x, static_cast<int>(cinfo.next_scanline), c);
        JSAMPROW p = row;
        jpeg_write_scanlines(&cinfo, &p, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

int GifToBytes(GifFileType* gif, const GifByteType* data, int length)
{
    auto* out = static_cast<Bytes*>(gif->UserData);
    out->insert(out->end(), data, data + length);
    return length;
}

// A 12 x 10 frame of a 16-colour palette, interlaced or not, with a transparent colour.
Bytes GifSeed(bool interlaced)
{
    Bytes out;
    int err = 0;
    GifFileType* gif = EGifOpen(&out, GifToBytes, &err);
    EXPECT_NE(gif, nullptr);
    EGifSetGifVersion(gif, true);
    GifColorType colours[16];
    for (int i = 0; i < 16; ++i)
        colours[i] = {Channel(i, 0, 0), Channel(i, 0, 1), Channel(i, 0, 2)};
    ColorMapObject* map = GifMakeMapObject(16, colours);
    EGifPutScreenDesc(gif, 14, 10, 8, 0, map);
    GraphicsControlBlock gcb{};
    gcb.TransparentColor = 3;
    GifByteType ext[4];
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(EGifGCBToExtension(&gcb, ext)), ext);
    EGifPutImageDesc(gif, 1, 0, 12, 10, interlaced, nullptr);
    GifPixelType line[12];
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 12; ++x)
            line[x] = static_cast<GifPixelType>((x + y) % 16);
        EGifPutLine(gif, line, 12);
    }
    EGifCloseFile(gif, &err);
    GifFreeMapObject(map);
    return out;
}

Bytes BmpSeed(int bitCount)
{
    VideoBuffer picture;
    EXPECT_EQ(picture.Create(12, 10, bitCount), 0);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 12; ++x)
            picture.SetPixel(x, y, static_cast<uint32_t>(Channel(x, y, 0) | Channel(x, y, 1) << 8 | Channel(x, y, 2) << 16));
    const std::string path = PathOf("seed.bmp");
    EXPECT_EQ(picture.SaveBMP(path), 0);
    return ReadFile(path);
}

} // namespace

TEST(MalformedInput, ImageFilesLoadOrFailWithAReason)
{
    const std::vector<Bytes> seeds = {BmpSeed(24), BmpSeed(32), PngSeed(), JpegSeed(), GifSeed(false),
                                      GifSeed(true)};
    for (const Bytes& seed : seeds) {
        VideoBuffer image;
        std::string error;
        ASSERT_EQ(ReadImageFile(WriteFile("seed.img", seed), image, error), 0) << error;
    }
    ForMutations(seeds, 9, [&](const Bytes& bytes) {
        const std::string path = WriteFile("image.img", bytes);
        VideoBuffer image;
        std::string error;
        if (ReadImageFile(path, image, error) == 0) {
            ASSERT_FALSE(image.IsEmpty());
            EXPECT_GE(image.GetWidth(), 1);
            EXPECT_GE(image.GetHeight(), 1);
            image.GetPixel(image.GetWidth() - 1, image.GetHeight() - 1);
        } else {
            EXPECT_TRUE(image.IsEmpty());
            EXPECT_FALSE(error.empty());
        }
        // The selection reads the same file into a mask of another size, or keeps its mask.
        CSelection mask;
        ASSERT_EQ(mask.Create(7, 5), CSelection::kOk);
        const int loaded = mask.LoadImage(path, 1);
        EXPECT_EQ(loaded == CSelection::kOk, !image.IsEmpty());
        EXPECT_EQ(mask.GetWidth(), 7);
    });
}
