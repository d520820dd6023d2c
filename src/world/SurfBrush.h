// The painting brush: turns a BrushSettings into a stamp (weight, data and value arrays of
// height rows x width columns) and applies it to a float grid around a grid cell, each cell
// combined with the brush value by the combine mode and blended through the selection.
//
// Stroke rectangle of a stamp at cell (c, r) of a W x H grid: columns from c - width/2 for
// width columns, rows from r - height/2 for height rows. Without wrapping it is clipped: a
// negative start becomes 0 (the stamp skips as many columns), an end at or beyond W - 1
// becomes W - 1, so a clipped rectangle never reaches the grid's last column or row. With
// the wrap bits columns (rows) are taken modulo the grid width (height) instead.
#pragma once

#include "base/grid/Grid2D.h"
#include "world/BrushSettings.h"
#include "world/SurfMap.h"

namespace kv {

class CSelection;

// The part of a grid a stamp covers: grid columns left .. left + columns - 1 and rows
// top .. top + rows - 1 (before wrapping), starting at stamp column stampLeft, row stampTop.
struct StrokeRect {
    int left = 0, top = 0;
    int columns = 0, rows = 0;
    int stampLeft = 0, stampTop = 0;
};

class SurfBrush : public ChannelBrush {
public:
    // Rebuild results besides 0.
    static constexpr int kNoDataArray = -2;
    static constexpr int kNoWeightArray = -3;
    static constexpr int kNoValueArray = -4;
    static constexpr int kImageTooSmall = 249;
    static constexpr int kImageUnreadable = 250;
    static constexpr int kExpressionUnreadable = 251;
    // StrokeRectangle results.
    static constexpr int kNoColumns = -1;
    static constexpr int kNoRows = -2;

    SurfBrush() { Rebuild(); }
    explicit SurfBrush(const BrushSettings& settings) : m_settings(settings) { Rebuild(); }
    ~SurfBrush() override = default;
    SurfBrush(const SurfBrush&) = delete;
    SurfBrush& operator=(const SurfBrush&) = delete;

    // Makes the stamp from the settings (sizes made odd and held within 1..512, bias within
    // 0.0001..0.9999): 0, an allocation failure (the arrays are dropped), or 249, 250, 251
    // for an image or expression shape that cannot be had (the arrays stay zero).
    virtual int Rebuild();
    // Copies the settings in and rebuilds.
    virtual int SetSettings(const BrushSettings& settings);
    // Fills the value buffer for the stamp cells of a rectangle of `source` by the value source.
    virtual int PrepareValues(const Grid2D& source, const StrokeRect& rect);
    // Applies the stamp to the rectangle of `target` with the value buffer (the brush value
    // for the constant source); rows from the last to the first.
    virtual int Stamp(Grid2D& target, const StrokeRect& rect, const CSelection* selection);

    const BrushSettings& GetSettings() const { return m_settings; }
    void GetSettings(BrushSettings& out) const { out = m_settings; }
    void GetSize(int& width, int& height) const
    {
        width = m_settings.width;
        height = m_settings.height;
    }
    // The value and the range take effect at the next stroke point; the stamp's shape does
    // not depend on them, so nothing is rebuilt.
    void SetValue(float value) override { m_settings.value = value; }
    void SetRange(float low, float high) override
    {
        m_settings.rangeLow = low;
        m_settings.rangeHigh = high;
    }
    // Whole values (the climate classes): where a stamp weight is above 0 and the selection
    // weight at least 0.5 a cell takes the combined value at full weight, rounded; other cells
    // keep theirs.
    void SetWholeValues(bool whole) { m_whole = whole; }

    bool HasArrays() const { return m_weight != nullptr; }
    float Weight(int row, int col) const { return m_weight->Row<float>(static_cast<std::size_t>(row))[col]; }
    float Data(int row, int col) const { return m_data->Row<float>(static_cast<std::size_t>(row))[col]; }

    // The rectangle of a stamp at (column, row) of `grid`: 0, kNoColumns or kNoRows.
    int StrokeRectangle(const Grid2D& grid, int column, int row, StrokeRect& rect) const;

    // The world's call: the unrotated stamp at (x0, y0).
    int StrokeSegment(Grid2D& grid, int x0, int y0, Grid2D& grid1, int x1, int y1, const CSelection* selection,
                      int a, int b) override;
    // One stroke point: old values from `source`, results into `target`. With |angle| above
    // 0.0001 (radians) and the constant value source every stamp cell goes to the grid cell
    // turned by the angle about the point (cells outside a grid skipped); otherwise the
    // rectangles of both grids are made (a one-row stamp one row further up) and the stamp
    // applied: 0, or the rectangle's failure (nothing painted).
    int StrokeSegment(Grid2D& target, const Grid2D& source, int column, int row, const CSelection* selection,
                      double angle);

private:
    int StampRotated(Grid2D& target, const Grid2D& source, int column, int row, const CSelection* selection,
                     double angle);
    int FillFromExpressions();
    int FillFromImage();
    void FillEllipse();

    BrushSettings m_settings;
    Grid2DPtr m_data, m_weight, m_values;
    bool m_whole = false;
};

} // namespace kv
