// "Image Data": the bounds and window of an image data surface. The file is chosen
// elsewhere (its name is shown as a label); the opacity slider is hidden.
#pragma once

#include <QDialog>

#include <cstdint>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSlider;

namespace kv {

class CBinaryPictureDlg : public QDialog {
    Q_OBJECT
public:
    explicit CBinaryPictureDlg(QWidget* parent = nullptr);

    std::string fileName;
    double north = 0.0;
    double south = 0.0;
    double west = 0.0;
    double east = 0.0;
    int32_t xStart = 0;
    int32_t yStart = 0;
    int32_t width = 0;
    int32_t height = 0;
    bool shaded = false;

    void RefreshControls();
    bool ReadControls();
    void showEvent(QShowEvent* event) override;
    void accept() override;

    QLabel* FileNameLabel() const { return m_fileName; }
    QLineEdit* TopEdit() const { return m_north; }
    QLineEdit* BottomEdit() const { return m_south; }
    QLineEdit* LeftEdit() const { return m_west; }
    QLineEdit* RightEdit() const { return m_east; }
    QLineEdit* XStartEdit() const { return m_xStart; }
    QLineEdit* YStartEdit() const { return m_yStart; }
    QLineEdit* WidthEdit() const { return m_width; }
    QLineEdit* HeightEdit() const { return m_height; }
    QCheckBox* ShadedCheck() const { return m_shaded; }
    QSlider* OpacitySlider() const { return m_opacity; }

private:
    QLabel* m_fileName;
    QLineEdit* m_north;
    QLineEdit* m_south;
    QLineEdit* m_west;
    QLineEdit* m_east;
    QLineEdit* m_xStart;
    QLineEdit* m_yStart;
    QLineEdit* m_width;
    QLineEdit* m_height;
    QCheckBox* m_shaded;
    QSlider* m_opacity;
    QLabel* m_opacityLabels[3];
};

} // namespace kv
