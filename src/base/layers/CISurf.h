// An imported data surface: a raster file laid over a longitude/latitude rectangle and
// sampled in place through a read-only memory mapping.
//
// The file holds samples of one type (32-bit float, signed or unsigned integers of 1, 2
// or 4 bytes in either byte order) after a header, one raster row every `row stride`
// bytes, or is a 24-bit bitmap file sampled as colours. A pixel window of the raster
// covers the rectangle; values become raw x scale + offset, and a no-data value can be
// replaced while interpolating.
//
// Reads never leave the mapping: MapFile refuses a file that does not hold the window
// it is said to hold, and any later change of the layout is checked again before a
// sample is read.
#pragma once

#include "platform/FileMapping.h"
#include "base/GeoBounds.h"

#include <cstdint>
#include <string>

namespace kv {

class CArchive;

// The part of a raster, in pixels, that a surface's rectangle covers.
struct RasterWindow {
    int x = 0;
    int y = 0;
    int width = 1;
    int height = 1;

    bool operator==(const RasterWindow&) const = default;
};

class CISurf {
public:
    enum SampleType : int { kFloat32 = 0, kSigned = 1, kUnsigned = 2, kBitmap24 = 3 };

    static constexpr int32_t kArchiveVersion = 258;

    // Results of MapFile.
    static constexpr int kMapOk = 0;
    static constexpr int kMapCannotMapFile = -1;  // missing, unreadable or empty file
    static constexpr int kMapNotBitmap24 = -2;    // a bitmap surface whose file is not an uncompressed bottom-up 24-bit BMP
    static constexpr int kMapFileTooShort = -3;   // header, window and stride reach past the end of the file

    CISurf();
    ~CISurf();
    // Copies every setting and the derived mapping; the copy is unmapped.
    CISurf(const CISurf& other);
    CISurf& operator=(const CISurf& other);

    // The world surface compares its imported surfaces as always equal.
    bool operator==(const CISurf&) const { return true; }

    // Settings.
    const std::string& GetFileName() const { return m_fileName; }
    void SetFileName(const std::string& name) { m_fileName = name; }
    int GetSampleType() const { return m_sampleType; }
    void SetSampleType(int type);
    int GetHeaderOffset() const { return m_headerOffset; }
    void SetHeaderOffset(int bytes) { m_headerOffset = bytes; }
    int GetRowStride() const { return m_rowStride; }
    void SetRowStride(int bytes);
    int GetSampleSize() const { return m_sampleSize; }
    void SetSampleSize(int bytes);
    bool GetWrapColumns() const { return m_wrapColumns; }
    void SetWrapColumns(bool wrap) { m_wrapColumns = wrap; }
    float GetOffset() const { return m_offset; }
    float GetScale() const { return m_scale; }
    void SetScaleOffset(float scale, float offset) { m_scale = scale; m_offset = offset; }
    bool GetBigEndian() const { return m_bigEndian; }
    void SetBigEndian(bool big) { m_bigEndian = big; }
    bool GetBilinear() const { return m_bilinear; }
    void SetBilinear(bool bilinear) { m_bilinear = bilinear; }
    bool GetNoDataCheck() const { return m_noDataCheck; }
    float GetNoDataValue() const { return m_noDataValue; }
    float GetNoDataResult() const { return m_noDataResult; }
    void SetNoData(bool check, float value, float result);

    // The rectangle; west and east are stored in increasing order.
    void SetBounds(const GeoBounds& bounds);
    GeoBounds GetBounds() const { return m_bounds; }
    void SetRasterWindow(const RasterWindow& window);
    RasterWindow GetRasterWindow() const { return m_window; }

    // Maps the named file read-only (any old mapping is released first). Returns one of
    // the kMap codes; on failure the surface is unmapped.
    int MapFile();
    // Releases the mapping: the result of UnmapFileView, or -1 when nothing is mapped.
    int UnmapFile();
    bool IsMapped() const { return m_file.IsMapped(); }

    // Raster column and row of a point; false outside the rectangle or its longitude
    // segments, and for a rectangle without area.
    bool LatLonToGrid(double latitude, double longitude, float& column, float& row) const;

    // Interpolated value at a point: 0 while unmapped, the no-data result outside.
    float SampleValue(double latitude, double longitude) const;
    // Interpolated colour (0x00BBGGRR) at a point: 0 while unmapped or outside.
    uint32_t SampleColor(double latitude, double longitude) const;

    // The archive record (version 258 written; 256 and 257 read). Loading unmaps.
    void Serialize(CArchive& ar);

private:
    struct LonSegment {
        double start = 0.0;   // longitude range start..end, both in -180..180
        double end = 0.0;
        double scale = 0.0;   // columns per degree
        int span = 0;         // columns covered
        int first = 0;        // first column
    };

    void CopySettings(const CISurf& other);
    void RecomputeMapping();
    void RecheckLayout();
    bool LayoutFits(int readSize) const;
    int ValueReadSize() const;
    float ReadValue(int64_t column, int64_t row) const;
    const uint8_t* PixelAddress(int64_t column, int64_t row) const;

    // The columns c-1, c, c+1, c+2 and rows r-1..r+2 around a cell, kept in the window.
    void Neighbours(int64_t c, int64_t r, int64_t cols[4], int64_t rows[4]) const;

    std::string m_fileName;
    int m_sampleType = kFloat32;
    int m_headerOffset = 0;
    int m_rowStride = 1;
    int m_sampleSize = 4;
    bool m_wrapColumns = false;
    float m_offset = 0.0f;
    float m_scale = 1.0f;
    bool m_bigEndian = false;
    bool m_bilinear = true;
    bool m_noDataCheck = true;
    float m_noDataValue = -9999.0f;
    float m_noDataResult = 0.0f;
    GeoBounds m_bounds;

    // Derived longitude/latitude mapping.
    double m_rowScale = 0.0;
    LonSegment m_segments[2];
    int m_segmentCount = 1;
    bool m_mappingValid = false;

    RasterWindow m_window;

    MappedFileView m_file;
    std::size_t m_firstSample = 0; // offset of the first sample in the view
    bool m_valuesReadable = false;  // the window's value samples lie inside the view
    bool m_colorsReadable = false;  // the window's 3-byte pixels lie inside the view
};

} // namespace kv
