#include "gui/app/ProgramServices.h"

#include "document/DocumentServices.h"
#include "exchange/ExportDialogs.h"
#include "gui/app/QtServices.h"
#include "gui/controls/DialogParts.h"
#include "gui/dialogs/CAltColorSingleDlg.h"
#include "gui/dialogs/CImageOverlayListDlg.h"
#include "gui/dialogs/WindowDialogs.h"
#include "gui/exchange/CExportSettingsDlg.h"
#include "gui/exchange/CMultiImageWindow.h"
#include "gui/exchange/WindowExportDialogs.h"
#include "gui/frame/CMainFrame.h"
#include "gui/progress/CProgressDlg.h"
#include "gui/sheets/CColoringSheet.h"
#include "gui/sheets/SheetHooks.h"
#include "view/WorldImageRenderers.h"

namespace kv {

namespace {

QtSeedClock g_seedClock;
RawWorldImageRenderer g_worldImages;

} // namespace

void InstallProgramServices(CMainFrame& frame)
{
    SetOwnerWindow(&frame);
    InstallExportDialogs();
    InstallOverlayListWindow();
    InstallAltColorEditor();
    InstallAtlasServices();
    InstallExportDefinitionWindows();
    InstallProgressWindows(&frame);
    InstallWindowDialogs();
    InstallSheetDialogs();
    InstallColoringSheetFactory(&frame);
    SetWorldImageRenderer(&g_worldImages);
    SetSeedClock(&g_seedClock);
}

void RemoveProgramServices()
{
    RemoveProgressWindows();
    SetExportDialogs(nullptr);
    RemoveExportDefinitionWindows();
    SetOwnerWindow(nullptr);
}

} // namespace kv
