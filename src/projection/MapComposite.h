// A projection assembled from segments of other projections: interrupted maps (several lobes
// of one projection) and maps patched from different projections. Defined in the text file
// "Projection.txt" of the projection folder, one definition per "Projection" keyword.
//
// Each segment is an ordinary registered projection with its own settings, placed on the
// composite map by an offset, a rotation and a scale, limited to a latitude/longitude window
// and optionally cut by exclusion shapes (tested in composite map coordinates both ways).
// Forward and Inverse lock the instance (the accepting segment moves to the front of the
// search order); the registry gives every holder its own copy.
#pragma once

#include "projection/MapProject.h"
#include "projection/ProjectionParms.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace kv {

class CTokenizer;

class MapComposite : public MapProject {
public:
    // Limits on what one definition may hold; more is ignored.
    static constexpr size_t kMaxSegments = 1024;
    static constexpr size_t kMaxExclusions = 256;
    static constexpr size_t kMaxExtents = 256;
    // Most projection instances one copy may hold, nested composites included.
    static constexpr int kMaxInstances = 1024;

    static constexpr int kExcludeCircle = 1;
    static constexpr int kExcludeQuad = 2;
    static constexpr int kExcludeInverted = 0x1000;

    struct Exclusion {
        double x[4] = {0, 0, 0, 0};
        double y[4] = {0, 0, 0, 0};
        int type = 0; // low byte: 1 circle (centre x1 y1, radius x2), 2 quadrilateral, else triangle
        // Inside the shape, or outside it when inverted.
        bool Excludes(double px, double py) const;
    };

    struct Rect {
        double xmin, ymax, xmax, ymin;
        bool Contains(double x, double y) const { return xmin <= x && x <= xmax && ymin <= y && y <= ymax; }
    };

    struct Segment {
        ProjectionParms settings;
        std::vector<Exclusion> exclusions;
        double offsetX = 0, offsetY = 0;
        double scaleX = 1, scaleY = 1;
        double rotation = 0; // degrees
        double cosRot = 1, sinRot = 0, cosNeg = 1, sinNeg = 0;
        double lonMin = -180, latMax = 90, lonMax = 180, latMin = -90; // effective window, degrees

        void ResetPlacement();
        void CacheRotation();
        bool Excluded(double x, double y) const;
        bool InWindow(double lat, double lon) const
        {
            return lat >= latMin && lat <= latMax && lon >= lonMin && lon <= lonMax;
        }
        // Composite map coordinates to degrees; true when this segment accepts the point.
        bool Inverse(double x, double y, double& lat, double& lon) const;
        // Degrees to composite map coordinates; true when this segment accepts the point.
        bool Forward(double lat, double lon, double& x, double& y) const;
    };

    MapComposite();
    ~MapComposite() override;

    // Parses one definition; the tokenizer's current token must be the keyword "Projection".
    // 0, or -1 when it is not. Never fails otherwise: malformed parts are skipped. Ends at
    // "EndProjection" (left current) or at the end of the text.
    int Parse(CTokenizer& tokenizer);

    // An independent copy (own segment instances, own search order and lock).
    std::unique_ptr<MapComposite> Clone() const;

    const char* GetName() const override { return m_name.c_str(); }
    int GetFlags() const override { return kProjInterrupted; }
    int GetId() const override { return m_id; }
    int Inverse(double x, double y, double& lat, double& lon) const override;
    int Forward(double lat, double lon, double& x, double& y) const override;
    double GetUnitScale() const override { return 1.0 / m_scale; }
    void GetExtents(double& xmin, double& ymax, double& xmax, double& ymin) const override;
    std::string GetDescription() const override { return m_description; }

    double GetScale() const { return m_scale; }
    bool GetCaching() const { return m_cache; }
    size_t GetSegmentCount() const { return m_segments.size(); }
    const Segment& GetSegment(size_t i) const { return *m_segments[i]; }
    size_t GetExtentCount() const { return m_extents.size(); }
    // Definition-order indices of the segments in the current search order.
    std::vector<int> GetSearchOrder() const;
    // Projection instances a copy of this composite holds: its segments' projections and
    // everything nested composites among them hold.
    int InstanceCount() const { return m_instances; }

private:
    // Tries the segments in search order; with caching the accepting one moves to the front.
    template <typename Try> bool Search(Try&& attempt) const;

    std::vector<Rect> m_extents;
    std::string m_description;
    std::vector<std::unique_ptr<Segment>> m_segments; // definition order; owns them
    mutable std::vector<int> m_order;                 // search order (indices into m_segments)
    double m_xmin = 0, m_ymax = 0, m_xmax = 0, m_ymin = 0;
    double m_scale = 1.0;
    bool m_cache = true;
    std::string m_name;
    int m_id = -1;
    int m_instances = 0;
    mutable std::mutex m_lock;
};

} // namespace kv
