// "Color to Altitude Correspondence": one colour-to-altitude entry (altitudes in the
// display units the caller gives).
#pragma once

#include "document/AltColor.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;

namespace kv {

class CPatchWnd;

class CAltColorSingleDlg : public QDialog {
    Q_OBJECT
public:
    CAltColorSingleDlg(const AltColor& entry, bool metric, QWidget* parent = nullptr);

    AltColor entry;
    CPatchWnd* Patch() const { return m_patch; }
    QLineEdit* AltitudeEdit() const { return m_altitude; }
    QLineEdit* SecondEdit() const { return m_second; }
    QLineEdit* RoughnessEdit() const { return m_roughness; }
    QLineEdit* ExponentEdit() const { return m_exponent; }
    QComboBox* KindList() const { return m_kind; }
    QLabel* AltitudeLabel() const { return m_altitudeLabel; }
    QLabel* SecondLabel() const { return m_secondLabel; }
    void accept() override;

private:
    void OnKindChanged();

    CPatchWnd* m_patch;
    QLineEdit* m_altitude;
    QLineEdit* m_second;
    QLineEdit* m_roughness;
    QLineEdit* m_exponent;
    QComboBox* m_kind;
    QLabel* m_altitudeLabel;
    QLabel* m_secondLabel;
    QLabel* m_exponentLabel;
};

} // namespace kv
