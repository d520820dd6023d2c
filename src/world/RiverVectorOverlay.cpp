#include "world/RiverVectorOverlay.h"

#include "base/Progress.h"
#include "base/color/CColorList.h"
#include "base/raster/Canvas.h"
#include "platform/Archive.h"
#include "world/DrawingSink.h"
#include "world/LineSubdivision.h"
#include "world/SurfaceSampler.h"

#include <algorithm>
#include <utility>

namespace kv {

namespace {

// The smallest river record: version and colour.
constexpr uint64_t kMinRiverRecordBytes = 8;
constexpr uint64_t kPointBytes = 16;

// Profile values of the river drawing: the tolerance is given in ten-thousandths of a pixel.
constexpr double kDefaultRiverError = 10000.0;
constexpr double kErrorUnit = 0.0001;
constexpr int kDrawDepth = 1;
constexpr int kExportDepth = 6;
// A progress step and poll after every this many rivers.
constexpr size_t kRiversPerStep = 1024;

// River tracing may place points past the poles; they are drawn at the pole.
double ClampLatitude(double latitude)
{
    return std::clamp(latitude, -90.0, 90.0);
}

} // namespace

void RiverPath::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kVersion << static_cast<int32_t>(colour) << static_cast<int32_t>(points.size());
        for (const RiverPoint& p : points)
            ar << p.latitude << p.longitude;
        ar << level;
        return;
    }
    int32_t version = 0;
    int32_t storedColour = 0;
    ar >> version >> storedColour;
    std::vector<RiverPoint> loaded;
    bool hasPoints = false;
    if (version >= 256) {
        int32_t count = 0;
        ar >> count;
        // A count outside the valid range would make the point bytes read as the fields
        // that follow: the record is damaged.
        if (count < 0 || count > kMaxPoints)
            CArchive::Throw(CArchiveException::badSchema, "river point count out of range");
        ar.Require(static_cast<uint64_t>(count) * kPointBytes);
        loaded.resize(static_cast<size_t>(count));
        for (RiverPoint& p : loaded)
            ar >> p.latitude >> p.longitude;
        hasPoints = true;
    }
    int32_t storedLevel = level;
    if (version >= 257)
        ar >> storedLevel;
    colour = static_cast<uint32_t>(storedColour);
    if (hasPoints)
        points = std::move(loaded);
    level = storedLevel;
}

void RiverVectorOverlay::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kVersion << static_cast<int32_t>(rivers.size());
        for (RiverPath& river : rivers)
            river.Serialize(ar);
        return;
    }
    int32_t version = 0;
    ar >> version;
    if (version != kVersion)
        return;
    int32_t count = 0;
    ar >> count;
    if (count < 0)
        CArchive::Throw(CArchiveException::badSchema, "negative river count");
    ar.Require(static_cast<uint64_t>(count) * kMinRiverRecordBytes);
    std::vector<RiverPath> loaded;
    loaded.reserve(static_cast<size_t>(std::min<int32_t>(count, 4096)));
    for (int32_t i = 0; i < count; ++i) {
        RiverPath river;
        river.Serialize(ar);
        loaded.push_back(std::move(river));
    }
    rivers = std::move(loaded);
}

void RiverPath::Trace(TraceCallback& sink, const SurfaceSampler& sampler, bool adaptive, double error, int depth,
                      int maxPoints) const
{
    if (points.empty())
        return;
    SubdivideGCLine line;
    line.clipWidth = static_cast<float>(sampler.Width());
    line.clipHeight = static_cast<float>(sampler.Height());
    // A river of one point is projected without any segment run first.
    line.sampler = &sampler;
    const int runDepth = adaptive ? depth : 0;
    for (size_t i = 0; i + 1 < points.size(); ++i) {
        const RiverPoint& a = points[i];
        const RiverPoint& b = points[i + 1];
        if (a.latitude == b.latitude && a.longitude == b.longitude)
            continue;
        line.Run(ClampLatitude(a.latitude), a.longitude, ClampLatitude(b.latitude), b.longitude, sampler,
                 static_cast<float>(error), runDepth);
    }
    line.AppendProjected(ClampLatitude(points.back().latitude), points.back().longitude);
    DrawGCLinePoints(sink, sampler, line, maxPoints);
}

void RiverPath::Draw(Canvas& dc, const SurfaceSampler& sampler, int /*width*/, bool adaptive) const
{
    const Pen previous = dc.SelectPen(Pen::Solid(colour, 1));
    TraceDCCallback sink(&dc);
    Trace(sink, sampler, adaptive, ReadAdaptiveGridError(kDefaultRiverError) * kErrorUnit,
          ReadAdaptiveGridDepth(kDrawDepth), kMaxDrawPoints);
    dc.SelectPen(previous);
}

void RiverPath::Export(DrawingSink& writer, const SurfaceSampler& sampler, int /*width*/, bool adaptive) const
{
    const int index = FindNearestPaletteIndex(colour);
    writer.pen.colour[0] = writer.pen.colour[1] = index;
    writer.pen.styleFlag[0] = writer.pen.styleFlag[1] = 1;
    writer.pen.width[0] = writer.pen.width[1] = 0.0;
    writer.pen.extra = 0;
    Trace(writer, sampler, adaptive, ReadAdaptiveGridError(kDefaultRiverError) * kErrorUnit,
          ReadAdaptiveGridDepth(kExportDepth), ReadMaxPolylinePoints());
}

int RiverVectorOverlay::Draw(Canvas& dc, const SurfaceSampler& sampler, int levelLimit) const
{
    for (const RiverPath& river : rivers)
        if (river.level <= levelLimit)
            river.Draw(dc, sampler, width, adaptive);
    return 0;
}

int RiverVectorOverlay::Export(DrawingSink& writer, const SurfaceSampler& sampler, int levelLimit) const
{
    ProgressBeginHook("Writing Rivers", 1);
    const size_t count = rivers.size();
    for (size_t i = 0; i < count && !AbortRequested(); ++i) {
        if (rivers[i].level <= levelLimit)
            rivers[i].Export(writer, sampler, width, adaptive);
        if (i % kRiversPerStep == 0) {
            ProgressStepHook(static_cast<double>(i), static_cast<double>(count));
            ProgressPollHook();
        }
    }
    ProgressEndHook();
    return 0;
}

} // namespace kv
