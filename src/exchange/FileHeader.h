// Recognisers of elevation files for the binary data import: each reads the header of a
// file of its kind and describes where the samples lie.
//
// Every recogniser reads only inside the file: a file too short for its header, sizes of
// 0 or less, bottom-up bitmaps given top-down and rows whose length does not fit in 32
// bits are not recognised.
#pragma once

#include "base/raster/CrvlHeader.h"

#include <cstdint>
#include <string>

namespace kv {

class FileHeader {
public:
    virtual ~FileHeader() = default;
    // Fills the fields from the file; the recognised flag (1 when the file is of this
    // kind, else 0, also when it cannot be read).
    virtual int Read(const std::string& path)
    {
        this->path = path;
        return recognised;
    }

    double west = 0.0;
    double north = 0.0;
    double east = 0.0;
    double south = 0.0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t bytesPerSample = 1;
    int32_t lineWidth = 0;
    int32_t headerLength = 0;
    int32_t littleEndian = 1;
    int32_t recognised = 0;
    std::string path;
};

// A DTE elevation file: 16-bit samples after a 1024-byte header whose first 208 bytes
// describe them.
class DTEFile : public FileHeader {
public:
    static constexpr int32_t kMagic = 80000000;
    static constexpr int kHeaderLength = 1024;
    static constexpr size_t kBytesRead = 208;
    int Read(const std::string& path) override;
};

// An uncompressed 8-bit bitmap file (rows bottom-up, padded to 4 bytes).
class BMPFile : public FileHeader {
public:
    static constexpr size_t kBytesRead = 54;
    int Read(const std::string& path) override;
};

// Reads the CRVL header at the start of `path`: true when 1024 bytes could be read, they
// begin with "CRVL", width and height are above 0 and a row's bytes fit in 32 bits.
bool ReadCrvlFile(const std::string& path, CrvlHeader& header);

} // namespace kv
