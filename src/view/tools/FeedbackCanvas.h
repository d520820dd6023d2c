// Where tools draw their feedback over the map: outlines, rings, rubber bands and brush
// outlines in XOR (a white dotted pen one pixel wide), erased by drawing them again, and
// the zoom marquee as a focus rectangle (also XOR). Coordinates are view pixels; a
// rectangle runs from (left, top) up to but not including (right, bottom).
#pragma once

namespace kv {

class FeedbackCanvas {
public:
    virtual ~FeedbackCanvas() = default;
    virtual void XorLine(int x0, int y0, int x1, int y1) = 0;
    virtual void XorRectangle(int left, int top, int right, int bottom) = 0;
    virtual void XorEllipse(int left, int top, int right, int bottom) = 0;
    virtual void FocusRectangle(int left, int top, int right, int bottom) = 0;
};

} // namespace kv
