// The tools' feedback canvas over the window's screen image: XOR with a white dotted pen
// one pixel wide (drawing the same figure twice restores the image), and the focus
// rectangle (also XOR, dotted).
#pragma once

#include "view/tools/FeedbackCanvas.h"

#include <QRect>

#include <functional>

class QImage;

namespace kv {

class FeedbackImageCanvas : public FeedbackCanvas {
public:
    // `drawn`, when given, is called after every figure drawn.
    explicit FeedbackImageCanvas(QImage& screen, std::function<void()> drawn = {})
        : m_screen(screen), m_drawn(std::move(drawn))
    {
    }
    void XorLine(int x0, int y0, int x1, int y1) override;
    void XorRectangle(int left, int top, int right, int bottom) override;
    void XorEllipse(int left, int top, int right, int bottom) override;
    void FocusRectangle(int left, int top, int right, int bottom) override;
    void XorPolyline(const std::vector<FeedbackPoint>& points) override;
    void XorSolidLine(int x0, int y0, int x1, int y1, int width) override;
    // The area touched so far (to repaint).
    QRect Touched() const { return m_touched; }

private:
    void Touch(const QRect& area);

    QImage& m_screen;
    QRect m_touched;
    std::function<void()> m_drawn;
};

} // namespace kv
