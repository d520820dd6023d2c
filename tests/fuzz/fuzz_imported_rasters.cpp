// Imported raster files read in place through the read-only file mapping. The first 8 bytes
// of an input lay out the surface (sample type and size, byte order, header, pixel window,
// row stride, interpolation, bounds), the rest is the file. Mapping a value raster succeeds
// exactly when the header, window and stride lie inside the file (a read past the end of a
// mapping may land in the same page and go unnoticed by the sanitizer, so the rule is
// checked here); a bitmap maps only when its pixel rows fit. Samples never leave the file,
// colours keep their top byte 0, and a window enlarged past the file after mapping gives
// no-data values and no colours.
#include "FuzzSupport.h"

#include "base/layers/CISurf.h"

#include "ImageSeeds.h"

using namespace kv;

namespace {

constexpr size_t kLayoutBytes = 8;

struct Layout {
    int type, size, header, stride;
    RasterWindow window;
    bool bigEndian, bilinear, wrap, acrossMeridian, noDataCheck;
};

Layout LayoutOf(const uint8_t* b)
{
    static const int kSizes[] = {1, 2, 4, 3};
    Layout l;
    l.type = b[0] & 3;
    l.bigEndian = b[0] & 4;
    l.bilinear = b[0] & 8;
    l.wrap = b[0] & 16;
    l.acrossMeridian = b[0] & 32;
    l.noDataCheck = b[0] & 64;
    l.size = l.type == CISurf::kFloat32 ? 4 : kSizes[b[1] % 4];
    l.header = b[2];
    l.window = {b[3] % 16, b[4] % 16, 1 + b[5] % 64, 1 + b[6] % 64};
    l.stride = (l.window.x + l.window.width) * l.size + b[7] % 16;
    return l;
}

uint64_t LoadLE32(const uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint64_t>(p[3]) << 24);
}

// Bytes a window needs from a file: the end of its last sample.
uint64_t WindowEnd(uint64_t first, const RasterWindow& w, uint64_t stride, uint64_t sampleSize, uint64_t readSize)
{
    return first + (uint64_t(w.y) + uint64_t(w.height) - 1) * stride + (uint64_t(w.x) + uint64_t(w.width) - 1) * sampleSize +
           readSize;
}

// Where the samples of a mapped file lie: the first byte, the row stride, the bytes
// between columns, and the bytes read for a value (0: none) and for a colour.
struct Reads {
    uint64_t first, stride, sampleSize, valueRead, colourRead;

    bool Fit(const RasterWindow& w, uint64_t readSize, size_t fileSize) const
    {
        return WindowEnd(first, w, stride, sampleSize, readSize) <= fileSize;
    }
};

// What MapFile must answer for this layout and file, and where a mapped file's samples lie.
int ExpectedMapResult(const Layout& l, const uint8_t* file, size_t size, Reads& reads)
{
    if (size == 0)
        return CISurf::kMapCannotMapFile;
    if (l.type != CISurf::kBitmap24) {
        const uint64_t valueRead = l.type == CISurf::kFloat32 ? 4 : (l.size == 3 ? 0 : l.size);
        reads = {uint64_t(l.header), uint64_t(l.stride), uint64_t(l.size), valueRead, 3};
        if (uint64_t(l.header) > size || !reads.Fit(l.window, valueRead, size))
            return CISurf::kMapFileTooShort;
        return CISurf::kMapOk;
    }
    if (size < 54 || file[0] != 'B' || file[1] != 'M' || (file[28] | file[29] << 8) != 24 || LoadLE32(file + 30) != 0)
        return CISurf::kMapNotBitmap24;
    const int32_t width = static_cast<int32_t>(LoadLE32(file + 18));
    const int32_t height = static_cast<int32_t>(LoadLE32(file + 22));
    const uint64_t bits = LoadLE32(file + 10);
    const int64_t stride = (3 * int64_t(width) + 3) & ~int64_t(3);
    if (width <= 0 || height <= 0 || stride > INT32_MAX)
        return CISurf::kMapNotBitmap24;
    reads = {bits, uint64_t(stride), 3, 0, 3};
    if (bits > size || !reads.Fit(RasterWindow{0, 0, width, height}, 3, size))
        return CISurf::kMapFileTooShort;
    return CISurf::kMapOk;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < kLayoutBytes)
        return 0;
    const Layout l = LayoutOf(data);
    const uint8_t* file = data + kLayoutBytes;
    const size_t fileSize = size - kLayoutBytes;

    CISurf s;
    s.SetFileName(fuzz::WriteScratch("raster", file, fileSize));
    s.SetSampleType(l.type);
    s.SetSampleSize(l.size);
    s.SetBigEndian(l.bigEndian);
    s.SetHeaderOffset(l.header);
    s.SetRowStride(l.stride);
    s.SetRasterWindow(l.window);
    s.SetBilinear(l.bilinear);
    s.SetWrapColumns(l.wrap);
    s.SetNoData(l.noDataCheck, 0.0f, -7.0f);
    s.SetBounds(l.acrossMeridian ? GeoBounds{170.0, -20.0, -170.0, 30.0} : GeoBounds{-40.0, -20.0, 60.0, 30.0});

    const int mapped = s.MapFile();
    Reads reads{};
    FUZZ_CHECK(mapped == ExpectedMapResult(l, file, fileSize, reads));
    FUZZ_CHECK(s.IsMapped() == (mapped == CISurf::kMapOk));
    if (mapped != CISurf::kMapOk) {
        FUZZ_CHECK(s.SampleValue(0, 0) == 0.0f);
        FUZZ_CHECK(s.SampleColor(0, 0) == 0);
        return 0;
    }

    // Points over the rectangle and around it, the 180th meridian included.
    auto forPoints = [](auto visit) {
        for (int i = 0; i <= 6; ++i)
            for (int j = 0; j <= 8; ++j)
                visit(-25.0 + 9.0 * i, -180.0 + 45.0 * j + (j % 2 ? 0.37 : 0.0));
    };
    forPoints([&](double lat, double lon) {
        s.SampleValue(lat, lon);
        FUZZ_CHECK((s.SampleColor(lat, lon) >> 24) == 0);
    });

    // A window that no longer fits the file is refused at once, without a new mapping.
    RasterWindow wider = s.GetRasterWindow();
    wider.width = wider.width * 4 + 64;
    wider.height = wider.height * 4 + 64;
    s.SetRasterWindow(wider);
    const bool valuesFit = reads.Fit(wider, reads.valueRead, fileSize);
    const bool coloursFit = reads.Fit(wider, reads.colourRead, fileSize);
    forPoints([&](double lat, double lon) {
        float column, row;
        const float value = s.SampleValue(lat, lon);
        if (!valuesFit && s.LatLonToGrid(lat, lon, column, row))
            FUZZ_CHECK(value == s.GetNoDataResult());
        const uint32_t colour = s.SampleColor(lat, lon);
        if (!coloursFit)
            FUZZ_CHECK(colour == 0);
    });
    FUZZ_CHECK(s.UnmapFile() == 0);
    FUZZ_CHECK(!s.IsMapped());
    return 0;
}

namespace {

fuzz::Bytes Input(const uint8_t (&layout)[kLayoutBytes], const fuzz::Bytes& file)
{
    fuzz::Bytes b(layout, layout + kLayoutBytes);
    b.insert(b.end(), file.begin(), file.end());
    return b;
}

void MakeSeeds(const fuzz::SeedWriter& seeds)
{
    fuzz::Bytes samples(10 + 6 * 4 * 4);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<uint8_t>(i * 37);
    // Signed 16-bit big-endian, 10-byte header, 6 x 4 window; float32 bilinear; unsigned
    // bytes wrapping across the 180th meridian.
    seeds.Add("signed16-big-endian", Input({1 | 4, 1, 10, 0, 0, 5, 3, 0}, samples));
    seeds.Add("float32", Input({0 | 8 | 64, 2, 0, 1, 1, 3, 2, 4}, samples));
    seeds.Add("unsigned8-wrapping", Input({2 | 16 | 32, 0, 4, 2, 0, 7, 5, 3}, samples));

    // A 5 x 3 24-bit bitmap from our BMP writer (rows padded to 16 bytes).
    const fuzz::Bytes bmp = image_seeds::Bmp(5, 3, 24);
    seeds.Add("bitmap24", Input({3 | 8, 0, 0, 0, 0, 0, 0, 0}, bmp));
    seeds.Add("bitmap24-cubic-across-meridian", Input({3 | 32, 0, 0, 0, 0, 0, 0, 0}, bmp));
}

} // namespace

KV_FUZZ_SEEDS(MakeSeeds)
