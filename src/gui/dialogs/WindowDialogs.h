// The window side of the dialogs the document, the view and the model ask for: each request
// opens its dialog modally over the active window. InstallWindowDialogs puts them (and the
// colour chooser) in force for the run.
#pragma once

#include "document/AltColor.h"
#include "document/ColorLinks.h"
#include "document/DocumentServices.h"
#include "document/TerrainDialogs.h"

namespace kv {

class WindowCommandDialogs : public CommandDialogs {
public:
    bool EditFractalParms(FractalParmsValues& values) override;
    bool ImageSaveParms(ImageSaveValues& values) override;
    bool Background(BackgroundValues& values) override;
    bool ImageClimate(ImageClimateValues& values) override;
};

// The whole-world commands' dialogs: each window works over the command's record.
class WindowTerrainDialogs : public TerrainDialogs {
public:
    bool RunSingleEdit(CSingleEditDlg& dialog) override;
    bool RunNoiseData(CNoiseDataDlg& dialog) override;
    bool RunInciseFlow(InciseFlowProcessDlg& dialog) override;
    bool RunProcessCurves(ProcessCurvesDlg& dialog) override;
    bool RunMoundEdit(CMoundEditDlg& dialog) override;
    bool RunMoundSettings(CMoundSettingsDlg& dialog) override;
    bool RunMoundtainSettings(CMoundtainSettingsDlg& dialog) override;
    bool RunRiverEditSize(CRiverEditSizeDlg& dialog) override;
    void RunRiverThreshold(CRiverThresholdDlg& dialog) override;
    bool RunGlobalAltSet(CGlobalAltSetDlg& dialog) override;
    bool RunRangeSelect(CRangeSelectDlg& dialog) override;
    bool RunClimateSelect(CClimateSelectDlg& dialog) override;
    bool RunMathTool(CMathToolDlg& dialog) override;
    bool RunFileDialog(CSelectionFileDlg& dialog) override;
    // Diameters in display units (km, or miles when the units are imperial).
    bool RunBombardment(BombardmentSettings& settings) override;
    // The seven altitudes in display units.
    bool RunSimpleCreate(SimpleCreateSettings& settings) override;
    // The globe export window: the folder, the link images and the base name as its one file set.
    bool RunGlobeExport(CGlobeExportDlg& dialog) override;
};

class WindowAltColorEditor : public AltColorEditor {
public:
    int Edit(AltColor& shown, bool metric) override;
};

class WindowColorLinkEditors : public ColorLinkEditors {
public:
    bool EditGroupName(std::string& name) override;
    bool EditLink(ColorLinkFields& fields, const std::function<bool(const ColorLinkFields&)>& accept) override;
};

// Installs the window dialogs, the entry editors and the colour chooser for the rest of the
// run (once; later calls do nothing).
void InstallWindowDialogs();

} // namespace kv
