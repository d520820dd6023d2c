#include "gui/exchange/WindowExportDialogs.h"
#include "document/DocumentServices.h"

#include <QApplication>
#include <QWidget>

#include "exchange/SpinSequence.h"
#include "gui/exchange/CSuperMDRDlg.h"
#include "gui/exchange/ExportFileDlgs.h"

namespace kv {

bool WindowExportDialogs::SaveFile(SaveFileRequest& request, std::string& path)
{
    ExtendedSaveDialog dialog(nullptr, QString::fromStdString(request.title), request.filter,
                              QString::fromStdString(request.defaultExtension),
                              QString::fromStdString(request.initialPath));
    dialog.SetFilterIndex(request.filterIndex);
    dialog.setSizeGripEnabled(true);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    path = dialog.ChosenPath();
    request.filterIndex = dialog.FilterIndex();
    return !path.empty();
}

bool WindowExportDialogs::ImageSaveParameters(ImageSaveParms& parms, int withQuality)
{
    ImageSaveValues values;
    values.width = parms.width;
    values.height = parms.height;
    values.keepProportions = parms.keepProportions != 0;
    values.quality = parms.quality;
    values.jpeg = withQuality != 0;
    // The proportions of the main view's map, whatever window is active.
    values.mainWidth = parms.mainWidth;
    values.mainHeight = parms.mainHeight;
    if (!GetCommandDialogs().ImageSaveParms(values))
        return false;
    parms.width = values.width;
    parms.height = values.height;
    parms.keepProportions = values.keepProportions ? 1 : 0;
    parms.quality = values.quality;
    return true;
}

bool WindowExportDialogs::SpecialMDRParameters(const std::string& caption, int& width, bool& sixteenBit)
{
    CSuperMDRDlg dialog(QString::fromStdString(caption));
    dialog.width = width;
    dialog.sixteenBit = sixteenBit;
    if (dialog.exec() != QDialog::Accepted)
        return false;
    width = dialog.width;
    sixteenBit = dialog.sixteenBit;
    return true;
}

bool WindowExportDialogs::VRMLFile(std::string& path, int& width)
{
    CVRMLExportDlg dialog(QString::fromStdString(path), width);
    if (dialog.exec() != QDialog::Accepted || dialog.ChosenPath().empty())
        return false;
    path = dialog.ChosenPath();
    width = dialog.width;
    return true;
}

bool WindowExportDialogs::WorldImageFile(const std::string& title, bool icosahedral, WorldImageSettings& settings)
{
    CIcosahedralFileDlg dialog(QString::fromStdString(title),
                               icosahedral ? CIcosahedralFileDlg::kIcosahedralTemplate
                                           : CIcosahedralFileDlg::kSphereMapTemplate,
                               settings);
    if (dialog.exec() != QDialog::Accepted || dialog.ChosenPath().empty())
        return false;
    settings = dialog.Settings();
    return true;
}

bool WindowExportDialogs::SpinFile(SpinSettings& settings)
{
    CMovieDlg dialog(settings);
    if (dialog.exec() != QDialog::Accepted || dialog.ChosenPath().empty())
        return false;
    settings = dialog.Settings();
    return true;
}

void InstallExportDialogs()
{
    static WindowExportDialogs dialogs;
    SetExportDialogs(&dialogs);
}

} // namespace kv
