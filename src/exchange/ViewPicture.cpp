#include "exchange/ViewPicture.h"

#include "base/AppSettings.h"
#include "base/MessageService.h"
#include "document/CKVDoc.h"
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
    image.SetSize(std::clamp(parms.width, 1, kMaxPictureSide), std::clamp(parms.height, 1, kMaxPictureSide));
    image.SetQuality(parms.quality);
    profile.WriteInt("Info", "ImgH", parms.height);
    profile.WriteInt("Info", "ImgW", parms.width);
    profile.WriteInt("Info", "ImgP", parms.keepProportions);
    profile.WriteInt("Info", "ImgQ", parms.quality);
    return true;
}

int SaveViewPicture(CKVDoc& doc, const std::string& path, int kind)
{
    SurfaceSampler* sampler = doc.GetSampler();
    if (sampler == nullptr)
        return -1;
    CRawImage image(sampler);
    image.SetSampler(sampler);
    const int withQuality = kind == kViewJpeg || kind == kViewPng ? 1 : 0;
    if (!ShowImageSaveParms(image, sampler->Width(), sampler->Height(), withQuality))
        return 1;
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
