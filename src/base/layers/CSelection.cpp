#include "base/layers/CSelection.h"

#include "platform/ParallelFor.h"
#include "base/raster/CPointList.h"
#include "base/raster/Canvas.h"
#include "base/grid/GridFilters.h"
#include "base/raster/VideoBuffer.h"
#include "base/ViewHooks.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <typeinfo>

namespace kv {

CSelection::CSelection(const CSelection& other) : CUndoable(other)
{
    *this = other;
}

CSelection& CSelection::operator=(const CSelection& other)
{
    if (this == &other)
        return *this;
    if (other.m_hasMask) {
        if (Create(other.m_width, other.m_height) != kOk)
            return *this;
        if (m_cells && other.m_cells)
            Copy2D(m_cells.get(), other.m_cells.get());
    }
    m_active = other.m_active;
    m_reselect = other.m_active;
    return *this;
}

int CSelection::Create(int width, int height)
{
    if (width < 0 || height < 0)
        return kNegativeSide;
    if (width > kMaxSide || height > kMaxSide)
        return kSideTooLarge;
    Grid2DPtr cells;
    if (width > 0 && height > 0) {
        cells = Alloc2D(static_cast<std::size_t>(width), static_cast<std::size_t>(height), 1);
        if (!cells)
            return kOutOfMemory;
    }
    m_cells = std::move(cells);
    m_rows = m_cells ? m_cells->Rows<uint8_t>() : GridRows<uint8_t>();
    m_width = width;
    m_height = height;
    m_hasMask = true;
    m_reselect = m_active;
    m_active = false;
    return kOk;
}

void CSelection::Free()
{
    m_cells.reset();
    m_rows = GridRows<uint8_t>();
    m_width = m_height = 0;
    m_hasMask = false;
}

void CSelection::SetAt(int x, int y, uint8_t value)
{
    if (!Inside(x, y))
        return;
    m_rows[y][x] = value;
    if (value != 0)
        m_active = true;
    m_reselect = false;
}

void CSelection::LatLonToCell(double latitude, double longitude, float& column, float& row) const
{
    column = static_cast<float>((m_width - 1) * (longitude + 180.0) / 360.0);
    row = static_cast<float>((m_height - 1) * (latitude + 90.0) / 180.0);
}

int CSelection::SampleAt(double latitude, double longitude) const
{
    if (!m_cells)
        return 0;
    float column, row;
    LatLonToCell(latitude, longitude, column, row);
    // Points off the globe (or not numbers) are held at the edge cells.
    column = std::isnan(column) ? 0.0f : std::clamp(column, 0.0f, static_cast<float>(m_width - 1));
    row = std::isnan(row) ? 0.0f : std::clamp(row, 0.0f, static_cast<float>(m_height - 1));
    const int c0 = static_cast<int>(column), r0 = static_cast<int>(row);
    const int c1 = (c0 + 1) % m_width, r1 = (r0 + 1) % m_height;
    const float fx = column - static_cast<float>(c0), fy = row - static_cast<float>(r0);
    const float p00 = m_rows[r0][c0], p10 = m_rows[r0][c1], p01 = m_rows[r1][c0], p11 = m_rows[r1][c1];
    const float a = p00 + (p10 - p00) * fx;
    const float b = p01 + (p11 - p01) * fx;
    return static_cast<int>(a + (b - a) * fy);
}

bool CSelection::AnySelected() const
{
    if (!m_cells)
        return false;
    // Backward scan that stops at the first nonzero byte.
    const uint8_t* p = m_cells->DataAs<uint8_t>();
    for (std::size_t i = CellCount(); i-- > 0;)
        if (p[i] != 0)
            return true;
    return false;
}

void CSelection::RecomputeActive()
{
    m_active = AnySelected();
    m_reselect = false;
}

void CSelection::SetActive(bool active)
{
    m_reselect = m_active;
    m_active = active;
}

void CSelection::Fill(uint8_t value)
{
    if (m_cells)
        std::memset(m_cells->Data(), value, CellCount());
    m_active = false;
    m_reselect = false;
}

void CSelection::SelectAll()
{
    if (m_cells)
        std::memset(m_cells->Data(), 255, CellCount());
    m_active = true;
    m_reselect = false;
}

bool CSelection::Deselect()
{
    const bool old = m_active;
    m_reselect = old;
    m_active = false;
    return old;
}

void CSelection::Reselect()
{
    RecomputeActive();
}

void CSelection::Invert()
{
    bool any = false;
    if (m_cells) {
        uint8_t* p = m_cells->DataAs<uint8_t>();
        for (std::size_t i = 0, n = CellCount(); i < n; ++i) {
            p[i] = static_cast<uint8_t>(255 - p[i]);
            any |= p[i] >= 128;
        }
    }
    m_active = any;
    m_reselect = false;
}

void CSelection::Binarize(int threshold)
{
    if (m_cells) {
        uint8_t* p = m_cells->DataAs<uint8_t>();
        for (std::size_t i = 0, n = CellCount(); i < n; ++i)
            p[i] = p[i] >= threshold ? 255 : 0;
    }
    RecomputeActive();
}

void CSelection::Feather(float radius)
{
    if (m_active) {
        if (m_cells)
            GaussianBlurBytes(*m_cells, radius);
        RecomputeActive();
    }
    m_reselect = false;
}

namespace {

// A 3 x 3 neighbourhood operation done in two passes: across(left, centre, right) over
// each row with wrapping columns into a temporary grid, then down(above, centre, below)
// over each column with clamped rows back into the cells.
template <class Across, class Down>
bool NeighbourhoodPass(Grid2D& cells, Across across, Down down)
{
    Grid2DPtr temp = Alloc2D(cells.Width(), cells.Height(), 1);
    if (!temp)
        return false;
    const int w = static_cast<int>(cells.Width()), h = static_cast<int>(cells.Height());
    GridRows<uint8_t> src = cells.Rows<uint8_t>(), tmp = temp->Rows<uint8_t>();
    ParallelRows(h, [&](int begin, int end) {
        for (int r = begin; r < end; ++r) {
            const uint8_t* s = src[r];
            uint8_t* t = tmp[r];
            for (int c = 0; c < w; ++c)
                t[c] = across(s[c == 0 ? w - 1 : c - 1], s[c], s[c == w - 1 ? 0 : c + 1]);
        }
    });
    ParallelRows(h, [&](int begin, int end) {
        for (int r = begin; r < end; ++r) {
            const uint8_t* up = tmp[std::max(r - 1, 0)];
            const uint8_t* mid = tmp[r];
            const uint8_t* dn = tmp[std::min(r + 1, h - 1)];
            uint8_t* d = src[r];
            for (int c = 0; c < w; ++c)
                d[c] = down(up[c], mid[c], dn[c]);
        }
    });
    return true;
}

} // namespace

void CSelection::Morph(bool maximum)
{
    if (!m_cells)
        return;
    // The 3 x 3 extreme is the extreme of the three row extremes.
    auto pick = [maximum](uint8_t a, uint8_t b, uint8_t c) {
        return maximum ? std::max({a, b, c}) : std::min({a, b, c});
    };
    NeighbourhoodPass(*m_cells, pick, pick);
}

void CSelection::Expand(int passes)
{
    for (int i = 0; i < passes; ++i)
        Morph(true);
    RecomputeActive();
}

void CSelection::Contract(int passes)
{
    for (int i = 0; i < passes; ++i)
        Morph(false);
    RecomputeActive();
}

void CSelection::Border(int width)
{
    if (m_cells) {
        // Count the "at least half selected" cells of each neighbourhood: along the row,
        // then the three row counts; the band is where 3 to 5 of the nine are.
        auto countHalf = [](uint8_t a, uint8_t b, uint8_t c) {
            return static_cast<uint8_t>((a >= 128) + (b >= 128) + (c >= 128));
        };
        auto band = [](uint8_t a, uint8_t b, uint8_t c) {
            const int sum = a + b + c;
            return static_cast<uint8_t>(sum >= 3 && sum <= 5 ? 255 : 0);
        };
        if (!NeighbourhoodPass(*m_cells, countHalf, band))
            return;
        GaussianBlurBytes(*m_cells, static_cast<float>(width) * 0.2f);
        uint8_t* p = m_cells->DataAs<uint8_t>();
        for (std::size_t i = 0, n = CellCount(); i < n; ++i)
            p[i] = p[i] > 16 ? 255 : 0;
    }
    RecomputeActive();
}

uint8_t CSelection::Combine(uint8_t oldValue, uint8_t newValue, int mode)
{
    switch (mode) {
    case 1:
        return std::max(oldValue, newValue);
    case 2:
        return std::min(oldValue, newValue);
    case 3:
        return oldValue >= 128 && newValue >= 128 ? 255 : 0;
    case 4:
        return (oldValue >= 128) != (newValue >= 128) ? 255 : 0;
    default:
        return newValue;
    }
}

namespace {

bool MatchesMask(const Grid2D& values, int width, int height)
{
    return values.ElementSize() == sizeof(float) && values.Width() == static_cast<std::size_t>(width)
           && values.Height() == static_cast<std::size_t>(height);
}

} // namespace

int CSelection::SelectRange(const Grid2D& values, float low, float high, int mode)
{
    if (!m_cells || !MatchesMask(values, m_width, m_height))
        return kGridMismatch;
    m_active = false;
    const int test = mode & 0xF0, combine = mode & 0x0F;
    auto inRange = [test, low, high](float v) {
        switch (test) {
        case 0x00: return low <= v && v <= high;
        case 0x10: return v < low || v > high;
        case 0x20: return v > low;
        case 0x30: return v < low;
        default: return false;
        }
    };
    GridRows<const float> v = values.Rows<float>();
    ParallelRows(m_height, [&](int begin, int end) {
        for (int r = begin; r < end; ++r)
            for (int c = 0; c < m_width; ++c)
                m_rows[r][c] = Combine(m_rows[r][c], inRange(v[r][c]) ? 255 : 0, combine);
    });
    RecomputeActive();
    return kOk;
}

namespace {

// One cell of the distance sweeps: 1 + the least of 65535, the four diagonal neighbours
// x sqrt(2) and the four orthogonal ones.
inline float DistanceStep(const float* up, const float* mid, const float* down, int l, int c, int r)
{
    constexpr float kDiagonal = 1.4142135f;
    const float diagonal = std::min(std::min(up[l], up[r]), std::min(down[l], down[r])) * kDiagonal;
    const float orthogonal = std::min(std::min(up[c], down[c]), std::min(mid[l], mid[r]));
    return 1.0f + std::min(65535.0f, std::min(diagonal, orthogonal));
}

} // namespace

void CSelection::DistanceSweeps(Grid2D& values)
{
    const int w = static_cast<int>(values.Width()), h = static_cast<int>(values.Height());
    GridRows<float> v = values.Rows<float>();
    // Each sweep reads the values already updated in the sweep; it cannot be split.
    for (int r = 0; r < h; ++r) {
        const float* up = v[std::max(r - 1, 0)];
        float* mid = v[r];
        const float* down = v[std::min(r + 1, h - 1)];
        for (int c = 0; c < w; ++c) {
            const int l = c == 0 ? w - 1 : c - 1, rt = c == w - 1 ? 0 : c + 1;
            mid[c] = DistanceStep(up, mid, down, l, c, rt);
        }
    }
    for (int r = h - 1; r >= 0; --r) {
        const float* up = v[std::max(r - 1, 0)];
        float* mid = v[r];
        const float* down = v[std::min(r + 1, h - 1)];
        for (int c = w - 1; c >= 0; --c) {
            const int l = c == 0 ? w - 1 : c - 1, rt = c == w - 1 ? 0 : c + 1;
            mid[c] = DistanceStep(up, mid, down, l, c, rt);
        }
    }
}

int CSelection::DistanceFill(Grid2D& values, float* maximumOut, float blurSigma)
{
    if (!m_active)
        return kNotActive;
    if (!m_cells || !MatchesMask(values, m_width, m_height))
        return kGridMismatch;
    const int w = m_width, h = m_height;
    GridRows<float> v = values.Rows<float>();
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c)
            v[r][c] = m_rows[r][c] != 0 ? 65535.0f : 0.0f;

    DistanceSweeps(values);

    if (blurSigma > 0.0f)
        GaussianBlurFloatGrid(values, blurSigma);
    float largest = 0.0f;
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c) {
            if (m_rows[r][c] == 0)
                v[r][c] = 0.0f;
            largest = std::max(largest, v[r][c]);
        }
    if (maximumOut)
        *maximumOut = largest;
    RecomputeActive();
    return kOk;
}

// ---- polygons ----

namespace {

// Pixel coordinates far outside any mask are held where the canvas still works exactly.
constexpr double kPixelLimit = 1 << 28;

int32_t ToPixel(double v)
{
    if (std::isnan(v))
        return 0;
    return static_cast<int32_t>(std::clamp(v, -kPixelLimit, kPixelLimit));
}

} // namespace

void CSelection::FillPolygons(const std::vector<GeoPoint>& points, float value, int mode, int steps)
{
    if (points.empty() || steps < 1)
        return;
    FillPolygon(OutlinePixels(points, steps), value, mode, 0.0f);
}

CPointList CSelection::OutlinePixels(const std::vector<GeoPoint>& points, int steps) const
{
    CPointList pixels;
    if (points.empty() || steps < 1)
        return pixels;
    constexpr double kDegrees = 0.017453292519943295;
    const std::size_t n = points.size();
    const std::size_t limit = 24000 / static_cast<std::size_t>(steps);
    // Long outlines are thinned to every d-th point: the smallest d >= 2 with n / d <= limit.
    std::size_t stride = 1;
    if (n > limit)
        stride = std::max<std::size_t>(2, n / (limit + 1) + 1);

    pixels.reserve((n + stride - 1) / stride * static_cast<std::size_t>(steps));
    for (std::size_t i = 0, j = stride; j < n + stride; i += stride, j += stride) {
        const GeoPoint& a = points[i % n];
        const GeoPoint& b = points[j % n];
        const double phi0 = a.latitude * kDegrees, lam0 = a.longitude * kDegrees;
        const double phi1 = b.latitude * kDegrees, lam1 = b.longitude * kDegrees;
        for (int k = 0; k < steps; ++k) {
            const double t = static_cast<double>(k) / steps;
            const double phi = phi0 + t * (phi1 - phi0);
            const double lam = lam0 + t * (lam1 - lam0);
            pixels.push_back({ToPixel(std::trunc((lam + M_PI) / (2 * M_PI) * m_width)),
                              ToPixel(std::trunc((phi + M_PI / 2) / M_PI * m_height))});
        }
    }
    return pixels;
}

void CSelection::FillPolygon(const CPointList& points, float value, int mode, float feather)
{
    if (points.size() < 3 || !m_cells)
        return;
    value = std::isnan(value) ? 0.0f : std::clamp(value, 0.0f, 1.0f);
    uint32_t background = 0;
    if (mode == 2) {
        // Removing: the polygon is drawn dark on white and combined by the minimum.
        background = 0xFFFFFF;
        value = 1.0f - value;
    }
    const uint32_t level = static_cast<uint32_t>(value * 255.0f);
    const uint32_t grey = level | level << 8 | level << 16;

    Grid2DPtr fill = Alloc2D(m_cells->Width(), m_cells->Height(), 1);
    if (!fill)
        return;
    GridRows<uint8_t> out = fill->Rows<uint8_t>();

    // The polygon is drawn band by band into a bitmap of a few megabytes, shifted up by
    // the band's first row; pixel row y of the drawing becomes grid row y.
    const int bandWidth = std::max(m_width, kVideoBufferMinWidth);
    const int bandRows = std::clamp((1 << 22) / bandWidth, kVideoBufferMinHeight, std::max(m_height, kVideoBufferMinHeight));
    VideoBuffer band;
    if (band.Create(bandWidth, bandRows) != 0)
        return;
    std::vector<CanvasPoint> shifted(points.size());
    for (int first = 0; first < m_height; first += bandRows) {
        band.Clear(background);
        for (std::size_t i = 0; i < points.size(); ++i)
            shifted[i] = CanvasPoint{points[i].x, ToPixel(static_cast<double>(points[i].y) - first)};
        Canvas& canvas = *band.GetDC();
        canvas.SelectPen(Pen::Null());
        canvas.SelectBrush(Brush::Solid(grey));
        canvas.SetRasterOp(RasterOp::Copy);
        canvas.Polygon(shifted);
        const int rows = std::min(bandRows, m_height - first);
        for (int y = 0; y < rows; ++y) {
            const uint8_t* px = band.RowPointer(y);
            uint8_t* o = out[first + y];
            for (int x = 0; x < m_width; ++x)
                o[x] = px[4 * static_cast<std::size_t>(x)]; // the first (blue) byte
        }
    }

    if (feather > 0.0f) {
        if (feather <= 1.0f) {
            GaussianBlurBytes(*fill, feather);
        } else if (feather <= 1.5f) {
            GaussianBlurBytes(*fill, feather * 0.5f);
        } else {
            for (int i = 0; i < 3; ++i)
                GaussianBlurBytes(*fill, feather * 0.33333334f);
        }
    }

    uint8_t* cells = m_cells->DataAs<uint8_t>();
    const uint8_t* incoming = fill->DataAs<uint8_t>();
    for (std::size_t i = 0, n = CellCount(); i < n; ++i)
        cells[i] = Combine(cells[i], incoming[i], mode);
    m_active = true;
    m_reselect = false;
}

// ---- images ----

namespace {

// Bilinear sample of an image with every position and neighbour held inside it; each
// channel is interpolated along the rows and then between them, truncating each stage.
uint32_t SampleInside(const VideoBuffer& image, float x, float y)
{
    const int w = image.GetWidth(), h = image.GetHeight();
    x = std::clamp(x, 0.0f, static_cast<float>(w - 1));
    y = std::clamp(y, 0.0f, static_cast<float>(h - 1));
    const int c = static_cast<int>(x), r = static_cast<int>(y);
    const int c1 = std::min(c + 1, w - 1), r1 = std::min(r + 1, h - 1);
    const float fx = x - static_cast<float>(c), fy = y - static_cast<float>(r);
    const uint32_t p00 = image.GetPixel(c, r), p10 = image.GetPixel(c1, r);
    const uint32_t p01 = image.GetPixel(c, r1), p11 = image.GetPixel(c1, r1);
    uint32_t result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        auto ch = [shift](uint32_t p) { return static_cast<float>((p >> shift) & 0xFFu); };
        const int top = static_cast<int>(ch(p00) * (1.0f - fx) + ch(p10) * fx);
        const int bottom = static_cast<int>(ch(p01) * (1.0f - fx) + ch(p11) * fx);
        const int v = static_cast<int>(static_cast<float>(top) * (1.0f - fy) + static_cast<float>(bottom) * fy);
        result |= static_cast<uint32_t>(std::clamp(v, 0, 255)) << shift;
    }
    return result;
}

// Grey level of a 0x00BBGGRR colour, in integers so that a grey pixel gives its own level.
uint8_t GreyLevel(uint32_t colour)
{
    const uint32_t r = colour & 0xFFu, g = (colour >> 8) & 0xFFu, b = (colour >> 16) & 0xFFu;
    return static_cast<uint8_t>((11 * b + 59 * g + 30 * r) / 100);
}

} // namespace

int CSelection::LoadImage(const std::string& path, int mode)
{
    VideoBuffer image;
    if (image.LoadImageFile(path) != 0)
        return kImageError;
    m_reselect = m_active;
    m_active = false;
    mode &= 0x0F;
    if (m_cells) {
        const int iw = image.GetWidth(), ih = image.GetHeight();
        if (iw == m_width && ih == m_height) {
            // Image row 0 is the top, mask row 0 the south.
            for (int r = 0; r < m_height; ++r)
                for (int c = 0; c < m_width; ++c)
                    m_rows[r][c] = Combine(m_rows[r][c], GreyLevel(image.GetPixel(c, ih - 1 - r)), mode);
        } else {
            const float sx = static_cast<float>(iw) / static_cast<float>(m_width);
            const float sy = static_cast<float>(ih) / static_cast<float>(m_height);
            for (int r = 0; r < m_height; ++r) {
                const float y = static_cast<float>(ih - 1) - static_cast<float>(r) * sy;
                for (int c = 0; c < m_width; ++c) {
                    const uint32_t p = SampleInside(image, static_cast<float>(c) * sx, y);
                    m_rows[r][c] = Combine(m_rows[r][c], GreyLevel(p), mode);
                }
            }
        }
    }
    RecomputeActive();
    return kOk;
}

int CSelection::SaveImage(const std::string& path) const
{
    VideoBuffer image;
    if (!m_cells || image.Create(m_width, m_height) != 0)
        return kImageError;
    for (int r = 0; r < m_height; ++r)
        for (int c = 0; c < m_width; ++c) {
            const uint32_t v = m_rows[r][c];
            image.SetPixelFast(c, m_height - 1 - r, v | v << 8 | v << 16);
        }
    return image.SaveBMP(path);
}

// ---- undo ----

bool CSelectionUndoData::Capture(CUndoable& owner, int channel, int extra)
{
    auto* selection = dynamic_cast<CSelection*>(&owner);
    if (!selection || !UndoData::Capture(owner, channel, extra))
        return false;
    m_saved = *selection;
    return true;
}

bool CSelection::CreateUndoData(int channel, int extra, std::unique_ptr<UndoData>& out)
{
    auto data = std::make_unique<CSelectionUndoData>();
    if (!data->Capture(*this, channel, extra))
        return false;
    // A mask that could not be copied is not worth keeping.
    if (m_hasMask && data->Saved().GetWidth() != m_width)
        return false;
    out = std::move(data);
    return true;
}

bool CSelection::RestoreUndoData(UndoData& data)
{
    if (typeid(data) != typeid(CSelectionUndoData))
        return false;
    const CSelection& saved = static_cast<CSelectionUndoData&>(data).Saved();
    if (saved.GetWidth() != GetWidth() || saved.GetHeight() != GetHeight())
        return false;
    StopActiveViewRender();
    *this = saved;
    UpdateActiveDocViews(kHintSelectionChanged);
    return true;
}

} // namespace kv
