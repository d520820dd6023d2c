// Simple Create: a world from a painted map. Climate classes painted into the image
// overlays become elevations — mountains, hills, shallows, abysses and trenches get
// altitude ramps between configured heights — and land is kept above the sea.
#pragma once

#include <string>

namespace kv {

class AppSettings;

// The settings of the Simple Create dialog, kept in the profile's "Simple" section as
// whole numbers of thousandths.
struct SimpleCreateSettings {
    static constexpr int kResolutions[] = {128, 256, 384, 512, 768, 1024};
    static constexpr int kRays[] = {8, 16, 32, 50, 64, 76, 100, 128, 150, 200, 256};

    double mountainPeak = 7620.0; // metres
    double mountainBase = 304.8;
    double hillTop = 457.2;
    double hillBase = 243.84;
    double shallow = -304.8;
    double abyss = -1524.0;
    double trench = -7010.4;
    int resolution = 256; // working image width (height half)
    int rays = 64;        // per-sample quality: the deterrace filter's direction count
    int climatesOnly = 0; // stored and restored only
    double landScale = 9;   // read only, thousandths
    double seaScale = 100;  // read only, thousandths

    // Reads every key (the current values as defaults); "Res" and "Rays" are held within
    // their tables' first and last entries.
    void Read(const AppSettings& profile);
    void Write(const AppSettings& profile) const;
    // The quality dialog's slider positions: the table index, 0 for a value not in it.
    static int ResolutionIndex(int resolution);
    static int RaysIndex(int rays);
    // The seven altitudes shown in feet when the units are imperial, and back.
    void ToDisplayUnits(bool metric);
    void FromDisplayUnits(bool metric);
};

// The overlay Set Up Simple Create Mode makes and Execute looks for.
constexpr const char* kSimpleCreateLayer = "SimpleCreateLayer";

} // namespace kv
