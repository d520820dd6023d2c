// The paint tools by tool number: the channel each paints, the combine mode it sets (its
// direction), how its value is shown while the document is not metric, and what Shift-click
// picks for the set-value tools.
#pragma once

namespace kv {

enum class PaintUnit {
    None,
    TemperatureDifference, // °F difference: x 1.8
    Temperature,           // °F: x 1.8 + 32
    Rainfall,              // in/yr: x 0.39370078
    Length,                // ft: x 3.28084
};

enum class PaintPick { None, Altitude, ClimateCode, Temperature, Rainfall, One };

struct PaintToolRow {
    int number;
    int channel;   // SurfaceChannel
    int direction; // combine mode: 0 set, 1 raise, 2 lower
    PaintUnit unit;
    PaintPick pick;
};

// The row of a tool number; null for a number that is no paint tool.
const PaintToolRow* FindPaintTool(int number);

// A stored value as shown when `metric` is off, and back.
float PaintValueToDisplay(PaintUnit unit, float value, bool metric);
float PaintValueFromDisplay(PaintUnit unit, float shown, bool metric);

} // namespace kv
