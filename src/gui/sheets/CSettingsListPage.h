// The first page of each settings sheet: the settings files of one folder with one
// extension, to load into the sheet's working data, save it under a new name, overwrite
// ("Update") or delete a file, and switch the folder for the life of the sheet.
#pragma once

#include "gui/sheets/CSettingsSheet.h"

#include <functional>
#include <string>

class QLabel;
class QListWidget;
class QListWidgetItem;

namespace kv {

class CSettingsListPage : public CSheetPage {
    Q_OBJECT
public:
    // The setting-name prompt: empty name, folder and extension in; the path to write, or
    // nothing when cancelled. The folder chooser: the current folder and a title in; the
    // chosen folder (without a trailing "/"), or nothing. Until the window side installs
    // them, both give nothing.
    using NamePrompt = std::function<std::optional<std::string>(const std::string& folder, const std::string& ext)>;
    using FolderChooser =
        std::function<std::optional<std::string>(const std::string& folder, const std::string& title)>;
    static void SetNamePrompt(NamePrompt prompt);
    static void SetFolderChooser(FolderChooser chooser);

    CSettingsListPage(const std::string& folder, const std::string& extension, QWidget* parent = nullptr);

    const std::string& Folder() const { return m_folder; }
    std::string Pattern() const { return m_folder + "*." + m_extension; }
    QListWidget* List() const { return m_list; }
    // The path of the selected entry; empty without a selection.
    std::string SelectedPath() const;
    void FillList();

    void Load();
    void Save();
    void Update();
    void Delete();
    void ChooseFolder();

    void RefreshControls() override;

protected:
    // Reads the file into a temporary and, when complete, into the working data: the
    // reader's result (negative: damaged; the working data stays).
    virtual int ReadInto(const std::string& path) = 0;
    // Writes the working data; false when the file cannot be written.
    virtual bool WriteFrom(const std::string& path) = 0;
    virtual void AfterLoad() = 0;
    virtual void OnEntryClicked(const std::string&) {}

private:
    bool WriteTo(const std::string& path);

    std::string m_folder;
    std::string m_extension;
    QListWidget* m_list;
    QLabel* m_pattern;
};

} // namespace kv
