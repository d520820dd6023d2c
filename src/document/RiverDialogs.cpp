#include "document/RiverDialogs.h"

#include "base/AppSettings.h"
#include "base/Progress.h"
#include "base/color/ColorChooser.h"
#include "base/layers/ImageOverlay.h"
#include "document/CKVDoc.h"
#include "document/DocumentContext.h"
#include "platform/CLocale.h"
#include "world/RiverGrids.h"

#include <algorithm>
#include <cmath>

namespace kv {

namespace {

constexpr int kDefaultMaxTinySegments = 200;

int MaxTinySegments()
{
    const int value = GetAppSettings().GetInt("Settings", "MaxTinySegments", kDefaultMaxTinySegments);
    return value < 1 ? kDefaultMaxTinySegments : value;
}

} // namespace

// ---- CRiverEditSizeDlg ----

CRiverEditSizeDlg::CRiverEditSizeDlg(int initialWidth) : width(initialWidth), custom(true)
{
    for (const Preset& p : kPresets)
        if (p.width == initialWidth)
            custom = false;
}

int CRiverEditSizeDlg::CheckedControl() const
{
    if (!custom)
        for (const Preset& p : kPresets)
            if (p.width == width)
                return p.control;
    return kCustomRadio;
}

void CRiverEditSizeDlg::OnRadio(int control)
{
    if (control == kCustomRadio) {
        custom = true;
        return;
    }
    for (const Preset& p : kPresets)
        if (p.control == control) {
            width = p.width;
            custom = false;
        }
}

// ---- CRiverThresholdDlg ----

void CRiverThresholdDlg::OnInitDialog()
{
    const double position = std::clamp(static_cast<double>(threshold) * 10000.0, double(kSliderMinimum),
                                       double(kSliderMaximum));
    sliderPosition = static_cast<int>(position);
    if (flow != nullptr)
        RiverGridRange(*flow, flowMinimum, flowMaximum);
    if (reach != nullptr)
        RiverGridRange(*reach, reachMinimum, reachMaximum);
    UpdatePreview();
}

float CRiverThresholdDlg::Cut() const
{
    const float range = potentialFlow ? reachMaximum - reachMinimum : flowMaximum - flowMinimum;
    return range * threshold;
}

uint32_t CRiverThresholdDlg::Pixel() const
{
    const uint32_t red = colour & 0xFF, green = (colour >> 8) & 0xFF, blue = (colour >> 16) & 0xFF;
    return 0xFF000000u | blue << 16 | green << 8 | red;
}

const Grid2D* CRiverThresholdDlg::Excluded()
{
    if (!m_excludedMade && exclusionMask != nullptr && flow != nullptr) {
        m_excluded = RiverExclusionGrid(exclusionMask, static_cast<int>(flow->Width()), static_cast<int>(flow->Height()));
        m_excludedMade = true;
    }
    return m_excluded.get();
}

void CRiverThresholdDlg::UpdatePreview()
{
    const Grid2D* g = SelectedGrid();
    if (g != nullptr && preview != nullptr)
        FillRiverPreview(*preview, *g, Cut(), Pixel(), Excluded());
    Hint(kHintRiverChannelsRemoved);
    percentText = FormatC("%0.2f", threshold * 100.0);
}

void CRiverThresholdDlg::OnHScroll(int position)
{
    sliderPosition = std::clamp(position, kSliderMinimum, kSliderMaximum);
    threshold = static_cast<float>(sliderPosition * 0.0001);
    if (!busy)
        UpdatePreview();
}

void CRiverThresholdDlg::OnPotentialFlow(bool checked)
{
    potentialFlow = checked;
    UpdatePreview();
}

bool CRiverThresholdDlg::OnSwatchClicked()
{
    uint32_t chosen = colour;
    if (!GetColorChooser().PickSystemColor(chosen))
        return false;
    colour = chosen & 0xFFFFFF;
    UpdatePreview();
    return true;
}

std::string CRiverThresholdDlg::SwatchText() const
{
    return FormatC("%02X%02X%02X", colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

void CRiverThresholdDlg::OnOK()
{
    routingResult = 0;
    threshold = static_cast<float>(sliderPosition * 0.0001);
    const Grid2D* g = SelectedGrid();
    if (document == nullptr)
        return;
    RiverVectorOverlay& rivers = document->GetRivers();
    rivers.rivers.clear();
    document->SetModifiedFlag(true);
    if (g == nullptr || altitude == nullptr || waterLevel == nullptr || preview == nullptr)
        return;
    UpdatePreview();

    RiverRoutingInput in;
    in.value = g;
    in.altitude = altitude;
    in.waterLevel = waterLevel;
    in.excluded = Excluded();
    in.preview = preview;
    in.cut = Cut();
    in.colour = Pixel();
    in.maxTinySegments = MaxTinySegments();
    routingResult = RouteRivers(in, [&](RoutedRiver& routed) {
        RiverPath path;
        path.colour = routed.colour;
        path.level = routed.level;
        path.points.reserve(routed.points.size());
        for (const auto& p : routed.points)
            path.points.push_back({p[0], p[1]});
        rivers.rivers.push_back(std::move(path));
    });
    Hint(kHintRivers);
}

void CRiverThresholdDlg::Hint(int hint) const
{
    if (document != nullptr)
        document->UpdateAllViews(nullptr, hint);
    else
        UpdateActiveDocViews(nullptr, hint, nullptr);
}

} // namespace kv
