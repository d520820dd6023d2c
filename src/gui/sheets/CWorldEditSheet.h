// The World Settings sheet: a working copy of the active document's world parameters,
// edited on seven pages and handed to the active view's world-settings step by Apply Now.
// The copy holds parameters and the grid size, never grids.
#pragma once

#include "gui/sheets/CSettingsSheet.h"
#include "world/SurfMap.h"

namespace kv {

class CWorldEditSelection;
class CWorldEditPrimary;
class CWorldEditMisc;
class CWorldEditEditing;
class CWorldEditFractalBasis;
class CWorldEditTemperature;
class CWorldEditRainfall;

class CWorldEditPage : public CSheetPage {
    Q_OBJECT
public:
    explicit CWorldEditPage(QWidget* parent = nullptr) : CSheetPage(parent) {}
    void SetDefaults() override;
    // A page shown outside the World Settings sheet edits `working` (kept alive by the
    // caller) in the units of `metric` instead of the sheet's copy.
    void BindWorking(SurfMap* working, int metric)
    {
        m_bound = working;
        m_boundMetric = metric;
    }

protected:
    class CWorldEditSheet* WorldSheet() const;
    SurfMap& Working() const;
    int Metric() const;

private:
    SurfMap* m_bound = nullptr;
    int m_boundMetric = 0;
};

class CWorldEditSheet : public CSettingsSheet {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "World Settings";

    explicit CWorldEditSheet(QWidget* parent = nullptr);
    ~CWorldEditSheet() override;

    SurfMap& Working() { return m_working; }
    int Metric() const { return m_metric; }
    void SetMetric(int metric) { m_metric = metric; }

    // The world's parameters and grid size into the working copy; the unit flag and the
    // size choice from the document-wide settings.
    void LoadWorld(const SurfMap& world);
    // Refreshes every page with a window.
    void RefreshPagesNow() { RefreshPages(); }
    void ApplyChanges() override;

    CWorldEditSelection* Selection() const { return m_selection; }
    CWorldEditPrimary* Primary() const { return m_primary; }
    CWorldEditMisc* Misc() const { return m_misc; }
    CWorldEditEditing* Editing() const { return m_editing; }
    CWorldEditFractalBasis* FractalBasis() const { return m_fractal; }
    CWorldEditTemperature* Temperature() const { return m_temperature; }
    CWorldEditRainfall* Rainfall() const { return m_rainfall; }

private:
    SurfMap m_working;
    int m_metric = 0;
    CWorldEditSelection* m_selection;
    CWorldEditPrimary* m_primary;
    CWorldEditMisc* m_misc;
    CWorldEditEditing* m_editing;
    CWorldEditFractalBasis* m_fractal;
    CWorldEditTemperature* m_temperature;
    CWorldEditRainfall* m_rainfall;
};

} // namespace kv
