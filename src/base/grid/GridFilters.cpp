#include "base/grid/GridFilters.h"

#include "platform/ParallelFor.h"
#include "base/Progress.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace kv {

namespace {

bool IsGrid(const Grid2D& g, std::size_t elementSize)
{
    return g.ElementSize() == elementSize && g.Width() > 0 && g.Height() > 0;
}

// out[c] += w x in[c] for c in 0..n-1, in blocks of eight that the compiler turns into
// vector instructions; each cell gets exactly the same arithmetic as one at a time.
void AddScaled(float* __restrict out, const float* __restrict in, float w, int n)
{
    int c = 0;
    for (; c + 8 <= n; c += 8)
        for (int j = 0; j < 8; ++j)
            out[c + j] += w * in[c + j];
    for (; c < n; ++c)
        out[c] += w * in[c];
}

// Sum of the weights, added in kernel order.
float WeightSum(const float* w, int first, int last)
{
    float s = 0.0f;
    for (int k = first; k <= last; ++k)
        s += w[k];
    return s;
}

// A kernel wider than the row it wraps around, folded onto the row: the weights of all
// the taps that land on the same cell added up (in kernel order), as radius ceil(W / 2)
// taps of a kernel of 2 ceil(W / 2) + 1. The row then costs its width in taps, however
// wide the kernel.
std::vector<float> FoldedKernel(const std::vector<float>& kernel, int width)
{
    const int64_t radius = static_cast<int64_t>(kernel.size() / 2);
    const int half = (width + 1) / 2;
    // Added in double: a cell may gather hundreds of thousands of taps.
    std::vector<double> sums(2 * static_cast<std::size_t>(half) + 1, 0.0);
    for (int64_t k = 0; k < static_cast<int64_t>(kernel.size()); ++k) {
        int64_t cell = (k - radius) % width; // the offset brought into -half..half
        if (cell > half)
            cell -= width;
        else if (cell < -half)
            cell += width;
        sums[static_cast<std::size_t>(cell + half)] += kernel[static_cast<std::size_t>(k)];
    }
    return std::vector<float>(sums.begin(), sums.end());
}

// Horizontal pass: out[r][c] = sum over d of w(d) x in[r][(c + d) mod width] / sum of w.
// Each row is copied once into a buffer padded on both sides with the wrapped cells, so
// the inner loop needs no modulo whatever the radius.
template <class T>
void BlurRows(const Grid2D& in, Grid2D& out, const std::vector<float>& fullKernel)
{
    const int width = static_cast<int>(in.Width());
    const int height = static_cast<int>(in.Height());
    const bool fold = fullKernel.size() > static_cast<std::size_t>(width) + 2;
    const std::vector<float> foldedKernel = fold ? FoldedKernel(fullKernel, width) : std::vector<float>();
    const std::vector<float>& kernel = fold ? foldedKernel : fullKernel;
    const int radius = static_cast<int>(kernel.size() / 2);
    const int taps = static_cast<int>(kernel.size());
    const float* w = kernel.data();
    const float sum = WeightSum(w, 0, taps - 1);
    GridRows<const T> src = in.Rows<T>();
    GridRows<float> dst = out.Rows<float>();
    ParallelRows(height, [&](int begin, int end) {
        std::vector<float> padded(static_cast<std::size_t>(width) + 2 * static_cast<std::size_t>(radius));
        for (int r = begin; r < end; ++r) {
            const T* row = src[r];
            float* centre = padded.data() + radius;
            for (int c = 0; c < width; ++c)
                centre[c] = static_cast<float>(row[c]);
            // The pads on both sides: true modulo, however many widths the radius spans.
            for (int d = 1; d <= radius; ++d) {
                int left = (-d) % width, right = (width - 1 + d) % width;
                if (left < 0)
                    left += width;
                centre[-d] = static_cast<float>(row[left]);
                centre[width - 1 + d] = static_cast<float>(row[right]);
            }
            // Tap by tap across the row: each cell still adds its taps in kernel order,
            // and the inner loop runs over neighbouring cells.
            float* o = dst[r];
            std::fill(o, o + width, 0.0f);
            for (int k = 0; k < taps; ++k)
                AddScaled(o, padded.data() + k, w[k], width);
            for (int c = 0; c < width; ++c)
                o[c] /= sum;
        }
    });
}

// Vertical pass over the float buffer: rows outside the grid are left out and the
// weights renormalised over those taken. `store(row, column, value)` writes the result.
template <class Store>
void BlurColumns(const Grid2D& buffer, const std::vector<float>& kernel, Store store)
{
    const int width = static_cast<int>(buffer.Width());
    const int height = static_cast<int>(buffer.Height());
    const int radius = static_cast<int>(kernel.size() / 2);
    const float* w = kernel.data();
    GridRows<const float> src = buffer.Rows<float>();
    ParallelRows(height, [&](int begin, int end) {
        std::vector<float> acc(static_cast<std::size_t>(width));
        for (int r = begin; r < end; ++r) {
            // Kernel index k reads row r + k - radius.
            const int first = std::max(0, radius - r);
            const int last = static_cast<int>(std::min<int64_t>(2 * static_cast<int64_t>(radius),
                                                                static_cast<int64_t>(radius) + height - 1 - r));
            std::fill(acc.begin(), acc.end(), 0.0f);
            for (int k = first; k <= last; ++k)
                AddScaled(acc.data(), src[r + k - radius], w[k], width);
            const float sum = WeightSum(w, first, last);
            for (int c = 0; c < width; ++c)
                store(r, c, acc[c] / sum);
        }
    });
}

bool BlurSigmaUsable(float sigma)
{
    return sigma > 0.0f && std::isfinite(sigma);
}

} // namespace

std::vector<float> GaussianKernel(float sigma)
{
    if (!BlurSigmaUsable(sigma))
        return {};
    const double r = std::ceil(2.5 * static_cast<double>(sigma));
    if (r > kMaxBlurRadius)
        return {};
    const int radius = static_cast<int>(r);
    const double s = sigma;
    const double denom = s * s * s * std::sqrt(2.0 * M_PI);
    std::vector<float> w(2 * static_cast<std::size_t>(radius) + 1);
    for (int d = -radius; d <= radius; ++d)
        w[d + radius] = static_cast<float>(std::exp(-0.5 * d * d / denom));
    const float sum = WeightSum(w.data(), 0, static_cast<int>(w.size()) - 1);
    for (float& x : w)
        x /= sum;
    return w;
}

namespace {

// Both passes of a blur of `grid` (cells of type T): rows into a float buffer, then
// columns handed to store(row, column, value). Sigma was checked to be positive.
template <class T, class Store>
int Blur(Grid2D& grid, float sigma, Store store)
{
    const std::vector<float> kernel = GaussianKernel(sigma);
    if (kernel.empty())
        return kFilterBadParameter;
    Grid2DPtr buffer = Alloc2D(grid.Width(), grid.Height(), sizeof(float));
    if (!buffer)
        return kFilterBadGrid;
    BlurRows<T>(grid, *buffer, kernel);
    BlurColumns(*buffer, kernel, store);
    return kFilterOk;
}

} // namespace

int GaussianBlurBytes(Grid2D& grid, float sigma)
{
    if (!IsGrid(grid, 1))
        return kFilterBadGrid;
    if (!(sigma > 0.0f))
        return kFilterOk;
    GridRows<uint8_t> out = grid.Rows<uint8_t>();
    return Blur<uint8_t>(grid, sigma, [&](int r, int c, float v) {
        out[r][c] = static_cast<uint8_t>(std::clamp(std::trunc(v + 0.5f), 0.0f, 255.0f));
    });
}

int GaussianBlurFloatGrid(Grid2D& grid, float sigma)
{
    if (!IsGrid(grid, sizeof(float)))
        return kFilterBadGrid;
    if (!(sigma > 0.0f))
        return kFilterOk;
    GridRows<float> out = grid.Rows<float>();
    return Blur<float>(grid, sigma, [&](int r, int c, float v) { out[r][c] = v; });
}

int MaskedBlurFloatGrid(Grid2D& grid, float sigma, const Grid2D& mask)
{
    if (!IsGrid(grid, sizeof(float)) || !IsGrid(mask, 1) || mask.Width() != grid.Width()
        || mask.Height() != grid.Height())
        return kFilterBadGrid;
    if (!(sigma > 0.0f))
        return kFilterOk;
    // The vertical pass reads only the buffer, so each result can be blended into the
    // grid as soon as it is known.
    GridRows<float> out = grid.Rows<float>();
    GridRows<const uint8_t> m = mask.Rows<uint8_t>();
    return Blur<float>(grid, sigma, [&](int r, int c, float blurred) {
        const float v = out[r][c];
        out[r][c] = v + (blurred - v) * static_cast<float>(m[r][c]) / 255.0f;
    });
}

// ---- deterrace ----

namespace {

constexpr int kFixedShift = 12;       // 4096 = one cell
constexpr int kFixedStep = 4095;      // a unit step, kept just inside one cell

struct Walk {
    float end;   // the level reached
    int length;  // cells walked on the flat area
};

} // namespace

int DeterraceSurface(const Grid2D& source, Grid2D& destination, int directions, float epsilon)
{
    if (!IsGrid(source, sizeof(float)) || !IsGrid(destination, sizeof(float)) || &source == &destination
        || source.Width() != destination.Width() || source.Height() != destination.Height())
        return kFilterBadGrid;
    if (directions < 2) {
        Copy2D(&destination, &source);
        return kFilterBadParameter;
    }
    if (!(epsilon >= 0.0f))
        epsilon = 0.0f;

    const int width = static_cast<int>(source.Width());
    const int height = static_cast<int>(source.Height());
    const int64_t wrapWidth = static_cast<int64_t>(width) << kFixedShift;
    const int64_t rowLimit = static_cast<int64_t>(height) << kFixedShift;

    // Direction k: angle 2 pi k / N, steps in 12-bit fixed point.
    std::vector<int> stepCol(static_cast<std::size_t>(directions)), stepRow(static_cast<std::size_t>(directions));
    for (int k = 0; k < directions; ++k) {
        const double angle = 2.0 * M_PI * k / directions;
        stepCol[k] = static_cast<int>(std::trunc(std::cos(angle) * kFixedStep));
        stepRow[k] = static_cast<int>(std::trunc(std::sin(angle) * kFixedStep));
    }
    const int pairs = directions / 2;
    const float invPairs = 1.0f / static_cast<float>(pairs);

    GridRows<const float> src = source.Rows<float>();
    GridRows<float> dst = destination.Rows<float>();

    auto walk = [&](int row, int col, float g, int k) {
        int64_t x = static_cast<int64_t>(col) << kFixedShift;
        int64_t y = static_cast<int64_t>(row) << kFixedShift;
        const int64_t dx = stepCol[k];
        int64_t dy = stepRow[k];
        int count = 0;
        float v = g;
        for (;;) {
            v = src[y >> kFixedShift][x >> kFixedShift];
            if (!(std::fabs(v - g) <= epsilon))
                break;
            if (++count > height)
                break;
            x += dx;
            if (x < 0)
                x += wrapWidth;
            else if (x >= wrapWidth)
                x -= wrapWidth;
            const int64_t ny = y + dy;
            if (ny < 0 || ny >= rowLimit)
                dy = -dy; // bounce off the top or bottom edge; the row stays
            else
                y = ny;
        }
        return Walk{std::max(g, v), count};
    };

    auto doRows = [&](int begin, int end) {
        std::vector<Walk> walks(static_cast<std::size_t>(directions));
        for (int r = begin; r < end; ++r) {
            for (int c = 0; c < width; ++c) {
                const float g = src[r][c];
                for (int k = 0; k < 2 * pairs; ++k)
                    walks[k] = walk(r, c, g, k);
                float sum = 0.0f;
                for (int k = 0; k < pairs; ++k) {
                    const Walk& a = walks[k];
                    const Walk& b = walks[k + pairs];
                    sum += a.end + (b.end - a.end) * static_cast<float>(a.length)
                                       / static_cast<float>(a.length + b.length);
                }
                dst[r][c] = invPairs * sum;
            }
        }
    };

    // Rows are computed in bands over all cores; progress and the abort test run on
    // this thread, row by row, between bands.
    g_abortValue = 0;
    ProgressBeginHook("Deterracing Surface", 1);
    const int band = std::max(1, HardwareThreads() * 2);
    bool aborted = false;
    for (int begin = 0; begin < height && !aborted; begin += band) {
        const int end = std::min(height, begin + band);
        ParallelRows(end - begin, [&](int b, int e) { doRows(begin + b, begin + e); });
        for (int r = begin; r < end; ++r) {
            ProgressStepHook(r, height);
            ProgressPollHook();
            if (AbortRequested()) {
                aborted = true;
                break;
            }
        }
    }
    ProgressEndHook();
    return aborted ? kFilterAborted : kFilterOk;
}

// ---- resizing ----

namespace {

struct Axis {
    int i0, i1;
    float f;
};

// Positions of the new samples along one axis: x = j (old - 1) / (new - 1).
std::vector<Axis> AxisPositions(int oldSize, int newSize, bool wrap)
{
    std::vector<Axis> a(static_cast<std::size_t>(newSize));
    for (int j = 0; j < newSize; ++j) {
        const float x = static_cast<float>(j) * static_cast<float>(oldSize - 1) / static_cast<float>(newSize - 1);
        const int i0 = std::clamp(static_cast<int>(x), 0, oldSize - 1);
        int i1 = i0 + 1;
        if (i1 >= oldSize)
            i1 = wrap ? i1 % oldSize : i0;
        a[j] = Axis{i0, i1, x - static_cast<float>(i0)};
    }
    return a;
}

// Replaces `grid` (cells of type T) by a newWidth x newHeight grid whose cell (j, i) is
// blend(top-left, top-right, bottom-left, bottom-right, fx, fy) of the old neighbours.
template <class T, class Blend>
int Resize(Grid2DPtr& grid, int newWidth, int newHeight, bool wrapColumns, Blend blend)
{
    if (!grid || !IsGrid(*grid, sizeof(T)))
        return kFilterBadGrid;
    const int width = static_cast<int>(grid->Width()), height = static_cast<int>(grid->Height());
    if (width == newWidth && height == newHeight)
        return kFilterOk;
    if (newWidth < 2 || newHeight < 2)
        return kFilterBadParameter;
    Grid2DPtr out = Alloc2D(static_cast<std::size_t>(newWidth), static_cast<std::size_t>(newHeight), sizeof(T));
    if (!out)
        return kFilterBadGrid;
    const std::vector<Axis> cols = AxisPositions(width, newWidth, wrapColumns);
    const std::vector<Axis> rows = AxisPositions(height, newHeight, false);
    GridRows<const T> v = static_cast<const Grid2D&>(*grid).Rows<T>();
    GridRows<T> o = out->Rows<T>();
    ParallelRows(newHeight, [&](int begin, int end) {
        for (int i = begin; i < end; ++i) {
            const Axis& y = rows[i];
            const T* r0 = v[y.i0];
            const T* r1 = v[y.i1];
            for (int j = 0; j < newWidth; ++j) {
                const Axis& x = cols[j];
                o[i][j] = blend(r0[x.i0], r0[x.i1], r1[x.i0], r1[x.i1], x.f, y.f);
            }
        }
    });
    grid = std::move(out);
    return kFilterOk;
}

} // namespace

int ResizeFloatGrid(Grid2DPtr& grid, int newWidth, int newHeight)
{
    return Resize<float>(grid, newWidth, newHeight, true,
                         [](float p00, float p10, float p01, float p11, float fx, float fy) {
                             const float a = p00 + (p10 - p00) * fx;
                             const float b = p01 + (p11 - p01) * fx;
                             return a + (b - a) * fy;
                         });
}

int ResizeColorGrid(Grid2DPtr& grid, int newWidth, int newHeight)
{
    // Each byte channel along the rows, truncated, then between them, truncated again.
    auto lerp = [](uint32_t p, uint32_t q, int shift, float f) {
        const float a = static_cast<float>((p >> shift) & 0xFFu);
        const float b = static_cast<float>((q >> shift) & 0xFFu);
        return static_cast<int>(a + (b - a) * f);
    };
    return Resize<uint32_t>(grid, newWidth, newHeight, false,
                            [&](uint32_t p00, uint32_t p10, uint32_t p01, uint32_t p11, float fx, float fy) {
                                uint32_t result = 0;
                                for (int shift = 0; shift < 32; shift += 8) {
                                    const int top = lerp(p00, p10, shift, fx);
                                    const int bottom = lerp(p01, p11, shift, fx);
                                    const int value = static_cast<int>(static_cast<float>(top)
                                                                       + static_cast<float>(bottom - top) * fy);
                                    result |= static_cast<uint32_t>(value & 0xFF) << shift;
                                }
                                return result;
                            });
}

} // namespace kv
