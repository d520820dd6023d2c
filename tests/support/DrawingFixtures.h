// A small equirectangular map and a drawing sink that records what it is given, for the
// tests of the layers drawn over the map (grids, rivers).
#pragma once

#include "base/Progress.h"
#include "base/color/LightParms.h"
#include "base/raster/VideoBuffer.h"
#include "projection/ProjectionParms.h"
#include "world/DrawingSink.h"
#include "world/SurfMap.h"
#include "world/SurfaceSampler.h"

#include <memory>
#include <vector>

// A 73 x 37 map of the whole world at 5 degrees per pixel: longitude L lies at
// x = 36 + L / 5 (plus a thousandth of a pixel), latitude B at y = 18 - B / 5.
struct SmallMap {
    static constexpr int kWidth = 73;
    static constexpr int kHeight = 37;

    explicit SmallMap(double centreLongitude = 0.0)
    {
        projection.SetScale(18.5 / 36.0);
        projection.SetCenter(0.0, centreLongitude);
        image.Create(kWidth, kHeight, 32);
        mask.Create(kWidth, kHeight, 32);
        image.Clear(0);
        mask.Clear(0);
        sampler = std::make_unique<kv::SurfaceSampler>(&projection, &world, &light, 1);
        sampler->SetTarget(nullptr, &image, nullptr);
    }

    static int X(double longitude) { return static_cast<int>(36.0 + longitude / 5.0); }
    static int Y(double latitude) { return static_cast<int>(18.0 - latitude / 5.0); }

    kv::SurfMap world;
    kv::ProjectionParms projection;
    kv::LightParms light;
    kv::VideoBuffer image;
    kv::VideoBuffer mask;
    std::unique_ptr<kv::SurfaceSampler> sampler;
};

// Records every polyline with the pen in force when it arrived.
struct RecordingSink : kv::DrawingSink {
    struct Line {
        std::vector<kv::line_pts::Point> points;
        kv::DrawingPen pen;
    };
    int Trace(const kv::line_pts& line) override
    {
        lines.push_back({std::vector<kv::line_pts::Point>(line.Points(), line.Points() + line.Count()), pen});
        return 0;
    }
    std::vector<Line> lines;
};

// Progress hooks whose poll asks to stop (the abort value set as the user's Esc does);
// the previous hooks and a clear abort value come back when it ends.
struct AbortOnPoll {
    AbortOnPoll()
    {
        kv::ProgressHooks hooks = kv::SilentProgressHooks();
        hooks.poll = [] {
            ++polls;
            kv::g_abortValue = kv::kAbortValue;
            return 0;
        };
        polls = 0;
        m_previous = kv::SetProgressHooks(hooks);
    }
    ~AbortOnPoll()
    {
        kv::SetProgressHooks(m_previous);
        kv::g_abortValue = 0;
    }
    static inline int polls = 0;

private:
    kv::ProgressHooks m_previous;
};
