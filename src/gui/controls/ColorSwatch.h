// A swatch: a rectangle filled with a colour (0x00BBGGRR) that reports left clicks to its
// owner, which decides what a click does (the colour patch picks by itself instead).
#pragma once

#include <QWidget>

#include <cstdint>

namespace kv {

class ColorSwatch : public QWidget {
    Q_OBJECT
public:
    explicit ColorSwatch(QWidget* parent = nullptr, uint32_t colour = 0);

    uint32_t Color() const { return m_colour; }
    void SetColor(uint32_t colour);

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    uint32_t m_colour;
};

} // namespace kv
