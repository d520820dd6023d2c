// Export definitions: the ".xpt" bytes of a default definition, older versions, round
// trips, deep copies, the contour list's operations and the file results.
#include "exchange/PW2Output.h"

#include "ArchiveBytes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

using kv::ContourDef;
using kv::ContourList;
using kv::PW2Output;

namespace {

int32_t Word(const std::vector<uint8_t>& b, std::size_t at)
{
    int32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

ContourDef Level(double altitude, const char* name = "")
{
    ContourDef d;
    d.altitude = altitude;
    d.name = name;
    return d;
}

// A definition with every member away from its default.
PW2Output Changed()
{
    PW2Output p;
    p.optionA = 2; p.optionB = 3; p.optionC = 4; p.imageWidth = 640; p.imageHeight = 480;
    p.drawingWidth = 1200; p.drawingHeight = 900; p.colorBarsOn = 1; p.scaleBarOn = 1; p.optionD = 5;
    p.linkPanelOn = 1; p.titleBlockOn = 1; p.mapTitle = "Outer Reaches"; p.borderScaleOn = 1;
    p.drawInMapUnits = 1; p.groupLevels = 1; p.borderSymbolOn = 1; p.contourLineOn = 0; p.contourFillOn = 0;
    p.altFillStyle = 2; p.contourFillColor = 0x123456; p.seaOnIntervals = 0; p.seaColorIntervals = 0xFF0000;
    p.seaPenIntervals = 35; p.resolution = 4; p.altContourMode = 1; p.altInterval = 250.0f; p.altParam2 = 1.5f;
    p.altParam3 = 2.5f; p.altParam4 = 3.5f; p.altMax = 8000.0f; p.altMin = -4000.0f; p.seaOnList = 1;
    p.seaColorList = 0x00FF00; p.seaPenList = 12; p.labelContours = 1; p.labelPlacement = 1; p.altContoursOn = 0;
    p.climateContoursOn = 1; p.rainContoursOn = 1; p.tempContoursOn = 0; p.seaLevelRelative = 1;
    p.separateOutlines = 1; p.tempLineOn = 0; p.tempFillOn = 1; p.tempFillColor = 7; p.tempInterval = 2.5f;
    p.rainLineOn = 0; p.rainFillOn = 1; p.rainFillColor = 9; p.rainInterval = 12.5f; p.seaSmoothRadius = 3.0f;
    p.templatePath = "/maps/sheet.fcw";
    ContourDef d = Level(500.0, "foothills");
    d.lineOn = 1; d.fillColor = 0x00AABB; d.penWidth = 70; d.labelOption2 = 3;
    p.contours.InsertSorted(d);
    p.contours.InsertSorted(Level(-200.0, "shelf"));
    p.grid.polarEndcap = 10.0;
    p.grid.grids.resize(1);
    p.grid.grids[0].show = 1;
    p.grid.grids[0].latSpacing = 15.0;
    return p;
}

std::string TempFile(const char* tag)
{
    return ::testing::TempDir() + "kv_xpt_" + std::to_string(::getpid()) + tag;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

// The default definition is 250 bytes: version 264, the reserved word after colorBarsOn
// 0, the empty title one byte, the defaults where the layout puts them.
TEST(PW2Output, DefaultBytes)
{
    PW2Output p;
    EXPECT_EQ(p.altContourMode, 0);
    EXPECT_EQ(p.labelContours, 0);
    EXPECT_EQ(p.labelPlacement, 0);
    p.colorBarsOn = 1;
    const std::vector<uint8_t> b = StoreBytes(p);
    ASSERT_EQ(b.size(), 250u);
    EXPECT_EQ(Word(b, 0), 264);
    EXPECT_EQ(Word(b, 8), 1);     // optionB
    EXPECT_EQ(Word(b, 32), 1);    // colorBarsOn
    EXPECT_EQ(Word(b, 36), 0);    // reserved
    EXPECT_EQ(b[56], 0);          // empty title
    EXPECT_EQ(Word(b, 93), 1);    // resolution, the last of the ten words after the title
    float interval;
    std::memcpy(&interval, b.data() + 101, 4);
    EXPECT_EQ(interval, 1000.0f);
    EXPECT_EQ(Word(b, 197), 256); // the contour list
    EXPECT_EQ(Word(b, 201), 0);
    EXPECT_EQ(Word(b, 205), 257); // the grid
}

// Round trip of every member, the contour list and the grid included.
TEST(PW2Output, RoundTrip)
{
    PW2Output written = Changed();
    PW2Output read;
    LoadBytes(read, StoreBytes(written));
    EXPECT_TRUE(read.SameValues(written));
    ASSERT_EQ(read.contours.Count(), 2);
    EXPECT_EQ(read.contours.At(0)->name, "shelf");
    EXPECT_EQ(read.contours.At(1)->penWidth, 70);
    EXPECT_FALSE(read.SameValues(PW2Output()));
}

// Version 258 sets everything up to the contour list and leaves the grid, the border
// symbol, the template, drawInMapUnits, seaLevelRelative and the sea smoothing alone; 257
// and below change nothing and still load.
TEST(PW2Output, OlderVersions)
{
    PW2Output source = Changed();
    source.grid = kv::CRectGrid();
    source.templatePath.clear();
    std::vector<uint8_t> b = StoreBytes(source);
    b.resize(b.size() - (28 + 4 + 1 + 4 + 4 + 4)); // grid, then the five later members
    b[0] = 2; // 258 = 0x102
    ASSERT_EQ(Word(b, 0), 258);

    const PW2Output before = Changed();
    PW2Output p = before;
    p.grid.polarEndcap = 45.0;
    LoadBytes(p, b);
    EXPECT_EQ(p.mapTitle, source.mapTitle);
    EXPECT_EQ(p.rainInterval, source.rainInterval);
    EXPECT_TRUE(p.contours.SameValues(source.contours));
    EXPECT_EQ(p.grid.polarEndcap, 45.0);
    EXPECT_EQ(p.templatePath, before.templatePath);
    EXPECT_EQ(p.borderSymbolOn, before.borderSymbolOn);
    EXPECT_EQ(p.drawInMapUnits, before.drawInMapUnits);
    EXPECT_EQ(p.seaLevelRelative, before.seaLevelRelative);
    EXPECT_EQ(p.seaSmoothRadius, before.seaSmoothRadius);

    b[0] = 1; // 257
    PW2Output untouched = Changed();
    LoadBytes(untouched, b);
    EXPECT_TRUE(untouched.SameValues(Changed()));
    const std::string path = TempFile("_257.xpt");
    WriteFile(path, b);
    EXPECT_EQ(untouched.LoadFromFile(path), 0);
    EXPECT_TRUE(untouched.SameValues(Changed()));
    std::remove(path.c_str());
}

// Strings stored in the wide form load as UTF-8.
TEST(PW2Output, WideTitleBecomesUtf8)
{
    PW2Output p;
    std::vector<uint8_t> b = StoreBytes(p);
    const std::vector<uint8_t> wide{0xFF, 0xFE, 0xFF, 0x02, 'S', 0x00, 0xFC, 0x00};
    b.erase(b.begin() + 56);
    b.insert(b.begin() + 56, wide.begin(), wide.end());
    PW2Output read;
    LoadBytes(read, b);
    EXPECT_EQ(read.mapTitle, "S\xC3\xBC");
    EXPECT_EQ(read.resolution, 1);
}

// Copies own their levels; assigning an object to itself changes nothing.
TEST(PW2Output, CopiesAreDeep)
{
    PW2Output a = Changed();
    PW2Output b = a;
    ASSERT_NE(a.contours.At(0), b.contours.At(0));
    b.contours.At(0)->altitude = 1.0;
    EXPECT_EQ(a.contours.At(0)->altitude, -200.0);
    PW2Output& self = a;
    a = self;
    EXPECT_TRUE(a.SameValues(Changed()));
}

// Saving and loading through files: a missing file is -1; a damaged file is -2 and
// leaves the definition as it was; a failed save leaves the target as it was.
TEST(PW2Output, Files)
{
    const std::string path = TempFile(".xpt");
    const PW2Output written = Changed();
    ASSERT_EQ(written.SaveToFile(path), 0);
    EXPECT_EQ(ReadFile(path), StoreBytes(const_cast<PW2Output&>(written)));
    PW2Output read;
    ASSERT_EQ(read.LoadFromFile(path), 0);
    EXPECT_TRUE(read.SameValues(written));

    std::vector<uint8_t> bytes = ReadFile(path);
    bytes.resize(150);
    WriteFile(path, bytes);
    PW2Output kept;
    EXPECT_EQ(kept.LoadFromFile(path), -2);
    EXPECT_TRUE(kept.SameValues(PW2Output()));

    EXPECT_EQ(kept.LoadFromFile(path + ".missing"), -1);
    EXPECT_EQ(written.SaveToFile("/nonexistent-folder/x.xpt"), -1);
    std::remove(path.c_str());
}

// The wizard: without one installed it is cancelled; Finish takes the edits back,
// Cancel leaves the settings.
TEST(PW2Output, RunWizard)
{
    struct Wizard : kv::ExportWizard {
        int answer = kFinished;
        int Run(PW2Output& s) override
        {
            s.resolution = 7;
            s.contours.InsertSorted(Level(3.0));
            return answer;
        }
    } wizard;
    PW2Output p;
    EXPECT_EQ(p.RunWizard(), 2);
    kv::ExportWizard* previous = kv::SetExportWizard(&wizard);
    wizard.answer = kv::ExportWizard::kCancelled;
    EXPECT_EQ(p.RunWizard(), 2);
    EXPECT_TRUE(p.SameValues(PW2Output()));
    wizard.answer = kv::ExportWizard::kFinished;
    EXPECT_EQ(p.RunWizard(), 1);
    EXPECT_EQ(p.resolution, 7);
    EXPECT_EQ(p.contours.Count(), 1);
    kv::SetExportWizard(previous);
}

// ---- contour levels ----

TEST(ContourList, SortedInsertFindAndRemove)
{
    ContourList list;
    for (double a : {100.0, -50.0, 300.0, 200.0})
        list.InsertSorted(Level(a));
    list.InsertSorted(Level(100.0, "twin")); // before the existing 100
    ASSERT_EQ(list.Count(), 5);
    EXPECT_EQ(list.At(1)->name, "twin");
    EXPECT_EQ(list.At(4)->altitude, 300.0);

    EXPECT_EQ(list.FindLevel(100.009, -1.0, 0), 1);  // negative tolerance: 0.01
    EXPECT_EQ(list.FindLevel(100.02, -1.0, 0), -1);
    EXPECT_EQ(list.FindLevel(100.0, 0.0, 2), 2);
    EXPECT_EQ(list.FindLevel(100.0, 0.0, -1), -1);

    struct Case {
        double from, to, step, tolerance;
        int removed;
    };
    const Case cases[] = {
        {-50.0, 250.0, 150.0, 0.5, 3},   // -50 and both 100s; 250 misses 200 and 300
        {-50.0, 250.0, 0.0, 0.5, 1},     // no step: `from` only
        {-50.0, 250.0, std::nan(""), 0.5, 1},
        {0.0, 1000.0, 100.0, 0.5, 4},    // 100, 100, 200, 300
    };
    for (const Case& c : cases) {
        ContourList l = list;
        EXPECT_EQ(l.RemoveSteps(c.from, c.to, c.step, c.tolerance), c.removed) << c.from << " " << c.step;
    }
    ContourList r = list;
    EXPECT_EQ(r.RemoveRange(100.0, 200.0), 3);
    EXPECT_EQ(r.Count(), 2);
    EXPECT_EQ(r.Clear(), 2);
}

// A list block of another version loads empty, whatever the list held; a level block of
// another version leaves the level as it was; counts the bytes cannot hold are refused.
TEST(ContourList, ArchiveForms)
{
    ContourList list;
    list.InsertSorted(Level(5.0, "a"));
    std::vector<uint8_t> b = StoreBytes(list);
    ASSERT_EQ(b.size(), 8u + 57u + 1u);
    EXPECT_EQ(Word(b, 8), 256);

    ContourList held = list;
    std::vector<uint8_t> other = b;
    other[0] = 0x01; // 257
    LoadBytes(held, other);
    EXPECT_EQ(held.Count(), 0);

    ContourDef d = Level(9.0, "kept");
    std::vector<uint8_t> level(b.begin() + 8, b.end());
    level[0] = 0x02;
    LoadBytes(d, level);
    EXPECT_EQ(d.name, "kept");

    for (int32_t count : {-1, 2, 0x7FFFFFFF}) {
        std::vector<uint8_t> bad = b;
        std::memcpy(bad.data() + 4, &count, 4);
        ContourList l;
        EXPECT_FALSE(TryLoadBytes(l, bad)) << count;
    }
}

TEST(ContourDef, EditStyleAndPenLabels)
{
    struct Editor : kv::ContourStyleEditor {
        int Edit(ContourDef& s) override
        {
            s.penWidth = 140;
            s.altitude = 1.0; // not a style member: not taken back
            return kOk;
        }
    } editor;
    ContourDef d = Level(50.0);
    EXPECT_EQ(d.Edit(), 2);
    kv::ContourStyleEditor* previous = kv::SetContourStyleEditor(&editor);
    EXPECT_EQ(d.Edit(), 1);
    EXPECT_EQ(d.penWidth, 140);
    EXPECT_EQ(d.altitude, 50.0);
    kv::SetContourStyleEditor(previous);

    EXPECT_EQ(kv::PenWidthLabel(14), "Hairline (0.14 mm)");
    EXPECT_EQ(kv::PenWidthLabel(15), "Thin (0.15 mm)");
    EXPECT_EQ(kv::PenWidthLabel(65), "Normal (0.65 mm)");
    EXPECT_EQ(kv::PenWidthLabel(130), "Thick (1.30 mm)");
    EXPECT_EQ(kv::PenWidthLabel(205), "Heavy (2.05 mm)");
}
