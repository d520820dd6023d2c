#include "gui/sheets/SheetHooks.h"

#include "document/DocumentServices.h"
#include "gui/controls/CFileNameDlg.h"
#include "gui/controls/FileDialogs.h"
#include "gui/sheets/CSettingsListPage.h"
#include "gui/sheets/CWorldEditPages.h"

#include <QApplication>

namespace kv {

void InstallSheetDialogs()
{
    CSettingsListPage::SetNamePrompt(
        [](const std::string& folder, const std::string& extension) -> std::optional<std::string> {
            CFileNameDlg dialog(QApplication::activeWindow());
            dialog.folder = folder;
            dialog.extension = extension;
            if (dialog.exec() != QDialog::Accepted || dialog.fullPath.empty())
                return std::nullopt;
            return dialog.fullPath;
        });
    CSettingsListPage::SetFolderChooser(
        [](const std::string& folder, const std::string& title) -> std::optional<std::string> {
            std::string path = folder;
            if (!BrowseForFolder(QApplication::activeWindow(), path, QString::fromStdString(title)))
                return std::nullopt;
            while (path.size() > 1 && path.back() == '/')
                path.pop_back();
            return path;
        });
    CWorldEditFractalBasis::SetParmsDialog([](TexParms& parms, const CSourceDatabase::SourceEntry& source) {
        FractalParmsValues values;
        values.info = source.info;
        values.parms = parms;
        if (!GetCommandDialogs().EditFractalParms(values))
            return false;
        parms = values.parms;
        return true;
    });
}

} // namespace kv
