#include "view/CKVView.h"

#include "base/AppSettings.h"
#include "base/DisplayUnits.h"
#include "base/MessageService.h"
#include "base/Undo.h"
#include "base/layers/ImageOverlay.h"
#include "base/raster/Canvas.h"
#include "base/text/CTokenizer.h"
#include "platform/AtomicFile.h"
#include "platform/CLocale.h"
#include "document/DocumentContext.h"
#include "shading/ShaderIds.h"
#include "shading/ShaderRegistry.h"
#include "view/ViewDocument.h"
#include "view/ViewLayers.h"
#include "world/SurfMap.h"
#include "world/SurfaceSampler.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <optional>
#include <vector>

namespace kv {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRadToDeg = 180.0 / kPi;
constexpr uint32_t kRiverMarker = 0x04030201u;
constexpr uint32_t kWhite = 0xFFFFFFu;
constexpr const char* kDefaultLightingFile = "Default.lgt";

std::atomic<CKVView*> g_activeView{nullptr};

int RoundUp8(int v)
{
    return (v + 7) & ~7;
}

std::string JoinPath(const std::string& folder, const char* name)
{
    if (folder.empty())
        return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

// The channel and undo step name of a paint tool id; false for an id that paints none.
bool PaintChannelOf(int toolId, int& channel, const char*& stepName)
{
    switch (toolId) {
    case 3: case 4: case 15:
        channel = kChannelTemperature, stepName = "Temperature Edit";
        return true;
    case 5: case 6: case 16:
        channel = kChannelRainfall, stepName = "Rainfall Edit";
        return true;
    case 7: case 8: case 13:
        channel = kChannelLandOffset, stepName = "Offset Edit";
        return true;
    case 9: case 10: case 14:
        channel = kChannelRoughness, stepName = "Roughness Edit";
        return true;
    case 11:
        channel = kChannelWaterLevel, stepName = "Water Level Edit";
        return true;
    case 12:
        channel = kChannelClimate, stepName = "Climate Edit";
        return true;
    case 36: case 37: case 38:
        channel = kChannelPrescale, stepName = "PreOffset Edit";
        return true;
    default:
        return false;
    }
}

} // namespace

// ---------------------------------------------------------------------------------------
// Preferences and hooks

CKVView* GetActiveKVView()
{
    return g_activeView.load();
}

RenderPreferences RenderPreferences::Read()
{
    const AppSettings& settings = GetAppSettings();
    RenderPreferences p;
    p.maxColumns = std::clamp(settings.GetInt("Settings", "XS", 2048), 32, kSpreadTableSize);
    p.maxRows = std::clamp(settings.GetInt("Settings", "YS", 2048), 32, kSpreadTableSize);
    p.updateRate = std::clamp(settings.GetInt("Settings", "DR", 4), 1, 10);
    p.coarseFirstPass = settings.GetInt("Settings", "CD", 0) != 0;
    return p;
}

class CKVView::Hooks final : public ViewHooks {
public:
    explicit Hooks(CKVView& view) : m_view(view) {}
    int StopActiveViewRender() override { return m_view.StopRenderWorker(); }
    int UpdateActiveDocViews(int hint) override
    {
        m_view.OnUpdate(hint, nullptr);
        return 0;
    }
    int UpdateDocumentViews(const void* document, const void* sender, int hint, const HintObject* object) override
    {
        if (document == m_view.m_document.Identity() && sender != &m_view)
            m_view.OnUpdate(hint, object);
        return 0;
    }
    void EnterBusy() override { m_view.EnterBusy(); }
    void LeaveBusy() override { m_view.LeaveBusy(); }

private:
    CKVView& m_view;
};

void CKVView::StopEvent::Set()
{
    std::lock_guard<std::mutex> lock(mutex);
    set = true;
    cv.notify_all();
}

void CKVView::StopEvent::Reset()
{
    std::lock_guard<std::mutex> lock(mutex);
    set = false;
    woken = false;
}

bool CKVView::StopEvent::IsSet()
{
    std::lock_guard<std::mutex> lock(mutex);
    return set;
}

bool CKVView::StopEvent::Wait(int milliseconds)
{
    std::unique_lock<std::mutex> lock(mutex);
    return cv.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return set; });
}

void CKVView::StopEvent::Wake()
{
    std::lock_guard<std::mutex> lock(mutex);
    woken = true;
    cv.notify_all();
}

void CKVView::StopEvent::WaitForWake()
{
    std::unique_lock<std::mutex> lock(mutex);
    cv.wait(lock, [this] { return set || woken; });
    woken = false;
}

// ---------------------------------------------------------------------------------------
// Life cycle

CKVView::CKVView(ViewDocument& document, ViewFrame* frame)
    : m_document(document), m_frame(frame != nullptr ? frame : &m_noFrame), m_geo(std::make_unique<GeoBuffers>())
{
    // Shader, hatch and colours come with the document's view settings (profile defaults).
    m_frameInterval = 1000 / RenderPreferences::Read().updateRate;
    m_document.AttachView(this);
}

ViewSettings& CKVView::Settings()
{
    return m_document.Settings();
}

const ViewSettings& CKVView::Settings() const
{
    return m_document.Settings();
}

void CKVView::SetShader(int shaderId)
{
    Settings().shaderId = shaderId;
}

int CKVView::GetShader() const
{
    return Settings().shaderId;
}

SurfaceSampler* CKVView::GetSurfaceSampler()
{
    if (!m_sampler)
        PrepareRender();
    if (!m_sampler) {
        // No window size yet (a batch run before any): a sampler of the settings alone.
        m_sampler = std::make_unique<SurfaceSampler>(&Projection(), &m_document.World(), &Light(),
                                                     Settings().shaderId);
        m_sampler->SetOverlays(m_document.Overlays());
    }
    return m_sampler.get();
}

CKVView::~CKVView()
{
    StopRenderWorker();
    if (m_worker.joinable()) {
        // A worker that outlived the bounded wait still uses this view: wait for it.
        m_stop.Set();
        m_worker.join();
    }
    if (m_initialised && m_writesDefaultLighting)
        WriteDefaultLighting();
    if (m_hooks) {
        SetViewHooks(m_previousHooks);
        m_hooks.reset();
    }
    CKVView* self = this;
    g_activeView.compare_exchange_strong(self, nullptr);
    m_document.DetachView(this);
    m_sampler.reset();
    FreeBuffers();
    m_hatchTile.Free();
    if (!m_batch) {
        const AppSettings& settings = GetAppSettings();
        settings.WriteInt("Tools", "Map", Settings().shaderId);
        settings.WriteInt("Bkgnd", "Hatch", Settings().hatchIndex);
        settings.WriteInt("Tools", "Fore", static_cast<int>(Settings().hatchColor));
        settings.WriteInt("Tools", "Back", static_cast<int>(Settings().backgroundColor));
    }
}

void CKVView::InstallHooks()
{
    if (m_hooks)
        return;
    m_hooks = std::make_unique<Hooks>(*this);
    m_previousHooks = SetViewHooks(m_hooks.get());
    g_activeView = this;
}

std::string CKVView::ReadStartupLighting(const ViewStartup& startup)
{
    std::string path = startup.colorFile;
    if (path.empty()) {
        if (!startup.readDefaults)
            return {};
        path = JoinPath(m_settingsFolder, kDefaultLightingFile);
    }
    // Only a "color=" file the user named is worth a message: Default.lgt is missing on
    // the first run of every install.
    const bool named = !startup.colorFile.empty();
    CTokenizer tokenizer;
    errno = 0;
    if (tokenizer.Open(path, false) != 0) {
        std::error_code ec;
        const int reason = std::filesystem::is_directory(path, ec) ? EISDIR : errno;
        return named ? "Unable to open " + path + ": " + std::strerror(reason ? reason : ENOENT) : std::string();
    }
    // Copies of the document's climate lists are lent to the temporary block and given
    // back only when the whole block reads.
    ViewSettings& settings = Settings();
    const ClimateParms& climate = m_document.World().climate;
    climate.GetTemperatureList(settings.temperatureColors);
    climate.GetRainfallList(settings.rainfallColors);
    climate.GetClimateList(settings.climateColors);
    LightParms read;
    read.temperatureList = &settings.temperatureColors;
    read.rainfallList = &settings.rainfallColors;
    read.climateList = &settings.climateColors;
    const int result = read.ReadText(tokenizer);
    tokenizer.Close();
    if (result != 0)
        return named ? "Unable to read " + path + ": no complete lighting block (LightParms ... LightParmsEnd)"
                     : std::string();
    read.temperatureList = read.rainfallList = read.climateList = nullptr;
    Light() = read;
    ClimateParms& target = m_document.World().climate;
    target.SetTemperatureList(settings.temperatureColors);
    target.SetRainfallList(settings.rainfallColors);
    target.SetClimateList(settings.climateColors);
    return {};
}

std::string CKVView::OnInitialUpdate(const ViewStartup& startup)
{
    m_batch = startup.batch;
    m_settingsFolder = startup.settingsFolder.empty() ? m_document.SettingsFolder() : startup.settingsFolder;
    std::string lightingError = ReadStartupLighting(startup);
    if (startup.colorType >= 0)
        Settings().shaderId = startup.colorType;
    if (Settings().shaderId == kShaderImgClimate)
        Settings().shaderId = kShaderClimate;
    GetShaderRegistry().Init(&m_document.World(), &Light());
    m_frame->SetFrameTimer(m_frameInterval);
    m_initialised = true;
    return lightingError;
}

void CKVView::WriteDefaultLighting()
{
    ViewSettings& settings = Settings();
    const ClimateParms& climate = m_document.World().climate;
    climate.GetTemperatureList(settings.temperatureColors);
    climate.GetRainfallList(settings.rainfallColors);
    climate.GetClimateList(settings.climateColors);
    LightParms lent(Light());
    lent.temperatureList = &settings.temperatureColors;
    lent.rainfallList = &settings.rainfallColors;
    lent.climateList = &settings.climateColors;
    AtomicFile file;
    if (!file.Open(JoinPath(m_settingsFolder, kDefaultLightingFile)))
        return;
    CTokenizer tokenizer;
    lent.WriteText(file.File(), tokenizer);
    file.Commit();
}

// ---------------------------------------------------------------------------------------
// Buffers

void CKVView::FreeBuffers()
{
    for (VideoBuffer* b : {&m_gridMask, &m_gridColour, &m_selectionPattern, &m_selectionOutline, &m_overlayLayer,
                           &m_riverLayer, &m_composite, &m_image, &m_coverage})
        b->Free();
    m_geo->Free();
}

bool CKVView::Resize(int width, int height)
{
    if (width == m_renderWidth && height == m_renderHeight && !m_image.IsEmpty())
        return true;
    m_renderWidth = width;
    m_renderHeight = height;
    const int w = RoundUp8(width), h = RoundUp8(height);
    if (w == m_geo->width && h == m_geo->height && !m_image.IsEmpty())
        return true;
    FreeBuffers();
    bool ok = true;
    for (VideoBuffer* b : {&m_gridMask, &m_gridColour, &m_selectionPattern, &m_selectionOutline, &m_overlayLayer,
                           &m_riverLayer, &m_composite, &m_image, &m_coverage})
        ok = ok && b->CreateMapped(w, h) == 0;
    ok = ok && m_geo->Allocate(w, h) != nullptr;
    if (!ok) {
        FreeBuffers();
        m_renderWidth = m_renderHeight = 0;
    }
    return ok;
}

void CKVView::GetRenderSize(int& width, int& height) const
{
    width = m_renderWidth;
    height = m_renderHeight;
}

void CKVView::SetClientSize(int width, int height)
{
    if (width <= 0 || height <= 0)
        return;
    m_clientWidth = width;
    m_clientHeight = height;
    StopRenderWorker();
    m_pass = 0;
    m_prepared = 0;
}

void CKVView::SetHatch(int index, uint32_t lineColour, uint32_t background)
{
    Settings().hatchIndex = index >= 0 && index < kHatchStyleCount ? index : kDefaultHatchIndex;
    Settings().hatchColor = lineColour & kWhite;
    Settings().backgroundColor = background & kWhite;
}

void CKVView::SetLightParms(const LightParms& light)
{
    {
        std::lock_guard<std::mutex> lock(m_viewLock);
        Light() = light;
    }
    OnUpdate(16);
}

// ---------------------------------------------------------------------------------------
// Preparation

bool CKVView::PrepareRender()
{
    if (m_busy.fetch_add(1) + 1 != 1) {
        m_busy.fetch_sub(1);
        return false;
    }
    if (m_pass.load() == 0 && m_prepared == 0) {
        // A worker that did not stop still uses the buffers: try again on the next tick.
        if (StopRenderWorker() != 0 || m_clientWidth <= 0 || m_clientHeight <= 0) {
            m_busy.fetch_sub(1);
            return false;
        }
        {
            std::lock_guard<std::mutex> lock(m_viewLock);
            m_geo->positionsValid = false;
            if (!Resize(m_clientWidth, m_clientHeight)) {
                m_sampler.reset();
                m_busy.fetch_sub(1);
                return false;
            }
            m_prefs = RenderPreferences::Read();
            m_hatchTile.CreateMapped(kHatchTileSize, kHatchTileSize);
            FillHatch(m_hatchTile, Settings().hatchIndex, Settings().hatchColor, Settings().backgroundColor);
            if (!m_keepImage)
                FillHatch(m_image, Settings().hatchIndex, Settings().hatchColor, Settings().backgroundColor);
            m_sampler.reset();
            m_sampler = std::make_unique<SurfaceSampler>(&Projection(), &m_document.World(), &Light(), Settings().shaderId);
            m_sampler->SetTarget(m_geo.get(), &m_image, &m_coverage);
            m_sampler->SetOverlays(m_document.Overlays());
        }
        if (m_batch) {
            m_busy.fetch_sub(1);
            return false;
        }
        m_frame->RefreshColorKey(m_sampler.get());
        double latitude, longitude;
        if (m_sampler->PixelToLatLon(m_clientWidth / 2, m_clientHeight / 2, latitude, longitude))
            m_frame->SetGlobeView(latitude, longitude);
        RebuildPositionGrids();
        m_overlayDirty = true;
        m_riverDirty = true;
        RedrawGridLayer();
        m_frame->ShowProjectedAxes(*m_sampler, m_clientWidth, m_clientHeight,
                                   m_document.World().circumference / (2.0 * kPi));
        m_restartRequested = false;
        StartRenderWorker();
        m_prepared = 1;
    }
    bool reported = false;
    int finished = kPassFinished;
    if (m_pass.compare_exchange_strong(finished, kPassReported)) {
        if (m_frame->HasGlobeBar() && m_sampler) {
            double latitude, longitude;
            if (m_sampler->PixelToLatLon(m_clientWidth / 2, m_clientHeight / 2, latitude, longitude))
                m_frame->SetGlobeView(latitude, longitude);
            m_frame->TraceViewOnGlobe(m_coverage, Projection());
        }
        reported = true;
    }
    m_frame->RedrawGlobe();
    m_busy.fetch_sub(1);
    return reported;
}

bool CKVView::NeedsFrames() const
{
    if (m_pass.load() != kPassReported || m_restartRequested.load() || m_prepared == 0)
        return true;
    return m_selectionMode == 1 && m_document.World().selection.IsActive();
}

void CKVView::RebuildPositionGrids()
{
    std::lock_guard<std::mutex> lock(m_viewLock);
    GeoBuffers& geo = *m_geo;
    const int w = std::min(m_coverage.GetWidth(), geo.width);
    const int h = std::min(m_coverage.GetHeight(), geo.height);
    if (w <= 0 || h <= 0 || !geo.latitude)
        return;
    for (int y = h - 1; y >= 0; --y) {
        const auto row = static_cast<size_t>(y);
        float* lat = geo.latitude->Row<float>(row);
        float* lon = geo.longitude->Row<float>(row);
        uint8_t* valid = geo.valid->Row<uint8_t>(row);
        for (int x = w - 1; x >= 0; --x) {
            double latitude, longitude;
            if (m_sampler && m_sampler->PixelToLatLon(x, y, latitude, longitude)) {
                lat[x] = static_cast<float>(latitude / kRadToDeg);
                lon[x] = static_cast<float>(longitude / kRadToDeg);
                valid[x] = 1;
                m_coverage.SetPixelFast(x, y, kWhite);
            } else {
                valid[x] = 0;
                m_coverage.SetPixelFast(x, y, 0);
            }
        }
    }
    const CSelection& selection = m_document.World().selection;
    if (selection.IsActive() && !m_selectionOutline.IsEmpty()) {
        m_selectionOutline.Clear(0);
        // The selection byte under every on-map pixel (0 off the map).
        std::vector<uint8_t> bytes(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
        for (int y = 0; y < h; ++y) {
            const auto row = static_cast<size_t>(y);
            const float* lat = geo.latitude->Row<float>(row);
            const float* lon = geo.longitude->Row<float>(row);
            const uint8_t* valid = geo.valid->Row<uint8_t>(row);
            for (int x = 0; x < w; ++x)
                if (valid[x])
                    bytes[row * w + x] = static_cast<uint8_t>(
                        std::clamp(selection.SampleAt(lat[x] * kRadToDeg, lon[x] * kRadToDeg), 0, 255));
        }
        auto at = [&](int x, int y) { return bytes[static_cast<size_t>(y) * w + x]; };
        for (int y = 1; y + 1 < h; ++y) {
            const auto row = static_cast<size_t>(y);
            const uint8_t* valid = geo.valid->Row<uint8_t>(row);
            const uint8_t* above = geo.valid->Row<uint8_t>(row - 1);
            const uint8_t* below = geo.valid->Row<uint8_t>(row + 1);
            for (int x = 1; x + 1 < w; ++x) {
                if (!(valid[x] || valid[x - 1] || valid[x + 1] || above[x] || below[x]))
                    continue;
                if (at(x, y) < 128)
                    continue;
                if (at(x - 1, y) >= 128 && at(x + 1, y) >= 128 && at(x, y - 1) >= 128 && at(x, y + 1) >= 128)
                    continue;
                m_selectionOutline.SetPixelFast(x, y, kWhite);
            }
        }
    }
    m_overlayDirty = true;
    m_riverDirty = true;
}

void CKVView::RedrawGridLayer()
{
    if (!m_sampler || m_image.IsEmpty())
        return;
    m_frame->SetWaitCursor(true);
    m_gridMask.Clear(0);
    m_gridColour.Clear(0);
    const double scale = Projection().GetScale();
    const double step = 360.0 / ((std::max(m_renderWidth, m_renderHeight) + 1) / scale);
    if (m_document.HasGrids()) {
        Canvas* colour = m_gridColour.GetDC();
        Canvas* mask = m_gridMask.GetDC();
        if (colour != nullptr && mask != nullptr)
            m_document.DrawGrids(*colour, *mask, *m_sampler, step);
        m_gridColour.ReleaseDC();
        m_gridMask.ReleaseDC();
    }
    const size_t bytes = m_gridMask.RowBytes() * static_cast<size_t>(m_gridMask.GetHeight());
    uint8_t* mask = m_gridMask.GetBits();
    const uint8_t* coverage = m_coverage.GetBits();
    for (size_t i = 0; i < bytes; ++i)
        mask[i] &= coverage[i];
    m_frame->SetWaitCursor(false);
}

// ---------------------------------------------------------------------------------------
// The worker

int CKVView::StartRenderWorker()
{
    if (m_worker.joinable()) {
        if (!m_workerDone.load())
            return 0; // only one worker is ever running
        m_worker.join();
    }
    m_stop.Reset();
    m_workerDone = false;
    m_worker = std::thread(&CKVView::RenderWorkerProc, this);
    return 0;
}

int CKVView::StopRenderWorker()
{
    if (!m_worker.joinable()) {
        m_stop.Reset();
        return 0;
    }
    m_stop.Set();
    {
        std::unique_lock<std::mutex> lock(m_doneMutex);
        if (!m_doneCv.wait_for(lock, std::chrono::milliseconds(m_stopTimeoutMs),
                               [this] { return m_workerDone.load(); }))
            return -1;
    }
    m_worker.join();
    m_stop.Reset();
    return 0;
}

void CKVView::RestartRender()
{
    StopRenderWorker();
    m_restartRequested = false;
    m_pass = 0;
    m_prepared = 0;
}

void CKVView::RenderWorkerProc()
{
    while (!m_stop.Wait(10)) {
        if (m_restartRequested.exchange(false))
            m_pass = 0;
        if (m_pass.load() < 0) {
            // The render is finished: the worker sleeps until a restart (hint 16) or the stop.
            m_stop.WaitForWake();
            continue;
        }
        if (!RenderRound())
            break;
    }
    {
        std::lock_guard<std::mutex> lock(m_doneMutex);
        m_workerDone = true;
    }
    m_doneCv.notify_all();
}

bool CKVView::RenderRound()
{
    RenderPreferences prefs;
    const int width = m_renderWidth, height = m_renderHeight;
    if (width <= 0 || height <= 0 || m_image.IsEmpty()) {
        m_pass = kPassFinished;
        return true;
    }
    LightParms light;
    int shader;
    // The preferences, lighting and shader of this round, taken where the user-interface
    // thread writes them.
    {
        std::lock_guard<std::mutex> lock(m_viewLock);
        light = Light();
        shader = m_sampler ? m_sampler->ShaderId() : Settings().shaderId;
        prefs = m_prefs;
    }
    const int columns = std::min(width, prefs.maxColumns);
    const int rows = std::min(height, prefs.maxRows);
    auto colTable = std::make_unique<SpreadTable>();
    auto rowTable = std::make_unique<SpreadTable>();
    colTable->Build(width, columns);
    rowTable->Build(height, rows);

    // The round shades with its own copy of the lighting: shading is off (ambient 1) when
    // the display is limited below the view's size.
    if (width > prefs.maxColumns || height > prefs.maxRows)
        light.ambient = 1.0;
    const int passes = (light.ambient > 250.0 / 255.0 && light.seaOpacity > 250.0 / 255.0) ? 25 : 50;
    SurfaceSampler sampler(&Projection(), &m_document.World(), &light, shader);
    sampler.SetTarget(m_geo.get(), &m_image, &m_coverage);
    GeoBuffers& geo = *m_geo;

    int pass = m_pass.load();
    while (pass >= 0 && pass < passes) {
        const int colOffset = kLatticeOrder[pass % kLatticePasses][0];
        const int rowOffset = kLatticeOrder[pass % kLatticePasses][1];
        const bool coarse = pass == 0 && prefs.coarseFirstPass;
        bool restart = false;
        std::unique_lock<std::mutex> lock(m_viewLock);
        if (pass == kLatticePasses) {
            m_overlayDirty = true;
            m_riverDirty = true;
            geo.positionsValid = true;
        }
        const int mode = (pass >= kLatticePasses ? kCellColour : 0) | (geo.positionsValid ? kCellStoredPositions : 0);
        std::optional<NoiseEvaluationScope> evaluating(std::in_place);
        int count = 0;
        for (int i = rowOffset; i < rows && !restart; i += 5) {
            const int y = rowTable->first[i];
            const int cellHeight = rowTable->width[i];
            for (int j = colOffset; j < columns; j += 5) {
                const int x = colTable->first[j];
                const int cellWidth = colTable->width[j];
                if (!sampler.ComputeCell(x, y, mode, nullptr))
                    m_image.SetPixel(x, y, m_hatchTile.GetPixel(j % 16, i % 16));
                if (cellWidth > 1 || cellHeight > 1) {
                    const auto srcRow = static_cast<size_t>(y);
                    const uint32_t colour = m_image.GetPixel(x, y);
                    const uint32_t cover = m_coverage.GetPixel(x, y);
                    const float lat = geo.latitude->Row<float>(srcRow)[x];
                    const float lon = geo.longitude->Row<float>(srcRow)[x];
                    const float value = geo.altitude->Row<float>(srcRow)[x];
                    const float raw = geo.rawBasis->Row<float>(srcRow)[x];
                    const uint8_t onMap = geo.valid->Row<uint8_t>(srcRow)[x];
                    for (int yy = y; yy < y + cellHeight && yy < height; ++yy) {
                        const auto row = static_cast<size_t>(yy);
                        for (int xx = x; xx < x + cellWidth && xx < width; ++xx) {
                            m_image.SetPixelFast(xx, yy, colour);
                            m_coverage.SetPixelFast(xx, yy, cover);
                            geo.latitude->Row<float>(row)[xx] = lat;
                            geo.longitude->Row<float>(row)[xx] = lon;
                            geo.altitude->Row<float>(row)[xx] = value;
                            geo.rawBasis->Row<float>(row)[xx] = raw;
                            geo.valid->Row<uint8_t>(row)[xx] = onMap;
                        }
                    }
                }
                if (coarse) {
                    const uint32_t colour = m_image.GetPixel(x, y);
                    for (int yy = y; yy < y + 5 && yy < height; ++yy)
                        for (int xx = x; xx < x + 5 && xx < width; ++xx)
                            m_image.SetPixelFast(xx, yy, colour);
                }
                if (++count == kCellsPerLock) {
                    count = 0;
                    evaluating.reset();
                    lock.unlock();
                    if (m_stop.IsSet())
                        return false;
                    if (m_restartRequested.load()) {
                        restart = true;
                        break;
                    }
                    lock.lock();
                    evaluating.emplace();
                }
            }
        }
        evaluating.reset();
        if (lock.owns_lock())
            lock.unlock();
        if (m_stop.IsSet())
            return false;
        // A restart starts a new round, which takes the lighting afresh.
        if (m_restartRequested.exchange(false)) {
            m_pass = 0;
            return true;
        }
        ++pass;
        m_pass = pass;
    }
    if (pass >= passes)
        m_pass = kPassFinished;
    return true;
}

// ---------------------------------------------------------------------------------------
// Queries and edits

bool CKVView::PixelToLatLon(int x, int y, double& latitude, double& longitude) const
{
    if (!m_sampler) {
        latitude = longitude = 0.0;
        return false;
    }
    return m_sampler->PixelToLatLon(x, y, latitude, longitude);
}

bool CKVView::LatLonToPixel(double latitude, double longitude, int& x, int& y) const
{
    if (!m_sampler) {
        x = y = 0;
        return false;
    }
    return m_sampler->LatLonToPixel(latitude, longitude, x, y);
}

int CKVView::ApplyWorldSettings(const SurfMap& parms, int metric, int secondUnits, bool keep)
{
    EnterBusy();
    const CKVDoc* active = GetActiveDoc();
    if (active != nullptr && static_cast<const void*>(active) == m_document.Identity())
        UpdateActiveDocViews(nullptr, 10, nullptr);
    else
        OnUpdate(10);
    MetricUnits = metric;
    WorldSizeDisplay = secondUnits;
    GetUndoList().Clear();
    m_document.SetUntitled();
    SurfMap& world = m_document.World();
    const int width = world.gridWidth, height = world.gridHeight;
    world.CopyParms(parms);
    const int resized = world.SetResolution(parms.gridWidth, keep);
    if (resized != 0) {
        // The grids stayed as they were: so does the size the world records.
        world.gridWidth = width;
        world.gridHeight = height;
        GetMessageService().Show(
            FormatC("Can't resize the world to %d cells wide; it keeps %d x %d.", parms.gridWidth, width, height));
    }
    if (!keep)
        world.ClearChannels();
    m_document.Recalculate();
    LeaveBusy();
    return resized;
}

bool CKVView::PaintStroke(int toolCode, int x, int y, bool press, ChannelBrush& brush)
{
    double latitude, longitude;
    if (!m_sampler || !m_sampler->PixelToLatLon(x, y, latitude, longitude))
        return false;
    int channel;
    const char* stepName;
    if (!PaintChannelOf(toolCode & 0xFFF, channel, stepName))
        return false;
    OnUpdate(16);
    {
        // The worker reads the channels while it holds the view lock: the stroke writes them
        // under the same lock, so no pixel is evaluated from a half-written cell.
        std::lock_guard<std::mutex> lock(m_viewLock);
        if (m_document.PaintChannel(channel, stepName, latitude, longitude, brush, press) != 0)
            return false;
        m_sampler->RenderRect(m_geo.get(), &m_image, &m_coverage, x - 17, y - 17, x + 17, y + 17);
    }
    m_frame->DrawImageBlock(x - 16, y - 16);
    return true;
}

// ---------------------------------------------------------------------------------------
// Update hints

void CKVView::OnUpdate(int hint, const HintObject* object)
{
    const TwoPtHint* h = dynamic_cast<const TwoPtHint*>(object);
    const TwoPtHint none;
    const TwoPtHint& o = h != nullptr ? *h : none;
    SurfMap& world = m_document.World();
    // Projection changes wait for the worker: it reads the projection.
    auto moveMap = [&](auto&& change) {
        if (StopRenderWorker() == 0)
            change();
        m_restartRequested = false;
        m_pass = 0;
        m_prepared = 0;
    };
    // The pixel's position with the world's mirroring undone; false off the map.
    auto unprojectPixel = [&](int x, int y, double& latitude, double& longitude) {
        if (!PixelToLatLon(x, y, latitude, longitude))
            return false;
        if (world.mirrorLatitude)
            latitude = -latitude;
        if (world.mirrorLongitude)
            longitude = -longitude;
        return true;
    };
    auto centreOn = [&](double latitude, double longitude) {
        double mx, my, ox, oy;
        if (Projection().LatLonToMap(latitude, longitude, mx, my) != 0)
            return;
        Projection().GetOffset(ox, oy);
        Projection().SetOffset(ox - mx, oy - my);
    };
    const int cw = std::max(m_clientWidth, 1), ch = std::max(m_clientHeight, 1);

    switch (hint) {
    case 1:
        StopRenderWorker();
        m_pass = 0;
        m_prepared = 0;
        break;
    case 2:
        m_frame->SetWaitCursor(true);
        if (m_frame->HasGlobeBar())
            m_frame->SetGlobeSource(&world, &Light());
        StopRenderWorker();
        m_pass = 0;
        m_prepared = 0;
        m_frame->SetWaitCursor(false);
        break;
    case 3:
        moveMap([&] {
            if (Projection().GetProjectionFlags() & 0x40) {
                Projection().SetCenter(o.x1, o.y1);
            } else {
                // The centre keeps its latitude and takes the longitude; the offsets become
                // minus the point's map position under that centre (-latitude / 180 is
                // right only for Equirectangular).
                double lat, lon;
                Projection().GetCenter(lat, lon);
                Projection().SetCenter(lat, o.y1);
                centreOn(o.x1, o.y1);
            }
        });
        break;
    case 4:
    case 7: {
        const int x1 = std::min(o.px1, o.px2), x2 = std::max(o.px1, o.px2);
        const int y1 = std::min(o.py1, o.py2), y2 = std::max(o.py1, o.py2);
        const int px = hint == 4 ? (x1 + x2) / 2 : o.px1;
        const int py = hint == 4 ? (y1 + y2) / 2 : o.py1;
        double latitude, longitude;
        if (!unprojectPixel(px, py, latitude, longitude))
            break;
        double factor = o.x1;
        if (hint == 4) {
            // A rectangle with no side in the axis that counts zooms nowhere: nothing moves.
            factor = cw > ch ? static_cast<double>(x2 - x1) / cw : static_cast<double>(y2 - y1) / ch;
            if (!(factor > 0.0))
                break;
        }
        moveMap([&] {
            centreOn(latitude, longitude);
            // A zero side or factor would freeze the zoom at scale 0.
            if (factor > 0.0)
                Projection().SetScale(Projection().GetScale() * factor);
        });
        break;
    }
    case 5:
        moveMap([&] {
            const double scale = Projection().GetScale();
            // The hint's first value is the y offset where the drag began, the second the x.
            Projection().SetOffset(o.y1 + static_cast<double>(o.px2 - o.px1) / cw * scale * 2.0,
                                   o.x1 + static_cast<double>(o.py1 - o.py2) / ch * scale * 2.0);
        });
        if (m_sampler) {
            double latitude, longitude;
            if (m_sampler->PixelToLatLon(m_clientWidth / 2, m_clientHeight / 2, latitude, longitude))
                m_frame->SetGlobeView(latitude, longitude);
        }
        break;
    case 6:
        m_document.SetWorldShift(o.x1, o.y1);
        RebuildPositionGrids();
        RestartRender();
        break;
    case 8:
        RebuildPositionGrids();
        m_frame->Invalidate();
        break;
    case 9:
        moveMap([&] {
            const double m = std::max(1, std::min(m_clientWidth, m_clientHeight));
            const double scale = Projection().GetScale();
            Projection().SetCenter(o.x1 + (o.py2 - o.py1) / m * scale * 360.0,
                                   o.y1 - (o.px2 - o.px1) / m * scale * 360.0);
        });
        break;
    case 10:
        StopRenderWorker();
        break;
    case 11:
        moveMap([&] {
            if (o.x1 > 0.0)
                Projection().SetScale(Projection().GetScale() * o.x1);
        });
        break;
    case 12:
        m_frameInterval = 1000 / RenderPreferences::Read().updateRate;
        m_frame->SetFrameTimer(m_frameInterval);
        break;
    case 13: {
        // A brush stamp names the overlay pixels it wrote; anything else redraws the layer.
        const auto* stamp = dynamic_cast<const OverlayStampHint*>(object);
        std::lock_guard<std::mutex> lock(m_stampLock);
        if (stamp && !stamp->whole && !m_overlayDirty && m_overlayStamps.size() < kMaxPendingStamps) {
            m_overlayStamps.push_back(*stamp);
        } else {
            m_overlayStamps.clear();
            m_overlayDirty = true;
        }
    }
        m_frame->RefreshToolRange();
        m_frame->Invalidate();
        break;
    case 14:
        m_frame->LoadLightingSheet(Light());
        break;
    case 15:
        m_riverDirty = true;
        m_frame->RefreshToolRange();
        m_frame->Invalidate();
        break;
    case 16:
        m_restartRequested = true;
        m_pass = 0;
        m_stop.Wake();
        // A command that stopped the worker before it changed the world (colour-to-altitude,
        // Simple Create, an undone channel) asks for the redraw here: the worker is started
        // again, or the request would wait for a worker that is not there.
        if (m_prepared != 0 && !m_batch && !m_worker.joinable())
            StartRenderWorker();
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------------------
// Composition

namespace {

// Composes the overlays into `layer` at every valid map pixel whose position (degrees) the
// filter accepts: the composite where it has coverage, transparent elsewhere.
template <class Filter>
void ComposeOverlayPixels(const GeoBuffers& geo, const ImageOverlayList& overlays, VideoBuffer& layer, Filter accept)
{
    const int w = std::min(layer.GetWidth(), geo.width);
    const int h = std::min(layer.GetHeight(), geo.height);
    for (int y = 0; y + 1 < h; ++y) {
        const auto row = static_cast<size_t>(y);
        const float* lat = geo.latitude->Row<float>(row);
        const float* lon = geo.longitude->Row<float>(row);
        const float* value = geo.altitude->Row<float>(row);
        const uint8_t* valid = geo.valid->Row<uint8_t>(row);
        for (int x = 0; x + 1 < w; ++x) {
            if (!valid[x])
                continue;
            const double latitude = lat[x] * kRadToDeg, longitude = lon[x] * kRadToDeg;
            if (!accept(latitude, longitude))
                continue;
            const uint32_t c = overlays.CompositeAt(latitude, longitude, value[x], x, y);
            layer.SetPixelFast(x, y, c > 0xFFFFFFu ? c : 0u);
        }
    }
}

} // namespace

void CKVView::RedrawOverlayLayer()
{
    m_overlayDirty = false;
    m_overlayLayer.Clear(0);
    const ImageOverlayList* overlays = m_document.Overlays();
    if (overlays == nullptr || overlays->Count() == 0 || !m_geo->latitude)
        return;
    std::lock_guard<std::recursive_mutex> lock(OverlayLock());
    ComposeOverlayPixels(*m_geo, *overlays, m_overlayLayer, [](double, double) { return true; });
}

void CKVView::RedrawOverlayStamps(const std::vector<OverlayStampHint>& stamps)
{
    const ImageOverlayList* overlays = m_document.Overlays();
    if (overlays == nullptr || overlays->Count() == 0 || !m_geo->latitude)
        return RedrawOverlayLayer();
    // Each stamp as a latitude/longitude box one overlay pixel wider on every side than the
    // pixels it wrote: a map pixel outside every box samples no written pixel, so its layer
    // colour is unchanged. Non-finite positions are never skipped.
    struct Box {
        double lat0, lat1, lon0, lon1;
    };
    std::vector<Box> boxes;
    boxes.reserve(stamps.size());
    for (const OverlayStampHint& s : stamps) {
        if (s.width < 2 || s.height < 2)
            return RedrawOverlayLayer();
        const double dLon = (s.east - s.west) / (s.width - 1);
        const double dLat = (s.north - s.south) / (s.height - 1);
        const double lonA = s.west + (s.col0 - 1) * dLon, lonB = s.west + (s.col1 + 2) * dLon;
        const double latA = s.south + (s.row0 - 1) * dLat, latB = s.south + (s.row1 + 2) * dLat;
        boxes.push_back({std::min(latA, latB), std::max(latA, latB), std::min(lonA, lonB), std::max(lonA, lonB)});
    }
    std::lock_guard<std::recursive_mutex> lock(OverlayLock());
    ComposeOverlayPixels(*m_geo, *overlays, m_overlayLayer, [&](double latitude, double longitude) {
        for (const Box& b : boxes)
            if (!(latitude < b.lat0 || latitude > b.lat1 || longitude < b.lon0 || longitude > b.lon1))
                return true;
        return false;
    });
}

void CKVView::RedrawRiverLayer()
{
    m_riverDirty = false;
    const int w = m_riverLayer.GetWidth(), h = m_riverLayer.GetHeight();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            m_riverLayer.SetPixelFast(x, y, kRiverMarker);
    if (m_sampler && m_document.ShowsRivers()) {
        if (Canvas* canvas = m_riverLayer.GetDC())
            m_document.DrawRivers(*canvas, *m_sampler, m_renderWidth);
        m_riverLayer.ReleaseDC();
    }
    const GeoBuffers& geo = *m_geo;
    for (int y = 0; y < h; ++y) {
        const uint8_t* valid = y < geo.height && geo.valid ? geo.valid->Row<uint8_t>(static_cast<size_t>(y)) : nullptr;
        for (int x = 0; x < w; ++x) {
            const uint32_t c = m_riverLayer.GetPixel(x, y);
            const bool onMap = valid != nullptr && x < geo.width && valid[x];
            m_riverLayer.SetPixelFast(x, y, c != kRiverMarker && onMap ? (c | 0xFF000000u) : 0u);
        }
    }
}

const VideoBuffer& CKVView::Compose(bool printing)
{
    std::lock_guard<std::mutex> lock(m_viewLock);
    if (m_image.IsEmpty() || m_composite.GetWidth() != m_image.GetWidth() ||
        m_composite.GetHeight() != m_image.GetHeight())
        return m_composite;
    std::memcpy(m_composite.GetBits(), m_image.GetBits(), m_image.RowBytes() * static_cast<size_t>(m_image.GetHeight()));
    const ImageOverlayList* overlays = m_document.Overlays();
    if (overlays != nullptr && overlays->Count() > 0) {
        std::vector<OverlayStampHint> stamps;
        {
            std::lock_guard<std::mutex> stampLock(m_stampLock);
            stamps.swap(m_overlayStamps);
        }
        if (m_overlayDirty)
            RedrawOverlayLayer();
        else if (!stamps.empty())
            RedrawOverlayStamps(stamps);
        BlendLayer(m_composite, m_overlayLayer);
    }
    if (m_document.ShowsRivers()) {
        if (m_riverDirty)
            RedrawRiverLayer();
        BlendLayer(m_composite, m_riverLayer);
    }
    if (m_document.HasGrids())
        ComposeMasked(m_composite, m_gridColour, m_gridMask);
    if (printing) {
        const int w = m_composite.GetWidth(), h = m_composite.GetHeight();
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if ((m_coverage.GetPixel(x, y) & kWhite) == 0)
                    m_composite.SetPixelFast(x, y, kWhite);
    } else if (m_selectionMode == 1 && m_document.World().selection.IsActive()) {
        FillSelectionPattern(m_selectionPattern, static_cast<int>(m_drawCounter % 8));
        ComposeMasked(m_composite, m_selectionPattern, m_selectionOutline);
    }
    ++m_drawCounter;
    return m_composite;
}

} // namespace kv
