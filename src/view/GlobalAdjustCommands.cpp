#include "view/GlobalAdjustCommands.h"

#include "base/DisplayUnits.h"
#include "base/Random.h"
#include "document/CKVDoc.h"
#include "document/DocumentServices.h"
#include "document/TerrainDialogs.h"

#include <algorithm>
#include <cmath>

namespace kv {

namespace {

using K = GlobalCommandKind;

constexpr float kUnbounded = 1e20f;
constexpr float kRoughnessLow = 0.0f;
constexpr float kRoughnessHigh = 10000.0f;
constexpr float kSmallestSmoothing = 0.001f;
constexpr int kFewestDirections = 2;
constexpr int kMostDirections = 1024;

constexpr GlobalCommandRow kRows[] = {
    {33030, K::Lower, 1, "Global Altitude - Lower", "Amount (m):", "Amount (ft):", 950},
    {33214, K::Lower, 6, "Global Prescale Offset - Lower", "Amount:", "Amount:", 983},
    {33031, K::Lower, 0, "Global Altitude - Smooth", "Amount", "Amount", 951},
    {33032, K::Lower, 2, "Global Rainfall - Drier", "Amount (cm):", "Amount (in):", 952},
    {33033, K::Lower, 3, "Global Temperature - Colder", "Amount (C):", "Amount (F):", 953},
    {33034, K::Lower, 4, "Global Water Level - Lower", "Amount (m):", "Amount (ft):", 954},
    {33035, K::Raise, 1, "Global Altitude - Raise", "Amount (m):", "Amount (ft):", 955},
    {33213, K::Raise, 6, "Global Prescale Offset - Raise", "Amount:", "Amount:", 982},
    {33036, K::Raise, 0, "Global Altitude - Roughen", "Amount", "Amount", 956},
    {33037, K::Raise, 2, "Global Rainfall - Wetter", "Amount (cm):", "Amount (in):", 957},
    {33038, K::Raise, 3, "Global Temperature - Hotter", "Amount (C):", "Amount (F):", 958},
    {33039, K::Raise, 4, "Global Water Level - Raise", "Amount (m):", "Amount (ft):", 959},
    {33040, K::Set, 1, "Set Global Offset Adjustment", "Height (m):", "Height (ft):", 960},
    {33212, K::Set, 6, "Set Global Prescale Offset Adjustment", "Amount:", "Amount:", 981},
    {33041, K::Set, 0, "Set Global Roughness Adjustment", "Amount", "Amount", 961},
    {33042, K::Set, 2, "Set Global Rainfall Adjustment", "Amount (cm):", "Amount (in):", 962},
    {33043, K::Set, 3, "Set Global Temperature Adjustment", "Amount (C):", "Amount (F):", 963},
    {33044, K::Set, 4, "Set Global Water Level", "Amount (m):", "Amount (ft):", 964},
    {33117, K::Smooth, 1, "Global Offset Smoothing", "Amount", "Amount", 965},
    {33215, K::Smooth, 6, "Global Prescale Offset Smoothing", "Amount", "Amount", 984},
    {33118, K::Smooth, 0, "Global Roughness Smoothing", "Amount", "Amount", 966},
    {33119, K::Smooth, 2, "Global Rainfall Smoothing", "Amount", "Amount", 967},
    {33120, K::Smooth, 3, "Global Temperature Smoothing", "Amount", "Amount", 968},
    {33199, K::Smooth, 4, "Global Water Level Smoothing", "Amount", "Amount", 980},
    {33181, K::Deterrace, 1, "Global Offset - Deterrace", "Amount", "Amount", 969},
    {33218, K::Deterrace, 6, "Global Prescale Offset - Deterrace", "Amount", "Amount", 969},
    {33182, K::Deterrace, 0, "Global Roughness - Deterrace", "Amount", "Amount", 970},
    {33183, K::Deterrace, 2, "Global Rainfall - Deterrace", "Amount", "Amount", 971},
    {33184, K::Deterrace, 3, "Global Temperature - Deterrace", "Amount", "Amount", 972},
    {33185, K::Deterrace, 4, "Global Water Level - Deterrace", "Amount", "Amount", 973},
    {33111, K::Noise, 1, "Add Noise to Offset", "", "", 0},
    {33216, K::Noise, 6, "Add Noise to Prescale Offset", "", "", 0},
    {33112, K::Noise, 0, "Add Noise to Roughness", "", "", 0},
    {33113, K::Noise, 2, "Add Noise to Rainfall", "", "", 0},
    {33114, K::Noise, 3, "Add Noise to Temperature", "", "", 0},
};

constexpr struct {
    int paint;
    int global;
} kShiftedPaint[] = {
    {33050, 33035}, {33047, 33030}, {33052, 33036}, {33054, 33031}, {33020, 33037}, {33006, 33032},
    {33010, 33038}, {33003, 33033}, {33209, 33212}, {33210, 33213}, {33211, 33214},
};

// Holds the view's busy counter for the lifetime of a command.
class BusyScope {
public:
    explicit BusyScope(GlobalAdjustView& view) : m_view(view) { m_view.EnterBusy(); }
    ~BusyScope() { m_view.LeaveBusy(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    GlobalAdjustView& m_view;
};

} // namespace

const GlobalCommandRow* FindGlobalCommand(int id)
{
    for (const GlobalCommandRow& row : kRows)
        if (row.id == id)
            return &row;
    return nullptr;
}

int GlobalCommandForShiftedPaint(int paintCommandId)
{
    for (const auto& entry : kShiftedPaint)
        if (entry.paint == paintCommandId)
            return entry.global;
    return 0;
}

SharedGlobalValues& GetSharedGlobalValues()
{
    static SharedGlobalValues values;
    return values;
}

int GlobalAdjustCommands::DeterraceCountFromTyped(float typed)
{
    const double whole = std::clamp(std::trunc(static_cast<double>(typed)), double(kFewestDirections),
                                    double(kMostDirections));
    return (static_cast<int>(whole) + 1) & ~1;
}

float GlobalAdjustCommands::ToMetric(int channel, float typed)
{
    if (IsMetric())
        return typed;
    switch (channel) {
    case 1:
    case 4:
        return static_cast<float>(typed * kMetresPerFoot);
    case 2:
        return static_cast<float>(typed * kCmPerInch);
    case 3:
        return static_cast<float>(typed * 0.5555556);
    default:
        return typed;
    }
}

float GlobalAdjustCommands::ToDisplay(int channel, float metric)
{
    if (IsMetric())
        return metric;
    switch (channel) {
    case 1:
    case 4:
        return static_cast<float>(metric * kFeetPerMetre);
    case 2:
        return static_cast<float>(metric * kInchesPerCm);
    case 3:
        return static_cast<float>(metric * 1.8);
    default:
        return metric;
    }
}

bool GlobalAdjustCommands::IsEnabled(int id) const
{
    const GlobalCommandRow* row = FindGlobalCommand(id);
    if (row == nullptr || row->channel != 6)
        return true;
    const SurfMap& world = m_document.GetWorld();
    return world.prescaleEnabled && world.Channel(6) != nullptr;
}

bool GlobalAdjustCommands::OnCommand(int id)
{
    if (id == kAddViewCommand) {
        m_view.StoreView();
        return true;
    }
    const GlobalCommandRow* row = FindGlobalCommand(id);
    if (row == nullptr)
        return false;
    BusyScope busy(m_view);
    if (row->kind == K::Noise)
        RunNoiseCommand(*row);
    else
        RunValueCommand(*row);
    return true;
}

bool GlobalAdjustCommands::OnShiftedPaintCommand(int paintCommandId)
{
    const int global = GlobalCommandForShiftedPaint(paintCommandId);
    return global != 0 && OnCommand(global);
}

void GlobalAdjustCommands::RunValueCommand(const GlobalCommandRow& row)
{
    const int channel = row.channel;
    SharedGlobalValues& shared = GetSharedGlobalValues();
    CSingleEditDlg dialog;
    dialog.title = row.title;
    dialog.prompt = IsMetric() ? row.metricPrompt : row.imperialPrompt;
    dialog.helpTopic = row.helpTopic;
    switch (row.kind) {
    case K::Lower:
    case K::Raise:
        dialog.value = lowerRaiseAmount[channel];
        break;
    case K::Set:
        dialog.value = shared.setValue[channel];
        break;
    case K::Smooth:
        dialog.value = shared.smoothAmount[channel];
        break;
    default:
        dialog.value = static_cast<float>(deterraceCount);
        break;
    }
    // Values that are not numbers are refused before anything is remembered or recorded.
    if (!GetTerrainDialogs().RunSingleEdit(dialog) || !std::isfinite(dialog.value))
        return;
    const float typed = dialog.value;
    switch (row.kind) {
    case K::Lower:
    case K::Raise: {
        lowerRaiseAmount[channel] = typed;
        const float amount = ToMetric(channel, typed);
        const bool roughness = channel == 0;
        m_document.GlobalAdjust(channel, row.kind == K::Lower ? -amount : amount,
                                roughness ? kRoughnessLow : -kUnbounded, roughness ? kRoughnessHigh : kUnbounded);
        break;
    }
    case K::Set:
        shared.setValue[channel] = typed;
        m_document.SetGlobal(channel, ToMetric(channel, typed));
        break;
    case K::Smooth:
        shared.smoothAmount[channel] = std::fabs(typed);
        if (!(shared.smoothAmount[channel] > kSmallestSmoothing))
            return;
        m_document.SmoothGlobal(channel, shared.smoothAmount[channel]);
        break;
    default:
        deterraceCount = DeterraceCountFromTyped(typed);
        m_document.DeterraceGlobal(channel, deterraceCount);
        break;
    }
    m_view.RestartRender();
}

void GlobalAdjustCommands::RunNoiseCommand(const GlobalCommandRow& row)
{
    const int channel = row.channel;
    NoiseRecord& record = GetSharedGlobalValues().noise[channel];
    CNoiseDataDlg dialog;
    dialog.caption = row.title;
    dialog.noiseType = record.noiseType;
    dialog.mean = ToDisplay(channel, record.mean);
    dialog.variance = ToDisplay(channel, record.variance);
    dialog.except = ToDisplay(channel, record.except);
    SRand(static_cast<uint32_t>(GetSeedClock().Counter()));
    dialog.seed = Rand();
    if (!GetTerrainDialogs().RunNoiseData(dialog) || !std::isfinite(dialog.mean) || !std::isfinite(dialog.variance) ||
        !std::isfinite(dialog.except))
        return;
    record.noiseType = dialog.noiseType;
    record.mean = ToMetric(channel, dialog.mean);
    record.variance = ToMetric(channel, dialog.variance);
    record.except = ToMetric(channel, dialog.except);
    SeedRandom(static_cast<uint32_t>(dialog.seed));
    m_document.NoiseGlobal(channel, record.noiseType, record.mean, record.variance, record.except);
    m_view.RestartRender();
}

} // namespace kv
