// A reader of FCW drawings for the tests, written from the format's tables alone (it
// shares nothing with the writer): it walks the records from offset 128, decodes the
// records the export writes and lists every way the file departs from the tables.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace fcwtest {

inline uint32_t U32(const std::vector<uint8_t>& b, std::size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
inline int16_t I16(const std::vector<uint8_t>& b, std::size_t at)
{
    return static_cast<int16_t>(uint16_t(b[at] | b[at + 1] << 8));
}
inline float F32(const std::vector<uint8_t>& b, std::size_t at)
{
    const uint32_t u = U32(b, at);
    float f;
    std::memcpy(&f, &u, 4);
    return f;
}

struct Record {
    std::size_t offset = 0;
    uint32_t length = 0;
    uint8_t type = 0;
    uint8_t subtype = 0;          // settings records
    uint8_t fillColour = 0, lineColour = 0, pen = 0;
    int16_t layer = 0, fillStyle = 0, filled = 0;
    uint32_t number = 0;
    std::vector<float> xy;        // polyline points; text position; link rectangle
    int16_t polygonFlag = 0;
    float height = 0.0f;
    int16_t font = 0;
    std::string text;             // text, link command, map note
};

struct Drawing {
    std::vector<Record> records;
    std::map<int, std::string> layers;   // from the layer table
    std::vector<std::string> problems;
    int maxDepth = 0;

    // Records of one type (and layer, when given).
    std::vector<const Record*> Of(uint8_t type, int layer = -1) const
    {
        std::vector<const Record*> out;
        for (const Record& r : records)
            if (r.type == type && r.length > 5 && (layer < 0 || r.layer == layer))
                out.push_back(&r);
        return out;
    }
};

inline std::string CString(const std::vector<uint8_t>& b, std::size_t from, std::size_t end, bool& ok)
{
    for (std::size_t k = from; k < end; ++k)
        if (b[k] == 0)
            return std::string(reinterpret_cast<const char*>(b.data() + from), k - from);
    ok = false;
    return {};
}

// Parses a whole drawing. `blockNumbers` is the highest entity number the placed blocks
// and the template use; every other entity must be numbered from 8000 upwards, rising.
inline Drawing Read(const std::vector<uint8_t>& b, uint32_t blockNumbers = 7999)
{
    Drawing d;
    auto problem = [&](std::size_t at, const std::string& what) {
        d.problems.push_back("@" + std::to_string(at) + ": " + what);
    };
    if (b.size() < 128 || std::memcmp(b.data(), "FCW (FastCAD for Windows) 6.", 28) != 0) {
        problem(0, "no FCW 6 signature");
        return d;
    }
    std::size_t at = 128;
    int depth = 0;
    bool afterGroup = false;
    uint32_t lastExportNumber = 7999;
    while (at < b.size()) {
        if (b.size() - at < 4) {
            problem(at, "cut record length");
            break;
        }
        Record r;
        r.offset = at;
        r.length = U32(b, at);
        if (r.length < 5 || r.length > b.size() - at) {
            problem(at, "length " + std::to_string(r.length) + " outside the file");
            break;
        }
        r.type = b[at + 4];
        const std::size_t end = at + r.length;
        bool ok = true;
        if (r.length == 5) {
            if (r.type == 0) {
                if (!afterGroup)
                    problem(at, "open marker without a group");
                ++depth;
                d.maxDepth = std::max(d.maxDepth, depth);
            } else if (r.type == 1) {
                if (--depth < 0)
                    problem(at, "close marker without an open one");
            } else {
                problem(at, "unknown marker");
            }
            afterGroup = false;
            d.records.push_back(r);
            at = end;
            continue;
        }
        if (afterGroup)
            problem(at, "group without its open marker");
        afterGroup = false;
        if (r.type == 0) {
            r.subtype = b[at + 5];
            if (r.subtype == 3) {
                std::size_t e = at + 16;
                while (e + 4 <= end) {
                    const int32_t len = static_cast<int32_t>(U32(b, e));
                    if (len <= 0)
                        break;
                    if (e + static_cast<std::size_t>(len) > end || len < 11) {
                        problem(e, "layer entry outside its record");
                        break;
                    }
                    bool nameOk = true;
                    d.layers[I16(b, e + 4)] = CString(b, e + 10, e + static_cast<std::size_t>(len), nameOk);
                    if (!nameOk)
                        problem(e, "layer name without its NUL");
                    e += static_cast<std::size_t>(len);
                }
            }
            d.records.push_back(r);
            at = end;
            continue;
        }
        if (r.length < 28) {
            problem(at, "entity shorter than its header");
            break;
        }
        if (b[at + 5] != 0 || b[at + 6] != 0 || I16(b, at + 10) != 0 || I16(b, at + 16) != 0 || U32(b, at + 20) != 0)
            problem(at, "attribute fields not zero");
        r.fillColour = b[at + 7];
        r.lineColour = b[at + 8];
        r.pen = b[at + 9];
        r.layer = I16(b, at + 12);
        r.fillStyle = I16(b, at + 14);
        r.filled = I16(b, at + 18);
        r.number = U32(b, at + 24);
        switch (r.type) {
        case 3: {
            if (r.length < 42) {
                problem(at, "short polyline");
                break;
            }
            const int n = I16(b, at + 38);
            if (r.length != 42u + 8u * static_cast<uint32_t>(n))
                problem(at, "polyline length not 42 + 8n");
            if (b[at + 28] != 0 || b[at + 29] != 8 || F32(b, at + 30) != 0.0f || F32(b, at + 34) != float(n - 1))
                problem(at, "polyline constants");
            r.polygonFlag = I16(b, at + 40);
            if (r.polygonFlag != 0 && r.polygonFlag != 128)
                problem(at, "polyline flag");
            for (int k = 0; k < n && at + 42 + 8 * std::size_t(k) + 8 <= end; ++k) {
                r.xy.push_back(F32(b, at + 42 + 8 * std::size_t(k)));
                r.xy.push_back(F32(b, at + 46 + 8 * std::size_t(k)));
            }
            break;
        }
        case 5:
            if (r.length < 61 || I16(b, at + 28) != 1 || F32(b, at + 42) != 1.0f || F32(b, at + 46) != 0.0f ||
                F32(b, at + 50) != 150.0f || I16(b, at + 54) != 0 || I16(b, at + 56) != 0) {
                problem(at, "text constants");
                break;
            }
            r.xy = {F32(b, at + 30), F32(b, at + 34)};
            r.height = F32(b, at + 38);
            r.font = I16(b, at + 58);
            r.text = CString(b, at + 60, end, ok);
            if (!ok || r.length != 61 + r.text.size())
                problem(at, "text length not 61 + text");
            break;
        case 10:
            if (r.length < 77 || I16(b, at + 44) != 0 || F32(b, at + 46) != 0.0f || F32(b, at + 50) != 0.0f ||
                F32(b, at + 54) != 1.0f || F32(b, at + 58) != 1.0f || F32(b, at + 62) != 0.0f ||
                F32(b, at + 66) != 150.0f || I16(b, at + 70) != 0 || I16(b, at + 72) != 0 || I16(b, at + 74) != 4) {
                problem(at, "link area constants");
                break;
            }
            r.xy = {F32(b, at + 28), F32(b, at + 32), F32(b, at + 36), F32(b, at + 40)};
            r.text = CString(b, at + 76, end, ok);
            if (!ok || r.length != 77 + r.text.size())
                problem(at, "link area length not 77 + command");
            break;
        case 17:
            if (r.length != 30 || I16(b, at + 28) != 0)
                problem(at, "group record");
            afterGroup = true;
            break;
        case 129: {
            if (r.length < 63 || b[at + 7] != 1 || b[at + 8] != 1 || r.layer != 1) {
                problem(at, "map notes header");
                break;
            }
            if (CString(b, at + 30, at + 62, ok) != "Map Notes")
                problem(at, "map notes title");
            r.text = CString(b, at + 62, end, ok);
            if (!ok || r.length != 63 + r.text.size())
                problem(at, "map notes length not 63 + note");
            break;
        }
        default:
            problem(at, "record type " + std::to_string(r.type) + " the export does not write");
        }
        if (r.number > blockNumbers) {
            if (r.number <= lastExportNumber)
                problem(at, "entity number " + std::to_string(r.number) + " not rising from 8000");
            lastExportNumber = r.number;
        }
        d.records.push_back(r);
        at = end;
    }
    if (depth != 0)
        problem(at, "unbalanced list markers");
    for (const Record& r : d.records)
        if (r.type != 0 && r.length > 5 && !d.layers.count(r.layer))
            problem(r.offset, "layer " + std::to_string(r.layer) + " not in the layer table");
    return d;
}

} // namespace fcwtest
