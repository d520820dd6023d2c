#include "exchange/SpinSequence.h"

#include "base/MessageService.h"
#include "base/raster/VideoBuffer.h"
#include "exchange/ExportCommon.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace kv {

SpinSettings& SpinMemory()
{
    static SpinSettings memory;
    return memory;
}

std::unique_ptr<CMovieFrameWriter> FrameWriterFor(const std::string& path)
{
    std::string ext = PathExtension(path);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    if (ext == ".bmp")
        return std::make_unique<CBMPFrameWriter>();
    if (ext == ".jpg" || ext == ".jpeg")
        return std::make_unique<CJPGFrameWriter>();
    return nullptr;
}

void PaintSpinFrame(VideoBuffer& colour, const VideoBuffer& coverage, uint32_t background, bool shaded)
{
    const int w = std::min(colour.GetWidth(), coverage.GetWidth());
    const int h = std::min(colour.GetHeight(), coverage.GetHeight());
    const double half = colour.GetWidth() / 2.0;
    for (int i = 0; i < h; ++i)
        for (int j = 0; j < w; ++j) {
            if ((coverage.GetPixel(j, i) & 0xFFFFFF) == 0) {
                colour.SetPixelFast(j, i, background);
                continue;
            }
            if (!shaded)
                continue;
            const double x = (j - half) / half, y = (i - half) / half;
            const double f = std::clamp((std::cos(std::sqrt(x * x + y * y) * M_PI / 2) + 1) / 2, 0.0, 1.0);
            const auto q = static_cast<uint32_t>(f * 255);
            const uint32_t v = colour.GetPixel(j, i);
            const uint32_t r = ((v & 0xFF) * q) >> 8, g = (((v >> 8) & 0xFF) * q) >> 8, b = (((v >> 16) & 0xFF) * q) >> 8;
            colour.SetPixelFast(j, i, r | (g << 8) | (b << 16));
        }
}

} // namespace kv
