#include "exchange/IcosahedralNet.h"

#include "base/Progress.h"
#include "base/raster/VideoBuffer.h"
#include "exchange/RowBlocks.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace kv {

int IcosahedralNetHeight(int width)
{
    return static_cast<int>(width * 1.5 * std::sqrt(3.0) * 2.0 / 11.0);
}

bool StretchToNet(const VideoBuffer& sphere, VideoBuffer& net, int threads)
{
    const int w = net.GetWidth(), h = net.GetHeight();
    if (sphere.IsEmpty() || net.IsEmpty() || sphere.GetWidth() != w)
        return false;
    RunRowBlocks(
        h, threads, h,
        [&](int i, int) {
            const auto y = static_cast<float>(((static_cast<int64_t>(i) * w) >> 1) / h);
            for (int j = 0; j < w; ++j)
                net.SetPixelFast(j, i, sphere.SampleBilinear(static_cast<float>(j), y));
        },
        [](int, int) { return true; });
    return true;
}

namespace {

// The net's measures for one picture, copied into each row's work so that they stay in
// registers while the row is written.
struct NetGeometry {
    int W = 0;
    int count = 0;
    int ci = 0;
    int bytes = 0;
    double c = 0.0;
    double b = 0.0;
    double P[12] = {};
    uint32_t background = 0;
};

// Remaps top-based row d of the picture in place: `s` and `out` are scratch rows of at
// least W + 2 and W pixels.
void RemapRow(const NetGeometry g, uint8_t* row, uint32_t* s, uint32_t* out, int d)
{
    // The source row resampled to count + 2 pixels (as GetPixel gives them).
    for (int i = 0; i <= g.count + 1; ++i) {
        const uint8_t* p = row + static_cast<size_t>((static_cast<int64_t>(i) * g.W / g.count) % g.W) * g.bytes;
        s[i] = static_cast<uint32_t>(p[2]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[0]) << 16) |
               (g.bytes == 4 ? static_cast<uint32_t>(p[3]) << 24 : 0u);
    }
    std::fill(out, out + g.W, g.background);
    const auto put = [&](int x, uint32_t colour) {
        if (x >= 0 && x < g.W)
            out[x] = colour;
    };
    if (d < g.b) {
        const double h = g.c * (d + 1) / g.b;
        for (int u = 0; u < h; ++u) {
            const int k = static_cast<int>(u / h * g.c);
            for (int t = 1; t <= 9; t += 2) {
                const double C = g.P[t];
                put(static_cast<int>(C - u + 0.5), s[static_cast<int>(C - k + 0.5)]);
                put(static_cast<int>(C + u + 0.5), s[static_cast<int>(C + k + 0.5)]);
            }
        }
    } else if (d < 2 * g.b) {
        const int shift = static_cast<int>(g.c * ((d + 1) - g.b) / g.b);
        for (int i = 0; i <= g.count; ++i)
            put(shift + i, s[(shift + i) % (g.count + 1)]);
    } else {
        const double h = (1.0 - ((d + 1) - 2 * g.b) / g.b) * g.c;
        // The source rotated left by c pixels within one turn of longitude; an index at
        // or past a turn wraps around it.
        const auto t = [&](int index) { return s[((index % g.count) + g.ci) % g.count]; };
        for (int u = 0; u < h; ++u) {
            const int k = static_cast<int>(u / h * g.c);
            for (int p = 2; p <= 10; p += 2) {
                const double C = g.P[p], S = g.P[p - 1];
                put(static_cast<int>(C - u + 0.5), t(static_cast<int>(S - k + 0.5)));
                put(static_cast<int>(C + u + 0.5), t(static_cast<int>(S + k + 0.5)));
            }
        }
    }
    // Stored as SetPixel stores: blue, green, red (, the extra byte).
    for (int x = 0; x < g.W; ++x) {
        uint8_t* p = row + static_cast<size_t>(x) * g.bytes;
        const uint32_t colour = out[x];
        p[0] = static_cast<uint8_t>(colour >> 16);
        p[1] = static_cast<uint8_t>(colour >> 8);
        p[2] = static_cast<uint8_t>(colour);
        if (g.bytes == 4)
            p[3] = static_cast<uint8_t>(colour >> 24);
    }
}

} // namespace

int RemapIcosahedral(VideoBuffer& buffer, uint32_t background, int threads)
{
    NetGeometry g;
    g.W = buffer.GetWidth();
    const int H = buffer.GetHeight();
    g.c = (g.W - 1) / 11.0;
    g.count = static_cast<int>(g.c * 10.0);
    if (buffer.IsEmpty() || buffer.BytesPerPixel() < 3 || g.count < 1)
        return -1;
    g.ci = static_cast<int>(g.c);
    g.bytes = buffer.BytesPerPixel();
    g.b = H / 3.0;
    for (int k = 0; k < 12; ++k)
        g.P[k] = k * g.c;
    g.background = background;

    ProgressBeginHook("Processing Icosahedral Projection");
    const int n = RowBlockThreads(threads, H);
    // Per thread: the resampled source row and the row being made.
    const size_t scratch = static_cast<size_t>(g.W) + 16 + static_cast<size_t>(g.count);
    std::vector<std::vector<uint32_t>> rows(static_cast<size_t>(n), std::vector<uint32_t>(2 * scratch));
    const bool complete = RunRowBlocks(
        H, n, std::max(H / 8, n * 2),
        [&](int d, int slot) {
            uint32_t* s = rows[static_cast<size_t>(slot)].data();
            RemapRow(g, buffer.RowPointer(d), s, s + scratch, d);
        },
        [&](int, int end) {
            ProgressStepHook(end, H);
            ProgressPollHook();
            return !AbortRequested();
        });
    ProgressEndHook();
    g_abortValue = 0;
    return complete ? 0 : -1;
}

} // namespace kv
