#include "view/CRawImage.h"

#include "base/Progress.h"
#include "base/ViewHooks.h"
#include "base/grid/Grid2D.h"
#include "base/layers/ImageOverlay.h"
#include "base/raster/Canvas.h"
#include "base/raster/CrvlHeader.h"
#include "platform/AtomicFile.h"
#include "platform/ParallelFor.h"
#include "projection/ProjectionParms.h"
#include "document/CKVDoc.h"
#include "document/DocumentContext.h"
#include "view/DocumentAdapter.h"
#include "view/ImageFileWriters.h"
#include "view/ViewDocument.h"
#include "world/SurfaceSampler.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <new>
#include <optional>
#include <vector>

namespace kv {

namespace {

constexpr double kRadToDeg = 57.29577951308232;

// One thread's share of a computation: its own sampler copy and view of the image's geo
// buffers (sharing the grids), each on its own cache lines.
struct alignas(64) RowWorker {
    RowWorker(const SurfaceSampler& prototype, const GeoBuffers& geo) : sampler(prototype), view(geo) {}
    SurfaceSampler sampler;
    GeoBuffers view;
    bool land = false;
};

// Threads for the renders' passes (one per core and one for progress), made on first use,
// and whether a render is using them.
ParallelRowPool& RenderPool()
{
    static ParallelRowPool pool(HardwareThreads() + 1);
    return pool;
}

std::atomic<bool>& RenderPoolBusy()
{
    static std::atomic<bool> busy{false};
    return busy;
}

// Runs body(worker, row) for every row of [0, rows) on the workers, which take short runs
// of rows in turn. The calling thread steps progress by rows done (from `progressBase` of
// `progressTotal`; no steps when `progressTotal` is 0) every 20 ms and at the end and, with
// `poll`, polls; an abort stops the workers between runs. False when aborted.
template <class Body>
bool RunRows(std::vector<std::unique_ptr<RowWorker>>& workers, int rows, double progressBase,
             double progressTotal, bool poll, Body body)
{
    const int n = static_cast<int>(workers.size());
    const int runRows = std::max(1, rows / (n * 16));
    const int runs = (rows + runRows - 1) / runRows;
    std::atomic<int> next{0};
    std::atomic<int> rowsDone{0};
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::condition_variable wake;
    int finished = 0;
    bool aborted = false;

    auto share = [&](int begin, int end) {
        for (int i = begin; i < end; ++i) {
            if (i == 0) {
                // The calling thread: progress and polls until every worker is done.
                int reported = 0;
                std::unique_lock<std::mutex> lock(mutex);
                for (;;) {
                    // Woken when the workers are done, else every 20 ms to step and poll:
                    // waking it for every run of rows would take a core from the workers
                    // each time.
                    wake.wait_for(lock, std::chrono::milliseconds(20), [&] { return finished == n; });
                    const bool done = finished == n;
                    lock.unlock();
                    const int now = rowsDone.load(std::memory_order_relaxed);
                    for (; reported < now && progressTotal > 0.0; ++reported)
                        ProgressStepHook(progressBase + reported + 1, progressTotal);
                    if (poll)
                        ProgressPollHook();
                    if (AbortRequested()) {
                        aborted = true;
                        stop.store(true, std::memory_order_relaxed);
                    }
                    lock.lock();
                    if (done)
                        break;
                }
                continue;
            }
            RowWorker& worker = *workers[static_cast<size_t>(i - 1)];
            for (int run = next.fetch_add(1, std::memory_order_relaxed);
                 run < runs && !stop.load(std::memory_order_relaxed);
                 run = next.fetch_add(1, std::memory_order_relaxed)) {
                const int first = run * runRows;
                const int last = std::min(first + runRows, rows);
                for (int y = first; y < last; ++y)
                    body(worker, y);
                rowsDone.fetch_add(last - first, std::memory_order_relaxed);
            }
            std::lock_guard<std::mutex> lock(mutex);
            ++finished;
            wake.notify_one();
        }
    };
    // The passes of a render follow each other closely: they run on threads kept waiting
    // between them, unless another render (or one started from a progress poll) has them.
    std::atomic<bool>& poolBusy = RenderPoolBusy();
    ParallelRowPool& pool = RenderPool();
    if (n + 1 == pool.Threads() && !poolBusy.exchange(true, std::memory_order_acquire)) {
        struct Release {
            std::atomic<bool>& busy;
            ~Release() { busy.store(false, std::memory_order_release); }
        } release{poolBusy};
        // One index per pool thread: 0 (progress) on this thread, the workers 1..n.
        pool.Run(n + 1, share);
    } else {
        ParallelRows(n + 1, share, n + 1);
    }
    return !aborted && next.load() >= runs;
}

std::string LowerExtension(const std::string& path)
{
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos)
        return {};
    std::string ext = path.substr(dot + 1);
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

} // namespace

CRawImage::CRawImage() = default;

CRawImage::CRawImage(SurfaceSampler* source) : m_source(source) {}

CRawImage::~CRawImage()
{
    Free();
}

void CRawImage::SetSize(int width, int height)
{
    m_width = width;
    m_height = height;
    m_computed = false;
}

void CRawImage::SetQuality(int quality)
{
    m_quality = std::clamp(quality, 0, 100);
}

void CRawImage::SetSampler(SurfaceSampler* source)
{
    m_source = source;
    CopySource();
    m_computed = false;
}

void CRawImage::SetProjection(const ProjectionParms* projection)
{
    m_projection.reset();
    if (projection != nullptr)
        m_projection = std::make_unique<ProjectionParms>(*projection);
    CopySource();
    m_computed = false;
}

void CRawImage::CopySource()
{
    if (m_source == nullptr) {
        if (m_own)
            m_own->SetTarget(&m_geo, &m_colour, &m_mask);
        return;
    }
    m_own = std::make_unique<SurfaceSampler>(*m_source);
    if (m_projection)
        m_own->SetProjection(m_projection.get());
    m_own->SetTarget(&m_geo, &m_colour, &m_mask);
}

void CRawImage::CopyEdgePixels()
{
    VideoBuffer& image = m_colour;
    const int w = image.GetWidth(), h = image.GetHeight();
    if (w < 2 || h < 2)
        return;
    for (int y = 0; y < h; ++y) {
        image.SetPixelFast(0, y, image.GetPixel(1, y));
        image.SetPixelFast(w - 1, y, image.GetPixel(w - 2, y));
    }
    std::memcpy(image.RowPointer(h - 1), image.RowPointer(h - 2), image.RowBytes());
}

void CRawImage::FillDeadEdges()
{
    const int w = m_colour.GetWidth(), h = m_colour.GetHeight();
    if (w < 3 || h < 3 || !m_geo.valid || m_geo.width != w || m_geo.height != h)
        return;
    const bool withMask = m_mask.GetWidth() == w && m_mask.GetHeight() == h;
    Grid2D* const grids[] = {m_geo.latitude.get(), m_geo.longitude.get(), m_geo.altitude.get(), m_geo.rawBasis.get()};
    auto valid = [&](int x, int y) { return m_geo.valid->Row<uint8_t>(static_cast<size_t>(y))[x] != 0; };
    auto take = [&](int x, int y, int fromX, int fromY) {
        if (valid(x, y) || !valid(fromX, fromY))
            return;
        m_geo.valid->Row<uint8_t>(static_cast<size_t>(y))[x] = m_geo.valid->Row<uint8_t>(static_cast<size_t>(fromY))[fromX];
        for (Grid2D* g : grids)
            if (g != nullptr)
                g->Row<float>(static_cast<size_t>(y))[x] = g->Row<float>(static_cast<size_t>(fromY))[fromX];
        m_colour.SetPixelFast(x, y, m_colour.GetPixel(fromX, fromY));
        if (withMask)
            m_mask.SetPixelFast(x, y, m_mask.GetPixel(fromX, fromY));
    };
    // An edge line with no cell on the map beside a line mostly on it is the map's seam
    // falling just outside the picture (column 0 of a whole-world image), not the map's
    // own border: it takes its neighbour's cells.
    auto dead = [&](bool column, int line, int neighbour) {
        const int n = column ? h : w;
        int onMap = 0;
        for (int k = 0; k < n; ++k) {
            if (column ? valid(line, k) : valid(k, line))
                return false;
            onMap += column ? valid(neighbour, k) : valid(k, neighbour);
        }
        return 2 * onMap > n;
    };
    const bool left = dead(true, 0, 1), right = dead(true, w - 1, w - 2);
    const bool topRow = dead(false, 0, 1), bottomRow = dead(false, h - 1, h - 2);
    for (int y = 0; y < h; ++y) {
        if (left)
            take(0, y, 1, y);
        if (right)
            take(w - 1, y, w - 2, y);
    }
    for (int x = 0; x < w; ++x) {
        if (topRow)
            take(x, 0, x, 1);
        if (bottomRow)
            take(x, h - 1, x, h - 2);
    }
}

void CRawImage::Free()
{
    m_colour.Free();
    m_mask.Free();
    m_third.Free();
    m_geo.Free();
    m_computed = false;
}

bool CRawImage::Allocate()
{
    // Buffers of the same size are kept: their rows are cleared by the render itself, on
    // its threads, rather than mapped and faulted in again.
    const bool sameSize = m_colour.GetWidth() == m_width && m_colour.GetHeight() == m_height &&
                          m_mask.GetWidth() == m_width && m_mask.GetHeight() == m_height &&
                          m_third.GetWidth() == m_width && m_third.GetHeight() == m_height &&
                          m_geo.width == m_width && m_geo.height == m_height && m_geo.altitude && m_geo.latitude &&
                          m_geo.longitude && m_geo.rawBasis && m_geo.valid;
    m_geoStale = false;
    if (sameSize) {
        m_computed = false;
        m_geo.minValue = 0.0f;
        m_geo.maxValue = 1.0f;
        m_geo.positionsValid = false;
        m_geoStale = true;
    } else {
        Free();
        if (m_colour.CreateMapped(m_width, m_height) != 0 || m_mask.CreateMapped(m_width, m_height) != 0 ||
            m_third.CreateMapped(m_width, m_height) != 0 || m_geo.Allocate(m_width, m_height) == nullptr) {
            Free();
            return false;
        }
    }
    CopySource();
    return true;
}

void CRawImage::ClearRow(int y)
{
    // As freshly made: a white image and zero grids (cells off the map keep them).
    m_colour.ClearRow(y, 0xFFFFFF);
    if (!m_geoStale)
        return;
    const auto row = static_cast<size_t>(y);
    for (Grid2D* grid : {m_geo.altitude.get(), m_geo.latitude.get(), m_geo.longitude.get(), m_geo.rawBasis.get()})
        std::memset(grid->Row<float>(row), 0, static_cast<size_t>(m_width) * sizeof(float));
    std::memset(m_geo.valid->Row<uint8_t>(row), 0, static_cast<size_t>(m_width));
}

int CRawImage::Compute(const char* progressText, bool shadingPass, bool riversAndGrids)
{
    // No render is prepared while the progress pumps events.
    ViewBusyScope busy;
    if (!Allocate())
        return (m_source != nullptr || m_own) ? -3 : -2;
    if (!m_own)
        return -2;

    const double total = 2.0 * m_height + (shadingPass ? m_height : 0);
    ProgressBeginHook(progressText != nullptr ? progressText : "Calculating Image Data");
    g_abortValue = 0;
    m_land = 0;

    int threads = m_threads > 0 ? m_threads : HardwareThreads();
    threads = std::clamp(threads, 1, m_height);
    std::vector<std::unique_ptr<RowWorker>> workers;
    // With the shading pass every colour is made there: the first pass only evaluates.
    for (int i = 0; i < threads; ++i) {
        workers.push_back(std::make_unique<RowWorker>(*m_own, m_geo));
        workers.back()->sampler.SetTarget(&workers.back()->view, shadingPass ? nullptr : &m_colour, &m_mask);
    }
    const int width = m_width;
    double done = 0.0;

    bool ok = RunRows(workers, m_height, done, total, true, [this, width](RowWorker& w, int y) {
        ClearRow(y);
        NoiseEvaluationScope evaluating;
        // Once this thread has seen land, the water level need not be sampled again.
        bool above = false;
        w.sampler.ComputeRun(y, 0, width - 1, 0, w.land ? nullptr : &above);
        w.land = w.land || above;
    });
    done += m_height;
    if (ok && shadingPass) {
        for (auto& worker : workers)
            worker->sampler.SetTarget(&worker->view, &m_colour, &m_mask);
        ok = RunRows(workers, m_height, done, total, true, [width](RowWorker& w, int y) {
            NoiseEvaluationScope evaluating;
            w.sampler.ComputeRun(y, 0, width - 1, kCellColour, nullptr);
        });
        done += m_height;
    }
    for (auto& worker : workers)
        worker->sampler.SetTarget(&worker->view, &m_colour, &m_mask);
    if (ok) {
        // The overlays are read by the workers while this thread holds their lock; no
        // events are pumped meanwhile, so nothing changes them.
        std::lock_guard<std::recursive_mutex> overlays(OverlayLock());
        if (workers.front()->sampler.ShowsOverlays()) {
            ok = RunRows(workers, m_height, done, total, false, [width](RowWorker& w, int y) {
                for (int x = 0; x < width; ++x)
                    w.sampler.ColorPixel(x, y);
            });
        } else {
            // Nothing to composite: the pass only steps the progress, a step per row.
            for (int y = 0; y < m_height; ++y)
                ProgressStepHook(done + y + 1, total);
        }
    }
    for (auto& worker : workers)
        m_land |= worker->land ? 1 : 0;
    if (!workers.empty()) {
        m_geo.minValue = workers[0]->view.minValue;
        m_geo.maxValue = workers[0]->view.maxValue;
        for (auto& worker : workers) {
            m_geo.minValue = std::min(m_geo.minValue, worker->view.minValue);
            m_geo.maxValue = std::max(m_geo.maxValue, worker->view.maxValue);
        }
    }
    ProgressEndHook();
    if (ok) {
        FillDeadEdges();
        DrawRiversAndGrids(riversAndGrids);
    }
    m_computed = ok;
    g_abortValue = 0;
    return ok ? 0 : -1;
}

void CRawImage::DrawRiversAndGrids(bool grids)
{
    // The document set for the image, else the active one.
    std::optional<DocumentAdapter> active;
    ViewDocument* document = m_document;
    if (document == nullptr) {
        if (CKVDoc* doc = GetActiveDoc()) {
            active.emplace(*doc);
            document = &*active;
        }
    }
    if (document == nullptr || !m_own)
        return;
    if (document->ShowsRivers()) {
        if (Canvas* canvas = m_colour.GetDC()) {
            document->DrawRivers(*canvas, *m_own, m_width);
            m_colour.ReleaseDC();
        }
    }
    if (!grids)
        return;
    VideoBuffer lines;
    if (lines.CreateMapped(m_width, m_height) != 0)
        return;
    for (int i = document->GridCount() - 1; i >= 0; --i) {
        const ViewGridEntry entry = document->GridEntry(i);
        if (!entry.enabled)
            continue;
        const uint32_t clear = (entry.colour ^ 0xFFFFFFu) & 0xFFFFFFu;
        lines.Clear(clear);
        if (Canvas* canvas = lines.GetDC()) {
            document->DrawGridLines(i, *canvas, *m_own);
            lines.ReleaseDC();
        }
        for (int y = 0; y < m_height; ++y) {
            const float* value = m_geo.altitude->Row<float>(static_cast<size_t>(y));
            for (int x = 0; x < m_width; ++x) {
                const uint32_t c = lines.GetPixel(x, y) & 0xFFFFFFu;
                if (c != clear && value[x] <= entry.altitudeLimit)
                    m_colour.SetPixelFast(x, y, c);
            }
        }
    }
}

int CRawImage::ColorFromGeo(bool lighting)
{
    if (!m_geo.altitude || !m_geo.latitude || !m_geo.longitude)
        return -1;
    if (!m_own)
        return -2;
    ViewBusyScope busy;
    g_abortValue = 0;
    m_own->SetTarget(&m_geo, &m_colour, &m_mask);
    const int w = std::min(m_geo.width, m_colour.GetWidth());
    const int h = std::min(m_geo.height, m_colour.GetHeight());
    // Every pixel is shaded from the stored grids alone: the rows go to all cores.
    int threads = m_threads > 0 ? m_threads : HardwareThreads();
    threads = std::clamp(threads, 1, std::max(h, 1));
    std::vector<std::unique_ptr<RowWorker>> workers;
    for (int i = 0; i < threads; ++i) {
        workers.push_back(std::make_unique<RowWorker>(*m_own, m_geo));
        workers.back()->sampler.SetTarget(&m_geo, &m_colour, &m_mask);
    }
    const bool aborted = !RunRows(workers, h, 0.0, 0.0, true, [this, w, lighting](RowWorker& worker, int y) {
        NoiseEvaluationScope evaluating;
        const auto row = static_cast<size_t>(y);
        const float* lat = m_geo.latitude->Row<float>(row);
        const float* lon = m_geo.longitude->Row<float>(row);
        const float* value = m_geo.altitude->Row<float>(row);
        for (int x = 0; x < w; ++x)
            m_colour.SetPixelFast(x, y,
                                  worker.sampler.ShadePoint(&m_geo, x, y, lat[x] * kRadToDeg, lon[x] * kRadToDeg,
                                                            value[x], lighting));
    });
    if (!aborted)
        CopyEdgePixels();
    m_computed = !aborted;
    g_abortValue = 0;
    return aborted ? -1 : 0;
}

int CRawImage::SaveJPEG(const std::string& path, bool riversAndGrids)
{
    if (!m_computed && Compute(nullptr, false, riversAndGrids) != 0)
        return -1;
    return m_colour.SaveJPEG(path, m_quality);
}

int CRawImage::SaveBMP(const std::string& path, bool riversAndGrids)
{
    if (!m_computed && Compute(nullptr, true, riversAndGrids) != 0)
        return -1;
    return m_colour.SaveOpaqueBMP(path);
}

int CRawImage::SavePNG(const std::string& path, bool riversAndGrids)
{
    if (!m_computed && Compute(nullptr, true, riversAndGrids) != 0)
        return -1;
    const int w = m_colour.GetWidth(), h = m_colour.GetHeight();
    // One block of rows, top first; a large one comes on pages of 2 MB, which the threads
    // below fault in a few at a time instead of 4 KB at a time.
    const Grid2DPtr block = w > 0 && h > 0 ? Alloc2D(static_cast<size_t>(w) * 4, static_cast<size_t>(h), 1) : nullptr;
    if (!block)
        return -1;
    uint8_t* const pixels = reinterpret_cast<uint8_t*>(block->Data());
    // Both buffers stored blue, green, red (and a fourth byte): read straight from the rows.
    const int colourBytes = m_colour.BytesPerPixel(), maskBytes = m_mask.BytesPerPixel();
    const bool direct = m_colour.GetBits() != nullptr && m_mask.GetBits() != nullptr && m_mask.GetWidth() == w &&
                        m_mask.GetHeight() == h && colourBytes >= 3 && maskBytes >= 3;
    ParallelRows(h, [&](int begin, int end) {
        for (int y = begin; y < end; ++y) {
            uint8_t* out = pixels + static_cast<size_t>(y) * static_cast<size_t>(w) * 4;
            if (direct) {
                const uint8_t* c = m_colour.RowPointer(y);
                const uint8_t* m = m_mask.RowPointer(y);
                for (int x = 0; x < w; ++x, c += colourBytes, m += maskBytes, out += 4) {
                    out[0] = c[2];
                    out[1] = c[1];
                    out[2] = c[0];
                    out[3] = (m[0] | m[1] | m[2]) != 0 ? 255 : 0;
                }
                continue;
            }
            for (int x = 0; x < w; ++x) {
                const uint32_t c = m_colour.GetPixel(x, y);
                *out++ = static_cast<uint8_t>(c);
                *out++ = static_cast<uint8_t>(c >> 8);
                *out++ = static_cast<uint8_t>(c >> 16);
                *out++ = (m_mask.GetPixel(x, y) & 0xFFFFFFu) != 0 ? 255 : 0;
            }
        }
    });
    return WritePngFile(path, pixels, w, h);
}

int CRawImage::SaveMDR(const std::string& path)
{
    if (!m_computed && Compute("Creating MDR data", false, false) != 0)
        return -1;
    AtomicFile file;
    if (!file.Open(path))
        return -2;
    const int w = m_geo.width, h = m_geo.height;
    CrvlHeader crvl;
    crvl.west = 0.0;
    crvl.east = 1.0;
    crvl.north = 0.0;
    crvl.south = 1.0;
    crvl.minValue = 0.0;
    crvl.maxValue = 1.0;
    crvl.cellWidth = 1.0 / w;
    crvl.cellHeight = -1.0 / h;
    crvl.width = w;
    crvl.height = h;
    uint8_t header[kCrvlHeaderSize];
    EncodeCrvlHeader(crvl, header);
    bool ok = std::fwrite(header, 1, sizeof header, file.File()) == sizeof header;

    ProgressBeginHook(("Writing MDR File " + path).c_str());
    std::vector<uint8_t> row(static_cast<size_t>(w) * 4);
    for (int y = h - 1; y >= 0 && ok; --y) {
        const float* value = m_geo.altitude->Row<float>(static_cast<size_t>(y));
        for (int x = 0; x < w; ++x)
            PutLEFloat(row.data() + static_cast<size_t>(x) * 4, value[x]);
        ok = std::fwrite(row.data(), 1, row.size(), file.File()) == row.size();
        ProgressStepHook(h - 1 - y, h);
        ProgressPollHook();
        if (AbortRequested())
            ok = false;
    }
    ProgressEndHook();
    g_abortValue = 0;
    if (!ok) {
        file.Discard();
        return -3;
    }
    return file.Commit() ? 0 : -3;
}

int CRawImage::SaveByExtension(const std::string& path, bool riversAndGrids)
{
    const std::string ext = LowerExtension(path);
    if (ext == "jpg" || ext == "jpeg")
        return SaveJPEG(path, riversAndGrids);
    if (ext == "bmp")
        return SaveBMP(path, riversAndGrids);
    if (ext == "mdr")
        return SaveMDR(path);
    if (ext == "png")
        return SavePNG(path, riversAndGrids);
    return -1;
}

} // namespace kv
