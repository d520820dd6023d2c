#include "projection/MapProject.h"

#include <cmath>
#include <numbers>

namespace kv {

namespace {
constexpr double kPi = std::numbers::pi;
constexpr double kHalfPi = std::numbers::pi / 2;
constexpr double kTwoPi = 2 * std::numbers::pi;
} // namespace

std::string DescribeProjectionFlags(int flags)
{
    // Texts in display order, not bit order.
    static const struct {
        int bit;
        const char* text;
    } kTexts[] = {
        {kProjConic, " Conic"},
        {kProjCylindrical, " Cylindrical"},
        {kProjConformal, " Conformal"},
        {kProjEqualArea, " Equal Area"},
        {kProjPerspective, " Perspective"},
        {kProjEquidistant, " Equidistant"},
        {kProjPseudocylindrical, " Pseudocylindrical"},
        {kProjAzimuthal, " Azimuthal"},
        {kProjPolyconic, " Polyconic"},
        {kProjInterrupted, " Interrupted"},
    };
    std::string text;
    for (const auto& t : kTexts)
        if (flags & t.bit)
            text += t.text;
    return text;
}

MapProject::MapProject()
    : m_lonMin(-kPi), m_lonMax(kPi), m_latMax(kHalfPi), m_latMin(-kHalfPi)
{
    m_sinLat0 = std::sin(0.0);
    m_cosLat0 = std::cos(0.0);
}

MapProject::~MapProject() = default;

const char* MapProject::GetName() const { return "PlateCaree"; }
int MapProject::GetFlags() const { return 0; }
int MapProject::GetId() const { return 0; }

int MapProject::Init(double lat0, double lon0, double falseNorthing, double falseEasting,
                     double majorRadius, double minorRadius, double, double)
{
    m_lat0 = lat0;
    m_lon0 = lon0;
    m_y0 = falseNorthing;
    m_x0 = falseEasting;
    m_majorRadius = majorRadius;
    m_minorRadius = minorRadius;
    SinCos(lat0, m_sinLat0, m_cosLat0);
    m_lonMin = lon0 - kPi;
    m_lonMax = lon0 + kPi;
    m_latMax = lat0 + kHalfPi;
    m_latMin = lat0 - kHalfPi;
    m_usable = true;
    return 0;
}

// The base is not a projection of its own: every registered projection supplies these.
int MapProject::Inverse(double, double, double&, double&) const { return -1; }
int MapProject::Forward(double, double, double&, double&) const { return -1; }

double MapProject::GetUnitScale() const { return 1.0; }

void MapProject::GetExtents(double& xmin, double& ymax, double& xmax, double& ymin) const
{
    xmin = -1;
    ymax = 0.5;
    xmax = 1;
    ymin = -0.5;
}

std::string MapProject::GetDescription() const { return std::string(); }

void MapProject::SinCos(double angle, double& s, double& c)
{
    ::sincos(angle, &s, &c);
}

double MapProject::SafeAsin(double v)
{
    if (v > 1)
        v = 1;
    else if (v < -1)
        v = -1;
    return std::asin(v);
}

double MapProject::WrapLongitude(double lon) const
{
    if (!m_wrap || std::fabs(lon) <= kPi)
        return lon;
    for (int turn = 0; turn < 11; ++turn) {
        lon -= SignOf(lon) * kTwoPi;
        if (std::fabs(lon) <= kPi)
            break;
    }
    return lon;
}

int MapProject::InBounds(double lat, double lon) const
{
    if (lat >= m_latMin && lat <= m_latMax && lon >= m_lonMin && lon <= m_lonMax)
        return 0;
    return -1;
}

bool MapProject::IsPolarAspect() const
{
    return std::fabs(std::fabs(m_lat0) - kHalfPi) <= m_eps;
}

void MapProject::UseGlobalLatitudeBounds()
{
    m_latMax = kHalfPi;
    m_latMin = -kHalfPi;
}

double MapProject::ConicM(double e, double sinPhi, double cosPhi)
{
    const double con = e * sinPhi;
    return cosPhi / std::sqrt(1.0 - con * con);
}

double MapProject::AuthalicQ(double e, double sinPhi)
{
    if (e > 1.0e-7) {
        const double con = e * sinPhi;
        return (1.0 - e * e) * (sinPhi / (1.0 - con * con) - (0.5 / e) * std::log((1.0 - con) / (1.0 + con)));
    }
    return 2.0 * sinPhi;
}

double MapProject::AlbersLatitude(double e, double q, int& status)
{
    status = 0;
    double half = q / 2;
    if (half > 1)
        half = 1;
    else if (half < -1)
        half = -1;
    double phi = SafeAsin(half);
    if (e < 1e-10)
        return phi;
    const double es = e * e;
    for (int i = 0; i < 25; ++i) {
        double s, c;
        SinCos(phi, s, c);
        const double con = e * s;
        const double com = 1.0 - con * con;
        const double step = 0.5 * com * com / c *
                            (q / (1.0 - es) - s / com + 0.5 / e * std::log((1.0 - con) / (1.0 + con)));
        phi += step;
        if (std::fabs(step) <= 1e-7)
            return phi;
    }
    status = 1;
    return 0;
}

double MapProject::ConformalLatitude(double e, double t, int& status)
{
    status = 0;
    const double halfE = 0.5 * e;
    double phi = kHalfPi - 2 * std::atan(t);
    // On the sphere the first step changes nothing: the start is the answer.
    if (e == 0 && !std::isnan(phi))
        return phi;
    for (int i = 0; i < 16; ++i) {
        const double con = e * std::sin(phi);
        const double next = kHalfPi - 2 * std::atan(t * std::pow((1.0 - con) / (1.0 + con), halfE));
        const double change = std::fabs(next - phi);
        phi = next;
        if (change <= 1e-10)
            return phi;
    }
    status = 2;
    return 0;
}

double MapProject::RectifyingLatitude(double ml, double e0, double e1, double e2, double e3, int& status)
{
    status = 0;
    double phi = ml;
    const bool sphere = e1 == 0 && e2 == 0 && e3 == 0; // the series terms vanish
    for (int i = 0; i < 15; ++i) {
        const double sum = sphere ? ml : ml + e1 * std::sin(2 * phi) - e2 * std::sin(4 * phi) + e3 * std::sin(6 * phi);
        const double change = sum / e0 - phi;
        phi += change;
        if (std::fabs(change) <= 1e-10)
            return phi;
    }
    status = 3;
    return 0;
}

double MapProject::ConformalT(double e, double phi, double sinPhi)
{
    const double t = std::tan(0.5 * (kHalfPi - phi));
    if (e == 0)
        return t; // the correction term is 1 on the sphere
    const double con = e * sinPhi;
    return t / std::pow((1.0 - con) / (1.0 + con), 0.5 * e);
}

void MapProject::MeridianCoefficients(double es, double& e0, double& e1, double& e2, double& e3)
{
    e0 = 1.0 - 0.25 * es * (1.0 + es / 16.0 * (3.0 + 1.25 * es));
    e1 = 0.375 * es * (1.0 + 0.25 * es * (1.0 + 0.46875 * es));
    e2 = 0.05859375 * es * es * (1.0 + 0.75 * es);
    e3 = es * es * es * (35.0 / 3072.0);
}

double MapProject::MeridianDistance(double e0, double e1, double e2, double e3, double phi)
{
    if (e1 == 0 && e2 == 0 && e3 == 0)
        return e0 * phi; // the sphere: the series terms vanish
    return e0 * phi - e1 * std::sin(2 * phi) + e2 * std::sin(4 * phi) - e3 * std::sin(6 * phi);
}

} // namespace kv
