// The navigation buttons of the atlas pages, drawn here and written as GIF files: a
// raised face with an arrow (parent: an arrow onto a bar; download: an arrow onto a
// tray), blue with a white arrow when active, grey when disabled.
#include "exchange/MultiFileAtlas.h"

#include "platform/AtomicFile.h"

#include <gif_lib.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace kv {

namespace {

enum : uint8_t { kBack = 0, kEdge = 1, kFace = 2, kGlyph = 3 };

struct ButtonShape {
    const char* file;
    int width;
    int height;
    int direction; // 0 up, 1 left, 2 right, 3 down
    bool bar;      // a bar at the arrow's head (parent) or below it (download)
};
constexpr ButtonShape kShapes[] = {
    {"p.gif", 36, 32, 0, true}, {"l.gif", 32, 32, 1, false}, {"r.gif", 32, 32, 2, false},
    {"u.gif", 32, 32, 0, false}, {"d.gif", 32, 32, 3, false}, {"c.gif", 80, 32, 3, true},
};

// True inside the arrow of a button centred at (cx, cy) pointing in `direction`.
bool InArrow(int x, int y, double cx, double cy, int direction)
{
    // Local coordinates: u along the arrow (forward positive), v across it.
    double u = 0.0, v = 0.0;
    const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
    switch (direction) {
    case 0: u = -dy, v = dx; break;
    case 1: u = -dx, v = dy; break;
    case 2: u = dx, v = dy; break;
    default: u = dy, v = dx; break;
    }
    if (u >= 0.0 && u <= 8.0)
        return std::fabs(v) <= 8.0 - u; // the head
    return u < 0.0 && u >= -8.0 && std::fabs(v) <= 3.0; // the shaft
}

std::vector<uint8_t> Draw(const ButtonShape& b)
{
    std::vector<uint8_t> pixels(static_cast<std::size_t>(b.width) * b.height, kFace);
    const double cx = b.width * 0.5, cy = b.height * 0.5;
    for (int y = 0; y < b.height; ++y)
        for (int x = 0; x < b.width; ++x) {
            uint8_t& p = pixels[static_cast<std::size_t>(y) * b.width + x];
            if (x == 0 || y == 0 || x == b.width - 1 || y == b.height - 1)
                p = kBack;
            else if (x == 1 || y == 1 || x == b.width - 2 || y == b.height - 2)
                p = kEdge;
            else if (InArrow(x, y, cx, cy, b.direction))
                p = kGlyph;
            else if (b.bar && std::fabs(x + 0.5 - cx) <= 9.0 &&
                     (b.direction == 0 ? (y >= 5 && y <= 6) : (y >= b.height - 7 && y <= b.height - 6)))
                p = kGlyph;
        }
    return pixels;
}

int WriteToFile(GifFileType* gif, const GifByteType* data, int length)
{
    auto* file = static_cast<std::FILE*>(gif->UserData);
    return static_cast<int>(std::fwrite(data, 1, static_cast<std::size_t>(length), file));
}

bool WriteGif(const std::string& path, const ButtonShape& b, bool active)
{
    AtomicFile file;
    if (!file.Open(path))
        return false;
    int error = 0;
    GifFileType* gif = EGifOpen(file.File(), WriteToFile, &error);
    if (gif == nullptr)
        return false;
    const GifColorType colours[4] = {
        {255, 255, 255},
        {64, 64, 64},
        active ? GifColorType{48, 96, 192} : GifColorType{200, 200, 200},
        active ? GifColorType{255, 255, 255} : GifColorType{140, 140, 140},
    };
    ColorMapObject* map = GifMakeMapObject(4, colours);
    const std::vector<uint8_t> pixels = Draw(b);
    bool ok = map != nullptr && EGifPutScreenDesc(gif, b.width, b.height, 2, 0, map) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, b.width, b.height, false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < b.height; ++y)
        ok = EGifPutLine(gif, const_cast<GifPixelType*>(pixels.data() + static_cast<std::size_t>(y) * b.width),
                         b.width) == GIF_OK;
    if (map != nullptr)
        GifFreeMapObject(map);
    ok = EGifCloseFile(gif, &error) == GIF_OK && ok;
    return ok && file.Commit();
}

} // namespace

int WriteAtlasButtons(const std::string& folder)
{
    const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    for (const ButtonShape& b : kShapes)
        for (const bool active : {true, false})
            if (!WriteGif(prefix + (active ? "a" : "d") + b.file, b, active))
                return -1;
    return 0;
}

} // namespace kv
