// Simple Create: a world made from climate classes painted into the image overlays.
#include "base/AppSettings.h"
#include "base/DisplayUnits.h"
#include "base/MessageService.h"
#include "base/Progress.h"
#include "base/grid/GridFilters.h"
#include "base/layers/CSelection.h"
#include "document/CKVDoc.h"
#include "document/DocumentServices.h"
#include "document/SimpleCreate.h"
#include "document/TerrainDialogs.h"
#include "world/RowEvaluation.h"
#include "world/SurfaceSampler.h"
#include "world/GridGeometry.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <vector>

namespace kv {

namespace {

constexpr int kHideAllOverlays = 33156;
constexpr int kSelectAll = 33069;
constexpr int kDeselect = 33073;
constexpr int kOverlayWidth = 1024;
constexpr int kOverlayHeight = 512;

enum : int {
    kClassOcean = 11,
    kClassShallowOcean = 12,
    kClassMountain = 13,
    kClassHills = 14,
    kClassOceanicTrench = 16,
};

constexpr const char* kSetUpMessage =
    "An image overlay layer named SimpleCreateLayer has been\nadded to the system. Use the overlay painting tools on\n"
    "the Image Overlays menu to paint the desired climate types\nfrom the climate palette into the overlay system.\n"
    "When the desired information has been entered, use the\nTools>>Actions>>Execute Simple Create menu item to "
    "convert\nthe climate types of all visible layers into elevations and\nclimates.";

// The class whose colour the pixel has (low 24 bits), or -1.
int ClassOfColour(const ClimateParms& climate, uint32_t rgb)
{
    for (int c : {kClassMountain, kClassHills, kClassShallowOcean, kClassOcean, kClassOceanicTrench})
        if ((climate.ClimateColor(c) & 0xFFFFFF) == (rgb & 0xFFFFFF))
            return c;
    return -1;
}

// Values low .. high over the cells of one class by their normalised distance from the
// class's edge. A class with no cells is skipped; equal normalised distances (one cell, a
// thin line) give the ratio 1.
void Ramp(Grid2D& work, const Grid2D& classes, int cls, double low, double high)
{
    const int w = static_cast<int>(work.Width()), h = static_cast<int>(work.Height());
    CSelection mask;
    if (mask.Create(w, h) != 0)
        return;
    auto cl = classes.Rows<int32_t>();
    bool any = false;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool in = cl[y][x] == cls;
            mask.SetAt(x, y, in ? 255 : 0);
            any = any || in;
        }
    if (!any)
        return;
    Grid2DPtr distance = Alloc2D(w, h, sizeof(float));
    float largest = 0.0f;
    if (!distance || mask.DistanceFill(*distance, &largest, 0.0f) != 0 || !(largest > 0.0f))
        return;
    auto d = distance->Rows<float>();
    double lo = 1e20, hi = -1e20;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (cl[y][x] == cls) {
                const double e = d[y][x] / largest;
                lo = std::min(lo, e);
                hi = std::max(hi, e);
            }
    auto out = work.Rows<float>();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (cl[y][x] == cls) {
                const double e = d[y][x] / largest;
                const double ratio = hi > lo ? (e - lo) / (hi - lo) : 1.0;
                out[y][x] = static_cast<float>(low + (high - low) * ratio);
            }
}

// One row of the working grid sampled bilinearly at a fractional position (columns wrap,
// rows clamp).
float Bilinear(const Grid2D& g, double row, double col)
{
    const int w = static_cast<int>(g.Width()), h = static_cast<int>(g.Height());
    row = std::clamp(row, 0.0, static_cast<double>(h - 1));
    const int r0 = static_cast<int>(row), r1 = std::min(r0 + 1, h - 1);
    const int c0 = static_cast<int>(std::floor(col));
    const double fr = row - r0, fc = col - c0;
    const int ca = ((c0 % w) + w) % w, cb = (ca + 1) % w;
    auto v = g.Rows<float>();
    const double top = v[r0][ca] + (v[r0][cb] - v[r0][ca]) * fc;
    const double bottom = v[r1][ca] + (v[r1][cb] - v[r1][ca]) * fc;
    return static_cast<float>(top + (bottom - top) * fr);
}

} // namespace

void CKVDoc::OnSetUpSimpleCreate()
{
    ImageOverlay* layer = m_overlays.FindByName(kSimpleCreateLayer);
    bool clear = true;
    {
        std::lock_guard<std::recursive_mutex> lock(OverlayLock());
        if (layer) {
            clear = AskYesNo("A layer named SimpleCreateLayer exists.\nWould you like to clear it?");
        } else {
            layer = m_overlays.AddNamed(kSimpleCreateLayer, kOverlayWidth, kOverlayHeight, true);
            if (layer)
                layer->SetGeometry(kOverlayWidth, kOverlayHeight, -180.0, 90.0, 180.0, -90.0);
        }
        if (!layer) {
            ShowMessage("Unable to create the SimpleCreateLayer overlay");
            return;
        }
        layer->visible = true;
        if (clear)
            layer->Fill(0xFF000000u | (m_world.climate.ClimateColor(kClassOcean) & 0xFFFFFF));
    }
    m_overlays.SetActive(layer);
    if (m_view)
        m_view->SetActiveOverlay(layer);
    m_overlays.RefreshDialog();
    SetModifiedFlag(true);
    UpdateAllViews(nullptr, kHintRiverChannelsRemoved);
    GetFrameRequests().ShowBar(FrameRequests::kClimateSelectorBar);
    ShowMessage(kSetUpMessage);
}

void CKVDoc::OnExecuteSimpleCreate()
{
    if (!m_overlays.AnyVisible()) {
        ShowMessage("No overlays are active.\nAt least one overlay must be active to begin\ncreating a world using "
                    "this tool.");
        return;
    }
    if (!m_overlays.FindByName(kSimpleCreateLayer) &&
        !AskYesNo("It does not appear that the Tools>>Actions>>Set Up Simple Create Mode\nmenu item has been "
                  "performed to set up the operation.\nWould you like continue?"))
        return;
    SimpleCreateSettings settings;
    settings.Read(GetAppSettings());
    const bool metric = IsMetric();
    settings.ToDisplayUnits(metric);
    if (!GetTerrainDialogs().RunSimpleCreate(settings))
        return;
    settings.FromDisplayUnits(metric);
    RunSimpleCreate(settings);
}

int CKVDoc::RunSimpleCreate(const SimpleCreateSettings& settingsIn)
{
    SimpleCreateSettings s = settingsIn;
    // 1. settings
    s.Write(GetAppSettings());
    const double landScale = s.landScale, seaScale = s.seaScale;
    const bool shaping = std::fabs(landScale) >= 1e-6 || std::fabs(seaScale) >= 1e-6;
    // 2.
    if (!m_overlays.AnyVisible()) {
        ShowMessage("No overlays are active.\nUnable to perform the operation");
        return -1;
    }
    const int res = std::clamp(s.resolution, SimpleCreateSettings::kResolutions[0], 1024);
    const int rays = std::clamp(s.rays, SimpleCreateSettings::kRays[0], 256);
    const int w = res, n = std::max(2, res / 2);
    Grid2D* offset = m_world.Channel(kChannelLandOffset);
    Grid2D* rough = m_world.Channel(kChannelRoughness);
    // 3. the working grids: heights, the colours' classes, coverage
    Grid2DPtr work = Alloc2D(w, n, sizeof(float));
    Grid2DPtr scratch = Alloc2D(w, n, sizeof(float));
    Grid2DPtr classes = Alloc2D(w, n, sizeof(int32_t));
    Grid2DPtr covered = Alloc2D(w, n, 1);
    if (!work || !scratch || !classes || !covered || !offset || !rough) {
        ShowMessage("Not enough memory for Simple Create");
        return -2;
    }
    StopActiveViewRender();
    g_abortValue = 0;
    int result = 0;

    // 4. the overlays' composite colour at every working cell
    auto cls = classes->Rows<int32_t>();
    auto cov = covered->Rows<uint8_t>();
    ProgressBeginHook("Calculating overlay image", 1);
    {
        std::lock_guard<std::recursive_mutex> lock(OverlayLock());
        std::vector<double> longitudes(static_cast<std::size_t>(std::max(w, 0)));
        for (int j = 0; j < w; ++j)
            longitudes[static_cast<std::size_t>(j)] = GridColumnLongitude(j, w);
        const OverlayRowCompositor compositor(m_overlays, longitudes);
        std::vector<uint32_t> colours(longitudes.size());
        for (int i = 0; i < n && result == 0; ++i) {
            const double lat = GridRowLatitude(i, n);
            compositor.Row(lat, i, 0.0, colours.data());
            for (int j = 0; j < w; ++j) {
                const uint32_t c = colours[static_cast<std::size_t>(j)];
                cov[i][j] = (c >> 24) != 0 ? 1 : 0;
                cls[i][j] = cov[i][j] ? ClassOfColour(m_world.climate, c) : -1;
            }
            ProgressStepHook(i, n);
            ProgressPollHook();
            if (AbortRequested())
                result = -3;
        }
    }
    ProgressEndHook();

    // 5. raw heights, deterraced
    auto wk = work->Rows<float>();
    if (result == 0) {
        ProgressBeginHook("Creating raw height image", 1);
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < w; ++j) {
                if (!cov[i][j])
                    continue;
                switch (cls[i][j]) {
                case kClassMountain: wk[i][j] = static_cast<float>(s.mountainBase); break;
                case kClassHills: wk[i][j] = static_cast<float>(s.hillBase); break;
                case kClassShallowOcean: wk[i][j] = static_cast<float>(s.shallow); break;
                case kClassOcean: wk[i][j] = static_cast<float>(s.abyss); break;
                case kClassOceanicTrench: wk[i][j] = static_cast<float>(s.abyss - 1.0); break;
                default: wk[i][j] = 0.001f; break;
                }
            }
        if (DeterraceSurface(*work, *scratch, rays, 1e-5f) == kFilterAborted)
            result = -3;
        else
            Copy2D(work.get(), scratch.get());
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < w; ++j)
                if (cls[i][j] == kClassOcean)
                    wk[i][j] = static_cast<float>(s.abyss);
        ProgressEndHook();
    }

    // 6. ramps
    if (result == 0) {
        ProgressBeginHook("Creating mountains, hills, and trenches", 1);
        Ramp(*work, *classes, kClassMountain, s.mountainBase, s.mountainPeak);
        ProgressStepHook(1, 3);
        Ramp(*work, *classes, kClassOceanicTrench, s.abyss, s.trench);
        ProgressStepHook(2, 3);
        Ramp(*work, *classes, kClassHills, s.hillBase, s.hillTop);
        ProgressStepHook(3, 3);
        ProgressEndHook();
    }

    if (result == 0) {
        // 7. the new basis is current before the landness pass samples it
        if (shaping) {
            m_world.basisId = 1;
            m_world.shapingOn = 0;
            m_world.CreateFractalBasis();
        }
        // 8. the channels from the working grid: working cells lie round the globe the way
        // the channel cells do, so a channel cell reads the working grid at its own position.
        const int W = static_cast<int>(offset->Width()), H = static_cast<int>(offset->Height());
        const bool roughFits = static_cast<int>(rough->Width()) == W && static_cast<int>(rough->Height()) == H;
        auto off = offset->Rows<float>();
        for (int i = 0; i < H; ++i) {
            const double wr = i * (n - 1.0) / std::max(1, H - 1);
            for (int j = 0; j < W; ++j) {
                const double wc = static_cast<double>(j) * w / std::max(1, W);
                const int ri = std::clamp(static_cast<int>(std::lround(wr)), 0, n - 1);
                const int ci = static_cast<int>(std::lround(wc)) % std::max(1, w);
                if (!cov[ri][ci])
                    continue;
                off[i][j] = Bilinear(*work, wr, wc);
                if (roughFits)
                    rough->Rows<float>()[i][j] = static_cast<float>(
                        (wk[ri][ci] == static_cast<float>(s.abyss) ? seaScale : landScale) * 0.001);
            }
        }
        // 9. landness
        if (shaping) {
            GaussianBlurFloatGrid(*rough, 2.0f);
            Grid2DPtr copy = Clone2D(offset);
            SurfaceSampler* sampler = GetSampler();
            ProgressBeginHook("Enforcing landness", 1);
            if (copy && sampler) {
                auto cp = copy->Rows<float>();
                // Each row reads and writes its own cells only: the rows go to all cores,
                // each thread with its own copy of the sampler.
                auto landness = [&](SurfaceSampler& rowSampler, int i) {
                    for (int j = 0; j < W; ++j) {
                        const int ri = std::clamp(static_cast<int>(std::lround(i * (n - 1.0) / std::max(1, H - 1))), 0, n - 1);
                        const int ci = static_cast<int>(std::lround(static_cast<double>(j) * w / std::max(1, W))) % std::max(1, w);
                        if (!cov[ri][ci])
                            continue;
                        double lat, lon;
                        rowSampler.GridCellToLatLon(j, i, lat, lon);
                        const double N = rowSampler.GetBasisValue(lat, lon) * (roughFits ? rough->Rows<float>()[i][j] : 0.0) +
                                         off[i][j] + 4.0;
                        const double M = m_world.SampleWaterLevel(lat, lon);
                        const int c = cls[ri][ci];
                        const bool sea = c == kClassOceanicTrench || c == kClassOcean || c == kClassShallowOcean;
                        if (sea && M < N)
                            cp[i][j] = static_cast<float>(cp[i][j] - (N - M + 100.0));
                        else if (!sea && M >= N)
                            cp[i][j] = static_cast<float>(cp[i][j] + (M - N + 50.0));
                    }
                };
                EvaluateRowBatches(*sampler, H, landness, [&](int first, int last) {
                    for (int i = first; i < last; ++i) {
                        ProgressStepHook(i, H);
                        ProgressPollHook();
                        if (AbortRequested()) {
                            result = -3;
                            return false;
                        }
                    }
                    return true;
                });
                GaussianBlurFloatGrid(*copy, 1.0f);
                Copy2D(offset, copy.get());
            }
            ProgressEndHook();
        }
        SetModifiedFlag(true);
    }

    // 10. afterwards: hide the overlays, select all, deselect
    if (result == 0) {
        bool posted = true;
        for (int id : {kHideAllOverlays, kSelectAll, kDeselect})
            posted = GetFrameRequests().PostCommand(id) && posted;
        if (!posted) {
            std::lock_guard<std::recursive_mutex> lock(OverlayLock());
            m_overlays.SetAllVisible(false);
            m_world.selection.SelectAll();
            m_world.selection.Deselect();
        }
    }
    UpdateAllViews(nullptr, kHintChannels);
    g_abortValue = 0;
    return result;
}

} // namespace kv
