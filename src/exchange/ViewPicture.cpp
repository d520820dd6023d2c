#include "exchange/ViewPicture.h"

#include "base/AppSettings.h"
#include "base/MessageService.h"
#include "document/CKVDoc.h"
#include "exchange/ExportCommon.h"
#include "view/CRawImage.h"
#include "world/SurfaceSampler.h"

#include <algorithm>
#include <cmath>

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

MapRectangle WholeMapRectangle(const ProjectionParms& projection)
{
    // The extremes of the built-in projections lie on the poles, the equator, the central
    // meridian or the edge meridians, all among these points.
    constexpr int kPerDegree = 2;
    MapRectangle r{HUGE_VAL, -HUGE_VAL, HUGE_VAL, -HUGE_VAL};
    for (int i = -90 * kPerDegree; i <= 90 * kPerDegree; ++i)
        for (int j = -180 * kPerDegree; j <= 180 * kPerDegree; ++j) {
            double x = 0.0, y = 0.0;
            if (projection.LatLonToMap(static_cast<double>(i) / kPerDegree, static_cast<double>(j) / kPerDegree, x,
                                       y) != 0 ||
                !std::isfinite(x) || !std::isfinite(y))
                continue;
            r.left = std::min(r.left, x);
            r.right = std::max(r.right, x);
            r.bottom = std::min(r.bottom, y);
            r.top = std::max(r.top, y);
        }
    return r.Empty() ? MapRectangle() : r;
}

MapRectangle ShownMapRectangle(const ProjectionParms& projection, int width, int height)
{
    if (width < 1 || height < 1)
        return MapRectangle();
    const double k = projection.GetScale() / (std::min(width, height) * 0.5);
    const MapRectangle window{-(width / 2) * k, (width - width / 2) * k, -(height - height / 2) * k, (height / 2) * k};
    const MapRectangle map = WholeMapRectangle(projection);
    const MapRectangle shown{std::max(map.left, window.left), std::min(map.right, window.right),
                             std::max(map.bottom, window.bottom), std::min(map.top, window.top)};
    return map.Empty() || shown.Empty() ? window : shown;
}

double FitScale(const MapRectangle& rect, int width, int height)
{
    if (rect.Empty() || width < 1 || height < 1)
        return 1.0;
    const double perPixel = std::max(rect.Width() / width, rect.Height() / height);
    return perPixel * std::min(width, height) * 0.5;
}

ProjectionParms CentredOn(const ProjectionParms& projection, const MapRectangle& rect, double scale)
{
    ProjectionParms centred(projection);
    double ox = 0.0, oy = 0.0;
    centred.GetOffset(ox, oy);
    centred.SetOffset(ox - (rect.left + rect.right) * 0.5, oy - (rect.bottom + rect.top) * 0.5);
    centred.SetScale(scale);
    return centred;
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
    // What the view shows of the map, whole and centred in the picture.
    const MapRectangle shown = ShownMapRectangle(*sampler->Projection(), sampler->Width(), sampler->Height());
    const ProjectionParms projection =
        CentredOn(*sampler->Projection(), shown, FitScale(shown, image.GetWidth(), image.GetHeight()));
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
