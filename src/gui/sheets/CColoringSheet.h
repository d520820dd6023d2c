// The Lighting and Color sheet: a working copy of a view's lighting edited on six pages;
// Apply Now copies it into the active view and redraws the document's views (hint 16). The
// climate colour pages edit the active document's lists directly. The shader registry owns
// the sheet through the handle that SetColoringSheetFactory makes.
#pragma once

#include "base/color/LightParms.h"
#include "gui/sheets/CSettingsSheet.h"

class QWidget;

namespace kv {

class CColoringSelection;
class CColoringIntensity;
class CColoringAltitude;
class CColoringClimateRamp;
class CColoringClimate;

class CColoringPage : public CSheetPage {
    Q_OBJECT
public:
    explicit CColoringPage(QWidget* parent = nullptr) : CSheetPage(parent) {}
    // The light settings and the default land and sea lists.
    void SetDefaults() override;

protected:
    class CColoringSheet* ColoringSheet() const;
    LightParms& Working() const;
};

class CColoringSheet : public CSettingsSheet {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "Lighting and Color";
    static constexpr int kLightingHint = 16;

    explicit CColoringSheet(QWidget* parent = nullptr);
    ~CColoringSheet() override;

    LightParms& Working() { return m_working; }
    void ApplyChanges() override;

    CColoringSelection* Selection() const { return m_selection; }
    CColoringIntensity* Intensity() const { return m_intensity; }
    CColoringAltitude* Altitude() const { return m_altitude; }
    CColoringClimateRamp* Temperature() const { return m_temperature; }
    CColoringClimateRamp* Rainfall() const { return m_rainfall; }
    CColoringClimate* Climate() const { return m_climate; }

private:
    LightParms m_working;
    CColoringSelection* m_selection;
    CColoringIntensity* m_intensity;
    CColoringAltitude* m_altitude;
    CColoringClimateRamp* m_temperature;
    CColoringClimateRamp* m_rainfall;
    CColoringClimate* m_climate;
};

// Installs the factory of the shader registry's sheet: sheets made with `parent` (the main
// window) as their parent.
void InstallColoringSheetFactory(QWidget* parent);
// The registry's sheet window, or null when none was made.
CColoringSheet* GetColoringSheetWindow();

} // namespace kv
