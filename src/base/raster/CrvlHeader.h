// The 1024-byte CRVL raster header: MDR rasters of rendered images, whole-world Special MDR
// files and the elevation files the import recognises all begin with it. Every number is
// little-endian whatever the host; bytes not listed are zero.
//
//   0 "CRVL"   4 header length (1024)   264 west  272 east  280 north  288 south
//   296 smallest sample   304 largest sample   312 cell width   320 cell height (doubles)
//   332 flags (0x100: signed 16-bit samples, else 32-bit floats)   360 width   364 height
//
// The samples follow: rows of `width` samples of 2 or 4 bytes, little-endian.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kv {

constexpr int kCrvlHeaderSize = 1024;
constexpr int32_t kCrvlSigned16 = 0x100;

struct CrvlHeader {
    int32_t headerLength = kCrvlHeaderSize;
    double west = 0.0;
    double east = 0.0;
    double north = 0.0;
    double south = 0.0;
    double minValue = 0.0;
    double maxValue = 0.0;
    double cellWidth = 0.0;
    double cellHeight = 0.0;
    int32_t flags = 0;
    int32_t width = 0;
    int32_t height = 0;

    bool IsSigned16() const { return (flags & kCrvlSigned16) != 0; }
    int BytesPerSample() const { return IsSigned16() ? 2 : 4; }
};

// Writes the header's 1024 bytes into `out`.
void EncodeCrvlHeader(const CrvlHeader& header, uint8_t out[kCrvlHeaderSize]);
// Reads a header from `size` bytes: false (and `header` unchanged) unless at least 1024
// bytes are given and they begin with "CRVL".
bool DecodeCrvlHeader(const uint8_t* bytes, size_t size, CrvlHeader& header);

// Little-endian stores and loads of the raster formats.
void PutLE32(uint8_t* p, uint32_t v);
void PutLE64(uint8_t* p, uint64_t v);
void PutLEDouble(uint8_t* p, double v);
void PutLEFloat(uint8_t* p, float v);
uint16_t GetLE16(const uint8_t* p);
uint32_t GetLE32(const uint8_t* p);
double GetLEDouble(const uint8_t* p);

} // namespace kv
