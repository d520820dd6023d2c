// The save-file dialogs of the whole-world exports, each with its own controls under the
// file list: the VRML texture width (CVRMLExportDlg), the sphere-map or icosahedral width
// and paper colour (CIcosahedralFileDlg), the spin sequence's size, colour, frames,
// latitude and shading (CMovieDlg). Edits are read whenever their text changes: a text that
// reads as a number replaces the value, any other keeps it. On OK a value above its range
// is brought down to it; values below reach the commands, which raise them.
#pragma once

#include "exchange/ExportDialogs.h"
#include "exchange/SpinSequence.h"
#include "gui/exchange/ExchangeDialogParts.h"

#include <cstdint>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace kv {

class CVRMLExportDlg : public ExtendedSaveDialog {
    Q_OBJECT
public:
    static constexpr int kMinWidth = 64;
    static constexpr int kMaxWidth = 2048;

    CVRMLExportDlg(const QString& fileName, int width, QWidget* parent = nullptr);
    int width;
    QLineEdit* WidthEdit() const { return m_width; }
    void accept() override;

private:
    QLineEdit* m_width;
};

class CIcosahedralFileDlg : public ExtendedSaveDialog {
    Q_OBJECT
public:
    // The two control sets: the icosahedral one has the colour button.
    enum Template : int { kSphereMapTemplate = 0, kIcosahedralTemplate = 1 };

    CIcosahedralFileDlg(const QString& title, int templateId, const WorldImageSettings& settings,
                        QWidget* parent = nullptr);
    int width;
    uint32_t background;
    int templateId;
    // The values after OK: path, width, colour and the file type (the filter index).
    WorldImageSettings Settings() const;

    QLineEdit* WidthEdit() const { return m_width; }
    QPushButton* ColorButton() const { return m_color; }
    void OnColorButton();
    void accept() override;

private:
    bool m_ownFilter;
    QLineEdit* m_width;
    QPushButton* m_color = nullptr;
};

class CMovieDlg : public ExtendedSaveDialog {
    Q_OBJECT
public:
    CMovieDlg(const SpinSettings& settings, QWidget* parent = nullptr);
    uint32_t background;
    int size;
    int frames;
    float latitude;
    bool shaded;
    // The values after OK, with the chosen path.
    SpinSettings Settings() const;

    QLineEdit* SizeEdit() const { return m_size; }
    QLineEdit* FramesEdit() const { return m_frames; }
    QLineEdit* LatitudeEdit() const { return m_latitude; }
    QCheckBox* ShadedCheck() const { return m_shaded; }
    QPushButton* ColorButton() const { return m_color; }
    void OnColorButton();
    void accept() override;

private:
    QLineEdit* m_size;
    QLineEdit* m_frames;
    QLineEdit* m_latitude;
    QCheckBox* m_shaded;
    QPushButton* m_color;
};

} // namespace kv
