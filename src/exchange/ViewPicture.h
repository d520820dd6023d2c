// The current view saved as a picture or an MDR raster (types 2 to 5 of Save As), and the
// Image Save Parameters the picture takes its size and quality from.
#pragma once

#include "exchange/ExportDialogs.h"
#include "projection/ProjectionParms.h"

#include <string>

namespace kv {

class CKVDoc;
class CRawImage;

// A rectangle in a projection's map units (x to the right, y up), as the pixels of a view
// or picture take them: a picture's shorter side spans twice the projection's scale about
// its centre pixel.
struct MapRectangle {
    double left = 0.0, right = 0.0, bottom = 0.0, top = 0.0;
    bool Empty() const { return !(left < right && bottom < top); }
    double Width() const { return right - left; }
    double Height() const { return top - bottom; }
};

// The bounding rectangle of the points of the world the projection shows (empty when it
// shows none), from the world's points every half degree.
MapRectangle WholeMapRectangle(const ProjectionParms& projection);
// The part of a window of width x height pixels at the projection's scale that shows the
// map; the whole window when none of it does.
MapRectangle ShownMapRectangle(const ProjectionParms& projection, int width, int height);
// The scale at which `rect` is seen whole and centred in a picture of width x height.
double FitScale(const MapRectangle& rect, int width, int height);
// `projection` with its offset moved so that the centre of `rect` is a picture's centre,
// at `scale`.
ProjectionParms CentredOn(const ProjectionParms& projection, const MapRectangle& rect, double scale);

enum ViewPictureKind : int { kViewBmp = 0, kViewJpeg = 1, kViewPng = 2, kViewMdr = 3 };

// The Image Save Parameters dialog for `image` with the defaults `width` x `height`: the
// values start from profile section "Info" (ImgH, ImgW, ImgP, ImgQ); on OK the image takes
// width, height and quality and all four are written back. True on OK; a width or height
// outside 1..65500 pixels is refused with a message (false, nothing kept).
bool ShowImageSaveParms(CRawImage& image, int width, int height, int withQuality);

// Renders the view of `doc` off-screen after the parameter dialog and writes it as `kind`:
// the part of the view's window that shows the map, whole and centred in the picture;
// a failed write shows "Error writing file " + path. 0 written, 1 cancelled, negative on
// failure.
int SaveViewPicture(CKVDoc& doc, const std::string& path, int kind);

} // namespace kv
