// The river stages written out step by step, cell by cell: every walk walked, every
// routing iteration rescanning the whole grid. Oracles for the tests of world/RiverGrids
// and the peers of its benchmark.
#pragma once

#include "base/grid/Grid2D.h"
#include "base/layers/ImageOverlay.h"
#include "world/RiverGrids.h"
#include "world/GridGeometry.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace literal {

inline void Neighbour(int r, int c, int k, int w, int h, int& nr, int& nc)
{
    nr = std::min(std::max(r + kv::kRiverRowStep[k], 0), h - 1);
    nc = ((c + kv::kRiverColumnStep[k]) % w + w) % w;
}

// Direction of every cell, water last.
inline void Directions(const kv::Grid2D& z, const kv::Grid2D& water, kv::Grid2D& dir)
{
    const int w = static_cast<int>(z.Width()), h = static_cast<int>(z.Height());
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c) {
            const float centre = z.Row<float>(r)[c];
            float best = 0.0f;
            std::uint8_t d = 9;
            for (int k = 0; k < 8; ++k) {
                int nr = 0, nc = 0;
                Neighbour(r, c, k, w, h, nr, nc);
                const float drop = (centre - z.Row<float>(nr)[nc]) * kv::kRiverWeight[k];
                if (drop > best) {
                    best = drop;
                    d = static_cast<std::uint8_t>(k);
                }
            }
            dir.Row<std::uint8_t>(r)[c] = d;
        }
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c)
            if (water.Row<float>(r)[c] > z.Row<float>(r)[c])
                dir.Row<std::uint8_t>(r)[c] = 10;
}

// Every start cell walked, at most 4 x (W + H) cells.
inline void Walks(const kv::Grid2D& dir, const kv::Grid2D& rain, kv::Grid2D& flow, kv::Grid2D& reach)
{
    const int w = static_cast<int>(dir.Width()), h = static_cast<int>(dir.Height());
    flow.Clear();
    reach.Clear();
    const long long limit = 4LL * (w + h);
    for (int r0 = 0; r0 < h; ++r0)
        for (int c0 = 0; c0 < w; ++c0) {
            int r = r0, c = c0;
            for (long long i = 0; i < limit; ++i) {
                flow.Row<float>(r)[c] += rain.Row<float>(r)[c];
                reach.Row<float>(r)[c] += 100.0f;
                const int d = dir.Row<std::uint8_t>(r)[c];
                if (d >= 8)
                    break;
                int nr = 0, nc = 0;
                Neighbour(r, c, d, w, h, nr, nc);
                r = nr;
                c = nc;
            }
        }
}

// The routing with a whole-grid rescan per river.
inline std::vector<kv::RoutedRiver> Route(const kv::RiverRoutingInput& in)
{
    const kv::Grid2D& G = *in.value;
    const int w = static_cast<int>(G.Width()), h = static_cast<int>(G.Height());
    auto g = [&](int r, int c) { return G.Row<float>(r)[c]; };
    auto excluded = [&](int r, int c) { return in.excluded != nullptr && in.excluded->Row<std::uint8_t>(r)[c] != 0; };
    auto alpha = [&](int r, int c) { return in.preview->PixelRow(r)[c] >> 24; };
    std::vector<std::uint8_t> mark(static_cast<std::size_t>(w) * h);
    auto m = [&](int r, int c) -> std::uint8_t& { return mark[static_cast<std::size_t>(r) * w + c]; };
    long long total = 0;
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c) {
            m(r, c) = (in.waterLevel->Row<float>(r)[c] > in.altitude->Row<float>(r)[c] && g(r, c) == 0.0f) ? 3 : 0;
            if (g(r, c) > in.cut)
                ++total;
        }
    std::vector<kv::RoutedRiver> rivers;
    const long long limit = 4LL * (w + h);
    int tiny = 0;
    while (tiny < in.maxTinySegments) {
        long long remaining = 0;
        float best = 0.0f;
        int sr = -1, sc = -1;
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c) {
                if (excluded(r, c) || (m(r, c) & 1))
                    continue;
                if (g(r, c) > in.cut)
                    ++remaining;
                if (g(r, c) > best) {
                    best = g(r, c);
                    sr = r;
                    sc = c;
                }
            }
        if (in.cut >= best)
            break;
        kv::RoutedRiver river;
        river.colour = in.colour;
        river.level = static_cast<int>((total - remaining) * 10000 / total);
        std::vector<std::array<int, 2>> pts;
        int r = sr, c = sc;
        for (long long i = 0; i < limit; ++i) {
            if (alpha(r, c) == 0)
                break;
            pts.push_back({r, c});
            m(r, c) = 1;
            int s = 0;
            if (pts.size() >= 2) {
                const double dx = pts[pts.size() - 1][1] - pts[pts.size() - 2][1];
                const double dy = pts[pts.size() - 1][0] - pts[pts.size() - 2][0];
                static const int table[8] = {3, 6, 5, 4, 7, 2, 1, 0};
                s = table[static_cast<int>((std::atan2(dy, dx) + std::numbers::pi) * 8 / (2 * std::numbers::pi)) % 8];
            }
            float v = 0.0f;
            int br = r, bc = c;
            for (int b = 0; b < 8; ++b) {
                const int k = (s + b) % 8;
                int nr = 0, nc = 0;
                Neighbour(r, c, k, w, h, nr, nc);
                if (excluded(nr, nc) || m(nr, nc) != 0 || alpha(nr, nc) == 0)
                    continue;
                const float value = g(nr, nc) / kv::kRiverWeight[k];
                if (value > v) {
                    v = value;
                    br = nr;
                    bc = nc;
                }
            }
            r = br;
            c = bc;
            if (m(r, c) != 0)
                break;
        }
        pts.push_back({r, c});
        m(r, c) = 1;
        auto join = [&](int jr, int jc, std::array<int, 2>& out) {
            float v = 0.0f;
            bool found = false;
            for (int k = 0; k < 8; ++k) {
                int nr = 0, nc = 0;
                Neighbour(jr, jc, k, w, h, nr, nc);
                if (excluded(nr, nc) || m(nr, nc) == 0 || alpha(nr, nc) == 0)
                    continue;
                bool point = false;
                for (const auto& p : pts)
                    point = point || (std::abs(p[0] - nr) < 0.0001 && std::abs(p[1] - nc) < 0.0001);
                if (point)
                    continue;
                const float value = g(nr, nc) / kv::kRiverWeight[k];
                if (value > v) {
                    v = value;
                    out = {nr, nc};
                    found = true;
                }
            }
            return found;
        };
        std::array<int, 2> joined{};
        if (join(sr, sc, joined))
            pts.insert(pts.begin(), joined);
        const std::array<int, 2> end = pts.back();
        if (join(end[0], end[1], joined))
            pts.push_back(joined);
        if (pts.size() >= 2) {
            for (const auto& p : pts)
                river.points.push_back({std::min(90.0, kv::GridRowLatitude(p[0] + 0.5, h)),
                                        kv::GridColumnLongitude(p[1] + 0.5, w)});
            rivers.push_back(river);
        } else {
            ++tiny;
        }
    }
    return rivers;
}

} // namespace literal
