// The current view saved as a picture or an MDR raster (types 2 to 5 of Save As), and the
// Image Save Parameters the picture takes its size and quality from.
#pragma once

#include "exchange/ExportDialogs.h"

#include <string>

namespace kv {

class CKVDoc;
class CRawImage;

enum ViewPictureKind : int { kViewBmp = 0, kViewJpeg = 1, kViewPng = 2, kViewMdr = 3 };

// The Image Save Parameters dialog for `image` with the defaults `width` x `height`: the
// values start from profile section "Info" (ImgH, ImgW, ImgP, ImgQ); on OK the image takes
// width, height and quality and all four are written back. True on OK; a width or height
// outside 1..65500 pixels is refused with a message (false, nothing kept).
bool ShowImageSaveParms(CRawImage& image, int width, int height, int withQuality);

// The map scale that shows a view's window (viewWidth x viewHeight pixels at viewScale)
// whole and centred in a picture of width x height: the view's own scale for a picture
// of the view's proportions, larger for one of other proportions.
double PictureScale(int viewWidth, int viewHeight, double viewScale, int width, int height);

// Renders the view of `doc` off-screen after the parameter dialog and writes it as `kind`;
// a failed write shows "Error writing file " + path. 0 written, 1 cancelled, negative on
// failure.
int SaveViewPicture(CKVDoc& doc, const std::string& path, int kind);

} // namespace kv
