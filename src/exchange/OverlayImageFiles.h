// Image files into and out of an image overlay: the colour import (the file's pixels become
// the overlay's, optionally with the upper-left pixel's colour made transparent), the
// opacity import (the file's grey scales the overlay's alpha) and the PNG export.
//
// Overlay row 0 lies at the southern bound while image files hold their top line first, so
// overlay row i takes image row (height - 1 - i) in every direction and format. Pixels are
// changed under OverlayLock().
#pragma once

#include <cstdint>
#include <string>

namespace kv {

class ImageOverlay;
class VideoBuffer;

// The luminance the selection and the opacity import use: (11 B + 59 G + 30 R) / 100 of a
// 0x..BBGGRR colour, truncated.
inline int OverlayGrey(uint32_t colour)
{
    const int r = static_cast<int>(colour & 0xFF);
    const int g = static_cast<int>((colour >> 8) & 0xFF);
    const int b = static_cast<int>((colour >> 16) & 0xFF);
    return (11 * b + 59 * g + 30 * r) / 100;
}

// The message of an image that cannot be read or used.
std::string OverlayImageReadMessage(const std::string& path);

// The file's title: its name without folder and extension.
std::string FileTitle(const std::string& path);

// Loads the image at `path` for an overlay. False (image empty) when it cannot be read or
// its size is beyond the overlay limits.
bool LoadOverlayImage(const std::string& path, VideoBuffer& image);

// The colour import of a loaded image: the overlay takes `title` as its name, the image's
// size, becomes visible and gets the image's pixels. With `transparentKey` a pixel whose
// colour equals the upper-left pixel's is clear and every other opaque; without it each
// pixel keeps its alpha when the image has any (some pixel's alpha differs from the
// upper-left one's), else is opaque. False (overlay unchanged) when the pixels cannot be had.
bool ImportOverlayColor(ImageOverlay& overlay, const VideoBuffer& image, const std::string& title,
                        bool transparentKey);

// The opacity import: an overlay without pixels first takes the image's size (clear
// pixels); then each pixel's alpha becomes alpha x grey / 255 (rounded) of the image pixel
// at the scaled position. The overlay becomes visible. False (unchanged) without memory.
bool ImportOverlayOpacity(ImageOverlay& overlay, const VideoBuffer& image);

// Writes the overlay's pixels (alpha kept) as an RGBA PNG, its northern row first. 0; -1
// without pixels; else the writer's negative code (any earlier file stays as it was).
int ExportOverlayPng(const ImageOverlay& overlay, const std::string& path);

} // namespace kv
