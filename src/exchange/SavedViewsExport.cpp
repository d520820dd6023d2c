#include "exchange/SavedViewsExport.h"

#include "base/MessageService.h"
#include "base/Progress.h"
#include "document/CKVDoc.h"
#include "document/CViewInfo.h"
#include "exchange/CFCWImage.h"
#include "exchange/PW2Output.h"
#include "projection/ProjectionParms.h"
#include "view/CRawImage.h"
#include "world/SurfaceSampler.h"

#include <algorithm>

namespace kv {

namespace {

std::string Join(const std::string& folder, const std::string& name)
{
    if (folder.empty() || folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

} // namespace

int ExportSavedViews(CKVDoc& document, const std::vector<const CViewInfo*>& views,
                     const ViewExportSettings& settings, const std::string& definitionFolder)
{
    PW2Output definition;
    if (settings.generatePW2) {
        const std::string path = Join(definitionFolder, settings.exportDefinition + ".xpt");
        if (definition.LoadFromFile(path) != 0) {
            ShowMessage("Error reading export def file " + path);
            return -1;
        }
    }
    ViewSettings& view = document.GetViewSettings();
    const int size = settings.jpegSize < ViewExportSettings::kSmallestJpegSize
                         ? CRawImage::kDefaultSize
                         : std::min(settings.jpegSize, ViewExportSettings::kMaxJpegSize);
    int result = 0;
    auto failed = [&result](const std::string& file) {
        ShowMessage("Error writing file " + file);
        result = -2;
    };
    g_abortValue = 0;
    ProgressBeginHook("Exporting Views", 1);
    const int count = static_cast<int>(views.size());
    for (int k = 0; k < count && !AbortRequested(); ++k) {
        const CViewInfo& info = *views[static_cast<std::size_t>(k)];
        ProgressStepHook(k, count);
        ProgressPollHook();
        ProjectionParms projection(view.projection);
        if (!settings.useViewAsBasis)
            projection.SetProjectionByName(info.projectionName);
        projection.SetCenter(info.centerLatitude, info.centerLongitude);
        projection.SetOffset(info.offsetX, info.offsetY);
        projection.SetScale(info.scale * kSavedViewSizeFactor);
        // The sampler writes into its lighting as it prepares: a copy of the view's.
        LightParms light = view.light;
        light.temperatureList = light.rainfallList = light.climateList = nullptr;
        SurfaceSampler sampler(&projection, &document.GetWorld(), &light, view.shaderId);
        const std::string base = ViewFileBase(settings.outputDirectory, info.name);
        if (settings.generatePW2) {
            CFCWImage image(&sampler);
            const std::string file = base + ".fcw";
            if (image.WriteMap(file, &document, definition, nullptr) != 0) {
                if (AbortRequested())
                    break;
                failed(file);
            }
        }
        if (settings.generateJPEG) {
            CRawImage picture(&sampler);
            picture.SetSize(size, static_cast<int>(size * kSavedViewSizeFactor));
            const int computed = picture.Compute(nullptr, false, true);
            if (computed == 0 && settings.onlyIfLand && !picture.HasLand())
                continue;
            if (computed != 0 || picture.SaveJPEG(base + ".jpg", true) != 0)
                failed(base + ".jpg");
        }
    }
    ProgressEndHook();
    g_abortValue = 0;
    return result;
}

} // namespace kv
