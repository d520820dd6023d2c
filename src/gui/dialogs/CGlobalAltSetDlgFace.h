// "Global Altitude Set": a value with its unit and the samples taken per grid cell.
#pragma once

#include "document/TerrainDialogs.h"

#include <QDialog>

class QLabel;
class QLineEdit;

namespace kv {

class CGlobalAltSetDlgFace : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMinSamples = 1, kMaxSamples = 32;

    explicit CGlobalAltSetDlgFace(const CGlobalAltSetDlg& dialog, QWidget* parent = nullptr);

    CGlobalAltSetDlg logic;
    QLineEdit* SamplesEdit() const { return m_samples; }
    QLineEdit* ValueEdit() const { return m_value; }
    void accept() override;

private:
    QLineEdit* m_samples;
    QLineEdit* m_value;
};

} // namespace kv
