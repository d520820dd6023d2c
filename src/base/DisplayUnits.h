// The document-wide display-unit setting.
//
// Stored values are always metric (metres, cm/yr, Kelvin); legends, panels and labels convert
// only for display. Non-zero means metric (metres, kilometres, cm/yr, degrees Celsius), 0 means
// imperial (feet, miles, in/yr, degrees Fahrenheit). The document sets it when it loads or
// creates a world; the render worker reads it while the user-interface thread may change it.
#pragma once

#include <atomic>

namespace kv {

inline std::atomic<int> MetricUnits{1};

// The document-wide world-size display: 0 the size is shown as the circumference, 1 as the
// diameter (circumference / pi). Set by the new-world wizard, stored in the world file.
inline std::atomic<int> WorldSizeDisplay{0};

inline bool IsMetric() { return MetricUnits.load(std::memory_order_relaxed) != 0; }

constexpr double kFeetPerMetre = 3.28084;
constexpr double kMetresPerFoot = 0.3048;
constexpr double kInchesPerCm = 0.39370078;
constexpr double kCmPerInch = 2.54;

} // namespace kv
