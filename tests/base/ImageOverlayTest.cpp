#include "base/layers/CSelection.h"
#include "base/layers/ImageOverlay.h"
#include "base/MessageService.h"

#include "ArchiveBytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

using namespace kv;

namespace {

constexpr uint32_t kRed = 0xFF0000FFu;   // opaque red (0xAABBGGRR)
constexpr uint32_t kBlue = 0x00FF0000u;  // blue, alpha added per case

// A whole-world overlay of w x h filled with one colour.
std::unique_ptr<ImageOverlay> Filled(const std::string& name, uint32_t colour, int w = 8, int h = 4)
{
    auto overlay = std::make_unique<ImageOverlay>();
    overlay->name = name;
    EXPECT_TRUE(overlay->SetGeometry(w, h, -180, 90, 180, -90));
    EXPECT_TRUE(overlay->Fill(colour));
    return overlay;
}

uint32_t Channel(uint32_t colour, int k) { return (colour >> (8 * k)) & 0xFF; }

} // namespace

TEST(ImageOverlay, DefaultsAndPixelMapping)
{
    ImageOverlay overlay;
    EXPECT_TRUE(overlay.visible);
    EXPECT_EQ(overlay.opacity, 255);
    EXPECT_EQ(overlay.width, 512);
    EXPECT_EQ(overlay.height, 256);
    EXPECT_FALSE(overlay.HasPixels());
    EXPECT_FALSE(overlay.Fill(kRed));
    EXPECT_FLOAT_EQ(overlay.softLow, -9144.0f);
    EXPECT_FLOAT_EQ(overlay.hardHigh, 9144.0f);

    // x = trunc((lon + 180) / 360 x 511), y = trunc((lat + 90) / 180 x 255)
    int x = 0, y = 0;
    EXPECT_TRUE(overlay.LatLonToPixel(10.0, 20.0, x, y));
    EXPECT_EQ(x, static_cast<int>(200.0 / 360.0 * 511));
    EXPECT_EQ(y, static_cast<int>(100.0 / 180.0 * 255));
    // Outside the bounds the pair is still produced.
    EXPECT_FALSE(overlay.LatLonToPixel(0.0, 200.0, x, y));
    EXPECT_EQ(x, static_cast<int>(380.0 / 360.0 * 511));
    // Equal bounds on an axis: no division by zero, no sample.
    overlay.east = overlay.west;
    EXPECT_FALSE(overlay.LatLonToPixel(0.0, -180.0, x, y));
}

TEST(ImageOverlay, SampleAtModesAndOpacity)
{
    auto overlay = Filled("a", 0xC8123456u); // alpha 200
    overlay->softLow = -100;
    overlay->hardLow = 0;
    overlay->hardHigh = 100;
    overlay->softHigh = 300;
    struct Case {
        int mode;
        double value;
        bool blank;     // colour 0 altogether
        uint32_t alpha; // else the alpha, with the pixel's colour bytes
    };
    const Case cases[] = {
        {kOverlayAlways, -5000, false, 200}, {kOverlayLand, 0.0, true, 0},
        {kOverlayLand, 0.5, false, 200},     {kOverlaySea, 0.0, false, 200},
        {kOverlaySea, 1.0, true, 0},         {kOverlayHardRange, 0, false, 200},
        {kOverlayHardRange, 100, true, 0},   {kOverlayHardRange, -1, true, 0},
        {kOverlaySoftRange, -100, false, 0}, {kOverlaySoftRange, 0, false, 200},
        // a = trunc(50 x 255 / 100) = 127; alpha = round(127 x 200 / 255) = 100
        {kOverlaySoftRange, -50, false, 100}, {kOverlaySoftRange, 200, false, 100},
        {kOverlaySoftRange, 300, true, 0},   {7, 1e9, false, 200},
    };
    for (const Case& c : cases) {
        overlay->mode = c.mode;
        uint32_t colour = 1;
        EXPECT_TRUE(overlay->SampleAt(0, 0, c.value, 0, 0, colour)) << c.mode << " " << c.value;
        if (c.blank) {
            EXPECT_EQ(colour, 0u) << c.mode << " " << c.value;
        } else {
            EXPECT_EQ(colour >> 24, c.alpha) << c.mode << " " << c.value;
            EXPECT_EQ(colour & 0xFFFFFF, 0x123456u);
        }
    }
    // Opacity 128 on an opaque pixel gives alpha 128.
    overlay->mode = kOverlayAlways;
    overlay->Fill(kRed);
    overlay->opacity = 128;
    uint32_t colour = 0;
    EXPECT_TRUE(overlay->SampleAt(0, 0, 0, 0, 0, colour));
    EXPECT_EQ(colour, 0x800000FFu);
    // Hidden: false and 0.
    overlay->visible = false;
    EXPECT_FALSE(overlay->SampleAt(0, 0, 0, 0, 0, colour));
    EXPECT_EQ(colour, 0u);
}

TEST(ImageOverlay, InfiniteSoftBoundsRampAtFullStrength)
{
    // Bounds come from documents as any float. An endless ramp is at full strength at every
    // finite value; the alpha never comes from converting inf / inf to an integer.
    auto overlay = Filled("a", 0xC8123456u); // alpha 200
    overlay->mode = kOverlaySoftRange;
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float softLow, hardLow, hardHigh, softHigh;
        double value;
    };
    const Case cases[] = {{-inf, 0, 100, 300, -50}, {-100, 0, 100, inf, 200}, {-inf, inf, inf, inf, 7}};
    for (const Case& c : cases) {
        overlay->softLow = c.softLow;
        overlay->hardLow = c.hardLow;
        overlay->hardHigh = c.hardHigh;
        overlay->softHigh = c.softHigh;
        uint32_t colour = 0;
        EXPECT_TRUE(overlay->SampleAt(0, 0, c.value, 0, 0, colour)) << c.value;
        EXPECT_EQ(colour, 0xC8123456u) << c.value;
    }
}

TEST(ImageOverlay, DegenerateOverlaysGiveNoSamples)
{
    uint32_t colour = 1;
    auto onePixel = Filled("one", kRed, 1, 1);
    EXPECT_FALSE(onePixel->SampleAt(0, 0, 0, 0, 0, colour));
    onePixel->screenCoordinates = true;
    EXPECT_FALSE(onePixel->SampleAt(0, 0, 0, 5, 5, colour));
    EXPECT_EQ(colour, 0u);

    auto flat = Filled("flat", kRed);
    flat->north = flat->south;
    EXPECT_FALSE(flat->SampleAt(0, 0, 0, 0, 0, colour));

    ImageOverlay bad;
    EXPECT_FALSE(bad.SetGeometry(0, 10, -180, 90, 180, -90));
    EXPECT_FALSE(bad.SetGeometry(100000, 100000, -180, 90, 180, -90));
    EXPECT_FALSE(bad.HasPixels());
}

TEST(ImageOverlay, ScreenCoordinatesRepeat)
{
    auto overlay = Filled("s", 0, 4, 3);
    overlay->screenCoordinates = true;
    // x = |col| mod 3, y = 3 - 2 - (|row| mod 2)
    overlay->PixelRow(0)[2] = 0xFF000001u;
    uint32_t colour = 0;
    EXPECT_TRUE(overlay->SampleAt(0, 0, 0, -5, 3, colour));
    EXPECT_EQ(colour, 0xFF000001u);
}

TEST(ImageOverlayList, UpperOverlayIsBlendedOverTheLowerOnes)
{
    ImageOverlayList list;
    list.Add(Filled("bottom", kRed));
    list.Add(Filled("top", kBlue | 0x80000000u));
    uint32_t c = list.CompositeAt(0, 0, 0, 0, 0);
    // blue at 128/255 over opaque red
    const double a = 128.0 / 255.0;
    EXPECT_EQ(c >> 24, 255u);
    EXPECT_EQ(Channel(c, 0), static_cast<uint32_t>(std::lround(255 * (1 - a))));
    EXPECT_EQ(Channel(c, 2), static_cast<uint32_t>(std::lround(255 * a)));

    // Two half-transparent layers: coverage 1 - (1 - a)(1 - a); the top one dominates.
    ImageOverlayList two;
    two.Add(Filled("bottom", 0x800000FFu));
    two.Add(Filled("top", kBlue | 0x80000000u));
    c = two.CompositeAt(0, 0, 0, 0, 0);
    const double coverage = 1 - (1 - a) * (1 - a);
    EXPECT_EQ(c >> 24, static_cast<uint32_t>(std::lround(coverage * 255)));
    EXPECT_EQ(Channel(c, 2), static_cast<uint32_t>(std::lround(255 * a / coverage)));
    EXPECT_EQ(Channel(c, 0), static_cast<uint32_t>(std::lround(255 * (1 - a) * a / coverage)));
    EXPECT_GT(Channel(c, 2), Channel(c, 0));
}

TEST(ImageOverlayList, OpaqueTopHidesTheRestAndEmptyGivesZero)
{
    ImageOverlayList list;
    EXPECT_EQ(list.CompositeAt(0, 0, 0, 0, 0), 0u);
    list.Add(Filled("bottom", kRed));
    list.Add(Filled("top", 0xFF00FF00u));
    EXPECT_EQ(list.CompositeAt(0, 0, 0, 0, 0), 0xFF00FF00u);
    // A single translucent overlay keeps its own colour and alpha.
    list.At(1)->Fill(0x40123456u);
    list.At(0)->visible = false;
    EXPECT_EQ(list.CompositeAt(0, 0, 0, 0, 0), 0x40123456u);
    EXPECT_TRUE(list.AnyVisible());
    list.SetAllVisible(false);
    EXPECT_FALSE(list.AnyVisible());
    EXPECT_EQ(list.CompositeAt(0, 0, 0, 0, 0), 0u);
}

TEST(ImageOverlayList, FindRemoveAndActive)
{
    ImageOverlayList list;
    ImageOverlay* a = list.AddNamed("A", 4, 2, true);
    ImageOverlay* b = list.AddNamed("B", 4, 2, false);
    EXPECT_TRUE(a->HasPixels());
    EXPECT_EQ(a->PixelRow(1)[3], 0u);
    EXPECT_FALSE(b->visible);
    EXPECT_EQ(list.FindByName("B"), b);
    EXPECT_EQ(list.FindByName("b"), nullptr);
    list.SetActive(b);
    EXPECT_TRUE(list.Remove(b));
    EXPECT_EQ(list.GetActive(), nullptr);
    EXPECT_EQ(list.Count(), 1);
    auto outsider = std::make_unique<ImageOverlay>();
    EXPECT_FALSE(list.Remove(outsider.release())); // deleted all the same
    EXPECT_EQ(list.Count(), 1);
}

TEST(ImageOverlayList, ShowDialogWithoutWindowReportsIt)
{
    struct Recorder : MessageService {
        std::vector<std::string> texts;
        void Show(const std::string& text) override { texts.push_back(text); }
    } recorder;
    MessageService* previous = SetMessageService(&recorder);
    ImageOverlayList list;
    EXPECT_FALSE(list.IsDialogVisible());
    list.ShowDialog(1);
    SetMessageService(previous);
    ASSERT_EQ(recorder.texts.size(), 1u);
    EXPECT_EQ(recorder.texts[0], "Severe problem creating the overlay window.\nPerhaps a system restart is in order?");
}

TEST(ImageOverlay, ArchiveRoundTripAndLayout)
{
    auto overlay = Filled("Layer", 0x11223344u, 3, 2);
    overlay->PixelRow(1)[2] = 0xAABBCCDDu;
    overlay->mode = 4;
    overlay->opacity = 77;
    overlay->softLow = -1;
    overlay->hardHigh = 5;
    overlay->screenCoordinates = true;
    overlay->secondFlag = true;
    overlay->firstFlag = true;
    std::vector<uint8_t> bytes = StoreBytes(*overlay);
    // version, visible, name (1 + 5), opacity, 3 ints, 4 doubles, flag, pixels, 4 floats, 2 flags
    ASSERT_EQ(bytes.size(), 4u + 1 + 6 + 1 + 12 + 32 + 1 + 3 * 2 * 4 + 16 + 2);
    EXPECT_EQ(bytes[0], 0x01);
    EXPECT_EQ(bytes[1], 0x01); // 257
    EXPECT_EQ(bytes[5], 5);    // name length
    const size_t pixels = 4 + 1 + 6 + 1 + 12 + 32 + 1;
    EXPECT_EQ(bytes[pixels], 0x44);
    EXPECT_EQ(bytes[pixels + 5 * 4 + 3], 0xAA); // row 1, column 2, top byte last

    ImageOverlay loaded;
    LoadBytes(loaded, bytes);
    EXPECT_EQ(loaded.name, "Layer");
    EXPECT_EQ(loaded.width, 3);
    EXPECT_EQ(loaded.mode, 4);
    EXPECT_EQ(loaded.opacity, 77);
    EXPECT_TRUE(loaded.firstFlag);
    EXPECT_TRUE(loaded.screenCoordinates);
    EXPECT_TRUE(loaded.secondFlag);
    EXPECT_FLOAT_EQ(loaded.softLow, -1);
    EXPECT_FLOAT_EQ(loaded.hardHigh, 5);
    EXPECT_EQ(loaded.PixelRow(1)[2], 0xAABBCCDDu);
    EXPECT_EQ(loaded.PixelRow(0)[0], 0x11223344u);

    // Version 256: pixels read, the limits and the two flags after them keep their values.
    bytes[0] = 0x00;
    ImageOverlay old;
    LoadBytes(old, std::vector<uint8_t>(bytes.begin(), bytes.end() - 18));
    EXPECT_EQ(old.PixelRow(1)[2], 0xAABBCCDDu);
    EXPECT_FLOAT_EQ(old.softLow, -9144.0f);
    EXPECT_FALSE(old.screenCoordinates);

    // Below 256: nothing more is read.
    ImageOverlay ancient;
    const std::vector<uint8_t> v255 = {0xFF, 0, 0, 0};
    LoadBytes(ancient, v255);
    EXPECT_FALSE(ancient.HasPixels());
    EXPECT_EQ(ancient.width, 512);
}

TEST(ImageOverlay, ArchiveRefusesAbsurdSizes)
{
    auto overlay = Filled("x", 0, 2, 2);
    std::vector<uint8_t> bytes = StoreBytes(*overlay);
    const size_t widthAt = 4 + 1 + 2 + 1;
    auto withWidth = [&](int32_t w) {
        std::vector<uint8_t> b = bytes;
        for (int k = 0; k < 4; ++k)
            b[widthAt + k] = static_cast<uint8_t>(static_cast<uint32_t>(w) >> (8 * k));
        return b;
    };
    for (int32_t w : {0, -3, 0x7FFFFFFF}) {
        ImageOverlay loaded;
        EXPECT_THROW(LoadBytes(loaded, withWidth(w)), CArchiveException) << w;
        EXPECT_FALSE(loaded.HasPixels());
    }
    // A plausible size whose pixels are not there: refused before allocating.
    ImageOverlay loaded;
    EXPECT_THROW(LoadBytes(loaded, withWidth(30000)), CArchiveException);

    // Nor is such a size ever written: storing it fails rather than making a file that
    // cannot be read back.
    for (int32_t w : {0, -3, ImageOverlay::kMaxSide + 1}) {
        ImageOverlay bad = *overlay;
        bad.width = w;
        std::vector<uint8_t> out;
        kv::CArchive ar(out, kv::CArchive::store);
        EXPECT_THROW(bad.Serialize(ar), CArchiveException) << w;
    }
}

TEST(ImageOverlayList, ArchiveRoundTripAndVersions)
{
    ImageOverlayList list;
    list.Add(Filled("one", kRed, 2, 2));
    list.Add(Filled("two", 0x01020304u, 3, 2));
    std::vector<uint8_t> bytes = StoreBytes(list);
    ImageOverlayList loaded;
    loaded.AddNamed("stale", 2, 2, true);
    LoadBytes(loaded, bytes);
    ASSERT_EQ(loaded.Count(), 2);
    EXPECT_EQ(loaded.At(0)->name, "one");
    EXPECT_EQ(loaded.At(1)->PixelRow(1)[2], 0x01020304u);

    const std::vector<uint8_t> empty = {0x00, 0x01, 0, 0, 0, 0, 0, 0};
    LoadBytes(loaded, empty);
    EXPECT_EQ(loaded.Count(), 0);
    std::vector<uint8_t> otherVersion = bytes;
    otherVersion[0] = 0x01;
    LoadBytes(loaded, otherVersion);
    EXPECT_EQ(loaded.Count(), 0);
}

TEST(ImageOverlay, UndoComesBackUnderItsName)
{
    ImageOverlayList list;
    static ImageOverlayList* active = nullptr;
    active = &list;
    SetActiveOverlayListLookup([]() { return active; });

    ImageOverlay* overlay = list.AddNamed("Paint", 2, 2, true);
    overlay->Fill(kRed);
    UndoList undo;
    ASSERT_TRUE(undo.Add(overlay, "Overlay Paint", 0, 0));
    overlay->Fill(0xFF00FF00u);
    ASSERT_TRUE(undo.Undo());
    EXPECT_EQ(list.FindByName("Paint")->PixelRow(0)[0], kRed);
    ASSERT_TRUE(undo.Redo());
    EXPECT_EQ(list.FindByName("Paint")->PixelRow(0)[0], 0xFF00FF00u);

    // Deleted after the step was taken: undo makes it again under the same name.
    list.Remove(list.FindByName("Paint"));
    ASSERT_TRUE(undo.Undo());
    ASSERT_NE(list.FindByName("Paint"), nullptr);
    EXPECT_EQ(list.FindByName("Paint")->PixelRow(1)[1], kRed);

    SetActiveOverlayListLookup(nullptr);
    EXPECT_FALSE(undo.Redo()); // no active list: nothing to apply to
}

TEST(ImageOverlay, UndoFindsItsOverlayAfterARename)
{
    ImageOverlayList list;
    static ImageOverlayList* active = nullptr;
    active = &list;
    SetActiveOverlayListLookup([]() { return active; });

    ImageOverlay* overlay = list.AddNamed("Paint", 2, 2, true);
    list.AddNamed("Other", 2, 2, true);
    overlay->Fill(kRed);
    UndoList undo;
    ASSERT_TRUE(undo.Add(overlay, "Overlay Paint", 0, 0));
    overlay->Fill(0xFF00FF00u);
    overlay->name = "Renamed";
    // A copy carries the pixels, never the identity.
    EXPECT_NE(ImageOverlay(*overlay).Identity(), overlay->Identity());
    ASSERT_TRUE(undo.Undo());
    EXPECT_EQ(list.Count(), 2); // no overlay made under the old name
    EXPECT_EQ(list.At(0), overlay);
    EXPECT_EQ(overlay->PixelRow(0)[0], kRed);
    ASSERT_TRUE(undo.Redo());
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(overlay->PixelRow(0)[0], 0xFF00FF00u);
    SetActiveOverlayListLookup(nullptr);
}

TEST(ImageOverlay, FillThroughTheSelection)
{
    CSelection selection;
    ASSERT_EQ(selection.Create(5, 3), 0);
    // Overlay 5 x 3 over the whole world: pixel (x, y) sits on selection cell (x, y).
    auto overlay = Filled("f", 0x00000000u, 5, 3);
    overlay->PixelRow(0)[1] = 0x80000000u; // black with some alpha
    selection.SetAt(1, 0, 255);
    selection.SetAt(2, 0, 51); // weight 0.2
    ASSERT_TRUE(overlay->FillSelection(0xFF0A14C8u, &selection));
    EXPECT_EQ(overlay->PixelRow(0)[1], 0xFF0A14C8u);
    // 0.2 of the way from transparent black: colour bytes x 0.2, alpha 255 x 0.2
    EXPECT_EQ(overlay->PixelRow(0)[2], 0x33020428u);
    EXPECT_EQ(overlay->PixelRow(0)[0], 0u);
    EXPECT_EQ(overlay->PixelRow(2)[4], 0u);

    // Inactive selection: plain fill.
    CSelection none;
    ASSERT_TRUE(overlay->FillSelection(0x01020304u, &none));
    EXPECT_EQ(overlay->PixelRow(2)[4], 0x01020304u);
    // Too small for positions: refused.
    auto tiny = Filled("t", 0, 1, 3);
    EXPECT_FALSE(tiny->FillSelection(kRed, &selection));
}

TEST(ImageBrush, StampClampsAtTheEdgeAndBuildsTheFalloff)
{
    ImageBrush brush;
    int w = 0, h = 0;
    brush.GetSize(w, h);
    EXPECT_EQ(w, 11);
    EXPECT_EQ(brush.Flags(), 0x103000);
    // Soft edge: the weight at r = 0.5 is about 1 - hardness.
    ASSERT_EQ(brush.SetParameters(11, 11, ImageBrush::kSoftEdge, 0xFF0000FFu, 0.5f, 1.0f), 0);
    GridRows<const float> weights = brush.Weights()->Rows<float>();
    // cell (j, i) = (8, 5): dx = (8 - 5.5) / 5.5, dy = -0.5 / 5.5
    const double r = std::hypot(2.5 / 5.5, 0.5 / 5.5);
    EXPECT_NEAR(weights[5][8], 1.0 - std::pow(r + 0.0001, 1.0), 1e-6);

    // A negative hardness is held at the smallest one instead of giving NaN weights.
    ASSERT_EQ(brush.SetParameters(5, 5, ImageBrush::kSoftEdge, 0xFF0000FFu, -0.5f, 1.0f), 0);
    EXPECT_FLOAT_EQ(brush.Hardness(), 0.0001f);
    EXPECT_TRUE(std::isfinite(brush.Weights()->Rows<float>()[1][1]));

    // Even width 10, no wrap, centred on column 0: the left five columns land on column 0.
    ASSERT_EQ(brush.SetParameters(10, 1, 0, 0xFF00FF00u, 0.5f, 1.0f), 0);
    auto overlay = Filled("b", 0, 20, 3);
    ASSERT_EQ(brush.StampAt(*overlay, 0.0, -180.0, nullptr), 0);
    for (int x = 0; x < 20; ++x)
        EXPECT_EQ(overlay->PixelRow(1)[x], x <= 4 ? 0xFF00FF00u : 0u) << x;
    EXPECT_EQ(overlay->PixelRow(0)[0], 0u);

    // With column wrap the left half lands on the last columns instead.
    ASSERT_EQ(brush.SetParameters(10, 1, ImageBrush::kWrapColumns, 0xFF00FF00u, 0.5f, 1.0f), 0);
    auto wrapped = Filled("w", 0, 20, 3);
    brush.StampAt(*wrapped, 0.0, -180.0, nullptr);
    EXPECT_EQ(wrapped->PixelRow(1)[15], 0xFF00FF00u);
    EXPECT_EQ(wrapped->PixelRow(1)[4], 0xFF00FF00u);
    EXPECT_EQ(wrapped->PixelRow(1)[5], 0u);
}

TEST(ImageOverlayList, OpacityScalesEveryAlphaRoundedToNearest)
{
    // One pixel per alpha: the composite's alpha is MulDiv(opacity, alpha, 255) for every pair.
    ImageOverlayList list;
    ImageOverlay* overlay = list.AddNamed("ramp", 256, 2, true);
    for (int r = 0; r < 2; ++r)
        for (int x = 0; x < 256; ++x)
            overlay->PixelRow(r)[x] = (static_cast<uint32_t>(x) << 24) | 0x336699u;
    for (int opacity = 0; opacity < 256; ++opacity) {
        overlay->opacity = static_cast<uint8_t>(opacity);
        for (int x = 0; x < 256; ++x) {
            const double longitude = -180.0 + (x + 0.5) * 360.0 / 255.0;
            const uint32_t c = list.CompositeAt(0.0, longitude, 0.0, 0, 0);
            ASSERT_EQ(c >> 24, static_cast<uint32_t>(std::lround(opacity * x / 255.0))) << opacity << " " << x;
        }
    }
}

TEST(OverlayRowCompositor, RowsEqualCompositeAtForEveryKindOfOverlay)
{
    ImageOverlayList list;
    auto pattern = [](ImageOverlay* o, uint32_t seed) {
        for (int r = 0; r < o->height; ++r)
            for (int x = 0; x < o->width; ++x) {
                uint32_t v = seed * 2654435761u + static_cast<uint32_t>(r * 131 + x * 7919);
                v ^= v >> 13;
                o->PixelRow(r)[x] = v * 0x9E3779B1u;
            }
    };
    ImageOverlay* world = list.AddNamed("world", 37, 19, true);
    pattern(world, 1);
    ImageOverlay* part = list.AddNamed("part", 11, 7, true);
    part->SetGeometry(11, 7, -40.5, 50.0, 60.25, -30.0);
    pattern(part, 2);
    part->opacity = 150;
    part->mode = kOverlayLand;
    ImageOverlay* reversed = list.AddNamed("reversed", 9, 9, true);
    reversed->SetGeometry(9, 9, 170.0, -10.0, 20.0, 80.0);
    pattern(reversed, 3);
    reversed->mode = kOverlaySoftRange;
    reversed->softLow = -200.0f, reversed->hardLow = -50.0f, reversed->hardHigh = 300.0f, reversed->softHigh = 900.0f;
    ImageOverlay* screen = list.AddNamed("screen", 5, 4, true);
    screen->SetGeometry(5, 4, -100.0, 60.0, 100.0, -60.0);
    pattern(screen, 4);
    screen->screenCoordinates = true;
    screen->mode = kOverlaySea;
    ImageOverlay* hidden = list.AddNamed("hidden", 8, 8, false);
    hidden->Fill(0xFF00FF00u);
    ImageOverlay* narrow = list.AddNamed("narrow", 1, 8, true);
    narrow->Fill(0xFF0000FFu);
    ImageOverlay* flat = list.AddNamed("flat", 8, 8, true);
    flat->SetGeometry(8, 8, 10.0, 20.0, 10.0, 0.0);
    flat->Fill(0xFFFFFFFFu);
    ImageOverlay* top = list.AddNamed("top", 13, 6, true);
    pattern(top, 5);
    top->mode = kOverlayHardRange;
    top->hardLow = 0.0f, top->hardHigh = 100.0f;

    const int w = 97, h = 41;
    std::vector<double> longitudes(w);
    for (int j = 0; j < w; ++j)
        longitudes[j] = j * 400.0 / (w - 1) - 200.0; // past both edges
    const OverlayRowCompositor compositor(list, longitudes);
    std::vector<uint32_t> row(w);
    int covered = 0;
    for (double value : {-300.0, -100.0, 0.0, 50.0, 250.0, 600.0}) {
        for (int i = 0; i < h; ++i) {
            const double latitude = i * 200.0 / (h - 1) - 100.0;
            compositor.Row(latitude, i, value, row.data());
            for (int j = 0; j < w; ++j) {
                ASSERT_EQ(row[j], list.CompositeAt(latitude, longitudes[j], value, j, i))
                    << "value " << value << " row " << i << " column " << j;
                covered += (row[j] >> 24) != 0 && (row[j] >> 24) != 255;
            }
        }
    }
    EXPECT_GT(covered, 1000); // translucent blends, not only opaque or empty cells
}
