#include "exchange/RasterHeader.h"

#include "platform/CLocale.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace kv {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// A whole 32-bit integer at the start of `text` (after blanks), as "%d" reads one.
bool ParseInt(const std::string& text, int32_t& out)
{
    const char* s = text.c_str();
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(s, &end, 10);
    if (end == s || errno == ERANGE || v < std::numeric_limits<int32_t>::min() ||
        v > std::numeric_limits<int32_t>::max())
        return false;
    out = static_cast<int32_t>(v);
    return true;
}

// A finite real number at the start of `text`, in the C locale.
bool ParseReal(const std::string& text, double& out)
{
    const char* s = text.c_str();
    char* end = nullptr;
    const double v = StrToDoubleC(s, &end);
    if (end == s || !std::isfinite(v))
        return false;
    out = v;
    return true;
}

} // namespace

int RasterHeader::Read(const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr)
        return -1;
    // Line by line, keeping the first kLineLimit characters of each: a file of any size
    // or line length is read in bounded memory.
    int count = 0;
    std::string line;
    line.reserve(kLineLimit);
    char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
        for (size_t i = 0; i < got; ++i) {
            if (buffer[i] == '\n') {
                count += ReadLine(line);
                line.clear();
            } else if (line.size() < kLineLimit) {
                line.push_back(buffer[i]);
            }
        }
    }
    std::fclose(f);
    if (!line.empty())
        count += ReadLine(line);
    Finish();
    return count;
}

int RasterHeader::Parse(const std::string& text)
{
    int count = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t lineEnd = text.find('\n', pos);
        if (lineEnd == std::string::npos)
            lineEnd = text.size();
        count += ReadLine(text.substr(pos, std::min(lineEnd - pos, kLineLimit)));
        pos = lineEnd + 1;
    }
    Finish();
    return count;
}

int RasterHeader::ReadLine(const std::string& line)
{
    // A lone CR separates two pairs on one line.
    int count = 0;
    const char* segment = line.data();
    const char* stop = line.data() + line.size();
    for (const char* c = segment; c <= stop; ++c) {
        if (c == stop || *c == '\r') {
            if (ReadPair(segment, c))
                ++count;
            segment = c + 1;
        }
    }
    return count;
}

void RasterHeader::Finish()
{
    if (!secondDialect)
        return;
    const int64_t rowBytes = static_cast<int64_t>(bits / 8) * columns;
    const bool fits =
        rowBytes >= std::numeric_limits<int32_t>::min() && rowBytes <= std::numeric_limits<int32_t>::max();
    totalRowBytes = bandRowBytes = fits ? static_cast<int32_t>(rowBytes) : 0;
    bandGapBytes = 0;
    bands = 1;
}

bool RasterHeader::ReadPair(const char* begin, const char* end)
{
    const char* p = begin;
    while (p < end && (IsBlank(*p) || *p == '='))
        ++p;
    const char* keyBegin = p;
    while (p < end && !IsBlank(*p) && *p != '=')
        ++p;
    if (p == keyBegin)
        return false;
    const std::string key(keyBegin, p);
    while (p < end && (IsBlank(*p) || *p == '='))
        ++p;
    const std::string value(p, end);
    const char first = value.empty() ? '\0' : value[0];

    struct IntKey {
        const char* name;
        int32_t RasterHeader::*field;
        bool second;
    };
    static const IntKey intKeys[] = {
        {"NROWS", &RasterHeader::rows, false},
        {"NCOLS", &RasterHeader::columns, false},
        {"NBANDS", &RasterHeader::bands, false},
        {"NBITS", &RasterHeader::bits, false},
        {"BANDROWBYTES", &RasterHeader::bandRowBytes, false},
        {"TOTALROWBYTES", &RasterHeader::totalRowBytes, false},
        {"BANDGAPBYTES", &RasterHeader::bandGapBytes, false},
        {"number_of_rows", &RasterHeader::rows, true},
        {"number_of_columns", &RasterHeader::columns, true},
    };
    struct RealKey {
        const char* name;
        double RasterHeader::*field;
        bool second;
    };
    static const RealKey realKeys[] = {
        {"NODATA", &RasterHeader::noData, false},
        {"ULXMAP", &RasterHeader::upperLeftX, false},
        {"ULYMAP", &RasterHeader::upperLeftY, false},
        {"XDIM", &RasterHeader::xSize, false},
        {"YDIM", &RasterHeader::ySize, false},
        {"left_map_x", &RasterHeader::upperLeftX, true},
        {"upper_map_y", &RasterHeader::upperLeftY, true},
    };

    for (const IntKey& k : intKeys) {
        if (key != k.name)
            continue;
        secondDialect = secondDialect || k.second;
        return ParseInt(value, this->*k.field);
    }
    for (const RealKey& k : realKeys) {
        if (key != k.name)
            continue;
        secondDialect = secondDialect || k.second;
        return ParseReal(value, this->*k.field);
    }
    if (key == "BYTEORDER") {
        littleEndian = first == 'M' ? 0 : 1;
        return true;
    }
    if (key == "LAYOUT") {
        layout = value;
        return true;
    }
    if (key == "data_byte_order") {
        secondDialect = true;
        littleEndian = first == 'b' ? 0 : 1;
        return true;
    }
    if (key == "data_representation") {
        secondDialect = true;
        switch (first) {
        case 'b': bits = 8; return true;
        case 's': bits = 16; return true;
        case 'l': bits = 32; return true;
        default: return false;
        }
    }
    if (key == "grid_size") {
        secondDialect = true;
        double size;
        if (!ParseReal(value, size))
            return false;
        xSize = ySize = size;
        return true;
    }
    return false;
}

} // namespace kv
