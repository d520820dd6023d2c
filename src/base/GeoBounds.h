// A longitude/latitude rectangle in degrees. The four edges are named rather than
// ordered: stored records and dialogs list them in different orders, and each of those
// reads or writes the fields by name.
#pragma once

namespace kv {

struct GeoBounds {
    double west = 0.0;
    double south = 0.0;
    double east = 1.0;
    double north = 1.0;

    bool operator==(const GeoBounds&) const = default;
};

} // namespace kv

namespace kv {

// A point on the globe in degrees.
struct GeoPoint {
    double latitude = 0.0;
    double longitude = 0.0;

    bool operator==(const GeoPoint&) const = default;
};

} // namespace kv
