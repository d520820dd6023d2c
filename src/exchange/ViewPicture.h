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
// width, height and quality and all four are written back. True on OK.
bool ShowImageSaveParms(CRawImage& image, int width, int height, int withQuality);

// Renders the view of `doc` off-screen after the parameter dialog and writes it as `kind`;
// a failed write shows "Error writing file " + path. 0 written, 1 cancelled, negative on
// failure.
int SaveViewPicture(CKVDoc& doc, const std::string& path, int kind);

} // namespace kv
