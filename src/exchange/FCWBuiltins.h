// The drawing template and the three blocks the export places when no custom template is
// given: generated here from the record types the export itself writes, in sheet units
// (a 1000 x 800 sheet, y upwards).
//
// Template (61,832 bytes): the 128-byte header, settings records of subtypes 0, 2 to 9, 16
// and 17 (the layer table holds the export's fifteen layers and layers 0 and 1), the sheet
// frame and a padding text. Blocks: a group holding polylines and texts, the last text
// padded so that each block has its stated size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kv::fcw {

constexpr std::size_t kTemplateSize = 61832;
constexpr std::size_t kTitleBlockSize = 18876;
constexpr std::size_t kLinkPanelSize = 15540;
constexpr std::size_t kBorderSymbolSize = 2500;

struct LayerName {
    const char* name;
    int number;
};
// The layers of the built-in template, in table order.
constexpr LayerName kLayers[] = {
    {"0", 0},
    {"MAP NOTES", 1},
    {"COAST/SEA", 4},
    {"WATER/RIVERS", 6},
    {"MAP BORDER", 9},
    {"RELIEF/CONTOURS", 25},
    {"HEX/SQUARE GRID", 31},
    {"RAINFALL", 258},
    {"TEMPERATURE", 259},
    {"CLIMATE", 260},
    {"MAP LINKS", 262},
    {"CONTOUR OUTLINES", 263},
    {"SCALE BAR", 264},
    {"CBAR ALTITUDE", 265},
    {"CBAR TEMPERATURE", 266},
    {"CBAR RAINFALL", 267},
    {"CBAR CLIMATE", 268},
};

const std::vector<uint8_t>& BuiltinTemplate();
const std::vector<uint8_t>& TitleBlock();
const std::vector<uint8_t>& LinkPanel();
const std::vector<uint8_t>& BorderSymbol();

// The buttons of the link panel, in sheet units: where an atlas puts its links to the
// neighbouring maps and to the parent map.
enum LinkButton { kLinkLeft, kLinkRight, kLinkUp, kLinkDown, kLinkParent, kLinkButtons };
struct SheetBox {
    float x0, y0, x1, y1;
};
SheetBox LinkPanelButton(LinkButton which);

} // namespace kv::fcw
