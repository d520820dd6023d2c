// "Edit Image Overlay": edits a working copy of one overlay, imports colour and opacity
// images into it and exports it as a PNG picture. Cancel leaves the copy's owner unchanged.
#pragma once

#include "base/layers/ImageOverlay.h"
#include "document/OverlayListActions.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSlider;

namespace kv {

class CImageOverlayEditDlg : public QDialog {
    Q_OBJECT
public:
    explicit CImageOverlayEditDlg(QWidget* parent = nullptr);

    // The working copy; set it, then call LoadControls (exec does) and read it after OK.
    ImageOverlay copy;

    void LoadControls();
    // Validates and stores the controls into the copy; false (message shown) when refused.
    bool StoreControls();
    void OnImportColor();
    void OnImportOpacity();
    void OnExport();
    void UpdateEnabling();

    void accept() override;
    int exec() override;

    QCheckBox* VisibleCheck() const { return m_visible; }
    QLineEdit* NameEdit() const { return m_name; }
    QLineEdit* WidthEdit() const { return m_width; }
    QLineEdit* HeightEdit() const { return m_height; }
    QSlider* OpacitySlider() const { return m_opacity; }
    QLabel* OpacityText() const { return m_opacityText; }
    QComboBox* ModeList() const { return m_mode; }
    QLineEdit* TopEdit() const { return m_north; }
    QLineEdit* LeftEdit() const { return m_west; }
    QLineEdit* RightEdit() const { return m_east; }
    QLineEdit* BottomEdit() const { return m_south; }
    QCheckBox* ScreenCheck() const { return m_screen; }
    QLineEdit* AltitudeEdit(int index) const { return m_alt[index]; }
    QLabel* UnitLabel(int index) const { return m_unit[index]; }

private:
    QCheckBox* m_visible;
    QLineEdit* m_name;
    QLineEdit* m_width;
    QLineEdit* m_height;
    QSlider* m_opacity;
    QLabel* m_opacityText;
    QComboBox* m_mode;
    QLineEdit* m_north;
    QLineEdit* m_west;
    QLineEdit* m_east;
    QLineEdit* m_south;
    QCheckBox* m_screen;
    QLineEdit* m_alt[4];
    QLabel* m_altLabel[4];
    QLabel* m_unit[4];
};

// The modal editor as the list's actions use it.
class OverlayEditDialogRunner : public OverlayEditor {
public:
    explicit OverlayEditDialogRunner(QWidget* parent) : m_parent(parent) {}
    bool Edit(ImageOverlay& copy) override;

private:
    QWidget* m_parent;
};

} // namespace kv
