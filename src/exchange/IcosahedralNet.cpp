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

int RemapIcosahedral(VideoBuffer& buffer, uint32_t background, int threads)
{
    const int W = buffer.GetWidth(), H = buffer.GetHeight();
    const double c = (W - 1) / 11.0;
    const int count = static_cast<int>(c * 10.0);
    if (buffer.IsEmpty() || buffer.BytesPerPixel() < 3 || count < 1)
        return -1;
    const int ci = static_cast<int>(c);
    const double b = H / 3.0;
    double P[12];
    for (int k = 0; k < 12; ++k)
        P[k] = k * c;

    ProgressBeginHook("Processing Icosahedral Projection");
    const int n = RowBlockThreads(threads, H);
    // One resampled source row per thread (count + 2 entries and a margin).
    std::vector<std::vector<uint32_t>> rows(static_cast<size_t>(n), std::vector<uint32_t>(static_cast<size_t>(W) + 16 + count));
    const bool complete = RunRowBlocks(
        H, n, std::max(n * 4, 16),
        [&](int d, int slot) {
            uint32_t* s = rows[static_cast<size_t>(slot)].data();
            for (int i = 0; i <= count + 1; ++i)
                s[i] = buffer.GetPixel(static_cast<int>((static_cast<int64_t>(i) * W / count) % W), d);
            for (int x = 0; x < W; ++x)
                buffer.SetPixelFast(x, d, background);
            if (d < b) {
                const double h = c * (d + 1) / b;
                for (int u = 0; u < h; ++u) {
                    const int k = static_cast<int>(u / h * c);
                    for (int t = 1; t <= 9; t += 2) {
                        const double C = P[t];
                        buffer.SetPixel(static_cast<int>(C - u + 0.5), d, s[static_cast<int>(C - k + 0.5)]);
                        buffer.SetPixel(static_cast<int>(C + u + 0.5), d, s[static_cast<int>(C + k + 0.5)]);
                    }
                }
            } else if (d < 2 * b) {
                const int shift = static_cast<int>(c * ((d + 1) - b) / b);
                for (int i = 0; i <= count; ++i)
                    buffer.SetPixel(shift + i, d, s[(shift + i) % (count + 1)]);
            } else {
                const double h = (1.0 - ((d + 1) - 2 * b) / b) * c;
                // The source rotated left by c pixels within one turn of longitude; an
                // index at or past a turn wraps around it.
                auto t = [&](int index) { return s[((index % count) + ci) % count]; };
                for (int u = 0; u < h; ++u) {
                    const int k = static_cast<int>(u / h * c);
                    for (int p = 2; p <= 10; p += 2) {
                        const double C = P[p], S = P[p - 1];
                        buffer.SetPixel(static_cast<int>(C - u + 0.5), d, t(static_cast<int>(S - k + 0.5)));
                        buffer.SetPixel(static_cast<int>(C + u + 0.5), d, t(static_cast<int>(S + k + 0.5)));
                    }
                }
            }
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
