// "Image Save Parameters": the size of a saved image, optionally in the main window's
// proportions, and the JPEG quality.
#pragma once

#include "document/DocumentServices.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QSlider;

namespace kv {

class CImageSaveParmsDlg : public QDialog {
    Q_OBJECT
public:
    explicit CImageSaveParmsDlg(const ImageSaveValues& values, QWidget* parent = nullptr);

    ImageSaveValues values;
    QLineEdit* WidthEdit() const { return m_width; }
    QLineEdit* HeightEdit() const { return m_height; }
    QCheckBox* KeepCheck() const { return m_keep; }
    QSlider* QualitySlider() const { return m_quality; }
    void accept() override;

    // The proportions check was toggled.
    void OnKeepToggled();

private:
    QLineEdit* m_width;
    QLineEdit* m_height;
    QCheckBox* m_keep;
    QSlider* m_quality;
};

} // namespace kv
