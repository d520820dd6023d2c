// How a map view lights and colours the world.
//
// Each view owns one; the Lighting and Color sheet edits a copy; the sampler and the shaders
// read it. Written and read as a keyword text block between "LightParms" and "LightParmsEnd".
// While a render runs the block is only read: the sea level of each point travels in the
// shading sample (AltitudeColorAt takes it as an argument), never through this shared object.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "base/color/CColorList.h"

namespace kv {

class CTokenizer;

// The combine operations offered in lists (brushes, the math tool, mounds, facing relate).
enum CombineOp : int {
    kCombineReplace = 0,
    kCombineAdd = 1,
    kCombineSubtract = 2,
    kCombineMultiply = 3,
    kCombineDivide = 4,
    kCombineMin = 5,
    kCombineMax = 6,
};
constexpr int kCombineOpCount = 7;
// The name of a combine operation as lists show it ("Replace" ... "Max"); empty outside 0..6.
const char* CombineOpName(int op);
// 0 b; 1 a + b; 2 a - b; 3 a x b; 4 a / b, or a when |b| <= 1e-10; 5 the smaller; 6 the larger.
// Any other operation gives b.
double CombineValues(int op, double a, double b);

enum BlendCurve : int {
    kBlendLinear = 0,
    kBlendCosine = 1,
};
constexpr int kBlendCurveCount = 2;
// "Linear" or "Cosine"; empty outside 0..1.
const char* BlendCurveName(int curve);
// 0: x; 1: (1 - cos(pi x)) / 2. Any other curve is linear.
double ApplyBlendCurve(int curve, double x);

// Fill a drop-down list: addItem(name, code) once per operation or curve, in code order.
using ComboItemSink = std::function<void(const char* name, int code)>;
void FillCombineModeCombo(const ComboItemSink& addItem);
void FillBlendCurveCombo(const ComboItemSink& addItem);

// Signed distance of (px, py) from the line through (x1, y1) and (x2, y2); 0 when the two
// line points lie within 1e-10 of each other.
double PointLineDistance(double px, double py, double x1, double y1, double x2, double y2);

class LightParms {
public:
    LightParms();
    virtual ~LightParms() = default;
    // Copies every setting and the five owned lists; the three climate-list references stay.
    LightParms(const LightParms& other);
    LightParms& operator=(const LightParms& other);

    // Ambient 0.25, exponent 2/3, corner 0, vertical exaggeration 1.1, azimuth 315,
    // elevation 45, unit 1, the default land and sea lists; the light vector follows.
    void ResetLight();
    // The land list of nine default stops and the sea list of four.
    void SetDefaultColorLists();
    // Recomputes the light vector from azimuth and elevation and stores the sea lowest and
    // the land range.
    void UpdateLight(double seaLowestValue, double landLowValue, double landHighValue);
    // Recomputes the light vector alone.
    void UpdateLightVector();
    const float* GetLightVector() const { return lightVector; }

    // The light factor 0..1 of a unit normal.
    double Shade(double nx, double ny, double nz) const;

    // The colour of an altitude at the block's own sea level.
    uint32_t AltitudeColor(double altitude) const { return AltitudeColorAt(altitude, seaLevel); }
    // The colour of an altitude at a given sea level: at or below it the sea list at
    // 1 - (sea level - altitude) / (sea level - sea lowest), above it the land list at
    // (altitude - land low) / (land high - land low), both clamped to 0..1; equal bounds give
    // position 0.
    uint32_t AltitudeColorAt(double altitude, double seaLevelAt) const;
    // The same with seaColors and landColors made ready as ramps (the same colours).
    uint32_t AltitudeColorAt(double altitude, double seaLevelAt, const CColorRamp& sea, const CColorRamp& land) const;
    // The same at n points.
    void AltitudeColorsAt(const float* altitude, const float* seaLevelAt, int n, const CColorRamp& sea,
                          const CColorRamp& land, uint32_t* colours) const;

    // The keyword text block, each line ended by a single line feed. Returns 0.
    int WriteText(std::FILE* file, const CTokenizer& tokenizer) const;
    // Reads a block from the current token on: 0 at "LightParmsEnd", -1 at the end of input.
    int ReadText(CTokenizer& tokenizer);

    // Fields, with their keyword and default.
    std::string name;               // "Name", empty
    int bitDepth = 0;               // "BitDepth"
    double ambient = 0.25;          // "Ambient"
    double gamma = 2.0 / 3.0;       // "Gamma": exponent of the diffuse term
    double vertExag = 1.1;          // "VertExag"
    double azimuth = 315.0;         // "az", degrees
    double elevation = 45.0;        // "el", degrees
    CColorList seaColors;           // "SeaColor"
    double seaLevel = 0.0;          // "SeaLevel"
    double seaLowest = -1.0;        // "SeaLowest"
    double seaOpacity = 0.0;        // "SeaOpacity": 0 shaded sea floor .. 1 flat sea
    CColorList landColors;          // "AltColor"
    // Climate lists lent while the text form is read or written (not owned, not copied).
    CColorList* temperatureList = nullptr;  // "TemperatureList"
    CColorList* rainfallList = nullptr;     // "RainfallList"
    CColorList* climateList = nullptr;      // "ClimateList"
    int altMode = 0;                // "AltMode"
    int seaEqual = 0;               // "SeaEqual"
    int seaFloat = 0;               // "SeaFloat"
    double seaSatMin = 0.0;         // "SeaSatMin"
    double seaSatMax = 0.0;         // "SeaSatMax"
    double corner = 0.0;            // "Corner"
    int unit = 1;                   // "Unit"
    double landOpacity = 0.0;       // "LandOpacity"
    int absColor = 0;               // "AbsColor"
    double absMax = 1000.0;         // "AbsMax"
    double absMin = 0.0;            // "AbsMin"
    double iceNorth = 0.35;         // "IceNorth"
    double iceSouth = 0.35;         // "IceSouth"
    int iceColor = 0xFFFFFF;        // "IceColor", 0x00BBGGRR
    double iceOpacity = 0.75;       // "IceOpacity"
    int blendLat = 0;               // "BlendLat"
    int blendAlt = 1;               // "BlendAlt"
    int blendSlope = 0;             // "BlendSlope"
    int blendFacing = 0;            // "BlendFacing"
    double blendLatVal = 0.0;       // "BlendLatVal"
    double blendAltVal = 1.0;       // "BlendAltVal"
    double blendSlopeVal = 0.0;     // "BlendSlopeVal"
    double blendFacingVal = 0.0;    // "BlendFacingVal"
    double facingNorthDir = 0.0;    // "BlendFacingNDir"
    double facingNorthVal = 0.5;    // "BlendFacingNVal"
    double facingSouthDir = 180.0;  // "BlendFacingSDir"
    double facingSouthVal = 0.5;    // "BlendFacingSVal"
    int facingRelate = kCombineReplace;  // "FacingRelate"
    CColorList northColors;         // "NorthColor", empty
    CColorList southColors;         // "SouthColor", empty
    CColorList slopeColors;         // "SlopeColor", empty
    int colors = 15;                // "Colors"
    int levels = 15;                // "Levels"
    float lightVector[3] = {0, 0, 0};  // from azimuth and elevation
    double landLow = 0.0;           // land range of the altitude colours
    double landHigh = 1.0;
};

} // namespace kv
