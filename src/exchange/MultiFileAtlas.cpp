#include "exchange/MultiFileAtlas.h"

#include "base/AppFolders.h"
#include "base/AppSettings.h"
#include "base/MessageService.h"
#include "base/Progress.h"
#include "base/ServiceSlots.h"
#include "base/ViewHooks.h"
#include "document/CKVDoc.h"
#include "document/DocumentContext.h"
#include "document/StepProgress.h"
#include "exchange/CFCWImage.h"
#include "exchange/CMultiImageDlg.h"
#include "exchange/PW2Output.h"
#include "platform/AtomicFile.h"
#include "platform/ParallelFor.h"
#include "view/CKVView.h"
#include "world/SurfaceSampler.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>
#include <unistd.h>

namespace kv {

namespace {

MultiImageDialog g_defaultDialog;
std::atomic<MultiImageDialog*> g_dialog{nullptr};

struct Button {
    const char* file;
    const char* alt;
    int width;
    int height;
};
constexpr Button kButtons[] = {
    {"p.gif", "Map Parent", 36, 32}, {"l.gif", "Map Left", 32, 32},  {"r.gif", "Map Right", 32, 32},
    {"u.gif", "Map Above", 32, 32},  {"d.gif", "Map Below", 32, 32}, {"c.gif", "Download PW2 File", 80, 32},
};
enum { kParent, kLeft, kRight, kAbove, kBelow, kDownload };

std::string Join(const std::string& folder, const std::string& name)
{
    if (folder.empty() || folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

void AppendButton(std::string& out, int which, bool active, const std::string& target)
{
    const Button& b = kButtons[which];
    out += "<A";
    if (active && !target.empty())
        out += " HREF=\"" + target + "\"";
    out += "><IMG SRC=\"";
    out += active ? "a" : "d";
    out += b.file;
    out += "\" ALT=\"";
    out += b.alt;
    out += "\" BORDER=0 WIDTH=" + std::to_string(b.width) + " HEIGHT=" + std::to_string(b.height) + "></A>\n";
}

std::string EscapeHtml(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c; break;
        }
    }
    return out;
}

std::string Page(int column, int row, int level) { return FormatLinkName(column, row, level) + ".html"; }

// Leading blanks and tabs, trailing blanks, tabs and separators (a lone root stays).
std::string TrimFolder(const std::string& text)
{
    std::size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return std::string();
    std::size_t end = text.size();
    while (end > begin + 1 && (text[end - 1] == ' ' || text[end - 1] == '\t' || text[end - 1] == '/'))
        --end;
    return text.substr(begin, end - begin);
}

// Creates and deletes a file of a name no other file has.
bool CanWriteIn(const std::string& folder)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string probe =
            Join(folder, "kv" + std::to_string(getpid()) + "_" + std::to_string(attempt) + ".$$$");
        std::error_code ec;
        if (std::filesystem::exists(probe, ec))
            continue;
        std::FILE* f = std::fopen(probe.c_str(), "wx");
        if (f == nullptr)
            return false;
        std::fclose(f);
        return std::remove(probe.c_str()) == 0;
    }
    return false;
}

} // namespace

MultiMapSettings& GetMultiMapSettings()
{
    static MultiMapSettings settings = DefaultAtlasSettings();
    return settings;
}

MultiImageDialog& GetMultiImageDialog()
{
    MultiImageDialog* d = g_dialog.load();
    return d != nullptr ? *d : g_defaultDialog;
}

MultiImageDialog* SetMultiImageDialog(MultiImageDialog* dialog) { return g_dialog.exchange(dialog); }

bool AtlasSourceOfView(CKVView& view, AtlasSource& source)
{
    CKVDoc* doc = GetActiveDoc();
    if (doc == nullptr)
        return false;
    source.document = doc;
    source.projection = view.Projection();
    source.light = view.Light();
    source.shaderId = view.GetShader();
    int w = 0, h = 0;
    view.GetRenderSize(w, h);
    source.shown = ShownMapRectangle(source.projection, w, h);
    source.definitionFolder = GetExportDir(GetAppSettings());
    return true;
}

void SetAtlasRoot(MultiMapSettings& s, const AtlasSource& source)
{
    const MapRectangle root = source.shown.Empty() ? WholeMapRectangle(source.projection) : source.shown;
    s.rootLeft = root.left;
    s.rootRight = root.right;
    s.rootBottom = root.bottom;
    s.rootTop = root.top;
}

ProjectionParms AtlasMapProjection(const AtlasSource& source, const MultiMapSettings& s)
{
    return CentredOn(source.projection, MapRectangle{s.left, s.right, s.bottom, s.top}, s.mapScale);
}

const MultiMapLevel& AtlasLevelEntry(const MultiMapSettings& settings)
{
    return settings.levels[std::clamp(settings.level, 0, MultiMapSettings::kMaxLevels - 1)];
}

void AtlasPictureSize(const MultiMapSettings& s, int& width, int& height)
{
    const int entry = AtlasLevelEntry(s).pictureWidth;
    width = entry < kAtlasMinPictureWidth ? kAtlasDefaultPictureWidth : entry;
    const double aspect = (s.top - s.bottom) / (s.right - s.left);
    const double h = std::isfinite(aspect) && aspect > 0.0 ? std::round(width * aspect) : width;
    height = static_cast<int>(std::clamp(h, 1.0, static_cast<double>(CFCWImage::kMaxRasterSide)));
}

void AtlasLevelCounts(const MultiMapSettings& s, int level, double& across, double& down)
{
    across = down = 1.0;
    for (int i = 0; i <= level && i < MultiMapSettings::kMaxLevels; ++i) {
        across *= s.levels[i].columns;
        down *= s.levels[i].rows;
    }
}

void PlaceAtlasMap(MultiMapSettings& s, int column, int row, int level)
{
    double across = 1.0, down = 1.0;
    AtlasLevelCounts(s, level, across, down);
    s.column = column;
    s.row = row;
    s.level = level;
    s.columns = static_cast<int>(across);
    s.rows = static_cast<int>(down);
    const double width = (s.rootRight - s.rootLeft) / across, height = (s.rootTop - s.rootBottom) / down;
    s.left = s.rootLeft + column * width;
    s.right = s.left + width;
    s.top = s.rootTop - row * height;
    s.bottom = s.top - height;
    const double overlap = level < 0 ? 1.0 : 1.0 + s.levels[level].overlap * 0.01;
    s.mapScale = overlap * std::min(width, height) * 0.5;
}

std::string CheckAtlasLevels(const MultiMapSettings& s)
{
    if (s.levelCount < 0 || s.levelCount > MultiMapSettings::kMaxLevels)
        return "The number of levels must lie between 0 and 5.";
    if (!(s.rootRight > s.rootLeft) || !(s.rootTop > s.rootBottom))
        return "The map has no area to divide.";
    for (int i = 0; i < s.levelCount; ++i) {
        const MultiMapLevel& l = s.levels[i];
        double across = 1.0, down = 1.0;
        AtlasLevelCounts(s, i, across, down);
        if (l.columns < 1 || l.rows < 1 || across > kAtlasMaxAcross || down > kAtlasMaxAcross ||
            !std::isfinite(l.overlap) || l.overlap < 0.0f)
            return "Level " + std::to_string(i + 1) +
                   ": each level needs at least 1 column and 1 row, no more than 32768 maps across or down "
                   "in all, and an overlap of 0 or more.";
        if (l.pictureWidth > CFCWImage::kMaxRasterSide)
            return "Level " + std::to_string(i + 1) + ": pictures can be at most " +
                   std::to_string(CFCWImage::kMaxRasterSide) + " pixels wide.";
    }
    return std::string();
}

std::string FormatMultiMapPage(const MultiMapSettings& s)
{
    const std::string base = FormatLinkName(s.column, s.row, s.level);
    // The atlas's title names every page; without one, the page's own map name does.
    std::string out = "<HTML>\n<HEAD>\n<TITLE>" + EscapeHtml(s.title.empty() ? base : s.title) +
                      "</TITLE>\n"
                      "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=iso-8859-1\">\n"
                      "</HEAD>\n<BODY BGCOLOR=#FFFFFF>\n";
    if (s.level < 0) {
        for (int b = kParent; b <= kBelow; ++b)
            AppendButton(out, b, false, std::string());
    } else {
        const MultiMapLevel& own = s.levels[s.level];
        const int parentColumn = s.level == 0 ? 0 : s.column / std::max(1, own.columns);
        const int parentRow = s.level == 0 ? 0 : s.row / std::max(1, own.rows);
        AppendButton(out, kParent, true, Page(parentColumn, parentRow, s.level - 1));
        AppendButton(out, kLeft, s.column - 1 >= 0, Page(s.column - 1, s.row, s.level));
        AppendButton(out, kRight, s.column + 1 < s.columns, Page(s.column + 1, s.row, s.level));
        AppendButton(out, kAbove, s.row - 1 >= 0, Page(s.column, s.row - 1, s.level));
        AppendButton(out, kBelow, s.row + 1 < s.rows, Page(s.column, s.row + 1, s.level));
    }
    if (s.writeDrawings && AtlasLevelEntry(s).download != 0)
        AppendButton(out, kDownload, true, base + ".fcw");
    out += "<P>\n";
    int width = 0, height = 0;
    AtlasPictureSize(s, width, height);
    const int next = s.level + 1;
    if (next < s.levelCount) {
        const MultiMapLevel& child = s.levels[next];
        const int firstColumn = (s.level < 0 ? 0 : s.column) * child.columns;
        const int firstRow = (s.level < 0 ? 0 : s.row) * child.rows;
        out += std::string("<MAP NAME=\"") + kAtlasMapName + "\">\n";
        for (int r = 0; r < child.rows; ++r)
            for (int c = 0; c < child.columns; ++c) {
                const long long x0 = static_cast<long long>(c) * width / child.columns;
                const long long x1 = static_cast<long long>(c + 1) * width / child.columns;
                const long long y0 = static_cast<long long>(r) * height / child.rows;
                const long long y1 = static_cast<long long>(r + 1) * height / child.rows;
                char line[256];
                std::snprintf(line, sizeof line,
                              "<AREA SHAPE=\"rect\" ALT=\"Submap %d,%d\" COORDS=\"%lld,%lld,%lld,%lld\" HREF=\"%s\">\n",
                              firstColumn + c, firstRow + r, x0, y0, x1, y1,
                              Page(firstColumn + c, firstRow + r, next).c_str());
                out += line;
            }
        out += "</MAP>\n";
    }
    out += "<IMG SRC=\"" + base + (s.picturesAsJpeg ? ".jpg" : ".bmp") + "\" WIDTH=" + std::to_string(width) +
           " HEIGHT=" + std::to_string(height) + " BORDER=0 USEMAP=\"#" + kAtlasMapName + "\">\n";
    out += "</BODY>\n</HTML>\n";
    return out;
}

int WriteMultiMapPage(const AtlasSource& source, const MultiMapSettings& s)
{
    int width = 0, height = 0;
    AtlasPictureSize(s, width, height);
    ProjectionParms projection = AtlasMapProjection(source, s);
    LightParms light(source.light);
    if (source.document == nullptr)
        return -1;
    SurfaceSampler sampler(&projection, &source.document->GetWorld(), &light, source.shaderId);
    const std::string base = Join(s.outputFolder, FormatLinkName(s.column, s.row, s.level));

    if (s.writeDrawings) {
        const std::string path = Join(source.definitionFolder, AtlasLevelEntry(s).definition + ".xpt");
        PW2Output definition;
        if (definition.LoadFromFile(path) != 0) {
            ShowMessage("Error reading export def file " + path);
            return -2;
        }
        // The drawing's raster has the definition's proportions: it holds the map's whole
        // rectangle (widened by the overlap), as the picture does.
        ProjectionParms whole(projection);
        if (definition.resolution > 0 && definition.drawingWidth > 0 && definition.drawingHeight > 0) {
            const long long rasterWidth = static_cast<long long>(definition.resolution) * 128;
            const long long rasterHeight = rasterWidth * definition.drawingHeight / definition.drawingWidth;
            const double widen = s.mapScale / (std::min(s.right - s.left, s.top - s.bottom) * 0.5);
            const double halfWidth = (s.right - s.left) * widen * 0.5, halfHeight = (s.top - s.bottom) * widen * 0.5;
            if (rasterWidth <= CFCWImage::kMaxRasterSide && rasterHeight <= CFCWImage::kMaxRasterSide)
                whole.SetScale(FitScale(MapRectangle{-halfWidth, halfWidth, -halfHeight, halfHeight},
                                        static_cast<int>(rasterWidth), static_cast<int>(rasterHeight)));
        }
        SurfaceSampler drawingSampler(&whole, &source.document->GetWorld(), &light, source.shaderId);
        CFCWImage drawing(&drawingSampler);
        drawing.SetThreads(source.threads);
        if (drawing.WriteMap(base + ".fcw", source.document, definition, &s) < 0)
            return -1;
    }
    if (s.writePictures) {
        CRawImage picture(&sampler);
        picture.SetSize(width, height);
        picture.SetThreads(source.threads);
        if (picture.Compute(nullptr, false, true) != 0)
            return -2;
        const int saved = s.picturesAsJpeg ? picture.SaveJPEG(base + ".jpg", true) : picture.SaveBMP(base + ".bmp", true);
        if (saved != 0)
            return -2;
    }
    if (s.writePages) {
        const std::string text = FormatMultiMapPage(s);
        AtomicFile file;
        if (!file.Open(base + ".html"))
            return 1;
        if (std::fwrite(text.data(), 1, text.size(), file.File()) != text.size() || !file.Commit())
            return 1;
    }
    return 0;
}

namespace {

// Map `index` of the export's order: the root first, then each level row by row.
void AtlasMapAt(const MultiMapSettings& s, long long index, int& column, int& row, int& level)
{
    column = row = 0;
    level = -1;
    if (index == 0)
        return;
    --index;
    for (level = 0; level < s.levelCount; ++level) {
        double across = 1.0, down = 1.0;
        AtlasLevelCounts(s, level, across, down);
        const long long columns = static_cast<long long>(across);
        const long long count = columns * static_cast<long long>(down);
        if (index < count) {
            column = static_cast<int>(index % columns);
            row = static_cast<int>(index / columns);
            return;
        }
        index -= count;
    }
}

long long AtlasMapCount(const MultiMapSettings& s)
{
    long long total = 1;
    for (int level = 0; level < s.levelCount; ++level) {
        double across = 1.0, down = 1.0;
        AtlasLevelCounts(s, level, across, down);
        total += static_cast<long long>(across) * static_cast<long long>(down);
    }
    return total;
}

// One map being made by a worker: its result, the messages it would have shown and the
// progress it reports, read by the calling thread.
struct AtlasSlot {
    long long index = -1;
    bool done = false;
    int written = 0;
    MultiMapSettings placed;
    std::vector<std::string> messages;
    std::string progressText;
    std::atomic<double> fraction{0.0};
};

// What a worker's progress hooks and messages report into: the slot of its map.
thread_local AtlasSlot* t_slot = nullptr;
thread_local std::mutex* t_slotLock = nullptr;

void SlotBegin(const char* text, int)
{
    std::lock_guard<std::mutex> lock(*t_slotLock);
    t_slot->progressText = text != nullptr ? text : "";
    t_slot->fraction = 0.0;
}
void SlotEnd() {}
int SlotStep(double current, double total)
{
    if (total > 0.0)
        t_slot->fraction = current / total;
    return 0;
}
int SlotPoll() { return 0; }

class SlotMessages final : public MessageService {
public:
    void Show(const std::string& text) override { t_slot->messages.push_back(text); }
};

class QuietViewHooks final : public ViewHooks {
public:
    int StopActiveViewRender() override { return 0; }
    int UpdateActiveDocViews(int) override { return 0; }
};

// Moves the map's files from the staging folder into the output folder in the order they
// are written; the first that cannot be moved gives the code its writer would have.
int MoveAtlasFiles(const MultiMapSettings& s, const std::string& staging, int written)
{
    const std::string name = FormatLinkName(s.column, s.row, s.level);
    const struct {
        const char* extension;
        int failure;
    } files[] = {{".fcw", -1}, {s.picturesAsJpeg ? ".jpg" : ".bmp", -2}, {".html", 1}};
    for (const auto& f : files) {
        const std::string from = Join(staging, name + f.extension);
        std::error_code ec;
        if (!std::filesystem::exists(from, ec))
            continue;
        if (std::rename(from.c_str(), Join(s.outputFolder, name + f.extension).c_str()) != 0) {
            std::remove(from.c_str());
            return written == 0 ? f.failure : written;
        }
    }
    return written;
}

// The maps made at once allocate and free the same large buffers over and over on their
// threads. The allocator's own limits, which adapt to the sizes it has seen, hand those
// blocks back to the system between maps on some threads, and faulting them in again and
// flushing them from every core cost as much as a map's picture: the blocks are kept for
// reuse instead (up to 256 MB of freed memory, blocks up to 32 MB from the heap).
void KeepFreedBlocks()
{
#if defined(__GLIBC__)
    static std::once_flag once;
    std::call_once(once, [] {
        mallopt(M_MMAP_THRESHOLD, 32 << 20);
        mallopt(M_TRIM_THRESHOLD, 256 << 20);
    });
#endif
}

// A folder of a name nothing else has inside `folder`; empty when none can be made.
std::string MakeStagingFolder(const std::string& folder)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string path =
            Join(folder, ".kvatlas" + std::to_string(getpid()) + "_" + std::to_string(attempt));
        std::error_code ec;
        if (std::filesystem::create_directory(path, ec))
            return path;
        if (ec)
            return std::string();
    }
    return std::string();
}

} // namespace

int WriteAtlasMaps(const AtlasSource& source, const MultiMapSettings& settings,
                   const std::function<bool(const MultiMapSettings& placed, int written)>& committed)
{
    const long long total = AtlasMapCount(settings);
    const int workers = source.threads > 0 ? source.threads : HardwareThreads();
    const std::string staging = workers > 1 && total > workers ? MakeStagingFolder(settings.outputFolder)
                                                               : std::string();
    if (staging.empty()) {
        MultiMapSettings s = settings;
        for (long long k = 0; k < total; ++k) {
            int column = 0, row = 0, level = -1;
            AtlasMapAt(s, k, column, row, level);
            PlaceAtlasMap(s, column, row, level);
            if (!committed(s, WriteMultiMapPage(source, s)))
                return -1;
        }
        return 0;
    }

    KeepFreedBlocks();
    // Each map on one thread, at most `window` maps ahead of the one handed on last.
    const long long window = 2LL * workers;
    std::vector<std::unique_ptr<AtlasSlot>> slots;
    for (long long k = 0; k < window; ++k)
        slots.push_back(std::make_unique<AtlasSlot>());
    std::mutex lock;
    std::condition_variable changed;
    long long next = 0, head = 0;
    bool stop = false;
    AtlasSource one = source;
    one.threads = 1;

    auto work = [&]() {
        ProgressHooks hooks{SlotBegin, SlotEnd, SlotStep, SlotPoll};
        SlotMessages messages;
        QuietViewHooks view;
        SetThreadProgressHooks(&hooks);
        SetThreadMessageService(&messages);
        SetThreadViewHooks(&view);
        t_slotLock = &lock;
        for (;;) {
            AtlasSlot* slot = nullptr;
            long long k = 0;
            {
                std::unique_lock<std::mutex> guard(lock);
                changed.wait(guard, [&] { return stop || next >= total || next < head + window; });
                if (stop || next >= total)
                    break;
                k = next++;
                slot = slots[static_cast<std::size_t>(k % window)].get();
                slot->index = k;
                slot->done = false;
                slot->messages.clear();
                slot->progressText.clear();
                slot->fraction = 0.0;
            }
            MultiMapSettings s = settings;
            int column = 0, row = 0, level = -1;
            AtlasMapAt(s, k, column, row, level);
            PlaceAtlasMap(s, column, row, level);
            s.outputFolder = staging;
            t_slot = slot;
            const int written = WriteMultiMapPage(one, s);
            t_slot = nullptr;
            s.outputFolder = settings.outputFolder;
            std::lock_guard<std::mutex> guard(lock);
            slot->placed = s;
            slot->written = written;
            slot->done = true;
            changed.notify_all();
        }
        SetThreadViewHooks(nullptr);
        SetThreadMessageService(nullptr);
        SetThreadProgressHooks(nullptr);
    };
    std::vector<std::thread> pool;
    for (int k = 0; k < workers; ++k)
        pool.emplace_back(work);

    int result = 0;
    bool escape = false;
    std::string shownText;
    bool shown = false;
    for (long long k = 0; k < total; ++k) {
        AtlasSlot& slot = *slots[static_cast<std::size_t>(k % window)];
        std::unique_lock<std::mutex> guard(lock);
        while (!(slot.index == k && slot.done)) {
            if (slot.index == k && slot.progressText != shownText) {
                shownText = slot.progressText;
                guard.unlock();
                if (shown)
                    ProgressEndHook();
                ProgressBeginHook(shownText.c_str());
                shown = true;
                guard.lock();
            }
            const double fraction = slot.index == k ? slot.fraction.load() : 0.0;
            guard.unlock();
            if (shown)
                ProgressStepHook(fraction * 100.0, 100.0);
            if (ProgressPollHook() != 0 || AbortRequested())
                escape = true;
            // The maps' own loops clear the abort value as they start: it is kept up until
            // the run ends.
            if (escape)
                g_abortValue = kAbortValue;
            guard.lock();
            if (!(slot.index == k && slot.done))
                changed.wait_for(guard, std::chrono::milliseconds(20));
        }
        MultiMapSettings placed = slot.placed;
        std::vector<std::string> messages = std::move(slot.messages);
        const int written = slot.written;
        guard.unlock();
        for (const std::string& text : messages)
            ShowMessage(text);
        const bool go = committed(placed, MoveAtlasFiles(placed, staging, written));
        guard.lock();
        head = k + 1;
        changed.notify_all();
        guard.unlock();
        if (!go || escape) {
            result = k + 1 < total ? -1 : result;
            break;
        }
    }
    if (shown)
        ProgressEndHook();
    {
        std::lock_guard<std::mutex> guard(lock);
        stop = true;
        changed.notify_all();
    }
    for (auto& thread : pool)
        thread.join();
    std::error_code ec;
    std::filesystem::remove_all(staging, ec);
    if (escape)
        g_abortValue = 0;
    return result;
}


int ExportMultipleFiles(AtlasSource& source)
{
    MultiMapSettings& kept = GetMultiMapSettings();
    MultiMapSettings edited = kept;
    if (!GetMultiImageDialog().Run(edited))
        return 0;
    kept = edited;
    kept.outputFolder = TrimFolder(kept.outputFolder);
    MultiMapSettings s = kept;
    SetAtlasRoot(s, source);
    const std::string refused = CheckAtlasLevels(s);
    if (!refused.empty()) {
        ShowMessage(refused);
        return -1;
    }
    std::error_code ec;
    if (!s.outputFolder.empty())
        std::filesystem::create_directories(s.outputFolder, ec);
    if (!CanWriteIn(s.outputFolder.empty() ? std::string(".") : s.outputFolder)) {
        ShowMessage("Error trying to write a file\nin directory " + s.outputFolder +
                    "\nThis directory must exist for this command\nto operate correctly.");
        return -1;
    }

    double total = 1.0;
    for (int i = 0; i < s.levelCount; ++i) {
        double across = 1.0, down = 1.0;
        AtlasLevelCounts(s, i, across, down);
        total += across * down;
    }
    double done = 0.0;
    int result = 0;
    StepProgressScope progress;
    const int stopped = WriteAtlasMaps(source, s, [&](const MultiMapSettings& placed, int written) {
        done += 1.0;
        GetStepProgress().SetTotalPos(static_cast<int>(done / total * 100.0));
        if (written == 1)
            ShowMessage("Error writing file " + Join(s.outputFolder, Page(placed.column, placed.row, placed.level)));
        if (placed.level < 0) {
            if (written != 0) {
                ShowMessage("Error generating root image, exiting");
                result = -2;
                return false;
            }
            // The pages show the buttons: they are written with the pages.
            if ((s.navigationImages || s.writePages) && WriteAtlasButtons(s.outputFolder) != 0) {
                ShowMessage("Error writing file " + Join(s.outputFolder, "ap.gif"));
                result = -3;
                return false;
            }
            return true;
        }
        if (written != 0)
            result = -4;
        return written == 0;
    });
    // Esc after a map that was written whole ends the run there too.
    if (stopped != 0 && result == 0)
        result = -4;
    g_abortValue = 0;
    return result;
}

void AtlasExport::ExportMultipleFiles()
{
    CKVView* view = GetActiveKVView();
    AtlasSource source;
    if (view == nullptr || !AtlasSourceOfView(*view, source))
        return;
    view->EnterBusy();
    kv::ExportMultipleFiles(source);
    view->LeaveBusy();
}

namespace {

const ServiceSlotRegistration kMultiImageDialogSlot("MultiImageDialog", [] { return g_dialog.load() != nullptr; });

} // namespace

} // namespace kv
