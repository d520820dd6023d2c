#include "view/SavedViewExport.h"

#include "base/Progress.h"
#include "document/CViewInfo.h"
#include "projection/ProjectionParms.h"
#include "view/CRawImage.h"
#include "world/SurfaceSampler.h"

#include <algorithm>

namespace kv {

std::string ViewFileName(const std::string& name)
{
    std::string file = name;
    std::replace(file.begin(), file.end(), '/', '_');
    std::replace(file.begin(), file.end(), '\\', '_');
    if (file.find_first_not_of('.') == std::string::npos)
        file = std::string(std::max<size_t>(file.size(), 1), '_');
    return file;
}

std::string ViewFileBase(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return ViewFileName(name);
    return folder.back() == '/' ? folder + ViewFileName(name) : folder + "/" + ViewFileName(name);
}

ViewExportResult ExportSavedViews(const std::vector<const CViewInfo*>& views, const ViewExportSettings& settings,
                                  SurfMap& world, const LightParms& light, int shaderId, ViewDocument* document,
                                  ViewDrawingExport& drawings, double sizeFactor)
{
    ViewExportResult result;
    if (!(sizeFactor > 0.0))
        sizeFactor = 1.0;
    const bool pw2 = settings.generatePW2 && drawings.Available();
    const int size = settings.jpegSize < ViewExportSettings::kSmallestJpegSize
                         ? CRawImage::kDefaultSize
                         : std::min(settings.jpegSize, ViewExportSettings::kMaxJpegSize);
    g_abortValue = 0;
    ProgressBeginHook("Exporting Views");
    const int total = static_cast<int>(views.size());
    for (int i = 0; i < total; ++i) {
        ProgressStepHook(i, total);
        ProgressPollHook();
        if (g_abortValue == kAbortValue)
            break;
        const CViewInfo& view = *views[static_cast<size_t>(i)];
        ProjectionParms projection;
        projection.SetProjectionByName(view.projectionName);
        projection.SetCenter(view.centerLatitude, view.centerLongitude);
        projection.SetOffset(view.offsetX, view.offsetY);
        projection.SetScale(view.scale * sizeFactor);
        // The sampler writes into its lighting as it prepares: a copy of the view's.
        LightParms ownLight = light;
        ownLight.temperatureList = ownLight.rainfallList = ownLight.climateList = nullptr;
        SurfaceSampler sampler(&projection, &world, &ownLight, shaderId);
        const std::string base = ViewFileBase(settings.outputDirectory, view.name);
        if (pw2 && drawings.WriteDrawing(base + ".fcw") != 0)
            result.failures.push_back(base + ".fcw");
        if (!settings.generateJPEG)
            continue;
        CRawImage image(&sampler);
        image.SetSize(size, static_cast<int>(size * sizeFactor));
        if (document)
            image.SetDocument(document);
        if (image.Compute(nullptr, false, true) != 0) {
            result.failures.push_back(base + ".jpg");
            continue;
        }
        if (settings.onlyIfLand && !image.HasLand()) {
            ++result.skippedWithoutLand;
            continue;
        }
        if (image.SaveJPEG(base + ".jpg", true) != 0)
            result.failures.push_back(base + ".jpg");
        else
            ++result.imagesWritten;
    }
    ProgressEndHook();
    return result;
}

} // namespace kv
