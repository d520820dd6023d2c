#include "world/GradientRenderers.h"

#include "base/Progress.h"
#include "base/color/LightParms.h"
#include "platform/ParallelFor.h"
#include "world/SurfMap.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <atomic>
#include <vector>

namespace kv {

namespace {

constexpr double kSideLength = 20.0;

double Mirror(double t) { return t > 1.0 ? 2.0 - t : t; }

// Stores the combined values of a row as SurfMap::SetCellValue does: blended by the
// selection weight while the selection is active (1 outside its mask).
template <class Combine>
void StoreRow(float* __restrict row, const double* __restrict g, int width, bool selected,
              const uint8_t* __restrict weights, int maskWidth, Combine combine)
{
    if (!selected) {
        for (int j = 0; j < width; ++j)
            row[j] = static_cast<float>(combine(row[j], g[j]));
        return;
    }
    // Cells under the mask take its weight, cells past it (or without a mask) weight 1; the
    // two spans are separate loops so the weighted one carries no test per cell.
    const int masked = weights ? std::min(width, std::max(maskWidth, 0)) : 0;
    for (int j = 0; j < masked; ++j) {
        const float value = static_cast<float>(combine(row[j], g[j]));
        const double w = weights[j] * (1.0 / 255.0);
        row[j] = static_cast<float>(row[j] + w * (value - row[j]));
    }
    for (int j = masked; j < width; ++j) {
        const float value = static_cast<float>(combine(row[j], g[j]));
        row[j] = static_cast<float>(row[j] + 1.0 * (value - row[j]));
    }
}

// CombineValues with the operation chosen once per row.
void CombineRow(int op, float* row, const double* g, int width, bool selected, const uint8_t* weights, int maskWidth)
{
    switch (op) {
    case 1: StoreRow(row, g, width, selected, weights, maskWidth, [](double a, double b) { return a + b; }); break;
    case 2: StoreRow(row, g, width, selected, weights, maskWidth, [](double a, double b) { return a - b; }); break;
    case 3: StoreRow(row, g, width, selected, weights, maskWidth, [](double a, double b) { return a * b; }); break;
    case 4:
    case 5:
    case 6:
        StoreRow(row, g, width, selected, weights, maskWidth, [op](double a, double b) { return CombineValues(op, a, b); });
        break;
    default: StoreRow(row, g, width, selected, weights, maskWidth, [](double, double b) { return b; }); break;
    }
}

} // namespace

GradientField::GradientField(int kind, const GradientSetup& setup) : m_kind(kind), m_row(setup)
{
    const double a = setup.startX, b = setup.startY, c = setup.endX, d = setup.endY;
    const double theta = std::atan2(d - b, c - a) + M_PI / 2.0;
    m_px = a + kSideLength * std::cos(theta);
    m_py = b + kSideLength * std::sin(theta);
    m_qx = c - kSideLength * std::cos(theta);
    m_qy = d - kSideLength * std::sin(theta);
    m_length = std::hypot(c - a, d - b);
    if (m_length > 0.0) {
        m_ex = (c - a) / m_length;
        m_ey = (d - b) / m_length;
    }
    m_mx = (a + c) / 2.0;
    m_my = (b + d) / 2.0;
}

double GradientField::Blend(double t) const
{
    return m_row.startValue + ApplyBlendCurve(m_row.curve, t) * (m_row.endValue - m_row.startValue);
}

double GradientField::At(double x, double y) const
{
    const GradientSetup& s = m_row;
    const double lo = s.startValue;
    switch (m_kind) {
    case kGradientLinear:
    case kGradientRamp:
    case kGradientDouble: {
        const double u = PointLineDistance(x, y, s.startX, s.startY, m_px, m_py);
        const double w = PointLineDistance(x, y, s.endX, s.endY, m_qx, m_qy);
        if (u <= 0.0)
            return lo;
        if (w <= 0.0)
            return m_kind == kGradientLinear ? s.endValue : lo;
        const double t = u / (u + w);
        return m_kind == kGradientDouble ? Blend(Mirror(2.0 * t)) : Blend(t);
    }
    case kGradientRadial: {
        const double dx = x - s.startX, dy = y - s.startY;
        const double r2 = dx * dx + dy * dy;
        // Start and end on one point: a radius of 0 holds only the start cell, which gets
        // the start value instead of a division by zero.
        if (r2 > m_length * m_length || m_length <= 0.0)
            return lo;
        return Blend(1.0 - std::sqrt(r2) / m_length);
    }
    case kGradientPyramid: {
        if (m_length <= 0.0)
            return lo;
        const double along = (x - s.startX) * m_ex + (y - s.startY) * m_ey;
        const double across = -(x - m_mx) * m_ey + (y - m_my) * m_ex;
        const double half = m_length / 2.0;
        const double u1 = along, w1 = m_length - along;
        const double u2 = half + across, w2 = half - across;
        if (u1 <= 0.0 || w1 <= 0.0 || u2 <= 0.0 || w2 <= 0.0)
            return lo;
        const double t1 = Mirror(2.0 * u1 / (u1 + w1));
        const double t2 = Mirror(2.0 * u2 / (u2 + w2));
        return Blend(t1 * t2);
    }
    default:
        return lo;
    }
}

const char* GradientProgressText(int kind)
{
    switch (kind) {
    case kGradientRadial: return "Rendering Radial Gradient";
    case kGradientDouble: return "Rendering Double Gradient";
    case kGradientPyramid: return "Rendering Pyramid Gradient";
    default: return "Rendering Linear Gradient";
    }
}

int RenderGradient(SurfMap& world, int channel, int kind, const GradientSetup& setup, int threads)
{
    if (kind < 0 || kind >= kGradientKindCount || !world.Channel(channel))
        return 0;
    Grid2D* grid = world.Channel(channel);
    const int width = static_cast<int>(grid->Width()), height = static_cast<int>(grid->Height());
    const CSelection& selection = world.selection;
    const bool selected = selection.IsActive();
    const GradientField field(kind, setup);
    g_abortValue = 0;
    ProgressBeginHook(GradientProgressText(kind));
    int result = 0;
    const int parts = threads == 1 ? 1 : std::min(threads > 0 ? threads : HardwareThreads(), kGradientRowsPerPoll);
    for (int first = 0; first < height; first += kGradientRowsPerPoll) {
        ProgressStepHook(first, height);
        ProgressPollHook();
        if (AbortRequested()) {
            result = -1;
            break;
        }
        const int rows = std::min(kGradientRowsPerPoll, height - first);
        // Rows are handed out a quarter at a time: their costs differ widely (cells outside
        // the gradient's band cost next to nothing), so fixed shares would leave threads idle,
        // and whole rows would still leave the last ones waiting at the end of each block.
        constexpr int kPieces = 4;
        const int pieceWidth = (width + kPieces - 1) / kPieces;
        std::atomic<int> next{0};
        const int items = rows * kPieces;
        ParallelRows(
            parts,
            [&](int, int) {
                thread_local std::vector<double> values;
                values.resize(static_cast<std::size_t>(pieceWidth));
                for (int item = next.fetch_add(1, std::memory_order_relaxed); item < items;
                     item = next.fetch_add(1, std::memory_order_relaxed)) {
                    const int i = first + item / kPieces;
                    const int c0 = (item % kPieces) * pieceWidth;
                    const int c1 = std::min(width, c0 + pieceWidth);
                    if (c0 >= c1)
                        continue;
                    for (int j = c0; j < c1; ++j)
                        values[static_cast<std::size_t>(j - c0)] = field.At(j, i);
                    const uint8_t* weights = selected && selection.Cells() && i < selection.GetHeight()
                                                 ? selection.Cells()->Row<uint8_t>(static_cast<std::size_t>(i))
                                                 : nullptr;
                    // Cells from the mask's width on take weight 1, wherever the piece starts.
                    CombineRow(setup.operation, grid->Row<float>(static_cast<std::size_t>(i)) + c0, values.data(),
                               c1 - c0, selected, weights ? weights + c0 : nullptr, selection.GetWidth() - c0);
                }
            },
            parts);
    }
    ProgressEndHook();
    return result;
}

} // namespace kv
