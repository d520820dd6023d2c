// "PW2 Export": the export definitions (".xpt" files of the export folder) by name, with
// Create, Edit, Delete, Rename, Duplicate and Export World through the definition file
// commands (exchange/ExportDefinitionFiles.h). While it is open, names are asked in the
// "Enter Setting Name" dialog over its folder.
#pragma once

#include "exchange/ExportDefinitionFiles.h"
#include "exchange/MultiFileAtlas.h"

#include <QDialog>

#include <string>

class QListWidget;
class QPushButton;

namespace kv {

class CKVDoc;

class CExportSettingsDlg : public QDialog {
    Q_OBJECT
public:
    // `folder`: where the definitions are; `view`: what Export World draws.
    CExportSettingsDlg(const std::string& folder, const AtlasSource& view, QWidget* parent = nullptr);
    ~CExportSettingsDlg() override;

    QListWidget* List() const { return m_list; }
    // The selected name ("" when none).
    std::string Selected() const;
    // Refills the list from the folder and selects `name` when it is there.
    void Refill(const std::string& name);

    void OnCreate();
    void OnEdit();
    void OnDelete();
    void OnRename();
    void OnDuplicate();
    void OnExport();

private:
    class NamePrompt : public DefinitionNamePrompt {
    public:
        NamePrompt(CExportSettingsDlg& owner) : m_owner(owner) {}
        bool Ask(std::string& name) override;

    private:
        CExportSettingsDlg& m_owner;
    };

    std::string m_folder;
    AtlasSource m_view;
    QListWidget* m_list;
    NamePrompt m_prompt;
    DefinitionNamePrompt* m_previousPrompt = nullptr;
};

// The Save PW2 File command: the dialog over the export folder and the active view of
// `doc` (the document's own view settings when no view shows it).
void SavePW2FileCommand(CKVDoc& doc);

// Installs the window forms of the export wizard, the contour style editor and the map
// Grid Settings dialog's entry editor.
void InstallExportDefinitionWindows();
// Takes them out again (on exit).
void RemoveExportDefinitionWindows();

} // namespace kv
