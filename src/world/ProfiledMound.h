// Shapes raised from the selection: the profiled mound and the selection's distance ramp.
#pragma once

#include <functional>

namespace kv {

class RemapCurve;
class SurfMap;

// Raises the world's default channel (the land offset unless another is set) over the
// selection along `profile`, by each cell's distance from the selection's edge:
// v = minimum + (maximum - minimum) x profile(t) + Rand() x d x noise-amplitude, combined
// with the old value by `operation` (CombineValues codes) and blended by the selection
// weight. The generator is seeded with 3 and drawn once per cell, rows and columns from
// the last, so equal settings give equal mounds. Without an active selection nothing
// happens; false then, or when the work grid cannot be had.
bool ProfiledMound(SurfMap& world, const RemapCurve& profile, float minimum, float maximum, float noisePercent,
                   int operation);

// Turns the world's active selection into a ramp that grows from its edge: the distance
// grid (the world's grid size, blurred with sigma 1) gives every byte (distance / largest
// distance) x 255, at least 1 where the distance is above 0. False (nothing changed)
// while the selection is not active, when its distance cannot be had or the largest
// distance is 0. `beforeChange` runs once, just before the first byte changes (the
// caller records its undo step there).
bool DistanceSelectionRamp(SurfMap& world, const std::function<void()>& beforeChange);

} // namespace kv
