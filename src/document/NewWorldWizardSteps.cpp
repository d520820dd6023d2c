#include "document/NewWorldWizardSteps.h"

#include "world/SurfMap.h"

namespace kv {

int PageAfterType(int kind)
{
    switch (kind) {
    case kSurfaceProcedural:
    case kSurfaceProceduralNoRoughness:
    case kSurfaceProceduralPlanar:
        return kPageSynthetic;
    case kSurfaceImported:
        return kPageBinary;
    default:
        return -1;
    }
}

int PageBeforeSummary(int kind)
{
    const int page = PageAfterType(kind);
    return page < 0 ? kPageType : page;
}

std::string ParametersTitle(int kind)
{
    switch (kind) {
    case kSurfaceProceduralNoRoughness:
        return "Flat World Parameters";
    case kSurfaceProceduralPlanar:
        return "Planar World Parameters";
    default:
        return "Synthetic World Parameters";
    }
}

std::string SummaryTitle(int kind)
{
    switch (kind) {
    case kSurfaceProcedural:
        return "Synthetic Data Set";
    case kSurfaceImported:
        return "Binary Data Set";
    case kSurfaceProceduralNoRoughness:
        return "Flat World";
    case kSurfaceProceduralPlanar:
        return "Planar World";
    default:
        return std::string();
    }
}

std::string SummaryText(int kind, const std::string& elevationPath)
{
    std::string text;
    switch (kind) {
    case kSurfaceProcedural:
        text = "A normal world will be computed from the parameters you specified on the previous page. These values "
               "can be changed from the Map>>World Settings menu item.";
        break;
    case kSurfaceImported:
        text = "The displayed height data will be computed from a height field representation stored in the file\n" +
               elevationPath;
        break;
    case kSurfaceProceduralNoRoughness:
        text = "A flat world will be displayed. This world is a normal synthetic world with the roughness channel set "
               "to 0. Changing the roughness values will begin to allow the underlying world to show through.";
        break;
    case kSurfaceProceduralPlanar:
        text = "A planar world will be displayed. This world is a normal synthetic world evaluated on a plane.";
        break;
    default:
        break;
    }
    return text + "\n\nThe coloring of this world can be changed from the Map>>Lighting and Color menu item or by "
                  "selecting one of the shaders shown on the Map menu.";
}

std::string UnmappableElevationMessage(int mapResult, const std::string& path)
{
    if (path.empty())
        return "No elevation file has been chosen.\nPlease choose one with the Choose Elevation File button.";
    std::string reason;
    switch (mapResult) {
    case CISurf::kMapNotBitmap24:
        reason = "It is not an uncompressed 24-bit bitmap.";
        break;
    case CISurf::kMapFileTooShort:
        reason = "Its header, raster window and line width reach past the end of the file.";
        break;
    default:
        reason = "The file is missing, unreadable or empty.";
        break;
    }
    return "Unable to use the elevation file " + path + "\n" + reason;
}

int KindOfTypeButton(int button)
{
    switch (button) {
    case kSurfaceProcedural:
    case kSurfaceImported:
    case kSurfaceProceduralPlanar:
        return button;
    default:
        return kSurfaceProceduralNoRoughness;
    }
}

} // namespace kv
