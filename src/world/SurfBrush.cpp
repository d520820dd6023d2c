#include "world/SurfBrush.h"

#include "base/Random.h"
#include "base/layers/CSelection.h"
#include "base/raster/VideoBuffer.h"
#include "base/text/CExpression.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace kv {

namespace {

constexpr float kMinBias = 0.0001f;
constexpr float kMaxBias = 0.9999f;
constexpr double kMinAngle = 0.0001;

template <int M>
inline float Combine(float o, float w, float v)
{
    if constexpr (M == brush::kModeToward) {
        return o + (v - o) * w;
    } else if constexpr (M == brush::kModeAdd) {
        return o + w * v;
    } else if constexpr (M == brush::kModeSubtract) {
        return o - w * v;
    } else if constexpr (M == brush::kModeMultiply) {
        return o * w * v;
    } else if constexpr (M == brush::kModeDivide) {
        const float e = w * v;
        // A (near) zero divisor keeps the cell rather than storing an infinite value.
        if (std::fabs(e) <= 1e-10f)
            return o;
        return e > -1e10f && e < 1e10f ? o / e : 1.0f;
    } else if constexpr (M == brush::kModeMin) {
        return std::min(o, w * v);
    } else if constexpr (M == brush::kModeMax) {
        return std::max(o, w * v);
    } else {
        return std::pow(o, w * v);
    }
}

float CombineAny(int mode, float o, float w, float v)
{
    switch (mode) {
    case 0: return Combine<0>(o, w, v);
    case 1: return Combine<1>(o, w, v);
    case 2: return Combine<2>(o, w, v);
    case 3: return Combine<3>(o, w, v);
    case 4: return Combine<4>(o, w, v);
    case 5: return Combine<5>(o, w, v);
    case 6: return Combine<6>(o, w, v);
    case 7: return Combine<7>(o, w, v);
    default: return o;
    }
}

inline int WrapIndex(int i, int n)
{
    if (i >= 0 && i < n)
        return i;
    const int m = i % n;
    return m < 0 ? m + n : m;
}

// How a stamp reads the selection: not at all (none or inactive), from the mask's rows (the
// mask has the grid's size) or cell by cell.
enum class SelectionRead { None, Rows, Lookup };

struct StampJob {
    GridRows<float> target;
    GridRows<const float> weight;
    GridRows<const float> values; // null rows for the constant value
    float value = 0.0f;
    const CSelection* selection = nullptr;
    GridRows<const uint8_t> selectionRows;
    StrokeRect rect;
    int width = 0, height = 0; // grid
    bool wrapColumns = false, wrapRows = false;
};

// One stamp row: grid row gr, stamp row sr, first grid column gc0 (wrapped). Crosses: the
// row runs past the grid's last column and goes on at column 0.
template <int M, bool Constant, SelectionRead S, bool Crosses>
inline void StampRow(const StampJob& job, int gr, int sr, int gc0)
{
    float* out = job.target[static_cast<std::size_t>(gr)];
    const float* w = job.weight[static_cast<std::size_t>(sr)] + job.rect.stampLeft;
    const float* v = Constant ? nullptr : job.values[static_cast<std::size_t>(sr)] + job.rect.stampLeft;
    const uint8_t* s = S == SelectionRead::Rows ? job.selectionRows[static_cast<std::size_t>(gr)] : nullptr;
    constexpr float kByte = 1.0f / 255.0f;
    int gc = gc0;
    for (int k = 0; k < job.rect.columns; ++k) {
        const float o = out[gc];
        float n = Combine<M>(o, w[k], Constant ? job.value : v[k]);
        if constexpr (S == SelectionRead::Rows)
            n = o + static_cast<float>(s[gc]) * kByte * (n - o);
        else if constexpr (S == SelectionRead::Lookup)
            n = o + static_cast<float>(job.selection->GetWeightOrOne(gc, gr)) * (n - o);
        out[gc] = n;
        ++gc;
        if constexpr (Crosses) {
            if (gc == job.width)
                gc = 0;
        }
    }
}

template <int M, bool Constant, SelectionRead S, bool Crosses>
void StampRows(const StampJob& job, int gc0)
{
    const int last = job.rect.rows - 1;
    int gr = job.wrapRows ? WrapIndex(job.rect.top + last, job.height) : job.rect.top + last;
    for (int k = last; k >= 0; --k) {
        StampRow<M, Constant, S, Crosses>(job, gr, job.rect.stampTop + k, gc0);
        if (--gr < 0 && job.wrapRows)
            gr = job.height - 1;
    }
}

template <int M, bool Constant, SelectionRead S>
void StampAll(const StampJob& job)
{
    const int gc0 = job.wrapColumns ? WrapIndex(job.rect.left, job.width) : job.rect.left;
    if (job.wrapColumns && gc0 + job.rect.columns > job.width)
        StampRows<M, Constant, S, true>(job, gc0);
    else
        StampRows<M, Constant, S, false>(job, gc0);
}

template <int M, bool Constant>
void StampBySelection(const StampJob& job, SelectionRead read)
{
    switch (read) {
    case SelectionRead::None: StampAll<M, Constant, SelectionRead::None>(job); break;
    case SelectionRead::Rows: StampAll<M, Constant, SelectionRead::Rows>(job); break;
    case SelectionRead::Lookup: StampAll<M, Constant, SelectionRead::Lookup>(job); break;
    }
}

template <int M>
void StampByMode(const StampJob& job, SelectionRead read)
{
    if (job.values)
        StampBySelection<M, false>(job, read);
    else
        StampBySelection<M, true>(job, read);
}

} // namespace

int SurfBrush::SetSettings(const BrushSettings& settings)
{
    m_settings = settings;
    return Rebuild();
}

int SurfBrush::Rebuild()
{
    BrushSettings& s = m_settings;
    s.width = std::clamp(s.width, brush::kMinSize, brush::kMaxSize) | 1;
    s.height = std::clamp(s.height, brush::kMinSize, brush::kMaxSize) | 1;
    if (!(std::fabs(s.bias) >= kMinBias))
        s.bias = kMinBias; // NaN too
    else if (s.bias >= kMaxBias)
        s.bias = kMaxBias;

    m_data.reset();
    m_weight.reset();
    m_values.reset();
    const auto w = static_cast<std::size_t>(s.width), h = static_cast<std::size_t>(s.height);
    Grid2DPtr data = Alloc2D(w, h, sizeof(float));
    if (!data)
        return kNoDataArray;
    Grid2DPtr weight = Alloc2D(w, h, sizeof(float));
    if (!weight)
        return kNoWeightArray;
    Grid2DPtr values = Alloc2D(w, h, sizeof(float));
    if (!values)
        return kNoValueArray;
    m_data = std::move(data);
    m_weight = std::move(weight);
    m_values = std::move(values);

    switch (s.type & brush::kShapeMask) {
    case brush::kShapeExpressions: return FillFromExpressions();
    case brush::kShapeImage: return FillFromImage();
    default: FillEllipse(); return 0;
    }
}

void SurfBrush::FillEllipse()
{
    const BrushSettings& s = m_settings;
    const double hw = s.width / 2.0, hh = s.height / 2.0;
    const double k = std::log(static_cast<double>(s.bias)) / std::log(0.5);
    GridRows<float> data = m_data->Rows<float>(), weight = m_weight->Rows<float>();
    for (int i = 0; i < s.height; ++i) {
        for (int j = 0; j < s.width; ++j) {
            const double dx = (j - hw) / hw, dy = (i - hh) / hh;
            double r;
            if (s.width == 1 && s.height == 1)
                r = 0.0;
            else if (s.height == 1)
                r = std::fabs(dx);
            else if (s.width == 1)
                r = std::fabs(dy);
            else
                r = std::sqrt(dx * dx + dy * dy);
            const double cr = std::clamp(r, 0.0, 1.0);
            weight[i][j] = (s.type & brush::kFalloff) ? static_cast<float>(1.0 - cr) : 1.0f;
            double d = 1.0;
            if (s.type & brush::kBiasData)
                d = r > 1.0 ? 0.0 : std::clamp(1.0 - std::pow(r + 0.0001, k), 0.0, 1.0);
            data[i][j] = static_cast<float>(d);
        }
    }
    if (s.width == 1 && s.height == 1) {
        weight[0][0] = 1.0f;
        data[0][0] = 1.0f;
    }
}

int SurfBrush::FillFromExpressions()
{
    const BrushSettings& s = m_settings;
    const ExpressionPtr mask = CExpression::ParseString(s.maskExpression.c_str(), CExpression::kBrushVariables);
    const ExpressionPtr dataExpr = CExpression::ParseString(s.dataExpression.c_str(), CExpression::kBrushVariables);
    if (!mask || !dataExpr)
        return kExpressionUnreadable;
    const double hw = s.width / 2.0, hh = s.height / 2.0;
    GridRows<float> data = m_data->Rows<float>(), weight = m_weight->Rows<float>();
    for (int i = 0; i < s.height; ++i) {
        for (int j = 0; j < s.width; ++j) {
            ExpressionContext at;
            at.x = (j - hw) / hw;
            at.y = (i - hh) / hh;
            const double m = mask->Evaluate(at);
            weight[i][j] = static_cast<float>(m > 0.0 ? std::min(m, 1.0) : 0.0); // NaN gives 0
            data[i][j] = static_cast<float>(dataExpr->Evaluate(at));
        }
    }
    return 0;
}

int SurfBrush::FillFromImage()
{
    const BrushSettings& s = m_settings;
    VideoBuffer image;
    if (s.fileName.empty() || image.LoadImageFile(s.fileName) != 0)
        return kImageUnreadable;
    const int iw = image.GetWidth(), ih = image.GetHeight();
    if (iw < 2 || ih < 2)
        return kImageTooSmall;
    GridRows<float> data = m_data->Rows<float>(), weight = m_weight->Rows<float>();
    // A stamp one cell wide (high) samples the image's middle column (row).
    auto at = [](int index, int stampSide, int imageSide) {
        return stampSide == 1 ? (imageSide - 1) * 0.5 : static_cast<double>(index) * (imageSide - 1) / (stampSide - 1);
    };
    for (int i = 0; i < s.height; ++i) {
        for (int j = 0; j < s.width; ++j) {
            const uint32_t c =
                image.SampleBilinear(static_cast<float>(at(j, s.width, iw)), static_cast<float>(at(i, s.height, ih)));
            const double red = (c & 0xFF) / 255.0, green = ((c >> 8) & 0xFF) / 255.0, blue = ((c >> 16) & 0xFF) / 255.0;
            weight[i][j] = static_cast<float>(0.3 * red + 0.59 * green + 0.11 * blue);
            data[i][j] = 1.0f;
        }
    }
    return 0;
}

int SurfBrush::StrokeRectangle(const Grid2D& grid, int column, int row, StrokeRect& rect) const
{
    const int gw = static_cast<int>(grid.Width()), gh = static_cast<int>(grid.Height());
    const int w = m_settings.width, h = m_settings.height;
    auto axis = [](int at, int side, int gridSide, bool wrap, int& first, int& count, int& stampFirst) {
        first = at - side / 2;
        count = side;
        stampFirst = 0;
        if (wrap)
            return;
        int end = first + side;
        if (first < 0) {
            stampFirst = -first;
            first = 0;
        }
        if (end >= gridSide - 1)
            end = gridSide - 1;
        count = end - first;
    };
    axis(column, w, gw, (m_settings.type & brush::kWrapColumns) != 0, rect.left, rect.columns, rect.stampLeft);
    axis(row, h, gh, (m_settings.type & brush::kWrapRows) != 0, rect.top, rect.rows, rect.stampTop);
    if (rect.columns <= 0)
        return kNoColumns;
    if (rect.rows <= 0)
        return kNoRows;
    return 0;
}

int SurfBrush::PrepareValues(const Grid2D& source, const StrokeRect& rect)
{
    if (!m_values)
        return -1;
    const BrushSettings& s = m_settings;
    const int valueSource = s.type & brush::kSourceMask;
    GridRows<float> values = m_values->Rows<float>();
    GridRows<const float> grid = source.Rows<float>();
    const int gw = static_cast<int>(source.Width()), gh = static_cast<int>(source.Height());
    switch (valueSource) {
    case brush::kSourceConstant:
        for (int i = 0; i < s.height; ++i)
            std::fill(values[i], values[i] + s.width, s.value);
        break;
    case brush::kSourceKeep: break;
    case brush::kSourceRandom:
    case brush::kSourceRandom2:
        for (int i = 0; i < s.height; ++i)
            for (int j = 0; j < s.width; ++j)
                values[i][j] = s.value * RandomUniform();
        break;
    case brush::kSourceCell: {
        // The stamp's centre cell lies on the stroke point.
        const int row0 = rect.top - rect.stampTop, col0 = rect.left - rect.stampLeft;
        for (int i = 0; i < s.height; ++i) {
            const int gr = std::clamp(row0 + i, 0, gh - 1);
            for (int j = 0; j < s.width; ++j)
                values[i][j] = grid[gr][std::clamp(col0 + j, 0, gw - 1)];
        }
        break;
    }
    default:
        m_values->Clear();
        for (int k = 0; k < rect.rows; ++k) {
            const int gr = WrapIndex(rect.top + k, gh);
            for (int c = 0; c < rect.columns; ++c)
                values[rect.stampTop + k][rect.stampLeft + c] = grid[gr][WrapIndex(rect.left + c, gw)];
        }
        break;
    }
    return 0;
}

int SurfBrush::Stamp(Grid2D& target, const StrokeRect& rect, const CSelection* selection)
{
    if (!m_weight || target.ElementSize() != sizeof(float))
        return 0;
    const int mode = m_settings.Mode();
    if (mode >= 8)
        return 0;
    StampJob job;
    job.target = target.Rows<float>();
    job.weight = GridRows<const float>(m_weight->Rows<float>());
    const bool constant = (m_settings.type & brush::kSourceMask) == brush::kSourceConstant;
    if (!constant)
        job.values = GridRows<const float>(m_values->Rows<float>());
    job.value = m_settings.value;
    job.rect = rect;
    job.width = static_cast<int>(target.Width());
    job.height = static_cast<int>(target.Height());
    job.wrapColumns = (m_settings.type & brush::kWrapColumns) != 0;
    job.wrapRows = (m_settings.type & brush::kWrapRows) != 0;
    SelectionRead read = SelectionRead::None;
    if (selection && selection->IsActive()) {
        job.selection = selection;
        const Grid2D* cells = selection->Cells();
        if (cells && selection->GetWidth() == job.width && selection->GetHeight() == job.height) {
            job.selectionRows = cells->Rows<uint8_t>();
            read = SelectionRead::Rows;
        } else {
            read = SelectionRead::Lookup;
        }
    }

    if (m_whole) {
        for (int k = rect.rows - 1; k >= 0; --k) {
            const int gr = job.wrapRows ? WrapIndex(rect.top + k, job.height) : rect.top + k;
            for (int c = 0; c < rect.columns; ++c) {
                const int gc = job.wrapColumns ? WrapIndex(rect.left + c, job.width) : rect.left + c;
                const int si = rect.stampTop + k, sj = rect.stampLeft + c;
                const double sw = read == SelectionRead::None ? 1.0 : selection->GetWeightOrOne(gc, gr);
                if (job.weight[si][sj] > 0.0f && sw >= 0.5) {
                    float& cell = job.target[gr][gc];
                    cell = std::round(CombineAny(mode, cell, 1.0f, constant ? job.value : job.values[si][sj]));
                }
            }
        }
        return 0;
    }

    switch (mode) {
    case 0: StampByMode<0>(job, read); break;
    case 1: StampByMode<1>(job, read); break;
    case 2: StampByMode<2>(job, read); break;
    case 3: StampByMode<3>(job, read); break;
    case 4: StampByMode<4>(job, read); break;
    case 5: StampByMode<5>(job, read); break;
    case 6: StampByMode<6>(job, read); break;
    default: StampByMode<7>(job, read); break;
    }
    return 0;
}

int SurfBrush::StrokeSegment(Grid2D& grid, int x0, int y0, Grid2D& grid1, int x1, int y1,
                             const CSelection* selection, int a, int b)
{
    (void)x1, (void)y1, (void)a, (void)b;
    return StrokeSegment(grid, grid1, x0, y0, selection, 0.0);
}

int SurfBrush::StrokeSegment(Grid2D& target, const Grid2D& source, int column, int row,
                             const CSelection* selection, double angle)
{
    if (!m_weight || target.ElementSize() != sizeof(float) || source.ElementSize() != sizeof(float))
        return 0;
    const bool constant = (m_settings.type & brush::kSourceMask) == brush::kSourceConstant;
    if (std::fabs(angle) > kMinAngle && constant)
        return StampRotated(target, source, column, row, selection, angle);
    if (m_settings.height == 1)
        ++row;
    StrokeRect sourceRect, targetRect;
    int result = StrokeRectangle(source, column, row, sourceRect);
    if (result != 0)
        return result;
    if (&target == &source)
        targetRect = sourceRect;
    else if ((result = StrokeRectangle(target, column, row, targetRect)) != 0)
        return result;
    if (!constant)
        PrepareValues(source, sourceRect);
    return Stamp(target, targetRect, selection);
}

int SurfBrush::StampRotated(Grid2D& target, const Grid2D& source, int column, int row, const CSelection* selection,
                            double angle)
{
    const int mode = m_settings.Mode();
    if (mode >= 8)
        return 0;
    const int tw = static_cast<int>(target.Width()), th = static_cast<int>(target.Height());
    const int sw = static_cast<int>(source.Width()), sh = static_cast<int>(source.Height());
    const bool wrapColumns = (m_settings.type & brush::kWrapColumns) != 0;
    const bool wrapRows = (m_settings.type & brush::kWrapRows) != 0;
    const double cs = std::cos(angle), sn = std::sin(angle);
    const bool active = selection && selection->IsActive();
    GridRows<float> out = target.Rows<float>();
    GridRows<const float> in = source.Rows<float>();
    for (int i = m_settings.height - 1; i >= 0; --i) {
        for (int j = 0; j < m_settings.width; ++j) {
            const double dx = j - m_settings.width / 2, dy = i - m_settings.height / 2;
            int gc = column + static_cast<int>(std::lround(dx * cs - dy * sn));
            int gr = row + static_cast<int>(std::lround(dx * sn + dy * cs));
            if (wrapColumns)
                gc = WrapIndex(gc, std::min(tw, sw));
            if (wrapRows)
                gr = WrapIndex(gr, std::min(th, sh));
            if (gc < 0 || gr < 0 || gc >= tw || gr >= th || gc >= sw || gr >= sh)
                continue;
            const float o = in[gr][gc];
            const float w = Weight(i, j);
            float n;
            if (m_whole) {
                const double s = active ? selection->GetWeightOrOne(gc, gr) : 1.0;
                if (!(w > 0.0f && s >= 0.5))
                    continue;
                n = std::round(CombineAny(mode, o, 1.0f, m_settings.value));
            } else {
                n = CombineAny(mode, o, w, m_settings.value);
                if (active)
                    n = o + static_cast<float>(selection->GetWeightOrOne(gc, gr)) * (n - o);
            }
            out[gr][gc] = n;
        }
    }
    return 0;
}

} // namespace kv
