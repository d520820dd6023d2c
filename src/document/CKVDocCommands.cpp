// The menu commands of the document: routing by id and update states, undo and redo, the
// Select menu, Global Set, mounds, the math tool command and the climate model commands.
// Each command asks its values through TerrainDialogs starting from the values of its last
// use (shown in the document's display units), records its undo step, changes the data
// and sends its hint.
#include "base/ServiceSlots.h"
#include "document/CKVDoc.h"

#include "base/DisplayUnits.h"
#include "base/MessageService.h"
#include "base/Progress.h"
#include "base/Undo.h"
#include "base/color/ClimateParms.h"
#include "base/raster/VideoBuffer.h"
#include "document/AshgroveClimateModel.h"
#include "document/DocumentServices.h"
#include "document/MathTool.h"
#include "document/MoundDialogs.h"
#include "document/TerrainDialogs.h"
#include "platform/CLocale.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <filesystem>

namespace kv {

using namespace doccmd;

// ---------------------------------------------------------------------------------------
// Process-wide services and remembered values

namespace {

std::atomic<MultipleFilesExport*> g_export{nullptr};
std::atomic<WorldImageRenderer*> g_renderer{nullptr};

} // namespace

MultipleFilesExport* SetMultipleFilesExport(MultipleFilesExport* exporter) { return g_export.exchange(exporter); }
MultipleFilesExport* GetMultipleFilesExport() { return g_export.load(); }
WorldImageRenderer* SetWorldImageRenderer(WorldImageRenderer* renderer) { return g_renderer.exchange(renderer); }
WorldImageRenderer* GetWorldImageRenderer() { return g_renderer.load(); }

DocCommandMemory& DocCommandMemory::Remembered()
{
    static DocCommandMemory memory;
    return memory;
}

void DocCommandMemory::Reset() { Remembered() = DocCommandMemory(); }

namespace {

DocCommandMemory& Memory() { return DocCommandMemory::Remembered(); }

// ---- display units ----
float AltitudeToDisplay(float metres) { return IsMetric() ? metres : static_cast<float>(metres * kFeetPerMetre); }
float AltitudeFromDisplay(float shown) { return IsMetric() ? shown : static_cast<float>(shown * kMetresPerFoot); }
float RainToDisplay(float cm) { return IsMetric() ? cm : static_cast<float>(cm * kInchesPerCm); }
float RainFromDisplay(float shown) { return IsMetric() ? shown : static_cast<float>(shown * kCmPerInch); }
constexpr double kFahrenheitToCelsius = 0.5555556;
float CelsiusToDisplay(float celsius) { return IsMetric() ? celsius : static_cast<float>(celsius * 1.8 + 32.0); }
float CelsiusFromDisplay(float shown)
{
    return IsMetric() ? shown : static_cast<float>((shown - 32.0) * kFahrenheitToCelsius);
}
float KelvinToDisplay(float kelvin)
{
    return CelsiusToDisplay(static_cast<float>(kelvin - ClimateParms::kKelvinOffset));
}
float KelvinFromDisplay(float shown)
{
    return static_cast<float>(CelsiusFromDisplay(shown) + ClimateParms::kKelvinOffset);
}

bool Finite(float v) { return std::isfinite(v); }

// A whole amount of passes: truncated within the int range, at most `cap`.
int Passes(float amount, int cap)
{
    const double t = std::trunc(std::clamp(static_cast<double>(amount), static_cast<double>(INT_MIN),
                                           static_cast<double>(INT_MAX)));
    return static_cast<int>(std::min(t, static_cast<double>(cap)));
}

// ---- the one-value selection commands ----
struct SingleEditCommand {
    int id;
    const char* step;
    const char* title;
    const char* prompt;
    float DocCommandMemory::*value;
};
constexpr SingleEditCommand kSingleEdits[] = {
    {kFeather, "Feather Selection", "Feather Selection", "Amount:", &DocCommandMemory::featherAmount},
    {kContract, "Contract Selection", "Contract Selection", "Amount (pixels):", &DocCommandMemory::contractAmount},
    {kExpand, "Expand Selection", "Expand Selection", "Amount (pixels):", &DocCommandMemory::expandAmount},
    {kBinarize, "Threshold Selection", "Threshold", "Threshold Level (0-255):", &DocCommandMemory::thresholdLevel},
    {kBorder, "Set Selection Border", "Border Size", "Size (pixels):", &DocCommandMemory::borderSize},
};

const SingleEditCommand* FindSingleEdit(int id)
{
    for (const SingleEditCommand& c : kSingleEdits)
        if (c.id == id)
            return &c;
    return nullptr;
}

// ---- range selections ----
struct RangeCommand {
    int id;
    const char* caption;
    const char* metricUnit;
    const char* imperialUnit;
};
constexpr RangeCommand kRanges[3] = {
    {kAltitudeRange, "Altitude Range Selection", "meters", "feet"},
    {kRainfallRange, "Rainfall Range Selection", "cm/yr", "in/yr"},
    {kTemperatureRange, "Temperature Range Selection", "C", "F"},
};

float RangeToDisplay(int kind, float v)
{
    return kind == CKVDoc::kRangeAltitude   ? AltitudeToDisplay(v)
           : kind == CKVDoc::kRangeRainfall ? RainToDisplay(v)
                                            : KelvinToDisplay(v);
}
float RangeFromDisplay(int kind, float v)
{
    return kind == CKVDoc::kRangeAltitude   ? AltitudeFromDisplay(v)
           : kind == CKVDoc::kRangeRainfall ? RainFromDisplay(v)
                                            : KelvinFromDisplay(v);
}

// ---- Global Set ----
struct GlobalSetCommand {
    int id;
    const char* step;
    int channel;
    const char* caption;
    const char* label;
    const char* metricUnit;
    const char* imperialUnit;
    float DocCommandMemory::*value;
    int DocCommandMemory::*samples;
};
constexpr GlobalSetCommand kGlobalSets[] = {
    {kSetAltitude, "Set Altitude", kChannelLandOffset, "Set Global Altitude", "Altitude", "meters", "feet",
     &DocCommandMemory::setAltitude, &DocCommandMemory::setAltitudeSamples},
    {kSetRainfall, "Set Rainfall", kChannelRainfall, "Set Global Rainfall", "Rainfall", "cm/yr", "in/yr",
     &DocCommandMemory::setRainfall, &DocCommandMemory::setRainfallSamples},
    {kSetTemperature, "Set Temperature", kChannelTemperature, "Set Global Temperature", "Temperature", "C", "F",
     &DocCommandMemory::setTemperature, &DocCommandMemory::setTemperatureSamples},
};

// ---- math tool ----
constexpr char kMathStep[] = "Global Math Tools";
constexpr char kInvalidDestination[] = "Somehow you have selected an invalid destination\nNo operation will be performed";

const char* MathToolMessage(int code)
{
    switch (code) {
    case kMathBadDestination: return "Unable to select a valid destination";
    case kMathBadSource1: return "Unable to select a valid first source";
    case kMathBadSource2: return "Unable to select a valid second source";
    case kMathBadOperation: return "Unable to determine correct operation";
    case kMathNoUserBuffer:
        return "The user buffer cannot be used without first defining it.\nThe buffer can be defined by using it as "
               "the destination of a math tool operation";
    case kMathUserBufferFailed: return "Error allocating user buffer";
    case kMathUserBufferSize:
        return "User buffer was not the same size as the surface editing values and has been destroyed.\nPlease "
               "create a new user buffer by using it as the destination for a math tool operation";
    default: return nullptr;
    }
}

// The undo channel of a math tool destination (-1: nothing is recorded).
int MathUndoChannel(int destination)
{
    switch (destination) {
    case kMathOffset: return kChannelLandOffset;
    case kMathRoughness: return kChannelRoughness;
    case kMathPrescale: return kChannelPrescale;
    case kMathTemperature: return kChannelTemperature;
    case kMathRainfall: return kChannelRainfall;
    case kMathWater: return kChannelWaterLevel;
    case kMathSelection: return kUndoChannelSelection;
    default: return -1;
    }
}

// ---- selection files ----
constexpr char kImageFilter[] = "Image Files (*.bmp;*.jpg)|*.bmp;*.jpg|Windows BMP Files (*.bmp)|*.bmp|JPEG Files "
                                "(*.jpg)|*.jpg|All Files (*.*)|*.*||";
constexpr char kBmpFilter[] = "BMP Files (*.bmp)|*.bmp||";

std::string FolderOf(const std::string& path) { return std::filesystem::path(path).parent_path().string(); }

// The ids the document runs (Save is the framework's; the document only gives its state).
constexpr int kDocumentIds[] = {
    kEditUndo,        kEditRedo,         kSelectAll,        kDeselect,        kReselect,
    kInverse,         kFeather,         kContract,         kExpand,           kBinarize,        kBorder,
    kDistance,        kLoadSelection,   kSaveSelection,    kAltitudeRange,    kRainfallRange,   kTemperatureRange,
    kClimateRange,    kSetAltitude,     kSetRainfall,      kSetTemperature,   kMound,           kMoundtain,
    kProfiledMound,   kMathTool,        kAshgroveClimate,  kDefaultClimate,   kMultipleFiles,   kGlobeSetup,
    kGlobeExport,     kBurnIn,          kFillOffsetBasins, kFillLakeBasins,   kFindRivers,      kClearRivers,
    kToggleRivers,    kEnableRiverMask, kRemoveRiverMask,  kInciseFlow,       kRemapAltitudes,  kSetUpSimpleCreate,
    kExecuteSimpleCreate, kPlanetaryBombardment, kRunScript, kExpandLand,
};

} // namespace

// ---------------------------------------------------------------------------------------
// Routing

bool CKVDoc::HasCommand(int id)
{
    return std::find(std::begin(kDocumentIds), std::end(kDocumentIds), id) != std::end(kDocumentIds);
}

bool CKVDoc::OnUpdateCommand(int id, CommandUpdate& state)
{
    if (id == kFileSave) {
        state.enabled = IsModified();
        return true;
    }
    if (!HasCommand(id))
        return false;
    UndoList& undo = GetUndoList();
    switch (id) {
    case kEditUndo:
        state.enabled = undo.GetUndoCount() > 0;
        state.text = "Undo " + undo.GetUndoDescription() + "\tCtrl+Z";
        break;
    case kEditRedo:
        state.enabled = undo.GetRedoCount() > 0;
        state.text = "Redo " + undo.GetRedoDescription() + "\tCtrl+Y";
        break;
    case kReselect: state.enabled = m_world.selection.CanReselect(); break;
    case kBinarize:
    case kDeselect:
    case kFeather:
    case kInverse:
    case kBorder:
    case kContract:
    case kExpand:
    case kSaveSelection:
    case kMound:
    case kMoundtain:
    case kProfiledMound: state.enabled = m_world.selection.IsActive(); break;
    case kMultipleFiles: state.enabled = GetMultipleFilesExport() != nullptr; break;
    case kClearRivers: state.enabled = CanClearRiverOverlays(); break;
    case kToggleRivers: state.checked = !GetRiversHidden(); break;
    case kEnableRiverMask: state.checked = HasRiverExclusionMask(); break;
    default: state.enabled = true; break;
    }
    return true;
}

bool CKVDoc::OnCommand(int id)
{
    if (!HasCommand(id))
        return false;
    TerrainDialogs& dialogs = GetTerrainDialogs();
    DocCommandMemory& memory = Memory();
    CSelection& selection = m_world.selection;

    if (const SingleEditCommand* edit = FindSingleEdit(id)) {
        CSingleEditDlg dialog;
        dialog.title = edit->title;
        dialog.prompt = edit->prompt;
        dialog.value = memory.*(edit->value);
        if (!dialogs.RunSingleEdit(dialog) || !Finite(dialog.value))
            return true;
        memory.*(edit->value) = dialog.value;
        SelectionOp(id, dialog.value);
        return true;
    }
    for (int kind = kRangeAltitude; kind <= kRangeTemperature; ++kind) {
        if (kRanges[kind].id != id)
            continue;
        CRangeSelectDlg dialog;
        dialog.caption = kRanges[kind].caption;
        dialog.metricUnit = kRanges[kind].metricUnit;
        dialog.imperialUnit = kRanges[kind].imperialUnit;
        dialog.test = memory.rangeTest;
        dialog.combine = memory.rangeCombine;
        dialog.low = RangeToDisplay(kind, memory.rangeLow[kind]);
        dialog.high = RangeToDisplay(kind, memory.rangeHigh[kind]);
        if (!dialogs.RunRangeSelect(dialog))
            return true;
        if (dialog.test < 0 || dialog.test >= CRangeSelectDlg::kTestCount || dialog.combine < 0 ||
            dialog.combine >= CRangeSelectDlg::kCombineCount || !Finite(dialog.low) || !Finite(dialog.high))
            return true;
        memory.rangeTest = dialog.test;
        memory.rangeCombine = dialog.combine;
        memory.rangeLow[kind] = RangeFromDisplay(kind, dialog.low);
        memory.rangeHigh[kind] = RangeFromDisplay(kind, dialog.high);
        SelectRange(kind, memory.rangeLow[kind], memory.rangeHigh[kind], dialog.test, dialog.combine);
        return true;
    }
    for (const GlobalSetCommand& set : kGlobalSets) {
        if (set.id != id)
            continue;
        const bool altitude = id == kSetAltitude, rainfall = id == kSetRainfall;
        auto toDisplay = [&](float v) {
            return altitude ? AltitudeToDisplay(v) : rainfall ? RainToDisplay(v) : CelsiusToDisplay(v);
        };
        auto fromDisplay = [&](float v) {
            return altitude ? AltitudeFromDisplay(v) : rainfall ? RainFromDisplay(v) : CelsiusFromDisplay(v);
        };
        CGlobalAltSetDlg dialog;
        dialog.caption = set.caption;
        dialog.label = set.label;
        dialog.unit = IsMetric() ? set.metricUnit : set.imperialUnit;
        dialog.samples = memory.*(set.samples);
        dialog.value = toDisplay(memory.*(set.value));
        if (!dialogs.RunGlobalAltSet(dialog) || dialog.samples < CGlobalAltSetDlg::kMinSamples ||
            dialog.samples > CGlobalAltSetDlg::kMaxSamples || !Finite(dialog.value))
            return true;
        memory.*(set.samples) = dialog.samples;
        memory.*(set.value) = fromDisplay(dialog.value);
        const double value = memory.*(set.value);
        RecordUndo(set.step, set.channel);
        SurfaceSampler* sampler = GetSampler();
        int result = -1;
        if (sampler != nullptr) {
            result = altitude   ? m_world.GlobalSetAltitude(value, dialog.samples, *sampler)
                     : rainfall ? m_world.GlobalSetRainfall(value, dialog.samples, *sampler)
                                : m_world.GlobalSetTemperature(value, dialog.samples, *sampler);
        }
        g_abortValue.store(0);
        if (result >= 0)
            SetModifiedFlag(true);
        UpdateAllViews(nullptr, kHintChannels);
        return true;
    }

    switch (id) {
    case kEditUndo: OnEditUndo(); break;
    case kEditRedo: OnEditRedo(); break;
    case kSelectAll:
    case kDeselect:
    case kReselect:
    case kInverse: SelectionOp(id, 0.0f); break;
    case kDistance: OnDistanceSelection(); break;
    case kLoadSelection: {
        CSelectionFileDlg dialog;
        dialog.open = true;
        dialog.showCombine = true;
        dialog.title = "Load Selection Image File";
        dialog.filter = kImageFilter;
        dialog.defaultExtension = ".bmp";
        dialog.folder = memory.selectionFolder;
        dialog.combine = memory.loadCombine;
        if (!dialogs.RunFileDialog(dialog) || dialog.path.empty() || dialog.combine < 0 ||
            dialog.combine >= CSelectionFileDlg::kCombineCount)
            break;
        memory.loadCombine = dialog.combine;
        RecordSelectionUndo("Load Selection");
        const int result = selection.LoadImage(dialog.path, dialog.combine);
        if (result == -2)
            ShowMessage(dialog.path + " is not the right size and/or bit depth");
        else if (result == -1)
            ShowMessage("Can't open file " + dialog.path);
        else if (result != 0)
            ShowMessage(FormatC("Error %d reading from file ", result) + dialog.path);
        else {
            memory.selectionFolder = FolderOf(dialog.path);
            UpdateAllViews(nullptr, kHintSelection);
        }
        break;
    }
    case kSaveSelection: {
        CSelectionFileDlg dialog;
        dialog.open = false;
        dialog.title = "Save Selection Image File";
        dialog.filter = kBmpFilter;
        dialog.defaultExtension = ".bmp";
        dialog.folder = memory.selectionFolder;
        if (!dialogs.RunFileDialog(dialog) || dialog.path.empty())
            break;
        if (selection.SaveImage(dialog.path) < 0) {
            ShowMessage("Unable to save the file " + dialog.path + " as a selection.");
        } else {
            memory.selectionFolder = FolderOf(dialog.path);
            UpdateAllViews(nullptr, kHintSelection);
        }
        break;
    }
    case kClimateRange: {
        CClimateSelectDlg dialog;
        for (int j = 0; j < kClimateClassCount; ++j) {
            dialog.names.emplace_back(ClimateParms::GetClimateName(j));
            dialog.states.push_back(memory.climateStates[j]);
        }
        if (!dialogs.RunClimateSelect(dialog) || dialog.states.size() != static_cast<std::size_t>(kClimateClassCount))
            break;
        for (int j = 0; j < kClimateClassCount; ++j)
            memory.climateStates[j] = dialog.states[static_cast<std::size_t>(j)] != 0 ? 1 : 0;
        SelectClimateRange(memory.climateStates);
        break;
    }
    case kMound: {
        CMoundSettingsDlg dialog;
        dialog.min = AltitudeToDisplay(memory.moundLow);
        dialog.max = AltitudeToDisplay(memory.moundHigh);
        dialog.replaceOffset = memory.moundMode != 0;
        dialog.gamma = memory.moundExponent;
        if (!dialogs.RunMoundSettings(dialog) || !Finite(dialog.min) || !Finite(dialog.max) || !Finite(dialog.gamma))
            break;
        memory.moundLow = AltitudeFromDisplay(dialog.min);
        memory.moundHigh = AltitudeFromDisplay(dialog.max);
        memory.moundMode = dialog.replaceOffset ? 1 : 0;
        memory.moundExponent = dialog.gamma;
        RecordUndo("Mound", kChannelLandOffset);
        float result = 0.0f;
        {
            WaitCursorScope wait;
            result = m_world.MoundFromSelection(memory.moundLow, memory.moundHigh, memory.moundMode != 0,
                                                memory.moundExponent);
        }
        if (!(result > 0.0f))
            ShowMessage(kNoPixelsMessage);
        else
            SetModifiedFlag(true);
        UpdateAllViews(nullptr, kHintChannels);
        break;
    }
    case kMoundtain: {
        CMoundtainSettingsDlg dialog;
        dialog.min = AltitudeToDisplay(memory.moundtainLow);
        dialog.max = AltitudeToDisplay(memory.moundtainHigh);
        dialog.gamma = memory.moundtainExponent;
        dialog.contract = memory.moundtainStep;
        dialog.feather = memory.moundtainFeather;
        std::string refusal;
        int control = 0;
        if (!dialogs.RunMoundtainSettings(dialog) || !dialog.Validate(refusal, control) || !Finite(dialog.min) ||
            !Finite(dialog.max) || !Finite(dialog.gamma))
            break;
        memory.moundtainLow = AltitudeFromDisplay(dialog.min);
        memory.moundtainHigh = AltitudeFromDisplay(dialog.max);
        memory.moundtainExponent = dialog.gamma;
        memory.moundtainStep = dialog.contract;
        memory.moundtainFeather = dialog.feather;
        RecordUndo("Moundtain", kChannelLandOffset);
        Moundtain(memory.moundtainLow, memory.moundtainHigh, memory.moundtainExponent, memory.moundtainStep,
                  memory.moundtainFeather);
        UpdateAllViews(nullptr, kHintChannels);
        break;
    }
    case kProfiledMound: OnProfiledMound(); break;
    case kMathTool: {
        CMathToolDlg dialog;
        dialog.destination = memory.mathDestination;
        dialog.source1 = memory.mathSource1;
        dialog.operation = memory.mathOperation;
        dialog.source2 = memory.mathSource2;
        dialog.constant = memory.mathConstant;
        if (!dialogs.RunMathTool(dialog))
            break;
        // Answers outside the lists are refused before anything is recorded.
        if (dialog.destination < kMathOffset || dialog.destination > kMathUserBuffer) {
            ShowMessage(kInvalidDestination);
            break;
        }
        const int refused = dialog.source1 < kMathOffset || dialog.source1 > kMathConstant   ? kMathBadSource1
                            : dialog.source2 < kMathOffset || dialog.source2 > kMathConstant ? kMathBadSource2
                            : dialog.operation < kMathAdd || dialog.operation > kMathMaximum ? kMathBadOperation
                                                                                             : 0;
        if (refused != 0 || !Finite(dialog.constant)) {
            if (refused != 0)
                ShowMessage(MathToolMessage(refused));
            break;
        }
        memory.mathDestination = dialog.destination;
        memory.mathSource1 = dialog.source1;
        memory.mathOperation = dialog.operation;
        memory.mathSource2 = dialog.source2;
        memory.mathConstant = dialog.constant;
        const int channel = MathUndoChannel(dialog.destination);
        if (channel >= 0)
            RecordUndo(kMathStep, channel);
        const int result = RunMathTool(m_world, GetSampler(), dialog.destination, dialog.source1, dialog.operation,
                                       dialog.source2, dialog.constant);
        g_abortValue.store(0);
        if (result == 0) {
            // The selection and the user buffer are not kept in the file.
            if (dialog.destination == kMathSelection) {
                UpdateAllViews(nullptr, kHintSelection);
            } else if (dialog.destination != kMathUserBuffer) {
                SetModifiedFlag(true);
                UpdateAllViews(nullptr, kHintChannels);
            }
        } else if (const char* message = MathToolMessage(result)) {
            ShowMessage(message);
        }
        break;
    }
    case kAshgroveClimate: OnAshgroveClimate(); break;
    case kDefaultClimate:
        m_world.directClimate = 0;
        SetModifiedFlag(true);
        break;
    case kMultipleFiles:
        if (MultipleFilesExport* exporter = GetMultipleFilesExport())
            exporter->ExportMultipleFiles();
        break;
    case kGlobeSetup: OnGlobeSetup(); break;
    case kGlobeExport: OnGlobeExport(); break;
    case kBurnIn: OnBurnIn(); break;
    case kFillOffsetBasins: FillOffsetBasins(); break;
    case kFillLakeBasins: FillLakeBasins(); break;
    case kFindRivers: OnFindRivers(); break;
    case kClearRivers: OnClearRiverOverlays(); break;
    case kToggleRivers: OnToggleRiverOverlays(); break;
    case kEnableRiverMask: OnEnableRiverExclusionMask(); break;
    case kRemoveRiverMask: OnRemoveRiverExclusionMask(); break;
    case kInciseFlow: OnInciseFlow(); break;
    case kRemapAltitudes: OnRemapAltitudes(); break;
    case kSetUpSimpleCreate: OnSetUpSimpleCreate(); break;
    case kExecuteSimpleCreate: OnExecuteSimpleCreate(); break;
    case kPlanetaryBombardment: OnPlanetaryBombardment(); break;
    case kRunScript: OnRunScript(); break;
    case kExpandLand: ExpandLandInOffset(); break;
    default: break;
    }
    return true;
}

// ---------------------------------------------------------------------------------------
// Undo and redo

void CKVDoc::OnEditUndo()
{
    UndoList& undo = GetUndoList();
    // With nothing to redo the state after the last edit is kept first, so that Redo can
    // come back to it.
    if (undo.GetRedoCount() <= 0)
        undo.CheckpointAndUndo();
    undo.Undo();
    UpdateAllViews(nullptr, kHintUndoRedo);
}

void CKVDoc::OnEditRedo()
{
    GetUndoList().Redo();
    UpdateAllViews(nullptr, kHintUndoRedo);
}

// ---------------------------------------------------------------------------------------
// Select menu

void CKVDoc::SelectionOp(int id, float amount)
{
    CSelection& selection = m_world.selection;
    const int largerSide = std::max({selection.GetWidth(), selection.GetHeight(), 1});
    const SingleEditCommand* edit = FindSingleEdit(id);
    if (edit != nullptr && !Finite(amount))
        return;
    switch (id) {
    case kSelectAll:
        RecordSelectionUndo("Select All");
        selection.SelectAll();
        break;
    case kDeselect:
        RecordSelectionUndo("Deselect");
        selection.Deselect();
        break;
    case kReselect: selection.Reselect(); break;
    case kInverse:
        RecordSelectionUndo("Invert Selection");
        selection.Invert();
        break;
    case kFeather:
        RecordSelectionUndo(edit->step);
        selection.Feather(amount);
        break;
    case kContract:
        RecordSelectionUndo(edit->step);
        selection.Contract(Passes(amount, largerSide));
        break;
    case kExpand:
        RecordSelectionUndo(edit->step);
        selection.Expand(Passes(amount, largerSide));
        break;
    case kBinarize:
        RecordSelectionUndo(edit->step);
        selection.Binarize(Passes(amount, INT_MAX));
        break;
    case kBorder:
        RecordSelectionUndo(edit->step);
        selection.Border(Passes(amount, largerSide));
        break;
    default: return;
    }
    UpdateAllViews(nullptr, kHintSelection);
}

// ---------------------------------------------------------------------------------------
// Moundtain

float CKVDoc::Moundtain(float low, float high, float exponent, int step, float feather)
{
    CSelection& selection = m_world.selection;
    const int largerSide = std::max({selection.GetWidth(), selection.GetHeight(), 1});
    step = std::clamp(step, 0, largerSide);
    CSelection copy(selection);
    float largest = 0.0f;
    bool changed = false;
    g_abortValue.store(0);
    ProgressBeginHook(kSelectionDistanceText, 1);
    while (!AbortRequested()) {
        const float r = m_world.MoundFromSelection(low, high, false, exponent);
        if (!(r > 0.0f))
            break;
        changed = true;
        largest = std::max(largest, r);
        Grid2DPtr before = copy.Cells() != nullptr ? Clone2D(copy.Cells()) : nullptr;
        copy.Contract(step);
        // A copy that contraction no longer changes would raise the same mound for ever.
        const bool stuck = before == nullptr || Equal2D(before.get(), copy.Cells()) == 1;
        selection = copy;
        selection.Feather(feather);
        ProgressStepHook(largest - r, largest);
        ProgressPollHook();
        if (stuck)
            break;
    }
    ProgressEndHook();
    g_abortValue.store(0);
    if (changed)
        SetModifiedFlag(true);
    return largest;
}

// ---------------------------------------------------------------------------------------
// Climate models

void CKVDoc::OnAshgroveClimate()
{
    int w = 0, h = 0;
    if (m_world.GetGridSize(w, h) < 0)
        return;
    m_world.directClimate = 1;
    AshgroveClimateModel model;
    model.SetGridSize(w, h);
    if (!model.RunOn(m_world, w, h, [this](Grid2D& grid, const char* text) { return EvaluateHeightGrid(grid, text); }))
        return;
    g_abortValue.store(0);

    // The model's layers of the first season as debug images in the temporary folder.
    static constexpr const char* kLayerFiles[6] = {"M_MAIN.bmp",  "M_HEAT.bmp", "M_PRESS.bmp",
                                                   "M_WIND.bmp", "M_RAIN.bmp", "M_CLIM.bmp"};
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    VideoBuffer bitmap;
    if (!error && bitmap.Create(w, h, 32) == 0) {
        for (int layer = 0; layer < 6; ++layer) {
            bitmap.Clear(0xff00ff);
            model.DrawLayer(bitmap, layer, 0);
            bitmap.SaveBMP((folder / kLayerFiles[layer]).string());
        }
    }

    Grid2D* climate = m_world.Channel(kChannelClimate);
    const Grid2D* rain = m_world.Channel(kChannelRainfall);
    const Grid2D* temperature = m_world.Channel(kChannelTemperature);
    if (climate != nullptr && rain != nullptr && temperature != nullptr && climate->CellCount() == rain->CellCount() &&
        climate->CellCount() == temperature->CellCount()) {
        float* out = climate->DataAs<float>();
        const float* r = rain->DataAs<float>();
        const float* t = temperature->DataAs<float>();
        for (std::size_t i = 0; i < climate->CellCount(); ++i)
            out[i] = static_cast<float>(ClimateParms::LookupClimateClass(r[i], t[i]));
    }
    SetModifiedFlag(true);
    UpdateAllViews(nullptr, kHintUndoRedo);
}

namespace {

const ServiceSlotRegistration kMultipleFilesExportSlot("MultipleFilesExport", [] { return g_export.load() != nullptr; });
const ServiceSlotRegistration kWorldImageRendererSlot("WorldImageRenderer", [] { return g_renderer.load() != nullptr; });

} // namespace

} // namespace kv
