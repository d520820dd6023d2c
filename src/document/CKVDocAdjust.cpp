// The whole-world channel edits of the global adjust commands and the paint steps.
#include "document/CKVDoc.h"

#include "world/ChannelDeterrace.h"

namespace kv {

namespace {

// Step names by channel 0..6 (null: the operation has no entry for the channel).
constexpr const char* kPaintSteps[7] = {"Roughness Edit",   "Offset Edit",      "Rainfall Edit",  "Temperature Edit",
                                        "Water Level Edit", "Climate Edit",     "PreOffset Edit"};
constexpr const char* kAdjustSteps[7] = {"Global Roughness",   "Global Offset", "Global Rainfall",
                                         "Global Temperature", "Global Water Level", nullptr,
                                         "Global Prescale Offset"};
constexpr const char* kSetSteps[7] = {"Set Global Roughness",   "Set Global Offset", "Set Global Rainfall",
                                      "Set Global Temperature", "Set Global Water Level", nullptr,
                                      "Set Global PreOffset"};
constexpr const char* kSmoothSteps[7] = {"Smooth Global Roughness",   "Smooth Global Offset",
                                         "Smooth Global Rainfall",    "Smooth Global Temperature",
                                         "Smooth Global Water Level", nullptr,
                                         "Smooth Global PreOffset"};
constexpr const char* kNoiseSteps[7] = {"Noise Global Roughness", "Noise Global Offset", "Noise Global Rainfall",
                                        "Noise Global Temperature", nullptr, nullptr, "Noise Global PreOffset"};
constexpr const char* kDeterraceSteps[7] = {"Deterrace Global Roughness",   "Deterrace Global Offset",
                                            "Deterrace Global Rainfall",    "Deterrace Global Temperature",
                                            "Deterrace Global Water Level", nullptr,
                                            "Deterrace Global Prescale Offset"};

const char* StepName(const char* const (&names)[7], int channel)
{
    return channel >= 0 && channel < 7 ? names[channel] : nullptr;
}

} // namespace

bool CKVDoc::ChannelMissing(int channel) const
{
    return channel == kChannelPrescale && (!m_world.prescaleEnabled || m_world.Channel(kChannelPrescale) == nullptr);
}

int CKVDoc::Finish(int result)
{
    if (result >= 0)
        SetModifiedFlag(true);
    return result;
}

int CKVDoc::PaintChannel(int channel, double latitude, double longitude, ChannelBrush& brush, bool strokeStart)
{
    const char* step = StepName(kPaintSteps, channel);
    if (step == nullptr)
        return -1;
    if (ChannelMissing(channel))
        return 0;
    if (strokeStart)
        RecordUndo(step, channel);
    return Finish(m_world.BrushAtLatLon(channel, latitude, longitude, brush));
}

int CKVDoc::PaintRoughness(double latitude, double longitude, ChannelBrush& brush, bool strokeStart)
{
    return PaintChannel(kChannelRoughness, latitude, longitude, brush, strokeStart);
}

int CKVDoc::PaintOffset(double latitude, double longitude, ChannelBrush& brush, bool strokeStart)
{
    return PaintChannel(kChannelLandOffset, latitude, longitude, brush, strokeStart);
}

int CKVDoc::PaintRainfall(double latitude, double longitude, ChannelBrush& brush, bool strokeStart)
{
    return PaintChannel(kChannelRainfall, latitude, longitude, brush, strokeStart);
}

int CKVDoc::PaintTemperature(double latitude, double longitude, ChannelBrush& brush, bool strokeStart)
{
    return PaintChannel(kChannelTemperature, latitude, longitude, brush, strokeStart);
}

int CKVDoc::PaintWaterLevel(double latitude, double longitude, ChannelBrush& brush, bool strokeStart)
{
    return PaintChannel(kChannelWaterLevel, latitude, longitude, brush, strokeStart);
}

int CKVDoc::PaintClimate(double latitude, double longitude, ChannelBrush& brush, bool strokeStart)
{
    return PaintChannel(kChannelClimate, latitude, longitude, brush, strokeStart);
}

int CKVDoc::PaintPrescaleOffset(double latitude, double longitude, ChannelBrush& brush, bool strokeStart)
{
    return PaintChannel(kChannelPrescale, latitude, longitude, brush, strokeStart);
}

int CKVDoc::GlobalAdjust(int channel, float amount, float minimum, float maximum)
{
    const char* step = StepName(kAdjustSteps, channel);
    if (step == nullptr)
        return -1;
    // Recorded even for a missing prescale grid, whose add then fails.
    RecordUndo(step, channel);
    return Finish(m_world.AddToChannel(channel, amount, minimum, maximum));
}

int CKVDoc::SmoothGlobal(int channel, float amount)
{
    const char* step = StepName(kSmoothSteps, channel);
    if (step == nullptr)
        return -1;
    if (ChannelMissing(channel))
        return 0;
    RecordUndo(step, channel);
    return Finish(m_world.SmoothChannel(channel, amount));
}

int CKVDoc::SetGlobal(int channel, float value)
{
    const char* step = StepName(kSetSteps, channel);
    if (step == nullptr)
        return -1;
    if (ChannelMissing(channel))
        return 0;
    RecordUndo(step, channel);
    return Finish(m_world.GlobalSetChannel(channel, value));
}

int CKVDoc::NoiseGlobal(int channel, int noiseType, float mean, float variance, float except)
{
    const char* step = StepName(kNoiseSteps, channel);
    if (step == nullptr)
        return -1;
    if (ChannelMissing(channel))
        return 0;
    RecordUndo(step, channel);
    return Finish(m_world.AddNoiseToChannel(channel, noiseType == 1, mean, variance, except));
}

int CKVDoc::DeterraceGlobal(int channel, int directions)
{
    const char* step = StepName(kDeterraceSteps, channel);
    if (step == nullptr)
        return -1;
    if (ChannelMissing(channel))
        return 0;
    RecordUndo(step, channel);
    if (Grid2D* grid = m_world.Channel(channel))
        Deterrace(*grid, directions);
    SetModifiedFlag(true);
    return 0;
}

int CKVDoc::Deterrace(Grid2D& grid, int directions)
{
    return DeterraceChannelGrid(grid, directions, m_world.selection);
}

} // namespace kv
