// "Background Settings": the hatch pattern and the two colours the map view shows where
// nothing is drawn, with a preview.
#pragma once

#include "document/DocumentServices.h"

#include <QDialog>

namespace kv {

class ColorSwatch;

// A rectangle filled with one of the view's hatch styles.
class HatchSwatch : public QWidget {
    Q_OBJECT
public:
    HatchSwatch(int style, uint32_t lineColour, uint32_t background, QWidget* parent = nullptr);
    void Set(int style, uint32_t lineColour, uint32_t background);
    int Style() const { return m_style; }
    // What the swatch paints, at its size.
    QImage Picture() const;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    int m_style;
    uint32_t m_line;
    uint32_t m_background;
};

class CBackgroundDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kPatternCount = 6;
    static constexpr int kFirstPatternControl = 5257;

    explicit CBackgroundDlg(const BackgroundValues& values, QWidget* parent = nullptr);

    BackgroundValues values;
    HatchSwatch* Pattern(int index) const { return m_patterns[index]; }
    ColorSwatch* Foreground() const { return m_foreground; }
    ColorSwatch* Background() const { return m_background; }
    HatchSwatch* Preview() const { return m_preview; }

    void OnPatternClicked(int index);
    // Picks the colour (Shift held: the system colour dialog, else the palette picker).
    void OnColorClicked(bool foreground);

private:
    void Repaint();

    HatchSwatch* m_patterns[kPatternCount];
    ColorSwatch* m_foreground;
    ColorSwatch* m_background;
    HatchSwatch* m_preview;
};

} // namespace kv
