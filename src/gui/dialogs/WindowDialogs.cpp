#include "gui/dialogs/WindowDialogs.h"

#include "gui/controls/DialogParts.h"
#include "gui/dialogs/CAltColorSingleDlg.h"
#include "gui/dialogs/CBackgroundDlg.h"
#include "gui/dialogs/CBombardmentDlg.h"
#include "gui/dialogs/CClimateSelectDlg.h"
#include "gui/dialogs/CColorLinkEditDlg.h"
#include "gui/dialogs/CColorPickerDlg.h"
#include "gui/dialogs/CEditWorldFParmsDlg.h"
#include "gui/dialogs/CGlobalAltSetDlg.h"
#include "gui/dialogs/CImageClimateDlg.h"
#include "gui/dialogs/CImageSaveParmsDlg.h"
#include "gui/dialogs/CMathToolDlg.h"
#include "gui/dialogs/CNoiseDataDlgFace.h"
#include "gui/dialogs/CRangeSelectDlg.h"
#include "gui/dialogs/CSelectionFileDlg.h"
#include "gui/dialogs/CSingleEditDlgFace.h"

#include <QApplication>

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

} // namespace

bool WindowCommandDialogs::SingleEdit(SingleEditValues& v) { return Run<CSingleEditDlgFace>(v); }
bool WindowCommandDialogs::GlobalAltSet(GlobalAltSetValues& v) { return Run<CGlobalAltSetDlg>(v); }
bool WindowCommandDialogs::RangeSelect(RangeSelectValues& v) { return Run<CRangeSelectDlg>(v); }
bool WindowCommandDialogs::NoiseData(NoiseDataValues& v) { return Run<CNoiseDataDlgFace>(v); }
bool WindowCommandDialogs::Bombardment(BombardmentSettings& v) { return Run<CBombardmentDlg>(v); }
bool WindowCommandDialogs::ClimateSelect(ClimateSelectValues& v) { return Run<CClimateSelectDlg>(v); }
bool WindowCommandDialogs::EditFractalParms(FractalParmsValues& v) { return Run<CEditWorldFParmsDlg>(v); }
bool WindowCommandDialogs::ImageSaveParms(ImageSaveValues& v) { return Run<CImageSaveParmsDlg>(v); }
bool WindowCommandDialogs::SelectionFile(SelectionFileValues& v) { return Run<CSelectionFileDlg>(v); }
bool WindowCommandDialogs::Background(BackgroundValues& v) { return Run<CBackgroundDlg>(v); }
bool WindowCommandDialogs::ImageClimate(ImageClimateValues& v) { return Run<CImageClimateDlg>(v); }
bool WindowCommandDialogs::MathTool(MathToolValues& v) { return Run<CMathToolDlg>(v); }

int WindowAltColorEditor::Edit(AltColor& shown, bool metric)
{
    CAltColorSingleDlg dialog(shown, metric, QApplication::activeWindow());
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
    static WindowAltColorEditor altColorEditor;
    static WindowColorLinkEditors linkEditors;
    SetCommandDialogs(&dialogs);
    SetAltColorEditor(&altColorEditor);
    SetColorLinkEditors(&linkEditors);
    SetColorChooser(std::make_shared<WindowColorChooser>());
}

} // namespace kv
