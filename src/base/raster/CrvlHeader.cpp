#include "base/raster/CrvlHeader.h"

#include <cstring>

namespace kv {

namespace {

constexpr char kMagic[4] = {'C', 'R', 'V', 'L'};

} // namespace

void PutLE32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

void PutLE64(uint8_t* p, uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

void PutLEDouble(uint8_t* p, double v)
{
    uint64_t u;
    std::memcpy(&u, &v, sizeof u);
    PutLE64(p, u);
}

void PutLEFloat(uint8_t* p, float v)
{
    uint32_t u;
    std::memcpy(&u, &v, sizeof u);
    PutLE32(p, u);
}

uint16_t GetLE16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t GetLE32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

double GetLEDouble(const uint8_t* p)
{
    uint64_t u = 0;
    for (int i = 7; i >= 0; --i)
        u = (u << 8) | p[i];
    double v;
    std::memcpy(&v, &u, sizeof v);
    return v;
}

void EncodeCrvlHeader(const CrvlHeader& h, uint8_t out[kCrvlHeaderSize])
{
    std::memset(out, 0, kCrvlHeaderSize);
    std::memcpy(out, kMagic, sizeof kMagic);
    PutLE32(out + 4, static_cast<uint32_t>(h.headerLength));
    const double doubles[] = {h.west, h.east, h.north, h.south, h.minValue, h.maxValue, h.cellWidth, h.cellHeight};
    for (int i = 0; i < 8; ++i)
        PutLEDouble(out + 264 + 8 * i, doubles[i]);
    PutLE32(out + 332, static_cast<uint32_t>(h.flags));
    PutLE32(out + 360, static_cast<uint32_t>(h.width));
    PutLE32(out + 364, static_cast<uint32_t>(h.height));
}

bool DecodeCrvlHeader(const uint8_t* bytes, size_t size, CrvlHeader& header)
{
    if (bytes == nullptr || size < static_cast<size_t>(kCrvlHeaderSize) || std::memcmp(bytes, kMagic, 4) != 0)
        return false;
    CrvlHeader h;
    h.headerLength = static_cast<int32_t>(GetLE32(bytes + 4));
    double* doubles[] = {&h.west, &h.east, &h.north, &h.south, &h.minValue, &h.maxValue, &h.cellWidth, &h.cellHeight};
    for (int i = 0; i < 8; ++i)
        *doubles[i] = GetLEDouble(bytes + 264 + 8 * i);
    h.flags = static_cast<int32_t>(GetLE32(bytes + 332));
    h.width = static_cast<int32_t>(GetLE32(bytes + 360));
    h.height = static_cast<int32_t>(GetLE32(bytes + 364));
    header = h;
    return true;
}

} // namespace kv
