#include "base/color/ClimateParms.h"

#include "platform/Archive.h"
#include "base/noise/BuiltinNoise.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstdint>
#include <cmath>
#include <numbers>

namespace kv {

const int16_t ClimateClassTable[kClimateTableRows][kClimateTableColumns] = {
    {0, 1, 1, 1, 1, 4, 4, 4, 4, 4, 4, 6, 6, 6, 6, 6},
    {0, 1, 1, 1, 1, 4, 4, 4, 4, 4, 4, 6, 7, 7, 7, 7},
    {0, 1, 1, 1, 1, 4, 4, 4, 4, 4, 4, 7, 7, 7, 7, 7},
    {0, 1, 1, 1, 1, 4, 4, 4, 4, 4, 4, 7, 7, 7, 7, 7},
    {0, 1, 1, 1, 1, 4, 4, 4, 4, 4, 4, 7, 7, 7, 7, 7},
    {0, 1, 1, 1, 1, 4, 4, 4, 4, 4, 4, 7, 7, 7, 7, 7},
    {0, 1, 1, 1, 1, 4, 4, 4, 4, 4, 4, 7, 7, 7, 7, 7},
    {0, 1, 1, 1, 1, 4, 4, 4, 4, 4, 4, 7, 7, 7, 7, 7},
    {0, 1, 1, 1, 1, 4, 4, 4, 4, 4, 4, 7, 7, 7, 7, 7},
    {0, 1, 1, 1, 1, 4, 4, 4, 4, 4, 4, 7, 7, 7, 7, 7},
    {0, 1, 1, 1, 1, 4, 4, 4, 4, 4, 4, 7, 7, 7, 7, 7},
    {0, 1, 1, 1, 1, 4, 4, 4, 4, 4, 4, 8, 8, 8, 8, 8},
    {0, 1, 1, 1, 1, 4, 4, 4, 4, 4, 4, 8, 9, 9, 9, 8},
    {0, 1, 1, 1, 1, 4, 4, 4, 4, 4, 4, 8, 9, 9, 9, 8},
    {0, 1, 1, 1, 1, 4, 5, 5, 5, 5, 4, 8, 9, 9, 8, 8},
    {0, 1, 1, 1, 1, 2, 5, 5, 5, 5, 2, 8, 8, 8, 8, 8},
    {0, 1, 1, 1, 1, 2, 5, 5, 5, 5, 2, 8, 8, 8, 8, 3},
    {0, 2, 1, 1, 2, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3, 3},
    {0, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3, 3},
    {0, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3},
};

namespace {

const char* const kClimateNames[kClimateClassCount] = {
    "Tundra or Alpine",
    "Boreal or Alpine Forest",
    "Chaparral",
    "Desert",
    "Temperate Forest",
    "Temperate Grassland",
    "Tropical Evergreen Forest",
    "Tropical Deciduous Forest",
    "Tropical Shrublands",
    "Savannah",
    "Ice",
    "Ocean",
    "Shallow Ocean",
    "Mountain",
    "Hills",
    "Bare Rock",
    "Oceanic Trench",
};

struct RGB {
    int r, g, b;
};

const RGB kTemperatureColors[] = {
    {46, 61, 78}, {50, 76, 94}, {55, 90, 109}, {60, 105, 125}, {65, 120, 141}, {69, 135, 157},
    {74, 149, 172}, {79, 164, 189}, {84, 179, 204}, {89, 194, 220}, {46, 240, 240}, {87, 210, 227},
    {128, 179, 215}, {170, 150, 203}, {147, 136, 207}, {125, 123, 211}, {102, 109, 215}, {81, 96, 220},
    {69, 144, 167}, {57, 191, 113}, {98, 193, 100}, {140, 196, 87}, {182, 198, 73}, {197, 169, 69},
    {211, 140, 65}, {225, 111, 61}, {206, 90, 65}, {187, 69, 69}, {151, 78, 78}, {175, 102, 105},
    {200, 126, 174}, {205, 162, 196}, {210, 198, 217}, {215, 235, 240}, {200, 227, 240}, {185, 219, 240},
    {169, 212, 240}, {154, 205, 240},
};
const RGB kRainfallColors[] = {
    {123, 176, 106}, {107, 159, 91}, {90, 142, 75}, {74, 125, 60}, {58, 109, 45}, {41, 92, 29},
    {25, 75, 14}, {215, 215, 0}, {245, 166, 15}, {225, 157, 95}, {178, 77, 0}, {206, 32, 25},
    {176, 24, 18}, {146, 16, 28}, {255, 32, 223},
};
const RGB kClimateColors[] = {
    {192, 192, 192}, {153, 153, 255}, {128, 128, 0}, {255, 255, 0}, {153, 204, 0}, {255, 255, 204},
    {51, 153, 102}, {204, 255, 204}, {255, 204, 0}, {255, 204, 153}, {255, 255, 255}, {0, 0, 255},
    {0, 128, 255}, {192, 192, 192}, {128, 128, 64}, {128, 128, 128}, {64, 64, 255},
};

template <size_t N>
void FillList(CColorList& list, const RGB (&colours)[N], int mode)
{
    list.ResetDefaults();
    for (const RGB& c : colours)
        list.Add(ColorOf(c.r, c.g, c.b));
    list.SetInterpolation(mode);
}

constexpr double kRainfallBandsPerCm = 0.08;
constexpr double kTemperatureBandsPerKelvin = 0.4266666666666667;
constexpr double kTemperatureBandOffset = 7.5; // degrees Celsius below band 0's start

// The integer part of v (toward zero), clamped to lo..hi; NaN gives lo. Clamping in
// floating point first keeps huge or NaN values out of the conversion.
int TruncClamp(double v, int lo, int hi)
{
    if (!(v > lo))
        return lo;
    if (v >= hi)
        return hi;
    return static_cast<int>(v);
}

double Radians(double degrees)
{
    return degrees * (std::numbers::pi / 180.0);
}

} // namespace

ClimateParms& ClimateParms::operator=(const ClimateParms& other)
{
    if (this == &other)
        return *this;
    CopySettings(other);
    m_temperatureList = other.m_temperatureList;
    m_rainfallList = other.m_rainfallList;
    m_climateList = other.m_climateList;
    return *this;
}

void ClimateParms::CopySettings(const ClimateParms& other)
{
    for (int i = 0; i < kModelDoubleCount; ++i)
        *ModelDouble(i) = other.GetModelDouble(i);
    fixedMeanTemperature = other.fixedMeanTemperature;
    useFixedTemperature = other.useFixedTemperature;
}

bool ClimateParms::Equals(const ClimateParms& other) const
{
    auto near = [](double a, double b) { return std::fabs(a - b) <= 1e-20; };
    for (int i = 0; i < kModelDoubleCount; ++i)
        if (!near(GetModelDouble(i), other.GetModelDouble(i)))
            return false;
    return near(fixedMeanTemperature, other.fixedMeanTemperature) &&
           useFixedTemperature == other.useFixedTemperature;
}

void ClimateParms::ResetDefaults()
{
    solarFactor = 1.0;
    heatFactor = 1.1;
    albedo = 0.3;
    axialTilt = 0.41015237421866746;
    latitudeRange = 50.0;
    temperatureNoise = 16.0;
    rainfallNoise = 80.0;
    rainfallBase = 130.0;
    baseTemperature = 0.0;
    fixedMeanTemperature = 15.277778182500697;
    useFixedTemperature = 0;
    DefaultTemperatureColors(m_temperatureList);
    DefaultRainfallColors(m_rainfallList);
    DefaultClimateColors(m_climateList);
}

void ClimateParms::DefaultClimateColors(CColorList& list)
{
    FillList(list, kClimateColors, CColorList::kCubic);
}

void ClimateParms::DefaultTemperatureColors(CColorList& list)
{
    FillList(list, kTemperatureColors, CColorList::kNearest);
}

void ClimateParms::DefaultRainfallColors(CColorList& list)
{
    FillList(list, kRainfallColors, CColorList::kNearest);
}

double* ClimateParms::ModelDouble(int index)
{
    switch (index) {
    case 0: return &solarFactor;
    case 1: return &heatFactor;
    case 2: return &albedo;
    case 3: return &axialTilt;
    case 4: return &latitudeRange;
    case 5: return &temperatureNoise;
    case 6: return &rainfallNoise;
    case 7: return &rainfallBase;
    default: return nullptr;
    }
}

double ClimateParms::GetModelDouble(int index) const
{
    const double* p = const_cast<ClimateParms*>(this)->ModelDouble(index);
    return p ? *p : 0.0;
}

void ClimateParms::SetModelDouble(int index, double value)
{
    if (double* p = ModelDouble(index))
        *p = value;
}

const char* ClimateParms::GetClimateName(int code)
{
    if (code < 0 || code >= kClimateClassCount)
        return "";
    return kClimateNames[code];
}

uint32_t ClimateParms::ClimateColor(int code) const
{
    return m_climateList.GetColorAt(std::clamp(code, 0, kClimateClassCount - 1));
}

void ClimateParms::GetClassRange(double& low, double& high) const
{
    low = 0.0;
    high = kClimateClassCount - 1;
}

uint32_t ClimateParms::TemperatureColor(double kelvin) const
{
    return m_temperatureList.Interpolate((kelvin - kKelvinOffset + 40.0) * 0.00952381);
}

uint32_t ClimateParms::RainfallColor(double rainfall) const
{
    return m_rainfallList.Interpolate(rainfall * 0.004);
}

int ClimateParms::LookupClimateClass(double rainfall, double kelvin)
{
    // The integer part is taken before it is subtracted from the last row.
    const int band = TruncClamp(rainfall * kRainfallBandsPerCm, -1, kClimateTableRows);
    const int row = std::clamp(kClimateTableRows - 1 - band, 0, kClimateTableRows - 1);
    const int column = TruncClamp((kelvin - kKelvinOffset + kTemperatureBandOffset) * kTemperatureBandsPerKelvin, 0,
                                  kClimateTableColumns - 1);
    return ClimateClassTable[row][column];
}

void ClimateParms::GetClassCorners(double rainfall, double kelvin, int codes[4], double& temperatureFraction,
                                   double& rainfallFraction) const
{
    const double a = (kClimateTableRows - 1) - rainfall * kRainfallBandsPerCm;
    const double b = (kelvin - kKelvinOffset + kTemperatureBandOffset) * kTemperatureBandsPerKelvin;
    const int i = TruncClamp(a, 0, kClimateTableRows - 1);
    const int k = TruncClamp(b, 0, kClimateTableColumns - 1);
    const int i1 = std::min(i + 1, kClimateTableRows - 1);
    const int k1 = std::min(k + 1, kClimateTableColumns - 1);
    codes[0] = ClimateClassTable[i][k];
    codes[1] = ClimateClassTable[i][k1];
    codes[2] = ClimateClassTable[i1][k];
    codes[3] = ClimateClassTable[i1][k1];
    temperatureFraction = b - k;
    rainfallFraction = a - i;
}

int ClimateParms::EvaluateClimate(double latitude, double longitude, double altitude, double& rainfall,
                                  double& temperature, int& climateClass, double rainfallOffset,
                                  double temperatureOffset, double waterLevel, int overrideClass, double originX,
                                  double originY, double originZ)
{
    // Base temperature: fixed, or from the sun, albedo and greenhouse heat. The fourth root
    // of the solar factor is kept per thread for the last factor (bit for bit).
    struct SolarRoot {
        bool filled;
        uint64_t factorBits;
        double root;
    };
    thread_local SolarRoot solar = {false, 0, 0.0};
    double t0;
    if (useFixedTemperature) {
        t0 = fixedMeanTemperature + kKelvinOffset;
    } else {
        if (!solar.filled || std::bit_cast<uint64_t>(solarFactor) != solar.factorBits) {
            solar.root = std::pow(solarFactor, 0.25);
            solar.factorBits = std::bit_cast<uint64_t>(solarFactor);
            solar.filled = true;
        }
        t0 = solar.root * (1.0 - albedo) * heatFactor * 374.0;
    }
    // Render threads evaluate concurrently with the same settings: the shared field is read
    // and written atomically, and only when it changes.
    std::atomic_ref<double> base(baseTemperature);
    if (base.load(std::memory_order_relaxed) != t0)
        base.store(t0, std::memory_order_relaxed);

    // Mean insolation over the year with the axis tilted by r. The terms that depend on the
    // latitude alone are kept per thread for the last (latitude, tilt): a row of a
    // cylindrical map repeats them at every pixel.
    const double phi = Radians(latitude);
    const double lambda = Radians(longitude);
    const double r = axialTilt;
    struct LatitudeTerms {
        bool filled;
        uint64_t phiBits, tiltBits;
        double insolation, cosPhi, sinPhi;
    };
    thread_local LatitudeTerms terms = {false, 0, 0, 0.0, 1.0, 0.0};
    if (!terms.filled || std::bit_cast<uint64_t>(phi) != terms.phiBits ||
        std::bit_cast<uint64_t>(r) != terms.tiltBits) {
        const double u = std::max(std::cos(r - phi), 0.0) + std::max(-std::cos(r + phi), 0.0);
        const double d = std::max(std::cos(-r - phi), 0.0);
        const double c = std::max(-std::cos(phi - r), 0.0);
        terms.cosPhi = std::cos(phi);
        terms.sinPhi = std::sin(phi);
        terms.insolation = c + d + 2.0 * terms.cosPhi + u;
        terms.phiBits = std::bit_cast<uint64_t>(phi);
        terms.tiltBits = std::bit_cast<uint64_t>(r);
        terms.filled = true;
    }
    double f = terms.insolation * 0.25 * latitudeRange + (t0 - latitudeRange * 0.8);
    const bool land = altitude > waterLevel;
    if (land)
        f -= altitude * 0.006491; // lapse rate per metre

    const double cx = terms.cosPhi * std::cos(lambda) + originX;
    const double cy = terms.cosPhi * std::sin(lambda) + originY;
    const double cz = terms.sinPhi + originZ;
    const double n1 = FractalBrownianSum(cx + 2.0, cy + 5.0, cz - 3.0, 2.0, 2.0, 8.0, -1);
    const double n2 = FractalBrownianSum(cx + 4.2, cy - 6.1, cz + 1.0, 2.0, 2.0, 8.0, -1);

    double t = std::max(n1 * temperatureNoise + f, 0.0);
    const double rain = std::max(
        (std::fabs(n2) * rainfallNoise + rainfallBase) * (t - kKelvinOffset + 30.0) * 0.016666668 + altitude * 0.001,
        0.0);
    t = std::max(t + temperatureOffset, 0.0);

    int cls;
    if (!land) {
        if (t < kFreezingKelvin)
            cls = kClimateIce;
        else if (altitude > kShelfDepth)
            cls = kClimateShallowOcean;
        else
            cls = kClimateOcean;
    } else if (overrideClass >= 0) {
        cls = std::min(overrideClass, kClimateClassCount - 1);
    } else if (t < kFreezingKelvin) {
        cls = kClimateIce;
    } else {
        cls = std::clamp(LookupClimateClass(rain + rainfallOffset, t), 0, kClimateClassCount - 1);
    }

    temperature = t;
    rainfall = rain + rainfallOffset;
    climateClass = cls;
    return 0;
}

void ClimateParms::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kVersion;
        for (int i = 0; i < kModelDoubleCount; ++i)
            ar << GetModelDouble(i);
        m_climateList.Serialize(ar);
        m_temperatureList.Serialize(ar);
        m_rainfallList.Serialize(ar);
        return;
    }

    int32_t version = 0;
    ar >> version;
    if (version < kVersionBareClimateColors)
        return;

    // Everything is read into a copy first, so a damaged record changes nothing.
    ClimateParms loaded(*this);
    for (int i = 0; i < kModelDoubleCount; ++i) {
        double v = 0.0;
        ar >> v;
        loaded.SetModelDouble(i, v);
    }
    if (version == kVersionBareClimateColors) {
        int32_t count = 0;
        ar >> count;
        if (count < 0 || count > CColorList::kMaxArchivedStops)
            CArchive::Throw(CArchiveException::badSchema, "climate colours have an impossible count");
        ar.Require(static_cast<uint64_t>(count) * 4u);
        DefaultClimateColors(loaded.m_climateList);
        for (int32_t i = 0; i < count; ++i) {
            int32_t colour = 0;
            ar >> colour;
            // 0x00BBGGRR, as every colour-list stop is once loaded
            loaded.m_climateList.SetAt(i, static_cast<uint32_t>(colour) & 0xFFFFFFu);
        }
    } else {
        CColorList climate;
        climate.Serialize(ar);
        // Every class needs a colour: a short list repeats its last one, an empty
        // list takes the default colours.
        if (climate.GetSize() == 0)
            DefaultClimateColors(climate);
        while (climate.GetSize() < kClimateClassCount)
            climate.Add(climate.GetColorAt(climate.GetSize() - 1));
        loaded.m_climateList = std::move(climate);
    }
    loaded.m_temperatureList.Serialize(ar);
    loaded.m_rainfallList.Serialize(ar);

    // The lists are moved in whole, names included, as they were read.
    CopySettings(loaded);
    m_climateList = std::move(loaded.m_climateList);
    m_temperatureList = std::move(loaded.m_temperatureList);
    m_rainfallList = std::move(loaded.m_rainfallList);
}

} // namespace kv
