// The climate model of a world: from a point's latitude, longitude and altitude (and
// the world's painted offsets) a temperature in kelvin, a rainfall value (cm/yr) and
// one of 17 climate classes; and the three colour lists that temperature, rainfall
// and climate maps are drawn with. The world surface owns one and archives it.
#pragma once

#include "base/color/CColorList.h"

#include <cstdint>

namespace kv {

class CArchive;

// Climate class codes.
enum ClimateClass : int {
    kClimateTundra = 0,
    kClimateBoreal = 1,
    kClimateChaparral = 2,
    kClimateDesert = 3,
    kClimateTemperateForest = 4,
    kClimateTemperateGrassland = 5,
    kClimateTropicalEvergreen = 6,
    kClimateTropicalDeciduous = 7,
    kClimateTropicalShrublands = 8,
    kClimateSavannah = 9,
    kClimateIce = 10,
    kClimateOcean = 11,
    kClimateShallowOcean = 12,
    kClimateMountain = 13,
    kClimateHills = 14,
    kClimateBareRock = 15,
    kClimateOceanicTrench = 16,
};
constexpr int kClimateClassCount = 17;

// Rows: rainfall bands (row 0 the wettest); columns: temperature bands (column 0 the
// coldest).
constexpr int kClimateTableRows = 20;
constexpr int kClimateTableColumns = 16;
extern const int16_t ClimateClassTable[kClimateTableRows][kClimateTableColumns];

class ClimateParms {
public:
    static constexpr int32_t kVersion = 257;
    static constexpr int32_t kVersionBareClimateColors = 256;
    static constexpr double kKelvinOffset = 273.15;
    static constexpr double kFreezingKelvin = 249.81667; // below it sea and land are ice
    static constexpr double kShelfDepth = -304.80002;    // deeper sea is open ocean
    static constexpr int kModelDoubleCount = 8;

    ClimateParms() { ResetDefaults(); }
    ClimateParms(const ClimateParms& other) { *this = other; }
    // The model settings (as CopySettings) and copies of the three lists.
    ClimateParms& operator=(const ClimateParms& other);
    virtual ~ClimateParms() = default;

    // The eight model doubles and the fixed mean temperature within 1e-20 and the
    // flag equal; the lists are not compared.
    bool Equals(const ClimateParms& other) const;

    // Version 257 written; 256 also read; below 256 nothing more is read. A damaged
    // record raises the archive error and leaves the parameters as they were.
    void Serialize(CArchive& ar);

    // Name of a class code; empty for any other code.
    static const char* GetClimateName(int code);

    // Climate at a point. Latitude and longitude in degrees, altitude and water level
    // in metres, temperature offset in kelvin, rainfall offset in cm/yr; an override
    // class >= 0 replaces the class of a land point; origin is the basis origin that
    // moves the noise samples. Writes the temperature (K), the rainfall with its
    // offset and the class; stores the base temperature; returns 0.
    int EvaluateClimate(double latitude, double longitude, double altitude, double& rainfall, double& temperature,
                        int& climateClass, double rainfallOffset, double temperatureOffset, double waterLevel,
                        int overrideClass, double originX, double originY, double originZ);

    // Colour of a class (code clamped to 0..16).
    uint32_t ClimateColor(int code) const;
    // Lowest and highest class code.
    void GetClassRange(double& low, double& high) const;
    // Colour of a temperature: -40 C .. +65 C span the temperature list.
    uint32_t TemperatureColor(double kelvin) const;
    // Colour of a rainfall: 0 .. 250 span the rainfall list.
    uint32_t RainfallColor(double rainfall) const;

    // The eight model doubles, the fixed mean temperature and its flag.
    void CopySettings(const ClimateParms& other);
    // The default settings and the three default lists.
    void ResetDefaults();
    int GetListCount() const { return 2; }

    static void DefaultClimateColors(CColorList& list);
    static void DefaultTemperatureColors(CColorList& list);
    static void DefaultRainfallColors(CColorList& list);

    void GetTemperatureList(CColorList& out) const { out = m_temperatureList; }
    void SetTemperatureList(const CColorList& list) { m_temperatureList = list; }
    void GetRainfallList(CColorList& out) const { out = m_rainfallList; }
    void SetRainfallList(const CColorList& list) { m_rainfallList = list; }
    void GetClimateList(CColorList& out) const { out = m_climateList; }
    void SetClimateList(const CColorList& list) { m_climateList = list; }
    const CColorList& TemperatureList() const { return m_temperatureList; }
    const CColorList& RainfallList() const { return m_rainfallList; }
    const CColorList& ClimateList() const { return m_climateList; }
    // The lists themselves, for readers that replace a list whole (stop names kept) and
    // for writing them out.
    CColorList& TemperatureList() { return m_temperatureList; }
    CColorList& RainfallList() { return m_rainfallList; }
    CColorList& ClimateList() { return m_climateList; }

    // The four table cells around (rainfall, kelvin): (i, k), (i, k+1), (i+1, k),
    // (i+1, k+1), indices clamped to the table; and the fractions b - k (temperature)
    // and a - i (rainfall) of the table positions a, b.
    void GetClassCorners(double rainfall, double kelvin, int codes[4], double& temperatureFraction,
                         double& rainfallFraction) const;
    // The class of a (rainfall, kelvin) pair from the table.
    static int LookupClimateClass(double rainfall, double kelvin);

    // The eight model doubles by their order (solar factor .. rainfall base);
    // out-of-range indices read 0 and write nothing.
    double GetModelDouble(int index) const;
    void SetModelDouble(int index, double value);

    // Model parameters, in their archive order.
    double solarFactor = 1.0;
    double heatFactor = 1.1;
    double albedo = 0.3;
    double axialTilt = 0.41015237421866746; // radians
    double latitudeRange = 50.0;
    double temperatureNoise = 16.0;
    double rainfallNoise = 80.0;
    double rainfallBase = 130.0;
    // Kelvin; set by each EvaluateClimate.
    double baseTemperature = 0.0;
    // Degrees Celsius, used instead of the computed base when the flag is set.
    double fixedMeanTemperature = 15.277778182500697;
    int useFixedTemperature = 0;

private:
    double* ModelDouble(int index);

    CColorList m_temperatureList;
    CColorList m_rainfallList;
    CColorList m_climateList;
};

} // namespace kv
