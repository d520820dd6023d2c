// World parameters given on the command line.
#pragma once

#include "world/SurfMap.h"

#include <string>
#include <vector>

namespace kv {

// Parses one world-parameter value of the command line into `world`:
//   "temp=mean[,latitude range[,temperature noise]]": the fixed mean temperature
//       (degrees Celsius, and the fixed temperature is switched on) and climate doubles
//       5 and 6;
//   "rain=noise[,base]": climate doubles 7 and 8;
//   anything else is the comma-separated list of a "parms=" value: seed, circumference,
//       waterPercent, maxAltitude, minAltitude, landSize, randomOrigin, origin x y z,
//       scale x y z, shapingOn, shelfAltitude, basisId, H, lacunarity, octaves, extras
//       1 to 8, axisLongitude, axisLatitude, exponentAbove, exponentBelow, mirrorLatitude,
//       mirrorLongitude, climate doubles 1 to 8.
// A list ends at its first missing item; an empty (or blank) item between commas counts
// as missing. Numbers convert like atof / atoi (text that is no number gives 0) but
// saturate at the limits of their type; a lacunarity that is not above 0 keeps the old
// value. sphericalMapping becomes 1 in every case. Returns 0.
//
// `reading`, when given, says how the text was taken: how many items began with a
// number, and one note for each part of the text that gave none (an item that is no
// number and was read as 0, the rest of an item after its number, the items after the
// end of the list). A value with no number at all is one the caller refuses.
struct ParmsReading {
    int numbers = 0;
    std::vector<std::string> unread;
};
int ParseTempRainParam(SurfMap& world, const std::string& text, ParmsReading* reading = nullptr);

} // namespace kv
