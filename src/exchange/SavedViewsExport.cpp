#include "exchange/SavedViewsExport.h"

#include "base/MessageService.h"
#include "base/Progress.h"
#include "document/CKVDoc.h"
#include "document/CViewInfo.h"
#include "exchange/CFCWImage.h"
#include "exchange/PW2Output.h"
#include "projection/ProjectionParms.h"
#include "world/SurfaceSampler.h"

namespace kv {

namespace {

constexpr int kMinPictureSize = 8;
constexpr int kDefaultPictureSize = 128;

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
        const std::string path = Join(definitionFolder, settings.definitionName + ".xpt");
        if (definition.LoadFromFile(path) != 0) {
            ShowMessage("Error reading export def file " + path);
            return -1;
        }
    }
    ViewSettings& view = document.GetViewSettings();
    int result = 0;
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
        SurfaceSampler sampler(&projection, &document.GetWorld(), &view.light, view.shaderId);
        const std::string base = Join(settings.outputDirectory, info.name);
        if (settings.generatePW2) {
            CFCWImage image(&sampler);
            const std::string file = base + ".fcw";
            if (image.WriteMap(file, &document, definition, nullptr) != 0) {
                if (AbortRequested())
                    break;
                ShowMessage("Error writing file " + file);
                result = -2;
            }
        }
        if (settings.generateJPEG) {
            const int size = settings.jpegSize < kMinPictureSize ? kDefaultPictureSize : settings.jpegSize;
            CRawImage picture(&sampler);
            picture.SetSize(size, static_cast<int>(size * kSavedViewSizeFactor));
            if (picture.Compute(nullptr, false, true) == 0 && (!settings.onlyIfLand || picture.HasLand()) &&
                picture.SaveJPEG(base + ".jpg", true) != 0)
                result = -2;
        }
    }
    ProgressEndHook();
    g_abortValue = 0;
    return result;
}

} // namespace kv
