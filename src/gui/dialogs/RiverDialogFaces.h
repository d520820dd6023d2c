// The windows of Find Rivers' two dialogs over their logic (RiverDialogs.h): the working
// grid's resolution, and the threshold with its live preview, which ends only through OK.
#pragma once

#include "document/RiverDialogs.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSlider;

namespace kv {

class ColorSwatch;

class CRiverEditSizeDlgFace : public QDialog {
    Q_OBJECT
public:
    explicit CRiverEditSizeDlgFace(const CRiverEditSizeDlg& dialog, QWidget* parent = nullptr);

    CRiverEditSizeDlg logic;
    QLineEdit* WidthEdit() const { return m_width; }
    QRadioButton* Radio(int control) const;
    void accept() override;

private:
    void Show();
    QLineEdit* m_width;
};

class CRiverThresholdDlgFace : public QDialog {
    Q_OBJECT
public:
    static constexpr int kHelpButton = 57670;

    // Works on `dialog` itself: it borrows the document's grids and overlays.
    explicit CRiverThresholdDlgFace(CRiverThresholdDlg& dialog, QWidget* parent = nullptr);

    CRiverThresholdDlg& logic;
    QSlider* Slider() const { return m_slider; }
    QCheckBox* PotentialCheck() const { return m_potential; }
    QCheckBox* KeepCheck() const { return m_keep; }
    QLabel* PercentText() const { return m_percent; }
    QLabel* SwatchText() const { return m_swatchText; }
    ColorSwatch* Swatch() const { return m_swatch; }
    // The swatch was clicked.
    void OnSwatchClicked();
    void accept() override;
    // Esc and the close box do nothing.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void ShowState();

    QSlider* m_slider;
    QCheckBox* m_potential;
    QCheckBox* m_keep;
    QLabel* m_percent;
    ColorSwatch* m_swatch;
    QLabel* m_swatchText;
};

} // namespace kv
