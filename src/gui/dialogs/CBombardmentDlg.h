// "Planetary Bombardment": how many craters, their sizes (in km, or miles when the units are
// imperial), how they are spread and how often the offset is smoothed between them.
#pragma once

#include "document/Craters.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace kv {

class CBombardmentDlg : public QDialog {
    Q_OBJECT
public:
    explicit CBombardmentDlg(const BombardmentSettings& values, QWidget* parent = nullptr);

    BombardmentSettings values;
    QLineEdit* CountEdit() const { return m_count; }
    QLineEdit* LargestEdit() const { return m_largest; }
    QLineEdit* SmallestEdit() const { return m_smallest; }
    QLineEdit* SmoothEdit() const { return m_smooth; }
    QLineEdit* IntervalEdit() const { return m_interval; }
    QLineEdit* ExponentEdit() const { return m_exponent; }
    QCheckBox* LargestFirstCheck() const { return m_largestFirst; }
    void accept() override;

private:
    QLineEdit* m_count;
    QLineEdit* m_largest;
    QLineEdit* m_smallest;
    QLineEdit* m_smooth;
    QLineEdit* m_interval;
    QLineEdit* m_exponent;
    QCheckBox* m_largestFirst;
};

} // namespace kv
