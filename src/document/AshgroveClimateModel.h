// The seasonal climate model: a second, experimental climate model that works on the
// world's channel grid as a whole.
//
// From the altitude of every cell it divides the world into sea, land and highland,
// computes a temperature field for each of four seasons from latitude and
// continentality, pressure codes, a pressure field, a wind field that follows its
// isobars, moisture carried by the wind and rainfall per season, classes every land cell
// and writes the yearly mean rainfall (channel 2), mean temperature in kelvin (channel 3)
// and a climate class (channel 5) of the land cells into the world.
//
// Grids are W x H, indexed [row][column]. Heights row r lies at latitude
// r x 180 / (H - 1) - 90 (south first); the heat pass takes row r at latitude
// 90 - r x 180 / H instead, as the model always has. Every pass is a fixed number of sweeps
// over the grids; rows are spread over the cores where a pass allows it, with results
// identical at any thread count.
#pragma once

#include "base/grid/Grid2D.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace kv {

class ParallelRowPool;
class SurfMap;
class VideoBuffer;

class AshgroveClimateModel {
public:
    static constexpr int kSeasons = 4;
    static constexpr int kTableSize = 10;

    // Surface mask codes.
    static constexpr uint8_t kSea = 0;
    static constexpr uint8_t kLand = 1;
    static constexpr uint8_t kHighland = 2;
    // Pressure codes.
    static constexpr uint8_t kNoPressure = 0;
    static constexpr uint8_t kLowPressure = 1;
    static constexpr uint8_t kHighPressure = 2;
    static constexpr uint8_t kThermalEquator = 3;
    // Wind flags: towards row - 1, row + 1, column + 1, column - 1.
    static constexpr uint8_t kWindRowDown = 1;
    static constexpr uint8_t kWindRowUp = 2;
    static constexpr uint8_t kWindColumnUp = 4;
    static constexpr uint8_t kWindColumnDown = 8;
    // Model codes of sea cells after the output step.
    static constexpr uint8_t kFrozenSea = 10;
    static constexpr uint8_t kOpenWater = 11;

    // Fills a W x H float grid with the world's altitude; false when stopped by the user
    // (the model goes on with what was filled).
    using HeightGridEvaluator = std::function<bool(Grid2D& heights, const char* progressText)>;

    // The defaults, grids for 128 x 128.
    AshgroveClimateModel();
    AshgroveClimateModel(const AshgroveClimateModel&) = delete;
    AshgroveClimateModel& operator=(const AshgroveClimateModel&) = delete;

    // Every parameter to its default, W = H = 128, S = 4; frees the grids.
    void SetDefaults();
    // Takes a new grid size and frees the grids (AllocateGrids makes them).
    void SetGridSize(int width, int height);
    // All grids for W x H; false (and every grid freed) when one cannot be had.
    bool AllocateGrids();
    void FreeGrids();
    void Reset() { FreeGrids(); }
    bool HasGrids() const { return heights != nullptr; }

    // The whole model on the active document's world (its channel-grid size is what the
    // command passes): RunOn with the document's EvaluateHeightGrid. Nothing without an
    // active document.
    void Run(int width, int height);
    // The whole model for a width x height grid of `world` (its channel-grid size): the
    // grids are allocated first, the heights come from `evaluate`, and the channels are
    // written at the end. False, with a message and nothing written, when the grids
    // cannot be had or the world's channel grids are not width x height.
    bool RunOn(SurfMap& world, int width, int height, const HeightGridEvaluator& evaluate);

    // ---- the passes, in the order RunOn calls them ----
    // Surface mask from the heights and the world's water level (channel 4).
    void ClassifySurface(const Grid2D& waterLevel);
    void Heat();
    void ContinentalPressure(int season);
    void OceanicPressure(int season);
    void ThermalEquator(int season);
    void Winds();
    void PressureField(int season);
    void IsobarFlags(int season);
    void MoistureTransport(int season);
    void Rainfall(int season);
    void Classify();
    // Writes the land cells' channels 2, 3 and 5 (grids of W x H) and the sea cells' codes.
    void Output(SurfMap& world);

    // Ring labels on a signed byte grid: for steps 1 .. ringSteps - 1 every 0 cell next to
    // (left, right, next row, previous row) a positive label other than the step takes the
    // step; remaining 0 cells take ringSteps.
    void GrowRings(Grid2D& labels) const;

    // Land cells (non-zero mask) within the neighbourhood radius of (c, r): rows clamped,
    // columns wrapping.
    int LandCountAround(int col, int row) const;
    // Band of a temperature (degrees Fahrenheit) and of a rainfall among the thresholds.
    int TemperatureBand(double fahrenheit) const;
    int RainfallBand(double rainfall) const;

    // Draws a layer (0 surface, 1 temperature, 2 pressure, 3 wind flags, 4 rain, 5 model
    // codes) of a season into a bitmap of the grid's size; other layers draw nothing.
    void DrawLayer(VideoBuffer& bitmap, int layer, int season) const;

    int Width() const { return m_width; }
    // Threads the passes spread their rows over (0: all cores); results do not depend on it.
    int threads = 0;
    int Height() const { return m_height; }

    // ---- parameters, in the model's order ----
    double axialTilt;
    double eccentricity;
    double perihelionPhase;
    double continentalAmplitude;
    double continentalBase;
    double continentalTiltFactor;
    double landWeightBase, landWeightDivisor;
    double maritimeAmplitude;
    double maritimeBase;
    double maritimeTiltFactor;
    double seaWeightBase, seaWeightDivisor;
    int continentalInteriorDistance;
    int continentalCoastDistance;
    int oceanicCoastDistance;
    int oceanicInteriorDistance;
    int continentalWindow2Low, continentalWindow2High;
    int continentalWindow1Low, continentalWindow1High;
    int oceanicWindow2Low, oceanicWindow2High;
    int oceanicWindow1Low, oceanicWindow1High;
    int moistureSteps;
    int rainBase;
    int landRainBonus;
    int highlandRainOut;
    int ownArrivalWeight;
    int neighbourArrivalWeight;
    int thermalEquatorBonus;
    int nearEquatorBonus;
    int nextRowFlowBonus;
    int pressureTop;
    int isobarStep;
    int temperatureThresholds[kTableSize];
    int temperatureThresholdCount;
    int rainfallThresholds[kTableSize];
    int rainfallThresholdCount;
    int highlandCooling;
    double freezingTemperature;
    uint8_t codeTable[kTableSize][kTableSize];
    int ringSteps;
    int neighbourhoodRadius;
    const double pi;
    const double degreesToRadians;

    // ---- grids (null until allocated) ----
    Grid2DPtr heights;         // float
    Grid2DPtr surfaceMask;     // byte
    Grid2DPtr ringLabels;      // signed byte
    Grid2DPtr modelCodes;      // byte
    Grid2DPtr temperature[kSeasons]; // float, kelvin
    Grid2DPtr pressureCode[kSeasons]; // byte
    Grid2DPtr pressure[kSeasons];     // float 0..255
    Grid2DPtr rain[kSeasons];         // float 0..255
    Grid2DPtr windFlags[kSeasons];    // byte
    Grid2DPtr moistureA, moistureB;   // byte
    Grid2DPtr arrivals;               // byte
    Grid2DPtr ringsLow, ringsHigh;    // signed byte
    Grid2DPtr pressureBytes;          // byte

private:
    // One pressure pass: ring labels start -1 on land and highland (startOnLand) or on sea,
    // then every code of the season is rewritten from the interior cells' temperatures.
    void SurfacePressure(int season, bool startOnLand, int coastDistance, int interiorDistance, int window1Low,
                         int window1High, int window2Low, int window2High);
    // body over the ranges of [0, count): on the run's pool, else on fresh threads.
    void ForRanges(int count, const std::function<void(int begin, int end)>& body) const;
    template <class Body>
    void EachRow(int count, Body&& body) const
    {
        ForRanges(count, [&](int begin, int end) {
            for (int r = begin; r < end; ++r)
                body(r);
        });
    }
    // GrowRings with the grid's highest label known (the passes that fill labels with -1
    // and 0 know it is at most 0).
    void GrowRings(Grid2D& labels, int highest) const;
    void DrawCodes(VideoBuffer& bitmap, const Grid2D& grid, const uint32_t* colours, int count) const;
    void DrawValues(VideoBuffer& bitmap, const Grid2D& grid, const uint32_t* colours, int count) const;

    int m_width = 128;
    int m_height = 128;
    int m_seasons = kSeasons;
    // Work rows of the thermal-equator pass (W entries).
    std::vector<int> m_equatorRows;
    ParallelRowPool* m_pool = nullptr;
};

} // namespace kv
