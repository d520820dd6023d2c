// Craters and the planetary bombardment on the document's world.
#include "base/DisplayUnits.h"
#include "base/Progress.h"
#include "base/Random.h"
#include "document/CKVDoc.h"
#include "document/DocumentServices.h"
#include "document/StepProgress.h"
#include "document/TerrainDialogs.h"

#include <cmath>

#include <cstdint>

namespace kv {

void CKVDoc::DrawCrater(float latitude, float longitude, float extent)
{
    RecordUndo("Crater", kChannelLandOffset);
    g_abortValue = 0;
    CraterStamper stamper(m_world, GetSampler());
    if (m_world.sphericalMapping)
        stamper.Draw(latitude, longitude, extent, true, false, IsMetric());
    stamper.Draw(latitude, longitude, extent, false, false, IsMetric());
    SetModifiedFlag(true);
}

namespace {
constexpr double kKmToMiles = 1000.0 * 3.28084 * 0.00018939393;
constexpr double kMilesToKm = 5280.0 * 0.3048 * 0.001;
} // namespace

void CKVDoc::OnPlanetaryBombardment()
{
    const bool metric = IsMetric();
    BombardmentSettings shown = BombardmentSettings::Remembered();
    if (!metric) {
        shown.largest *= kKmToMiles;
        shown.smallest *= kKmToMiles;
    }
    if (!GetTerrainDialogs().RunBombardment(shown))
        return;
    for (double v : {shown.largest, shown.smallest, shown.sizeExponent, shown.smoothingAmount})
        if (!std::isfinite(v))
            return;
    if (!metric) {
        shown.largest *= kMilesToKm;
        shown.smallest *= kMilesToKm;
    }
    if (shown.largest < shown.smallest)
        std::swap(shown.largest, shown.smallest);
    BombardmentSettings::Remembered() = shown;
    RunBombardment(shown);
}

int CKVDoc::RunBombardment(const BombardmentSettings& settings)
{
    BombardmentSettings s = settings;
    if (s.largest < s.smallest)
        std::swap(s.largest, s.smallest);
    // The sampler first: making one reseeds the thread's generator with the world seed.
    CraterStamper stamper(m_world, GetSampler());
    SRand(static_cast<uint32_t>(GetSeedClock().Counter()));
    const std::vector<float> sizes = BombardmentSizes(s);
    RecordUndo("Crater Bombardment", kChannelLandOffset);
    // One two-bar window for the whole run: each crater's own progress fills the lower bar,
    // the share of craters drawn the upper one.
    StepProgressScope window;
    g_abortValue = 0;
    const int count = static_cast<int>(sizes.size());
    int drawn = 0;
    for (int i = 0; i < count && !AbortRequested(); ++i) {
        const float latitude = static_cast<float>(Rand() * (1.0 / 32767.0) * 180.0 - 90.0);
        const float longitude = static_cast<float>(Rand() * (1.0 / 32767.0) * 360.0 - 180.0);
        const float extent = static_cast<float>(sizes[static_cast<size_t>(i)] / (m_world.circumference * (1.0 / 360.0)));
        stamper.Draw(latitude, longitude, extent, true, true, IsMetric());
        ++drawn;
        SetModifiedFlag(true);
        // An interval below 1 never smooths.
        if (i > 0 && s.smoothingInterval >= 1 && i % s.smoothingInterval == 0)
            m_world.SmoothChannel(kChannelLandOffset, static_cast<float>(s.smoothingAmount));
        GetStepProgress().SetTotalPos(static_cast<int>(static_cast<double>(i) / count * 100.0));
    }
    UpdateAllViews(nullptr, kHintChannels);
    g_abortValue = 0;
    return drawn;
}

} // namespace kv
