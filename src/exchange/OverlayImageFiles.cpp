#include "exchange/OverlayImageFiles.h"

#include "base/layers/ImageOverlay.h"
#include "base/raster/VideoBuffer.h"
#include "view/ImageFileWriters.h"

#include <algorithm>
#include <filesystem>
#include <vector>

namespace kv {

std::string OverlayImageReadMessage(const std::string& path)
{
    return "Unable to properly read image file " + path;
}

std::string FileTitle(const std::string& path)
{
    return std::filesystem::path(path).stem().string();
}

bool LoadOverlayImage(const std::string& path, VideoBuffer& image)
{
    if (image.LoadImageFile(path) != 0)
        return false;
    const int w = image.GetWidth(), h = image.GetHeight();
    if (w < 1 || h < 1 || w > ImageOverlay::kMaxSide || h > ImageOverlay::kMaxSide ||
        int64_t(w) * int64_t(h) > ImageOverlay::kMaxPixels) {
        image.Free();
        return false;
    }
    return true;
}

bool ImportOverlayColor(ImageOverlay& overlay, const VideoBuffer& image, const std::string& title,
                        bool transparentKey)
{
    const int w = image.GetWidth(), h = image.GetHeight();
    if (w < 1 || h < 1)
        return false;
    ImageOverlay staged;
    staged.width = w;
    staged.height = h;
    if (!staged.AllocatePixels())
        return false;

    const uint32_t key = image.GetPixel(0, 0);
    bool hasAlpha = false;
    for (int row = 0; row < h && !hasAlpha; ++row)
        for (int col = 0; col < w; ++col)
            if ((image.GetPixel(col, row) >> 24) != (key >> 24)) {
                hasAlpha = true;
                break;
            }
    for (int i = 0; i < h; ++i) {
        uint32_t* out = staged.PixelRow(i);
        const int source = h - 1 - i;
        for (int j = 0; j < w; ++j) {
            const uint32_t p = image.GetPixel(j, source);
            uint32_t alpha = 255;
            if (transparentKey)
                alpha = (p & 0xFFFFFF) == (key & 0xFFFFFF) ? 0 : 255;
            else if (hasAlpha)
                alpha = p >> 24;
            out[j] = (p & 0xFFFFFF) | (alpha << 24);
        }
    }

    std::lock_guard<std::recursive_mutex> lock(OverlayLock());
    overlay.name = title;
    overlay.width = w;
    overlay.height = h;
    overlay.visible = true;
    overlay.pixels = std::move(staged.pixels);
    return true;
}

bool ImportOverlayOpacity(ImageOverlay& overlay, const VideoBuffer& image)
{
    const int iw = image.GetWidth(), ih = image.GetHeight();
    if (iw < 1 || ih < 1)
        return false;
    std::lock_guard<std::recursive_mutex> lock(OverlayLock());
    if (!overlay.HasPixels()) {
        ImageOverlay staged;
        staged.width = iw;
        staged.height = ih;
        if (!staged.AllocatePixels())
            return false;
        overlay.width = iw;
        overlay.height = ih;
        overlay.pixels = std::move(staged.pixels);
    }
    overlay.visible = true;
    const int w = static_cast<int>(overlay.pixels->Width());
    const int h = static_cast<int>(overlay.pixels->Height());
    const double sx = double(iw) / w, sy = double(ih) / h;
    for (int i = 0; i < h; ++i) {
        const int scaled = std::clamp(static_cast<int>(i * sy), 0, ih - 1);
        const int source = ih - 1 - scaled;
        uint32_t* row = overlay.PixelRow(i);
        for (int j = 0; j < w; ++j) {
            const int col = std::clamp(static_cast<int>(j * sx), 0, iw - 1);
            const uint32_t grey = static_cast<uint32_t>(OverlayGrey(image.GetPixel(col, source)));
            const uint32_t alpha = ((row[j] >> 24) * grey + 127) / 255;
            row[j] = (row[j] & 0xFFFFFF) | (alpha << 24);
        }
    }
    return true;
}

int ExportOverlayPng(const ImageOverlay& overlay, const std::string& path)
{
    std::vector<uint8_t> rgba;
    int w = 0, h = 0;
    {
        std::lock_guard<std::recursive_mutex> lock(OverlayLock());
        if (!overlay.HasPixels())
            return -1;
        w = static_cast<int>(overlay.pixels->Width());
        h = static_cast<int>(overlay.pixels->Height());
        rgba.resize(size_t(w) * size_t(h) * 4);
        for (int i = 0; i < h; ++i) {
            const uint32_t* src = overlay.PixelRow(i);
            uint8_t* out = rgba.data() + size_t(h - 1 - i) * size_t(w) * 4;
            for (int j = 0; j < w; ++j) {
                const uint32_t p = src[j];
                out[4 * j] = static_cast<uint8_t>(p);
                out[4 * j + 1] = static_cast<uint8_t>(p >> 8);
                out[4 * j + 2] = static_cast<uint8_t>(p >> 16);
                out[4 * j + 3] = static_cast<uint8_t>(p >> 24);
            }
        }
    }
    return WritePngFile(path, rgba.data(), w, h);
}

} // namespace kv
