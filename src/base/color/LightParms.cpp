#include "base/color/LightParms.h"

#include <algorithm>
#include <cmath>
#include <numbers>


namespace kv {

namespace {

constexpr const char* kCombineOpNames[kCombineOpCount] = {"Replace", "Add", "Subtract", "Multiply",
                                                          "Divide",  "Min", "Max"};
constexpr const char* kBlendCurveNames[kBlendCurveCount] = {"Linear", "Cosine"};

// Default stops as red, green, blue.
constexpr int kDefaultLandStops[9][3] = {{98, 218, 151},  {150, 230, 185}, {160, 253, 151},
                                         {206, 253, 203}, {254, 218, 200}, {254, 202, 174},
                                         {254, 186, 148}, {254, 170, 122}, {232, 232, 232}};
constexpr int kDefaultSeaStops[4][3] = {{91, 232, 255}, {145, 238, 255}, {199, 244, 255}, {226, 247, 255}};

constexpr double kFullAmbient = 0.996078431372549;  // 254/255

uint32_t PackRgb(const int rgb[3]) {
    return static_cast<uint32_t>(rgb[0]) | (static_cast<uint32_t>(rgb[1]) << 8) |
           (static_cast<uint32_t>(rgb[2]) << 16);
}

double Clamp01(double t) {
    if (!(t > 0.0)) {
        return 0.0;
    }
    return t > 1.0 ? 1.0 : t;
}

// num / den, or 0 when the two bounds coincide.
double Position(double num, double den) { return den != 0.0 ? num / den : 0.0; }

} // namespace

const char* CombineOpName(int op) {
    return op >= 0 && op < kCombineOpCount ? kCombineOpNames[op] : "";
}

double CombineValues(int op, double a, double b) {
    switch (op) {
    case kCombineAdd:
        return a + b;
    case kCombineSubtract:
        return a - b;
    case kCombineMultiply:
        return a * b;
    case kCombineDivide:
        return std::fabs(b) > 1e-10 ? a / b : a;
    case kCombineMin:
        return std::min(a, b);
    case kCombineMax:
        return std::max(a, b);
    case kCombineReplace:
    default:
        return b;
    }
}

const char* BlendCurveName(int curve) {
    return curve >= 0 && curve < kBlendCurveCount ? kBlendCurveNames[curve] : "";
}

double ApplyBlendCurve(int curve, double x) {
    if (curve == kBlendCosine) {
        return (1.0 - std::cos(std::numbers::pi * x)) / 2.0;
    }
    return x;
}

void FillCombineModeCombo(const ComboItemSink& addItem) {
    for (int op = 0; op < kCombineOpCount; ++op) {
        addItem(kCombineOpNames[op], op);
    }
}

void FillBlendCurveCombo(const ComboItemSink& addItem) {
    for (int curve = 0; curve < kBlendCurveCount; ++curve) {
        addItem(kBlendCurveNames[curve], curve);
    }
}

double PointLineDistance(double px, double py, double x1, double y1, double x2, double y2) {
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    const double length = std::sqrt(dx * dx + dy * dy);
    if (length <= 1e-10) {
        return 0.0;
    }
    return (dx * (y1 - py) - dy * (x1 - px)) / length;
}

LightParms::LightParms() {
    SetDefaultColorLists();
    UpdateLightVector();
}

LightParms::LightParms(const LightParms& other) {
    *this = other;
}

LightParms& LightParms::operator=(const LightParms& other) {
    if (this == &other) {
        return *this;
    }
    // The climate-list references belong to whoever lent them; they stay as they are.
    CColorList* const temperature = temperatureList;
    CColorList* const rainfall = rainfallList;
    CColorList* const climate = climateList;
    name = other.name;
    bitDepth = other.bitDepth;
    ambient = other.ambient;
    gamma = other.gamma;
    vertExag = other.vertExag;
    azimuth = other.azimuth;
    elevation = other.elevation;
    seaColors = other.seaColors;
    seaLevel = other.seaLevel;
    seaLowest = other.seaLowest;
    seaOpacity = other.seaOpacity;
    landColors = other.landColors;
    altMode = other.altMode;
    seaEqual = other.seaEqual;
    seaFloat = other.seaFloat;
    seaSatMin = other.seaSatMin;
    seaSatMax = other.seaSatMax;
    corner = other.corner;
    unit = other.unit;
    landOpacity = other.landOpacity;
    absColor = other.absColor;
    absMax = other.absMax;
    absMin = other.absMin;
    iceNorth = other.iceNorth;
    iceSouth = other.iceSouth;
    iceColor = other.iceColor;
    iceOpacity = other.iceOpacity;
    blendLat = other.blendLat;
    blendAlt = other.blendAlt;
    blendSlope = other.blendSlope;
    blendFacing = other.blendFacing;
    blendLatVal = other.blendLatVal;
    blendAltVal = other.blendAltVal;
    blendSlopeVal = other.blendSlopeVal;
    blendFacingVal = other.blendFacingVal;
    facingNorthDir = other.facingNorthDir;
    facingNorthVal = other.facingNorthVal;
    facingSouthDir = other.facingSouthDir;
    facingSouthVal = other.facingSouthVal;
    facingRelate = other.facingRelate;
    northColors = other.northColors;
    southColors = other.southColors;
    slopeColors = other.slopeColors;
    colors = other.colors;
    levels = other.levels;
    std::copy(std::begin(other.lightVector), std::end(other.lightVector), std::begin(lightVector));
    landLow = other.landLow;
    landHigh = other.landHigh;
    temperatureList = temperature;
    rainfallList = rainfall;
    climateList = climate;
    return *this;
}

void LightParms::ResetLight() {
    ambient = 0.25;
    gamma = 2.0 / 3.0;
    corner = 0.0;
    vertExag = 1.1;
    azimuth = 315.0;
    elevation = 45.0;
    unit = 1;
    SetDefaultColorLists();
    UpdateLightVector();
}

void LightParms::SetDefaultColorLists() {
    landColors.ResetDefaults();
    for (const auto& stop : kDefaultLandStops) {
        landColors.Add(PackRgb(stop));
    }
    seaColors.ResetDefaults();
    for (const auto& stop : kDefaultSeaStops) {
        seaColors.Add(PackRgb(stop));
    }
}

void LightParms::UpdateLightVector() {
    constexpr double kRadians = std::numbers::pi / 180.0;
    const double el = elevation * kRadians;
    const double az = (90.0 - azimuth) * kRadians;
    lightVector[0] = static_cast<float>(-std::cos(el) * std::cos(az));
    lightVector[1] = static_cast<float>(-std::cos(el) * std::sin(az));
    lightVector[2] = static_cast<float>(-std::sin(el));
}

void LightParms::UpdateLight(double seaLowestValue, double landLowValue, double landHighValue) {
    UpdateLightVector();
    seaLowest = seaLowestValue;
    landLow = landLowValue;
    landHigh = landHighValue;
}

double LightParms::Shade(double nx, double ny, double nz) const {
    if (ambient >= kFullAmbient) {
        return 1.0;
    }
    const double d = lightVector[0] * nx + lightVector[1] * ny + lightVector[2] * nz;
    return Clamp01(std::pow(std::max(d, 0.0), gamma) + ambient);
}

namespace {

// The position of an altitude in the sea list (at or below the sea level: `inSea`) or in
// the land list.
double ListPosition(const LightParms& light, double altitude, double seaLevelAt, bool& inSea) {
    inSea = altitude <= seaLevelAt;
    if (inSea) {
        return Clamp01(1.0 - Position(seaLevelAt - altitude, seaLevelAt - light.seaLowest));
    }
    return Clamp01(Position(altitude - light.landLow, light.landHigh - light.landLow));
}

template <class Sea, class Land>
uint32_t AltitudeColorFrom(const LightParms& light, double altitude, double seaLevelAt, const Sea& sea, const Land& land) {
    bool inSea = false;
    const double t = ListPosition(light, altitude, seaLevelAt, inSea);
    return inSea ? sea.Interpolate(t) : land.Interpolate(t);
}

} // namespace

uint32_t LightParms::AltitudeColorAt(double altitude, double seaLevelAt) const {
    return AltitudeColorFrom(*this, altitude, seaLevelAt, seaColors, landColors);
}

uint32_t LightParms::AltitudeColorAt(double altitude, double seaLevelAt, const CColorRamp& sea,
                                     const CColorRamp& land) const {
    return AltitudeColorFrom(*this, altitude, seaLevelAt, sea, land);
}

void LightParms::AltitudeColorsAt(const float* altitude, const float* seaLevelAt, int n, const CColorRamp& sea,
                                  const CColorRamp& land, uint32_t* colours) const {
    // The positions first, then each list's colours over its points.
    constexpr int kChunk = 32;
    double seaT[kChunk], landT[kChunk];
    int seaAt[kChunk], landAt[kChunk];
    uint32_t seaColour[kChunk], landColour[kChunk];
    for (int first = 0; first < n; first += kChunk) {
        const int count = std::min(kChunk, n - first);
        int seaCount = 0, landCount = 0;
        for (int i = 0; i < count; ++i) {
            bool inSea = false;
            const double t = ListPosition(*this, altitude[first + i], seaLevelAt[first + i], inSea);
            if (inSea) {
                seaT[seaCount] = t;
                seaAt[seaCount++] = first + i;
            } else {
                landT[landCount] = t;
                landAt[landCount++] = first + i;
            }
        }
        sea.InterpolateMany(seaT, seaCount, seaColour);
        land.InterpolateMany(landT, landCount, landColour);
        for (int i = 0; i < seaCount; ++i) {
            colours[seaAt[i]] = seaColour[i];
        }
        for (int i = 0; i < landCount; ++i) {
            colours[landAt[i]] = landColour[i];
        }
    }
}

} // namespace kv
