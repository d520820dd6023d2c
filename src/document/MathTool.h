// The math tool: a destination grid receives Source 1 (operation) Source 2, cell by cell,
// over the world's channels, the selection, a user buffer kept between uses, the
// evaluated altitude or a constant.
#pragma once

namespace kv {

class SurfMap;
class SurfaceSampler;

// Grid codes (the destination takes 0..7, the sources 0..9).
enum MathGrid : int {
    kMathOffset = 0,
    kMathRoughness = 1,
    kMathPrescale = 2,
    kMathTemperature = 3,
    kMathRainfall = 4,
    kMathWater = 5,
    kMathSelection = 6,
    kMathUserBuffer = 7,
    kMathAltitude = 8,
    kMathConstant = 9,
};

enum MathOperation : int {
    kMathAdd = 0,
    kMathSubtract = 1,
    kMathMultiply = 2,
    kMathDivide = 3,
    kMathExponent = 4,
    kMathCopy = 5,
    kMathMinimum = 6,
    kMathMaximum = 7,
};

// Result codes of RunMathTool.
constexpr int kMathAborted = -1;
constexpr int kMathBadDestination = -2;
constexpr int kMathBadSource1 = -3;
constexpr int kMathBadSource2 = -4;
constexpr int kMathBadOperation = -5;
constexpr int kMathNoUserBuffer = -6;
constexpr int kMathUserBufferFailed = -7;
constexpr int kMathUserBufferSize = -8;

// Runs the tool on `world` (its channels and selection); the altitude is evaluated by
// copies of `sampler` (null: an altitude source fails with -3 / -4). 0 or a code above;
// every failure leaves the destination unchanged. A result that is not finite keeps the
// cell's old value. A channel grid whose size differs from the selection's counts as
// missing.
int RunMathTool(SurfMap& world, const SurfaceSampler* sampler, int destination, int source1, int operation,
                int source2, float constant);

// The process-wide user buffer: frees it (tests, exit).
void FreeMathUserBuffer();
bool HasMathUserBuffer();

} // namespace kv
