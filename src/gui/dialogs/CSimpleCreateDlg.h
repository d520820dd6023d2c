// "Simple Create Mode": the seven altitudes of the conversion (in display units), the
// "Climates Only" switch and, behind "Quality Settings...", the working image resolution and
// the per-sample quality, chosen on two sliders from their tables.
#pragma once

#include "document/SimpleCreate.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSlider;

namespace kv {

class CSimpleCreateQualityDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTemplate = 3004;
    CSimpleCreateQualityDlg(int resolution, int rays, QWidget* parent = nullptr);

    int resolution;
    int rays;
    QSlider* ResolutionSlider() const { return m_resolution; }
    QSlider* RaysSlider() const { return m_rays; }
    QLabel* ResolutionLabel() const { return m_resolutionLabel; }
    QLabel* RaysLabel() const { return m_raysLabel; }
    void accept() override;

private:
    void Relabel();

    QSlider* m_resolution;
    QSlider* m_rays;
    QLabel* m_resolutionLabel;
    QLabel* m_raysLabel;
};

class CSimpleCreateDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTemplate = 3003;
    explicit CSimpleCreateDlg(const SimpleCreateSettings& values, QWidget* parent = nullptr);

    SimpleCreateSettings values;
    // The altitude edits: peak, mountain base, hill top, hill base, shallow, abyss, trench.
    static constexpr int kEdits = 7;
    QLineEdit* Edit(int index) const { return m_edits[index]; }
    QCheckBox* ClimatesOnlyCheck() const { return m_climatesOnly; }
    void OpenQuality();
    void accept() override;

private:
    QLineEdit* m_edits[kEdits];
    QCheckBox* m_climatesOnly;
};

} // namespace kv
