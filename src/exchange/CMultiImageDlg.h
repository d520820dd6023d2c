// The Multiple Image Export dialog without its window: the values it edits, the total
// label, which controls are enabled, and its commands. The window side shows these and
// forwards clicks; the atlas export opens it on a copy of its settings.
#pragma once

#include "exchange/MultiMapSettings.h"

#include <string>

namespace kv {

// Choosing one export definition (the list of ".xpt" files); the window side installs the
// real chooser, until then it is cancelled.
class DefinitionChooser {
public:
    virtual ~DefinitionChooser() = default;
    // `name` holds the current choice on entry; true on OK with the chosen name.
    virtual bool Choose(std::string& name)
    {
        (void)name;
        return false;
    }
};
DefinitionChooser& GetDefinitionChooser();
DefinitionChooser* SetDefinitionChooser(DefinitionChooser* chooser);

// The settings a new run starts from (the dialog's defaults).
MultiMapSettings DefaultAtlasSettings();

class CMultiImageDlg {
public:
    static constexpr int kLevels = MultiMapSettings::kMaxLevels;
    static constexpr int kDefaultResolution = 384;
    static constexpr float kMaxOverlap = 50.0f;
    static constexpr char kCaption[] = "Multiple Image Export";
    static constexpr char kJpegCheckText[] = "Generate JPEG files";
    static constexpr char kBmpCheckText[] = "Generate BMP Files";
    static constexpr char kFolderBrowserTitle[] = "Select output directory";

    // The values, as the controls hold them.
    bool writeDrawings = false;
    bool writePictures = false;
    bool picturesAsJpeg = true;
    bool writePages = false;
    bool onlyIfLand = false;
    bool useViewAsBasis = false;
    bool perLevel = false;
    int levels = 1;
    int wide[kLevels] = {1, 1, 1, 1, 1};
    int high[kLevels] = {1, 1, 1, 1, 1};
    float overlap[kLevels] = {};
    int resolution[kLevels] = {kDefaultResolution, kDefaultResolution, kDefaultResolution, kDefaultResolution,
                               kDefaultResolution};
    int links[kLevels] = {};
    std::string levelNames[kLevels];
    std::string folder;

    // What Refresh shows.
    std::string pictureCheckText = kJpegCheckText;
    std::string totalLabel;
    std::string definitionLabel;
    std::string fileButtonText[kLevels];
    struct Enabled {
        bool row[kLevels] = {};
        bool slider = false;
        bool totalLabel = false;
        bool linksHeading = false;
        bool resolutionHeading = false;
        bool htmlCheck = false;
        bool level5Resolution = false;
        bool level5Links = false;
        bool definitionLabel = false;
        bool fileButton[kLevels] = {};
    } enabled;

    // Takes the values of the settings (levels held to 1..5).
    void Load(const MultiMapSettings& settings);
    // Opening: Ctrl held (the key-state service) writes BMP pictures and renames the check
    // box; then Refresh.
    void OnInitDialog();
    void Refresh();

    // Commands.
    void OnDrawings(bool checked);
    void OnPictures(bool checked);
    void OnPages(bool checked);
    void OnPerLevel(bool checked);
    void OnFileLevel(int level); // 0-based
    void OnSlider(int position);
    // Checks the values: an empty text when OK may close, else the message (the dialog
    // stays); on success the settings take every value.
    std::string OnOK(MultiMapSettings& settings) const;

    // The total of maps: 1 + the maps of each active level (products of the levels above).
    double TotalMaps() const;

private:
    bool m_inSlider = false;
};

} // namespace kv
