#include "exchange/CMultiImageDlg.h"

#include "base/ServiceSlots.h"
#include "document/DocumentServices.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>

namespace kv {

namespace {
DefinitionChooser g_defaultChooser;
std::atomic<DefinitionChooser*> g_chooser{nullptr};
} // namespace

DefinitionChooser& GetDefinitionChooser()
{
    DefinitionChooser* c = g_chooser.load();
    return c != nullptr ? *c : g_defaultChooser;
}

DefinitionChooser* SetDefinitionChooser(DefinitionChooser* chooser) { return g_chooser.exchange(chooser); }

MultiMapSettings DefaultAtlasSettings()
{
    const CMultiImageDlg dialog;
    MultiMapSettings s;
    (void)dialog.OnOK(s);
    return s;
}

void CMultiImageDlg::Load(const MultiMapSettings& s)
{
    writeDrawings = s.writeDrawings;
    writePictures = s.writePictures;
    picturesAsJpeg = s.picturesAsJpeg;
    writePages = s.writePages;
    onlyIfLand = s.onlyIfLand;
    useViewAsBasis = s.useViewAsBasis;
    levels = std::clamp(s.levelCount, 1, kLevels);
    for (int i = 0; i < kLevels; ++i) {
        wide[i] = s.levels[i].columns;
        high[i] = s.levels[i].rows;
        overlap[i] = s.levels[i].overlap;
        resolution[i] = s.levels[i].pictureWidth;
        links[i] = s.levels[i].download;
        levelNames[i] = s.levels[i].definition;
    }
    folder = s.outputFolder;
}

void CMultiImageDlg::OnInitDialog()
{
    if (GetInputState().IsCtrlDown()) {
        picturesAsJpeg = false;
        pictureCheckText = kBmpCheckText;
    }
    Refresh();
}

double CMultiImageDlg::TotalMaps() const
{
    double total = 1.0, across = 1.0;
    for (int i = 0; i < levels && i < kLevels; ++i) {
        across *= static_cast<double>(wide[i]) * static_cast<double>(high[i]);
        total += across;
    }
    return total;
}

void CMultiImageDlg::Refresh()
{
    char text[96];
    std::snprintf(text, sizeof text, "%d Level%s (%.0f total maps)", levels, levels > 1 ? "s" : "", TotalMaps());
    totalLabel = text;
    const bool active = writePages || writeDrawings;
    for (int i = 0; i < kLevels; ++i) {
        enabled.row[i] = i < levels && active;
        enabled.fileButton[i] = writeDrawings && perLevel && i < levels;
        fileButtonText[i] = levelNames[i];
    }
    enabled.slider = enabled.totalLabel = enabled.linksHeading = active;
    enabled.resolutionHeading = enabled.htmlCheck = enabled.level5Resolution = writePictures;
    enabled.level5Links = levels >= kLevels && active && writeDrawings && writePages;
    enabled.definitionLabel = writeDrawings;
    definitionLabel = levelNames[0];
}

void CMultiImageDlg::OnDrawings(bool checked)
{
    writeDrawings = checked;
    if (checked && !perLevel) {
        std::string name = levelNames[0];
        if (GetDefinitionChooser().Choose(name)) {
            for (std::string& level : levelNames)
                level = name;
        } else {
            writeDrawings = false;
        }
    }
    Refresh();
}

void CMultiImageDlg::OnPictures(bool checked)
{
    writePictures = checked;
    if (!checked)
        writePages = false;
    Refresh();
}

void CMultiImageDlg::OnPages(bool checked)
{
    writePages = checked && writePictures;
    Refresh();
}

void CMultiImageDlg::OnPerLevel(bool checked)
{
    perLevel = checked;
    Refresh();
}

void CMultiImageDlg::OnFileLevel(int level)
{
    if (level < 0 || level >= kLevels)
        return;
    std::string name = levelNames[level];
    if (GetDefinitionChooser().Choose(name))
        levelNames[level] = name;
    Refresh();
}

void CMultiImageDlg::OnSlider(int position)
{
    if (m_inSlider)
        return;
    m_inSlider = true;
    levels = std::clamp(position, 1, kLevels);
    Refresh();
    m_inSlider = false;
}

std::string CMultiImageDlg::OnOK(MultiMapSettings& s) const
{
    for (int i = 0; i < levels; ++i) {
        if (!(overlap[i] >= 0.0f && overlap[i] <= kMaxOverlap))
            return "Please enter a number between 0 and 50.";
        if (wide[i] < 1 || high[i] < 1)
            return "Please enter a number of files of at least 1.";
    }
    s.writeDrawings = writeDrawings;
    s.writePictures = writePictures;
    s.picturesAsJpeg = picturesAsJpeg;
    s.writePages = writePages && writePictures;
    s.onlyIfLand = onlyIfLand;
    s.useViewAsBasis = useViewAsBasis;
    s.levelCount = levels;
    for (int i = 0; i < kLevels; ++i) {
        s.levels[i].columns = wide[i];
        s.levels[i].rows = high[i];
        s.levels[i].overlap = overlap[i];
        s.levels[i].pictureWidth = resolution[i];
        s.levels[i].download = links[i];
        s.levels[i].definition = levelNames[i];
    }
    s.outputFolder = folder;
    return std::string();
}

namespace {

const ServiceSlotRegistration kDefinitionChooserSlot("DefinitionChooser", [] { return g_chooser.load() != nullptr; });

} // namespace

} // namespace kv
