#include "ArchiveBytes.h"
#include "platform/Archive.h"
#include "base/color/CColorList.h"
#include "base/text/CTokenizer.h"
#include "base/color/ColorChooser.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using kv::CColorList;
using kv::ColorOf;

namespace {

CColorList MakeList(const std::vector<uint32_t>& colours, int mode, double exponent = 1.0)
{
    CColorList list;
    for (uint32_t c : colours)
        list.Add(c);
    list.SetInterpolation(mode);
    list.SetExponent(exponent);
    return list;
}

uint32_t Grey(int v)
{
    return ColorOf(v, v, v);
}

// Six stops: red rises by 50 a stop, green falls by 50, blue stays 7.
CColorList SixStops(int mode)
{
    std::vector<uint32_t> c;
    for (int i = 0; i < 6; ++i)
        c.push_back(ColorOf(50 * i, 250 - 50 * i, 7));
    return MakeList(c, mode);
}

// A chooser that answers with fixed picks and records what it was offered.
struct FakeChooser : kv::ColorChooser {
    bool shift = false;
    bool accept = true;
    uint32_t systemColour = 0;
    int paletteIndex = 0;
    int offeredIndex = -2;
    uint32_t offeredColour = 0;
    bool PickSystemColor(uint32_t& colour) override
    {
        offeredColour = colour;
        if (accept)
            colour = systemColour;
        return accept;
    }
    bool PickPaletteIndex(int& index) override
    {
        offeredIndex = index;
        if (accept)
            index = paletteIndex;
        return accept;
    }
    bool IsShiftHeld() override { return shift; }
};

class ChooserScope {
public:
    explicit ChooserScope(std::shared_ptr<kv::ColorChooser> c) : m_old(kv::SetColorChooser(std::move(c))) {}
    ~ChooserScope() { kv::SetColorChooser(m_old); }

private:
    std::shared_ptr<kv::ColorChooser> m_old;
};

std::vector<uint8_t> Store(CColorList& list)
{
    return StoreBytes(list);
}

void Load(CColorList& list, const std::vector<uint8_t>& bytes)
{
    LoadBytes(list, bytes);
}

} // namespace

TEST(ColorList, InterpolationAtAndBetweenStops)
{
    struct Case {
        const char* what;
        CColorList list;
        double t;
        uint32_t expected;
    };
    const Case cases[] = {
        {"linear at a stop (t = 0.6 is stop 3 exactly)", SixStops(1), 0.6, ColorOf(150, 100, 7)},
        {"cubic at a stop", SixStops(2), 0.6, ColorOf(150, 100, 7)},
        {"nearest at a stop", SixStops(0), 0.6, ColorOf(150, 100, 7)},
        {"linear halfway", SixStops(1), 0.5, ColorOf(125, 125, 7)},
        {"cubic through straight data stays straight", SixStops(2), 0.5, ColorOf(125, 125, 7)},
        {"linear at a quarter of segment 0", SixStops(1), 0.05, ColorOf(12, 237, 7)},
        {"nearest rounds up past half", SixStops(0), 0.5, ColorOf(150, 100, 7)},
        {"nearest: five stops, t = 0.375 is stop 2", MakeList({Grey(0), Grey(1), Grey(2), Grey(3), Grey(4)}, 0),
         0.375, Grey(2)},
        // 0.5 x ((-200) / 8 + 200 / 4 + 200 / 2 + 200) = 162.5
        {"cubic bends", MakeList({Grey(0), Grey(100), Grey(200), Grey(100)}, 2), 0.5, Grey(162)},
        // the same bend shifted by 10 and 20 in green and blue: each channel kept apart
        {"cubic keeps the channels apart",
         MakeList({ColorOf(0, 10, 20), ColorOf(100, 110, 120), ColorOf(200, 210, 220), ColorOf(100, 110, 120)}, 2), 0.5,
         ColorOf(162, 172, 182)},
        // 286.875 clamps to 255 without spilling into the next channel
        {"cubic overshoot clamps", MakeList({0, ColorOf(255, 0, 0), ColorOf(255, 0, 0), 0}, 2), 0.5,
         ColorOf(255, 0, 0)},
        // -31.875 clamps to 0
        {"cubic undershoot clamps", MakeList({Grey(255), 0, 0, Grey(255)}, 2), 0.5, 0},
        {"mode 3 interpolates as cubic", MakeList({Grey(0), Grey(100), Grey(200), Grey(100)}, 3), 0.5, Grey(162)},
        {"two stops in cubic mode use the linear rule", MakeList({0, Grey(255)}, 2), 0.5, Grey(127)},
        {"one stop", MakeList({Grey(9)}, 2), 0.3, Grey(9)},
        {"one stop, linear", MakeList({Grey(9)}, 1), 0.7, Grey(9)},
        {"exponent 2 looks up 0.25", MakeList({Grey(0), Grey(40), Grey(80), Grey(120), Grey(160)}, 1, 2.0), 0.5,
         Grey(40)},
        {"below 0", SixStops(1), -3.0, ColorOf(0, 250, 7)},
        {"above 1", SixStops(2), 7.0, ColorOf(250, 0, 7)},
        {"NaN is taken as 0", SixStops(2), std::nan(""), ColorOf(0, 250, 7)},
        {"a negative exponent stays inside the list", SixStops(1), 0.5, ColorOf(250, 0, 7)},
        {"empty list is black", CColorList(), 0.5, 0},
    };
    for (const Case& c : cases) {
        CColorList list = c.list;
        if (std::string(c.what).starts_with("a negative exponent"))
            list.SetExponent(-1.0);
        EXPECT_EQ(list.Interpolate(c.t), c.expected) << c.what;
    }
}

// A prepared ramp gives the list's own colour at every t, whatever the mode, stop count
// and exponent; preparing again follows a changed list (the ramp's storage is reused).
TEST(ColorList, RampEqualsTheListBitForBit)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const uint32_t colours[] = {0x000000, 0xFF00FF, 0x10E020, 0xFFFFFF, 0x804020, 0x00FF00, 0x0000FF};
    kv::CColorRamp ramp;
    int compared = 0;
    for (int mode : {CColorList::kNearest, CColorList::kLinear, CColorList::kCubic})
        for (int n : {0, 1, 2, 3, 7})
            for (double exponent : {1.0, 0.37, 2.5}) {
                CColorList list;
                list.RemoveAll();
                for (int i = 0; i < n; ++i)
                    list.Add(colours[i]);
                list.SetInterpolation(mode);
                list.SetExponent(exponent);
                ramp.Prepare(list);
                for (double t : {nan, -1.0, 0.0, 1e-300, 0.5, 1.0 - 1e-16, 1.0, 2.0}) {
                    EXPECT_EQ(ramp.Interpolate(t), list.Interpolate(t)) << mode << " " << n << " " << t;
                    ++compared;
                }
                for (int i = 0; i <= 4096; ++i) {
                    const double t = i / 4096.0;
                    if (ramp.Interpolate(t) != list.Interpolate(t)) {
                        ADD_FAILURE() << mode << " " << n << " " << exponent << " " << t;
                        break;
                    }
                }
                // Many at once: the ends, NaN and a run longer than one batch.
                std::vector<double> many = {nan, -1.0, 0.0, 1e-300, 1.0 - 1e-16, 1.0, 2.0};
                for (int i = 0; i < 70; ++i)
                    many.push_back(i / 69.0);
                std::vector<uint32_t> got(many.size(), 0xDEADBEEFu);
                ramp.InterpolateMany(many.data(), static_cast<int>(many.size()), got.data());
                for (size_t i = 0; i < many.size(); ++i)
                    if (got[i] != list.Interpolate(many[i])) {
                        ADD_FAILURE() << "many: " << mode << " " << n << " " << exponent << " " << many[i];
                        break;
                    }
            }
    EXPECT_GT(compared, 0);
}

TEST(ColorList, NearestStopIndexAndStopAccess)
{
    CColorList list = MakeList({Grey(0), Grey(1), Grey(2), Grey(3), Grey(4)}, 2);
    EXPECT_EQ(list.NearestStopIndex(0.375), 2);
    EXPECT_EQ(list.NearestStopIndex(-1), 0);
    EXPECT_EQ(list.NearestStopIndex(1), 4);
    EXPECT_EQ(list.NearestStopIndex(std::nan("")), 0);
    list.SetExponent(2.0);
    EXPECT_EQ(list.NearestStopIndex(0.5), 1); // int(4 x 0.25 + 0.5)

    EXPECT_EQ(list.GetColorAt(-5), Grey(0));
    EXPECT_EQ(list.GetColorAt(99), Grey(4));
    EXPECT_EQ(CColorList().GetColorAt(0), 0u);
    EXPECT_EQ(list.SetColorOfStop(5, Grey(9)), -1);
    EXPECT_EQ(list.GetSize(), 5);
    EXPECT_EQ(list.SetAt(7, Grey(9)), 7);
    EXPECT_EQ(list.GetSize(), 8);
    EXPECT_EQ(list.GetColorAt(6), 0u);
    EXPECT_EQ(list.SetAt(-1, Grey(9)), -1);
    EXPECT_EQ(list.InsertAt(1, Grey(77)), 1);
    EXPECT_EQ(list.GetColorAt(2), Grey(1));
    EXPECT_EQ(list.RemoveAll(), 9);
    EXPECT_EQ(list.SetInterpolation(0), 2);
}

TEST(ColorList, CopyKeepsColoursModeAndClampedExponentButNoNames)
{
    CColorList a = MakeList({Grey(1), Grey(2)}, 0, 1e6);
    a.Stop(0).SetName("deep");
    a.Stop(1).SetFlag(5);
    CColorList b = a;
    EXPECT_EQ(b.GetColorAt(0), Grey(1));
    EXPECT_EQ(b.Stop(1).Flag(), 5); // the flag goes with the colour
    EXPECT_EQ(b.GetInterpolation(), 0);
    EXPECT_EQ(b.GetExponent(), 1e5);
    EXPECT_EQ(b.Stop(0).Name(), "");
    EXPECT_FALSE(a.Equals(b)); // names and exponent differ
    a.SetExponent(1e-9);
    b = a;
    EXPECT_EQ(b.GetExponent(), 1e-5);

    EXPECT_EQ(a.SetExponentInverse(1e9), 1e-9);
    EXPECT_DOUBLE_EQ(a.GetExponent(), 1e-5);
    EXPECT_DOUBLE_EQ(a.GetExponentInverse(), 1e5);

    CColorList bw;
    bw.ResetBlackWhite();
    EXPECT_EQ(bw.GetInterpolation(), 1);
    EXPECT_EQ(bw.GetColorAt(1), Grey(255));
}

TEST(ColorList, FillSpectrum)
{
    CColorList list;
    // x = 0.5: s = 0.375, k = 0.625, w = 1.25 pi; sines 0.5, 0.5, -1; scale 1 - sqrt(0.625)/2.
    list.FillSpectrum(0.5, 0.5, 1);
    ASSERT_EQ(list.GetSize(), 1);
    EXPECT_EQ(list.GetColorAt(0), ColorOf(186, 178, 57));
    list.FillSpectrum(0.0, 1.0, 5);
    ASSERT_EQ(list.GetSize(), 5);
    EXPECT_EQ(list.GetColorAt(2), ColorOf(186, 178, 57));
}

TEST(Palette, LookupsAndSnapping)
{
    EXPECT_EQ(kv::PW2Palette.size(), 256u);
    EXPECT_EQ(kv::PaletteColor(3), ColorOf(0, 0, 255));
    EXPECT_EQ(kv::PaletteColor(167), ColorOf(254, 10, 3));
    EXPECT_EQ(kv::PaletteColor(239), ColorOf(255, 222, 242));
    EXPECT_EQ(kv::PaletteColor(255), Grey(232));
    EXPECT_EQ(kv::PaletteColor(256), 0u);
    EXPECT_EQ(kv::PaletteColor(-1), 0u);

    EXPECT_EQ(kv::FindPaletteIndex(0), 0);               // not 17
    EXPECT_EQ(kv::FindPaletteIndex(ColorOf(255, 248, 224)), 19); // first of 19 and 31
    EXPECT_EQ(kv::FindPaletteIndex(ColorOf(1, 2, 3)), -1);
    EXPECT_EQ(kv::FindNearestPaletteIndex(0), 0);
    EXPECT_EQ(kv::FindNearestPaletteIndex(ColorOf(1, 254, 1)), 1);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(kv::PaletteColor(kv::FindNearestPaletteIndex(kv::PaletteColor(i))), kv::PaletteColor(i));

    CColorList list;
    list.ResetBlackWhite();
    kv::SnapColorListToPalette(list, 3);
    ASSERT_EQ(list.GetSize(), 3);
    EXPECT_EQ(list.GetColorAt(0), 0u);
    EXPECT_EQ(list.GetColorAt(1), Grey(127)); // entry 248
    EXPECT_EQ(list.GetColorAt(2), Grey(255));
    EXPECT_EQ(list.GetInterpolation(), 1);
}

TEST(Palette, ResamplingFollowsShift)
{
    auto chooser = std::make_shared<FakeChooser>();
    ChooserScope scope(chooser);
    const uint32_t a = ColorOf(1, 254, 1), b = ColorOf(3, 3, 3);
    CColorList list;
    kv::MakeTwoColorList(list, 2, a, b);
    EXPECT_EQ(list.GetColorAt(0), ColorOf(0, 255, 0));
    EXPECT_GE(kv::FindPaletteIndex(list.GetColorAt(1)), 0);

    chooser->shift = true;
    kv::MakeTwoColorList(list, 3, a, b);
    ASSERT_EQ(list.GetSize(), 3);
    EXPECT_EQ(list.GetColorAt(0), a);
    EXPECT_EQ(list.GetColorAt(1), ColorOf(2, 128, 2)); // (1+3)/2, 254 + (3-254)/2 = 128.5
    EXPECT_EQ(list.GetColorAt(2), b);
    kv::ResampleColorListByShift(list, 1);
    EXPECT_EQ(list.GetSize(), 1);
    EXPECT_EQ(list.GetColorAt(0), a);
}

TEST(ColorList, PickersGoThroughTheChooser)
{
    // Without a window every pick is cancelled.
    CColorList list = MakeList({Grey(1), Grey(2), ColorOf(0, 255, 0)}, 2);
    EXPECT_EQ(list.PickStopColorAt(0, 100), 2);
    EXPECT_EQ(list.PickAndAppend(), -1);
    EXPECT_FALSE(kv::IsShiftHeld());

    auto chooser = std::make_shared<FakeChooser>();
    ChooserScope scope(chooser);
    chooser->paletteIndex = 3;
    // The top of the bar is the last stop; its colour is palette entry 1.
    EXPECT_EQ(list.PickStopColorAt(0, 100), 1);
    EXPECT_EQ(chooser->offeredIndex, 1);
    EXPECT_EQ(list.GetColorAt(2), ColorOf(0, 0, 255));
    // The bottom is stop 0, grey 1, not in the palette: offered at its nearest entry, black
    // (entry 0), so that OK without a click keeps the nearest palette colour.
    EXPECT_EQ(list.PickStopColorAt(100, 100), 1);
    EXPECT_EQ(chooser->offeredIndex, 0);
    // An index beyond the palette gives black.
    chooser->paletteIndex = 300;
    uint32_t c = Grey(5);
    EXPECT_EQ(kv::PickColorByShift(c), 1);
    EXPECT_EQ(c, 0u);

    chooser->shift = true;
    chooser->systemColour = ColorOf(9, 8, 7);
    EXPECT_EQ(list.PickAndInsert(0), 0);
    EXPECT_EQ(list.GetColorAt(0), ColorOf(9, 8, 7));
    EXPECT_EQ(list.PickAndAppend(), 4);
    chooser->accept = false;
    c = Grey(5);
    EXPECT_EQ(kv::PickColorByShift(c), 0);
    EXPECT_EQ(c, Grey(5));
    EXPECT_EQ(chooser->offeredColour, Grey(5));
    EXPECT_EQ(list.PickStopColorAt(50, 0), 2);
}

TEST(ColorListArchive, BytesOfASmallList)
{
    CColorList list = MakeList({ColorOf(255, 0, 0), ColorOf(0, 255, 0)}, 1, 1.0);
    list.Stop(0).SetName("a");
    const std::vector<uint8_t> expected = {
        0x01, 0x01, 0, 0,                         // version 257
        0x01, 0, 0, 0,                            // mode 1
        0, 0, 0, 0, 0, 0, 0xF0, 0x3F,             // exponent 1.0
        0x02, 0, 0, 0,                            // two stops
        0x00, 0x01, 0, 0, 0x01, 'a', 0xFF, 0, 0, 0, // mark 256, "a", red
        0x00, 0x01, 0, 0, 0x00, 0, 0xFF, 0, 0,    // mark 256, "", green
    };
    EXPECT_EQ(Store(list), expected);

    CColorList back;
    Load(back, expected);
    EXPECT_TRUE(back.Equals(list));
    EXPECT_EQ(back.Stop(0).Name(), "a");

    // Version 256: bare colours, names empty.
    const std::vector<uint8_t> old = {0x00, 0x01, 0, 0, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x40,
                                      0x01, 0, 0, 0, 0x10, 0x20, 0x30, 0};
    Load(back, old);
    EXPECT_EQ(back.GetSize(), 1);
    EXPECT_EQ(back.GetColorAt(0), ColorOf(0x10, 0x20, 0x30));
    EXPECT_EQ(back.GetExponent(), 2.0);
    EXPECT_EQ(back.Stop(0).Name(), "");
}

// A stop is 0x00BBGGRR: a top byte in the record is dropped on loading, as the list's text
// form drops it; the mode keeps the two bits the text form reads (a document carries its
// climate lists in both forms, and fuzzed ones whose binary list had either stored other
// bytes after a second load).
TEST(ColorListArchive, AStopsTopByteAndTheModesHighBitsAreDroppedOnLoading)
{
    const std::vector<uint8_t> current = {
        0x01, 0x01, 0, 0, 0x01, 0, 0, 0x50, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 0x01, 0, 0, 0, // mode 0x50000001
        0x00, 0x01, 0, 0, 0x00, 0x45, 0x87, 0x9D, 0x92, // mark, "", colour 0x929D8745
    };
    const std::vector<uint8_t> bare = {0x00, 0x01, 0, 0, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F,
                                       0x01, 0, 0, 0, 0x45, 0x87, 0x9D, 0xFF};
    for (const std::vector<uint8_t>* bytes : {&current, &bare}) {
        CColorList list;
        Load(list, *bytes);
        ASSERT_EQ(list.GetSize(), 1);
        EXPECT_EQ(list.GetColorAt(0), 0x9D8745u);
        EXPECT_EQ(list.GetInterpolation(), CColorList::kLinear);
        CColorList again;
        Load(again, Store(list));
        EXPECT_EQ(Store(again), Store(list));
    }
}

TEST(ColorListArchive, DamagedRecordsRaiseAndLeaveTheListAlone)
{
    CColorList source = MakeList({ColorOf(255, 0, 0), ColorOf(0, 255, 0), Grey(3)}, 1, 1.0);
    source.Stop(1).SetName("name");
    const std::vector<uint8_t> good = Store(source);
    const CColorList before = MakeList({Grey(42)}, 0, 3.0);

    auto expectRaises = [&](std::vector<uint8_t> bytes, const char* what) {
        CColorList list = before;
        EXPECT_THROW(Load(list, bytes), kv::CArchiveException) << what;
        EXPECT_TRUE(list.Equals(before)) << what;
    };
    for (size_t n = 0; n < good.size(); ++n)
        expectRaises(std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(n)), "truncated");

    std::vector<uint8_t> bad = good;
    bad[20] = 0x02; // first stop's mark 258
    expectRaises(bad, "bad mark");
    bad = good;
    bad[16] = 0xFF, bad[17] = 0xFF, bad[18] = 0xFF, bad[19] = 0xFF; // count -1
    expectRaises(bad, "negative count");
    bad = good;
    bad[19] = 0x40; // count about a billion
    expectRaises(bad, "huge count");
    bad = good;
    bad[16] = 0x7F; // more stops than bytes
    expectRaises(bad, "count beyond the data");
    bad = good;
    bad[0] = 0x02; // version 258
    expectRaises(bad, "unknown version");

    // NaN exponent in a file is taken as 1.
    bad = good;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::memcpy(&bad[8], &nan, 8);
    CColorList list;
    Load(list, bad);
    EXPECT_EQ(list.GetExponent(), 1.0);
}

TEST(ColorListArchive, RandomBytesNeverCrash)
{
    uint32_t state = 12345;
    auto next = [&] { return state = state * 1664525u + 1013904223u; };
    for (int round = 0; round < 2000; ++round) {
        std::vector<uint8_t> bytes(next() % 64);
        for (auto& b : bytes)
            b = static_cast<uint8_t>(next() >> 24);
        if (bytes.size() >= 4 && (round & 1)) {
            bytes[0] = 0x01, bytes[1] = 0x01, bytes[2] = 0, bytes[3] = 0; // a valid version
            if (bytes.size() >= 20)
                bytes[17] = bytes[18] = bytes[19] = 0;
        }
        CColorList list = MakeList({Grey(1)}, 2);
        try {
            Load(list, bytes);
            (void)list.Interpolate(0.37);
        } catch (const kv::CArchiveException&) {
            EXPECT_EQ(list.GetSize(), 1);
        }
    }
}

namespace {

std::string TextOf(const CColorList& list)
{
    kv::CTokenizer spelling;
    std::FILE* f = std::tmpfile();
    EXPECT_NE(f, nullptr);
    EXPECT_EQ(list.WriteText(f, spelling), 0);
    std::string text(static_cast<size_t>(std::ftell(f)), '\0');
    std::rewind(f);
    EXPECT_EQ(std::fread(text.data(), 1, text.size(), f), text.size());
    std::fclose(f);
    return text;
}

// Reads a colour list from `text` as a settings file; returns ReadText's result and
// the token it left current.
std::pair<int, int> ReadFromText(CColorList& list, const std::string& text, const std::string& fileName)
{
    std::filesystem::create_directories(KV_TEST_BINARY_DIR);
    const std::string path = std::string(KV_TEST_BINARY_DIR) + "/" + fileName;
    std::ofstream(path, std::ios::binary) << text;
    kv::CTokenizer tok;
    EXPECT_EQ(tok.Open(path, false), 0);
    const int result = list.ReadText(tok);
    const int token = tok.GetToken();
    std::filesystem::remove(path);
    return {result, token};
}

} // namespace

TEST(ColorListText, WrittenFormAndRoundTrip)
{
    CColorList list = MakeList({ColorOf(255, 0, 0), ColorOf(0, 128, 64), ColorOf(1, 2, 3), ColorOf(9, 9, 9)}, 1, 0.5);
    list.Stop(0).SetName("red");
    list.Stop(1).SetName("say \"5, 6, 7\"");
    list.Stop(2).SetName("it's \"8\"");
    list.Stop(3).SetName("two\nlines 10");
    const std::string text = TextOf(list);
    EXPECT_EQ(text, "ColorList\n"
                    "Gamma 0.50000\n"
                    "Mode 1\n"
                    "Data\n"
                    " 255,   0,   0,\"red\"\n"
                    "   0, 128,  64,'say \"5, 6, 7\"'\n"
                    "   1,   2,   3,\"it's '8'\"\n"
                    "   9,   9,   9,\"two lines 10\"\n"
                    "ColorListEnd\n");

    // What the text holds comes back: stops, mode and exponent (names are not read).
    CColorList back;
    auto [result, token] = ReadFromText(back, "AltColor " + text + "SeaLevel 3\n", "colorlist-roundtrip.txt");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(token, kv::kw::ColorListEnd);
    ASSERT_EQ(back.GetSize(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(back.GetColorAt(i), list.GetColorAt(i)) << i;
    EXPECT_EQ(back.GetInterpolation(), 1);
    EXPECT_EQ(back.GetExponent(), 0.5);
}

// An exponent that five places would round is written with the places it needs to read back.
TEST(ColorListText, TheExponentReadsBackExactly)
{
    for (double exponent : {1.0 / 3.0, 1.2345678901, 0.1 + 0.2}) {
        CColorList list = MakeList({ColorOf(1, 2, 3), ColorOf(4, 5, 6)}, 1, exponent);
        CColorList back;
        auto [result, token] = ReadFromText(back, "AltColor " + TextOf(list) + "SeaLevel 3\n", "colorlist-exponent.txt");
        ASSERT_EQ(result, 0);
        EXPECT_EQ(back.GetExponent(), list.GetExponent()) << TextOf(list);
        EXPECT_EQ(TextOf(back), TextOf(list));
    }
}

TEST(ColorListText, ReadingRules)
{
    struct Case {
        const char* what;
        const char* text;
        int result;
        std::vector<uint32_t> stops;
        int mode;
        double exponent;
    };
    const Case cases[] = {
        {"keywords in any case, expressions, channels modulo 256",
         "colorlist\nGAMMA 2/4\nmode 7\ndata\n100+55, 3*2, 300 \"x\"\n 1 2 3\ncolorlistend\n", 0,
         {ColorOf(155, 6, 44), ColorOf(1, 2, 3)}, 3, 0.5},
        {"no leading ColorList; unknown words skipped", "Foo 3 Mode 0 Data 7,7,7 ColorListEnd", 0,
         {Grey(7)}, 0, 1.0},
        {"end of text keeps what was read", "ColorList Data 1,1,1, \"a\" 2,2,2", -1, {Grey(1), Grey(2)}, 2, 1.0},
        {"an unreadable Gamma or Mode leaves the value", "Gamma what Mode ) Data ColorListEnd", 0, {}, 2, 1.0},
        {"an overflowing Gamma leaves the value", "Gamma 1e400 Mode 1 Data ColorListEnd", 0, {}, 1, 1.0},
        {"Data empties the list", "Data ColorListEnd", 0, {}, 2, 1.0},
        {"end before Data", "Gamma 3", -1, {Grey(42)}, 2, 3.0},
    };
    int n = 0;
    for (const Case& c : cases) {
        CColorList list = MakeList({Grey(42)}, 2);
        auto [result, token] = ReadFromText(list, c.text, "colorlist-rules-" + std::to_string(n++) + ".txt");
        EXPECT_EQ(result, c.result) << c.what;
        ASSERT_EQ(list.GetSize(), static_cast<int>(c.stops.size())) << c.what;
        for (size_t i = 0; i < c.stops.size(); ++i)
            EXPECT_EQ(list.GetColorAt(static_cast<int>(i)), c.stops[i]) << c.what;
        EXPECT_EQ(list.GetInterpolation(), c.mode) << c.what;
        EXPECT_EQ(list.GetExponent(), c.exponent) << c.what;
    }
}

TEST(ColorListText, RandomTextNeverCrashes)
{
    uint32_t state = 99;
    auto next = [&] { return state = state * 1664525u + 1013904223u; };
    const char* pieces[] = {"ColorList", "Data", "Mode", "Gamma", "ColorListEnd", ",", "\"", "'", "(", ")",
                            "-",         "+",    "/",    "*",     "12",           "1e", "300", ".", "\n", " ",
                            "az",        "Bias", "9d30m", "\x01", "0.5"};
    for (int round = 0; round < 300; ++round) {
        std::string text;
        const int count = static_cast<int>(next() % 40);
        for (int i = 0; i < count; ++i) {
            text += pieces[next() % (sizeof pieces / sizeof pieces[0])];
            if (next() % 3 == 0)
                text += ' ';
        }
        CColorList list;
        auto [result, token] = ReadFromText(list, text, "colorlist-random.txt");
        EXPECT_TRUE(result == 0 || result == -1);
        (void)token;
        (void)list.Interpolate(0.4);
    }
}
