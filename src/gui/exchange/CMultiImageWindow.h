// The Multiple Image Export dialog's window over its model (exchange/CMultiImageDlg.h),
// and the atlas services the program installs: this dialog, the definition chooser and
// the Multiple Files command's exporter.
#pragma once

#include "exchange/CMultiImageDlg.h"

#include <QDialog>

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QSpinBox;

namespace kv {

class CMultiImageWindow : public QDialog {
    Q_OBJECT
public:
    explicit CMultiImageWindow(const MultiMapSettings& settings, QWidget* parent = nullptr);

    CMultiImageDlg& Model() { return m_model; }
    // The settings OK took (valid after Accepted).
    const MultiMapSettings& Result() const { return m_result; }
    QLabel* TotalLabel() const { return m_total; }
    QSpinBox* WideBox(int level) const { return m_wide[level]; }

    void accept() override;

private:
    void ReadControls();
    void Show();

    CMultiImageDlg m_model;
    MultiMapSettings m_result;
    bool m_showing = false;
    QCheckBox* m_drawings;
    QCheckBox* m_pictures;
    QCheckBox* m_pages;
    QCheckBox* m_onlyLand;
    QCheckBox* m_viewBasis;
    QCheckBox* m_perLevel;
    QSlider* m_slider;
    QLabel* m_total;
    QLabel* m_definition;
    QLabel* m_number[CMultiImageDlg::kLevels];
    QSpinBox* m_wide[CMultiImageDlg::kLevels];
    QSpinBox* m_high[CMultiImageDlg::kLevels];
    QDoubleSpinBox* m_overlap[CMultiImageDlg::kLevels];
    QSpinBox* m_resolution[CMultiImageDlg::kLevels];
    QCheckBox* m_links[CMultiImageDlg::kLevels];
    QPushButton* m_file[CMultiImageDlg::kLevels];
    QLineEdit* m_folder;
};

// Installs the window's multiple-image dialog, the definition chooser over the export
// folder, the Multiple Files exporter and the two-bar progress of several-step operations.
void InstallAtlasServices();

} // namespace kv
