// "Edit Parameters" of a plug-in noise source: roughness, lacunarity, octaves and the
// source's own extra values (only those its extras mask names).
#pragma once

#include "document/DocumentServices.h"

#include <QDialog>

class QLabel;
class QLineEdit;

namespace kv {

class CEditWorldFParmsDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr double kMinLacunarity = 0.0, kMaxLacunarity = 12.0;
    static constexpr const char* kLacunarityMessage = "Lacunarity must be greater than 0.";
    static constexpr double kMinOctaves = 1.0, kMaxOctaves = 20.0;

    explicit CEditWorldFParmsDlg(const FractalParmsValues& values, QWidget* parent = nullptr);

    // A record with the defaults: size 128, H 1, lacunarity 2, octaves 12, point 0,
    // seed 12345, octave mask -1, extras 0.
    static TexParms DefaultParms();

    FractalParmsValues values;
    QLineEdit* HEdit() const { return m_h; }
    QLineEdit* LacunarityEdit() const { return m_lacunarity; }
    QLineEdit* OctavesEdit() const { return m_octaves; }
    QLineEdit* ExtraEdit(int i) const { return m_extras[i]; }
    QLabel* ExtraLabel(int i) const { return m_extraLabels[i]; }
    void accept() override;

private:
    QLineEdit* m_h;
    QLineEdit* m_lacunarity;
    QLineEdit* m_octaves;
    QLineEdit* m_extras[kTexExtraCount];
    QLabel* m_extraLabels[kTexExtraCount];
};

} // namespace kv
