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

namespace kv {

class CMoundEditDlg;
class CMoundSettingsDlg;
class CMoundtainSettingsDlg;
class CRiverEditSizeDlg;
class CRiverThresholdDlg;
class InciseFlowProcessDlg;
class ProcessCurvesDlg;
struct SimpleCreateSettings;

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
    // "Simple Create Mode" (its seven altitudes in display units) with its quality dialog.
    virtual bool RunSimpleCreate(SimpleCreateSettings& settings);
};

// The dialogs in force (never null).
TerrainDialogs& GetTerrainDialogs();
// Installs `dialogs` (null restores the defaults) and returns the previous ones, or null
// when the defaults were in force. The caller keeps `dialogs` alive while installed.
TerrainDialogs* SetTerrainDialogs(TerrainDialogs* dialogs);

} // namespace kv
