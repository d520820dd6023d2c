// The program's preferences: eleven values kept in the profile's "Settings" section.
#pragma once

namespace kv {

class AppSettings;

struct Preferences {
    // Field names are the profile keys.
    int DT = 0;       // 1: do not restore window placement and bar state
    int ZS = 0;       // click-drag-release zoom window style
    int RF = 1;       // reload the last world file on start-up
    int RS = 1;       // reload "Default.srf" and "Default.lgt" on start-up
    int CD = 0;       // coarse initial drawing pass
    int DR = 4;       // display update rate, frames per second
    int AD = 0;       // stored only
    int V123 = 0;     // key "123": version 1.23 calculation compatibility
    int XS = 2048;    // maximum horizontal resolution shown
    int YS = 2048;    // maximum vertical resolution shown
    float RI = 0.0f;  // top-level river importance, percent

    static constexpr int kMinRate = 1, kMaxRate = 10;
    static constexpr int kMinResolution = 32, kMaxResolution = 2048;
    static constexpr float kMaxRiverImportance = 100.0f;

    // Reads every key with the current value as its default; values outside the dialog's
    // ranges are clamped (a hand-edited profile may hold anything). Always 0.
    int Read(const AppSettings& profile);
    // Writes DT, ZS, RF, RS, CD, DR, AD, XS, YS, 123, RI (RI as the integer RI x 100,
    // truncated). Always 0.
    int Write(const AppSettings& profile) const;
};

} // namespace kv
