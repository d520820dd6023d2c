// Small image files in memory, made by the image libraries' own encoders and by our BMP
// writer: seeds for the image readers' fuzz target and its malformed-input cases.
#pragma once

#include "base/raster/VideoBuffer.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>
#include <unistd.h>

namespace image_seeds {

using Bytes = std::vector<uint8_t>;

// Channel c (0 red, 1 green, 2 blue, 3 alpha) of the seed picture at (x, y).
inline uint8_t Channel(int x, int y, int c)
{
    return static_cast<uint8_t>(x * 20 + y * 7 + c * 60);
}

// A PNG of the seed picture: format PNG_FORMAT_RGBA, PNG_FORMAT_GRAY, ...
inline Bytes Png(int width, int height, uint32_t format)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = format;
    const int channels = static_cast<int>(PNG_IMAGE_SAMPLE_CHANNELS(format));
    Bytes pixels(static_cast<size_t>(width * height * channels));
    for (int i = 0; i < width * height; ++i)
        for (int c = 0; c < channels; ++c)
            pixels[static_cast<size_t>(i * channels + c)] = Channel(i % width, i / width, c);
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr))
        return {};
    Bytes out(size);
    if (!png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, nullptr))
        return {};
    out.resize(size);
    return out;
}

// A baseline JPEG of the seed picture with 3 (RGB) or 1 (grey) components.
inline Bytes Jpeg(int width, int height, int components)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = components;
    cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(width * components));
    while (cinfo.next_scanline < cinfo.image_height) {
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < components; ++c)
                row[static_cast<size_t>(x * components + c)] = Channel(x, static_cast<int>(cinfo.next_scanline), c);
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&cinfo, &p, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

inline int AppendGifBytes(GifFileType* gif, const GifByteType* data, int length)
{
    auto* out = static_cast<Bytes*>(gif->UserData);
    out->insert(out->end(), data, data + length);
    return length;
}

// A GIF of one frame of a 16-colour palette, offset by one column inside a screen two
// columns wider, with colour 3 transparent; interlaced or not.
inline Bytes Gif(int width, int height, bool interlaced)
{
    Bytes out;
    int err = 0;
    GifFileType* gif = EGifOpen(&out, AppendGifBytes, &err);
    if (!gif)
        return {};
    EGifSetGifVersion(gif, true);
    GifColorType colours[16];
    for (int i = 0; i < 16; ++i)
        colours[i] = {Channel(i, 0, 0), Channel(i, 0, 1), Channel(i, 0, 2)};
    ColorMapObject* map = GifMakeMapObject(16, colours);
    EGifPutScreenDesc(gif, width + 2, height, 8, 0, map);
    GraphicsControlBlock gcb{};
    gcb.TransparentColor = 3;
    GifByteType ext[4];
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(EGifGCBToExtension(&gcb, ext)), ext);
    EGifPutImageDesc(gif, 1, 0, width, height, interlaced, nullptr);
    std::vector<GifPixelType> line(static_cast<size_t>(width));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            line[static_cast<size_t>(x)] = static_cast<GifPixelType>((x + y) % 16);
        EGifPutLine(gif, line.data(), width);
    }
    EGifCloseFile(gif, &err);
    GifFreeMapObject(map);
    return out;
}

// Our own BMP of the seed picture at 8, 24 or 32 bits per pixel.
inline Bytes Bmp(int width, int height, int bitCount)
{
    kv::VideoBuffer picture;
    if (picture.Create(width, height, bitCount) != 0)
        return {};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.SetPixel(x, y, static_cast<uint32_t>(Channel(x, y, 0) | Channel(x, y, 1) << 8 | Channel(x, y, 2) << 16));
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("kv_image_seed_" + std::to_string(getpid()) + ".bmp");
    if (picture.SaveBMP(path.string()) != 0)
        return {};
    std::ifstream in(path, std::ios::binary);
    Bytes out{std::istreambuf_iterator<char>(in), {}};
    std::error_code ec;
    std::filesystem::remove(path, ec);
    return out;
}

} // namespace image_seeds
