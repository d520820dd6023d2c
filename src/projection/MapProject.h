// The common base of every map projection: built-in ones, plug-in ones and composites.
// A projection maps latitude/longitude (radians, on a sphere of radius R) to plane map
// coordinates in projection units (Forward) and back (Inverse). Both return 0 on success
// and non-zero when the point is off the map or cannot be projected.
//
// Plug-in libraries derive from this class too, so the order of the virtual operations
// below is part of the plug-in contract and must not change.
#pragma once

#include <string>

namespace kv {

// Type flag bits reported by MapProject::GetFlags.
enum ProjectionFlag : int {
    kProjCylindrical = 0x1,
    kProjPseudocylindrical = 0x2,
    kProjConic = 0x4,
    kProjPolyconic = 0x8,
    kProjEquidistant = 0x10,
    kProjAzimuthal = 0x20,
    kProjCentredOnPoint = 0x40, // azimuthal maps centred on the given centre point; no text
    kProjInterrupted = 0x80,
    kProjConformal = 0x1000,
    kProjEqualArea = 0x2000,
    kProjPerspective = 0x4000,
};

// Builds the type text of a set of flags, e.g. " Conformal Perspective Azimuthal Polyconic".
std::string DescribeProjectionFlags(int flags);

class MapProject {
public:
    MapProject();
    MapProject(const MapProject&) = default;
    MapProject& operator=(const MapProject&) = default;

    // ---- virtual operations, in contract order -------------------------------------------
    virtual ~MapProject();
    // Display name; a constant text owned by the projection.
    virtual const char* GetName() const;
    // Type flag bits (ProjectionFlag).
    virtual int GetFlags() const;
    // Registry id, 0..255.
    virtual int GetId() const;
    // Angles in radians. Returns 0, or -1 when the parameters are unusable; a projection
    // whose Init failed refuses every Forward and Inverse until a later Init succeeds.
    virtual int Init(double lat0, double lon0, double falseNorthing, double falseEasting,
                     double majorRadius, double minorRadius, double stdParallel1, double stdParallel2);
    // Map coordinates (projection units) to radians; 0 when on the map. The outputs may be
    // partly written when the result is non-zero and must not be used then.
    virtual int Inverse(double x, double y, double& lat, double& lon) const;
    // Radians to map coordinates; 0, or -1 when the point cannot be projected.
    virtual int Forward(double lat, double lon, double& x, double& y) const;
    // Factor turning projection units into unit map coordinates (whole map ~2 units wide).
    virtual double GetUnitScale() const;
    // Nominal map rectangle in projection units, in exactly this argument order.
    virtual void GetExtents(double& xmin, double& ymax, double& xmax, double& ymin) const;
    // Descriptive text for the user interface.
    virtual std::string GetDescription() const;

    // ---- shared helpers -------------------------------------------------------------------
    static void SinCos(double angle, double& s, double& c);
    // v clamped to [-1, 1], then arcsine.
    static double SafeAsin(double v);
    // -1 for v < 0, else 1.
    static double SignOf(double v) { return v < 0 ? -1.0 : 1.0; }
    // Brings lon into [-pi, pi] when the wrap flag is set (at most 11 turns).
    double WrapLongitude(double lon) const;
    // 0 when lat and lon lie within the bounds (inclusive), else -1.
    int InBounds(double lat, double lon) const;

    // Conic and latitude helpers (formulas of the general cartographic package).
    static double ConicM(double e, double sinPhi, double cosPhi);
    static double AuthalicQ(double e, double sinPhi);
    // The iterative ones set status to 0, or to 1, 2, 3 respectively when they do not
    // converge (and then return 0).
    static double AlbersLatitude(double e, double q, int& status);
    static double ConformalLatitude(double e, double t, int& status);
    static double RectifyingLatitude(double ml, double e0, double e1, double e2, double e3, int& status);
    static double ConformalT(double e, double phi, double sinPhi);
    static void MeridianCoefficients(double es, double& e0, double& e1, double& e2, double& e3);
    static double MeridianDistance(double e0, double e1, double e2, double e3, double phi);

    // ---- read access to the base state ----------------------------------------------------
    double CentreLatitude() const { return m_lat0; }
    double CentreLongitude() const { return m_lon0; }
    double FalseNorthing() const { return m_y0; }
    double FalseEasting() const { return m_x0; }
    double MajorRadius() const { return m_majorRadius; }
    double MinorRadius() const { return m_minorRadius; }
    double Epsilon() const { return m_eps; }
    bool WrapsLongitude() const { return m_wrap != 0; }
    void GetLongitudeBounds(double& lonMin, double& lonMax) const { lonMin = m_lonMin; lonMax = m_lonMax; }
    void GetLatitudeBounds(double& latMax, double& latMin) const { latMax = m_latMax; latMin = m_latMin; }
    // False once an Init has reported unusable parameters (or before the first Init of a
    // projection that has no usable constructed state).
    bool IsUsable() const { return m_usable; }

protected:
    // Polar aspect: the centre latitude lies on a pole (within epsilon).
    bool IsPolarAspect() const;
    // Replaces the latitude bounds lat0 +- pi/2 by the whole globe -pi/2 .. pi/2.
    void UseGlobalLatitudeBounds();

    double m_lon0 = 0;          // central longitude
    double m_lat0 = 0;          // centre latitude
    double m_y0 = 0;            // false northing
    double m_x0 = 0;            // false easting
    double m_sinLat0 = 0;
    double m_cosLat0 = 1;
    double m_majorRadius = 1;
    double m_minorRadius = 1;
    unsigned char m_wrap = 1;   // longitudes are wrapped into [-pi, pi]
    double m_eps = 1e-10;
    double m_lonMin, m_lonMax;  // lon0 -/+ pi
    double m_latMax, m_latMin;  // lat0 +/- pi/2
    bool m_usable = true;
};

// A creator allocates and constructs a new (not yet initialised) instance, or returns
// null when memory is exhausted.
using ProjectionCreator = MapProject* (*)();

} // namespace kv
