// A text file of keyword/value pairs that describes a raw raster beside it (".HDR"), in
// either of two dialects: BYTEORDER/NROWS/NCOLS/NBITS/ULXMAP... or
// number_of_rows/data_representation/grid_size...
//
// Keywords are compared exactly (case matters). Integers are read as whole 32-bit numbers
// and real numbers (NODATA and the coordinates) in double precision; a value that does not
// parse, or does not fit, is not stored. Lines are split at LF and at a lone CR; a line of
// any length is read, its first 2046 characters used.
#pragma once

#include <cstdint>
#include <string>

namespace kv {

class RasterHeader {
public:
    static constexpr size_t kLineLimit = 2046;

    // The number of keys read (0 or more), or -1 when the file cannot be opened.
    int Read(const std::string& path);
    // The same over a text in memory.
    int Parse(const std::string& text);

    int32_t littleEndian = 0;
    std::string layout;
    int32_t rows = 0;
    int32_t columns = 0;
    int32_t bits = 0;
    int32_t bands = 0;
    int32_t bandRowBytes = 0;
    int32_t totalRowBytes = 0;
    int32_t bandGapBytes = 0;
    double noData = -9999.0;
    double upperLeftX = 0.0;
    double upperLeftY = 0.0;
    double xSize = 0.0;
    double ySize = 0.0;
    // Set when a keyword of the second dialect was met.
    bool secondDialect = false;

private:
    // Reads the pairs of one line; the number of keys stored.
    int ReadLine(const std::string& line);
    // Completes a second-dialect header: row bytes from bits and columns, one band.
    void Finish();
    // Reads one "key value" segment; true when a key was stored.
    bool ReadPair(const char* begin, const char* end);
};

} // namespace kv
