// FCW records as the export writes them, the built-in template and blocks, the template
// checks and the placement transform, all read back through the test's own reader.
#include "exchange/FCWBuiltins.h"
#include "exchange/FCWRecords.h"

#include "FCWReader.h"

#include <gtest/gtest.h>

#include <cstring>

namespace fcw = kv::fcw;

namespace {

// The built-in template followed by some records, read as one drawing.
fcwtest::Drawing ReadAfterTemplate(const std::vector<uint8_t>& records, uint32_t blockNumbers = 7999)
{
    std::vector<uint8_t> all = fcw::BuiltinTemplate();
    all.insert(all.end(), records.begin(), records.end());
    return fcwtest::Read(all, blockNumbers);
}

} // namespace

// Each built-in has exactly its stated size, reads without a problem, and the template
// passes the template checks with the fifteen export layers and layers 0 and 1.
TEST(FCWBuiltins, SizesLayersAndRecords)
{
    const std::vector<uint8_t>& t = fcw::BuiltinTemplate();
    ASSERT_EQ(t.size(), 61832u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(t.data()), 34), "FCW (FastCAD for Windows) 6.036i\r\n");
    EXPECT_EQ(fcw::CheckTemplate(t), "");
    const fcwtest::Drawing d = fcwtest::Read(t);
    EXPECT_TRUE(d.problems.empty()) << d.problems.front();
    const std::map<int, std::string> layers{{0, "0"},
                                            {1, "MAP NOTES"},
                                            {4, "COAST/SEA"},
                                            {6, "WATER/RIVERS"},
                                            {9, "MAP BORDER"},
                                            {25, "RELIEF/CONTOURS"},
                                            {31, "HEX/SQUARE GRID"},
                                            {258, "RAINFALL"},
                                            {259, "TEMPERATURE"},
                                            {260, "CLIMATE"},
                                            {262, "MAP LINKS"},
                                            {263, "CONTOUR OUTLINES"},
                                            {264, "SCALE BAR"},
                                            {265, "CBAR ALTITUDE"},
                                            {266, "CBAR TEMPERATURE"},
                                            {267, "CBAR RAINFALL"},
                                            {268, "CBAR CLIMATE"}};
    EXPECT_EQ(d.layers, layers);
    std::set<int> subtypes;
    for (const auto& r : d.records)
        if (r.type == 0)
            subtypes.insert(r.subtype);
    EXPECT_EQ(subtypes, (std::set<int>{0, 2, 3, 4, 5, 6, 7, 8, 9, 16, 17}));
    for (const auto& [number, name] : layers)
        EXPECT_EQ(fcw::FindLayer(t, name), number) << name;
    EXPECT_EQ(fcw::FindLayer(t, "map border"), 0); // case-sensitive
    EXPECT_EQ(fcw::FindLayer(t, "NO SUCH LAYER"), 0);

    struct Block {
        const std::vector<uint8_t>& bytes;
        std::size_t size;
    };
    for (const Block& b : {Block{fcw::TitleBlock(), 18876}, Block{fcw::LinkPanel(), 15540},
                           Block{fcw::BorderSymbol(), 2500}}) {
        EXPECT_EQ(b.bytes.size(), b.size);
        const fcwtest::Drawing bd = ReadAfterTemplate(b.bytes, 1000);
        EXPECT_TRUE(bd.problems.empty()) << bd.problems.front();
        EXPECT_EQ(bd.maxDepth, 1);
    }
}

// Byte layouts of the records the export writes, read back field by field.
TEST(FCWRecords, LayoutsReadBack)
{
    fcw::EntityHeader h;
    h.fillColour = 12;
    h.lineColour = 34;
    h.pen = 56;
    h.layer = 25;
    h.fillStyle = 2;
    h.filled = 1;
    h.number = 8000;
    std::vector<uint8_t> out;
    const float xy[6] = {1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.5f};
    fcw::PutPolyline(out, h, xy, 3, true);
    ASSERT_EQ(out.size(), 42u + 24u);
    h.number = 8001;
    fcw::PutGroup(out, h);
    fcw::PutMarker(out, fcw::kOpenList);
    h.number = 8002;
    fcw::PutText(out, h, 10.0f, 20.0f, 7.5f, 5, "1000");
    fcw::PutMarker(out, fcw::kCloseList);
    h.number = 8003;
    fcw::PutLinkArea(out, h, 1.0f, 2.0f, 3.0f, 4.0f, "LOADM $B00a0ff.fcw;");
    fcw::PutMapNotes(out, 8004, "Map exported from Kelvane Pro.\r\nSymbol Scale: 1.00");
    const std::vector<uint8_t> notes(out.end() - 113, out.end());
    EXPECT_EQ(fcwtest::U32(notes, 0), 113u);

    const fcwtest::Drawing d = ReadAfterTemplate(out);
    EXPECT_TRUE(d.problems.empty()) << d.problems.front();
    const auto polylines = d.Of(3, 25);
    ASSERT_EQ(polylines.size(), 1u);
    const fcwtest::Record& p = *polylines[0];
    EXPECT_EQ(p.fillColour, 12);
    EXPECT_EQ(p.lineColour, 34);
    EXPECT_EQ(p.pen, 56);
    EXPECT_EQ(p.fillStyle, 2);
    EXPECT_EQ(p.filled, 1);
    EXPECT_EQ(p.polygonFlag, 128);
    EXPECT_EQ(p.xy, std::vector<float>(xy, xy + 6));
    const auto texts = d.Of(5, 25);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0]->text, "1000");
    EXPECT_EQ(texts[0]->font, 5);
    EXPECT_EQ(texts[0]->height, 7.5f);
    const auto links = d.Of(10);
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0]->text, "LOADM $B00a0ff.fcw;");
    EXPECT_EQ(links[0]->xy, (std::vector<float>{1.0f, 2.0f, 3.0f, 4.0f}));
    const auto notesRecords = d.Of(129);
    ASSERT_EQ(notesRecords.size(), 1u);
    EXPECT_EQ(notesRecords[0]->number, 8004u);
}

// Extents and view records take the drawing's size; a template without them is left
// alone.
TEST(FCWRecords, PatchSettings)
{
    std::vector<uint8_t> t = fcw::BuiltinTemplate();
    fcw::PatchSettings(t, 2000.0f, 1600.0f);
    const fcwtest::Drawing d = fcwtest::Read(t);
    bool extents = false, view = false;
    for (const auto& r : d.records) {
        if (r.type != 0)
            continue;
        if (r.subtype == 0) {
            extents = true;
            EXPECT_EQ(fcwtest::F32(t, r.offset + 32), 0.0f);
            EXPECT_EQ(fcwtest::F32(t, r.offset + 44), 2000.0f);
            EXPECT_EQ(fcwtest::F32(t, r.offset + 48), 1600.0f);
            EXPECT_EQ(fcwtest::U32(t, r.offset + 56), 0u);
        } else if (r.subtype == 2) {
            view = true;
            EXPECT_FLOAT_EQ(fcwtest::F32(t, r.offset + 58), 2100.0f);
            EXPECT_FLOAT_EQ(fcwtest::F32(t, r.offset + 62), 1680.0f);
            EXPECT_EQ(fcwtest::F32(t, r.offset + 66), 1000.0f);
            EXPECT_EQ(fcwtest::F32(t, r.offset + 70), 800.0f);
        }
    }
    EXPECT_TRUE(extents && view);
    std::vector<uint8_t> bare(t.begin(), t.begin() + 128);
    fcw::PatchSettings(bare, 1.0f, 1.0f);
    EXPECT_EQ(bare, std::vector<uint8_t>(t.begin(), t.begin() + 128));
}

// The placement transform: coordinates times the scale plus the offset, sizes times the
// scale, the layer replaced, numbers, markers and everything else kept.
TEST(FCWRecords, TransformPlacesBlocks)
{
    const std::vector<uint8_t>& block = fcw::TitleBlock();
    std::vector<uint8_t> placed;
    fcw::TransformRecords(block.data(), block.size(), 2.0, 100.0, 50.0, 9, placed);
    ASSERT_EQ(placed.size(), block.size());
    const fcwtest::Drawing before = ReadAfterTemplate(block, 1000);
    const fcwtest::Drawing after = ReadAfterTemplate(placed, 1000);
    ASSERT_EQ(before.records.size(), after.records.size());
    for (std::size_t k = 0; k < before.records.size(); ++k) {
        const auto& a = before.records[k];
        const auto& b = after.records[k];
        EXPECT_EQ(a.type, b.type);
        EXPECT_EQ(a.number, b.number);
        if (a.length <= 5 || a.offset < fcw::kTemplateSize)
            continue;
        EXPECT_EQ(b.layer, 9);
        ASSERT_EQ(a.xy.size(), b.xy.size());
        for (std::size_t i = 0; i < a.xy.size(); ++i)
            EXPECT_FLOAT_EQ(b.xy[i], a.xy[i] * 2.0f + (i % 2 ? 50.0f : 100.0f));
        EXPECT_FLOAT_EQ(b.height, a.height * 2.0f);
        EXPECT_EQ(a.text, b.text);
    }
}

// The header check of custom templates, reason by reason.
TEST(FCWRecords, TemplateHeaderCheck)
{
    std::vector<uint8_t> t = fcw::BuiltinTemplate();
    struct Case {
        std::size_t at;
        uint8_t value;
        const char* reason;
    };
    const Case cases[] = {
        {0, 'X', "Not a PW2 file"},
        {27, '5', "Must be a Version 6.x PW2 file"},
        {48, 1, "Must be an uncompressed V6.x PW2 file"},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bad = t;
        bad[c.at] = c.value;
        EXPECT_EQ(fcw::CheckTemplateHeader(bad), c.reason);
    }
    EXPECT_EQ(fcw::CheckTemplateHeader(std::vector<uint8_t>(t.begin(), t.begin() + 127)), "Unable to read PW2 header");
}
