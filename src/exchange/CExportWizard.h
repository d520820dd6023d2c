// The export wizard without its window: the values of its seven pages taken from and
// given back to an export definition, the page order, the template check, the Basic
// page's count line and the Advanced page's Add Multiple and Remove Multiple.
#pragma once

#include "exchange/PW2Output.h"

#include <string>

namespace kv {

enum WizardPage : int {
    kPageIntro,
    kPageAdvanced,
    kPageSimple,
    kPageDetail,
    kPageFrills,
    kPageBitmap,
    kPageGrid,
    kWizardPages,
};
constexpr int kStayOnPage = -1;
const char* WizardPageTitle(int page);

struct WizardButtons {
    bool back = false;
    bool next = false;
    bool finish = false;
};

// The pages' members. Outline colour, line style, compass rose and the bitmap background
// have no place in a definition: they live for the run.
struct ExportWizardRecord {
    // Introduction.
    bool climate = false, altitude = false, rainfall = false, temperature = false;
    bool useCustom = false;
    std::string templateName;
    bool basic = true;
    // Basic Contour Settings.
    bool drawFilled = true, drawOutline = true, drawCoast = true;
    int lineStyle = 1; // 0 dashed, 1 solid
    uint32_t outlineColour = 0, coastColour = 0;
    float interval = 1000.0f; // metres
    // Advanced Contour Settings.
    ContourList contours;
    // Detail Level.
    int detail = 1;
    bool multipoly = false, separateOutlines = false, relativeToWater = false;
    float seaSmoothing = 0.0f;
    // Other Items.
    bool contourBar = false, bitmapBackground = false, border = false, compassRose = false;
    bool mapTitle = false;
    std::string titleText;
    bool rectangularGrid = false, scaleBar = false, layerButtons = false, tightBorder = false;
    // Grid Settings.
    CRectGrid grid;

    void FromDefinition(const PW2Output& d);
    // Writes the members a definition holds; the run-only ones are left alone.
    void ToDefinition(PW2Output& d) const;
};

// Next and Back of a page: the page to show, or kStayOnPage with `message` set.
int WizardNext(int page, ExportWizardRecord& r, std::string& message);
int WizardBack(int page, const ExportWizardRecord& r, std::string& message);
WizardButtons WizardButtonsOf(int page, const ExportWizardRecord& r);

// The template check: an empty text when `path` is a usable uncompressed version 6 drawing,
// else the message.
std::string CheckWizardTemplate(const std::string& path);

// "%d Contours" over the definition's altitude range, or the interval message.
std::string ContourCountLine(float interval, bool feet, float lowest, float highest);

// Add Multiple: contours with `style`'s attributes at from, from + interval, ... up to the
// larger end; questions through the message service. `anyAttribute` false refuses. How
// many were added.
int AddMultipleContours(ContourList& list, double from, double to, double interval, const ContourDef& style,
                        bool anyAttribute);
// Remove Multiple: every contour of the range (interval 0 or less, after asking) or those
// within 0.01 of its steps; "%d Contours removed" is shown. How many.
int RemoveMultipleContours(ContourList& list, double from, double to, double interval);

} // namespace kv
