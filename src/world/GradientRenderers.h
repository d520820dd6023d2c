// Gradients drawn across a whole channel grid: linear, radial, double (a ridge), pyramid and
// ramp, from a start value at the start point to an end value at the end point along a
// blend curve (ApplyBlendCurve), combined with the old cell by a combine operation
// (CombineValues) and stored with SurfMap::SetCellValue, which blends by the selection.
//
// Points are fractional grid positions (column, row), as SurfMap::LatLonToGrid gives them.
// Every renderer reports progress with its own text, a step and a poll before every 128th
// row; Esc (the abort value 27) stops it with -1, and the rows done until then keep their
// new values. Rows between polls are spread over the cores; each cell is computed exactly
// as on one core.
#pragma once

namespace kv {

class SurfMap;

enum GradientKind : int {
    kGradientLinear = 0,
    kGradientRadial = 1,
    kGradientDouble = 2,
    kGradientPyramid = 3,
    kGradientRamp = 4,
};
constexpr int kGradientKindCount = 5;
constexpr int kGradientRowsPerPoll = 128;

struct GradientSetup {
    int curve = 1;          // BlendCurve
    double startX = 0.0, startY = 0.0;
    double endX = 0.0, endY = 0.0;
    double startValue = 0.0, endValue = 100.0;
    int operation = 0;      // CombineValues code
};

// The gradient value of one cell (before combining), for the kind.
class GradientField {
public:
    GradientField(int kind, const GradientSetup& setup);
    double At(double column, double row) const;

private:
    double Blend(double t) const;
    int m_kind;
    GradientSetup m_row;
    double m_px, m_py, m_qx, m_qy; // the side lines' second points (linear family)
    double m_length = 0.0, m_ex = 0.0, m_ey = 0.0; // |E - S| and the unit S-E direction
    double m_mx = 0.0, m_my = 0.0;                 // the midpoint (pyramid)
};

// The name of a kind's progress ("Rendering Linear Gradient" ...).
const char* GradientProgressText(int kind);

// Renders a kind into `channel` of the world: 0, or -1 when aborted. An unknown kind or a
// channel without a grid changes nothing (0).
int RenderGradient(SurfMap& world, int channel, int kind, const GradientSetup& setup, int threads = 0);

} // namespace kv
