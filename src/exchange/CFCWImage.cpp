#include "exchange/CFCWImage.h"

#include "base/DisplayUnits.h"
#include "base/MessageService.h"
#include "base/Progress.h"
#include "base/color/CColorList.h"
#include "base/grid/GridFilters.h"
#include "document/CKVDoc.h"
#include "exchange/ContourTracer.h"
#include "exchange/FCWBuiltins.h"
#include "exchange/FCWRecords.h"
#include "exchange/MultiMapSettings.h"
#include "exchange/PW2Output.h"
#include "exchange/TracerCall.h"
#include "platform/ParallelFor.h"
#include "world/GreatCircle.h"
#include "world/SurfMap.h"
#include "world/SurfaceSampler.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <memory>
#include <thread>
#include <vector>

namespace kv {

namespace {

constexpr float kOffMap = -1e20f;
constexpr double kLevelNudge = 1e-6;
constexpr double kZeroLevel = 0.0001;
constexpr double kKmToMiles = 3280.84 / 5280.0;
constexpr std::size_t kMaxTemplateBytes = 64u << 20;
constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Shader ids whose colourings give the automatic contour colours.
constexpr int kAltitudeColours = 1;
constexpr int kClimateColours = 2;
constexpr int kTemperatureColours = 3;
constexpr int kRainfallColours = 4;

// Palette indices of the scale bar and the labels.
constexpr int kBarDark = 163;
constexpr int kBarLight = 15;
constexpr int kBlack = 0;

// Sheet positions.
constexpr float kSheetWidth = 1000.0f;
constexpr float kSheetHeight = 800.0f;

enum Grids { kTemperature, kRainfall, kAltitude, kClimate, kGridCount };

struct Range {
    double low = kInfinity;
    double high = -kInfinity;
    bool Empty() const { return !(low <= high); }
};

// One level as the writer traces it.
struct LevelStyle {
    double level = 0.0;       // the level of the grid
    double traced = 0.0;      // what the tracer is given
    double label = 0.0;       // the label value (display units)
    bool lineOn = false;
    bool fillOn = false;
    uint32_t lineColour = 0;  // 0x00BBGGRR
    uint32_t fillColour = 0;
    int fillStyle = 1;
    int pen = 0;
    int labelMode = -1;       // the contour's own label placement; -1: the layer's
};

std::vector<uint8_t> ReadTemplate(const std::string& path)
{
    if (path.empty())
        return {};
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return {};
    const std::streamoff size = in.tellg();
    if (size <= 0 || static_cast<std::size_t>(size) > kMaxTemplateBytes)
        return {};
    std::vector<uint8_t> bytes(static_cast<std::size_t>(size));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size))
        return {};
    if (!fcw::CheckTemplate(bytes).empty())
        return {};
    return bytes;
}

// Levels from (floor(low / interval) - 1) x interval up to `top`; empty when the interval
// is not a positive number, the range is empty or the levels would be too many.
std::vector<double> IntervalLevels(double interval, const Range& range, bool upToNextAbove)
{
    std::vector<double> levels;
    if (!(interval > 0.0) || !std::isfinite(interval) || range.Empty())
        return levels;
    const double first = std::floor(range.low / interval) - 1.0;
    const double last = upToNextAbove ? std::floor(range.high / interval) + 1.0 : std::floor(range.high / interval);
    if (!std::isfinite(first) || !std::isfinite(last) || last - first + 1.0 > CFCWImage::kMaxLevels)
        return levels;
    for (double k = first; k <= last; k += 1.0) {
        const double level = k * interval;
        if (!upToNextAbove && level > range.high)
            break;
        levels.push_back(level);
    }
    return levels;
}

class MapWriter {
public:
    MapWriter(CFCWImage& image, CKVDoc* document, const PW2Output& settings, const MultiMapSettings* atlas,
              int width, int height, int threads)
        : m_image(image), m_threads(threads > 0 ? threads : HardwareThreads()), m_document(document), m_settings(settings), m_atlas(atlas),
          m_w(width), m_h(height), m_grid(settings.grid), m_metric(IsMetric())
    {
    }

    int Run(const std::string& path, const std::vector<uint8_t>& templ);

private:
    // 0; -1 aborted; -2 no memory for the grids.
    int Sample();
    void MeasureMap();
    int WriteLayers();
    void SetPen(const LevelStyle& s);
    void WriteFrame();
    bool FrameFirst(GridRows<const float> g, double level) const;
    // Traces the styles' levels of `g` into the sink on `layer`. `gridBands`: the
    // definition's grids are written between the levels. `labelMode`: 0 none, else the
    // sink's label mode. False when the user aborted.
    bool WriteLevels(GridRows<const float> g, const std::vector<LevelStyle>& styles, const char* layer,
                     bool gridBands, int labelMode, bool group);
    void WriteGridBand(double low, double high);
    // Writes one traced level with its style: pen, group, the frame when asked, the lines.
    // 0 or the sink's negative answer.
    int DeliverLevel(const LevelStyle& s, bool frame, const std::vector<line_pts>& lines, int labelMode, bool group);
    // After a layer's levels: false when the user aborted; a trace error is reported.
    bool Finished(int result);
    bool WriteClimate();
    bool WriteInterval(Grids which, float interval, double toDisplay, bool lineOn, bool fillOn, uint32_t fillColour,
                       int colours, const char* layer, const char* text);
    bool WriteAltitude();
    void WriteSea();
    void WriteScaleBar(const char* layer);
    void WriteColourBars();
    void WriteBar(const char* layer, const char* heading, float x0, const std::vector<double>& values,
                  const std::vector<uint32_t>& colours, const std::vector<std::string>& texts, bool labelsLeft);
    void WriteBorder();
    void WriteMapLinks();
    void WriteLinkPanel();
    // Copies a block in sheet units onto the drawing; its entities go on `layer` (null:
    // their own layers).
    void PlaceBlock(const std::vector<uint8_t>& block, const char* layer);
    uint32_t Colour(double value, int id) const { return Sampler().ValueToColor(static_cast<float>(value), id); }
    int Index(uint32_t colour) const { return FindNearestPaletteIndex(colour); }
    float S(float sheet) const { return static_cast<float>(sheet * m_scale); }
    void SelectBlack()
    {
        m_sink.pen.colour[0] = m_sink.pen.colour[1] = kBlack;
        m_sink.pen.lineWidth = 0;
    }

    CFCWImage& m_image;
    // The image's own sampler, bound to its buffers by the render.
    SurfaceSampler* m_samplerPtr = nullptr;
    SurfaceSampler& Sampler() const { return *m_samplerPtr; }
    int m_threads;
    CKVDoc* m_document;
    const PW2Output& m_settings;
    const MultiMapSettings* m_atlas;
    int m_w;
    int m_h;
    CRectGrid m_grid;
    bool m_metric;
    TracerCall m_sink;
    std::vector<uint8_t> m_template;
    Grid2DPtr m_grids[kGridCount];
    Range m_range[kGridCount];
    bool m_aborted = false;
    // Map extent and placement.
    double m_mapWidth = 1000.0, m_mapHeight = 800.0, m_scale = 1.0;
    double m_originX = 0.0, m_originY = 0.0, m_drawingWidth = 1000.0, m_drawingHeight = 800.0;
    std::vector<double> m_altitudeLevels; // for the colour bars
    std::vector<double> m_intervalLevels[kGridCount];
    std::string m_levelLayer; // the layer of the levels being written
};

int MapWriter::Sample()
{
    for (auto& g : m_grids) {
        g = Alloc2D(static_cast<std::size_t>(m_w), static_cast<std::size_t>(m_h), sizeof(float));
        if (!g)
            return -2;
        auto rows = g->Rows<float>();
        for (int i = 0; i < m_h; ++i)
            std::fill(rows[static_cast<std::size_t>(i)], rows[static_cast<std::size_t>(i)] + m_w, kOffMap);
    }
    VideoBuffer& mask = m_image.MaskBuffer();
    mask.Clear(0);
    const bool relative = m_settings.seaLevelRelative != 0;
    // Temperature, rainfall and climate feed only their own layers and bars; the water
    // level only the sea-relative altitudes. Without any of them the climate is not asked.
    const bool needClimate =
        relative || m_settings.climateContoursOn || m_settings.rainContoursOn || m_settings.tempContoursOn;
    GridRows<float> t = m_grids[kTemperature]->Rows<float>(), r = m_grids[kRainfall]->Rows<float>(),
                    a = m_grids[kAltitude]->Rows<float>(), c = m_grids[kClimate]->Rows<float>();

    const int threads = std::max(1, std::min(m_threads, m_h));
    std::vector<std::unique_ptr<SurfaceSampler>> samplers;
    for (int k = 0; k < threads; ++k)
        samplers.push_back(std::make_unique<SurfaceSampler>(Sampler()));
    std::atomic<int> nextRow{1};
    std::atomic<int> done{0};
    std::atomic<bool> stop{false};
    const int rows = std::max(0, m_h - 2);
    g_abortValue = 0;
    ProgressBeginHook("Calculating World Data", 1);
    auto work = [&](SurfaceSampler& s, bool caller) {
        NoiseEvaluationScope scope;
        for (int i = nextRow++; i <= m_h - 2 && !stop.load(std::memory_order_relaxed); i = nextRow++) {
            const std::size_t row = static_cast<std::size_t>(i);
            for (int j = 1; j <= m_w - 2; ++j) {
                double latitude = 0.0, longitude = 0.0;
                if (!s.PixelToLatLon(j, i, latitude, longitude))
                    continue;
                double altitude = s.GetAltitude(latitude, longitude);
                float rain = 0.0f, temperature = 0.0f, water = 0.0f;
                int climate = 0;
                if (needClimate)
                    s.GetClimate(latitude, longitude, altitude, rain, temperature, climate, &water);
                if (relative && altitude < 0.0) {
                    if (altitude > water)
                        altitude = 0.001;
                    else if (altitude < water)
                        altitude -= water;
                }
                t[row][j] = temperature;
                r[row][j] = rain;
                a[row][j] = static_cast<float>(altitude);
                c[row][j] = static_cast<float>(climate * 10);
                mask.SetPixelFast(j, i, 255);
            }
            const int now = ++done;
            if (caller) {
                ProgressStepHook(now, rows);
                ProgressPollHook();
                if (AbortRequested())
                    stop = true;
            }
        }
    };
    std::vector<std::thread> pool;
    for (int k = 1; k < threads; ++k)
        pool.emplace_back(work, std::ref(*samplers[static_cast<std::size_t>(k)]), false);
    work(*samplers[0], true);
    for (auto& th : pool)
        th.join();
    ProgressEndHook();
    if (stop || AbortRequested())
        return -1;
    for (int k = 0; k < kGridCount; ++k) {
        auto g = m_grids[k]->Rows<float>();
        for (int i = 1; i <= m_h - 2; ++i)
            for (int j = 1; j <= m_w - 2; ++j) {
                const float v = g[static_cast<std::size_t>(i)][j];
                if (v == kOffMap)
                    continue;
                m_range[k].low = std::min(m_range[k].low, static_cast<double>(v));
                m_range[k].high = std::max(m_range[k].high, static_cast<double>(v));
            }
    }
    return 0;
}

void MapWriter::MeasureMap()
{
    const SurfMap* world = Sampler().World();
    const double radius = (world ? world->circumference : 40233.6) * kCircumferenceToRadius;
    const MaskExtents e = MeasureMaskExtents(m_image.MaskBuffer(), Sampler(), radius);
    double width = m_metric ? e.eastWest : e.eastWest * kKmToMiles;
    double height = m_metric ? e.northSouth : e.northSouth * kKmToMiles;
    const double pixelWidth = e.rightColumn - e.leftColumn + 1;
    const double pixelHeight = e.bottomRow - e.topRow + 1;
    const double p = pixelHeight / pixelWidth;
    m_sink.SetSourceRect({static_cast<double>(e.leftColumn), static_cast<double>(e.topRow),
                          static_cast<double>(e.rightColumn), static_cast<double>(e.bottomRow)});
    if (!(width > 0.0) || !(height > 0.0) || !std::isfinite(width) || !std::isfinite(height) || !(p > 0.0)) {
        // No measurable map: the bare sheet.
        width = kSheetWidth;
        height = kSheetHeight;
        m_scale = 1.0;
    } else if (pixelWidth <= pixelHeight || (p >= 0.8 && p < 1.0)) {
        m_scale = height / kSheetHeight;
        width = height / p;
    } else {
        m_scale = width / kSheetWidth;
        height = width * p;
    }
    m_mapWidth = width;
    m_mapHeight = height;
    if (m_settings.drawInMapUnits) {
        m_originX = m_originY = 0.0;
        m_drawingWidth = width;
        m_drawingHeight = height;
    } else {
        m_drawingWidth = kSheetWidth * m_scale;
        m_drawingHeight = kSheetHeight * m_scale;
        m_originX = (m_drawingWidth - width) / 2.0;
        m_originY = (m_drawingHeight - height) / 2.0;
    }
    // North up: the top row of the raster lies at the top of the map.
    m_sink.SetDestinationRect({m_originX, m_originY + height, m_originX + width, m_originY});
    m_sink.symbolScale = m_scale;
}

void MapWriter::SetPen(const LevelStyle& s)
{
    uint32_t line = s.lineColour, fill = s.fillColour;
    if (s.lineOn && !s.fillOn)
        fill = line;
    else if (s.fillOn && !s.lineOn)
        line = fill;
    m_sink.pen.colour[0] = Index(fill);
    m_sink.pen.colour[1] = Index(line);
    m_sink.pen.styleFlag[0] = s.lineOn ? 1 : 0;
    m_sink.pen.styleFlag[1] = s.fillOn ? 1 : 0;
    m_sink.pen.lineWidth = static_cast<uint8_t>(s.pen & 0xFF);
    m_sink.fillStyle = static_cast<int16_t>(s.fillStyle == 1 ? 0 : 2);
    m_sink.labelValue = s.label;
}

bool MapWriter::FrameFirst(GridRows<const float> g, double level) const
{
    for (int j = 0; j < m_w; ++j)
        if (!(level > g[0][j]) || !(level > g[static_cast<std::size_t>(m_h - 1)][j]))
            return false;
    for (int i = 0; i < m_h; ++i)
        if (!(level > g[static_cast<std::size_t>(i)][0]) || !(level > g[static_cast<std::size_t>(i)][m_w - 1]))
            return false;
    for (int j = 2; j <= m_w - 3; ++j)
        if (!(level <= g[1][j]) || !(level <= g[static_cast<std::size_t>(m_h - 2)][j]))
            return false;
    for (int i = 2; i <= m_h - 3; ++i)
        if (!(level <= g[static_cast<std::size_t>(i)][1]) || !(level <= g[static_cast<std::size_t>(i)][m_w - 2]))
            return false;
    return true;
}

void MapWriter::WriteFrame()
{
    line_pts frame;
    const float right = static_cast<float>(m_w - 2), bottom = static_cast<float>(m_h - 2);
    frame.AddPoint(1.0f, 1.0f);
    frame.AddPoint(right, 1.0f);
    frame.AddPoint(right, bottom);
    frame.AddPoint(1.0f, bottom);
    frame.AddPoint(1.0f, 1.0f);
    frame.SetClosed(true);
    const int mode = m_sink.pen.extra;
    m_sink.pen.extra = 0;
    m_sink.Trace(frame);
    m_sink.pen.extra = mode;
}

void MapWriter::WriteGridBand(double low, double high)
{
    if (!m_grid.shown)
        return;
    const DrawingPen saved = m_sink.pen;
    m_sink.SelectLayer("HEX/SQUARE GRID");
    m_sink.pen.styleFlag[0] = 1;
    m_sink.pen.styleFlag[1] = 0;
    m_sink.pen.extra = 0;
    m_grid.DrawAltitudeBand(m_sink, Sampler(), low, high);
    m_sink.pen = saved;
    m_sink.SelectLayer(m_levelLayer);
}

bool MapWriter::WriteLevels(GridRows<const float> g, const std::vector<LevelStyle>& styles, const char* layer,
                            bool gridBands, int labelMode, bool group)
{
    m_levelLayer = layer;
    m_sink.SelectLayer(layer);
    std::vector<double> traced;
    for (const LevelStyle& s : styles)
        traced.push_back(s.lineOn || s.fillOn ? s.traced : std::numeric_limits<double>::quiet_NaN());
    if (gridBands && !styles.empty())
        WriteGridBand(-kInfinity, styles.front().level);
    const int count = static_cast<int>(styles.size());
    const int result = TraceContourLevels(
        traced, g, m_w, m_h, CFCWImage::kMaxTracePoints, &m_image.MaskBuffer(),
        [&](int k, const std::vector<line_pts>& lines) -> int {
            ProgressStepHook(k, count);
            ProgressPollHook();
            if (AbortRequested())
                return -kAbortValue;
            const LevelStyle& s = styles[static_cast<std::size_t>(k)];
            if (s.lineOn || s.fillOn) {
                const int answer = DeliverLevel(s, FrameFirst(g, s.traced), lines, labelMode, group);
                if (answer < 0)
                    return answer;
            }
            if (gridBands && k + 1 < count)
                WriteGridBand(s.level, styles[static_cast<std::size_t>(k) + 1].level);
            return 0;
        },
        m_threads);
    return Finished(result);
}

bool MapWriter::Finished(int result)
{
    m_sink.pen.extra = 0;
    if (result == -kAbortValue || AbortRequested())
        return false;
    if (result < 0) {
        char text[64];
        std::snprintf(text, sizeof text, "Error %d during generation", result);
        ShowMessage(text);
    }
    return true;
}

int MapWriter::DeliverLevel(const LevelStyle& s, bool frame, const std::vector<line_pts>& lines, int labelMode,
                            bool group)
{
    SetPen(s);
    m_sink.pen.extra = s.labelMode >= 0 ? s.labelMode : labelMode;
    if (group)
        m_sink.OpenGroup();
    if (frame)
        WriteFrame();
    for (const line_pts& line : lines) {
        const int answer = m_sink.Trace(line);
        if (answer < 0) {
            if (group)
                m_sink.CloseGroup();
            return answer;
        }
    }
    if (group)
        m_sink.CloseGroup();
    m_sink.pen.extra = 0;
    return 0;
}

bool MapWriter::WriteClimate()
{
    const Range& range = m_range[kClimate];
    if (range.Empty())
        return true;
    // The classes present, smallest first.
    auto src = static_cast<const Grid2D&>(*m_grids[kClimate]).Rows<float>();
    std::vector<float> classes;
    {
        std::vector<bool> seen(static_cast<std::size_t>((range.high - range.low) / 10.0) + 1, false);
        for (int i = 1; i < m_h - 1; ++i)
            for (int j = 1; j < m_w - 1; ++j) {
                const float v = src[static_cast<std::size_t>(i)][j];
                if (v == kOffMap)
                    continue;
                const double step = (v - range.low) / 10.0;
                if (step == std::floor(step) && step < static_cast<double>(seen.size()))
                    seen[static_cast<std::size_t>(step)] = true;
            }
        for (std::size_t k = 0; k < seen.size(); ++k)
            if (seen[k])
                classes.push_back(static_cast<float>(range.low + 10.0 * static_cast<double>(k)));
    }
    // Each class's mask (1 inside, -1 elsewhere and on the border) traced in parallel.
    struct Traced {
        std::vector<line_pts> lines;
        bool frame = false;
        int result = 0;
    };
    struct Store : TraceCallback {
        std::vector<line_pts>* lines = nullptr;
        int Trace(const line_pts& line) override
        {
            lines->push_back(line);
            return 0;
        }
    };
    std::vector<Traced> traced(classes.size());
    const int count = static_cast<int>(classes.size());
    const int workers = std::max(1, std::min(m_threads, count));
    std::atomic<int> next{0};
    ParallelRows(
        workers,
        [&](int begin, int end) {
            for (int w = begin; w < end; ++w) {
                Grid2DPtr mask = Alloc2D(static_cast<std::size_t>(m_w), static_cast<std::size_t>(m_h), sizeof(float));
                Grid2DPtr visited = Alloc2D(static_cast<std::size_t>(m_w), static_cast<std::size_t>(m_h), 1);
                line_pts points;
                for (int k = next++; k < count; k = next++) {
                    Traced& t = traced[static_cast<std::size_t>(k)];
                    if (!mask || !visited) {
                        t.result = kTraceNoMemory;
                        continue;
                    }
                    auto rows = mask->Rows<float>();
                    const float value = classes[static_cast<std::size_t>(k)];
                    for (int i = 0; i < m_h; ++i)
                        for (int j = 0; j < m_w; ++j) {
                            const bool inner = i > 0 && j > 0 && i < m_h - 1 && j < m_w - 1;
                            rows[static_cast<std::size_t>(i)][j] =
                                inner && src[static_cast<std::size_t>(i)][j] == value ? 1.0f : -1.0f;
                        }
                    GridRows<const float> g = static_cast<const Grid2D&>(*mask).Rows<float>();
                    t.frame = FrameFirst(g, kLevelNudge);
                    Store store;
                    store.lines = &t.lines;
                    try {
                        t.result = TraceContours(store, g, kLevelNudge, m_w, m_h, visited.get(), &points,
                                                 CFCWImage::kMaxTracePoints, &m_image.MaskBuffer());
                    } catch (const std::bad_alloc&) {
                        t.result = kTraceNoMemory;
                    }
                }
            }
        },
        workers);

    ProgressBeginHook("Generating Climate Contours", 1);
    m_sink.SelectLayer("CLIMATE");
    int result = 0;
    for (int k = 0; k < count && result == 0; ++k) {
        ProgressStepHook(k, count);
        ProgressPollHook();
        if (AbortRequested()) {
            result = -kAbortValue;
            break;
        }
        Traced& t = traced[static_cast<std::size_t>(k)];
        if (t.result < 0) {
            result = t.result;
            break;
        }
        LevelStyle s;
        s.traced = kLevelNudge;
        s.label = classes[static_cast<std::size_t>(k)] / 10.0;
        s.lineOn = m_settings.contourLineOn != 0;
        s.fillOn = m_settings.contourFillOn != 0;
        s.fillColour = static_cast<uint32_t>(m_settings.contourFillColor);
        s.lineColour = Colour(s.label, kClimateColours);
        s.fillStyle = 1;
        if (s.lineOn || s.fillOn)
            result = DeliverLevel(s, t.frame, t.lines, 0, m_sink.groupLevels);
        std::vector<line_pts>().swap(t.lines);
    }
    ProgressEndHook();
    return Finished(result);
}

bool MapWriter::WriteInterval(Grids which, float interval, double toDisplay, bool lineOn, bool fillOn,
                              uint32_t fillColour, int colours, const char* layer, const char* text)
{
    const std::vector<double> levels = IntervalLevels(interval, m_range[which], false);
    m_intervalLevels[which] = levels;
    if (levels.empty())
        return true;
    std::vector<LevelStyle> styles;
    for (double level : levels) {
        LevelStyle s;
        s.level = level;
        s.traced = level + kLevelNudge;
        s.label = level * toDisplay;
        s.lineOn = lineOn;
        s.fillOn = fillOn;
        s.fillColour = fillColour;
        s.lineColour = Colour(level, colours);
        s.fillStyle = 1;
        styles.push_back(s);
    }
    ProgressBeginHook(text, 1);
    const bool ok = WriteLevels(static_cast<const Grid2D&>(*m_grids[which]).Rows<float>(), styles, layer, false, 0,
                                m_sink.groupLevels);
    ProgressEndHook();
    return ok;
}

bool MapWriter::WriteAltitude()
{
    const PW2Output& p = m_settings;
    Grid2D& altitude = *m_grids[kAltitude];
    const Range range = m_range[kAltitude];
    if (range.Empty())
        return true;
    if (p.seaSmoothRadius > 0.0f) {
        Grid2DPtr blurred = Clone2D(&altitude);
        if (blurred) {
            auto b = blurred->Rows<float>();
            for (int i = 0; i < m_h; ++i)
                for (int j = 0; j < m_w; ++j) {
                    float& v = b[static_cast<std::size_t>(i)][j];
                    v = v == kOffMap ? static_cast<float>(range.low) : (v >= 0.0f ? 0.0f : v);
                }
            GaussianBlurFloatGrid(*blurred, p.seaSmoothRadius);
            auto a = altitude.Rows<float>();
            for (int i = 0; i < m_h; ++i)
                for (int j = 0; j < m_w; ++j) {
                    float& v = a[static_cast<std::size_t>(i)][j];
                    if (v != kOffMap && v < 0.0f)
                        v = b[static_cast<std::size_t>(i)][j];
                }
        }
    }
    const double toDisplay = m_metric ? 1.0 : kFeetPerMetre;
    std::vector<LevelStyle> styles;
    if (p.altContourMode != 0) {
        const double interval = m_metric ? p.altInterval : p.altInterval * kMetresPerFoot;
        for (double level : IntervalLevels(interval, range, true)) {
            LevelStyle s;
            s.level = level;
            s.traced = level == 0.0 ? kZeroLevel : level + kLevelNudge;
            s.label = level * toDisplay;
            s.lineOn = p.contourLineOn != 0;
            s.fillOn = p.contourFillOn != 0;
            s.lineColour = Colour(level, kAltitudeColours);
            s.fillColour = static_cast<uint32_t>(p.contourFillColor);
            s.fillStyle = p.altFillStyle;
            styles.push_back(s);
        }
    } else {
        for (int k = 0; k < p.contours.Count(); ++k) {
            const ContourDef& d = *p.contours.At(k);
            LevelStyle s;
            s.level = d.altitude;
            s.traced = d.altitude + kLevelNudge;
            s.label = d.altitude * toDisplay;
            s.lineOn = d.lineOn != 0;
            s.fillOn = d.fillOn != 0;
            s.lineColour = d.lineColorAuto ? Colour(d.altitude, kAltitudeColours) : static_cast<uint32_t>(d.lineColor);
            s.fillColour = d.fillColorAuto ? Colour(d.altitude, kAltitudeColours) : static_cast<uint32_t>(d.fillColor);
            s.fillStyle = d.fillStyle;
            s.pen = d.penWidth;
            // "Show Label" of the contour, at its "Label Position": Top the line's highest
            // point, Bottom its lowest.
            if (d.labelOption1 != 0)
                s.labelMode = d.labelOption2 == 1 ? 1 : 2;
            styles.push_back(s);
        }
    }
    for (const LevelStyle& s : styles)
        m_altitudeLevels.push_back(s.level);
    const int labelMode = !p.labelContours ? 0 : p.labelPlacement == 0 ? 1 : p.labelPlacement == 1 ? 2 : 0;
    ProgressBeginHook("Generating Altitude Contours", 1);
    GridRows<const float> g = static_cast<const Grid2D&>(altitude).Rows<float>();
    bool ok = WriteLevels(g, styles, "RELIEF/CONTOURS", true, labelMode, m_sink.groupLevels);
    if (ok && p.separateOutlines && p.contourFillOn) {
        std::vector<LevelStyle> outlines = styles;
        for (LevelStyle& s : outlines) {
            s.fillOn = false;
            s.labelMode = -1; // labelled once, on the filled pass
        }
        ok = WriteLevels(g, outlines, "CONTOUR OUTLINES", false, 0, m_sink.groupLevels);
    }
    ProgressEndHook();
    if (ok && !m_sink.labels.empty()) {
        m_sink.SelectLayer("RELIEF/CONTOURS");
        SelectBlack();
        for (auto it = m_sink.labels.rbegin(); it != m_sink.labels.rend(); ++it) {
            char text[64];
            std::snprintf(text, sizeof text, "%0.0f", it->value);
            m_sink.WriteText(it->x, it->y, 5.0f, 4, text);
        }
        m_sink.labels.clear();
    }
    return ok;
}

void MapWriter::WriteSea()
{
    const PW2Output& p = m_settings;
    const bool intervals = p.altContourMode != 0;
    if (!(intervals ? p.seaOnIntervals : p.seaOnList) || m_range[kAltitude].Empty())
        return;
    LevelStyle s;
    s.level = 0.0;
    s.traced = kLevelNudge;
    s.lineOn = false;
    s.fillOn = true;
    s.fillColour = static_cast<uint32_t>(intervals ? p.seaColorIntervals : p.seaColorList);
    s.pen = intervals ? p.seaPenIntervals : p.seaPenList;
    s.fillStyle = 1;
    // Sea areas are never grouped.
    WriteLevels(static_cast<const Grid2D&>(*m_grids[kAltitude]).Rows<float>(), {s}, "COAST/SEA", false, 0, false);
}

void MapWriter::WriteScaleBar(const char* layer)
{
    m_sink.SelectLayer(layer);
    // A fifth of the map width, rounded down to one significant figure.
    const double fifth = m_mapWidth / 5.0;
    double power = 0.01;
    while (power <= fifth && power < 1e30)
        power *= 10.0;
    const double length = fifth - std::fmod(fifth, power / 10.0);
    if (!(length > 0.0))
        return;
    const double segment = length / 10.0;
    // Map units to sheet units.
    const double perSheet = m_scale > 0.0 ? 1.0 / m_scale : 1.0;
    const float seg = static_cast<float>(segment * perSheet);
    const float right = 175.0f;
    const float start = right - 2.0f * seg; // the left part: two single segments
    const char* format = segment < 10.0 ? "%0.1f" : "%0.0f";
    std::vector<float> edges{start, start + seg, right};
    for (int k = 2; k < 10; k += 2)
        edges.push_back(right + static_cast<float>(k) * seg);
    for (std::size_t k = 0; k + 1 < edges.size(); ++k) {
        m_sink.pen.colour[1] = k % 2 == 0 ? kBarDark : kBarLight; // box fill
        m_sink.pen.colour[0] = kBlack;                              // box outline
        m_sink.pen.lineWidth = 0;
        m_sink.WriteBox(S(edges[k]), S(105.0f), S(edges[k + 1]), S(110.0f));
    }
    SelectBlack();
    double distance = 0.0;
    for (std::size_t k = 0; k < edges.size(); ++k) {
        char text[64];
        std::snprintf(text, sizeof text, format, distance);
        m_sink.WriteText(S(edges[k]), S(100.0f), S(7.5f), 7, text);
        if (k + 1 < edges.size())
            distance += (edges[k + 1] - edges[k]) / seg * segment;
    }
    m_sink.WriteText(S(start), S(120.0f), S(10.0f), 4, m_metric ? "Kilometers" : "Miles");
}

void MapWriter::WriteBar(const char* layer, const char* heading, float x0, const std::vector<double>& values,
                         const std::vector<uint32_t>& colours, const std::vector<std::string>& texts, bool labelsLeft)
{
    if (values.empty())
        return;
    m_sink.SelectLayer(layer);
    const float bottom = 52.5f, total = 280.0f;
    const float box = total / static_cast<float>(values.size());
    for (std::size_t k = 0; k < values.size(); ++k) {
        const float y0 = bottom + box * static_cast<float>(k);
        m_sink.pen.colour[1] = Index(colours[k]);
        m_sink.pen.colour[0] = kBlack;
        m_sink.pen.lineWidth = 0;
        m_sink.WriteBox(S(x0), S(y0), S(x0 + 40.0f), S(y0 + box));
        SelectBlack();
        if (texts[k].empty())
            continue;
        const float textWidth = 7.5f * 0.6f * static_cast<float>(texts[k].size());
        const float x = labelsLeft ? x0 - 5.0f - textWidth : x0 + 45.0f;
        m_sink.WriteText(S(x), S(y0 + box / 2.0f - 3.75f), S(7.5f), 5, texts[k]);
    }
    SelectBlack();
    m_sink.WriteText(S(x0), S(bottom + total + 5.0f), S(10.0f), 4, heading);
}

namespace {

// Every k-th level for the smallest k that keeps at most 32 boxes.
std::vector<double> BarLevels(const std::vector<double>& all)
{
    constexpr std::size_t kMostBoxes = 32;
    std::size_t k = 1;
    while ((all.size() + k - 1) / k > kMostBoxes)
        ++k;
    std::vector<double> levels;
    for (std::size_t i = 0; i < all.size(); i += k)
        levels.push_back(all[i]);
    return levels;
}

} // namespace

void MapWriter::WriteColourBars()
{
    const PW2Output& p = m_settings;
    if (p.altContoursOn && !m_altitudeLevels.empty()) {
        const std::vector<double> levels = BarLevels(m_altitudeLevels);
        const double toDisplay = m_metric ? 1.0 : kFeetPerMetre;
        const double span = (levels.back() - levels.front()) * toDisplay;
        const std::string unit = Sampler().GetShaderName(kAltitudeColours);
        std::vector<double> values;
        std::vector<uint32_t> colours;
        std::vector<std::string> texts;
        for (double level : levels) {
            char text[96];
            std::snprintf(text, sizeof text, span < 10.0 ? "%0.1f %s" : "%0.0f %s", level * toDisplay, unit.c_str());
            if (level == 0.0) {
                // The zero level in a sea half and a land half.
                values.push_back(level);
                colours.push_back(Colour(-kZeroLevel, kAltitudeColours));
                texts.push_back("");
                values.push_back(level);
                colours.push_back(Colour(kZeroLevel, kAltitudeColours));
                texts.push_back(text);
                continue;
            }
            values.push_back(level);
            colours.push_back(Colour(level, kAltitudeColours));
            texts.push_back(text);
        }
        WriteBar("CBAR ALTITUDE", "Altitude", 915.0f, values, colours, texts, true);
    }
    if (p.climateContoursOn && !m_range[kClimate].Empty()) {
        std::vector<double> values;
        std::vector<uint32_t> colours;
        std::vector<std::string> texts;
        for (double v = m_range[kClimate].low; v <= m_range[kClimate].high; v += 10.0) {
            const int code = static_cast<int>(std::lround(v / 10.0));
            values.push_back(code);
            colours.push_back(Colour(code, kClimateColours));
            texts.push_back(Sampler().GetClimateName(code));
        }
        WriteBar("CBAR CLIMATE", "Climate", 15.0f, values, colours, texts, false);
    }
    // One box per contour level of the layer, coloured at its level and labelled in the
    // display unit. With `labelStep` only the first box at or past each multiple of the
    // step of the bar's range (RoundStep, widened) carries its label.
    auto levelBar = [&](Grids which, int colours, double toDisplay, double offset, bool labelStep, const char* layer,
                        const char* heading, float x0) {
        const std::vector<double> levels = BarLevels(m_intervalLevels[which]);
        if (levels.empty())
            return;
        const double low = levels.front() * toDisplay + offset, high = levels.back() * toDisplay + offset;
        const double step = levels.size() > 1 ? (high - low) / static_cast<double>(levels.size() - 1) : 0.0;
        const double every = labelStep ? RoundStep(low, high, true) : 0.0;
        std::vector<double> values;
        std::vector<uint32_t> cols;
        std::vector<std::string> texts;
        double lastMultiple = -HUGE_VAL;
        for (double level : levels) {
            const double v = level * toDisplay + offset;
            values.push_back(v);
            cols.push_back(Colour(level, colours));
            std::string text;
            const double multiple = every > 0.0 ? std::floor(v / every + 1e-9) : v;
            if (every <= 0.0 || multiple > lastMultiple) {
                char label[64];
                std::snprintf(label, sizeof label, step < 10.0 ? "%0.1f" : "%0.0f", v);
                text = label;
                lastMultiple = multiple;
            }
            texts.push_back(text);
        }
        WriteBar(layer, heading, x0, values, cols, texts, true);
    };
    if (p.rainContoursOn)
        levelBar(kRainfall, kRainfallColours, m_metric ? 1.0 : kInchesPerCm, 0.0, false, "CBAR RAINFALL", "Rainfall",
                 735.0f);
    if (p.tempContoursOn)
        levelBar(kTemperature, kTemperatureColours, m_metric ? 1.0 : 1.8, m_metric ? -273.15 : -459.67, true,
                 "CBAR TEMPERATURE", "Temperature", 825.0f);
}

void MapWriter::PlaceBlock(const std::vector<uint8_t>& block, const char* layer)
{
    std::vector<uint8_t> placed;
    const int number = layer ? fcw::FindLayer(m_template, layer) : -1;
    fcw::TransformRecords(block.data(), block.size(), m_scale, 0.0, 0.0, number, placed);
    m_sink.WriteRaw(placed.data(), placed.size());
}

void MapWriter::WriteBorder()
{
    const PW2Output& p = m_settings;
    if (p.titleBlockOn) {
        PlaceBlock(fcw::TitleBlock(), "MAP BORDER");
        m_sink.SelectLayer("MAP BORDER");
        SelectBlack();
        const std::string title = m_atlas && !m_atlas->title.empty() ? m_atlas->title : p.mapTitle;
        m_sink.WriteText(S(175.789f), S(44.283f), S(15.377f), 4, title);
    }
    if (p.borderScaleOn)
        WriteScaleBar("MAP BORDER");
    if (p.borderSymbolOn)
        PlaceBlock(fcw::BorderSymbol(), "MAP BORDER");
}

void MapWriter::WriteMapLinks()
{
    const MultiMapSettings& a = *m_atlas;
    const int next = a.level + 1;
    if (next < 0 || next >= std::min(a.levelCount, MultiMapSettings::kMaxLevels))
        return;
    const MultiMapLevel& child = a.levels[next];
    if (child.columns < 1 || child.rows < 1)
        return;
    m_sink.SelectLayer("MAP LINKS");
    SelectBlack();
    // The children of this map divide it into columns x rows, row 0 at the top.
    const double toSheet = m_scale > 0.0 ? 1.0 / m_scale : 1.0;
    for (int r = 0; r < child.rows; ++r)
        for (int c = 0; c < child.columns; ++c) {
            const double x0 = m_originX + m_mapWidth * c / child.columns;
            const double x1 = m_originX + m_mapWidth * (c + 1) / child.columns;
            const double y1 = m_originY + m_mapHeight * (child.rows - r) / child.rows;
            const double y0 = m_originY + m_mapHeight * (child.rows - r - 1) / child.rows;
            const int column = (a.level < 0 ? 0 : a.column) * child.columns + c;
            const int row = (a.level < 0 ? 0 : a.row) * child.rows + r;
            m_sink.WriteLinkArea(static_cast<float>(x0 * toSheet), static_cast<float>(y0 * toSheet),
                                 static_cast<float>(x1 * toSheet), static_cast<float>(y1 * toSheet),
                                 "LOADM $" + FormatLinkName(column, row, next) + ".fcw;");
        }
}

void MapWriter::WriteLinkPanel()
{
    PlaceBlock(fcw::LinkPanel(), "MAP BORDER");
    if (!m_atlas || m_atlas->level < 0)
        return;
    const MultiMapSettings& a = *m_atlas;
    m_sink.SelectLayer("MAP LINKS");
    SelectBlack();
    auto link = [&](fcw::LinkButton which, const std::string& name) {
        const fcw::SheetBox b = fcw::LinkPanelButton(which);
        m_sink.WriteLinkArea(b.x0, b.y0, b.x1, b.y1, "LOADM $" + name + ".fcw;");
    };
    if (a.column - 1 >= 0)
        link(fcw::kLinkLeft, FormatLinkName(a.column - 1, a.row, a.level));
    if (a.column + 1 < a.columns)
        link(fcw::kLinkRight, FormatLinkName(a.column + 1, a.row, a.level));
    if (a.row - 1 >= 0)
        link(fcw::kLinkUp, FormatLinkName(a.column, a.row - 1, a.level));
    if (a.row + 1 < a.rows)
        link(fcw::kLinkDown, FormatLinkName(a.column, a.row + 1, a.level));
    const MultiMapLevel& own = a.levels[std::min(a.level, MultiMapSettings::kMaxLevels - 1)];
    const int parentColumn = a.level == 0 ? 0 : a.column / std::max(1, own.columns);
    const int parentRow = a.level == 0 ? 0 : a.row / std::max(1, own.rows);
    link(fcw::kLinkParent, FormatLinkName(parentColumn, parentRow, a.level - 1));
}

int MapWriter::Run(const std::string& path, const std::vector<uint8_t>& templ)
{
    m_template = templ;
    m_sink.SetTemplate(&m_template);
    m_grid.ClearDrawn();
    if (m_sink.Open(path) != 0)
        return -1;
    auto finish = [&](bool aborted) {
        m_sink.CloseAllGroups();
        const int closed = m_sink.Close();
        return aborted || closed != 0 ? -1 : 0;
    };
    // Sample: the grids and the mask come from the sampler itself; no picture of the
    // raster is needed for them.
    g_abortValue = 0;
    const int computed = m_image.PrepareSampling();
    m_samplerPtr = m_image.OwnSampler();
    if (computed != 0 && computed != -1) {
        m_sink.Discard();
        return -1;
    }
    const int sampled = computed == 0 && m_samplerPtr ? Sample() : -1;
    if (sampled == -2 || !m_samplerPtr) {
        m_sink.Discard();
        return -1;
    }
    if (sampled != 0) {
        g_abortValue = 0;
        return finish(true);
    }
    MeasureMap();

    // The template, its settings patched, its rest placed on the sheet.
    fcw::PatchSettings(m_template, static_cast<float>(m_drawingWidth), static_cast<float>(m_drawingHeight));
    m_sink.WriteRaw(m_template.data(), fcw::kHeaderSize);
    PlaceBlock(std::vector<uint8_t>(m_template.begin() + fcw::kHeaderSize, m_template.end()), nullptr);
    m_sink.nextNumber = 8000;

    char note[128];
    std::snprintf(note, sizeof note, "Map exported from Kelvane Pro.\r\nSymbol Scale: %0.2f", m_scale);
    m_sink.WriteMapNotes(note);
    m_sink.groupLevels = m_settings.groupLevels != 0;

    const PW2Output& p = m_settings;
    bool ok = true;
    if (ok && p.climateContoursOn)
        ok = WriteClimate();
    if (ok && p.rainContoursOn)
        ok = WriteInterval(kRainfall, m_metric ? p.rainInterval : p.rainInterval * static_cast<float>(kCmPerInch),
                           m_metric ? 1.0 : 1.0 / kCmPerInch, p.rainLineOn != 0, p.rainFillOn != 0,
                           static_cast<uint32_t>(p.rainFillColor), kRainfallColours, "RAINFALL",
                           "Generating Rainfall Contours");
    if (ok && p.tempContoursOn)
        ok = WriteInterval(kTemperature, m_metric ? p.tempInterval : p.tempInterval * 5.0f / 9.0f, 1.0,
                           p.tempLineOn != 0, p.tempFillOn != 0, static_cast<uint32_t>(p.tempFillColor),
                           kTemperatureColours, "TEMPERATURE", "Generating Temperature Contours");
    if (ok && p.altContoursOn)
        ok = WriteAltitude();
    if (ok && m_document) {
        m_sink.SelectLayer("WATER/RIVERS");
        m_sink.pen.extra = 0;
        m_sink.fillStyle = 0;
        m_document->GetRivers().Export(m_sink, Sampler(), std::numeric_limits<int>::max());
        ok = !AbortRequested();
    }
    if (ok)
        WriteSea();
    ok = ok && !AbortRequested();
    if (ok) {
        WriteGridBand(-kInfinity, kInfinity);
        if (p.scaleBarOn)
            WriteScaleBar("SCALE BAR");
        if (p.colorBarsOn)
            WriteColourBars();
        WriteBorder();
        if (m_atlas)
            WriteMapLinks();
        if (p.linkPanelOn)
            WriteLinkPanel();
    }
    const bool aborted = !ok || AbortRequested();
    g_abortValue = 0;
    return finish(aborted);
}

} // namespace

std::string FormatLinkName(int column, int row, int level)
{
    char text[32];
    std::snprintf(text, sizeof text, "%c%03x%03x", static_cast<char>('B' + level), column & 0x7FFF, row & 0x7FFF);
    return text;
}

double RoundStep(double a, double b, bool widen)
{
    const double c = std::fabs(b - a);
    if (!(c > 0.0) || !std::isfinite(c))
        return 1.0;
    const double power = std::pow(10.0, std::floor(std::log10(c)));
    const double s = c - std::fmod(c, power);
    if (widen && c + s / 2.0 > 2.0 * s)
        return 2.0 * s;
    return s;
}

int CFCWImage::PrepareSampling()
{
    if (!Allocate())
        return (m_source != nullptr || m_own) ? -3 : -2;
    return m_own ? 0 : -2;
}

int CFCWImage::WriteMap(const std::string& path, CKVDoc* document, const PW2Output& settings,
                        const MultiMapSettings* atlas)
{
    const long long width = static_cast<long long>(settings.resolution) * 128;
    if (settings.resolution <= 0 || settings.drawingWidth <= 0 || settings.drawingHeight <= 0)
        return -1;
    if (width < kMinRasterSide || width > kMaxRasterSide)
        return -1;
    const long long height = width * settings.drawingHeight / settings.drawingWidth;
    if (height < kMinRasterSide || height > kMaxRasterSide)
        return -1;
    SurfaceSampler* source = SourceSampler();
    if (!source)
        return -1;
    SetSize(static_cast<int>(width), static_cast<int>(height));
    std::vector<uint8_t> templ = ReadTemplate(settings.templatePath);
    if (templ.empty())
        templ = fcw::BuiltinTemplate();
    MapWriter writer(*this, document, settings, atlas, static_cast<int>(width), static_cast<int>(height),
                     m_threads);
    return writer.Run(path, templ);
}

} // namespace kv
