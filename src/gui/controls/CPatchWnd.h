// A colour patch: a small control showing a colour (0x00BBGGRR); a click lets the user
// change it through the colour chooser (Shift held: the system colour dialog, else the
// palette picker) and tells the parent.
#pragma once

#include <QWidget>

#include <cstdint>

namespace kv {

class CPatchWnd : public QWidget {
    Q_OBJECT
public:
    explicit CPatchWnd(QWidget* parent = nullptr, uint32_t colour = 0);

    uint32_t Color() const { return m_colour; }
    void SetColor(uint32_t colour);

    // The fill and outline as painted: lighter while disabled, each channel
    // (3 x button face + colour) / 4 and the outline 3/4 of the button face.
    uint32_t FillColor() const;
    uint32_t OutlineColor() const;

    // The click: opens the chooser; true when a colour was chosen (then `colorChosen`).
    bool Pick();

signals:
    // A colour was chosen: the parent's notice, with the patch.
    void colorChosen(kv::CPatchWnd* patch);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    uint32_t m_colour;
};

} // namespace kv
