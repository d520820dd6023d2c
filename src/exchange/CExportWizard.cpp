#include "exchange/CExportWizard.h"

#include "base/MessageService.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace kv {

namespace {

constexpr const char* kTitles[kWizardPages] = {
    "Introduction",  "Advanced Contour Settings", "Basic Contour Settings", "Detail Level",
    "Other Items",   "Bitmap Background Settings", "Grid Settings",
};
constexpr double kSingleRange = 0.001;
constexpr double kSameLevel = 0.01;
constexpr double kAskAbove = 100.0;
constexpr double kMostContours = 1000000.0;
constexpr float kFeetToMetres = 0.3048f;

std::string Format(const char* format, double value)
{
    char text[256];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

bool AnyGridShown(const CRectGrid& grid)
{
    return std::any_of(grid.grids.begin(), grid.grids.end(), [](const RectInfo& g) { return g.show != 0; });
}

} // namespace

const char* WizardPageTitle(int page) { return page >= 0 && page < kWizardPages ? kTitles[page] : ""; }

void ExportWizardRecord::FromDefinition(const PW2Output& d)
{
    climate = d.climateContoursOn != 0;
    altitude = d.altContoursOn != 0;
    rainfall = d.rainContoursOn != 0;
    temperature = d.tempContoursOn != 0;
    templateName = d.templatePath;
    useCustom = !templateName.empty();
    basic = d.altContourMode != 0;
    drawFilled = d.contourFillOn != 0;
    drawOutline = d.contourLineOn != 0;
    drawCoast = d.seaOnIntervals != 0;
    coastColour = static_cast<uint32_t>(d.seaColorIntervals);
    interval = d.altInterval;
    contours = d.contours;
    detail = std::clamp(static_cast<int>(d.resolution), 1, 8);
    multipoly = d.groupLevels != 0;
    separateOutlines = d.separateOutlines != 0;
    relativeToWater = d.seaLevelRelative != 0;
    seaSmoothing = d.seaSmoothRadius;
    contourBar = d.colorBarsOn != 0;
    scaleBar = d.scaleBarOn != 0;
    border = d.borderSymbolOn != 0;
    tightBorder = d.drawInMapUnits != 0;
    layerButtons = d.linkPanelOn != 0;
    mapTitle = d.titleBlockOn != 0;
    titleText = d.mapTitle;
    grid = d.grid;
    rectangularGrid = d.grid.shown != 0 && AnyGridShown(d.grid);
}

void ExportWizardRecord::ToDefinition(PW2Output& d) const
{
    d.climateContoursOn = climate;
    d.altContoursOn = altitude;
    d.rainContoursOn = rainfall;
    d.tempContoursOn = temperature;
    d.templatePath = useCustom ? templateName : std::string();
    d.altContourMode = basic ? 1 : 0;
    d.contourFillOn = drawFilled;
    d.contourLineOn = drawOutline;
    d.seaOnIntervals = drawCoast;
    d.seaColorIntervals = static_cast<int32_t>(coastColour);
    d.altInterval = interval;
    d.contours = contours;
    d.resolution = detail;
    d.groupLevels = multipoly;
    d.separateOutlines = separateOutlines;
    d.seaLevelRelative = relativeToWater;
    d.seaSmoothRadius = seaSmoothing;
    d.colorBarsOn = contourBar;
    d.scaleBarOn = scaleBar;
    d.borderSymbolOn = border;
    d.drawInMapUnits = border && tightBorder;
    d.linkPanelOn = layerButtons;
    d.titleBlockOn = mapTitle;
    d.mapTitle = titleText;
    d.grid = grid;
    // The grid is drawn only while "Rectangular Grid" is ticked and some entry is shown.
    d.grid.shown = rectangularGrid && AnyGridShown(grid) ? 1 : 0;
}

int WizardNext(int page, ExportWizardRecord& r, std::string& message)
{
    message.clear();
    switch (page) {
    case kPageIntro:
        if (!r.useCustom)
            r.templateName.clear();
        if (!r.templateName.empty()) {
            message = CheckWizardTemplate(r.templateName);
            if (!message.empty())
                return kStayOnPage;
        }
        if (r.altitude)
            return r.basic ? kPageSimple : kPageAdvanced;
        return kPageDetail;
    case kPageSimple:
        if (!(r.interval > 0.0f)) {
            message = "Interval must be greater than zero";
            return kStayOnPage;
        }
        return kPageDetail;
    case kPageAdvanced: return kPageDetail;
    case kPageDetail: return kPageFrills;
    case kPageFrills:
        if (r.bitmapBackground)
            return kPageBitmap;
        return r.rectangularGrid ? kPageGrid : kStayOnPage;
    case kPageBitmap: return r.rectangularGrid ? kPageGrid : kStayOnPage;
    default: return kStayOnPage;
    }
}

int WizardBack(int page, const ExportWizardRecord& r, std::string& message)
{
    message.clear();
    switch (page) {
    case kPageSimple:
        if (!(r.interval > 0.0f)) {
            message = "Interval must be greater than zero";
            return kStayOnPage;
        }
        return kPageIntro;
    case kPageAdvanced: return kPageIntro;
    case kPageDetail:
        if (r.altitude)
            return r.basic ? kPageSimple : kPageAdvanced;
        return kPageIntro;
    case kPageFrills: return kPageDetail;
    case kPageBitmap: return kPageFrills;
    case kPageGrid: return r.bitmapBackground ? kPageBitmap : kPageFrills;
    default: return kStayOnPage;
    }
}

WizardButtons WizardButtonsOf(int page, const ExportWizardRecord& r)
{
    WizardButtons b;
    switch (page) {
    case kPageIntro: b.next = true; break;
    case kPageFrills:
        if (r.bitmapBackground || r.rectangularGrid)
            b.back = b.next = true;
        else
            b.back = b.finish = true;
        break;
    case kPageBitmap:
        b.back = true;
        (r.rectangularGrid ? b.next : b.finish) = true;
        break;
    case kPageGrid: b.back = b.finish = true; break;
    default: b.back = b.next = true; break;
    }
    return b;
}

std::string CheckWizardTemplate(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return "Unable to open file";
    char header[128];
    if (!in.read(header, sizeof header))
        return "Unable to read PW2 header";
    if (std::memcmp(header, "FCW ", 4) != 0)
        return "Not a PW2 file";
    if (std::memcmp(header, "FCW (FastCAD for Windows) 6.", 28) != 0)
        return "Must be a Version 6.x PW2 file";
    if (header[48] != 0)
        return "Must be an uncompressed V6.x PW2 file";
    return std::string();
}

std::string ContourCountLine(float interval, bool feet, float lowest, float highest)
{
    if (!(interval > 0.0f))
        return "Interval must be greater than zero";
    const double metres = feet ? interval * kFeetToMetres : interval;
    const double count = std::trunc((static_cast<double>(highest) - lowest) / metres);
    char text[64];
    std::snprintf(text, sizeof text, "%.0f Contours", count);
    return text;
}

int AddMultipleContours(ContourList& list, double from, double to, double interval, const ContourDef& style,
                        bool anyAttribute)
{
    if (!anyAttribute) {
        ShowMessage("You have selected no attributes\nfor the contours.\nNo contours will be added");
        return 0;
    }
    if (!std::isfinite(from) || !std::isfinite(to) || !std::isfinite(interval))
        return 0;
    const double low = std::min(from, to), high = std::max(from, to);
    ContourDef def = style;
    if (high - low < kSingleRange || interval < kSingleRange) {
        if (!AskYesNo(Format("Add just one contour at value %0.0lf?\n(Clicking No will not add any contours)", from)))
            return 0;
        if (list.FindLevel(from, kSameLevel, 0) >= 0 &&
            !AskYesNo(Format("There is already a contour with a value\nvery close or equal to %0.0lf.\n\n"
                             "Would you like to add another contour\nwith this value?",
                             from)))
            return 0;
        def.altitude = from;
        list.InsertSorted(def);
        return 1;
    }
    const double steps = std::floor((high - low) / interval) + 1.0;
    if (steps > kMostContours) {
        ShowMessage(Format("At most %0.0f contours can be added at once.", kMostContours));
        return 0;
    }
    if ((high - low) / interval > kAskAbove &&
        !AskYesNo(Format("Do you really wish to add %0.0f contours to the list?", (high - low) / interval)))
        return 0;
    int added = 0;
    for (long long k = 0;; ++k) {
        const double value = low + static_cast<double>(k) * interval;
        if (value > high)
            break;
        def.altitude = value;
        list.InsertSorted(def);
        ++added;
    }
    return added;
}

int RemoveMultipleContours(ContourList& list, double from, double to, double interval)
{
    int removed = 0;
    if (!(interval > 0.0)) {
        char text[160];
        std::snprintf(text, sizeof text, "Do you wish to remove ALL contours\nwithin the interval %0.0f to %0.0f?", from,
                      to);
        if (!AskYesNo(text))
            return 0;
        removed = list.RemoveRange(std::min(from, to), std::max(from, to));
    } else {
        removed = list.RemoveSteps(std::min(from, to), std::max(from, to), interval, kSameLevel);
    }
    ShowMessage(Format("%0.0f Contours removed", removed));
    return removed;
}

} // namespace kv
