// Headers of the elevation files the binary import recognises, made byte by byte, for the
// import tests, the malformed-input tests and the fuzz seeds.
#pragma once

#include "base/raster/CrvlHeader.h"
#include "exchange/BinaryImport.h"

#include <cstdint>
#include <climits>
#include <cstring>
#include <vector>

namespace elevation {

inline void Put16(std::vector<uint8_t>& b, size_t at, int16_t v)
{
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8);
}

inline void Put32(std::vector<uint8_t>& b, size_t at, int32_t v)
{
    kv::PutLE32(b.data() + at, static_cast<uint32_t>(v));
}

// A DTE header (1024 bytes) with 16-bit samples: byte-order word `order`, the edges, size
// and line width; `size` bytes in all.
inline std::vector<uint8_t> DteBytes(int16_t order = 0, int32_t width = 100, int32_t height = 50,
                                     size_t size = 1024 + 100 * 50 * 2)
{
    std::vector<uint8_t> b(std::max<size_t>(size, 208), 0);
    Put16(b, 0, order);
    Put32(b, 2, 80000000);
    kv::PutLEDouble(b.data() + 74, -20.5);  // west
    kv::PutLEDouble(b.data() + 82, 40.25);  // east
    kv::PutLEDouble(b.data() + 90, -10.0);  // south
    kv::PutLEDouble(b.data() + 98, 15.75);  // north
    Put32(b, 184, width);
    Put32(b, 188, height);
    Put32(b, 192, 16);
    Put32(b, 196, static_cast<int32_t>(static_cast<uint32_t>(width) * 2u));
    Put16(b, 204, 4);
    Put16(b, 206, 2);
    b.resize(size);
    return b;
}

// A bitmap file header and info header for `bits` per pixel, with a grey palette for 8 bits
// and a pixel block of height rows.
inline std::vector<uint8_t> BmpBytes(int32_t width = 101, int32_t height = 3, uint16_t bits = 8)
{
    const uint32_t palette = bits == 8 ? 1024 : 0;
    const uint32_t offset = 54 + palette;
    const int64_t stride = ((static_cast<int64_t>(width) * bits / 8) + 3) & ~int64_t(3);
    const size_t pixels = width > 0 && height > 0 && width < 100000 ? static_cast<size_t>(stride * height) : 0;
    std::vector<uint8_t> b(offset + pixels, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 2, static_cast<int32_t>(b.size()));
    Put32(b, 10, static_cast<int32_t>(offset));
    Put32(b, 14, 40);
    Put32(b, 18, width);
    Put32(b, 22, height);
    b[26] = 1;
    b[28] = static_cast<uint8_t>(bits);
    for (uint32_t i = 0; i < palette / 4; ++i)
        b[54 + 4 * i] = b[55 + 4 * i] = b[56 + 4 * i] = static_cast<uint8_t>(i);
    return b;
}

// A CRVL-headed raster of width x height samples (2 bytes with the 16-bit flag, else 4).
inline std::vector<uint8_t> CrvlBytes(int32_t width = 8, int32_t height = 4, int32_t flags = kv::kCrvlSigned16)
{
    kv::CrvlHeader h;
    h.west = -30.0;
    h.east = 60.0;
    h.north = 45.0;
    h.south = -15.0;
    h.width = width;
    h.height = height;
    h.flags = flags;
    std::vector<uint8_t> b(1024, 0);
    kv::EncodeCrvlHeader(h, b.data());
    if (width > 0 && height > 0 && width < 10000 && height < 10000)
        b.resize(1024 + static_cast<size_t>(width) * height * h.BytesPerSample());
    return b;
}

// Values a user had entered before pressing the file button.
inline kv::BinaryImportValues Entered()
{
    kv::BinaryImportValues v;
    v.sampleType = 2;
    v.lineWidth = 321;
    v.headerLength = 7;
    v.width = 11;
    v.height = 13;
    v.west = 2.5;
    v.noData = -5.0f;
    return v;
}

// Whether the values after the file button on `path` are sound: not recognised with the
// entered values kept (the file name aside), or sizes above 0 and, for a recognised data
// file, rows whose length fits in 32 bits.
inline bool SoundAfterChoice(kv::ImportFileKind kind, const kv::BinaryImportValues& v, const std::string& path)
{
    if (v.fileName != path)
        return false;
    if (kind == kv::ImportFileKind::kNone) {
        const kv::BinaryImportValues e = Entered();
        return v.sampleType == e.sampleType && v.lineWidth == e.lineWidth && v.headerLength == e.headerLength &&
               v.width == e.width && v.height == e.height && v.west == e.west && v.noData == e.noData;
    }
    if (v.width <= 0 || v.height <= 0)
        return false;
    if (kind == kv::ImportFileKind::kHeaderFile)
        return true;
    return v.lineWidth > 0 && v.headerLength >= 0 && v.sampleType >= 0 && v.sampleType <= 3 &&
           static_cast<int64_t>(v.width) * (v.sampleType == 3 ? 4 : (1 << v.sampleType)) <= INT32_MAX;
}

} // namespace elevation
