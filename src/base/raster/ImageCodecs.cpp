#include "base/raster/ImageCodecs.h"

#include "base/raster/VideoBuffer.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include <csetjmp>
#include <gif_lib.h>
#include <jpeglib.h>
#include <jerror.h>
#include <png.h>
#include <sys/stat.h>

namespace kv {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

uint32_t U16(const uint8_t* p) { return p[0] | (p[1] << 8); }
uint32_t U32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }

int Fail(VideoBuffer& out, std::string& error, std::string why)
{
    out.Free();
    error = std::move(why);
    return -1;
}

// Size of an open file, or -1.
int64_t FileSize(std::FILE* f)
{
    struct stat st;
    if (fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    return st.st_size;
}

void PutBgra(uint8_t* p, uint8_t r, uint8_t g, uint8_t b, uint8_t a)
{
    p[0] = b;
    p[1] = g;
    p[2] = r;
    p[3] = a;
}

// ---------------------------------------------------------------- BMP

constexpr uint32_t kBmpRgb = 0;
constexpr uint32_t kBmpBitfields = 3;
constexpr uint32_t kBmpMaxInfoSize = 124;  // the largest header generation we read fields from

// One channel of a 32-bit bit-field pixel, scaled to 0..255.
struct BitField {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;  // largest value of the field

    bool Set(uint32_t m)
    {
        mask = m;
        if (m == 0)
            return true;
        shift = __builtin_ctz(m);
        const uint32_t v = m >> shift;
        if ((v & (v + 1)) != 0)  // not one run of ones
            return false;
        max = v;
        return true;
    }
    uint8_t Get(uint32_t px) const
    {
        if (mask == 0)
            return 0;
        const uint64_t v = (px & mask) >> shift;
        return static_cast<uint8_t>((v * 255 + max / 2) / max);
    }
};

} // namespace

int ReadBmpFile(const std::string& path, VideoBuffer& out, std::string& error)
{
    FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return Fail(out, error, "cannot open " + path);
    const int64_t fileSize = FileSize(file.get());
    uint8_t head[kBmpFileHeaderSize + kBmpMaxInfoSize + 16] = {};
    const size_t got = std::fread(head, 1, sizeof head, file.get());
    if (fileSize < 0 || got < kBmpFileHeaderSize + 4 || head[0] != 'B' || head[1] != 'M')
        return Fail(out, error, "not a BMP file");
    const uint32_t bitsOffset = U32(head + 10);
    const uint8_t* info = head + kBmpFileHeaderSize;
    const uint32_t infoSize = U32(info);
    if (infoSize < kBitmapInfoHeaderSize || infoSize > 0x10000)
        return Fail(out, error, "unsupported BMP header size " + std::to_string(infoSize));
    if (got < kBmpFileHeaderSize + kBitmapInfoHeaderSize)
        return Fail(out, error, "truncated BMP header");
    const int32_t width = static_cast<int32_t>(U32(info + 4));
    const int32_t rawHeight = static_cast<int32_t>(U32(info + 8));
    const uint32_t planes = U16(info + 12);
    const uint32_t bitCount = U16(info + 14);
    const uint32_t compression = U32(info + 16);
    const uint32_t clrUsed = U32(info + 32);
    if (planes != 1)
        return Fail(out, error, "BMP with " + std::to_string(planes) + " planes");
    if (bitCount != 8 && bitCount != 24 && bitCount != 32)
        return Fail(out, error, "unsupported BMP depth " + std::to_string(bitCount));
    if (!(compression == kBmpRgb || (compression == kBmpBitfields && bitCount == 32)))
        return Fail(out, error, "unsupported BMP compression " + std::to_string(compression));
    if (width <= 0 || rawHeight == 0 || rawHeight == INT32_MIN)
        return Fail(out, error, "bad BMP size");
    const bool topDown = rawHeight < 0;
    const int32_t height = topDown ? -rawHeight : rawHeight;

    // Colour masks follow a 40-byte header, or sit inside the larger ones.
    uint64_t headersEnd = uint64_t(kBmpFileHeaderSize) + infoSize;
    BitField red, green, blue, alpha;
    if (compression == kBmpBitfields) {
        const uint8_t* masks = info + kBitmapInfoHeaderSize;
        const bool hasAlphaMask = infoSize >= 56;
        if (infoSize == kBitmapInfoHeaderSize)
            headersEnd += 12;
        if (got < kBmpFileHeaderSize + kBitmapInfoHeaderSize + (hasAlphaMask ? 16 : 12))
            return Fail(out, error, "truncated BMP header");
        if (!red.Set(U32(masks)) || !green.Set(U32(masks + 4)) || !blue.Set(U32(masks + 8))
            || !alpha.Set(hasAlphaMask ? U32(masks + 12) : 0) || !red.mask || !green.mask || !blue.mask)
            return Fail(out, error, "bad BMP colour masks");
    }

    // Palette of an 8-bit image: clrUsed entries (0 means 256) of blue, green, red, unused.
    uint8_t palette[256 * 4] = {};
    uint32_t paletteCount = 0;
    if (bitCount == 8) {
        paletteCount = clrUsed == 0 ? 256 : clrUsed;
        if (paletteCount > 256)
            return Fail(out, error, "BMP palette of " + std::to_string(clrUsed) + " entries");
        if (headersEnd + uint64_t(paletteCount) * 4 > uint64_t(fileSize)
            || std::fseek(file.get(), static_cast<long>(headersEnd), SEEK_SET) != 0
            || std::fread(palette, 4, paletteCount, file.get()) != paletteCount)
            return Fail(out, error, "truncated BMP palette");
    }

    const uint64_t rowBytes = uint64_t(width) * (bitCount / 8);
    const uint64_t stride = (rowBytes + 3) & ~uint64_t(3);
    if (bitsOffset < headersEnd)
        return Fail(out, error, "BMP pixel offset inside its header");
    if (uint64_t(bitsOffset) + stride * uint64_t(height) > uint64_t(fileSize))
        return Fail(out, error, "truncated BMP file");
    VideoBuffer image;
    if (image.Create(width, height) != 0)
        return Fail(out, error, "BMP size " + std::to_string(width) + " x " + std::to_string(height) + " refused");
    if (std::fseek(file.get(), static_cast<long>(bitsOffset), SEEK_SET) != 0)
        return Fail(out, error, "cannot seek in BMP file");

    std::vector<uint8_t> row(stride);
    bool anyExtra = false;
    for (int32_t i = 0; i < height; ++i) {
        if (std::fread(row.data(), 1, stride, file.get()) != stride)
            return Fail(out, error, "truncated BMP file");
        uint8_t* dst = image.RowPointer(topDown ? i : height - 1 - i);
        const uint8_t* src = row.data();
        if (bitCount == 24) {
            for (int32_t x = 0; x < width; ++x, src += 3, dst += 4)
                PutBgra(dst, src[2], src[1], src[0], 255);
        } else if (bitCount == 8) {
            for (int32_t x = 0; x < width; ++x, dst += 4) {
                const uint32_t idx = src[x];
                if (idx >= paletteCount)
                    return Fail(out, error, "BMP pixel index " + std::to_string(idx) + " beyond its palette");
                const uint8_t* c = palette + idx * 4;
                PutBgra(dst, c[2], c[1], c[0], 255);
            }
        } else if (compression == kBmpRgb) {
            std::memcpy(dst, src, static_cast<size_t>(rowBytes));
            for (int32_t x = 0; x < width && !anyExtra; ++x)
                anyExtra = src[x * 4 + 3] != 0;
        } else {
            for (int32_t x = 0; x < width; ++x, src += 4, dst += 4) {
                const uint32_t px = U32(src);
                PutBgra(dst, red.Get(px), green.Get(px), blue.Get(px), alpha.mask ? alpha.Get(px) : 255);
            }
        }
    }
    // The fourth byte of a plain 32-bit BMP is unused by most writers: all zero means opaque.
    if (bitCount == 32 && compression == kBmpRgb && !anyExtra) {
        uint8_t* p = image.GetBits();
        const size_t pixels = size_t(width) * size_t(height);
        for (size_t i = 0; i < pixels; ++i)
            p[i * 4 + 3] = 255;
    }
    out.Swap(image);
    return 0;
}

// ---------------------------------------------------------------- PNG
//
// libpng reports errors by longjmp. The decoding function holds no C++ object: all its
// state lives in a plain record in the caller's frame, which the jump does not leave, and
// the caller releases what the record holds whichever way the decoding ended.

namespace {

struct PngJob {
    std::FILE* file;
    png_structp png;
    png_infop info;
    uint8_t* rows;  // malloc'd: one row, or every row of an interlaced image
    VideoBuffer* out;
    char message[200];
};

void PngOnError(png_structp png, png_const_charp msg)
{
    PngJob* job = static_cast<PngJob*>(png_get_error_ptr(png));
    std::snprintf(job->message, sizeof job->message, "bad PNG file: %s", msg);
    png_longjmp(png, 1);
}

void PngOnWarning(png_structp, png_const_charp) {}

// Converts one decoded row (8-bit samples in the file's colour type) to 32-bit pixels;
// false when a palette index lies beyond the palette.
bool PngConvertRow(const uint8_t* src, uint8_t* dst, png_uint_32 width, int colourType, png_const_colorp palette,
                   int paletteCount)
{
    switch (colourType) {
    case PNG_COLOR_TYPE_GRAY:
        for (png_uint_32 x = 0; x < width; ++x, dst += 4)
            PutBgra(dst, src[x], src[x], src[x], 255);
        return true;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        for (png_uint_32 x = 0; x < width; ++x, src += 2, dst += 4)
            PutBgra(dst, src[0], src[0], src[0], src[1]);
        return true;
    case PNG_COLOR_TYPE_RGB:
        for (png_uint_32 x = 0; x < width; ++x, src += 3, dst += 4)
            PutBgra(dst, src[0], src[1], src[2], 255);
        return true;
    case PNG_COLOR_TYPE_RGB_ALPHA:
        for (png_uint_32 x = 0; x < width; ++x, src += 4, dst += 4)
            PutBgra(dst, src[0], src[1], src[2], src[3]);
        return true;
    case PNG_COLOR_TYPE_PALETTE:
        for (png_uint_32 x = 0; x < width; ++x, dst += 4) {
            if (src[x] >= paletteCount)
                return false;
            const png_color& c = palette[src[x]];
            PutBgra(dst, c.red, c.green, c.blue, 255);
        }
        return true;
    default:
        return false;
    }
}

int DecodePng(PngJob* job)
{
    job->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, job, PngOnError, PngOnWarning);
    if (!job->png) {
        std::snprintf(job->message, sizeof job->message, "cannot start the PNG reader");
        return -1;
    }
    job->info = png_create_info_struct(job->png);
    if (!job->info) {
        std::snprintf(job->message, sizeof job->message, "cannot start the PNG reader");
        return -1;
    }
    if (setjmp(png_jmpbuf(job->png)))
        return -1;

    png_init_io(job->png, job->file);
    png_read_info(job->png, job->info);
    png_uint_32 width = 0, height = 0;
    int depth = 0, colourType = 0, interlace = 0;
    png_get_IHDR(job->png, job->info, &width, &height, &depth, &colourType, &interlace, nullptr, nullptr);
    if (width > 0x7FFFFFFF || height > 0x7FFFFFFF
        || job->out->Create(static_cast<int>(width), static_cast<int>(height)) != 0) {
        std::snprintf(job->message, sizeof job->message, "PNG size %u x %u refused", unsigned(width), unsigned(height));
        return -1;
    }
    png_set_strip_16(job->png);
    png_set_packing(job->png);
    if (colourType == PNG_COLOR_TYPE_GRAY && depth < 8)
        png_set_expand_gray_1_2_4_to_8(job->png);
    const int passes = png_set_interlace_handling(job->png);
    png_read_update_info(job->png, job->info);

    const size_t channels = png_get_channels(job->png, job->info);
    const size_t rowBytes = png_get_rowbytes(job->png, job->info);
    if (rowBytes != size_t(width) * channels) {
        std::snprintf(job->message, sizeof job->message, "unexpected PNG row layout");
        return -1;
    }
    png_colorp palette = nullptr;
    int paletteCount = 0;
    if (colourType == PNG_COLOR_TYPE_PALETTE && png_get_PLTE(job->png, job->info, &palette, &paletteCount) == 0) {
        std::snprintf(job->message, sizeof job->message, "PNG palette missing");
        return -1;
    }
    // An interlaced image is filled in over several passes, so it needs every row at once.
    const size_t heldRows = passes > 1 ? height : 1;
    job->rows = static_cast<uint8_t*>(std::malloc(rowBytes * heldRows));
    if (!job->rows) {
        std::snprintf(job->message, sizeof job->message, "out of memory reading PNG");
        return -1;
    }
    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 y = 0; y < height; ++y) {
            uint8_t* row = job->rows + (passes > 1 ? y * rowBytes : 0);
            png_read_row(job->png, row, nullptr);
            if (pass == passes - 1
                && !PngConvertRow(row, job->out->RowPointer(static_cast<int>(y)), width, colourType, palette,
                                  paletteCount)) {
                std::snprintf(job->message, sizeof job->message, "PNG pixel index beyond its palette");
                return -1;
            }
        }
    }
    png_read_end(job->png, nullptr);
    return 0;
}

} // namespace

int ReadPngFile(const std::string& path, VideoBuffer& out, std::string& error)
{
    VideoBuffer image;
    PngJob job{};
    job.out = &image;
    job.file = std::fopen(path.c_str(), "rb");
    if (!job.file)
        return Fail(out, error, "cannot open " + path);
    const int result = DecodePng(&job);
    if (job.png)
        png_destroy_read_struct(&job.png, job.info ? &job.info : nullptr, nullptr);
    std::free(job.rows);
    std::fclose(job.file);
    if (result != 0)
        return Fail(out, error, job.message);
    out.Swap(image);
    return 0;
}

// ---------------------------------------------------------------- JPEG
//
// Like libpng, libjpeg leaves by longjmp; the same plain-record arrangement applies.

namespace {

struct JpegJob {
    std::FILE* file;
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    std::jmp_buf jump;
    bool created;
    VideoBuffer* out;
    char message[JMSG_LENGTH_MAX + 32];
};

void JpegLeave(j_common_ptr cinfo)
{
    JpegJob* job = static_cast<JpegJob*>(cinfo->client_data);
    char text[JMSG_LENGTH_MAX];
    cinfo->err->format_message(cinfo, text);
    std::snprintf(job->message, sizeof job->message, "bad JPEG file: %s", text);
    std::longjmp(job->jump, 1);
}

// Warnings about truncated or corrupt compressed data end the decoding: the library would
// otherwise hand back an image padded with grey. Other warnings are ignored quietly.
void JpegOnMessage(j_common_ptr cinfo, int level)
{
    if (level != -1)
        return;
    switch (cinfo->err->msg_code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_MUST_RESYNC:
    case JWRN_BOGUS_PROGRESSION:
        JpegLeave(cinfo);
        break;
    default:
        break;
    }
}

void JpegQuiet(j_common_ptr) {}

int DecodeJpeg(JpegJob* job)
{
    job->cinfo.err = jpeg_std_error(&job->err);
    job->err.error_exit = JpegLeave;
    job->err.emit_message = JpegOnMessage;
    job->err.output_message = JpegQuiet;
    job->cinfo.client_data = job;
    if (setjmp(job->jump))
        return -1;
    jpeg_create_decompress(&job->cinfo);
    job->created = true;
    jpeg_stdio_src(&job->cinfo, job->file);
    jpeg_read_header(&job->cinfo, TRUE);
    if (job->cinfo.jpeg_color_space == JCS_CMYK || job->cinfo.jpeg_color_space == JCS_YCCK) {
        std::snprintf(job->message, sizeof job->message, "CMYK JPEG files are not supported");
        return -1;
    }
    job->cinfo.out_color_space = JCS_EXT_BGRA;  // the buffer's own byte order, extra byte 255
    jpeg_calc_output_dimensions(&job->cinfo);
    const JDIMENSION width = job->cinfo.output_width, height = job->cinfo.output_height;
    if (width > 0x7FFFFFFF || height > 0x7FFFFFFF
        || job->out->Create(static_cast<int>(width), static_cast<int>(height)) != 0) {
        std::snprintf(job->message, sizeof job->message, "JPEG size %u x %u refused", unsigned(width),
                      unsigned(height));
        return -1;
    }
    jpeg_start_decompress(&job->cinfo);
    while (job->cinfo.output_scanline < height) {
        JSAMPROW row = job->out->RowPointer(static_cast<int>(job->cinfo.output_scanline));
        jpeg_read_scanlines(&job->cinfo, &row, 1);
    }
    jpeg_finish_decompress(&job->cinfo);
    return 0;
}

} // namespace

int ReadJpegFile(const std::string& path, VideoBuffer& out, std::string& error)
{
    VideoBuffer image;
    // Heap-held so that the large library record does not sit on the stack.
    auto job = std::make_unique<JpegJob>();
    std::memset(job.get(), 0, sizeof(JpegJob));
    job->out = &image;
    job->file = std::fopen(path.c_str(), "rb");
    if (!job->file)
        return Fail(out, error, "cannot open " + path);
    const int result = DecodeJpeg(job.get());
    if (job->created)
        jpeg_destroy_decompress(&job->cinfo);
    std::fclose(job->file);
    if (result != 0)
        return Fail(out, error, job->message);
    out.Swap(image);
    return 0;
}

// ---------------------------------------------------------------- GIF

namespace {

struct GifCloser {
    void operator()(GifFileType* gif) const
    {
        int err = 0;
        DGifCloseFile(gif, &err);
    }
};

std::string GifError(const char* what, int code)
{
    const char* text = GifErrorString(code);
    return std::string("bad GIF file: ") + what + (text ? std::string(": ") + text : std::string());
}

} // namespace

int ReadGifFile(const std::string& path, VideoBuffer& out, std::string& error)
{
    int err = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpenFileName(path.c_str(), &err));
    if (!gif)
        return Fail(out, error, err == D_GIF_ERR_OPEN_FAILED ? "cannot open " + path : GifError("header", err));

    // The first image, with the transparent colour of a graphic control block before it.
    int transparent = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR)
            return Fail(out, error, GifError("record", gif->Error));
        if (type == TERMINATE_RECORD_TYPE)
            return Fail(out, error, "GIF file without an image");
        if (type == IMAGE_DESC_RECORD_TYPE)
            break;
        if (type != EXTENSION_RECORD_TYPE)
            return Fail(out, error, "bad GIF record");
        int code = 0;
        GifByteType* ext = nullptr;
        if (DGifGetExtension(gif.get(), &code, &ext) == GIF_ERROR)
            return Fail(out, error, GifError("extension", gif->Error));
        if (code == GRAPHICS_EXT_FUNC_CODE && ext) {
            GraphicsControlBlock gcb;
            if (DGifExtensionToGCB(ext[0], ext + 1, &gcb) == GIF_OK)
                transparent = gcb.TransparentColor;
        }
        while (ext) {
            if (DGifGetExtensionNext(gif.get(), &ext) == GIF_ERROR)
                return Fail(out, error, GifError("extension", gif->Error));
        }
    }
    if (DGifGetImageDesc(gif.get()) == GIF_ERROR)
        return Fail(out, error, GifError("image descriptor", gif->Error));

    const GifImageDesc& desc = gif->Image;
    const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
    if (!map || !map->Colors || map->ColorCount <= 0)
        return Fail(out, error, "GIF image without a colour table");
    if (desc.Width <= 0 || desc.Height <= 0 || desc.Left < 0 || desc.Top < 0)
        return Fail(out, error, "bad GIF image size");
    // The picture is the logical screen; a frame reaching past it widens the picture.
    const int64_t width = std::max<int64_t>(gif->SWidth, int64_t(desc.Left) + desc.Width);
    const int64_t height = std::max<int64_t>(gif->SHeight, int64_t(desc.Top) + desc.Height);
    VideoBuffer image;
    if (width > 0x7FFFFFFF || height > 0x7FFFFFFF || image.Create(int(width), int(height)) != 0)
        return Fail(out, error,
                    "GIF size " + std::to_string(width) + " x " + std::to_string(height) + " refused");

    std::vector<GifPixelType> line(static_cast<size_t>(desc.Width));
    static const int kStart[4] = {0, 4, 2, 1};
    static const int kStep[4] = {8, 8, 4, 2};
    const int passes = desc.Interlace ? 4 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        const int start = desc.Interlace ? kStart[pass] : 0;
        const int step = desc.Interlace ? kStep[pass] : 1;
        for (int y = start; y < desc.Height; y += step) {
            if (DGifGetLine(gif.get(), line.data(), desc.Width) == GIF_ERROR)
                return Fail(out, error, GifError("image data", gif->Error));
            uint8_t* dst = image.RowPointer(desc.Top + y) + size_t(desc.Left) * 4;
            for (int x = 0; x < desc.Width; ++x, dst += 4) {
                const int idx = line[size_t(x)];
                if (idx == transparent)
                    continue;  // stays 0: transparent black
                if (idx >= map->ColorCount)
                    return Fail(out, error, "GIF pixel index " + std::to_string(idx) + " beyond its palette");
                const GifColorType& c = map->Colors[idx];
                PutBgra(dst, c.Red, c.Green, c.Blue, 255);
            }
        }
    }
    out.Swap(image);
    return 0;
}

// ---------------------------------------------------------------- by contents

int ReadImageFile(const std::string& path, VideoBuffer& out, std::string& error)
{
    uint8_t magic[8] = {};
    size_t got = 0;
    {
        FilePtr file(std::fopen(path.c_str(), "rb"));
        if (!file)
            return Fail(out, error, "cannot open " + path);
        got = std::fread(magic, 1, sizeof magic, file.get());
    }
    static const uint8_t kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (got >= 2 && magic[0] == 'B' && magic[1] == 'M')
        return ReadBmpFile(path, out, error);
    if (got >= 8 && std::memcmp(magic, kPng, 8) == 0)
        return ReadPngFile(path, out, error);
    if (got >= 3 && magic[0] == 0xFF && magic[1] == 0xD8 && magic[2] == 0xFF)
        return ReadJpegFile(path, out, error);
    if (got >= 6 && (std::memcmp(magic, "GIF87a", 6) == 0 || std::memcmp(magic, "GIF89a", 6) == 0))
        return ReadGifFile(path, out, error);
    return Fail(out, error, "not a BMP, PNG, JPEG or GIF file: " + path);
}

int VideoBuffer::LoadImageFile(const std::string& path, std::string* error)
{
    Free();
    VideoBuffer loaded;
    std::string why;
    if (ReadImageFile(path, loaded, why) != 0) {
        if (error)
            *error = why;
        return -1;
    }
    Swap(loaded);
    return 0;
}

} // namespace kv
