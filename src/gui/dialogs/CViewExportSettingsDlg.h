// "View Export Settings": the output folder, the PW2 drawings with their export definition,
// the JPEG images with their size, and the two conditions. Edits a copy of the settings.
#pragma once

#include "view/SavedViewExport.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace kv {

class CViewExportSettingsDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 622;

    // Ticking "Generate PW2 Files" asks for the export definition at once (the definition
    // chooser service); cancelling it unticks the box.
    explicit CViewExportSettingsDlg(const ViewExportSettings& settings, QWidget* parent = nullptr);
    // The values of the controls.
    ViewExportSettings Settings() const;

    QLineEdit* DirectoryEdit() const { return m_directory; }
    QCheckBox* PW2Box() const { return m_pw2; }
    QCheckBox* JpegBox() const { return m_jpeg; }
    QCheckBox* LandBox() const { return m_land; }
    QCheckBox* BasisBox() const { return m_basis; }
    QLabel* DefinitionLabel() const { return m_definition; }
    QSpinBox* SizeBox() const { return m_size; }

private:
    ViewExportSettings m_settings;
    QLineEdit* m_directory;
    QCheckBox* m_pw2;
    QLabel* m_definition;
    QCheckBox* m_jpeg;
    QCheckBox* m_land;
    QCheckBox* m_basis;
    QSpinBox* m_size;
};

} // namespace kv
