#include "document/TerrainDialogs.h"

#include "base/ServiceSlots.h"
#include "document/RiverDialogs.h"

namespace kv {

namespace {
TerrainDialogs g_defaultDialogs;
TerrainDialogs* g_dialogs = nullptr;
} // namespace

bool TerrainDialogs::RunSingleEdit(CSingleEditDlg&) { return false; }
bool TerrainDialogs::RunNoiseData(CNoiseDataDlg&) { return false; }
bool TerrainDialogs::RunInciseFlow(InciseFlowProcessDlg&) { return false; }
bool TerrainDialogs::RunProcessCurves(ProcessCurvesDlg&) { return false; }
bool TerrainDialogs::RunMoundEdit(CMoundEditDlg&) { return false; }
bool TerrainDialogs::RunMoundSettings(CMoundSettingsDlg&) { return false; }
bool TerrainDialogs::RunMoundtainSettings(CMoundtainSettingsDlg&) { return false; }
bool TerrainDialogs::RunRiverEditSize(CRiverEditSizeDlg&) { return false; }
bool TerrainDialogs::RunGlobalAltSet(CGlobalAltSetDlg&) { return false; }
bool TerrainDialogs::RunRangeSelect(CRangeSelectDlg&) { return false; }
bool TerrainDialogs::RunClimateSelect(CClimateSelectDlg&) { return false; }
bool TerrainDialogs::RunMathTool(CMathToolDlg&) { return false; }
bool TerrainDialogs::RunFileDialog(CSelectionFileDlg&) { return false; }
bool TerrainDialogs::RunGlobeExport(CGlobeExportDlg&) { return false; }
bool TerrainDialogs::RunSimpleCreate(SimpleCreateSettings&) { return false; }
bool TerrainDialogs::RunBombardment(BombardmentSettings&) { return false; }

void TerrainDialogs::RunRiverThreshold(CRiverThresholdDlg& dialog)
{
    dialog.OnInitDialog();
    dialog.OnOK();
}

TerrainDialogs& GetTerrainDialogs() { return g_dialogs != nullptr ? *g_dialogs : g_defaultDialogs; }

TerrainDialogs* SetTerrainDialogs(TerrainDialogs* dialogs)
{
    TerrainDialogs* previous = g_dialogs;
    g_dialogs = dialogs;
    return previous;
}

namespace {

const ServiceSlotRegistration kTerrainDialogsSlot("TerrainDialogs", [] { return g_dialogs != nullptr; });

} // namespace

} // namespace kv
