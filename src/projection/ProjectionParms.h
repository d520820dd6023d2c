// The projection settings of a view or an export, and the one way everything outside the
// projection family converts between degrees and map coordinates.
//
// Three spaces meet here: degrees (latitude, longitude); projection units (what
// MapProject::Forward / Inverse work in); unit map coordinates = projection units times the
// projection's unit scale, so that a whole map is about 2 units wide. Callers apply their own
// zoom (the scale setting) and pixel mapping on top of unit map coordinates.
//
// A value type: every object owns its own projection instance from the registry; copies get
// a fresh instance of the same id. The conversions only read the object, so several threads
// may convert through one object at once; changing settings meanwhile is for the owner to
// prevent.
#pragma once

#include "projection/builtin/BuiltinProjections.h"

#include <string>

namespace kv {

class MapProject;

class ProjectionParms {
public:
    static constexpr int kDefaultProjectionId = kMapEquirectangular;
    static constexpr double kDefaultOffsetX = 0.0001; // projection units
    static constexpr double kDefaultParallel1 = 50.0;
    static constexpr double kDefaultParallel2 = 10.0;
    // The centre latitude is kept this far from the poles (the single-precision 89.999).
    static constexpr double kMaxCentreLatitude = static_cast<double>(89.999f);
    // Replaces an x offset of exactly 0 given to SetOffset (unit map coordinates).
    static constexpr double kZeroOffsetX = 0.00001;

    // Defaults, holding an initialised Equirectangular instance.
    ProjectionParms();
    ProjectionParms(const ProjectionParms& other);
    ProjectionParms& operator=(const ProjectionParms& other);
    ProjectionParms(ProjectionParms&& other) noexcept;
    ProjectionParms& operator=(ProjectionParms&& other) noexcept;
    ~ProjectionParms();

    // Hands the instance back to the registry; false when none was held.
    bool ReleaseProjection();

    // Takes a new instance of id. An id with no projection falls back to id 2 and returns
    // -1. A projection that refuses the current parallels is taken all the same and -1
    // returned: it reports every point off the map until the parallels change. Else 0.
    int SetProjection(int id);
    // The same by exact registered name.
    int SetProjectionByName(const std::string& name);
    int GetProjectionId() const { return m_projectionId; }
    // The instance, still owned by this object (null after ReleaseProjection).
    MapProject* GetProjection() const { return m_projection; }
    // Flags of the projection (takes an instance of the stored id first when none is held).
    int GetProjectionFlags();

    // Degrees. Each is brought into [-180, 180] by whole turns, the latitude is then folded
    // over the pole and kept within +-kMaxCentreLatitude. 0; -1 for a value that is not a
    // finite number (the centre is then unchanged), or when the projection refuses its
    // settings (conic parallels it cannot use; the new centre is kept all the same).
    int SetCenter(double lat, double lon);
    int GetCenter(double& lat, double& lon) const;
    // Unit map coordinates (stored in projection units; an x of exactly 0 is stored as
    // kZeroOffsetX). 0, or -1 when the projection refuses its settings (the offset is kept).
    int SetOffset(double x, double y);
    int GetOffset(double& x, double& y) const;
    // Degrees. -1 when the projection refuses them (symmetric conic parallels); the previous
    // parallels are kept then. Else 0.
    int SetConicParallels(double p1, double p2);
    int GetConicParallels(double& p1, double& p2) const;
    // The callers' zoom; not passed to the projection. 0, or -1 when the projection refuses
    // its settings (the scale is kept).
    int SetScale(double s);
    int GetScale(double& s) const;
    double GetScale() const { return m_scale; }
    // Projection units per unit map coordinate (1 / unit scale of the projection).
    double GetUnitFactor() const { return m_unitFactor; }

    // Initialises the instance with the current settings (taking one first when none is
    // held) and refreshes the unit factor. Returns the projection's Init result.
    int Reinit();

    // Degrees to unit map coordinates; the projection's status (0 = projected). The outputs
    // are scaled even when the status is not 0 and must not be used then.
    int LatLonToMap(double lat, double lon, double& x, double& y) const;
    // Unit map coordinates to degrees; the projection's status (0 = on the map).
    int MapToLatLon(double x, double y, double& lat, double& lon) const;
    // The projection's nominal rectangle in unit map coordinates (re-initialises first).
    int GetExtents(double& xmin, double& ymax, double& xmax, double& ymin);

    static void DescribeProjectionFlags(int flags, std::string& text);

private:
    // Takes an instance of id from the registry (falling back to id 2); -1 on fallback.
    int AcquireProjection(int id, bool byName, const std::string& name);
    void CopySettings(const ProjectionParms& other);

    MapProject* m_projection = nullptr;
    int m_projectionId = kDefaultProjectionId;
    double m_centerLat = 0;
    double m_centerLon = 0;
    double m_offsetX = kDefaultOffsetX;
    double m_offsetY = 0;
    double m_parallel1 = kDefaultParallel1;
    double m_parallel2 = kDefaultParallel2;
    double m_scale = 1.0;
    double m_unitFactor = 1.0;
};

} // namespace kv
