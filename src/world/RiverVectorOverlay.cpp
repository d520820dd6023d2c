#include "world/RiverVectorOverlay.h"

#include "platform/Archive.h"

#include <algorithm>
#include <utility>

namespace kv {

namespace {

// The smallest river record: version and colour.
constexpr uint64_t kMinRiverRecordBytes = 8;
constexpr uint64_t kPointBytes = 16;

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

} // namespace kv
