// The tools' feedback canvas over the window's screen image: XOR with a white dotted pen
// one pixel wide (drawing the same figure twice restores the image), and the focus
// rectangle (also XOR, dotted).
#pragma once

#include "view/tools/FeedbackCanvas.h"

#include <QRect>

class QImage;

namespace kv {

class FeedbackImageCanvas : public FeedbackCanvas {
public:
    explicit FeedbackImageCanvas(QImage& screen) : m_screen(screen) {}
    void XorLine(int x0, int y0, int x1, int y1) override;
    void XorRectangle(int left, int top, int right, int bottom) override;
    void XorEllipse(int left, int top, int right, int bottom) override;
    void FocusRectangle(int left, int top, int right, int bottom) override;
    // The area touched so far (to repaint).
    QRect Touched() const { return m_touched; }

private:
    QImage& m_screen;
    QRect m_touched;
};

} // namespace kv
