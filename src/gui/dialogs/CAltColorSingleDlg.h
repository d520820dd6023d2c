// "Color to Altitude Correspondence": edits one colour-to-altitude entry, with a swatch that
// opens the system colour dialog when clicked.
#pragma once

#include "document/AltColor.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;

namespace kv {

class CAltColorSingleDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAltColorSingleDlg(QWidget* parent = nullptr);

    // The entry shown (altitudes in display units); read it after OK.
    AltColor entry;

    void LoadControls();
    // False (message shown) when an edit is refused.
    bool StoreControls();
    // Enabling, labels, swatch and hex text for the current type.
    void Redraw();
    void OnTypeChanged();
    // The swatch click: the system colour dialog from the current colour.
    void OnSwatchClicked();

    void accept() override;
    int exec() override;

    QLabel* Swatch() const { return m_swatch; }
    QLabel* HexText() const { return m_hex; }
    QLineEdit* AltitudeEdit() const { return m_altitude; }
    QLineEdit* MaxEdit() const { return m_max; }
    QLabel* AltitudeLabel() const { return m_altitudeLabel; }
    QLabel* MaxLabel() const { return m_maxLabel; }
    QComboBox* TypeList() const { return m_type; }
    QLineEdit* RoughnessEdit() const { return m_roughness; }
    QLineEdit* ExponentEdit() const { return m_exponent; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* m_swatch;
    QLabel* m_hex;
    QLineEdit* m_altitude;
    QLineEdit* m_max;
    QLabel* m_altitudeLabel;
    QLabel* m_maxLabel;
    QComboBox* m_type;
    QLineEdit* m_roughness;
    QLineEdit* m_exponent;
};

// AltColor::Edit's editor: the dialog above.
class AltColorDialogEditor : public AltColorEditor {
public:
    int Edit(AltColor& shown, bool metric) override;
};
void InstallAltColorEditor();

} // namespace kv
