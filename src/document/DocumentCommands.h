// The menu commands the world document handles itself, by their command ids: what each
// menu item's update state is and what the values are that the commands remember between
// uses while the program runs. The window's command table routes ids here through
// CKVDoc::OnCommand and CKVDoc::OnUpdateCommand.
#pragma once

#include <string>

namespace kv {

class CKVDoc;
class VideoBuffer;

namespace doccmd {
constexpr int kFileSave = 57603;
constexpr int kEditUndo = 57643;
constexpr int kEditRedo = 57644;
// Select menu.
constexpr int kSelectAll = 33069;
constexpr int kDeselect = 33073;
constexpr int kReselect = 33234;
constexpr int kInverse = 33077;
constexpr int kFeather = 33075;
constexpr int kContract = 33080;
constexpr int kExpand = 33081;
constexpr int kBinarize = 33071;
constexpr int kBorder = 33079;
constexpr int kDistance = 33240;
constexpr int kLoadSelection = 33078;
constexpr int kSaveSelection = 33088;
constexpr int kAltitudeRange = 33070;
constexpr int kRainfallRange = 33086;
constexpr int kTemperatureRange = 33091;
constexpr int kClimateRange = 33072;
// Global Set.
constexpr int kSetAltitude = 33116;
constexpr int kSetRainfall = 33194;
constexpr int kSetTemperature = 33195;
// Mounds, math tool, climate models, exports.
constexpr int kMound = 33121;
constexpr int kMoundtain = 33122;
constexpr int kProfiledMound = 33247;
constexpr int kMathTool = 33222;
constexpr int kAshgroveClimate = 33227;
constexpr int kDefaultClimate = 33228;
constexpr int kMultipleFiles = 33025;
constexpr int kGlobeSetup = 33196;
constexpr int kGlobeExport = 33197;
// Terrain operations of the document.
constexpr int kBurnIn = 33108;
constexpr int kFillOffsetBasins = 33190;
constexpr int kFillLakeBasins = 33198;
constexpr int kFindRivers = 33202;
constexpr int kClearRivers = 33204;
constexpr int kToggleRivers = 33205;
constexpr int kEnableRiverMask = 33220;
constexpr int kRemoveRiverMask = 33221;
constexpr int kInciseFlow = 33242;
constexpr int kRemapAltitudes = 33245;
constexpr int kSetUpSimpleCreate = 33174;
constexpr int kExecuteSimpleCreate = 33175;
constexpr int kPlanetaryBombardment = 33155;
// Tools/Actions: a script file run on the world; land grown into the low water.
constexpr int kRunScript = 33311;
constexpr int kExpandLand = 33312;
} // namespace doccmd

// What an update handler sets for a menu item (the item keeps its own text while `text`
// is empty).
struct CommandUpdate {
    bool enabled = true;
    bool checked = false;
    std::string text;
};

// The multiple-file export of the world (File/Export World/Multiple Files...). The export
// side installs one; until then the command is disabled.
class MultipleFilesExport {
public:
    virtual ~MultipleFilesExport() = default;
    virtual void ExportMultipleFiles() = 0;
};
// Installs `exporter` (null: none) and returns the previous one; the caller keeps it alive.
MultipleFilesExport* SetMultipleFilesExport(MultipleFilesExport* exporter);
MultipleFilesExport* GetMultipleFilesExport();

// Renders the whole world of a document into a 32-bit image of width x height (an
// equirectangular map of the world): 0, or a negative code when it cannot. The view side
// installs the document's whole-world image; without one no image can be made (-1).
class WorldImageRenderer {
public:
    virtual ~WorldImageRenderer() = default;
    virtual int Render(CKVDoc& doc, int width, int height, VideoBuffer& image) = 0;
};
WorldImageRenderer* SetWorldImageRenderer(WorldImageRenderer* renderer);
WorldImageRenderer* GetWorldImageRenderer();

// Values the document's commands remember between uses (metres, cm/yr, Kelvin; Set Global
// Temperature in degrees Celsius).
struct DocCommandMemory {
    float featherAmount = 1.0f;
    float contractAmount = 1.0f;
    float expandAmount = 1.0f;
    float thresholdLevel = 127.0f;
    float borderSize = 1.0f;
    // Range selections: low and high per kind (altitude, rainfall, temperature); the test
    // and combine indexes are shared.
    float rangeLow[3] = {0.0f, 0.0f, 273.15f};
    float rangeHigh[3] = {100.0f, 100.0f, 298.15f};
    int rangeTest = 0;
    int rangeCombine = 0;
    int climateStates[17] = {};
    float setAltitude = 0.0f;
    int setAltitudeSamples = 1;
    float setRainfall = 0.0f;
    int setRainfallSamples = 1;
    float setTemperature = 0.0f; // degrees Celsius
    int setTemperatureSamples = 1;
    int landExpansions = 1; // Expand Land in Offset passes, 1..32
    std::string scriptPath;  // the last script run (empty: none yet)
    float moundLow = 0.0f;
    float moundHigh = 1000.0f;
    int moundMode = 0;
    float moundExponent = 1.0f;
    float moundtainLow = 0.0f;
    float moundtainHigh = 1000.0f;
    float moundtainExponent = 1.0f;
    int moundtainStep = 1;
    float moundtainFeather = 2.0f;
    int mathDestination = 0;
    int mathSource1 = 0;
    int mathOperation = 0;
    int mathSource2 = 0;
    float mathConstant = 0.0f;
    int loadCombine = 0;
    std::string selectionFolder;
    std::string globeFolder;
    std::string globeName = "Globe";
    bool globeLinkImages = true;
    bool globeLevels[4] = {true, true, true, true};
    int globeFileSet = 0;

    // The process-wide values; Reset puts them back to the defaults (tests).
    static DocCommandMemory& Remembered();
    static void Reset();
};

} // namespace kv
