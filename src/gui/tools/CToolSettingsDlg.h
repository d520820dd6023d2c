// "Tool Settings" (template 620): the paint tools' amounts, the four brush size presets, the
// crater distance and the water level, with "Default..." (5101) and the unit labels of the
// document's metric setting.
#pragma once

#include "view/ToolSettings.h"

#include <QDialog>

class QLineEdit;

namespace kv {

class CToolSettingsDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 620;
    static constexpr int kDefaultButtonId = 5101;

    CToolSettingsDlg(const ToolSettingsValues& values, bool metric, QWidget* parent = nullptr);

    // The values read on OK.
    const ToolSettingsValues& Values() const { return m_values; }
    void SetDefaults();
    // Reads every control; false (with a message, the dialog stays open) at the first that
    // does not read or lies outside its range.
    bool ReadControls();
    void accept() override;

private:
    void Fill(const ToolSettingsValues& v);

    ToolSettingsValues m_values;
    bool m_metric;
    QLineEdit *m_temperature, *m_offset, *m_prescale, *m_rainfall, *m_roughness;
    QLineEdit *m_lg, *m_sm, *m_xl, *m_xs, *m_crater, *m_water;
};

} // namespace kv
