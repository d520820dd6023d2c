#include "view/ImageFileWriters.h"

#include "platform/AtomicFile.h"

#include "platform/ParallelFor.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include <zlib.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Row `row` (rowBytes bytes after `prior`, null for the first row) filtered into out: the
// filter byte, then the filtered bytes. All five filters are made in one pass with their
// sums of magnitudes (sixteen bytes at a time where the processor has SSE2, the same
// values); the first with the least sum wins.
void FilterRow(const uint8_t* row, const uint8_t* prior, size_t rowBytes, uint8_t* out, uint8_t* scratch,
               const uint8_t* zeros)
{
    constexpr size_t bpp = 4;
    if (prior == nullptr)
        prior = zeros; // the row above the first counts as zeros: Up is None, Paeth is Sub
    const size_t stride = rowBytes + 1;
    uint8_t* f[5];
    for (int filter = 0; filter < 5; ++filter) {
        f[filter] = scratch + static_cast<size_t>(filter) * stride;
        f[filter][0] = static_cast<uint8_t>(filter);
    }
    // The magnitude of a filtered byte read as signed (128 for 0x80).
    auto magnitude = [](uint8_t v) { return static_cast<uint64_t>(std::abs(static_cast<int>(static_cast<int8_t>(v)))); };
    uint64_t sum[5] = {0, 0, 0, 0, 0};
    // Byte i with its left neighbour a and upper-left neighbour c.
    auto filterByte = [&](size_t i, int a, int c) {
        const int x = row[i], b = prior[i];
        const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
        const int paeth = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
        const uint8_t v[5] = {static_cast<uint8_t>(x), static_cast<uint8_t>(x - a), static_cast<uint8_t>(x - b),
                              static_cast<uint8_t>(x - ((a + b) >> 1)), static_cast<uint8_t>(x - paeth)};
        for (int k = 0; k < 5; ++k) {
            f[k][i + 1] = v[k];
            sum[k] += magnitude(v[k]);
        }
    };
    // Left of the first pixel counts as zeros.
    for (size_t i = 0; i < std::min(bpp, rowBytes); ++i)
        filterByte(i, 0, 0);
    size_t i = bpp;
#if defined(__SSE2__)
    // Sixteen bytes at a time; the tail below finishes the row byte by byte.
    {
        const __m128i zero = _mm_setzero_si128();
        const __m128i one = _mm_set1_epi8(1);
        __m128i t0 = zero, t1 = zero, t2 = zero, t3 = zero, t4 = zero;
        // |v| of bytes read as signed, summed in two 64-bit halves.
        auto magnitudes = [&](__m128i v) { return _mm_sad_epu8(_mm_min_epu8(v, _mm_sub_epi8(zero, v)), zero); };
        // Paeth on eight 16-bit lanes.
        auto paeth16 = [&](__m128i a, __m128i b, __m128i c) {
            auto absolute = [&](__m128i v) { return _mm_max_epi16(v, _mm_sub_epi16(zero, v)); };
            const __m128i pa = absolute(_mm_sub_epi16(b, c));
            const __m128i pb = absolute(_mm_sub_epi16(a, c));
            const __m128i pc = absolute(_mm_sub_epi16(_mm_add_epi16(a, b), _mm_add_epi16(c, c)));
            // a where pa <= pb and pa <= pc; else b where pb <= pc; else c.
            const __m128i takeA = _mm_andnot_si128(_mm_or_si128(_mm_cmpgt_epi16(pa, pb), _mm_cmpgt_epi16(pa, pc)),
                                                   _mm_set1_epi16(-1));
            const __m128i takeB = _mm_andnot_si128(_mm_cmpgt_epi16(pb, pc), _mm_set1_epi16(-1));
            const __m128i bc = _mm_or_si128(_mm_and_si128(takeB, b), _mm_andnot_si128(takeB, c));
            return _mm_or_si128(_mm_and_si128(takeA, a), _mm_andnot_si128(takeA, bc));
        };
        for (; i + 16 <= rowBytes; i += 16) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i - bpp));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(prior + i));
            const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(prior + i - bpp));
            const __m128i v1 = _mm_sub_epi8(x, a);
            const __m128i v2 = _mm_sub_epi8(x, b);
            // floor((a + b) / 2): the rounded-up average less the lost low bit.
            const __m128i average = _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), one));
            const __m128i v3 = _mm_sub_epi8(x, average);
            const __m128i lo = paeth16(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero), _mm_unpacklo_epi8(c, zero));
            const __m128i hi = paeth16(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero), _mm_unpackhi_epi8(c, zero));
            const __m128i v4 = _mm_sub_epi8(x, _mm_packus_epi16(lo, hi));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(f[0] + i + 1), x);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(f[1] + i + 1), v1);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(f[2] + i + 1), v2);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(f[3] + i + 1), v3);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(f[4] + i + 1), v4);
            t0 = _mm_add_epi64(t0, magnitudes(x));
            t1 = _mm_add_epi64(t1, magnitudes(v1));
            t2 = _mm_add_epi64(t2, magnitudes(v2));
            t3 = _mm_add_epi64(t3, magnitudes(v3));
            t4 = _mm_add_epi64(t4, magnitudes(v4));
        }
        auto total = [](__m128i t) {
            return static_cast<uint64_t>(_mm_cvtsi128_si64(t)) +
                   static_cast<uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(t, t)));
        };
        sum[0] += total(t0), sum[1] += total(t1), sum[2] += total(t2), sum[3] += total(t3), sum[4] += total(t4);
    }
#endif
    for (; i < rowBytes; ++i)
        filterByte(i, row[i - bpp], prior[i - bpp]);
    int best = 0;
    for (int filter = 1; filter < 5; ++filter)
        if (sum[filter] < sum[best])
            best = filter;
    std::memcpy(out, f[best], stride);
}

// One band: its rows filtered and deflated, ready to be written as one IDAT chunk (length,
// type, data, CRC), with the adler sum of its filtered bytes for the stream's check sum.
struct PngBand {
    std::unique_ptr<uint8_t[]> chunk;
    size_t chunkBytes = 0;
    uLong adler = 1;
    size_t filteredBytes = 0;
    bool ok = false;
};

// A thread's working buffers and deflate state, kept between bands and images.
struct PngEncoder {
    z_stream z{};
    bool ready = false;
    std::vector<uint8_t> filtered, scratch, zeros;

    PngEncoder()
    {
        ready = deflateInit2(&z, kPngLevel, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) == Z_OK;
    }
    ~PngEncoder()
    {
        if (ready)
            deflateEnd(&z);
    }
    PngEncoder(const PngEncoder&) = delete;
    PngEncoder& operator=(const PngEncoder&) = delete;
};

// Grows a buffer without clearing what it already holds (every byte used is written first).
void Reserve(std::vector<uint8_t>& buffer, size_t bytes)
{
    if (buffer.size() < bytes)
        buffer.resize(bytes);
}

void EncodeBand(const uint8_t* rgba, size_t rowBytes, int first, int last, bool finish, PngBand& band)
{
    thread_local PngEncoder encoder;
    if (!encoder.ready || deflateReset(&encoder.z) != Z_OK)
        return;
    const size_t stride = rowBytes + 1;
    const size_t filteredBytes = static_cast<size_t>(last - first) * stride;
    Reserve(encoder.filtered, filteredBytes);
    Reserve(encoder.scratch, 5 * stride);
    if (first == 0) {
        encoder.zeros.assign(rowBytes, 0);
    }
    for (int y = first; y < last; ++y) {
        const uint8_t* row = rgba + static_cast<size_t>(y) * rowBytes;
        FilterRow(row, y > 0 ? row - rowBytes : nullptr, rowBytes,
                  encoder.filtered.data() + static_cast<size_t>(y - first) * stride, encoder.scratch.data(),
                  encoder.zeros.data());
    }
    band.filteredBytes = filteredBytes;
    band.adler = adler32_z(1L, encoder.filtered.data(), filteredBytes);
    z_stream& z = encoder.z;
    const size_t bound = deflateBound(&z, static_cast<uLong>(filteredBytes)) + 16;
    band.chunk.reset(new (std::nothrow) uint8_t[bound + 12]);
    if (!band.chunk)
        return;
    uint8_t* data = band.chunk.get() + 8;
    z.next_in = encoder.filtered.data();
    z.avail_in = static_cast<uInt>(filteredBytes);
    z.next_out = data;
    z.avail_out = static_cast<uInt>(bound);
    const int result = deflate(&z, finish ? Z_FINISH : Z_FULL_FLUSH);
    band.ok = finish ? result == Z_STREAM_END : (result == Z_OK && z.avail_in == 0 && z.avail_out > 0);
    const size_t size = bound - z.avail_out;
    uint8_t* chunk = band.chunk.get();
    PutBE32(chunk, static_cast<uint32_t>(size));
    std::memcpy(chunk + 4, "IDAT", 4);
    PutBE32(data + size, static_cast<uint32_t>(crc32_z(0L, chunk + 4, size + 4)));
    band.chunkBytes = size + 12;
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
        // Bands are handed out one at a time: their costs differ with the picture.
        std::atomic<int> next{0};
        const int parts = std::min(HardwareThreads(), bands);
        ParallelRows(
            parts,
            [&](int, int) {
                for (int b = next.fetch_add(1, std::memory_order_relaxed); b < bands;
                     b = next.fetch_add(1, std::memory_order_relaxed)) {
                    const int first = b * bandRows;
                    EncodeBand(rgba, rowBytes, first, std::min(first + bandRows, height), b == bands - 1,
                               encoded[static_cast<size_t>(b)]);
                }
            },
            parts);
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
        ok = ok && std::fwrite(band.chunk.get(), 1, band.chunkBytes, out) == band.chunkBytes;
    ok = ok && WriteChunk(out, "IDAT", zlibTail, 4) && WriteChunk(out, "IEND", nullptr, 0);
    if (!ok)
        return -3;
    return file.Commit() ? 0 : -3;
}

} // namespace kv
