#include "exchange/FCWBuiltins.h"

#include "exchange/FCWRecords.h"

#include <cassert>
#include <cstring>
#include <initializer_list>
#include <string>

namespace kv::fcw {

namespace {

constexpr int kBorderLayer = 9;
constexpr uint8_t kBlack = 0;

// Builds records with entity numbers from 1 upwards.
struct Block {
    std::vector<uint8_t> bytes;
    uint32_t number = 1;

    EntityHeader Header(int layer = kBorderLayer)
    {
        EntityHeader h;
        h.lineColour = kBlack;
        h.fillColour = kBlack;
        h.layer = static_cast<int16_t>(layer);
        h.number = number++;
        return h;
    }
    void Line(std::initializer_list<float> xy, bool filled = false)
    {
        PutPolyline(bytes, Header(), std::data(xy), static_cast<int>(xy.size() / 2), filled);
    }
    void Box(float x0, float y0, float x1, float y1) { Line({x0, y0, x1, y0, x1, y1, x0, y1, x0, y0}); }
    void Text(float x, float y, float height, int16_t font, const std::string& text)
    {
        fcw::PutText(bytes, Header(), x, y, height, font, text);
    }
    // The last text, padded with blanks so that the block ends at `size` bytes once
    // `tail` more bytes follow it.
    void PadText(float x, float y, float height, const std::string& text, std::size_t size, std::size_t tail)
    {
        const std::size_t used = bytes.size() + kTextFixed + tail;
        assert(used + text.size() <= size);
        std::string padded = text;
        padded.resize(size - used, ' ');
        Text(x, y, height, 4, padded);
    }
    void OpenGroup()
    {
        PutGroup(bytes, Header());
        PutMarker(bytes, kOpenList);
    }
    void CloseGroup() { PutMarker(bytes, kCloseList); }
};

std::vector<uint8_t> MakeTemplate()
{
    Block b;
    b.bytes.assign(kHeaderSize, 0);
    std::memcpy(b.bytes.data(), kSignature, std::strlen(kSignature));
    auto settings = [&](uint8_t subtype, std::size_t length) {
        const std::size_t start = b.bytes.size();
        b.bytes.resize(start + length, 0);
        SetU32(b.bytes.data() + start, static_cast<uint32_t>(length));
        b.bytes[start + 4] = kSettings;
        b.bytes[start + 5] = subtype;
        return start;
    };
    // Extents and view of the bare sheet.
    std::size_t at = settings(kExtentsSubtype, 60);
    SetF32(b.bytes.data() + at + 44, 1000.0f);
    SetF32(b.bytes.data() + at + 48, 800.0f);
    at = settings(kViewSubtype, 74);
    SetF32(b.bytes.data() + at + 58, 1050.0f);
    SetF32(b.bytes.data() + at + 62, 840.0f);
    SetF32(b.bytes.data() + at + 66, 500.0f);
    SetF32(b.bytes.data() + at + 70, 400.0f);
    // The layer table.
    std::vector<uint8_t> entries;
    for (const LayerName& layer : kLayers) {
        const std::size_t entryLength = 10 + std::strlen(layer.name) + 1;
        PutU32(entries, static_cast<uint32_t>(entryLength));
        PutI16(entries, static_cast<int16_t>(layer.number));
        PutU32(entries, 0);
        PutText(entries, layer.name);
    }
    PutU32(entries, 0);
    at = settings(kLayerTableSubtype, 16 + entries.size());
    std::memcpy(b.bytes.data() + at + 16, entries.data(), entries.size());
    for (uint8_t subtype : {4, 5, 6, 7, 8, 9, 16, 17})
        settings(subtype, 16);
    // The sheet frame and the padding text.
    b.Box(0.0f, 0.0f, 1000.0f, 800.0f);
    b.PadText(10.0f, 790.0f, 2.0f, "Kelvane Pro drawing sheet", kTemplateSize, 0);
    assert(b.bytes.size() == kTemplateSize);
    return b.bytes;
}

std::vector<uint8_t> MakeTitleBlock()
{
    Block b;
    b.OpenGroup();
    b.Box(10.0f, 10.0f, 341.578f, 90.0f);
    b.Line({10.0f, 30.0f, 341.578f, 30.0f});
    b.Line({10.0f, 65.0f, 341.578f, 65.0f});
    b.Line({175.789f, 10.0f, 175.789f, 30.0f});
    b.Text(14.0f, 74.0f, 8.0f, 4, "Title");
    b.Text(14.0f, 16.0f, 6.0f, 5, "Drawn with Kelvane Pro");
    b.PadText(179.789f, 16.0f, 6.0f, "Sheet 1 of 1", kTitleBlockSize, kMarkerLength);
    b.CloseGroup();
    assert(b.bytes.size() == kTitleBlockSize);
    return b.bytes;
}

constexpr SheetBox kButtons[kLinkButtons] = {
    {850.0f, 30.0f, 880.0f, 60.0f},  // left
    {920.0f, 30.0f, 950.0f, 60.0f},  // right
    {885.0f, 62.0f, 915.0f, 88.0f},  // up
    {885.0f, 12.0f, 915.0f, 28.0f},  // down
    {885.0f, 32.0f, 915.0f, 58.0f},  // parent (the middle)
};

std::vector<uint8_t> MakeLinkPanel()
{
    Block b;
    b.OpenGroup();
    b.Box(840.0f, 10.0f, 990.0f, 90.0f);
    for (const SheetBox& s : kButtons)
        b.Box(s.x0, s.y0, s.x1, s.y1);
    // Arrows on the four direction buttons.
    b.Line({875.0f, 38.0f, 855.0f, 45.0f, 875.0f, 52.0f}, true);
    b.Line({925.0f, 38.0f, 945.0f, 45.0f, 925.0f, 52.0f}, true);
    b.Line({892.0f, 67.0f, 900.0f, 84.0f, 908.0f, 67.0f}, true);
    b.Line({892.0f, 26.0f, 900.0f, 14.0f, 908.0f, 26.0f}, true);
    b.Text(955.0f, 74.0f, 6.0f, 5, "Maps");
    b.PadText(889.0f, 42.0f, 6.0f, "Up", kLinkPanelSize, kMarkerLength);
    b.CloseGroup();
    assert(b.bytes.size() == kLinkPanelSize);
    return b.bytes;
}

std::vector<uint8_t> MakeBorderSymbol()
{
    Block b;
    b.OpenGroup();
    // A north arrow in the sheet's upper right corner.
    b.Line({960.0f, 740.0f, 970.0f, 775.0f, 980.0f, 740.0f, 970.0f, 750.0f, 960.0f, 740.0f}, true);
    b.Line({970.0f, 730.0f, 970.0f, 785.0f});
    b.PadText(966.0f, 780.0f, 8.0f, "N", kBorderSymbolSize, kMarkerLength);
    b.CloseGroup();
    assert(b.bytes.size() == kBorderSymbolSize);
    return b.bytes;
}

} // namespace

const std::vector<uint8_t>& BuiltinTemplate()
{
    static const std::vector<uint8_t> bytes = MakeTemplate();
    return bytes;
}

const std::vector<uint8_t>& TitleBlock()
{
    static const std::vector<uint8_t> bytes = MakeTitleBlock();
    return bytes;
}

const std::vector<uint8_t>& LinkPanel()
{
    static const std::vector<uint8_t> bytes = MakeLinkPanel();
    return bytes;
}

const std::vector<uint8_t>& BorderSymbol()
{
    static const std::vector<uint8_t> bytes = MakeBorderSymbol();
    return bytes;
}

SheetBox LinkPanelButton(LinkButton which)
{
    return kButtons[which];
}

} // namespace kv::fcw
