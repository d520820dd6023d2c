// "Special MDR Export": the width of a whole-world raster in samples and its 16-bit choice.
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace kv {

class CSuperMDRDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxWidth = 1000000;

    explicit CSuperMDRDlg(const QString& caption = "Special MDR Export", QWidget* parent = nullptr);

    int width = 0;
    bool sixteenBit = false;

    void showEvent(QShowEvent* event) override;
    void accept() override;

    QLineEdit* WidthEdit() const { return m_width; }
    QCheckBox* SixteenBitCheck() const { return m_sixteenBit; }

private:
    QLineEdit* m_width;
    QCheckBox* m_sixteenBit;
};

} // namespace kv
