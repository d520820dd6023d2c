// The paint tools' option panel (template 342): width 5578, height 5583, value 5551 (display
// units), operation 5688 ("Value", "Raise", "Lower"), auto-rotate 5635, and the brush presets
// (5636) of the presets folder with "&Save..." and the folder chooser "&...".
#pragma once

#include "view/tools/ToolOptionsBar.h"

#include <QWidget>

#include <functional>
#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace kv {

class ToolPaint;

class CToolbarPaintbrush : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 342;
    // The file and folder questions; tests answer them (empty: cancelled).
    using AskPath = std::function<std::string(const std::string& proposed)>;
    static AskPath& SaveDialog();
    static AskPath& FolderDialog();

    CToolbarPaintbrush(ToolPaint& tool, QWidget* parent = nullptr);

    void Show(const PaintbrushFields& fields);
    bool Read(PaintbrushFields& fields) const;

    // A user's choice in the presets list.
    void ChoosePreset(const QString& name);
    void OnSave();
    void OnChooseFolder();
    // Refills the list from the folder and selects `name`.
    void FillPresets(const std::string& name);

    QComboBox* Presets() const { return m_presets; }
    const std::string& Folder() const { return m_folder; }
    const std::string& PresetName() const { return m_name; }

private:
    ToolPaint& m_tool;
    QLineEdit* m_width = nullptr;
    QLineEdit* m_height = nullptr;
    QLineEdit* m_value = nullptr;
    QComboBox* m_operation = nullptr;
    QCheckBox* m_autoRotate = nullptr;
    QComboBox* m_presets = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_folderButton = nullptr;
    std::string m_folder;
    std::string m_name;
};

} // namespace kv
