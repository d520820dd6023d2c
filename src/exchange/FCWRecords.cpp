#include "exchange/FCWRecords.h"

#include <cstring>

namespace kv::fcw {

namespace {

// Fields the placement transform moves, by entity type.
struct Placement {
    int coords[8];   // offsets of x, y pairs (x at even index), -1 ends
    int sizes[8];    // offsets of sizes (scaled only), -1 ends
    std::size_t minLength;
};

bool PlacementOf(uint8_t type, Placement& p)
{
    auto set = [&](std::initializer_list<int> coords, std::initializer_list<int> sizes, std::size_t minLength) {
        std::fill(std::begin(p.coords), std::end(p.coords), -1);
        std::fill(std::begin(p.sizes), std::end(p.sizes), -1);
        int k = 0;
        for (int c : coords)
            p.coords[k++] = c;
        k = 0;
        for (int s : sizes)
            p.sizes[k++] = s;
        p.minLength = minLength;
        return true;
    };
    switch (type) {
    case 1: return set({28, 32}, {}, 36);
    case 2: return set({28, 32, 36, 40}, {}, 44);
    case 3: return set({}, {}, kPolylineFixed);
    case 5: return set({30, 34}, {38}, 42);
    case 6: case 7: case 8: case 9: return set({28, 32}, {36}, 40);
    case 10: return set({28, 32, 36, 40, 46, 50}, {}, 54);
    case 14: return set({28, 32, 40, 44}, {36, 48}, 52);
    case 28: return set({}, {28, 32, 36, 40, 44, 48}, 52);
    case 29: return set({28, 32, 36, 40, 44, 48}, {}, 52);
    case 15: case 17: case 18: case 20: case 21: case 22: case 23: case 30: case 40: return set({}, {}, 14);
    default: return false;
    }
}

// Checks one layer table record; false when an entry or its name leaves the record.
bool LayerTableInside(const uint8_t* rec, std::size_t len)
{
    std::size_t at = 16;
    for (;;) {
        if (at + 4 > len)
            return false;
        const int32_t entry = static_cast<int32_t>(GetU32(rec + at));
        if (entry <= 0)
            return true;
        if (entry < 11 || at + static_cast<std::size_t>(entry) > len)
            return false;
        if (!std::memchr(rec + at + 10, 0, static_cast<std::size_t>(entry) - 10))
            return false;
        at += static_cast<std::size_t>(entry);
    }
}

} // namespace

void PutU8(std::vector<uint8_t>& out, uint8_t v) { out.push_back(v); }

void PutI16(std::vector<uint8_t>& out, int16_t v)
{
    const auto u = static_cast<uint16_t>(v);
    out.push_back(static_cast<uint8_t>(u & 0xFF));
    out.push_back(static_cast<uint8_t>(u >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int k = 0; k < 4; ++k)
        out.push_back(static_cast<uint8_t>(v >> (8 * k)));
}

void PutF32(std::vector<uint8_t>& out, float v)
{
    uint32_t u;
    std::memcpy(&u, &v, 4);
    PutU32(out, u);
}

void PutText(std::vector<uint8_t>& out, const std::string& text)
{
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
}

uint32_t GetU32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

int16_t GetI16(const uint8_t* p)
{
    return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
}

float GetF32(const uint8_t* p)
{
    const uint32_t u = GetU32(p);
    float v;
    std::memcpy(&v, &u, 4);
    return v;
}

void SetU32(uint8_t* p, uint32_t v)
{
    for (int k = 0; k < 4; ++k)
        p[k] = static_cast<uint8_t>(v >> (8 * k));
}

void SetF32(uint8_t* p, float v)
{
    uint32_t u;
    std::memcpy(&u, &v, 4);
    SetU32(p, u);
}

void SetI16(uint8_t* p, int16_t v)
{
    const auto u = static_cast<uint16_t>(v);
    p[0] = static_cast<uint8_t>(u & 0xFF);
    p[1] = static_cast<uint8_t>(u >> 8);
}

void PutEntityHeader(std::vector<uint8_t>& out, uint32_t length, const EntityHeader& h)
{
    PutU32(out, length);
    PutU8(out, h.type);
    PutU8(out, 0);
    PutU8(out, 0);
    PutU8(out, h.fillColour);
    PutU8(out, h.lineColour);
    PutU8(out, h.pen);
    PutI16(out, 0);
    PutI16(out, h.layer);
    PutI16(out, h.fillStyle);
    PutI16(out, 0);
    PutI16(out, h.filled);
    PutU32(out, 0);
    PutU32(out, h.number);
}

void PutMarker(std::vector<uint8_t>& out, uint8_t which)
{
    PutU32(out, kMarkerLength);
    PutU8(out, which);
}

void PutPolyline(std::vector<uint8_t>& out, const EntityHeader& header, const float* xy, int count, bool filledPolygon)
{
    EntityHeader h = header;
    h.type = kPolyline;
    PutEntityHeader(out, static_cast<uint32_t>(kPolylineFixed + 8 * static_cast<std::size_t>(count)), h);
    PutU8(out, 0);
    PutU8(out, 8);
    PutF32(out, 0.0f);
    PutF32(out, static_cast<float>(count - 1));
    PutI16(out, static_cast<int16_t>(count));
    PutI16(out, filledPolygon ? kFilledPolygonFlag : 0);
    for (int k = 0; k < 2 * count; ++k)
        PutF32(out, xy[k]);
}

void PutText(std::vector<uint8_t>& out, const EntityHeader& header, float x, float y, float height, int16_t font,
             const std::string& text)
{
    EntityHeader h = header;
    h.type = kText;
    PutEntityHeader(out, static_cast<uint32_t>(kTextFixed + text.size()), h);
    PutI16(out, 1);
    PutF32(out, x);
    PutF32(out, y);
    PutF32(out, height);
    PutF32(out, 1.0f);
    PutF32(out, 0.0f);
    PutF32(out, 150.0f);
    PutI16(out, 0);
    PutI16(out, 0);
    PutI16(out, font);
    PutText(out, text);
}

void PutGroup(std::vector<uint8_t>& out, const EntityHeader& header)
{
    EntityHeader h = header;
    h.type = kGroup;
    PutEntityHeader(out, kGroupLength, h);
    PutI16(out, 0);
}

void PutLinkArea(std::vector<uint8_t>& out, const EntityHeader& header, float x0, float y0, float x1, float y1,
                 const std::string& command)
{
    EntityHeader h = header;
    h.type = kLinkArea;
    PutEntityHeader(out, static_cast<uint32_t>(kLinkAreaFixed + command.size()), h);
    PutF32(out, x0);
    PutF32(out, y0);
    PutF32(out, x1);
    PutF32(out, y1);
    PutI16(out, 0);
    PutF32(out, 0.0f);
    PutF32(out, 0.0f);
    PutF32(out, 1.0f);
    PutF32(out, 1.0f);
    PutF32(out, 0.0f);
    PutF32(out, 150.0f);
    PutI16(out, 0);
    PutI16(out, 0);
    PutI16(out, 4);
    PutText(out, command);
}

void PutMapNotes(std::vector<uint8_t>& out, uint32_t number, const std::string& note)
{
    EntityHeader h;
    h.type = kMapNotes;
    h.fillColour = 1;
    h.lineColour = 1;
    h.layer = 1;
    h.number = number;
    PutEntityHeader(out, static_cast<uint32_t>(kMapNotesFixed + note.size()), h);
    PutI16(out, 0);
    const std::size_t title = out.size();
    PutText(out, "Map Notes");
    out.resize(title + 32, 0); // the title field runs from 30 to 61
    PutText(out, note);
}

std::string CheckTemplateHeader(const std::vector<uint8_t>& bytes)
{
    if (bytes.size() < kHeaderSize)
        return "Unable to read PW2 header";
    if (std::memcmp(bytes.data(), "FCW ", 4) != 0)
        return "Not a PW2 file";
    if (std::memcmp(bytes.data(), "FCW (FastCAD for Windows) 6.", 28) != 0)
        return "Must be a Version 6.x PW2 file";
    if (bytes[48] != 0)
        return "Must be an uncompressed V6.x PW2 file";
    return {};
}

std::size_t FirstRecord(const std::vector<uint8_t>& bytes)
{
    return bytes.size() >= 12 && std::memcmp(bytes.data(), "FCW (FastCAD", 12) == 0 ? kHeaderSize : 0;
}

std::string CheckTemplate(const std::vector<uint8_t>& bytes)
{
    std::string reason = CheckTemplateHeader(bytes);
    if (!reason.empty())
        return reason;
    const std::size_t size = bytes.size();
    std::size_t at = kHeaderSize;
    while (at < size) {
        if (size - at < 4)
            return "record length cut short";
        const uint32_t len = GetU32(bytes.data() + at);
        if (len < kMarkerLength || len > size - at)
            return "record length outside the file";
        const uint8_t* rec = bytes.data() + at;
        const uint8_t type = rec[4];
        if (len > kMarkerLength) {
            if (type == kSettings) {
                const uint8_t subtype = rec[5];
                if ((subtype == kExtentsSubtype && len < 60) || (subtype == kViewSubtype && len < 74))
                    return "settings record too short";
                if (subtype == kLayerTableSubtype && !LayerTableInside(rec, len))
                    return "layer table outside its record";
            } else {
                Placement p;
                if (PlacementOf(type, p)) {
                    if (len < p.minLength)
                        return "entity record too short";
                    if (type == kPolyline) {
                        const int16_t n = GetI16(rec + 38);
                        if (n < 0 || kPolylineFixed + 8 * static_cast<std::size_t>(n) > len)
                            return "polyline points outside their record";
                    }
                }
            }
        }
        at += len;
    }
    return {};
}

namespace {

// Calls f(record, length) for every record from the first; stops at a length that leaves
// the data.
template <class F> void ForEachRecord(std::vector<uint8_t>& bytes, F f)
{
    std::size_t at = FirstRecord(bytes);
    while (at + 4 <= bytes.size()) {
        const uint32_t len = GetU32(bytes.data() + at);
        if (len < kMarkerLength || len > bytes.size() - at)
            return;
        if (!f(bytes.data() + at, len))
            return;
        at += len;
    }
}

} // namespace

int FindLayer(const std::vector<uint8_t>& bytes, const std::string& name)
{
    int found = 0;
    ForEachRecord(const_cast<std::vector<uint8_t>&>(bytes), [&](uint8_t* rec, uint32_t len) {
        if (len <= 16 || rec[4] != kSettings || rec[5] != kLayerTableSubtype)
            return true;
        std::size_t at = 16;
        while (at + 4 <= len) {
            const int32_t entry = static_cast<int32_t>(GetU32(rec + at));
            if (entry <= 0 || entry < 11 || at + static_cast<std::size_t>(entry) > len)
                break;
            const char* text = reinterpret_cast<const char*>(rec + at + 10);
            const std::size_t room = static_cast<std::size_t>(entry) - 10;
            const std::size_t n = strnlen(text, room);
            if (n < room && name.size() == n && std::memcmp(text, name.data(), n) == 0) {
                found = GetI16(rec + at + 4);
                return false;
            }
            at += static_cast<std::size_t>(entry);
        }
        return false; // one layer table
    });
    return found;
}

void PatchSettings(std::vector<uint8_t>& bytes, float width, float height)
{
    ForEachRecord(bytes, [&](uint8_t* rec, uint32_t len) {
        if (len <= kMarkerLength || rec[4] != kSettings)
            return true;
        if (rec[5] == kExtentsSubtype && len >= 60) {
            const float values[6] = {0.0f, 0.0f, 0.0f, width, height, 0.0f};
            for (int k = 0; k < 6; ++k)
                SetF32(rec + 32 + 4 * k, values[k]);
            SetU32(rec + 56, 0);
        } else if (rec[5] == kViewSubtype && len >= 74) {
            SetF32(rec + 58, width * 1.05f);
            SetF32(rec + 62, height * 1.05f);
            SetF32(rec + 66, width * 0.5f);
            SetF32(rec + 70, height * 0.5f);
        }
        return true;
    });
}

void TransformRecords(const uint8_t* data, std::size_t size, double scale, double offsetX, double offsetY, int layer,
                      std::vector<uint8_t>& out)
{
    std::size_t at = 0;
    while (at + 4 <= size) {
        const uint32_t len = GetU32(data + at);
        if (len < kMarkerLength || len > size - at)
            return;
        const std::size_t start = out.size();
        out.insert(out.end(), data + at, data + at + len);
        uint8_t* rec = out.data() + start;
        Placement p;
        if (len > kMarkerLength && rec[4] != kSettings && PlacementOf(rec[4], p) && len >= p.minLength) {
            auto move = [&](int offset, double shift) {
                SetF32(rec + offset, static_cast<float>(GetF32(rec + offset) * scale + shift));
            };
            for (int k = 0; k < 8 && p.coords[k] >= 0; ++k)
                move(p.coords[k], k % 2 == 0 ? offsetX : offsetY);
            for (int k = 0; k < 8 && p.sizes[k] >= 0; ++k)
                move(p.sizes[k], 0.0);
            if (rec[4] == kPolyline) {
                const int16_t n = GetI16(rec + 38);
                for (int k = 0; k < n && kPolylineFixed + 8 * static_cast<std::size_t>(k + 1) <= len; ++k) {
                    move(static_cast<int>(kPolylineFixed) + 8 * k, offsetX);
                    move(static_cast<int>(kPolylineFixed) + 8 * k + 4, offsetY);
                }
            }
            if (layer >= 0)
                SetI16(rec + 12, static_cast<int16_t>(layer));
        }
        at += len;
    }
}

} // namespace kv::fcw
