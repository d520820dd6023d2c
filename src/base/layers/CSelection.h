// The selection of the world: one byte per cell of the world's channel grids, read as a
// weight from 0 (not selected) to 255 (fully selected), so that a soft selection blends
// an operation's result into the old value cell by cell.
//
// Geometry: row 0 is the southern edge (latitude -90), row height-1 the northern edge;
// column 0 is longitude -180 and column width-1 is +180. Cell (c, r) lies at latitude
// r x 180 / (height-1) - 90 and longitude c x 360 / (width-1) - 180.
//
// While the selection is not active every cell weighs 1.0 for GetWeightOrOne. Deselect
// hides the mask without clearing it; Reselect brings it back. Neighbourhood operations
// wrap columns around and clamp rows.
#pragma once

#include "base/raster/CPointList.h"
#include "base/GeoBounds.h"
#include "base/grid/Grid2D.h"
#include "base/Undo.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kv {

class CSelection : public CUndoable {
public:
    static constexpr int kMaxSide = 24999;

    // Results.
    static constexpr int kOk = 0;
    static constexpr int kNegativeSide = -1;    // Create
    static constexpr int kSideTooLarge = -2;    // Create
    static constexpr int kOutOfMemory = -3;     // Create (the old mask stays)
    static constexpr int kNotActive = -1;       // DistanceFill
    static constexpr int kGridMismatch = -2;    // SelectRange, DistanceFill: the float grid is not the mask's size
    static constexpr int kImageError = -1;      // LoadImage, SaveImage

    CSelection() = default;
    CSelection(const CSelection& other);
    CSelection& operator=(const CSelection& other);
    ~CSelection() override = default;

    // A new mask of width x height cells, all 0: kOk, kNegativeSide, kSideTooLarge or
    // kOutOfMemory (the old mask stays on failure). A side of 0 makes a mask without cells.
    // reselect takes the old active flag; active becomes false.
    int Create(int width, int height);
    // Drops the mask.
    void Free();
    bool HasMask() const { return m_hasMask; }
    // Mask sides, or -1 when there is no mask.
    int GetWidth() const { return m_hasMask ? m_width : -1; }
    int GetHeight() const { return m_hasMask ? m_height : -1; }

    // Raw cell and weight; the caller passes a cell inside the mask.
    uint8_t GetAt(int x, int y) const { return m_rows[y][x]; }
    double GetWeight(int x, int y) const { return m_rows[y][x] * (1.0 / 255.0); }
    // 0 (GetAtIfActive) or 1.0 (GetWeightOrOne) while not active or outside the mask.
    uint8_t GetAtIfActive(int x, int y) const { return m_active && Inside(x, y) ? m_rows[y][x] : 0; }
    double GetWeightOrOne(int x, int y) const { return m_active && Inside(x, y) ? GetWeight(x, y) : 1.0; }
    // Stores a byte inside the mask (outside: ignored). A nonzero value makes the
    // selection active; reselect is cleared.
    void SetAt(int x, int y, uint8_t value);
    // Bilinear sample of the bytes at a point (0..255); 0 without cells. Points outside
    // -90..90 / -180..180 are held at the edge cells.
    int SampleAt(double latitude, double longitude) const;
    // Column and row of a point.
    void LatLonToCell(double latitude, double longitude, float& column, float& row) const;

    bool IsActive() const { return m_active; }
    bool CanReselect() const { return m_reselect; }
    bool AnySelected() const;
    void SetActive(bool active);

    // Whole-mask operations.
    void Fill(uint8_t value);
    void SelectAll();
    bool Deselect();
    void Reselect();
    void Invert();
    void Binarize(int threshold);
    void Feather(float radius);
    void Expand(int passes);
    void Contract(int passes);
    void Border(int width);
    // Tests each value of a float grid of the mask's size: the high nibble of mode picks
    // the test (0 between low and high, 16 outside, 32 above low, 48 below low, larger
    // never), the low nibble how the outcome combines with the old byte (Combine).
    int SelectRange(const Grid2D& values, float low, float high, int mode);
    // Distance of every selected cell from the unselected ones into a float grid of the
    // mask's size (0 on unselected cells), optionally blurred; the largest value goes to
    // maximumOut when given. kNotActive (and nothing changed) while not active.
    int DistanceFill(Grid2D& values, float* maximumOut, float blurSigma);
    // The two distance sweeps over a float grid, in place: every cell becomes 1 + the least
    // of 65535, its four diagonal neighbours x 1.4142135 and its four orthogonal ones
    // (columns wrap, rows clamp), rows 0 up then back down from the last row.
    static void DistanceSweeps(Grid2D& values);
    // Fills a latitude/longitude polygon at level value (0..1), combined by mode, with
    // `steps` pixel points placed along each edge. An empty list or steps < 1 does nothing.
    void FillPolygons(const std::vector<GeoPoint>& points, float value, int mode, int steps);
    // The pixel outline FillPolygons fills: long outlines thinned so that at most
    // 24000 / steps edges remain, `steps` points per edge. Empty for steps < 1.
    CPointList OutlinePixels(const std::vector<GeoPoint>& points, int steps) const;
    // Fills a pixel polygon (even-odd rule) at level value, feathered, combined by mode.
    void FillPolygon(const CPointList& points, float value, int mode, float feather);
    // Reads an image (BMP, PNG, JPEG, GIF) into the mask, rescaled when its size differs,
    // combined by the low nibble of mode. kImageError leaves mask and flags as they were.
    int LoadImage(const std::string& path, int mode);
    // Writes the mask as a grey 32-bit BMP file whatever the name's extension; the file
    // is replaced only once it has been written completely. 0 or a negative code.
    int SaveImage(const std::string& path) const;

    // How an incoming byte combines with the old one: 1 maximum, 2 minimum, 3 both at
    // least 128, 4 exactly one at least 128, anything else the new byte.
    static uint8_t Combine(uint8_t oldValue, uint8_t newValue, int mode);

    // Undo: the whole mask and its active flag.
    bool CreateUndoData(int channel, int extra, std::unique_ptr<UndoData>& out) override;
    bool RestoreUndoData(UndoData& data) override;

    // The packed cells (width x height bytes, row 0 first); null without cells.
    const Grid2D* Cells() const { return m_cells.get(); }
    Grid2D* Cells() { return m_cells.get(); }

private:
    bool Inside(int x, int y) const
    {
        return x >= 0 && y >= 0 && x < m_width && y < m_height;
    }
    void RecomputeActive();
    std::size_t CellCount() const { return m_cells ? m_cells->CellCount() : 0; }
    // 3 x 3 maximum (or minimum) of every cell, in place.
    void Morph(bool maximum);

    Grid2DPtr m_cells;            // null without a mask or for a mask without cells
    GridRows<uint8_t> m_rows;
    int m_width = 0;
    int m_height = 0;
    bool m_hasMask = false;
    bool m_active = false;
    bool m_reselect = false;
};

// The saved state of a selection: a copy of the mask with its active flag.
class CSelectionUndoData : public UndoData {
public:
    bool Capture(CUndoable& owner, int channel, int extra) override;
    const CSelection& Saved() const { return m_saved; }

private:
    CSelection m_saved;
};

} // namespace kv
