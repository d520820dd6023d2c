// The window of "Add Noise" over the command's record (CNoiseDataDlg): the noise's type,
// mean, variance, the value it leaves alone and its seed; with "Auto Randseed" (kept in
// the profile) every opening draws a new seed.
#pragma once

#include "document/TerrainDialogs.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace kv {

class CNoiseDataDlgFace : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kSection = "Settings";
    static constexpr const char* kAutoRandseedKey = "AutoRandseed";

    explicit CNoiseDataDlgFace(const CNoiseDataDlg& dialog, QWidget* parent = nullptr);

    CNoiseDataDlg logic;
    bool autoRandseed = true;

    QComboBox* TypeList() const { return m_type; }
    QLineEdit* MeanEdit() const { return m_mean; }
    QLineEdit* VarianceEdit() const { return m_variance; }
    QLineEdit* ExceptEdit() const { return m_except; }
    QLineEdit* SeedEdit() const { return m_seed; }
    QCheckBox* AutoRandseedCheck() const { return m_auto; }
    void accept() override;

    // A seed from the program's generator seeded from the clock.
    static int DrawSeed();

private:
    void OnAutoClicked();
    void Show();

    QComboBox* m_type;
    QLineEdit* m_mean;
    QLineEdit* m_variance;
    QLineEdit* m_except;
    QLineEdit* m_seed;
    QCheckBox* m_auto;
};

} // namespace kv
