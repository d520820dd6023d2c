#include "view/ImageFileWriters.h"

#include "platform/AtomicFile.h"

#include "platform/ParallelFor.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include <zlib.h>

namespace kv {

// ---------------------------------------------------------------- PNG
//
// The rows are filtered and deflated in bands on all cores: each band is a run of whole
// deflate blocks ending on a byte boundary (a full flush, the last band finishing the
// stream), so the bands joined make one zlib stream whose check sum is combined from
// theirs. Every row takes the filter whose output has the least sum of magnitudes.

namespace {

constexpr int kPngLevel = 2; // deflate level: a fast level, the bands keep every core busy

void PutBE32(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}

bool WriteChunk(std::FILE* file, const char type[4], const uint8_t* data, size_t size)
{
    uint8_t head[8];
    PutBE32(head, static_cast<uint32_t>(size));
    std::memcpy(head + 4, type, 4);
    uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(type), 4);
    // crc32 takes at most uInt bytes at a time.
    for (size_t done = 0; done < size;) {
        const size_t step = std::min<size_t>(size - done, 1u << 30);
        crc = crc32(crc, data + done, static_cast<uInt>(step));
        done += step;
    }
    uint8_t tail[4];
    PutBE32(tail, static_cast<uint32_t>(crc));
    return std::fwrite(head, 1, 8, file) == 8 && (size == 0 || std::fwrite(data, 1, size, file) == size) &&
           std::fwrite(tail, 1, 4, file) == 4;
}

int Paeth(int a, int b, int c)
{
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc)
        return a;
    return pb <= pc ? b : c;
}

// Row `row` (rowBytes bytes after `prior`, null for the first row) filtered into out: the
// filter byte, then the filtered bytes. Each filter runs over the whole row in a loop of its
// own; the first with the least sum of magnitudes wins.
void FilterRow(const uint8_t* row, const uint8_t* prior, size_t rowBytes, uint8_t* out, uint8_t* scratch)
{
    constexpr size_t bpp = 4;
    std::vector<uint8_t> none;
    if (prior == nullptr) {
        // The row above the first counts as zeros: then Up is None and Paeth is Sub.
        none.assign(rowBytes, 0);
        prior = none.data();
    }
    const size_t stride = rowBytes + 1;
    uint8_t* f[5];
    for (int filter = 0; filter < 5; ++filter) {
        f[filter] = scratch + static_cast<size_t>(filter) * stride;
        f[filter][0] = static_cast<uint8_t>(filter);
    }
    const size_t head = std::min(bpp, rowBytes);
    for (size_t i = 0; i < head; ++i) {
        f[0][i + 1] = row[i];
        f[1][i + 1] = row[i];
        f[2][i + 1] = static_cast<uint8_t>(row[i] - prior[i]);
        f[3][i + 1] = static_cast<uint8_t>(row[i] - (prior[i] >> 1));
        f[4][i + 1] = static_cast<uint8_t>(row[i] - prior[i]); // Paeth of (0, b, 0) is b
    }
    for (size_t i = bpp; i < rowBytes; ++i) {
        f[0][i + 1] = row[i];
        f[1][i + 1] = static_cast<uint8_t>(row[i] - row[i - bpp]);
        f[2][i + 1] = static_cast<uint8_t>(row[i] - prior[i]);
        f[3][i + 1] = static_cast<uint8_t>(row[i] - ((row[i - bpp] + prior[i]) >> 1));
    }
    for (size_t i = bpp; i < rowBytes; ++i)
        f[4][i + 1] = static_cast<uint8_t>(row[i] - Paeth(row[i - bpp], prior[i], prior[i - bpp]));
    int best = 0;
    uint64_t bestSum = UINT64_MAX;
    for (int filter = 0; filter < 5; ++filter) {
        // The magnitude of a byte read as signed (128 for 0x80), without a branch.
        uint64_t sum = 0;
        const auto* p = reinterpret_cast<const int8_t*>(f[filter] + 1);
        for (size_t i = 0; i < rowBytes; ++i) {
            const int v = p[i];
            sum += static_cast<uint64_t>(v < 0 ? -v : v);
        }
        if (sum < bestSum) {
            bestSum = sum;
            best = filter;
        }
    }
    std::memcpy(out, f[best], stride);
}

struct PngBand {
    std::vector<uint8_t> deflated;
    uLong adler = 1;
    size_t filteredBytes = 0;
    bool ok = false;
};

void EncodeBand(const uint8_t* rgba, size_t rowBytes, int first, int last, bool finish, PngBand& band)
{
    std::vector<uint8_t> filtered(static_cast<size_t>(last - first) * (rowBytes + 1));
    std::vector<uint8_t> scratch(5 * (rowBytes + 1));
    for (int y = first; y < last; ++y) {
        const uint8_t* row = rgba + static_cast<size_t>(y) * rowBytes;
        FilterRow(row, y > 0 ? row - rowBytes : nullptr, rowBytes,
                  filtered.data() + static_cast<size_t>(y - first) * (rowBytes + 1), scratch.data());
    }
    band.filteredBytes = filtered.size();
    band.adler = adler32_z(1L, filtered.data(), filtered.size());

    z_stream z{};
    if (deflateInit2(&z, kPngLevel, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return;
    band.deflated.resize(deflateBound(&z, static_cast<uLong>(filtered.size())) + 16);
    z.next_in = filtered.data();
    z.avail_in = static_cast<uInt>(filtered.size());
    z.next_out = band.deflated.data();
    z.avail_out = static_cast<uInt>(band.deflated.size());
    const int result = deflate(&z, finish ? Z_FINISH : Z_FULL_FLUSH);
    band.ok = finish ? result == Z_STREAM_END : (result == Z_OK && z.avail_in == 0 && z.avail_out > 0);
    band.deflated.resize(band.deflated.size() - z.avail_out);
    deflateEnd(&z);
}

} // namespace

int WritePngFile(const std::string& path, const uint8_t* rgba, int width, int height)
{
    if (rgba == nullptr || width < 1 || height < 1)
        return -1;
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    AtomicFile file;
    if (!file.Open(path))
        return -1;

    // Bands of about 1 MB of pixels (every band a single deflate call), at least one row.
    const int bandRows = static_cast<int>(std::clamp<size_t>((size_t{1} << 20) / rowBytes, 1, 1u << 20));
    const int bands = (height + bandRows - 1) / bandRows;
    std::vector<PngBand> encoded(static_cast<size_t>(bands));
    try {
        ParallelRows(bands, [&](int begin, int end) {
            for (int b = begin; b < end; ++b) {
                const int first = b * bandRows;
                EncodeBand(rgba, rowBytes, first, std::min(first + bandRows, height), b == bands - 1,
                           encoded[static_cast<size_t>(b)]);
            }
        });
    } catch (const std::bad_alloc&) {
        return -3;
    }
    uLong adler = 1;
    for (const PngBand& band : encoded) {
        if (!band.ok)
            return -3;
        adler = adler32_combine(adler, band.adler, static_cast<z_off_t>(band.filteredBytes));
    }

    std::FILE* out = file.File();
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    uint8_t header[13];
    PutBE32(header, static_cast<uint32_t>(width));
    PutBE32(header + 4, static_cast<uint32_t>(height));
    header[8] = 8;  // bits per channel
    header[9] = 6;  // red, green, blue, alpha
    header[10] = 0; // deflate
    header[11] = 0; // adaptive filtering
    header[12] = 0; // not interlaced
    // The zlib header (32 K window, the fast-level hint) and, at the end, the check sum.
    const uint8_t zlibHead[2] = {0x78, 0x01};
    uint8_t zlibTail[4];
    PutBE32(zlibTail, static_cast<uint32_t>(adler));
    bool ok = std::fwrite(kSignature, 1, 8, out) == 8 && WriteChunk(out, "IHDR", header, sizeof header) &&
              WriteChunk(out, "IDAT", zlibHead, 2);
    for (const PngBand& band : encoded)
        ok = ok && WriteChunk(out, "IDAT", band.deflated.data(), band.deflated.size());
    ok = ok && WriteChunk(out, "IDAT", zlibTail, 4) && WriteChunk(out, "IEND", nullptr, 0);
    if (!ok)
        return -3;
    return file.Commit() ? 0 : -3;
}

} // namespace kv
