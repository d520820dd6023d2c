// The small dialogs of the whole-world commands, as records without a window, and the
// one place through which the commands show them.
//
// A command fills a record, hands it to the TerrainDialogs in force and reads it back when
// that answers OK. The window side installs an implementation that opens the real dialog
// over the record; until it does (batch runs) every dialog is cancelled, and tests
// install their own that answer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kv {

class CMoundEditDlg;
class CMoundSettingsDlg;
class CMoundtainSettingsDlg;
class CRiverEditSizeDlg;
class CRiverThresholdDlg;
class InciseFlowProcessDlg;
class ProcessCurvesDlg;
struct SimpleCreateSettings;
struct BombardmentSettings;

// The one-value dialog (template 618): the title is the window text, the prompt the
// label's text; the value is exchanged as a float; Help opens the help topic.
class CSingleEditDlg {
public:
    static constexpr int kTemplate = 618;
    static constexpr int kPromptLabel = 5436;
    static constexpr int kValueEdit = 5550;

    std::string title;
    std::string prompt;
    float value = 0.0f;
    int helpTopic = 0;
};

// The Add Noise dialog (template 611).
class CNoiseDataDlg {
public:
    static constexpr int kTemplate = 611;
    static constexpr char kDefaultCaption[] = "Add Noise";
    static constexpr int kTypeCombo = 5542;
    static constexpr int kMeanEdit = 5392;
    static constexpr int kExceptEdit = 5130;
    static constexpr int kVarianceEdit = 5560;
    static constexpr int kSeedEdit = 5490;
    static constexpr int kAutoRandseedCheck = 5048;
    static constexpr int kUniform = 0;
    static constexpr int kGaussian = 1;

    // Replaces "Add Noise" when not empty.
    std::string caption;
    int noiseType = kUniform;
    float mean = 0.0f;
    float except = 0.0f;
    float variance = 0.0f;
    int seed = 0;
};

// "Global Altitude Set" (template 592): samples per cell and a value with its label and unit;
// the caption is given.
class CGlobalAltSetDlg {
public:
    static constexpr int kTemplate = 592;
    static constexpr int kSamplesEdit = 5474;
    static constexpr int kValueEdit = 5014;
    static constexpr int kValueLabel = 5640;
    static constexpr int kUnitLabel = 5013;
    static constexpr int kMinSamples = 1, kMaxSamples = 32;

    std::string caption;
    std::string label;
    std::string unit;
    int samples = 0;
    float value = 0.0f;
};

// "Altitude Range Selection" (template 615) and its rainfall and temperature twins: a test,
// one or two values in display units and how the result combines with the selection.
class CRangeSelectDlg {
public:
    static constexpr int kTemplate = 615;
    static constexpr int kTestCombo = 5278;
    static constexpr int kLowEdit = 5396;
    static constexpr int kHighEdit = 5391;
    static constexpr int kCombineCombo = 5565;
    // Test list: "Between", "Not Between", "Above", "Below".
    static constexpr int kBetween = 0, kNotBetween = 1, kAbove = 2, kBelow = 3;
    static constexpr int kTestCount = 4;
    // Combine list: "Replace Selection", "Add to Selection", "Subtract from Selection".
    static constexpr int kCombineCount = 3;

    std::string caption;
    std::string metricUnit;
    std::string imperialUnit;
    int test = -1;
    float low = 0.0f; // the value for Above and Below
    float high = 0.0f;
    int combine = -1;
};

// "Climate Selection" (template 555): a check list of names, one check state each.
class CClimateSelectDlg {
public:
    static constexpr int kTemplate = 555;
    static constexpr int kCheckList = 5371;
    static constexpr int kMaxNames = 32;

    std::vector<std::string> names;
    std::vector<int> states;
};

// "Math Tools" (template 3020): destination, Source 1, operation, Source 2 (list indexes)
// and the constant.
class CMathToolDlg {
public:
    static constexpr int kTemplate = 3020;
    static constexpr int kDestinationCombo = 5661;
    static constexpr int kSource1Combo = 5603;
    static constexpr int kOperationCombo = 5604;
    static constexpr int kSource2Combo = 5605;
    static constexpr int kConstantEdit = 5662;

    int destination = 0;
    int source1 = 0;
    int operation = 0;
    int source2 = 0;
    float constant = 0.0f;
};

// An open or save file dialog: title, filter ("Text|pattern|...||"), default extension and
// the folder it opens in; `path` holds the file chosen. The open dialog of a selection image
// (template 617 added) also shows the combine list: "Replace Selection", "Add to Selection",
// "Subtract from Selection".
class CSelectionFileDlg {
public:
    static constexpr int kTemplate = 617;
    static constexpr int kCombineCombo = 5495;
    static constexpr int kCombineCount = 3;

    bool open = true;
    bool showCombine = false;
    std::string title;
    std::string filter;
    std::string defaultExtension;
    std::string folder;
    std::string path;
    int combine = 0;
};

// The globe export's output folder and options: the base name of the level images, the
// detail levels asked for (a level is written only when every coarser one is asked for
// too), whether the link images are written, and the file set: set k names the level
// images <name><level><letter k>.bmp, 'a' first. The caller fills `fileSets` with the
// sets' texts.
class CGlobeExportDlg {
public:
    static constexpr int kLevels = 4;
    static constexpr int kFileSets = 26;
    std::string folder;
    std::string name = "Globe";
    bool levels[kLevels] = {true, true, true, true};
    bool linkImages = true;
    std::vector<std::string> fileSets;
    int fileSetIndex = 0;
};

class TerrainDialogs {
public:
    virtual ~TerrainDialogs() = default;
    // Each shows its dialog modally over the record: true on OK (the record then holds the
    // values confirmed). The defaults show nothing and cancel.
    virtual bool RunSingleEdit(CSingleEditDlg& dialog);
    virtual bool RunNoiseData(CNoiseDataDlg& dialog);
    virtual bool RunInciseFlow(InciseFlowProcessDlg& dialog);
    // The curve editor of Remap Altitudes and of the profiled mound's profile.
    virtual bool RunProcessCurves(ProcessCurvesDlg& dialog);
    virtual bool RunMoundEdit(CMoundEditDlg& dialog);
    virtual bool RunMoundSettings(CMoundSettingsDlg& dialog);
    // Refuses values outside their ranges and stays open (CMoundtainSettingsDlg::Validate).
    virtual bool RunMoundtainSettings(CMoundtainSettingsDlg& dialog);
    virtual bool RunRiverEditSize(CRiverEditSizeDlg& dialog);
    // The threshold dialog ends only through its OK (which traces the rivers). The default
    // initialises it and presses OK at once.
    virtual void RunRiverThreshold(CRiverThresholdDlg& dialog);
    virtual bool RunGlobalAltSet(CGlobalAltSetDlg& dialog);
    virtual bool RunRangeSelect(CRangeSelectDlg& dialog);
    virtual bool RunClimateSelect(CClimateSelectDlg& dialog);
    virtual bool RunMathTool(CMathToolDlg& dialog);
    virtual bool RunFileDialog(CSelectionFileDlg& dialog);
    virtual bool RunGlobeExport(CGlobeExportDlg& dialog);
    // "Simple Create Mode" (its seven altitudes in display units) with its quality dialog.
    virtual bool RunSimpleCreate(SimpleCreateSettings& settings);
    // "Planetary Bombardment" (diameters in display units: km, or miles when imperial).
    virtual bool RunBombardment(BombardmentSettings& settings);
};

// The dialogs in force (never null).
TerrainDialogs& GetTerrainDialogs();
// Installs `dialogs` (null restores the defaults) and returns the previous ones, or null
// when the defaults were in force. The caller keeps `dialogs` alive while installed.
TerrainDialogs* SetTerrainDialogs(TerrainDialogs* dialogs);

} // namespace kv
