// The Select menu's range selections: the world evaluated at every selection cell, then
// the mask set from the values.
#include "document/CKVDoc.h"

#include "base/Progress.h"
#include "base/color/ClimateParms.h"
#include "world/AltitudeGrid.h"
#include "world/RowEvaluation.h"
#include "world/SurfaceSampler.h"
#include "world/GridGeometry.h"

#include <cmath>
#include <cstring>

namespace kv {

namespace {

// What a cell's value is.
enum class CellValue { Altitude, Rainfall, Temperature, ClimateClass };

constexpr const char* kRangeSteps[3] = {"Select Altitude Range", "Select Rainfall Range",
                                        "Select Temperature Range"};
constexpr char kClimateRangeStep[] = "Select Climate Range";

// Fills the float grid with the value at every cell (cell geometry of the channel grids),
// rows spread over the cores; the hooks see every row in order with a poll after each.
// False when Esc stopped the rows (the grid is then incomplete).
bool EvaluateCells(const SurfaceSampler& prototype, Grid2D& grid, CellValue what)
{
    const int w = static_cast<int>(grid.Width()), h = static_cast<int>(grid.Height());
    GridRows<float> rows = grid.Rows<float>();
    g_abortValue.store(0);
    ProgressBeginHook(CKVDoc::kCalculatingText, 1);
    const int result = EvaluateRowBatches(
        prototype, h,
        [&](SurfaceSampler& sampler, int r) {
            float* out = rows[static_cast<std::size_t>(r)];
            double latitude = 0.0, longitude = 0.0;
            for (int c = 0; c < w; ++c) {
                GridCellToLatLon(c, r, w, h, latitude, longitude);
                const float altitude = sampler.GetAltitude(latitude, longitude);
                if (what == CellValue::Altitude) {
                    out[c] = altitude;
                    continue;
                }
                float rain = 0.0f, temperature = 0.0f;
                int climateClass = 0;
                sampler.GetClimate(latitude, longitude, altitude, rain, temperature, climateClass, nullptr);
                out[c] = what == CellValue::Rainfall      ? rain
                         : what == CellValue::Temperature ? temperature
                                                          : static_cast<float>(climateClass);
            }
        },
        [&](int first, int last) {
            for (int r = first; r < last; ++r) {
                ProgressStepHook(r, h);
                ProgressPollHook();
                if (AbortRequested())
                    return false;
            }
            return true;
        },
        0, 1);
    ProgressEndHook();
    return result == 0;
}

Grid2DPtr SelectionSizedGrid(const CSelection& selection)
{
    if (!selection.HasMask() || selection.GetWidth() < 1 || selection.GetHeight() < 1)
        return nullptr;
    return Alloc2D(static_cast<std::size_t>(selection.GetWidth()), static_cast<std::size_t>(selection.GetHeight()),
                   sizeof(float));
}

} // namespace

int CKVDoc::SelectRange(int kind, float low, float high, int test, int combine)
{
    if (kind < kRangeAltitude || kind > kRangeTemperature || test < 0 || test > 3 || combine < 0 || combine > 2)
        return -1;
    RecordSelectionUndo(kRangeSteps[kind]);
    CSelection& selection = m_world.selection;
    Grid2DPtr values = SelectionSizedGrid(selection);
    SurfaceSampler* sampler = GetSampler();
    if (values && sampler != nullptr) {
        const CellValue what = kind == kRangeAltitude   ? CellValue::Altitude
                               : kind == kRangeRainfall ? CellValue::Rainfall
                                                        : CellValue::Temperature;
        if (EvaluateCells(*sampler, *values, what))
            selection.SelectRange(*values, low, high, test * 16 + combine);
    }
    g_abortValue.store(0);
    UpdateAllViews(nullptr, kHintSelection);
    return 0;
}

void CKVDoc::SelectClimateRange(const int* states)
{
    RecordSelectionUndo(kClimateRangeStep);
    CSelection& selection = m_world.selection;
    Grid2DPtr values = SelectionSizedGrid(selection);
    SurfaceSampler* sampler = GetSampler();
    if (values && sampler != nullptr && EvaluateCells(*sampler, *values, CellValue::ClimateClass)) {
        bool first = true;
        for (int j = 0; j < kClimateClassCount; ++j) {
            if (states[j] == 0)
                continue;
            // Replace with the first class, add every later one.
            selection.SelectRange(*values, static_cast<float>(j) - 0.5f, static_cast<float>(j) + 0.499999f,
                                  first ? 0 : 1);
            first = false;
        }
    }
    g_abortValue.store(0);
    UpdateAllViews(nullptr, kHintSelection);
}

} // namespace kv
