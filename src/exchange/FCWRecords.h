// Records of the FCW vector drawing format, as the drawing export writes and reads them.
//
// A file: 128 header bytes (the signature, then zeros), then records. Every record starts
// with a 32-bit length counting the whole record; a record of length 5 is a list marker
// (type byte 0 opens the sub-list of the group record before it, 1 closes it). Entity
// records share a 28-byte header:
//
//   0 uint32 length   4 uint8 type   5, 6 uint8 0   7 uint8 fill colour   8 uint8 line colour
//   9 uint8 pen width  10 int16 0    12 int16 layer  14 int16 fill style (0 solid, 2 hatched)
//   16 int16 0   18 int16 filled (1 filled and outlined)   20 int32 0   24 uint32 entity number
//
// Settings records have type 0 and a subtype byte at 5: 0 the drawing extents (floats at
// 32..52, a word at 56), 2 the view (floats at 58..70), 3 the layer table (entries from 16:
// int32 entry length, int16 layer number, four bytes, the NUL-terminated name from 10; the
// run ends at an entry length of 0 or less). All numbers little-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kv {

namespace fcw {

constexpr std::size_t kHeaderSize = 128;
constexpr const char* kSignature = "FCW (FastCAD for Windows) 6.036i\r\n";
constexpr std::size_t kEntityHeaderSize = 28;
constexpr uint32_t kMarkerLength = 5;
constexpr uint8_t kOpenList = 0;
constexpr uint8_t kCloseList = 1;

enum EntityType : uint8_t {
    kSettings = 0,
    kPolyline = 3,
    kText = 5,
    kLinkArea = 10,
    kGroup = 17,
    kMapNotes = 129,
};

constexpr uint8_t kExtentsSubtype = 0;
constexpr uint8_t kViewSubtype = 2;
constexpr uint8_t kLayerTableSubtype = 3;

constexpr std::size_t kPolylineFixed = 42;   // + 8 per point
constexpr std::size_t kTextFixed = 61;       // + text length
constexpr std::size_t kLinkAreaFixed = 77;   // + command length
constexpr std::size_t kGroupLength = 30;
constexpr std::size_t kMapNotesFixed = 63;   // + note length
constexpr int kMaxPolylinePoints = 32767;
constexpr int16_t kFilledPolygonFlag = 128;

// Attributes of the entity header.
struct EntityHeader {
    uint8_t type = kPolyline;
    uint8_t fillColour = 0;
    uint8_t lineColour = 0;
    uint8_t pen = 0;
    int16_t layer = 0;
    int16_t fillStyle = 0;
    int16_t filled = 0;
    uint32_t number = 0;
};

// Little-endian appends.
void PutU8(std::vector<uint8_t>& out, uint8_t v);
void PutI16(std::vector<uint8_t>& out, int16_t v);
void PutU32(std::vector<uint8_t>& out, uint32_t v);
void PutF32(std::vector<uint8_t>& out, float v);
void PutText(std::vector<uint8_t>& out, const std::string& text); // with its NUL

uint32_t GetU32(const uint8_t* p);
int16_t GetI16(const uint8_t* p);
float GetF32(const uint8_t* p);
void SetF32(uint8_t* p, float v);
void SetI16(uint8_t* p, int16_t v);
void SetU32(uint8_t* p, uint32_t v);

// The 28-byte header of a record of `length` bytes.
void PutEntityHeader(std::vector<uint8_t>& out, uint32_t length, const EntityHeader& h);
// Whole records, appended to `out`.
void PutMarker(std::vector<uint8_t>& out, uint8_t which);
void PutPolyline(std::vector<uint8_t>& out, const EntityHeader& h, const float* xy, int count, bool filledPolygon);
void PutText(std::vector<uint8_t>& out, const EntityHeader& h, float x, float y, float height, int16_t font,
             const std::string& text);
void PutGroup(std::vector<uint8_t>& out, const EntityHeader& h);
void PutLinkArea(std::vector<uint8_t>& out, const EntityHeader& h, float x0, float y0, float x1, float y1,
                 const std::string& command);
void PutMapNotes(std::vector<uint8_t>& out, uint32_t number, const std::string& note);

// The header check of a drawing template: 128 bytes, "FCW " first, "FCW (FastCAD for
// Windows) 6." as the first 28 bytes, byte 48 zero (uncompressed). Empty when it passes,
// else the reason.
std::string CheckTemplateHeader(const std::vector<uint8_t>& bytes);

// Offset of the first record: 128 when the data starts with "FCW (FastCAD", else 0.
std::size_t FirstRecord(const std::vector<uint8_t>& bytes);

// A template the export can use: header check passed; every record from 128 at least 5
// bytes long and inside the file, the records summing to the file's size; the settings
// and entity fields the export reads or moves inside their record (layer table entries
// and their NUL-terminated names, polyline points). Empty when usable, else the reason.
std::string CheckTemplate(const std::vector<uint8_t>& bytes);

// Layer number of `name` in the template's layer table (exact, case-sensitive), or 0.
int FindLayer(const std::vector<uint8_t>& bytes, const std::string& name);
// The extents record becomes (0, 0, 0) .. (width, height, 0) with word 0; the view
// record 1.05 times the drawing centred on it. A missing record is skipped.
void PatchSettings(std::vector<uint8_t>& bytes, float width, float height);

// Copies the records of [data, data + size) to `out` through the placement transform:
// coordinates become v x scale + offset, sizes v x scale; with layer >= 0 the layer word
// of every entity record becomes `layer`. Settings records, markers and record types
// without coordinates are copied as they are. The records must have passed CheckTemplate's
// record checks (the built-in blocks always do).
void TransformRecords(const uint8_t* data, std::size_t size, double scale, double offsetX, double offsetY,
                      int layer, std::vector<uint8_t>& out);

} // namespace fcw

} // namespace kv
