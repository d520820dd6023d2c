// Damaged export definitions (".xpt") and drawing templates: a definition either loads
// (and then saves and loads back to the same values) or is refused with -2 leaving the
// definition as it was, without a huge allocation; a template either passes the checks
// (and then every reader and the placement transform stay inside it) or is refused with a
// reason. Cases: truncations, crafted counts and lengths, then seeded random edits.
#include "ArchiveBytes.h"
#include "exchange/FCWBuiltins.h"
#include "exchange/FCWRecords.h"
#include "exchange/PW2Output.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

using namespace kv;
namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

namespace {

constexpr int kRandomCases = 600;

std::string Scratch(const std::string& name)
{
    static const fs::path dir = [] {
        fs::path p = fs::temp_directory_path() / ("kv_malformed_drawing_" + std::to_string(getpid()));
        fs::create_directories(p);
        return p;
    }();
    return (dir / name).string();
}

void WriteFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A definition with a title, a template path, two levels and a grid.
PW2Output Sample()
{
    PW2Output p;
    p.mapTitle = "Sample";
    p.templatePath = "sheet.fcw";
    ContourDef d;
    d.altitude = 100.0;
    d.name = "low";
    p.contours.InsertSorted(d);
    d.altitude = 900.0;
    d.name = "high";
    p.contours.InsertSorted(d);
    p.grid.grids.resize(2);
    return p;
}

// The definition every loading case starts from (different from Sample in every member
// a file can hold).
PW2Output Before()
{
    PW2Output p;
    p.resolution = 3;
    p.mapTitle = "before";
    p.seaSmoothRadius = 9.0f;
    ContourDef d;
    d.altitude = -5.0;
    p.contours.InsertSorted(d);
    return p;
}

// Loads `bytes` from a file; the definition is unchanged unless it loaded, and what
// loaded saves and loads back to the same values.
void CheckLoad(const Bytes& bytes, const std::string& what)
{
    const std::string path = Scratch("case.xpt");
    WriteFile(path, bytes);
    PW2Output p = Before();
    const int result = p.LoadFromFile(path);
    if (result != 0) {
        EXPECT_EQ(result, -2) << what;
        EXPECT_TRUE(p.SameValues(Before())) << what;
        return;
    }
    const std::string again = Scratch("again.xpt");
    ASSERT_EQ(p.SaveToFile(again), 0) << what;
    PW2Output q;
    ASSERT_EQ(q.LoadFromFile(again), 0) << what;
    // Compared as bytes: an edit may have made a float not a number.
    EXPECT_EQ(StoreBytes(q), StoreBytes(p)) << what;
}

// A template that passes the checks is read and placed without leaving its bytes.
void CheckTemplate(const Bytes& bytes, const std::string& what)
{
    if (!fcw::CheckTemplate(bytes).empty())
        return;
    Bytes copy = bytes;
    fcw::FindLayer(copy, "MAP BORDER");
    fcw::PatchSettings(copy, 100.0f, 80.0f);
    Bytes placed;
    fcw::TransformRecords(copy.data() + fcw::FirstRecord(copy), copy.size() - fcw::FirstRecord(copy), 2.0, 1.0, 1.0,
                          9, placed);
    EXPECT_EQ(placed.size(), copy.size() - fcw::FirstRecord(copy)) << what;
}

} // namespace

TEST(MalformedDrawing, TruncatedDefinitionsAreRefused)
{
    PW2Output sample = Sample();
    const Bytes full = StoreBytes(sample);
    for (std::size_t n = 0; n < full.size(); ++n) {
        Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
        CheckLoad(cut, "cut at " + std::to_string(n));
        const std::string path = Scratch("cut.xpt");
        WriteFile(path, cut);
        PW2Output p = Before();
        EXPECT_EQ(p.LoadFromFile(path), -2) << n;
    }
}

// Counts below 0 or beyond what the bytes left can hold are refused before anything is
// allocated: the contour list's (57 bytes a level) and the grid's.
TEST(MalformedDrawing, HugeCountsAreRefused)
{
    PW2Output sample = Sample();
    Bytes full = StoreBytes(sample);
    // The contour list follows the 18 words of step 6: find its 256 and count.
    std::size_t list = 0;
    for (std::size_t at = 4; at + 8 <= full.size(); ++at)
        if (full[at] == 0x00 && full[at + 1] == 0x01 && full[at + 2] == 0 && full[at + 3] == 0 && full[at + 4] == 2 &&
            full[at + 5] == 0 && full[at + 6] == 0 && full[at + 7] == 0) {
            list = at;
            break;
        }
    ASSERT_NE(list, 0u);
    for (int32_t count : {-1, 1000, 0x7FFFFFFF, static_cast<int32_t>(0x80000000)}) {
        Bytes bad = full;
        std::memcpy(bad.data() + list + 4, &count, 4);
        CheckLoad(bad, "contour count " + std::to_string(count));
        const std::string path = Scratch("count.xpt");
        WriteFile(path, bad);
        PW2Output p = Before();
        EXPECT_EQ(p.LoadFromFile(path), -2) << count;
    }
}

TEST(MalformedDrawing, RandomDefinitionEdits)
{
    PW2Output sample = Sample();
    const Bytes full = StoreBytes(sample);
    std::mt19937 rng(2911);
    for (int k = 0; k < kRandomCases; ++k) {
        Bytes bad = full;
        const int edits = 1 + static_cast<int>(rng() % 4);
        for (int e = 0; e < edits; ++e)
            bad[rng() % bad.size()] = static_cast<uint8_t>(rng());
        CheckLoad(bad, "random case " + std::to_string(k));
    }
}

// Each departure from the format gives its reason; the built-in template passes.
TEST(MalformedDrawing, TemplateRecordsOutsideTheirBounds)
{
    const Bytes& t = fcw::BuiltinTemplate();
    ASSERT_EQ(fcw::CheckTemplate(t), "");
    // The first record after the header is the extents record; then the view record; the
    // layer table third.
    const std::size_t extents = fcw::kHeaderSize;
    const std::size_t view = extents + fcw::GetU32(t.data() + extents);
    const std::size_t layers = view + fcw::GetU32(t.data() + view);
    ASSERT_EQ(t[layers + 5], fcw::kLayerTableSubtype);
    // The sheet frame: the first polyline.
    std::size_t frame = layers;
    while (t[frame + 4] != fcw::kPolyline || fcw::GetU32(t.data() + frame) <= fcw::kMarkerLength)
        frame += fcw::GetU32(t.data() + frame);

    struct Case {
        const char* what;
        std::size_t at;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"length below 5", extents, {4, 0, 0, 0}},
        {"length beyond the file", extents, {0xFF, 0xFF, 0xFF, 0x7F}},
        {"extents record too short for its fields", extents, {59, 0, 0, 0}},
        {"layer entry beyond its record", layers + 16, {0xFF, 0x7F, 0, 0}},
        {"layer entry too short for a name", layers + 16, {10, 0, 0, 0}},
        {"polyline with more points than its record", frame + 38, {0xFF, 0x00}},
        {"polyline with a negative count", frame + 38, {0xFF, 0xFF}},
    };
    for (const Case& c : cases) {
        Bytes bad = t;
        std::copy(c.bytes.begin(), c.bytes.end(), bad.begin() + static_cast<std::ptrdiff_t>(c.at));
        EXPECT_NE(fcw::CheckTemplate(bad), "") << c.what;
        CheckTemplate(bad, c.what);
    }
    // A name that runs to the end of its entry without its NUL.
    Bytes noNul = t;
    const uint32_t entry = fcw::GetU32(noNul.data() + layers + 16);
    noNul[layers + 16 + entry - 1] = 'X';
    EXPECT_NE(fcw::CheckTemplate(noNul), "");
    // Cut anywhere: refused unless the cut falls between records.
    for (std::size_t n = 0; n < t.size(); n += 37)
        CheckTemplate(Bytes(t.begin(), t.begin() + static_cast<std::ptrdiff_t>(n)), "cut " + std::to_string(n));
}

TEST(MalformedDrawing, RandomTemplateEdits)
{
    const Bytes& t = fcw::BuiltinTemplate();
    std::mt19937 rng(29);
    for (int k = 0; k < kRandomCases; ++k) {
        Bytes bad = t;
        const int edits = 1 + static_cast<int>(rng() % 6);
        // Most edits land in the settings records and the first entities, where the fields are.
        for (int e = 0; e < edits; ++e)
            bad[128 + rng() % 1200] = static_cast<uint8_t>(rng());
        CheckTemplate(bad, "random case " + std::to_string(k));
    }
}
