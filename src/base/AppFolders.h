// Where the program's files live: the install folder and its four sub-folders, each a
// profile value of "Settings" with a default under the install folder. Every folder text
// ends in "/".
#pragma once

#include <string>

namespace kv {

class AppSettings;

// The running program's full path ("" when it cannot be had).
std::string ProgramPath();

// "Settings"/"Install" when not empty; else the program's folder, cut just after the "/"
// that begins "/debug/" (else "/release/") when that occurs after the first character,
// found ignoring case; "./" when the program's path cannot be had.
std::string GetInstallDir(const AppSettings& profile, const std::string& programPath);
std::string GetInstallDir(const AppSettings& profile);
std::string GetColorsDir(const AppSettings& profile);   // default install + "Coloring/"
std::string GetWorldsDir(const AppSettings& profile);   // default install + "Worlds/"
std::string GetExportDir(const AppSettings& profile);   // default install + "Export/"
std::string GetScriptsDir(const AppSettings& profile);  // default install + "Scripts/"

// Packs "a, b, c, d" as a x 2^24 + b x 2^16 + c x 2^8 + d (each taken as one byte); the
// packed 1.0.0.0 when the text does not give four numbers; -1 for no text.
int ParseProductVersion(const char* text);
// The program's own version (compiled in from the build's project version).
int GetProductVersion();

} // namespace kv
