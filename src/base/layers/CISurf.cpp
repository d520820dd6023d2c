#include "base/layers/CISurf.h"

#include "platform/Archive.h"
#include "base/grid/CubicInterpolation.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace kv {

namespace {

// Brings a longitude into -180..180 as repeated steps of 360 would (values above 180
// land in (-180, 180], values below -180 in [-180, 180)).
double FoldLongitude(double lon)
{
    if (lon > 180.0) {
        lon = std::fmod(lon + 180.0, 360.0) - 180.0;
        if (lon == -180.0)
            lon = 180.0;
    } else if (lon < -180.0) {
        lon = std::fmod(lon - 180.0, 360.0) + 180.0;
        if (lon == 180.0)
            lon = -180.0;
    }
    return lon;
}

uint32_t LoadLE32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16)
           | (static_cast<uint32_t>(p[3]) << 24);
}

uint16_t LoadLE16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

// The raw bits of a 2- or 4-byte sample in the stored byte order.
uint32_t LoadBits(const uint8_t* p, int size, bool bigEndian)
{
    uint32_t v = 0;
    if (bigEndian) {
        for (int i = 0; i < size; ++i)
            v = (v << 8) | p[i];
    } else {
        for (int i = size - 1; i >= 0; --i)
            v = (v << 8) | p[i];
    }
    return v;
}

bool NearNoData(float v, float noData)
{
    return std::fabs(v - noData) <= 0.01f;
}

} // namespace

CISurf::CISurf()
{
    RecomputeMapping();
}

CISurf::~CISurf()
{
    if (IsMapped())
        UnmapFile();
}

CISurf::CISurf(const CISurf& other)
{
    CopySettings(other);
}

CISurf& CISurf::operator=(const CISurf& other)
{
    if (this != &other) {
        if (IsMapped())
            UnmapFile();
        CopySettings(other);
    }
    return *this;
}

void CISurf::CopySettings(const CISurf& o)
{
    m_fileName = o.m_fileName;
    m_sampleType = o.m_sampleType;
    m_headerOffset = o.m_headerOffset;
    m_rowStride = o.m_rowStride;
    m_sampleSize = o.m_sampleSize;
    m_wrapColumns = o.m_wrapColumns;
    m_offset = o.m_offset;
    m_scale = o.m_scale;
    m_bigEndian = o.m_bigEndian;
    m_bilinear = o.m_bilinear;
    m_noDataCheck = o.m_noDataCheck;
    m_noDataValue = o.m_noDataValue;
    m_noDataResult = o.m_noDataResult;
    m_bounds = o.m_bounds;
    m_rowScale = o.m_rowScale;
    m_segments[0] = o.m_segments[0];
    m_segments[1] = o.m_segments[1];
    m_segmentCount = o.m_segmentCount;
    m_mappingValid = o.m_mappingValid;
    m_window = o.m_window;
}

void CISurf::SetSampleType(int type)
{
    m_sampleType = type;
    RecheckLayout();
}

void CISurf::SetRowStride(int bytes)
{
    m_rowStride = bytes;
    RecheckLayout();
}

void CISurf::SetSampleSize(int bytes)
{
    m_sampleSize = bytes;
    RecheckLayout();
}

void CISurf::SetNoData(bool check, float value, float result)
{
    m_noDataCheck = check;
    m_noDataValue = value;
    m_noDataResult = result;
}

void CISurf::SetBounds(const GeoBounds& b)
{
    m_bounds = b;
    m_bounds.west = std::min(b.west, b.east);
    m_bounds.east = std::max(b.west, b.east);
    RecomputeMapping();
}

void CISurf::SetRasterWindow(const RasterWindow& window)
{
    m_window = window;
    RecomputeMapping();
    RecheckLayout();
}

void CISurf::RecomputeMapping()
{
    const GeoBounds& b = m_bounds;
    const double w = FoldLongitude(b.west);
    const double e = FoldLongitude(b.east);
    const double cols = static_cast<double>(m_window.width) - 1.0;
    auto perDegree = [](double span, double width) { return width > 0.0 ? span / width : 0.0; };

    m_segments[0] = LonSegment{};
    m_segments[1] = LonSegment{};
    if (w >= 0.0 && w <= 180.0 && e >= -180.0 && e <= 0.0) {
        // The rectangle crosses the 180th meridian: w..180 and -180..e.
        const double k = 1.0 / (b.east - b.west);
        const double s1 = std::trunc(cols * k * (180.0 - w));
        const double s2 = std::trunc(cols * k * (e + 180.0));
        m_segmentCount = 2;
        m_segments[0].start = w;
        m_segments[0].end = 180.0;
        m_segments[1].start = -180.0;
        m_segments[1].end = e;
        if (std::isfinite(k) && std::fabs(s1) < 1e9 && std::fabs(s2) < 1e9) {
            m_segments[0].span = static_cast<int>(s1);
            m_segments[0].first = m_window.x;
            m_segments[0].scale = perDegree(s1, 180.0 - w);
            m_segments[1].span = static_cast<int>(s2);
            m_segments[1].first = static_cast<int>(
                std::clamp<int64_t>(static_cast<int64_t>(m_window.x) + m_segments[0].span, INT32_MIN, INT32_MAX));
            m_segments[1].scale = perDegree(s2, e + 180.0);
        }
        m_mappingValid = std::isfinite(k) && b.east > b.west;
    } else {
        m_segmentCount = 1;
        m_segments[0].start = w;
        m_segments[0].end = e;
        // A window read from an archive may hold any width; INT32_MIN - 1 must not wrap.
        m_segments[0].span = static_cast<int>(std::max<int64_t>(static_cast<int64_t>(m_window.width) - 1, INT32_MIN));
        m_segments[0].first = m_window.x;
        m_segments[0].scale = e > w ? cols / (e - w) : 0.0;
        m_mappingValid = e > w;
    }
    m_rowScale = (static_cast<double>(m_window.height) - 1.0) / (b.south - b.north);
    m_mappingValid = m_mappingValid && b.south < b.north && std::isfinite(m_rowScale)
                     && std::isfinite(m_segments[0].scale) && std::isfinite(m_segments[1].scale);
}

bool CISurf::LatLonToGrid(double latitude, double longitude, float& column, float& row) const
{
    if (!m_mappingValid || !std::isfinite(latitude) || !std::isfinite(longitude))
        return false;
    if (latitude > m_bounds.north || latitude < m_bounds.south)
        return false;
    const double lon = FoldLongitude(longitude);
    for (int i = 0; i < m_segmentCount; ++i) {
        const LonSegment& s = m_segments[i];
        if (lon >= s.start && lon <= s.end) {
            row = static_cast<float>((latitude - m_bounds.north) * m_rowScale + m_window.y);
            column = static_cast<float>(s.scale * (lon - s.start) + s.first);
            return std::isfinite(row) && std::isfinite(column);
        }
    }
    return false;
}

// ---- mapping ----

int CISurf::ValueReadSize() const
{
    switch (m_sampleType) {
    case kFloat32:
        return 4;
    case kSigned:
    case kUnsigned:
        return (m_sampleSize == 1 || m_sampleSize == 2 || m_sampleSize == 4) ? m_sampleSize : 0;
    default:
        return 0; // read as 0
    }
}

bool CISurf::LayoutFits(int readSize) const
{
    if (!IsMapped())
        return false;
    const RasterWindow& w = m_window;
    if (w.x < 0 || w.y < 0 || w.width < 1 || w.height < 1 || m_rowStride < 0 || m_sampleSize < 0)
        return false;
    // Every term stays below 2^62, so the sum cannot overflow.
    const uint64_t lastRow = static_cast<uint64_t>(w.y) + static_cast<uint64_t>(w.height) - 1;
    const uint64_t lastCol = static_cast<uint64_t>(w.x) + static_cast<uint64_t>(w.width) - 1;
    const uint64_t end = static_cast<uint64_t>(m_firstSample) + lastRow * static_cast<uint64_t>(m_rowStride)
                         + lastCol * static_cast<uint64_t>(m_sampleSize) + static_cast<uint64_t>(readSize);
    return end <= m_file.size;
}

void CISurf::RecheckLayout()
{
    m_valuesReadable = LayoutFits(ValueReadSize());
    m_colorsReadable = LayoutFits(3);
}

int CISurf::MapFile()
{
    if (IsMapped())
        UnmapFile();
    MappedFileView view;
    if (MapFileView(m_fileName, kPageReadOnly, view) != 0)
        return kMapCannotMapFile;
    m_file = view;

    int result = kMapOk;
    if (m_sampleType != kBitmap24) {
        if (m_headerOffset < 0 || static_cast<uint64_t>(m_headerOffset) > m_file.size) {
            result = kMapFileTooShort;
        } else {
            m_firstSample = static_cast<std::size_t>(m_headerOffset);
            RecheckLayout();
            if (!m_valuesReadable)
                result = kMapFileTooShort;
        }
    } else {
        // A bitmap file: 14-byte file header, then the 40-byte info header.
        const uint8_t* p = m_file.Bytes();
        if (m_file.size < 54 || p[0] != 'B' || p[1] != 'M' || LoadLE16(p + 28) != 24 || LoadLE32(p + 30) != 0) {
            result = kMapNotBitmap24;
        } else {
            const int32_t width = static_cast<int32_t>(LoadLE32(p + 18));
            const int32_t height = static_cast<int32_t>(LoadLE32(p + 22)); // negative: top-down rows, not accepted
            const uint32_t bits = LoadLE32(p + 10);
            const int64_t stride = (3 * static_cast<int64_t>(width) + 3) & ~int64_t{3};
            if (width <= 0 || height <= 0 || stride > INT32_MAX) {
                result = kMapNotBitmap24;
            } else if (bits > m_file.size) {
                result = kMapFileTooShort;
            } else {
                m_sampleSize = 3;
                m_rowStride = static_cast<int>(stride);
                m_window = RasterWindow{0, 0, width, height};
                m_firstSample = bits;
                RecomputeMapping();
                RecheckLayout();
                if (!m_colorsReadable)
                    result = kMapFileTooShort;
            }
        }
    }
    if (result != kMapOk)
        UnmapFile();
    return result;
}

int CISurf::UnmapFile()
{
    if (!IsMapped())
        return -1;
    const int result = UnmapFileView(m_file);
    m_file = MappedFileView{};
    m_firstSample = 0;
    m_valuesReadable = m_colorsReadable = false;
    return result;
}

// ---- sampling ----

const uint8_t* CISurf::PixelAddress(int64_t column, int64_t row) const
{
    return m_file.Bytes() + m_firstSample + row * m_rowStride + column * m_sampleSize;
}

float CISurf::ReadValue(int64_t column, int64_t row) const
{
    const uint8_t* p = PixelAddress(column, row);
    switch (m_sampleType) {
    case kFloat32: {
        const uint32_t bits = LoadBits(p, 4, m_bigEndian);
        float f;
        std::memcpy(&f, &bits, 4);
        return f;
    }
    case kSigned:
        switch (m_sampleSize) {
        case 1: return static_cast<float>(static_cast<int8_t>(p[0]));
        case 2: return static_cast<float>(static_cast<int16_t>(LoadBits(p, 2, m_bigEndian)));
        case 4: return static_cast<float>(static_cast<int32_t>(LoadBits(p, 4, m_bigEndian)));
        default: return 0.0f;
        }
    case kUnsigned:
        switch (m_sampleSize) {
        case 1: return static_cast<float>(p[0]);
        case 2: return static_cast<float>(LoadBits(p, 2, m_bigEndian));
        case 4: return static_cast<float>(LoadBits(p, 4, m_bigEndian));
        default: return 0.0f;
        }
    default:
        return 0.0f;
    }
}

void CISurf::Neighbours(int64_t c, int64_t r, int64_t cols[4], int64_t rows[4]) const
{
    // The window spans columns x0..x1 and rows y0..y1 of the raster; every neighbour
    // stays inside it.
    const int64_t x0 = m_window.x, x1 = x0 + m_window.width - 1;
    const int64_t y0 = m_window.y, y1 = y0 + m_window.height - 1;
    c = std::clamp(c, x0, x1);
    r = std::clamp(r, y0, y1);
    cols[1] = c;
    if (m_wrapColumns) {
        cols[0] = c - 1 < x0 ? x1 : c - 1;
        cols[2] = x0 + (c + 1 - x0) % m_window.width;
        cols[3] = x0 + (c + 2 - x0) % m_window.width;
    } else {
        cols[0] = std::max(c - 1, x0);
        cols[2] = std::min(c + 1, x1);
        cols[3] = std::min(c + 2, x1);
    }
    rows[0] = std::max(r - 1, y0);
    rows[1] = r;
    rows[2] = std::min(r + 1, y1);
    rows[3] = std::min(r + 2, y1);
}

float CISurf::SampleValue(double latitude, double longitude) const
{
    if (!IsMapped())
        return 0.0f;
    float column, row;
    if (!m_valuesReadable || !LatLonToGrid(latitude, longitude, column, row))
        return m_noDataResult;
    const int64_t c = static_cast<int64_t>(column), r = static_cast<int64_t>(row);
    const float fx = column - static_cast<float>(c), fy = row - static_cast<float>(r);
    int64_t cols[4], rows[4];
    Neighbours(c, r, cols, rows);

    float value;
    if (m_bilinear) {
        float s[2][2];
        for (int j = 0; j < 2; ++j)
            for (int i = 0; i < 2; ++i) {
                s[j][i] = ReadValue(cols[i + 1], rows[j + 1]);
                if (m_noDataCheck && NearNoData(s[j][i], m_noDataValue))
                    s[j][i] = m_noDataResult;
            }
        const float a = s[0][0] + (s[0][1] - s[0][0]) * fx;
        const float b = s[1][0] + (s[1][1] - s[1][0]) * fx;
        value = a + (b - a) * fy;
    } else {
        if (m_noDataCheck && NearNoData(ReadValue(cols[1], rows[1]), m_noDataValue))
            return m_noDataResult;
        float across[4];
        for (int j = 0; j < 4; ++j) {
            float s[4];
            for (int i = 0; i < 4; ++i) {
                s[i] = ReadValue(cols[i], rows[j]);
                if (m_noDataCheck && NearNoData(s[i], m_noDataValue))
                    s[i] = m_noDataResult;
            }
            across[j] = static_cast<float>(CatmullRom(s[0], s[1], s[2], s[3], fx));
        }
        value = static_cast<float>(CatmullRom(across[0], across[1], across[2], across[3], fy));
    }
    return value * m_scale + m_offset;
}

uint32_t CISurf::SampleColor(double latitude, double longitude) const
{
    float column, row;
    if (!IsMapped() || !m_colorsReadable || !LatLonToGrid(latitude, longitude, column, row))
        return 0;
    const int64_t c = static_cast<int64_t>(column), r = static_cast<int64_t>(row);
    const double fx = column - static_cast<float>(c), fy = row - static_cast<float>(r);
    int64_t cols[4], rows[4];
    Neighbours(c, r, cols, rows);

    uint32_t result = 0;
    // File order of a pixel: blue, green, red. The result holds red in the low byte.
    for (int byte = 0; byte < 3; ++byte) {
        double v;
        if (m_bilinear) {
            auto px = [&](int i, int j) { return static_cast<double>(PixelAddress(cols[i], rows[j])[byte]); };
            const double a = px(1, 1) + (px(2, 1) - px(1, 1)) * fx;
            const double b = px(1, 2) + (px(2, 2) - px(1, 2)) * fx;
            v = a + (b - a) * fy;
        } else {
            double across[4];
            for (int j = 0; j < 4; ++j) {
                double p[4];
                for (int i = 0; i < 4; ++i)
                    p[i] = PixelAddress(cols[i], rows[j])[byte];
                across[j] = CubicBasisEval(CatmullRomBasis(), p, fx);
            }
            v = CubicBasisEval(CatmullRomBasis(), across, fy);
        }
        result |= static_cast<uint32_t>(ClampToByte(v)) << (8 * (2 - byte));
    }
    return result;
}

// ---- archive ----

void CISurf::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kArchiveVersion << m_fileName << m_bounds.west << m_bounds.south << m_bounds.east << m_bounds.north
           << static_cast<int32_t>(m_sampleType) << static_cast<int32_t>(m_window.x)
           << static_cast<int32_t>(m_window.y) << static_cast<int32_t>(m_window.width)
           << static_cast<int32_t>(m_window.height) << static_cast<int32_t>(m_headerOffset)
           << static_cast<int32_t>(m_rowStride) << static_cast<int32_t>(m_sampleSize) << m_offset << m_scale
           << static_cast<int32_t>(m_bigEndian ? 1 : 0) << static_cast<int32_t>(m_bilinear ? 1 : 0);
        return;
    }

    if (IsMapped())
        UnmapFile();
    int32_t version = 0;
    ar >> version;
    if (version < 256)
        return;
    // Read everything before changing anything, so that a short record leaves the
    // surface as it was.
    std::string name;
    GeoBounds b;
    int32_t type, wx, wy, ww, wh, header, stride, size;
    float offset, scale;
    ar >> name >> b.west >> b.south >> b.east >> b.north >> type >> wx >> wy >> ww >> wh >> header >> stride >> size
        >> offset >> scale;
    int32_t bigEndian = m_bigEndian ? 1 : 0, bilinear = m_bilinear ? 1 : 0;
    if (version > 256)
        ar >> bigEndian;
    if (version > 257)
        ar >> bilinear;

    m_fileName = std::move(name);
    if (b.west > b.east)
        std::swap(b.west, b.east);
    m_bounds = b;
    m_sampleType = type;
    m_window = RasterWindow{wx, wy, ww, wh};
    m_headerOffset = header;
    m_rowStride = stride;
    m_sampleSize = size;
    m_offset = offset;
    m_scale = scale;
    m_bigEndian = bigEndian != 0;
    m_bilinear = bilinear != 0;
    RecomputeMapping();
}

} // namespace kv
