// The map view's core, without a window: it owns the projection and lighting of what is
// shown, renders the world progressively on one worker thread into its image buffer,
// composes image overlays, rivers, grids and the selection outline over it, and restarts
// rendering when the document or the view settings change (update hints 1..16).
//
// The window side (a widget) forwards its size, calls PrepareRender on every idle tick,
// draws Compose()'s result and supplies the frame calls (globe, colour key, properties
// bar, timer) through ViewFrame. Everything but the worker runs on the user-interface
// thread.
//
// Threads: the worker holds the view lock while it computes cells and releases it every
// 128 cells to test the stop flag; once a render is finished it sleeps until a restart
// (hint 16) or the stop wakes it. The user-interface thread stops the worker (a bounded
// wait) before it replaces buffers, the sampler or the size; position-grid rebuilds, paint
// strokes and composition take the lock. The worker shades with its own copy of the
// lighting, so the view's LightParms is never written by it.
#pragma once

#include "base/ViewHooks.h"
#include "base/color/LightParms.h"
#include "base/layers/ImageOverlay.h"
#include "base/raster/VideoBuffer.h"
#include "document/CKVDoc.h"
#include "document/ViewSettings.h"
#include "projection/ProjectionParms.h"
#include "world/GeoBuffers.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kv {

class ChannelBrush;
class SurfaceSampler;
class SurfMap;
class ViewDocument;

// What the view asks of the window around it. Every call has a harmless default, so the
// core runs in tests and batch runs without one.
class ViewFrame {
public:
    virtual ~ViewFrame() = default;
    // The colour key of the main frame follows a new sampler.
    virtual void RefreshColorKey(SurfaceSampler*) {}
    virtual bool HasGlobeBar() const { return false; }
    virtual void SetGlobeView(double /*latitude*/, double /*longitude*/) {}
    virtual void SetGlobeSource(SurfMap*, LightParms*) {}
    virtual void TraceViewOnGlobe(const VideoBuffer& /*coverage*/, const ProjectionParms&) {}
    virtual void RedrawGlobe() {}
    // Measures the projected axes of the client area (world radius in km) and shows them
    // in the map view properties bar.
    virtual void ShowProjectedAxes(SurfaceSampler&, int /*width*/, int /*height*/, double /*radius*/) {}
    // The open Lighting and Color sheet takes the view's lighting.
    virtual void LoadLightingSheet(const LightParms&) {}
    // The current tool refreshes its value range.
    virtual void RefreshToolRange() {}
    virtual void SetWaitCursor(bool /*on*/) {}
    virtual void Invalidate() {}
    // Redraws the window every `milliseconds`.
    virtual void SetFrameTimer(int /*milliseconds*/) {}
    // Draws the 32 x 32 image block with top-left pixel (x, y) straight to the window.
    virtual void DrawImageBlock(int /*x*/, int /*y*/) {}
    // Moves the view's centre by the degrees through the globe bar (nothing without one).
    virtual void MoveViewCentre(double /*latitudeDelta*/, double /*longitudeDelta*/) {}
    // The active overlay changed (or left the list): tools that hold it take the new one.
    virtual void ActiveOverlayChanged() {}
};

// Start-up values the view's initial update reads (command line and profile).
struct ViewStartup {
    std::string colorFile;        // "color=": a lighting file read in place of Default.lgt
    int colorType = -1;           // "colortype=": the shader id when 0 or more
    std::string settingsFolder;   // where "Default.lgt" lives (beside "Default.srf")
    bool readDefaults = true;     // preference RS set and Ctrl not held
    bool batch = false;           // a windowless batch run
};

// Preferences of the render worker (profile section "Settings"), clamped.
struct RenderPreferences {
    int maxColumns = 2048;  // XS, 32..2048
    int maxRows = 2048;     // YS, 32..2048
    int updateRate = 4;     // DR, 1..10 display updates per second
    bool coarseFirstPass = false;  // CD
    static RenderPreferences Read();
};

class CKVView : public DocumentView {
public:
    // Render pass values besides 0..49.
    static constexpr int kPassFinished = -1;
    static constexpr int kPassReported = -2;
    static constexpr int kStopTimeoutMs = 20000;
    static constexpr int kCellsPerLock = 128;

    explicit CKVView(ViewDocument& document, ViewFrame* frame = nullptr);
    ~CKVView() override;
    CKVView(const CKVView&) = delete;
    CKVView& operator=(const CKVView&) = delete;

    // Reads the lighting file, takes the shader, initialises the shader registry, starts
    // the frame timer. Returns why the "color=" file could not be used (the view then
    // keeps its own lighting); empty when it was, or when none was given.
    std::string OnInitialUpdate(const ViewStartup& startup);
    // Makes this view the one the world model's hooks (stop, hints, busy) reach; the
    // destructor removes it again.
    void InstallHooks();

    // ---- busy counter ----
    void EnterBusy() { m_busy.fetch_add(1); }
    void LeaveBusy() { m_busy.fetch_sub(1); }
    int BusyCount() const { return m_busy.load(); }

    // ---- rendering ----
    // The idle-tick step: true only on the call that reports a finished render.
    bool PrepareRender();
    int StartRenderWorker();
    // 0, or -1 when the worker did not stop in time (it stays registered).
    int StopRenderWorker();
    void RestartRender();
    // The client size of the window (both sides non-zero): stops the worker and asks for
    // a full preparation.
    void SetClientSize(int width, int height);
    // `object` is the hint's TwoPtHint where the hint moves the map.
    void OnUpdate(int hint, const HintObject* object = nullptr);

    // Builds the composite of image, overlays, rivers, grids and the selection outline;
    // `printing` whitens off-map pixels and leaves the selection out.
    const VideoBuffer& Compose(bool printing = false);

    // ---- queries ----
    bool PixelToLatLon(int x, int y, double& latitude, double& longitude) const;
    bool LatLonToPixel(double latitude, double longitude, int& x, int& y) const;
    GeoBuffers* GetGeoBuffers() { return m_geo.get(); }
    void GetRenderSize(int& width, int& height) const;
    SurfaceSampler* GetSampler() const { return m_sampler.get(); }
    // The document's way to the view's sampler: prepared first when there is none (or,
    // without a window size, made unbound).
    SurfaceSampler* GetSurfaceSampler() override;
    void SetActiveOverlay(ImageOverlay* overlay) override
    {
        m_activeOverlay = overlay;
        m_frame->ActiveOverlayChanged();
    }
    ImageOverlay* GetActiveOverlay() const { return m_activeOverlay; }
    // Takes effect at the next preparation.
    void SetShader(int shaderId);
    int GetShader() const;
    int GetPass() const { return m_pass.load(); }
    bool IsPrepared() const { return m_prepared != 0; }
    bool HasWorker() const { return m_worker.joinable(); }
    // True while a restart (hint 16) waits for the worker to take it.
    bool RestartPending() const { return m_restartRequested.load(); }
    // Whether the window still has frames to show: a render under way or not yet reported,
    // or the selection outline's moving pattern. Once false the frame timer may rest.
    bool NeedsFrames() const;

    // ---- settings ----
    // The view's settings live in the document's record.
    ViewSettings& Settings();
    const ViewSettings& Settings() const;
    ProjectionParms& Projection() { return Settings().projection; }
    LightParms& Light() { return Settings().light; }
    // Replaces the lighting (the worker takes it at its next round) and restarts.
    void SetLightParms(const LightParms& light);
    void SetHatch(int index, uint32_t lineColour, uint32_t background);
    void SetKeepImage(bool keep) { m_keepImage = keep; }
    void SetSelectionDisplayMode(int mode) { m_selectionMode = mode; }
    int SelectionDisplayMode() const { return m_selectionMode; }
    void SetBatch(bool batch) { m_batch = batch; }
    // Whether destruction writes the lighting to "Default.lgt" (a failed batch run turns
    // it off, leaving the user's file as it was).
    void SetWritesDefaultLighting(bool on) { m_writesDefaultLighting = on; }
    void SetStopTimeout(int milliseconds) { m_stopTimeoutMs = milliseconds; }
    int FrameInterval() const { return m_frameInterval; }

    // ---- navigation ----
    static constexpr int kHistoryDepth = 32;
    // Appends a copy of the projection parameters; the oldest go beyond 32.
    void PushViewHistory();
    int HistoryCount() const { return static_cast<int>(m_history.size()); }
    // Zoom Extents (scale 1, offset 0), Zoom In (scale x 0.5), Zoom Out (scale x 2): each
    // pushes the history and restarts.
    void ZoomExtents();
    void ZoomIn();
    void ZoomOut();
    // The newest history entry becomes the projection (hint 1); false when there is none.
    bool ZoomPrior();
    // The arrow keys: a pan of a tenth of the client (hint 5). dx, dy in -1, 0, 1: the
    // command's direction (right and down positive).
    void PanStep(int dx, int dy);
    // Ctrl + arrow keys: the centre moves by the zoom step x scale degrees (through the
    // frame's globe bar). dLat, dLon in -1, 0, 1 (up and right positive).
    void MoveCentreStep(int dLat, int dLon);
    double ZoomStep() const { return m_zoomStep; }
    double PanStepPercent() const { return m_panStep; }
    // Stops rendering, takes the saved view's projection (by name), shader, centre, offset
    // and scale, and restarts.
    void ApplyView(const CViewInfo& view);
    // A saved view of what is shown, named `name` (the view's shader, not a sampler's).
    CViewInfo MakeViewInfo(const std::string& name) const;

    // ---- edits ----
    // From the World Settings sheet: the new world parameters, the metric and second units
    // flags and whether the channels are kept (resampled). Hint 10 goes to every view of
    // the document first. A grid size the world cannot take is reported and leaves the
    // world at its former size (grids and recorded size agree); the result is
    // SurfMap::SetResolution's.
    int ApplyWorldSettings(const SurfMap& parms, int metric, int secondUnits, bool keep);
    // The document the view shows.
    ViewDocument& Document() { return m_document; }
    // One paint-tool stroke point at pixel (x, y) with the tool code's channel; `press`
    // starts a new undo step. False without a sampler, off the map or for a tool id that
    // paints no channel.
    bool PaintStroke(int toolCode, int x, int y, bool press, ChannelBrush& brush);

    // ---- buffers (the window draws the composite; tests look at all) ----
    const VideoBuffer& ImageBuffer() const { return m_image; }
    const VideoBuffer& CoverageMask() const { return m_coverage; }
    const VideoBuffer& SelectionOutline() const { return m_selectionOutline; }
    const VideoBuffer& GridColour() const { return m_gridColour; }
    const VideoBuffer& GridMask() const { return m_gridMask; }
    const VideoBuffer& HatchTile() const { return m_hatchTile; }
    // The view lock (the worker holds it while it computes cells).
    std::mutex& ViewLock() { return m_viewLock; }

    // Rebuilds latitude, longitude, on-map flags, coverage and the selection outline.
    void RebuildPositionGrids();
    // Redraws the latitude/longitude grid layer.
    void RedrawGridLayer();

private:
    class Hooks;
    // Stop flag plus wake-up: the manual-reset stop event.
    struct StopEvent {
        std::mutex mutex;
        std::condition_variable cv;
        bool set = false;
        bool woken = false;
        void Set();
        void Reset();
        bool IsSet();
        // True when set within `milliseconds`.
        bool Wait(int milliseconds);
        // Wakes one WaitForWake (now or, when none waits yet, the next one).
        void Wake();
        // Waits, with no time limit, until the event is set or woken.
        void WaitForWake();
    };

    bool Resize(int width, int height);
    void FreeBuffers();
    void RedrawOverlayLayer();
    // Recomputes only the overlay-layer pixels that show the stamps held since the last
    // composition (the same pixels a full redraw gives).
    void RedrawOverlayStamps(const std::vector<OverlayStampHint>& stamps);
    void RedrawRiverLayer();
    void RenderWorkerProc();
    // One round of passes from `pass`; false when stopped.
    bool RenderRound();
    void WriteDefaultLighting();
    std::string ReadStartupLighting(const ViewStartup& startup);

    ViewDocument& m_document;
    ViewFrame m_noFrame;
    ViewFrame* m_frame;

    std::atomic<int> m_busy{0};
    std::unique_ptr<SurfaceSampler> m_sampler;
    int m_clientWidth = 0, m_clientHeight = 0;
    int m_renderWidth = 0, m_renderHeight = 0;

    VideoBuffer m_composite;
    VideoBuffer m_gridMask, m_gridColour;
    VideoBuffer m_image;
    VideoBuffer m_coverage;
    VideoBuffer m_selectionOutline, m_selectionPattern;
    VideoBuffer m_riverLayer, m_overlayLayer;

    std::atomic<int> m_pass{0};
    // A restart from pass 0 that the worker takes at its next check.
    std::atomic<bool> m_restartRequested{false};
    int m_prepared = 0;
    std::atomic<bool> m_overlayDirty{true}, m_riverDirty{true};
    // Brush stamps (hint 13 with its box) waiting for the next composition.
    static constexpr size_t kMaxPendingStamps = 64;
    std::mutex m_stampLock;
    std::vector<OverlayStampHint> m_overlayStamps;
    StopEvent m_stop;
    std::thread m_worker;
    std::atomic<bool> m_workerDone{true};
    std::mutex m_doneMutex;
    std::condition_variable m_doneCv;
    std::mutex m_viewLock;
    bool m_keepImage = false;
    int m_selectionMode = 1;
    int m_frameInterval = 250;
    // The render preferences the worker uses (read on the user-interface thread).
    RenderPreferences m_prefs;
    VideoBuffer m_hatchTile;
    std::unique_ptr<GeoBuffers> m_geo;
    unsigned m_drawCounter = 0;
    bool m_batch = false;
    int m_stopTimeoutMs = kStopTimeoutMs;
    std::string m_settingsFolder;
    bool m_initialised = false;
    bool m_writesDefaultLighting = true;
    ImageOverlay* m_activeOverlay = nullptr;
    std::deque<ProjectionParms> m_history;
    double m_zoomStep = 5.0;
    double m_panStep = 10.0;
    std::unique_ptr<Hooks> m_hooks;
    ViewHooks* m_previousHooks = nullptr;
};

// The active view: the one that installed its hooks last and still exists; null without one.
CKVView* GetActiveKVView();

} // namespace kv
