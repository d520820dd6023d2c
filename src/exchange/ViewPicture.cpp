#include "exchange/ViewPicture.h"

#include "base/AppSettings.h"
#include "base/MessageService.h"
#include "document/CKVDoc.h"
#include "projection/ProjectionParms.h"
#include "exchange/ExportCommon.h"
#include "view/CRawImage.h"
#include "world/SurfaceSampler.h"

#include <algorithm>

namespace kv {

namespace {

constexpr int kMaxPictureSide = 65500;

} // namespace

bool ShowImageSaveParms(CRawImage& image, int width, int height, int withQuality)
{
    const AppSettings& profile = GetAppSettings();
    ImageSaveParms parms;
    parms.height = profile.GetInt("Info", "ImgH", height);
    parms.width = profile.GetInt("Info", "ImgW", width);
    parms.keepProportions = profile.GetInt("Info", "ImgP", 0);
    parms.quality = profile.GetInt("Info", "ImgQ", CRawImage::kDefaultQuality);
    parms.mainWidth = width;
    parms.mainHeight = height;
    if (!GetExportDialogs().ImageSaveParameters(parms, withQuality))
        return false;
    if (parms.width < 1 || parms.width > kMaxPictureSide || parms.height < 1 || parms.height > kMaxPictureSide) {
        ShowMessage("The picture's width and height must lie between 1 and " + std::to_string(kMaxPictureSide) +
                    " pixels.");
        return false;
    }
    image.SetSize(parms.width, parms.height);
    image.SetQuality(parms.quality);
    profile.WriteInt("Info", "ImgH", parms.height);
    profile.WriteInt("Info", "ImgW", parms.width);
    profile.WriteInt("Info", "ImgP", parms.keepProportions);
    profile.WriteInt("Info", "ImgQ", parms.quality);
    return true;
}

double PictureScale(int viewWidth, int viewHeight, double viewScale, int width, int height)
{
    if (viewWidth < 1 || viewHeight < 1 || width < 1 || height < 1)
        return viewScale;
    // Map units per pixel of the view, and what the picture needs to hold the view's
    // window whole in both directions.
    const double perPixel = viewScale / (std::min(viewWidth, viewHeight) * 0.5);
    const double needed = std::max(perPixel * viewWidth / width, perPixel * viewHeight / height);
    return needed * std::min(width, height) * 0.5;
}

int SaveViewPicture(CKVDoc& doc, const std::string& path, int kind)
{
    SurfaceSampler* sampler = doc.GetSampler();
    if (sampler == nullptr || sampler->Projection() == nullptr)
        return -1;
    CRawImage image(sampler);
    image.SetSampler(sampler);
    const int withQuality = kind == kViewJpeg || kind == kViewPng ? 1 : 0;
    if (!ShowImageSaveParms(image, sampler->Width(), sampler->Height(), withQuality))
        return 1;
    // The view's window, centred and scaled to the picture.
    ProjectionParms projection(*sampler->Projection());
    projection.SetScale(PictureScale(sampler->Width(), sampler->Height(), projection.GetScale(), image.GetWidth(),
                                     image.GetHeight()));
    image.SetProjection(&projection);
    int result = -1;
    switch (kind) {
    case kViewBmp: result = image.SaveBMP(path, true); break;
    case kViewJpeg: result = image.SaveJPEG(path, true); break;
    case kViewPng: result = image.SavePNG(path, true); break;
    case kViewMdr: result = image.SaveMDR(path); break;
    default: break;
    }
    if (result < 0)
        ShowMessage(kErrorWritingFile + path);
    return result < 0 ? result : 0;
}

} // namespace kv
