
#include "gui/controls/DialogParts.h"
#include "gui/dialogs/CAltColorSingleDlg.h"
#include "gui/dialogs/CBackgroundDlg.h"
#include "gui/dialogs/CBombardmentDlg.h"
#include "gui/dialogs/CClimateSelectDlgFace.h"
#include "gui/dialogs/CColorLinkEditDlg.h"
#include "gui/dialogs/CColorLinksDlg.h"
#include "gui/dialogs/CColorPickerDlg.h"
#include "gui/dialogs/CEditWorldFParmsDlg.h"
#include "gui/dialogs/CGlobalAltSetDlgFace.h"
#include "gui/dialogs/CGlobeExportDlg.h"
#include "gui/dialogs/CImageClimateDlg.h"
#include "gui/dialogs/CImageSaveParmsDlg.h"
#include "gui/dialogs/CMathToolDlgFace.h"
#include "gui/dialogs/CNoiseDataDlgFace.h"
#include "gui/dialogs/CRangeSelectDlgFace.h"
#include "gui/dialogs/CSelectionFileDlgFace.h"
#include "gui/dialogs/CSimpleCreateDlg.h"
#include "gui/dialogs/CSingleEditDlgFace.h"
#include "gui/dialogs/FileChoice.h"
#include "gui/dialogs/MoundDialogFaces.h"
#include "gui/dialogs/ProcessCurvesDlgFace.h"
#include "gui/dialogs/RiverDialogFaces.h"
#include "gui/dialogs/WindowDialogs.h"

#include <QApplication>

#include <algorithm>
#include <iterator>

namespace kv {

namespace {

// Opens the dialog over the active window on a copy of the values; they are taken back
// on OK only.
template <class Dialog, class Values> bool Run(Values& values)
{
    Dialog dialog(values, QApplication::activeWindow());
    if (RunModal(dialog) != QDialog::Accepted)
        return false;
    values = dialog.values;
    return true;
}

// The same for a window over a command's record, which it keeps as `logic`.
template <class Face, class Record> bool RunOver(Record& record)
{
    Face face(record, QApplication::activeWindow());
    if (RunModal(face) != QDialog::Accepted)
        return false;
    record = face.logic;
    return true;
}

} // namespace

bool WindowCommandDialogs::EditFractalParms(FractalParmsValues& v) { return Run<CEditWorldFParmsDlg>(v); }
bool WindowCommandDialogs::ImageSaveParms(ImageSaveValues& v) { return Run<CImageSaveParmsDlg>(v); }
bool WindowCommandDialogs::Background(BackgroundValues& v) { return Run<CBackgroundDlg>(v); }
bool WindowCommandDialogs::ImageClimate(ImageClimateValues& v) { return Run<CImageClimateDlg>(v); }

bool WindowTerrainDialogs::RunSingleEdit(CSingleEditDlg& d) { return RunOver<CSingleEditDlgFace>(d); }
bool WindowTerrainDialogs::RunNoiseData(CNoiseDataDlg& d) { return RunOver<CNoiseDataDlgFace>(d); }
bool WindowTerrainDialogs::RunInciseFlow(InciseFlowProcessDlg& d) { return RunOver<InciseFlowProcessDlgFace>(d); }
bool WindowTerrainDialogs::RunProcessCurves(ProcessCurvesDlg& d) { return RunOver<ProcessCurvesDlgFace>(d); }
bool WindowTerrainDialogs::RunMoundEdit(CMoundEditDlg& d) { return RunOver<CMoundEditDlgFace>(d); }
bool WindowTerrainDialogs::RunMoundSettings(CMoundSettingsDlg& d) { return RunOver<CMoundSettingsDlgFace>(d); }
bool WindowTerrainDialogs::RunMoundtainSettings(CMoundtainSettingsDlg& d)
{
    return RunOver<CMoundtainSettingsDlgFace>(d);
}
bool WindowTerrainDialogs::RunRiverEditSize(CRiverEditSizeDlg& d) { return RunOver<CRiverEditSizeDlgFace>(d); }

void WindowTerrainDialogs::RunRiverThreshold(CRiverThresholdDlg& d)
{
    // Works on the record itself (it borrows the document's grids); ends only through OK.
    CRiverThresholdDlgFace face(d, QApplication::activeWindow());
    RunModal(face);
}

bool WindowTerrainDialogs::RunGlobalAltSet(CGlobalAltSetDlg& d) { return RunOver<CGlobalAltSetDlgFace>(d); }
bool WindowTerrainDialogs::RunRangeSelect(CRangeSelectDlg& d) { return RunOver<CRangeSelectDlgFace>(d); }
bool WindowTerrainDialogs::RunClimateSelect(CClimateSelectDlg& d) { return RunOver<CClimateSelectDlgFace>(d); }
bool WindowTerrainDialogs::RunMathTool(CMathToolDlg& d) { return RunOver<CMathToolDlgFace>(d); }
bool WindowTerrainDialogs::RunFileDialog(CSelectionFileDlg& d)
{
    if (d.showCombine)
        return RunOver<CSelectionFileDlgFace>(d);
    // A plain open or save (a script, a selection image to write): the file choice service.
    std::string start = d.path;
    if (start.empty() && !d.folder.empty())
        start = d.folder + "/";
    std::string chosen;
    if (!ChooseFile(QApplication::activeWindow(), {!d.open, d.title, d.filter, d.defaultExtension, start}, chosen))
        return false;
    d.path = chosen;
    return true;
}
bool WindowTerrainDialogs::RunBombardment(BombardmentSettings& s) { return Run<CBombardmentDlg>(s); }
bool WindowTerrainDialogs::RunSimpleCreate(SimpleCreateSettings& s) { return Run<CSimpleCreateDlg>(s); }

bool WindowTerrainDialogs::RunGlobeExport(CGlobeExportDlg& d)
{
    CGlobeExportDlgFace face(QApplication::activeWindow());
    face.directory = d.folder;
    face.linkFile = d.linkImages;
    face.fileSets = d.fileSets;
    face.fileSetIndex = d.fileSetIndex;
    std::copy(std::begin(d.levels), std::end(d.levels), face.levels);
    face.LoadControls();
    if (RunModal(face) != QDialog::Accepted)
        return false;
    d.folder = face.directory;
    d.linkImages = face.linkFile;
    d.fileSetIndex = face.fileSetIndex;
    std::copy(std::begin(face.levels), std::end(face.levels), d.levels);
    return true;
}

int WindowAltColorEditor::Edit(AltColor& shown, bool metric)
{
    (void)metric; // the entry comes in display units already
    CAltColorSingleDlg dialog(QApplication::activeWindow());
    dialog.entry = shown;
    if (RunModal(dialog) != QDialog::Accepted)
        return 2;
    shown = dialog.entry;
    return 1;
}

bool WindowColorLinkEditors::EditGroupName(std::string& name)
{
    CColorLinkListEditDlg dialog(name, QApplication::activeWindow());
    if (RunModal(dialog) != QDialog::Accepted)
        return false;
    name = dialog.name;
    return true;
}

bool WindowColorLinkEditors::EditLink(ColorLinkFields& fields,
                                      const std::function<bool(const ColorLinkFields&)>& accept)
{
    CColorLinkEditDlg dialog(fields, accept, QApplication::activeWindow());
    if (RunModal(dialog) != QDialog::Accepted)
        return false;
    fields = dialog.fields;
    return true;
}

void InstallWindowDialogs()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    static WindowCommandDialogs dialogs;
    static WindowTerrainDialogs terrainDialogs;
    static WindowAltColorEditor altColorEditor;
    static WindowColorLinkEditors linkEditors;
    SetCommandDialogs(&dialogs);
    SetTerrainDialogs(&terrainDialogs);
    SetAltColorEditor(&altColorEditor);
    SetColorLinkEditors(&linkEditors);
    SetColorLinksWindowFactory(MakeColorLinksWindow);
    SetColorChooser(std::make_shared<WindowColorChooser>());
}

} // namespace kv
