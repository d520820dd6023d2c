// Loading and saving a 4096 x 2048 picture in every image format, in megapixels per
// second. The PNG, JPEG and GIF inputs are made once by the libraries' own encoders,
// which are timed too, beside our BMP writer. libpng's simplified reader and a bare
// libjpeg decode into a plain row buffer run beside our loaders as peers.
#include "base/raster/VideoBuffer.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>

namespace fs = std::filesystem;
using kv::VideoBuffer;

namespace {

constexpr int kWidth = 4096, kHeight = 2048;
constexpr double kMegapixels = kWidth * double(kHeight) / 1e6;

struct Inputs {
    fs::path dir = fs::temp_directory_path() / ("kv_bitmap_bench_" + std::to_string(getpid()));
    VideoBuffer picture;

    Inputs()
    {
        fs::create_directories(dir);
        // Smooth colour fields with some fine detail: neither trivially compressible nor noise.
        picture.Create(kWidth, kHeight);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const double v = std::sin(x * 0.011) * std::cos(y * 0.017) + 0.3 * std::sin((x + y) * 0.13);
                const int r = int(127.5 + 100 * v), g = int(127.5 + 90 * std::sin(x * 0.003 + y * 0.002));
                const int b = (x * 3 + y * 5) & 0xFF;
                picture.SetPixelFast(x, y, 0xFF000000u | uint32_t(b) << 16 | uint32_t(g) << 8 | uint32_t(r));
            }
    }
    ~Inputs()
    {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    std::string Path(const char* name) const { return (dir / name).string(); }
};

Inputs& GetInputs()
{
    static Inputs inputs;
    return inputs;
}

void Rgb(const VideoBuffer& b, int y, std::vector<uint8_t>& row)
{
    row.resize(size_t(b.GetWidth()) * 3);
    for (int x = 0; x < b.GetWidth(); ++x) {
        const uint32_t c = b.GetPixel(x, y);
        row[size_t(x) * 3] = uint8_t(c);
        row[size_t(x) * 3 + 1] = uint8_t(c >> 8);
        row[size_t(x) * 3 + 2] = uint8_t(c >> 16);
    }
}

void EncodePng(const VideoBuffer& b, const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_set_IHDR(png, info, png_uint_32(b.GetWidth()), png_uint_32(b.GetHeight()), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<uint8_t> row;
    for (int y = 0; y < b.GetHeight(); ++y) {
        Rgb(b, y, row);
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
}

void EncodeJpeg(const VideoBuffer& b, const std::string& path)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = JDIMENSION(b.GetWidth());
    cinfo.image_height = JDIMENSION(b.GetHeight());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<uint8_t> row;
    while (cinfo.next_scanline < cinfo.image_height) {
        Rgb(b, int(cinfo.next_scanline), row);
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&cinfo, &p, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(f);
}

// 3-3-2 colour cube: red and green in 8 levels, blue in 4.
void EncodeGif(const VideoBuffer& b, const std::string& path)
{
    int err = 0;
    GifFileType* gif = EGifOpenFileName(path.c_str(), false, &err);
    GifColorType colours[256];
    for (int i = 0; i < 256; ++i)
        colours[i] = {GifByteType((i >> 5) * 255 / 7), GifByteType(((i >> 2) & 7) * 255 / 7), GifByteType((i & 3) * 85)};
    ColorMapObject* map = GifMakeMapObject(256, colours);
    EGifPutScreenDesc(gif, b.GetWidth(), b.GetHeight(), 8, 0, map);
    EGifPutImageDesc(gif, 0, 0, b.GetWidth(), b.GetHeight(), false, nullptr);
    std::vector<GifPixelType> line(size_t(b.GetWidth()));
    for (int y = 0; y < b.GetHeight(); ++y) {
        for (int x = 0; x < b.GetWidth(); ++x) {
            const uint32_t c = b.GetPixel(x, y);
            line[size_t(x)] = GifPixelType((c & 0xE0) | ((c >> 11) & 0x1C) | ((c >> 22) & 3));
        }
        EGifPutLine(gif, line.data(), b.GetWidth());
    }
    EGifCloseFile(gif, &err);
    GifFreeMapObject(map);
}

void Report(benchmark::State& state)
{
    state.counters["MP/s"] = benchmark::Counter(kMegapixels * double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_Load(benchmark::State& state, const char* name, void (*make)(const VideoBuffer&, const std::string&))
{
    Inputs& in = GetInputs();
    const std::string path = in.Path(name);
    if (!fs::exists(path))
        make(in.picture, path);
    VideoBuffer b;
    for (auto _ : state) {
        if (b.LoadImageFile(path) != 0) {
            state.SkipWithError("load failed");
            break;
        }
        benchmark::DoNotOptimize(b.GetBits());
    }
    Report(state);
}

void SaveBmp(const VideoBuffer& b, const std::string& path)
{
    b.SaveBMP(path);
}

void BM_Save(benchmark::State& state, const char* name, void (*save)(const VideoBuffer&, const std::string&))
{
    Inputs& in = GetInputs();
    const std::string path = in.Path(name);
    for (auto _ : state)
        save(in.picture, path);
    Report(state);
}

// Peer: libpng's simplified reader into an RGBA block.
void BM_PeerPngImageRead(benchmark::State& state)
{
    Inputs& in = GetInputs();
    const std::string path = in.Path("picture.png");
    if (!fs::exists(path))
        EncodePng(in.picture, path);
    std::vector<uint8_t> pixels;
    for (auto _ : state) {
        png_image img{};
        img.version = PNG_IMAGE_VERSION;
        png_image_begin_read_from_file(&img, path.c_str());
        img.format = PNG_FORMAT_BGRA;
        pixels.resize(PNG_IMAGE_SIZE(img));
        png_image_finish_read(&img, nullptr, pixels.data(), 0, nullptr);
        benchmark::DoNotOptimize(pixels.data());
    }
    Report(state);
}

// Peer: libjpeg decoding to the same byte order into a reused plain block.
void BM_PeerJpegPlainRead(benchmark::State& state)
{
    Inputs& in = GetInputs();
    const std::string path = in.Path("picture.jpg");
    if (!fs::exists(path))
        EncodeJpeg(in.picture, path);
    std::vector<uint8_t> pixels(size_t(kWidth) * kHeight * 4);
    for (auto _ : state) {
        jpeg_decompress_struct cinfo;
        jpeg_error_mgr err;
        cinfo.err = jpeg_std_error(&err);
        jpeg_create_decompress(&cinfo);
        std::FILE* f = std::fopen(path.c_str(), "rb");
        jpeg_stdio_src(&cinfo, f);
        jpeg_read_header(&cinfo, TRUE);
        cinfo.out_color_space = JCS_EXT_BGRA;
        jpeg_start_decompress(&cinfo);
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW row = pixels.data() + size_t(cinfo.output_scanline) * kWidth * 4;
            jpeg_read_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        std::fclose(f);
        benchmark::DoNotOptimize(pixels.data());
    }
    Report(state);
}

BENCHMARK_CAPTURE(BM_Save, bmp, "picture.bmp", SaveBmp)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Save, png_encoder, "saved.png", EncodePng)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Save, jpeg_encoder, "saved.jpg", EncodeJpeg)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Save, gif_encoder, "saved.gif", EncodeGif)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Load, bmp, "picture.bmp", SaveBmp)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Load, png, "picture.png", EncodePng)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PeerPngImageRead)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Load, jpeg, "picture.jpg", EncodeJpeg)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PeerJpegPlainRead)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Load, gif, "picture.gif", EncodeGif)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
