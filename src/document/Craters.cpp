#include "document/Craters.h"

#include "base/Progress.h"
#include "base/Random.h"
#include "platform/CLocale.h"
#include "world/SurfMap.h"
#include "world/SurfaceSampler.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace kv {

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double kKmToMiles = 1000.0 * 3.28084 * 0.00018939393;
} // namespace

double CraterProfile(double r, double D)
{
    if (D > 2000.0) {
        r = r / D * 2000.0;
        D = 2000.0;
    }
    double exponent, factor;
    if (D < 7.0) {
        exponent = 0.9;
        factor = 0.14;
    } else if (D < 90.0) {
        exponent = 0.55;
        factor = 0.19;
    } else {
        exponent = 0.12;
        factor = 1.27;
    }
    const double g = std::pow(D, exponent);
    const double h = std::pow(D, 0.11);
    const double m = D > 7.0 ? 0.22 * std::sqrt(D - 7.0) : 0.0;
    const double p = m > 0.0 ? 0.5 * std::pow(m, 0.1) : 0.0;
    const double t = D < 7.0 ? 0.03 * std::pow(D, 0.96) : 0.06 * std::pow(D, 0.51);
    const double R = D / 2.0;
    const double v = std::fabs(r);
    double bowl = 0.0, ejecta = 0.0;
    if (v < R) {
        bowl = t + (std::pow(v / R, 1.63 * h) - 1.0) * g * factor;
    } else {
        const double s = v < 4.0 * R ? (v - R) / (3.0 * R) : 1.0;
        ejecta = t * (1.0 - s) * (1.0 - s);
    }
    double result = bowl + ejecta;
    if (D >= 7.0 && v < m / 2.0)
        result += (1.0 - v / (m / 2.0)) * p;
    return result;
}

double CraterExtentFromDiameter(double diameterKm, double circumferenceKm)
{
    return 2.0 * diameterKm / (circumferenceKm / 360.0);
}

double CraterDiameterFromExtent(double extentDegrees, double circumferenceKm)
{
    return extentDegrees * (1.0 / 180.0) * circumferenceKm * 0.25;
}

CraterStamper::CraterStamper(SurfMap& world, const SurfaceSampler* sampler) : m_world(world), m_sampler(sampler) {}

int CraterStamper::RingCount(double extent, int gridWidth)
{
    const double n = extent / 90.0 * gridWidth * 1.6;
    return n >= 1.0 ? static_cast<int>(std::min(n, 1e9)) : 0;
}

int CraterStamper::RingPoints(int k, double latitudeRadians, double rhoRadians, bool spherical)
{
    int m = 8 + static_cast<int>(10.053096 * k);
    if (spherical) {
        const double c = std::cos(std::min(std::fabs(latitudeRadians) + rhoRadians, kPi / 2));
        const double factor = std::min(12.0, 1.0 / (c + 0.00001));
        m = static_cast<int>(std::min(static_cast<double>(m) * factor, static_cast<double>(kMaxRingPoints)));
    }
    return std::min(m, kMaxRingPoints);
}

void CraterStamper::Mark(int col, int row, float d)
{
    float& cell = m_marks->Rows<float>()[row][col];
    if (cell == 0.0f && d != 0.0f)
        m_marked.push_back(row * static_cast<int>(m_marks->Width()) + col);
    cell = d;
}

void CraterStamper::ClearMarks()
{
    if (!m_marks)
        return;
    float* cells = m_marks->Rows<float>()[0];
    for (int32_t i : m_marked)
        cells[i] = 0.0f;
    m_marked.clear();
}

int CraterStamper::Draw(float latitude, float longitude, float extentIn, bool spherical, bool progress, bool metric)
{
    double extent = extentIn;
    if (!std::isfinite(extent) || extent <= 0.0 || !std::isfinite(latitude) || !std::isfinite(longitude))
        return 0;
    extent = std::min(extent, kMaxExtent);
    Grid2D* offset = m_world.Channel(kChannelLandOffset);
    if (!offset)
        return -2;
    const int W = static_cast<int>(offset->Width()), H = static_cast<int>(offset->Height());
    if (!m_marks || static_cast<int>(m_marks->Width()) != W || static_cast<int>(m_marks->Height()) != H) {
        m_marks = Alloc2D(W, H, sizeof(float));
        m_marked.clear();
        if (!m_marks)
            return -2;
    }

    const double D = CraterDiameterFromExtent(extent, m_world.circumference);
    const double R = D / 2.0;
    for (int k = 0; k < kProfileEntries; ++k)
        m_table[k] = static_cast<float>(CraterProfile(R * k / 512.0, D) * 1000.0);

    if (progress) {
        const double shown = metric ? D : D * kKmToMiles;
        const std::string text = FormatC("Drawing crater with diameter %0.2lf %s", shown, metric ? "km" : "mi");
        ProgressBeginHook(text.c_str(), 1);
    }
    // 1. distance marks along the rings
    const int n = RingCount(extent, W);
    const double lat0 = latitude * kPi / 180.0, lon0 = longitude * kPi / 180.0;
    const double sinLat0 = std::sin(lat0), cosLat0 = std::cos(lat0);
    // The cell's column before wrapping or clamping; the row clamped.
    auto cellOf = [W, H](double latDeg, double lonDeg, int& row) {
        const double r = std::floor((latDeg + 90.0) / 180.0 * H);
        row = static_cast<int>(std::clamp(r, 0.0, static_cast<double>(H - 1)));
        return std::floor((lonDeg + 180.0) / 360.0 * W);
    };
    for (int k = 0; k < n; ++k) {
        const float d = static_cast<float>(k) / static_cast<float>(n);
        const double ringDeg = static_cast<double>(k) / n * extent;
        const double rho = ringDeg * kPi / 180.0;
        const int m = RingPoints(k, lat0, rho, spherical);
        const double sinRho = std::sin(rho), cosRho = std::cos(rho);
        for (int j = 0; j < m; ++j) {
            const double theta = 2.0 * kPi * j / m;
            double latDeg, lonDeg;
            if (spherical) {
                const double s = std::clamp(sinLat0 * cosRho + cosLat0 * sinRho * std::cos(theta), -1.0, 1.0);
                const double lat = std::asin(s);
                const double lon =
                    lon0 + std::atan2(std::sin(theta) * sinRho * cosLat0, cosRho - sinLat0 * std::sin(lat));
                latDeg = lat * 180.0 / kPi;
                lonDeg = lon * 180.0 / kPi;
            } else {
                latDeg = latitude + ringDeg * std::sin(theta);
                lonDeg = longitude + ringDeg * std::cos(theta);
            }
            int row = 0;
            double c = cellOf(latDeg, lonDeg, row);
            int col;
            if (spherical) {
                c = std::fmod(c, static_cast<double>(W));
                if (c < 0)
                    c += W;
                col = std::min(static_cast<int>(c), W - 1);
            } else {
                col = static_cast<int>(std::clamp(c, 0.0, static_cast<double>(W - 1)));
            }
            Mark(col, row, d);
        }
        if (progress)
            ProgressPollHook();
    }

    // Cells in scan order, so the mean sums as a scan of the grid would.
    std::sort(m_marked.begin(), m_marked.end());
    float* marks = m_marks->Rows<float>()[0];
    float* offsets = offset->Rows<float>()[0];
    const Grid2D* roughness = m_world.Channel(kChannelRoughness);
    const bool sameRoughness = roughness && static_cast<int>(roughness->Width()) == W && static_cast<int>(roughness->Height()) == H;
    const CSelection& sel = m_world.selection;
    const bool masked = sel.IsActive();

    // 3. the current height inside the crater
    auto currentAt = [&](int index) {
        const int col = index % W, row = index / W;
        if (!m_sampler || !sameRoughness)
            return 0.0;
        double la, lo;
        m_sampler->GridCellToLatLon(col, row, la, lo);
        return m_sampler->GetBasisValue(la, lo) * roughness->Rows<float>()[row][col];
    };
    double sum = 0.0;
    int inside = 0;
    for (int32_t i : m_marked) {
        const float d = marks[i];
        if (d > 0.0f && d < 0.25f) {
            sum += currentAt(i);
            ++inside;
        }
    }
    const double mean = sum / (inside + 1);

    // 4. write the offsets
    int lastRow = -1;
    for (size_t idx = 0; idx < m_marked.size(); ++idx) {
        const int32_t i = m_marked[idx];
        const int row = i / W, col = i % W;
        if (progress && row != lastRow) {
            lastRow = row;
            ProgressStepHook(static_cast<double>(idx), static_cast<double>(m_marked.size()));
            ProgressPollHook();
        }
        const double d = marks[i];
        const int entry = std::clamp(static_cast<int>(d * kProfileEntries), 0, kProfileEntries - 1);
        const double T = m_table[entry];
        const double old = offsets[i];
        double value;
        if (d < 0.25) {
            const double target = T + mean;
            value = masked ? old + sel.GetWeightOrOne(col, row) * (target - old) : target;
        } else {
            const double add = std::fabs((1.0 - (d - 0.25) * 1.333) * mean) + T;
            value = masked ? old + sel.GetWeightOrOne(col, row) * add : old + add;
        }
        offsets[i] = static_cast<float>(value);
    }
    ClearMarks();
    if (progress)
        ProgressEndHook();
    // A crater is always drawn whole: Esc is answered between craters.
    return AbortRequested() ? -1 : 0;
}

BombardmentSettings& BombardmentSettings::Remembered()
{
    static BombardmentSettings settings;
    return settings;
}

std::vector<float> BombardmentSizes(const BombardmentSettings& s)
{
    const int count = std::max(0, s.count);
    std::vector<float> sizes(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        double f = std::pow(static_cast<float>(Rand()) * static_cast<float>(1.0 / 32767.0), s.sizeExponent);
        if (s.largest - s.smallest > 0.001)
            f = (s.largest - s.smallest) * f;
        sizes[static_cast<size_t>(i)] = static_cast<float>((s.smallest + f) * 2.0);
    }
    if (s.largestFirst)
        std::sort(sizes.begin(), sizes.end(), std::greater<float>());
    return sizes;
}

} // namespace kv
