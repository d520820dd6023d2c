// The Preferences dialog (template 612) and the edit that runs it over the profile.
#pragma once

#include "gui/app/Preferences.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSlider;

namespace kv {

class AppSettings;

class CPreferencesDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 612;
    static constexpr const char* kCompatibilityWarning =
        "Enabling this feature will likely lead to computational\nproblems on multi-processor systems and may cause\n"
        "computational issues on single processor systems.";
    static constexpr const char* kShadingMessage =
        "Limiting the maximum displayed resolution will cause\nscreen shading to be disabled.\nSet to 2048 to return shading.";

    explicit CPreferencesDlg(const Preferences& prefs, QWidget* parent = nullptr);

    // The values as the controls hold them (after a successful OK).
    const Preferences& Values() const { return m_prefs; }

    // Controls by their ids (tests fill them).
    QCheckBox* Check(int id) const;
    QLineEdit* Edit(int id) const;
    QSlider* RateSlider() const { return m_rate; }
    QLabel* RateReadout() const { return m_rateText; }

    // Reads and checks the controls; false (with the range message) when one is out of range.
    bool ReadControls();

public slots:
    void accept() override;

private:
    Preferences m_prefs;
    QCheckBox* m_remember;
    QCheckBox* m_zoomStyle;
    QCheckBox* m_reloadWorld;
    QCheckBox* m_reloadSettings;
    QCheckBox* m_coarse;
    QCheckBox* m_compat;
    QSlider* m_rate;
    QLabel* m_rateText;
    QLineEdit* m_xs;
    QLineEdit* m_ys;
    QLineEdit* m_ri;
};

// Re-reads the record from the profile, runs the dialog; on OK copies the values into
// `prefs`, writes them and broadcasts view update hint 12. Returns the dialog's result.
// `run` lets tests drive the dialog instead of exec (it returns the result).
int EditPreferences(Preferences& prefs, const AppSettings& profile, QWidget* parent,
                    int (*run)(CPreferencesDlg&) = nullptr);

} // namespace kv
