// Loading BMP, PNG, JPEG and GIF files into a VideoBuffer. Every fixture is written here:
// BMP byte by byte, PNG, JPEG and GIF through the libraries' own encoders.
#include "base/raster/ImageCodecs.h"
#include "base/raster/VideoBuffer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>
#include <unistd.h>
#include <zlib.h>

// Fixture layouts below are written with designated initializers that leave most members at
// their defaults, which is what GCC 12's -Wmissing-field-initializers reports.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace fs = std::filesystem;
using kv::VideoBuffer;
using Bytes = std::vector<uint8_t>;

namespace {

struct Rgb {
    uint8_t r, g, b;
};

// One folder per test process (ctest runs the tests of this file in parallel processes),
// removed when the process ends.
struct FixtureDir {
    fs::path path = fs::temp_directory_path() / ("kv_image_files_" + std::to_string(getpid()));
    FixtureDir()
    {
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~FixtureDir()
    {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

fs::path Dir()
{
    static FixtureDir dir;
    return dir.path;
}

std::string PathOf(const std::string& name)
{
    return (Dir() / name).string();
}

void WriteBytes(const std::string& path, const Bytes& b)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

Bytes ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void Put16(Bytes& b, uint32_t v)
{
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}

void Put32(Bytes& b, uint32_t v)
{
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

void Set32(Bytes& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = uint8_t(v >> (8 * i));
}

// The reference picture: 24 x 16, six flat 8 x 8 blocks (so that JPEG keeps them nearly
// exact) whose top and bottom halves differ, so a picture upside down is caught.
constexpr int kW = 24, kH = 16;
const Rgb kBlockColours[6] = {{0xE0, 0x20, 0x20}, {0x20, 0xE0, 0x20}, {0x20, 0x20, 0xE0},
                              {0xF0, 0xF0, 0x10}, {0x10, 0xF0, 0xF0}, {0x80, 0x80, 0x80}};

int IndexAt(int x, int y)
{
    return (y / 8) * 3 + x / 8;
}

Rgb ColourAt(int x, int y)
{
    return kBlockColours[IndexAt(x, y)];
}

uint32_t Opaque(Rgb c)
{
    return 0xFF000000u | (uint32_t(c.b) << 16) | (uint32_t(c.g) << 8) | c.r;
}

// ---- BMP writer: header fields given explicitly so that tests can lie in them.
struct BmpLayout {
    int width = kW, height = kH;  // negative height: top-down
    int bits = 24;
    uint32_t compression = 0;
    uint32_t infoSize = 40;
    uint32_t clrUsed = 0;
    std::vector<uint32_t> masks;  // written after a 40-byte header, or inside a larger one
    std::vector<uint32_t> palette;
};

Bytes MakeBmp(const BmpLayout& s, const std::function<void(Bytes&, int x, int y)>& pixel)
{
    Bytes info;
    Put32(info, s.infoSize);
    Put32(info, uint32_t(s.width));
    Put32(info, uint32_t(s.height));
    Put16(info, 1);
    Put16(info, uint32_t(s.bits));
    Put32(info, s.compression);
    Put32(info, 0);
    Put32(info, 2835);
    Put32(info, 2835);
    Put32(info, s.clrUsed);
    Put32(info, 0);
    if (s.infoSize > 40) {
        for (uint32_t m : s.masks)
            Put32(info, m);
        info.resize(s.infoSize, 0);
    } else {
        for (uint32_t m : s.masks)
            Put32(info, m);
    }
    for (uint32_t c : s.palette)
        Put32(info, c);
    const int h = s.height < 0 ? -s.height : s.height;
    const size_t rowBytes = size_t(s.width) * size_t(s.bits / 8);
    const size_t stride = (rowBytes + 3) & ~size_t(3);
    Bytes bits;
    for (int i = 0; i < h; ++i) {
        const int y = s.height < 0 ? i : h - 1 - i;
        const size_t start = bits.size();
        for (int x = 0; x < s.width; ++x)
            pixel(bits, x, y);
        bits.resize(start + stride, 0);
    }
    Bytes file = {'B', 'M'};
    Put32(file, uint32_t(14 + info.size() + bits.size()));
    Put32(file, 0);
    Put32(file, uint32_t(14 + info.size()));
    file.insert(file.end(), info.begin(), info.end());
    file.insert(file.end(), bits.begin(), bits.end());
    return file;
}

void Bgr(Bytes& b, Rgb c)
{
    b.insert(b.end(), {c.b, c.g, c.r});
}

// ---- PNG writer (libpng's own encoder). Rows are given as sample values; they are packed
// here at the bit depth (big-endian 16-bit samples).
struct PngLayout {
    int width = kW, height = kH;
    int colourType = PNG_COLOR_TYPE_RGB;
    int depth = 8;
    bool interlace = false;
    std::vector<png_color> palette;
};

void WritePng(const std::string& path, const PngLayout& s, const std::vector<std::vector<uint32_t>>& samples)
{
    std::vector<Bytes> rows;
    for (const auto& srcRow : samples) {
        Bytes row;
        int bitPos = 0;
        for (uint32_t v : srcRow) {
            if (s.depth == 16) {
                row.push_back(uint8_t(v >> 8));
                row.push_back(uint8_t(v));
            } else if (s.depth == 8) {
                row.push_back(uint8_t(v));
            } else {
                if (bitPos == 0)
                    row.push_back(0);
                row.back() |= uint8_t(v << (8 - s.depth - bitPos));
                bitPos = (bitPos + s.depth) % 8;
            }
        }
        rows.push_back(row);
    }
    std::vector<png_bytep> pointers;
    for (Bytes& r : rows)
        pointers.push_back(r.data());

    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_set_IHDR(png, info, png_uint_32(s.width), png_uint_32(s.height), s.depth, s.colourType,
                 s.interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!s.palette.empty())
        png_set_PLTE(png, info, s.palette.data(), int(s.palette.size()));
    png_write_info(png, info);
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
}

std::vector<std::vector<uint32_t>> ReferenceSamples(int channels)
{
    std::vector<std::vector<uint32_t>> rows(kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const Rgb c = ColourAt(x, y);
            if (channels == 1) {
                rows[size_t(y)].push_back(uint32_t(IndexAt(x, y)));
                continue;
            }
            rows[size_t(y)].insert(rows[size_t(y)].end(), {c.r, c.g, c.b});
            if (channels == 4)
                rows[size_t(y)].push_back(255);
        }
    return rows;
}

std::vector<png_color> ReferencePngPalette()
{
    std::vector<png_color> pal;
    for (const Rgb& c : kBlockColours)
        pal.push_back({c.r, c.g, c.b});
    return pal;
}

// ---- JPEG writer: best quality, no chroma subsampling.
void WriteJpeg(const std::string& path, int width, int height, const std::function<Rgb(int, int)>& colour)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 100, TRUE);
    for (int i = 0; i < cinfo.num_components; ++i)
        cinfo.comp_info[i].h_samp_factor = cinfo.comp_info[i].v_samp_factor = 1;
    jpeg_start_compress(&cinfo, TRUE);
    Bytes row(size_t(width) * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        for (int x = 0; x < width; ++x) {
            const Rgb c = colour(x, int(cinfo.next_scanline));
            row[size_t(x) * 3] = c.r;
            row[size_t(x) * 3 + 1] = c.g;
            row[size_t(x) * 3 + 2] = c.b;
        }
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&cinfo, &p, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(f);
}

// ---- GIF writer (giflib's encoder): one frame of palette indices.
struct GifLayout {
    int screenW = kW, screenH = kH;
    int left = 0, top = 0, width = kW, height = kH;
    bool interlace = false;
    int transparent = -1;
    std::vector<Rgb> palette;  // padded to 256 entries
};

void WriteGif(const std::string& path, const GifLayout& s, const std::function<int(int, int)>& index)
{
    int err = 0;
    GifFileType* gif = EGifOpenFileName(path.c_str(), false, &err);
    ASSERT_NE(gif, nullptr);
    EGifSetGifVersion(gif, true);
    GifColorType colours[256] = {};
    for (size_t i = 0; i < s.palette.size(); ++i)
        colours[i] = {s.palette[i].r, s.palette[i].g, s.palette[i].b};
    ColorMapObject* map = GifMakeMapObject(256, colours);
    ASSERT_EQ(EGifPutScreenDesc(gif, s.screenW, s.screenH, 8, 0, map), GIF_OK);
    if (s.transparent >= 0) {
        GraphicsControlBlock gcb{};
        gcb.TransparentColor = s.transparent;
        GifByteType ext[4];
        const size_t len = EGifGCBToExtension(&gcb, ext);
        ASSERT_EQ(EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(len), ext), GIF_OK);
    }
    ASSERT_EQ(EGifPutImageDesc(gif, s.left, s.top, s.width, s.height, s.interlace, nullptr), GIF_OK);
    std::vector<int> order;
    if (s.interlace) {
        const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
        for (int p = 0; p < 4; ++p)
            for (int y = start[p]; y < s.height; y += step[p])
                order.push_back(y);
    } else {
        for (int y = 0; y < s.height; ++y)
            order.push_back(y);
    }
    std::vector<GifPixelType> line(size_t(s.width));
    for (int y : order) {
        for (int x = 0; x < s.width; ++x)
            line[size_t(x)] = GifPixelType(index(x, y));
        ASSERT_EQ(EGifPutLine(gif, line.data(), s.width), GIF_OK);
    }
    EGifCloseFile(gif, &err);
    GifFreeMapObject(map);
}

std::vector<Rgb> ReferenceGifPalette()
{
    return std::vector<Rgb>(std::begin(kBlockColours), std::end(kBlockColours));
}

::testing::AssertionResult Matches(const VideoBuffer& b, const std::function<uint32_t(int, int)>& want,
                                   int tolerance = 0)
{
    for (int y = 0; y < b.GetHeight(); ++y)
        for (int x = 0; x < b.GetWidth(); ++x) {
            const uint32_t got = b.GetPixel(x, y), exp = want(x, y);
            for (int shift = 0; shift < 32; shift += 8) {
                const int d = int((got >> shift) & 0xFF) - int((exp >> shift) & 0xFF);
                if (d > tolerance || d < -tolerance)
                    return ::testing::AssertionFailure() << "pixel " << x << "," << y << " is " << std::hex << got
                                                         << ", expected " << exp;
            }
        }
    return ::testing::AssertionSuccess();
}

// The same file through libpng's simplified reader, as RGBA.
std::vector<uint8_t> DecodeWithPngImage(const std::string& path, int& w, int& h)
{
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    std::vector<uint8_t> out;
    if (!png_image_begin_read_from_file(&img, path.c_str()))
        return out;
    img.format = PNG_FORMAT_RGBA;
    out.resize(PNG_IMAGE_SIZE(img));
    if (!png_image_finish_read(&img, nullptr, out.data(), 0, nullptr))
        out.clear();
    w = int(img.width);
    h = int(img.height);
    return out;
}

} // namespace

TEST(ImageFiles, TheSamePictureLoadsToTheSamePixelsFromEveryFormat)
{
    const auto ref = [](int x, int y) { return Opaque(ColourAt(x, y)); };
    std::vector<std::pair<std::string, int>> files;  // name, tolerance

    auto bmp = [&](const std::string& name, BmpLayout s, const std::function<void(Bytes&, int, int)>& px) {
        WriteBytes(PathOf(name), MakeBmp(s, px));
        files.push_back({name, 0});
    };
    const auto bgr = [](Bytes& b, int x, int y) { Bgr(b, ColourAt(x, y)); };
    bmp("bottom-up-24.bmp", BmpLayout{}, bgr);
    bmp("top-down-24.bmp", BmpLayout{.height = -kH}, bgr);
    bmp("odd-width-24.bmp", BmpLayout{.width = 23}, bgr);  // rows padded to 4 bytes
    bmp("plain-32.bmp", BmpLayout{.bits = 32}, [](Bytes& b, int x, int y) {
        Bgr(b, ColourAt(x, y));
        b.push_back(0);  // unused fourth byte: the picture is opaque
    });
    bmp("fields-32.bmp", BmpLayout{.bits = 32, .compression = 3, .masks = {0x0000FF00, 0x00FF0000, 0xFF000000}},
        [](Bytes& b, int x, int y) {
            const Rgb c = ColourAt(x, y);
            b.insert(b.end(), {0x5A, c.r, c.g, c.b});
        });
    bmp("v5-top-down-32.bmp",
        BmpLayout{.height = -kH, .bits = 32, .compression = 3, .infoSize = 124,
                .masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}},
        [](Bytes& b, int x, int y) {
            Bgr(b, ColourAt(x, y));
            b.push_back(255);
        });
    std::vector<uint32_t> bmpPalette;
    for (const Rgb& c : kBlockColours)
        bmpPalette.push_back((uint32_t(c.r) << 16) | (uint32_t(c.g) << 8) | c.b);
    bmp("palette-8.bmp", BmpLayout{.bits = 8, .clrUsed = 6, .palette = bmpPalette},
        [](Bytes& b, int x, int y) { b.push_back(uint8_t(IndexAt(x, y))); });

    WritePng(PathOf("rgb.png"), PngLayout{}, ReferenceSamples(3));
    WritePng(PathOf("rgba.png"), PngLayout{.colourType = PNG_COLOR_TYPE_RGB_ALPHA}, ReferenceSamples(4));
    WritePng(PathOf("palette.png"), PngLayout{.colourType = PNG_COLOR_TYPE_PALETTE, .palette = ReferencePngPalette()},
             ReferenceSamples(1));
    WritePng(PathOf("interlaced.png"), PngLayout{.interlace = true}, ReferenceSamples(3));
    WritePng(PathOf("palette-4bit-interlaced.png"),
             PngLayout{.colourType = PNG_COLOR_TYPE_PALETTE, .depth = 4, .interlace = true,
                     .palette = ReferencePngPalette()},
             ReferenceSamples(1));
    for (const char* name : {"rgb.png", "rgba.png", "palette.png", "interlaced.png", "palette-4bit-interlaced.png"})
        files.push_back({name, 0});

    WriteGif(PathOf("plain.gif"), GifLayout{.palette = ReferenceGifPalette()}, IndexAt);
    WriteGif(PathOf("interlaced.gif"), GifLayout{.interlace = true, .palette = ReferenceGifPalette()}, IndexAt);
    files.push_back({"plain.gif", 0});
    files.push_back({"interlaced.gif", 0});

    WriteJpeg(PathOf("picture.jpg"), kW, kH, ColourAt);
    files.push_back({"picture.jpg", 4});

    for (const auto& [name, tolerance] : files) {
        VideoBuffer b;
        std::string error;
        ASSERT_EQ(b.LoadImageFile(PathOf(name), &error), 0) << name << ": " << error;
        const int width = name == "odd-width-24.bmp" ? 23 : kW;
        EXPECT_EQ(b.GetWidth(), width) << name;
        EXPECT_EQ(b.GetHeight(), kH) << name;
        EXPECT_EQ(b.GetBitCount(), 32) << name;
        EXPECT_TRUE(Matches(b, ref, tolerance)) << name;
    }

    // The PNG files read the same through libpng's own simplified reader.
    for (const char* name : {"rgb.png", "palette.png", "palette-4bit-interlaced.png"}) {
        int w = 0, h = 0;
        const std::vector<uint8_t> rgba = DecodeWithPngImage(PathOf(name), w, h);
        ASSERT_EQ(rgba.size(), size_t(kW) * kH * 4) << name;
        VideoBuffer b;
        ASSERT_EQ(b.LoadImageFile(PathOf(name)), 0);
        EXPECT_TRUE(Matches(b, [&](int x, int y) {
            const uint8_t* p = rgba.data() + (size_t(y) * kW + size_t(x)) * 4;
            return (uint32_t(p[3]) << 24) | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
        })) << name;
    }
}

TEST(ImageFiles, PngSamplesOfEveryDepthExpandToBytes)
{
    struct Case {
        const char* name;
        int colourType, depth;
        int channels;
        std::function<uint32_t(uint32_t v)> expect;  // sample value -> opaque grey or colour
    };
    const std::vector<png_color> pal = {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}, {100, 110, 120},
                                        {130, 140, 150}, {160, 170, 180}, {190, 200, 210}, {220, 230, 240},
                                        {1, 2, 3},       {4, 5, 6},       {7, 8, 9},       {11, 12, 13},
                                        {14, 15, 16},    {17, 18, 19},    {21, 22, 23},    {24, 25, 26}};
    auto grey = [](uint32_t g) { return 0xFF000000u | g * 0x010101u; };
    auto paletteColour = [&](uint32_t i) { return 0xFF000000u | (pal[i].blue << 16) | (pal[i].green << 8) | pal[i].red; };
    const Case cases[] = {
        {"grey1", PNG_COLOR_TYPE_GRAY, 1, 1, [&](uint32_t v) { return grey(v * 255); }},
        {"grey2", PNG_COLOR_TYPE_GRAY, 2, 1, [&](uint32_t v) { return grey(v * 85); }},
        {"grey4", PNG_COLOR_TYPE_GRAY, 4, 1, [&](uint32_t v) { return grey(v * 17); }},
        {"grey8", PNG_COLOR_TYPE_GRAY, 8, 1, [&](uint32_t v) { return grey(v); }},
        {"grey16", PNG_COLOR_TYPE_GRAY, 16, 1, [&](uint32_t v) { return grey(v >> 8); }},
        {"palette1", PNG_COLOR_TYPE_PALETTE, 1, 1, paletteColour},
        {"palette2", PNG_COLOR_TYPE_PALETTE, 2, 1, paletteColour},
        {"palette4", PNG_COLOR_TYPE_PALETTE, 4, 1, paletteColour},
        {"greyalpha8", PNG_COLOR_TYPE_GRAY_ALPHA, 8, 2, nullptr},
        {"greyalpha16", PNG_COLOR_TYPE_GRAY_ALPHA, 16, 2, nullptr},
        {"rgb16", PNG_COLOR_TYPE_RGB, 16, 3, nullptr},
        {"rgba16", PNG_COLOR_TYPE_RGB_ALPHA, 16, 4, nullptr},
    };
    const int w = 13, h = 5;  // odd width: partly filled bytes at the end of packed rows
    for (const Case& c : cases) {
        const uint32_t maxSample = (1u << c.depth) - 1;
        const uint32_t levels = c.colourType == PNG_COLOR_TYPE_PALETTE ? std::min<uint32_t>(maxSample + 1, 16)
                                                                        : maxSample + 1;
        auto sample = [&](int x, int y, int ch) {
            const uint32_t v = uint32_t(x * 7 + y * 3 + ch * 5);
            return c.depth == 16 ? (v * 2039 + 77) & 0xFFFF : v % levels;
        };
        std::vector<std::vector<uint32_t>> rows(h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                for (int ch = 0; ch < c.channels; ++ch)
                    rows[size_t(y)].push_back(sample(x, y, ch));
        PngLayout layout{.width = w, .height = h, .colourType = c.colourType, .depth = c.depth};
        if (c.colourType == PNG_COLOR_TYPE_PALETTE)
            layout.palette.assign(pal.begin(), pal.begin() + std::min<size_t>(maxSample + 1, pal.size()));
        const std::string path = PathOf(std::string(c.name) + ".png");
        WritePng(path, layout, rows);

        VideoBuffer b;
        std::string error;
        ASSERT_EQ(b.LoadImageFile(path, &error), 0) << c.name << ": " << error;
        const int shift = c.depth == 16 ? 8 : 0;
        EXPECT_TRUE(Matches(b, [&](int x, int y) -> uint32_t {
            auto s = [&](int ch) { return sample(x, y, ch) >> shift; };
            switch (c.channels) {
            case 1:
                return c.expect(sample(x, y, 0));
            case 2:
                return (s(1) << 24) | s(0) * 0x010101u;
            case 3:
                return 0xFF000000u | (s(2) << 16) | (s(1) << 8) | s(0);
            default:
                return (s(3) << 24) | (s(2) << 16) | (s(1) << 8) | s(0);
            }
        })) << c.name;
    }
}

TEST(ImageFiles, AlphaAndTransparencyAreKept)
{
    // A 32-bit BMP that uses its fourth byte keeps it.
    WriteBytes(PathOf("alpha-32.bmp"), MakeBmp(BmpLayout{.bits = 32}, [](Bytes& b, int x, int y) {
                   Bgr(b, ColourAt(x, y));
                   b.push_back(uint8_t(x * 10));
               }));
    VideoBuffer b;
    ASSERT_EQ(b.LoadImageFile(PathOf("alpha-32.bmp")), 0);
    EXPECT_TRUE(Matches(b, [](int x, int y) { return (Opaque(ColourAt(x, y)) & 0xFFFFFF) | uint32_t(x * 10) << 24; }));

    // A GIF frame smaller than its screen, with a transparent index: transparent pixels and
    // the screen outside the frame are 0.
    GifLayout s{.screenW = 12, .screenH = 10, .left = 2, .top = 3, .width = 8, .height = 5, .transparent = 2,
              .palette = ReferenceGifPalette()};
    WriteGif(PathOf("frame.gif"), s, [](int x, int) { return x % 4; });
    ASSERT_EQ(b.LoadImageFile(PathOf("frame.gif")), 0);
    ASSERT_EQ(b.GetWidth(), 12);
    ASSERT_EQ(b.GetHeight(), 10);
    EXPECT_TRUE(Matches(b, [](int x, int y) -> uint32_t {
        if (x < 2 || x >= 10 || y < 3 || y >= 8 || (x - 2) % 4 == 2)
            return 0;
        return Opaque(kBlockColours[(x - 2) % 4]);
    }));
}

namespace {

// PNG chunks with their CRC recomputed, so that a damaged field reaches the decoder.
Bytes PngChunk(const char* type, const Bytes& data)
{
    Bytes c;
    const uint32_t n = uint32_t(data.size());
    c.insert(c.end(), {uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)});
    c.insert(c.end(), type, type + 4);
    c.insert(c.end(), data.begin(), data.end());
    uint32_t crc = uint32_t(crc32(0, c.data() + 4, uInt(c.size() - 4)));
    c.insert(c.end(), {uint8_t(crc >> 24), uint8_t(crc >> 16), uint8_t(crc >> 8), uint8_t(crc)});
    return c;
}

Bytes PngFile(uint32_t width, uint32_t height, int depth, int colourType, const Bytes& palette, const Bytes& raw,
              bool damageDeflate = false)
{
    Bytes f = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes ihdr = {uint8_t(width >> 24), uint8_t(width >> 16), uint8_t(width >> 8), uint8_t(width),
                  uint8_t(height >> 24), uint8_t(height >> 16), uint8_t(height >> 8), uint8_t(height),
                  uint8_t(depth), uint8_t(colourType), 0, 0, 0};
    Bytes z(compressBound(uLong(raw.size())));
    uLongf zlen = uLongf(z.size());
    compress(z.data(), &zlen, raw.data(), uLong(raw.size()));
    z.resize(zlen);
    if (damageDeflate)
        for (size_t i = 2; i < z.size() - 4; ++i)
            z[i] = uint8_t(0xFF - z[i]);
    for (const Bytes& c : {PngChunk("IHDR", ihdr), palette.empty() ? Bytes() : PngChunk("PLTE", palette),
                           PngChunk("IDAT", z), PngChunk("IEND", {})})
        f.insert(f.end(), c.begin(), c.end());
    return f;
}

// Raw PNG rows (filter byte 0 first) of an 8-bit image.
Bytes RawRows(int width, int height, int channels, uint8_t value)
{
    Bytes raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), size_t(width) * size_t(channels), value);
    }
    return raw;
}

Bytes Truncated(const Bytes& b, double fraction)
{
    return Bytes(b.begin(), b.begin() + std::ptrdiff_t(double(b.size()) * fraction));
}

} // namespace

TEST(ImageFiles, DamagedAndHostileFilesFailCleanly)
{
    std::vector<std::pair<std::string, Bytes>> bad;
    const auto bgr = [](Bytes& b, int x, int y) { Bgr(b, ColourAt(x, y)); };
    const Bytes goodBmp = MakeBmp(BmpLayout{}, bgr);

    // BMP
    bad.push_back({"empty.bmp", {}});
    bad.push_back({"ten-bytes.bmp", Bytes(goodBmp.begin(), goodBmp.begin() + 10)});
    bad.push_back({"truncated-pixels.bmp", Truncated(goodBmp, 0.9)});
    bad.push_back({"truncated-header.bmp", Bytes(goodBmp.begin(), goodBmp.begin() + 40)});
    for (auto [w, h] : {std::pair{0, 16}, {16, 0}, {int(0x80000000u), 16}, {16, int(0x80000000u)}, {3, 16},
                        {16, 1}, {60000, 60000}, {0x7FFFFFFF, 2}}) {
        Bytes f = goodBmp;
        Set32(f, 18, uint32_t(w));
        Set32(f, 22, uint32_t(h));
        bad.push_back({"size-" + std::to_string(w) + "x" + std::to_string(h) + ".bmp", f});
    }
    {
        Bytes f = goodBmp;
        Set32(f, 10, uint32_t(f.size() + 100));  // pixels past the end
        bad.push_back({"offset-past-end.bmp", f});
        f = goodBmp;
        Set32(f, 10, 20);  // pixels inside the header
        bad.push_back({"offset-in-header.bmp", f});
        f = goodBmp;
        Set32(f, 14, 12);  // old-style header
        bad.push_back({"core-header.bmp", f});
        f = goodBmp;
        Set32(f, 14, 0xFFFFFFF0u);
        bad.push_back({"huge-header.bmp", f});
        f = goodBmp;
        f[28] = 16;
        bad.push_back({"depth-16.bmp", f});
        f = goodBmp;
        Set32(f, 30, 1);  // run-length compression
        bad.push_back({"rle.bmp", f});
    }
    bad.push_back({"palette-too-short.bmp", MakeBmp(BmpLayout{.bits = 8, .clrUsed = 2, .palette = {0xFF0000, 0x00FF00}},
                                                    [](Bytes& b, int x, int y) { b.push_back(uint8_t(IndexAt(x, y))); })});
    bad.push_back({"palette-300.bmp", MakeBmp(BmpLayout{.bits = 8, .clrUsed = 300, .palette = std::vector<uint32_t>(300)},
                                              [](Bytes& b, int, int) { b.push_back(0); })});
    {
        Bytes f = MakeBmp(BmpLayout{.bits = 8, .clrUsed = 256, .palette = std::vector<uint32_t>(256)},
                          [](Bytes& b, int, int) { b.push_back(0); });
        bad.push_back({"palette-cut.bmp", Bytes(f.begin(), f.begin() + 54 + 500)});
    }
    bad.push_back({"holey-mask.bmp", MakeBmp(BmpLayout{.bits = 32, .compression = 3, .masks = {0x00F0F000, 0xFF, 0xFF00}},
                                             [](Bytes& b, int, int) { Put32(b, 0); })});
    bad.push_back({"zero-mask.bmp", MakeBmp(BmpLayout{.bits = 32, .compression = 3, .masks = {0, 0xFF, 0xFF00}},
                                            [](Bytes& b, int, int) { Put32(b, 0); })});
    bad.push_back({"fields-24.bmp", MakeBmp(BmpLayout{.bits = 24, .compression = 3, .masks = {0xFF0000, 0xFF00, 0xFF}}, bgr)});

    // PNG
    WritePng(PathOf("good.png"), PngLayout{}, ReferenceSamples(3));
    const Bytes goodPng = ReadBytes(PathOf("good.png"));
    bad.push_back({"truncated.png", Truncated(goodPng, 0.6)});
    bad.push_back({"signature-only.png", Bytes(goodPng.begin(), goodPng.begin() + 8)});
    {
        Bytes f = goodPng;
        f[20] ^= 0x40;  // width changed without fixing the checksum
        bad.push_back({"bad-crc.png", f});
    }
    for (auto [w, h] : {std::pair{0u, 4u}, {4u, 0u}, {0x80000000u, 4u}, {4u, 0x80000000u}, {3u, 4u}, {100000u, 100000u},
                        {900000u, 900000u}})
        bad.push_back({"size-" + std::to_string(w) + "x" + std::to_string(h) + ".png",
                       PngFile(w, h, 8, PNG_COLOR_TYPE_GRAY, {}, RawRows(8, 4, 1, 0))});
    bad.push_back({"short-data.png", PngFile(16, 8, 8, PNG_COLOR_TYPE_RGB, {}, RawRows(16, 3, 3, 9))});
    bad.push_back({"bad-deflate.png", PngFile(16, 8, 8, PNG_COLOR_TYPE_RGB, {}, RawRows(16, 8, 3, 9), true)});
    bad.push_back({"bad-filter.png", [] {
                       Bytes raw = RawRows(16, 8, 3, 9);
                       raw[0] = 9;  // no such row filter
                       return PngFile(16, 8, 8, PNG_COLOR_TYPE_RGB, {}, raw);
                   }()});
    bad.push_back({"index-past-palette.png", PngFile(8, 4, 8, PNG_COLOR_TYPE_PALETTE, {1, 2, 3, 4, 5, 6}, RawRows(8, 4, 1, 5))});
    bad.push_back({"no-palette.png", PngFile(8, 4, 8, PNG_COLOR_TYPE_PALETTE, {}, RawRows(8, 4, 1, 0))});
    bad.push_back({"bad-depth.png", PngFile(8, 4, 3, PNG_COLOR_TYPE_GRAY, {}, RawRows(8, 4, 1, 0))});

    // JPEG
    WriteJpeg(PathOf("good.jpg"), 64, 48, [](int x, int y) { return Rgb{uint8_t(x * 4), uint8_t(y * 5), uint8_t(x ^ y)}; });
    const Bytes goodJpg = ReadBytes(PathOf("good.jpg"));
    bad.push_back({"truncated.jpg", Truncated(goodJpg, 0.7)});
    bad.push_back({"header-only.jpg", Truncated(goodJpg, 0.1)});
    bad.push_back({"soi-only.jpg", Bytes{0xFF, 0xD8, 0xFF}});
    {
        auto findMarker = [&](uint8_t code) {
            for (size_t i = 2; i + 1 < goodJpg.size(); ++i)
                if (goodJpg[i] == 0xFF && goodJpg[i + 1] == code)
                    return i;
            return size_t(0);
        };
        // The frame header (SOF0) holds the height and width after its length and precision.
        const size_t sof = findMarker(0xC0);
        ASSERT_GT(sof, 0u);
        for (auto [w, h] : {std::pair{0, 48}, {64, 0}, {65500, 65500}, {3, 48}}) {
            Bytes f = goodJpg;
            f[sof + 5] = uint8_t(h >> 8);
            f[sof + 6] = uint8_t(h);
            f[sof + 7] = uint8_t(w >> 8);
            f[sof + 8] = uint8_t(w);
            bad.push_back({"size-" + std::to_string(w) + "x" + std::to_string(h) + ".jpg", f});
        }
        // Entropy-coded data replaced by stuffed 0xFF bytes: a run of ones longer than any
        // Huffman code.
        const size_t sos = findMarker(0xDA);
        ASSERT_GT(sos, 0u);
        Bytes f = goodJpg;
        const size_t dataStart = sos + 2 + (size_t(f[sos + 2]) << 8 | f[sos + 3]);
        for (size_t i = dataStart + 16; i + 3 < f.size(); i += 2) {
            f[i] = 0xFF;
            f[i + 1] = 0x00;
        }
        bad.push_back({"bad-huffman.jpg", f});
    }

    // GIF
    WriteGif(PathOf("good.gif"), GifLayout{.palette = ReferenceGifPalette()}, IndexAt);
    const Bytes goodGif = ReadBytes(PathOf("good.gif"));
    bad.push_back({"truncated-palette.gif", Truncated(goodGif, 0.5)});
    bad.push_back({"truncated.gif", Truncated(goodGif, 0.97)});
    bad.push_back({"screen-only.gif", Bytes(goodGif.begin(), goodGif.begin() + 13 + 768)});
    {
        Bytes f = goodGif;
        f[6] = f[7] = f[8] = f[9] = 0xFF;  // a 65535 x 65535 screen
        bad.push_back({"huge-screen.gif", f});
        // The global colour table claimed as 2 entries while the data uses 8-bit indices.
        f = goodGif;
        f[10] = uint8_t((f[10] & 0xF8) | 0);
        f.erase(f.begin() + 13 + 6, f.begin() + 13 + 768);
        bad.push_back({"palette-too-short.gif", f});
        // No colour table at all.
        f = goodGif;
        f[10] &= 0x7F;
        f.erase(f.begin() + 13, f.begin() + 13 + 768);
        bad.push_back({"no-palette.gif", f});
        // LZW data scrambled.
        f = goodGif;
        for (size_t i = f.size() - 40; i < f.size() - 3; ++i)
            if (f[i] != 0)
                f[i] = uint8_t(f[i] * 37 + 11) | 1;
        bad.push_back({"bad-lzw.gif", f});
    }
    {
        // The image descriptor follows the colour table: separator, left, top, width, height.
        const size_t desc = 13 + 768;
        ASSERT_EQ(goodGif[desc], 0x2C);
        Bytes f = goodGif;
        f[desc + 5] = f[desc + 6] = 0;
        bad.push_back({"empty-frame.gif", f});
        f = goodGif;
        // A 65535 x 65535 frame at (65535, 65535) widens the picture past the limit.
        for (size_t i = desc + 1; i < desc + 9; ++i)
            f[i] = 0xFF;
        bad.push_back({"far-frame.gif", f});
    }

    // Neither
    bad.push_back({"text.png", Bytes{'h', 'e', 'l', 'l', 'o'}});

    for (const auto& [name, bytes] : bad) {
        WriteBytes(PathOf("bad-" + name), bytes);
        VideoBuffer b(8, 8);  // an image held before is freed even when loading fails
        std::string error;
        EXPECT_EQ(b.LoadImageFile(PathOf("bad-" + name), &error), -1) << name;
        EXPECT_TRUE(b.IsEmpty()) << name;
        EXPECT_EQ(b.GetBitmapInfo(), nullptr) << name;
        EXPECT_FALSE(error.empty()) << name;
    }
    VideoBuffer b;
    std::string error;
    EXPECT_EQ(b.LoadImageFile(PathOf("no-such-file.png"), &error), -1);
    EXPECT_NE(error.find("cannot open"), std::string::npos);
}
