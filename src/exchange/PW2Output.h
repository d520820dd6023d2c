// An export definition: every setting of one drawing export (sampling raster, layers,
// contour intervals and styles, the explicit contour list, the latitude/longitude grid
// and a custom drawing template). Stored in ".xpt" files and in "Default.xpt".
//
// ".xpt" file (archive form, little-endian, no header of its own):
//   int32 version (264 written)
//   int32 x 13: optionA .. colorBarsOn, a reserved 0, scaleBarOn .. titleBlockOn
//   string mapTitle
//   int32 x 10: borderScaleOn, groupLevels, contourLineOn .. resolution
//   int32 altContourMode, float x 6: altInterval .. altMin
//   int32 x 9: seaOnList .. tempContoursOn; int32 x 4 + float: separateOutlines ..
//   tempInterval; int32 x 3 + float: rainLineOn .. rainInterval
//   the contour list
//   from 259 the grid; 260 borderSymbolOn; 261 string templatePath; 262 drawInMapUnits;
//   263 seaLevelRelative; 264 float seaSmoothRadius
// A version below 258 loads nothing more; members a file does not hold keep their values.
#pragma once

#include "exchange/ContourDef.h"
#include "world/CRectGrid.h"

#include <cstdint>
#include <string>

namespace kv {

class CArchive;

class PW2Output {
public:
    static constexpr int32_t kVersion = 264;
    static constexpr int32_t kOldestVersion = 258;

    PW2Output() = default;
    PW2Output(const PW2Output&) = default;
    PW2Output& operator=(const PW2Output& other) = default;
    virtual ~PW2Output() = default;

    // Both directions; archive errors pass to the caller.
    virtual void Serialize(CArchive& ar);
    // Writes the definition through a temporary file renamed over `path`: 0; -1 when the
    // file cannot be created; -2 when writing fails (the target stays as it was).
    int SaveToFile(const std::string& path) const;
    // Reads a definition: 0; -1 when the file cannot be opened; -2 when it is short or
    // damaged (this definition then stays as it was).
    int LoadFromFile(const std::string& path);
    // Edits the settings in the export wizard: 1 after Finish (values taken back), else 2
    // with the settings unchanged.
    int RunWizard();

    bool SameValues(const PW2Output& other) const;

    int32_t optionA = 0;
    int32_t optionB = 1;
    int32_t optionC = 0;
    int32_t imageWidth = 512;
    int32_t imageHeight = 384;
    int32_t drawingWidth = 1000;
    int32_t drawingHeight = 1000;
    int32_t colorBarsOn = 0;
    int32_t scaleBarOn = 0;
    int32_t optionD = 0;
    int32_t linkPanelOn = 0;
    int32_t titleBlockOn = 0;
    std::string mapTitle;
    int32_t borderScaleOn = 0;
    int32_t drawInMapUnits = 0;
    int32_t groupLevels = 0;
    int32_t borderSymbolOn = 0;
    int32_t contourLineOn = 1;
    int32_t contourFillOn = 1;
    int32_t altFillStyle = 0;
    int32_t contourFillColor = 0;
    int32_t seaOnIntervals = 1;
    int32_t seaColorIntervals = 0;
    int32_t seaPenIntervals = 0;
    int32_t resolution = 1;
    ContourList contours;
    int32_t altContourMode = 0;
    float altInterval = 1000.0f;
    float altParam2 = 0.0f;
    float altParam3 = 1000.0f;
    float altParam4 = 1000.0f;
    float altMax = 30000.0f;
    float altMin = -30000.0f;
    int32_t seaOnList = 0;
    int32_t seaColorList = 0;
    int32_t seaPenList = 0;
    int32_t labelContours = 0;
    int32_t labelPlacement = 0;
    int32_t altContoursOn = 1;
    int32_t climateContoursOn = 0;
    int32_t rainContoursOn = 0;
    int32_t tempContoursOn = 1;
    int32_t seaLevelRelative = 0;
    int32_t separateOutlines = 0;
    int32_t tempLineOn = 1;
    int32_t tempFillOn = 0;
    int32_t tempFillColor = 0;
    float tempInterval = 5.0f;
    int32_t rainLineOn = 1;
    int32_t rainFillOn = 0;
    int32_t rainFillColor = 0;
    float rainInterval = 5.0f;
    float seaSmoothRadius = 0.0f;
    CRectGrid grid;
    std::string templatePath;
};

// The export wizard. The shell installs one; without it the wizard is cancelled.
class ExportWizard {
public:
    static constexpr int kFinished = 1;
    static constexpr int kCancelled = 2;
    virtual ~ExportWizard() = default;
    // Edits `settings` in place; kFinished when it ended with Finish.
    virtual int Run(PW2Output& settings) = 0;
};
// Installs `wizard` (null: none) and returns the previous one.
ExportWizard* SetExportWizard(ExportWizard* wizard);

} // namespace kv
