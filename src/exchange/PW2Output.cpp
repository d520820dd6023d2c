#include "exchange/PW2Output.h"

#include "base/ServiceSlots.h"
#include "platform/Archive.h"
#include "platform/AtomicFile.h"

#include <cstdio>
#include <memory>

namespace kv {

namespace {

ExportWizard* g_wizard = nullptr;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

} // namespace

ExportWizard* SetExportWizard(ExportWizard* wizard)
{
    ExportWizard* previous = g_wizard;
    g_wizard = wizard;
    return previous;
}

void PW2Output::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kVersion << optionA << optionB << optionC << imageWidth << imageHeight << drawingWidth << drawingHeight
           << colorBarsOn << int32_t{0} << scaleBarOn << optionD << linkPanelOn << titleBlockOn;
        ar.WriteString(mapTitle);
        ar << borderScaleOn << groupLevels << contourLineOn << contourFillOn << altFillStyle << contourFillColor
           << seaOnIntervals << seaColorIntervals << seaPenIntervals << resolution;
        ar << altContourMode << altInterval << altParam2 << altParam3 << altParam4 << altMax << altMin;
        ar << seaOnList << seaColorList << seaPenList << labelContours << labelPlacement << altContoursOn
           << climateContoursOn << rainContoursOn << tempContoursOn;
        ar << separateOutlines << tempLineOn << tempFillOn << tempFillColor << tempInterval;
        ar << rainLineOn << rainFillOn << rainFillColor << rainInterval;
        contours.Serialize(ar);
        grid.Serialize(ar);
        ar << borderSymbolOn;
        ar.WriteString(templatePath);
        ar << drawInMapUnits << seaLevelRelative << seaSmoothRadius;
        return;
    }
    int32_t version = 0;
    ar >> version;
    if (version < kOldestVersion)
        return;
    int32_t reserved = 0;
    ar >> optionA >> optionB >> optionC >> imageWidth >> imageHeight >> drawingWidth >> drawingHeight >> colorBarsOn >>
        reserved >> scaleBarOn >> optionD >> linkPanelOn >> titleBlockOn;
    mapTitle = ar.ReadStringAllowWide();
    ar >> borderScaleOn >> groupLevels >> contourLineOn >> contourFillOn >> altFillStyle >> contourFillColor >>
        seaOnIntervals >> seaColorIntervals >> seaPenIntervals >> resolution;
    ar >> altContourMode >> altInterval >> altParam2 >> altParam3 >> altParam4 >> altMax >> altMin;
    ar >> seaOnList >> seaColorList >> seaPenList >> labelContours >> labelPlacement >> altContoursOn >>
        climateContoursOn >> rainContoursOn >> tempContoursOn;
    ar >> separateOutlines >> tempLineOn >> tempFillOn >> tempFillColor >> tempInterval;
    ar >> rainLineOn >> rainFillOn >> rainFillColor >> rainInterval;
    contours.Serialize(ar);
    if (version >= 259)
        grid.Serialize(ar);
    if (version >= 260)
        ar >> borderSymbolOn;
    if (version >= 261)
        templatePath = ar.ReadStringAllowWide();
    if (version >= 262)
        ar >> drawInMapUnits;
    if (version >= 263)
        ar >> seaLevelRelative;
    if (version >= 264)
        ar >> seaSmoothRadius;
}

int PW2Output::SaveToFile(const std::string& path) const
{
    AtomicFile file;
    if (!file.Open(path))
        return -1;
    try {
        CArchive ar(file.File(), CArchive::store);
        // Serialize is not const only because it also loads.
        const_cast<PW2Output*>(this)->Serialize(ar);
        ar.Flush();
    } catch (const CArchiveException&) {
        file.Discard();
        return -2;
    }
    return file.Commit() ? 0 : -2;
}

int PW2Output::LoadFromFile(const std::string& path)
{
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return -1;
    // Read into a copy, so that a damaged file leaves these settings as they were.
    PW2Output read(*this);
    try {
        CArchive ar(file.get(), CArchive::load);
        read.Serialize(ar);
    } catch (const CArchiveException&) {
        return -2;
    }
    *this = std::move(read);
    return 0;
}

int PW2Output::RunWizard()
{
    if (!g_wizard)
        return ExportWizard::kCancelled;
    PW2Output edited(*this);
    if (g_wizard->Run(edited) != ExportWizard::kFinished)
        return ExportWizard::kCancelled;
    *this = edited;
    return ExportWizard::kFinished;
}

bool PW2Output::SameValues(const PW2Output& o) const
{
    return optionA == o.optionA && optionB == o.optionB && optionC == o.optionC && imageWidth == o.imageWidth &&
           imageHeight == o.imageHeight && drawingWidth == o.drawingWidth && drawingHeight == o.drawingHeight &&
           colorBarsOn == o.colorBarsOn && scaleBarOn == o.scaleBarOn && optionD == o.optionD &&
           linkPanelOn == o.linkPanelOn && titleBlockOn == o.titleBlockOn && mapTitle == o.mapTitle &&
           borderScaleOn == o.borderScaleOn && drawInMapUnits == o.drawInMapUnits && groupLevels == o.groupLevels &&
           borderSymbolOn == o.borderSymbolOn && contourLineOn == o.contourLineOn &&
           contourFillOn == o.contourFillOn && altFillStyle == o.altFillStyle &&
           contourFillColor == o.contourFillColor && seaOnIntervals == o.seaOnIntervals &&
           seaColorIntervals == o.seaColorIntervals && seaPenIntervals == o.seaPenIntervals &&
           resolution == o.resolution && contours.SameValues(o.contours) && altContourMode == o.altContourMode &&
           altInterval == o.altInterval && altParam2 == o.altParam2 && altParam3 == o.altParam3 &&
           altParam4 == o.altParam4 && altMax == o.altMax && altMin == o.altMin && seaOnList == o.seaOnList &&
           seaColorList == o.seaColorList && seaPenList == o.seaPenList && labelContours == o.labelContours &&
           labelPlacement == o.labelPlacement && altContoursOn == o.altContoursOn &&
           climateContoursOn == o.climateContoursOn && rainContoursOn == o.rainContoursOn &&
           tempContoursOn == o.tempContoursOn && seaLevelRelative == o.seaLevelRelative &&
           separateOutlines == o.separateOutlines && tempLineOn == o.tempLineOn && tempFillOn == o.tempFillOn &&
           tempFillColor == o.tempFillColor && tempInterval == o.tempInterval && rainLineOn == o.rainLineOn &&
           rainFillOn == o.rainFillOn && rainFillColor == o.rainFillColor && rainInterval == o.rainInterval &&
           seaSmoothRadius == o.seaSmoothRadius && grid.SameValues(o.grid) && templatePath == o.templatePath;
}

namespace {

const ServiceSlotRegistration kExportWizardSlot("ExportWizard", [] { return g_wizard != nullptr; });

} // namespace

} // namespace kv
