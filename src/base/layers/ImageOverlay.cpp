#include "base/layers/ImageOverlay.h"

#include "base/ServiceSlots.h"
#include "platform/Archive.h"
#include "base/layers/CSelection.h"
#include "base/MessageService.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <new>

namespace kv {

std::recursive_mutex& OverlayLock()
{
    static std::recursive_mutex lock;
    return lock;
}

namespace {

std::atomic<OverlayListWindowFactory> g_windowFactory{nullptr};
std::atomic<ActiveOverlayListLookup> g_activeListLookup{nullptr};

// Truncates toward zero, with values beyond the int range (and NaN) pinned to a value
// far outside any overlay.
int TruncPixel(double v)
{
    if (!(v > -1.0e9))
        return -1000000000;
    if (v > 1.0e9)
        return 1000000000;
    return static_cast<int>(v);
}

// std::lround (halves away from zero) for finite values well inside the range of long,
// without the library call: v minus its truncation is exact.
inline long RoundHalfAway(double v)
{
    long r = static_cast<long>(v);
    const double fraction = v - static_cast<double>(r);
    if (fraction >= 0.5)
        ++r;
    else if (fraction <= -0.5)
        --r;
    return r;
}

// MulDiv(a, b, 255) rounded to the nearest integer.
uint32_t ScaleAlpha(int a, uint32_t alpha)
{
    long v = RoundHalfAway(static_cast<double>(a) * static_cast<double>(alpha) / 255.0);
    return static_cast<uint32_t>(std::clamp(v, 0L, 255L));
}

// The alpha 0..255 of a soft ramp at `offset` along a ramp of `span` (both of one sign).
// Bounds read from a document may be infinite: a ramp of endless length is at full strength
// at any finite value (the limit of the ratio), so inf / inf counts as 255, not as NaN.
int RampAlpha(double offset, double span)
{
    const double a = offset * 255.0 / span;
    if (std::isnan(a))
        return 255;
    return static_cast<int>(std::clamp(a, 0.0, 255.0));
}

uint32_t WithAlpha(uint32_t colour, uint32_t alpha)
{
    return (colour & 0x00FFFFFFu) | (alpha << 24);
}

// "Over" compositing done front to back: coverage is the alpha so far and the sums the
// premultiplied colour. Add takes the colours from the top overlay down and is false once
// a fully opaque one hides everything below it.
struct AlphaFractions {
    double of[256];
    AlphaFractions()
    {
        for (int a = 0; a < 256; ++a)
            of[a] = a / 255.0;
    }
};
const AlphaFractions kAlphaFraction;

struct OverAccumulator {
    double coverage = 0.0;
    double sum[3] = {0.0, 0.0, 0.0};

    bool Add(uint32_t colour)
    {
        const uint32_t alpha = colour >> 24;
        if (alpha == 0)
            return true;
        const double weight = (1.0 - coverage) * kAlphaFraction.of[alpha];
        for (int k = 0; k < 3; ++k)
            sum[k] += weight * static_cast<double>((colour >> (8 * k)) & 0xFF);
        coverage += weight;
        return alpha != 255;
    }

    uint32_t Result() const
    {
        if (coverage <= 0.0)
            return 0;
        uint32_t out = static_cast<uint32_t>(std::clamp(RoundHalfAway(coverage * 255.0), 0L, 255L)) << 24;
        for (int k = 0; k < 3; ++k)
            out |= static_cast<uint32_t>(std::clamp(RoundHalfAway(sum[k] / coverage), 0L, 255L)) << (8 * k);
        return out;
    }
};

// Moves a pixel towards `colour` by t (0..1): each colour byte linearly, the alpha
// linearly when the pixel has some, else to colour alpha x t.
uint32_t BlendTowards(uint32_t pixel, uint32_t colour, float t)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        float c = static_cast<float>((pixel >> shift) & 0xFF);
        float n = static_cast<float>((colour >> shift) & 0xFF);
        long v = std::lround(c + (n - c) * t);
        out |= static_cast<uint32_t>(std::clamp(v, 0L, 255L)) << shift;
    }
    float a = static_cast<float>(pixel >> 24);
    float na = static_cast<float>(colour >> 24);
    long alpha = a >= 1.0f ? std::lround(a + (na - a) * t) : std::lround(na * t);
    out |= static_cast<uint32_t>(std::clamp(alpha, 0L, 255L)) << 24;
    return out;
}

// The selection weight at a point (rounded cell), 0 outside the selection grid.
float SelectionWeightAt(const CSelection& selection, double latitude, double longitude)
{
    float col = 0, row = 0;
    selection.LatLonToCell(latitude, longitude, col, row);
    long c = std::lround(col);
    long r = std::lround(row);
    if (c < 0 || r < 0 || c >= selection.GetWidth() || r >= selection.GetHeight())
        return 0.0f;
    return static_cast<float>(selection.GetAt(static_cast<int>(c), static_cast<int>(r))) * 0.003921569f;
}

bool SizeAcceptable(int w, int h)
{
    return w >= 1 && h >= 1 && w <= ImageOverlay::kMaxSide && h <= ImageOverlay::kMaxSide &&
           int64_t(w) * h <= ImageOverlay::kMaxPixels;
}

} // namespace

// ---------------------------------------------------------------------------------------
// ImageOverlay

namespace {
std::atomic<uint64_t> g_nextOverlayIdentity{1};
} // namespace

ImageOverlay::ImageOverlay() : m_identity(g_nextOverlayIdentity.fetch_add(1, std::memory_order_relaxed)) {}

ImageOverlay::ImageOverlay(const ImageOverlay& other)
    : CUndoable(other), m_identity(g_nextOverlayIdentity.fetch_add(1, std::memory_order_relaxed))
{
    *this = other;
}

ImageOverlay::~ImageOverlay()
{
    std::lock_guard<std::recursive_mutex> lock(OverlayLock());
    pixels.reset();
}

ImageOverlay& ImageOverlay::operator=(const ImageOverlay& other)
{
    if (this == &other)
        return *this;
    visible = other.visible;
    name = other.name;
    opacity = other.opacity;
    mode = other.mode;
    west = other.west;
    north = other.north;
    east = other.east;
    south = other.south;
    width = other.width;
    height = other.height;
    softLow = other.softLow;
    softHigh = other.softHigh;
    hardLow = other.hardLow;
    hardHigh = other.hardHigh;
    screenCoordinates = other.screenCoordinates;
    secondFlag = other.secondFlag;
    std::lock_guard<std::recursive_mutex> lock(OverlayLock());
    if (AllocatePixels() && other.pixels && other.pixels->ByteCount() == pixels->ByteCount())
        std::memcpy(pixels->Data(), other.pixels->Data(), pixels->ByteCount());
    return *this;
}

bool ImageOverlay::AllocatePixels()
{
    if (!SizeAcceptable(width, height))
        return false;
    std::lock_guard<std::recursive_mutex> lock(OverlayLock());
    if (pixels && static_cast<int>(pixels->Width()) == width && static_cast<int>(pixels->Height()) == height)
        return true;
    Grid2DPtr grid = Alloc2D(static_cast<std::size_t>(width), static_cast<std::size_t>(height), sizeof(uint32_t));
    if (!grid)
        return false;
    pixels = std::move(grid);
    return true;
}

bool ImageOverlay::SetGeometry(int w, int h, double westBound, double northBound, double eastBound, double southBound)
{
    width = w;
    height = h;
    west = westBound;
    north = northBound;
    east = eastBound;
    south = southBound;
    return AllocatePixels();
}

bool ImageOverlay::Fill(uint32_t colour)
{
    std::lock_guard<std::recursive_mutex> lock(OverlayLock());
    if (!pixels)
        return false;
    uint32_t* p = pixels->DataAs<uint32_t>();
    std::fill(p, p + pixels->CellCount(), colour);
    return true;
}

bool ImageOverlay::FillSelection(uint32_t colour, const CSelection* selection)
{
    if (selection == nullptr || !selection->IsActive())
        return Fill(colour);
    std::lock_guard<std::recursive_mutex> lock(OverlayLock());
    if (!pixels)
        return false;
    const int w = static_cast<int>(pixels->Width());
    const int h = static_cast<int>(pixels->Height());
    if (w < 2 || h < 2)
        return false;
    for (int y = 0; y < h; ++y) {
        uint32_t* row = pixels->Row<uint32_t>(static_cast<std::size_t>(y));
        double latitude = south + y * (north - south) / (h - 1);
        for (int x = 0; x < w; ++x) {
            double longitude = west + x * (east - west) / (w - 1);
            float t = SelectionWeightAt(*selection, latitude, longitude);
            if (t > 0.0f)
                row[x] = BlendTowards(row[x], colour, t);
        }
    }
    return true;
}

bool ImageOverlay::LongitudeToColumn(double longitude, int& x) const
{
    if (east == west) {
        x = 0;
        return false;
    }
    x = TruncPixel((longitude - west) / (east - west) * (width - 1));
    return x >= 0 && x < width;
}

bool ImageOverlay::LatitudeToRow(double latitude, int& y) const
{
    if (north == south) {
        y = 0;
        return false;
    }
    y = TruncPixel((latitude - south) / (north - south) * (height - 1));
    return y >= 0 && y < height;
}

bool ImageOverlay::LatLonToPixel(double latitude, double longitude, int& x, int& y) const
{
    const bool column = LongitudeToColumn(longitude, x);
    const bool row = LatitudeToRow(latitude, y);
    return column && row;
}

bool ImageOverlay::SampleAt(double latitude, double longitude, double value, int viewColumn, int viewRow,
                            uint32_t& colour) const
{
    colour = 0;
    if (!visible || !pixels)
        return false;
    const int w = static_cast<int>(pixels->Width());
    const int h = static_cast<int>(pixels->Height());
    if (w < 2 || h < 2)
        return false;
    int x = 0, y = 0;
    if (!LatLonToPixel(latitude, longitude, x, y))
        return false;
    if (screenCoordinates) {
        // Repeats with a period of one pixel less than the overlay, as it always has.
        x = static_cast<int>(std::abs(static_cast<long long>(viewColumn)) % (w - 1));
        y = h - 2 - static_cast<int>(std::abs(static_cast<long long>(viewRow)) % (h - 1));
    }
    if (x >= w || y >= h)
        return false;
    colour = ShadePixel(pixels->Row<uint32_t>(static_cast<std::size_t>(y))[x], value);
    return true;
}

uint32_t ImageOverlay::ShadePixel(uint32_t pixel, double value) const
{
    uint32_t alpha = pixel >> 24;
    switch (mode) {
    case kOverlayLand:
        if (!(value > 0.0))
            return 0;
        break;
    case kOverlaySea:
        if (!(value <= 0.0))
            return 0;
        break;
    case kOverlayHardRange:
        if (!(hardLow <= value && value < hardHigh))
            return 0;
        break;
    case kOverlaySoftRange:
        if (softLow <= value && value < hardLow) {
            alpha = ScaleAlpha(RampAlpha(value - softLow, static_cast<double>(hardLow) - softLow), alpha);
        } else if (hardLow <= value && value < hardHigh) {
            // the pixel as it is
        } else if (hardHigh <= value && value < softHigh) {
            alpha = ScaleAlpha(RampAlpha(value - softHigh, static_cast<double>(hardHigh) - softHigh), alpha);
        } else {
            return 0;
        }
        break;
    default:
        break;
    }
    return WithAlpha(pixel, ScaleAlpha(opacity, alpha));
}

bool ImageOverlay::CreateUndoData(int channel, int extra, std::unique_ptr<UndoData>& out)
{
    auto data = std::make_unique<ImageOverlayUndoData>();
    if (!data->Capture(*this, channel, extra))
        return false;
    out = std::move(data);
    return true;
}

bool ImageOverlay::RestoreUndoData(UndoData& data)
{
    auto* record = dynamic_cast<ImageOverlayUndoData*>(&data);
    if (record == nullptr)
        return false;
    *this = record->Saved();
    return true;
}

void ImageOverlay::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        // A size the reader refuses would make the whole document unreadable: fail the
        // save instead (the previous file stays as it was).
        if (!SizeAcceptable(width, height))
            CArchive::Throw(CArchiveException::badIndex, "image overlay size out of range");
        ar << kArchiveVersion;
        ar << static_cast<uint8_t>(visible ? 1 : 0);
        ar << name;
        ar << opacity;
        ar << static_cast<int32_t>(width) << static_cast<int32_t>(height) << static_cast<int32_t>(mode);
        ar << west << north << east << south;
        ar << static_cast<uint8_t>(firstFlag ? 1 : 0);
        // The pixels of the archive are width x height, whatever the grid holds.
        const bool have = pixels && static_cast<int>(pixels->Width()) == width &&
                          static_cast<int>(pixels->Height()) == height;
        for (int y = 0; y < height; ++y) {
            const uint32_t* row = have ? PixelRow(y) : nullptr;
            for (int x = 0; x < width; ++x)
                ar << (row ? row[x] : uint32_t(0));
        }
        ar << softLow << softHigh << hardLow << hardHigh;
        ar << static_cast<uint8_t>(screenCoordinates ? 1 : 0);
        ar << static_cast<uint8_t>(secondFlag ? 1 : 0);
        return;
    }

    int32_t version = 0;
    ar >> version;
    if (version < 256)
        return;
    uint8_t byte = 0;
    ar >> byte;
    visible = byte != 0;
    ar >> name;
    ar >> opacity;
    int32_t w = 0, h = 0, m = 0;
    ar >> w >> h >> m;
    if (!SizeAcceptable(w, h))
        CArchive::Throw(CArchiveException::badIndex, "image overlay size out of range");
    ar >> west >> north >> east >> south;
    ar >> byte;
    firstFlag = byte != 0;
    ar.Require(uint64_t(w) * uint64_t(h) * 4);
    width = w;
    height = h;
    mode = m;
    {
        std::lock_guard<std::recursive_mutex> lock(OverlayLock());
        if (!AllocatePixels())
            CArchive::Throw(CArchiveException::generic, "out of memory for image overlay pixels");
        for (int y = 0; y < height; ++y) {
            uint32_t* row = PixelRow(y);
            for (int x = 0; x < width; ++x)
                ar >> row[x];
        }
    }
    if (version > 256) {
        ar >> softLow >> softHigh >> hardLow >> hardHigh;
        ar >> byte;
        screenCoordinates = byte != 0;
        ar >> byte;
        secondFlag = byte != 0;
    }
}

// ---------------------------------------------------------------------------------------
// ImageOverlayUndoData

bool ImageOverlayUndoData::Capture(CUndoable& owner, int channel, int extra)
{
    auto* overlay = dynamic_cast<ImageOverlay*>(&owner);
    if (overlay == nullptr || !UndoData::Capture(owner, channel, extra))
        return false;
    m_copy = *overlay;
    m_identity = overlay->Identity();
    return true;
}

CUndoable* ImageOverlayUndoData::Target()
{
    ImageOverlayList* list = GetActiveOverlayList();
    if (list == nullptr)
        return nullptr;
    if (ImageOverlay* same = list->FindByIdentity(m_identity))
        return same;
    if (ImageOverlay* found = list->FindByName(m_copy.name))
        return found;
    try {
        // Named at once, so that the step finds the same overlay when it applies.
        ImageOverlay* made = list->AddNew();
        made->name = m_copy.name;
        return made;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void SetActiveOverlayListLookup(ActiveOverlayListLookup lookup)
{
    g_activeListLookup.store(lookup, std::memory_order_release);
}

ImageOverlayList* GetActiveOverlayList()
{
    ActiveOverlayListLookup lookup = g_activeListLookup.load(std::memory_order_acquire);
    return lookup ? lookup() : nullptr;
}

void SetOverlayListWindowFactory(OverlayListWindowFactory factory)
{
    g_windowFactory.store(factory, std::memory_order_release);
}

// ---------------------------------------------------------------------------------------
// ImageOverlayList

ImageOverlayList::ImageOverlayList()
{
    if (OverlayListWindowFactory factory = g_windowFactory.load(std::memory_order_acquire))
        m_window = factory(*this);
}

ImageOverlayList::~ImageOverlayList()
{
    RemoveAll();
    m_window.reset();
}

void ImageOverlayList::Add(std::unique_ptr<ImageOverlay> overlay)
{
    if (overlay)
        m_overlays.push_back(std::move(overlay));
}

ImageOverlay* ImageOverlayList::AddNew()
{
    m_overlays.push_back(std::make_unique<ImageOverlay>());
    return m_overlays.back().get();
}

ImageOverlay* ImageOverlayList::AddNamed(const std::string& overlayName, int w, int h, bool isVisible)
{
    auto overlay = std::make_unique<ImageOverlay>();
    overlay->name = overlayName;
    overlay->visible = isVisible;
    overlay->SetGeometry(w, h, -180.0, 90.0, 180.0, -90.0);
    m_overlays.push_back(std::move(overlay));
    return m_overlays.back().get();
}

bool ImageOverlayList::Remove(ImageOverlay* overlay)
{
    if (overlay == nullptr)
        return false;
    if (m_active == overlay)
        m_active = nullptr;
    auto it = std::find_if(m_overlays.begin(), m_overlays.end(),
                           [overlay](const std::unique_ptr<ImageOverlay>& p) { return p.get() == overlay; });
    if (it == m_overlays.end()) {
        delete overlay;
        return false;
    }
    m_overlays.erase(it);
    return true;
}

void ImageOverlayList::RemoveAll()
{
    m_overlays.clear();
    m_active = nullptr;
    RefreshDialog();
}

bool ImageOverlayList::Swap(int first, int second)
{
    if (first < 0 || second < 0 || first >= Count() || second >= Count())
        return false;
    std::lock_guard<std::recursive_mutex> lock(OverlayLock());
    std::swap(m_overlays[static_cast<std::size_t>(first)], m_overlays[static_cast<std::size_t>(second)]);
    return true;
}

ImageOverlay* ImageOverlayList::FindByName(const std::string& overlayName) const
{
    for (const auto& overlay : m_overlays)
        if (overlay->name == overlayName)
            return overlay.get();
    return nullptr;
}

ImageOverlay* ImageOverlayList::FindByIdentity(uint64_t identity) const
{
    for (const auto& overlay : m_overlays)
        if (overlay->Identity() == identity)
            return overlay.get();
    return nullptr;
}

void ImageOverlayList::SetAllVisible(bool flag)
{
    for (auto& overlay : m_overlays)
        overlay->visible = flag;
    RefreshDialog();
}

bool ImageOverlayList::AnyVisible() const
{
    return std::any_of(m_overlays.begin(), m_overlays.end(),
                       [](const std::unique_ptr<ImageOverlay>& p) { return p->visible; });
}

void ImageOverlayList::RefreshDialog()
{
    if (m_window && m_window->Exists())
        m_window->FillList();
}

bool ImageOverlayList::IsDialogVisible() const
{
    return m_window && m_window->Exists() && m_window->IsVisible();
}

void ImageOverlayList::ShowDialog(int showCommand)
{
    if (!m_window || (!m_window->Exists() && !m_window->Create())) {
        ShowMessage("Severe problem creating the overlay window.\nPerhaps a system restart is in order?");
        return;
    }
    m_window->Show(showCommand);
    if (m_window->IsVisible())
        m_window->FillList();
}

uint32_t ImageOverlayList::CompositeAt(double latitude, double longitude, double value, int viewColumn,
                                       int viewRow) const
{
    // From the top overlay down, each one only shows through what the ones above leave
    // uncovered; a fully opaque overlay hides everything below it.
    OverAccumulator over;
    for (auto it = m_overlays.rbegin(); it != m_overlays.rend(); ++it) {
        uint32_t colour = 0;
        if (!(*it)->SampleAt(latitude, longitude, value, viewColumn, viewRow, colour))
            continue;
        if (!over.Add(colour))
            break;
    }
    return over.Result();
}

// ---------------------------------------------------------------------------------------
// OverlayRowCompositor

OverlayRowCompositor::OverlayRowCompositor(const ImageOverlayList& list, const std::vector<double>& longitudes)
    : m_width(static_cast<int>(longitudes.size()))
{
    for (int k = list.Count() - 1; k >= 0; --k) {
        const ImageOverlay* overlay = list.At(k);
        if (!overlay->visible || !overlay->pixels)
            continue;
        const int w = static_cast<int>(overlay->pixels->Width());
        const int h = static_cast<int>(overlay->pixels->Height());
        if (w < 2 || h < 2)
            continue;
        Layer layer;
        layer.overlay = overlay;
        layer.plain = overlay->mode == kOverlayAlways;
        for (uint32_t a = 0; a < 256; ++a)
            layer.alpha[a] = static_cast<uint8_t>(ScaleAlpha(overlay->opacity, a));
        layer.columns.resize(longitudes.size());
        for (int j = 0; j < m_width; ++j) {
            int x = 0;
            if (!overlay->LongitudeToColumn(longitudes[static_cast<std::size_t>(j)], x))
                x = -1;
            else if (overlay->screenCoordinates)
                x = j % (w - 1);
            layer.columns[static_cast<std::size_t>(j)] = x < w ? x : -1;
        }
        m_layers.push_back(std::move(layer));
    }
}

void OverlayRowCompositor::Row(double latitude, int row, double value, uint32_t* out) const
{
    // The layers that reach this row, top first, with their pixel rows.
    struct Live {
        const ImageOverlay* overlay;
        const int* columns;
        const uint32_t* pixels;
        const uint8_t* alpha;
        bool plain;
    };
    Live live[16];
    std::vector<Live> more;
    Live* layers = live;
    if (m_layers.size() > std::size(live)) {
        more.resize(m_layers.size());
        layers = more.data();
    }
    int count = 0;
    for (const Layer& layer : m_layers) {
        const ImageOverlay& overlay = *layer.overlay;
        const int h = static_cast<int>(overlay.pixels->Height());
        int y = 0;
        if (!overlay.LatitudeToRow(latitude, y))
            continue;
        if (overlay.screenCoordinates)
            y = h - 2 - std::abs(row) % (h - 1);
        if (y >= h)
            continue;
        layers[count++] = {&overlay, layer.columns.data(), overlay.pixels->Row<uint32_t>(static_cast<std::size_t>(y)),
                           layer.alpha, layer.plain};
    }
    for (int j = 0; j < m_width; ++j) {
        OverAccumulator over;
        bool first = true;
        for (int k = 0; k < count; ++k) {
            const Live& layer = layers[k];
            const int x = layer.columns[j];
            if (x < 0)
                continue;
            const uint32_t pixel = layer.pixels[x];
            const uint32_t colour = layer.plain ? WithAlpha(pixel, layer.alpha[pixel >> 24])
                                                : layer.overlay->ShadePixel(pixel, value);
            if (first && (colour >> 24) == 255) {
                // An opaque top colour is the composite itself (weight exactly 1).
                over.coverage = -1.0;
                out[j] = colour;
                break;
            }
            first = first && (colour >> 24) == 0;
            if (!over.Add(colour))
                break;
        }
        if (over.coverage >= 0.0)
            out[j] = over.Result();
    }
}

void ImageOverlayList::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kArchiveVersion << static_cast<int32_t>(m_overlays.size());
        for (auto& overlay : m_overlays)
            overlay->Serialize(ar);
        return;
    }
    RemoveAll();
    int32_t version = 0;
    ar >> version;
    if (version == kArchiveVersion) {
        int32_t count = 0;
        ar >> count;
        if (count < 0)
            CArchive::Throw(CArchiveException::badIndex, "negative image overlay count");
        for (int32_t i = 0; i < count; ++i)
            AddNew()->Serialize(ar);
    }
    RefreshDialog();
}

// ---------------------------------------------------------------------------------------
// ImageBrush

ImageBrush::ImageBrush()
{
    Rebuild();
}

ImageBrush::~ImageBrush() = default;

int ImageBrush::SetParameters(int w, int h, int flagBits, uint32_t colourValue, float hardnessValue,
                              float strengthValue)
{
    m_width = w;
    m_height = h;
    m_flags = flagBits;
    m_colour = colourValue;
    m_hardness = hardnessValue;
    m_strength = strengthValue;
    return Rebuild();
}

int ImageBrush::SetColor(uint32_t colourValue)
{
    m_colour = colourValue;
    return Rebuild();
}

int ImageBrush::Rebuild()
{
    // Within (0, 1): the falloff exponent is log(h) / log(0.5), which a negative or NaN
    // hardness would turn into NaN weights.
    float h = m_hardness;
    if (!(std::fabs(h) >= 0.0001f) || h < 0.0f)
        h = 0.0001f;
    if (h >= 0.9999f)
        h = 0.9999f;
    m_hardness = h;

    m_weights.reset();
    m_shape.reset();
    if (m_width < 1 || m_height < 1)
        return -2;
    m_weights = Alloc2D(static_cast<std::size_t>(m_width), static_cast<std::size_t>(m_height), sizeof(float));
    if (!m_weights)
        return -2;
    m_shape = Alloc2D(static_cast<std::size_t>(m_width), static_cast<std::size_t>(m_height), 1);
    if (!m_shape) {
        m_weights.reset();
        return -3;
    }

    const double e = std::log(static_cast<double>(h)) / std::log(0.5);
    const double hx = m_width * 0.5;
    const double hy = m_height * 0.5;
    GridRows<float> weights = m_weights->Rows<float>();
    GridRows<uint8_t> shape = m_shape->Rows<uint8_t>();
    for (int i = 0; i < m_height; ++i) {
        for (int j = 0; j < m_width; ++j) {
            double dx = (j - hx) / hx;
            double dy = (i - hy) / hy;
            double r = std::sqrt(dx * dx + dy * dy);
            shape[i][j] = ((m_flags & kElliptical) && r > 1.0) ? 0 : 1;
            double weight = 1.0;
            if (m_flags & kSoftEdge)
                weight = r > 1.0 ? 0.0 : std::clamp(1.0 - std::pow(r + 0.0001, e), 0.0, 1.0);
            weights[i][j] = static_cast<float>(weight);
        }
    }
    return 0;
}

int ImageBrush::StampAt(ImageOverlay& overlay, double latitude, double longitude, const CSelection* selection,
                        OverlayStampHint* stamped) const
{
    if (!m_shape)
        return 0;
    std::lock_guard<std::recursive_mutex> lock(OverlayLock());
    if (!overlay.pixels)
        return 0;
    const int ow = static_cast<int>(overlay.pixels->Width());
    const int oh = static_cast<int>(overlay.pixels->Height());
    int cx = 0, cy = 0;
    overlay.LatLonToPixel(latitude, longitude, cx, cy);
    if (stamped) {
        OverlayStampHint& box = *stamped;
        box.west = overlay.west, box.east = overlay.east, box.south = overlay.south, box.north = overlay.north;
        box.width = overlay.width, box.height = overlay.height;
        const long long c0 = static_cast<long long>(cx) - m_width / 2, c1 = c0 + m_width - 1;
        const long long r0 = static_cast<long long>(cy) - m_height / 2, r1 = r0 + m_height - 1;
        const bool wraps = ((m_flags & kWrapColumns) && (c0 < 0 || c1 >= ow)) ||
                           ((m_flags & kWrapRows) && (r0 < 0 || r1 >= oh));
        box.col0 = static_cast<int>(std::clamp<long long>(c0, 0, ow - 1));
        box.col1 = static_cast<int>(std::clamp<long long>(c1, 0, ow - 1));
        box.row0 = static_cast<int>(std::clamp<long long>(r0, 0, oh - 1));
        box.row1 = static_cast<int>(std::clamp<long long>(r1, 0, oh - 1));
        box.whole = wraps || overlay.screenCoordinates || ow != overlay.width || oh != overlay.height;
    }
    const bool selective = selection != nullptr && selection->IsActive();
    GridRows<const uint8_t> shape = static_cast<const Grid2D&>(*m_shape).Rows<uint8_t>();
    for (int m = 0; m < m_height; ++m) {
        long long row = static_cast<long long>(cy) - m_height / 2 + m;
        if (m_flags & kWrapRows) {
            row %= oh;
            if (row < 0)
                row += oh;
        } else if (row < 0 || row >= oh) {
            continue;
        }
        uint32_t* pixelRow = overlay.pixels->Row<uint32_t>(static_cast<std::size_t>(row));
        for (int n = 0; n < m_width; ++n) {
            if (shape[m][n] != 1)
                continue;
            long long col = static_cast<long long>(cx) - m_width / 2 + n;
            if (m_flags & kWrapColumns) {
                col %= ow;
                if (col < 0)
                    col += ow;
            } else {
                col = std::clamp<long long>(col, 0, ow - 1);
            }
            uint32_t& pixel = pixelRow[col];
            if (!selective) {
                pixel = m_colour;
                continue;
            }
            double lat = overlay.south + static_cast<double>(row) * (overlay.north - overlay.south) / oh;
            double lon = overlay.west + static_cast<double>(col) * (overlay.east - overlay.west) / ow;
            float t = SelectionWeightAt(*selection, lat, lon);
            if (t > 0.0f)
                pixel = BlendTowards(pixel, m_colour, t);
        }
    }
    return 0;
}

namespace {

const ServiceSlotRegistration kOverlayListWindowFactorySlot("OverlayListWindowFactory", [] { return g_windowFactory.load() != nullptr; });
const ServiceSlotRegistration kActiveOverlayListLookupSlot("ActiveOverlayListLookup", [] { return g_activeListLookup.load() != nullptr; });

} // namespace

} // namespace kv
