#include "base/raster/VideoBuffer.h"

#include "platform/AtomicFile.h"
#include "platform/ZeroedPages.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace kv {

void VideoBuffer::PixelDeleter::operator()(uint8_t* p) const
{
    if (mapped)
        UnmapZeroedPages(p, mapped);
    else
        std::free(p);
}

VideoBuffer::VideoBuffer() = default;

VideoBuffer::VideoBuffer(int width, int height)
{
    CreateMapped(width, height);
}

VideoBuffer::VideoBuffer(const VideoBuffer& other)
{
    *this = other;
}

VideoBuffer::VideoBuffer(VideoBuffer&& other) noexcept
{
    Swap(other);
}

VideoBuffer& VideoBuffer::operator=(const VideoBuffer& other)
{
    if (this == &other)
        return *this;
    Free();
    if (!other.IsEmpty() && Create(other.m_width, other.m_height, other.GetBitCount()) == 0)
        std::memcpy(m_bits.get(), other.m_bits.get(), m_header->sizeImage);
    return *this;
}

VideoBuffer& VideoBuffer::operator=(VideoBuffer&& other) noexcept
{
    if (this != &other) {
        Free();
        Swap(other);
    }
    return *this;
}

VideoBuffer::~VideoBuffer() = default;

void VideoBuffer::Swap(VideoBuffer& other) noexcept
{
    // A canvas draws into the buffer object it was made for (whatever image that holds),
    // so each canvas stays with its own buffer.
    std::swap(m_width, other.m_width);
    std::swap(m_height, other.m_height);
    std::swap(m_bits, other.m_bits);
    std::swap(m_header, other.m_header);
}

int VideoBuffer::Create(int width, int height, int bitCount)
{
    if (width < kVideoBufferMinWidth || height < kVideoBufferMinHeight)
        return -1;
    if (bitCount != 8 && bitCount != 24 && bitCount != 32)
        return -1;
    const size_t bytesPerPixel = static_cast<size_t>(bitCount / 8);
    const size_t w = static_cast<size_t>(width);
    const size_t h = static_cast<size_t>(height);
    if (w > kVideoBufferMaxBytes / bytesPerPixel / h)
        return -1;
    const size_t bytes = w * h * bytesPerPixel;

    // Fresh pages come zeroed from the system: a cleared image costs no pass over it.
    std::unique_ptr<uint8_t, PixelDeleter> bits;
    if (bytes >= kZeroedPagesMinBytes) {
        size_t mapped = 0;
        if (auto* p = static_cast<uint8_t*>(MapZeroedPages(bytes, mapped)))
            bits = std::unique_ptr<uint8_t, PixelDeleter>(p, PixelDeleter{mapped});
    } else {
        bits.reset(static_cast<uint8_t*>(std::calloc(bytes, 1)));
    }
    if (!bits)
        return -1;
    auto header = std::make_unique<BitmapInfoHeader>();
    header->size = kBitmapInfoHeaderSize;
    header->width = width;
    header->height = height;
    header->planes = 1;
    header->bitCount = static_cast<uint16_t>(bitCount);
    header->compression = 0;
    header->sizeImage = static_cast<uint32_t>(bytes);

    Free();
    m_width = width;
    m_height = height;
    m_bits = std::move(bits);
    m_header = std::move(header);
    return 0;
}

void VideoBuffer::Free()
{
    m_canvas.reset();
    m_bits.reset();
    m_header.reset();
    m_width = 0;
    m_height = 0;
}

uint32_t VideoBuffer::GetPixel(int col, int row) const
{
    if (!m_bits || col < 0 || col >= m_width || row < 0 || row >= m_height)
        return 0;
    const uint8_t* p = RowPointer(row) + static_cast<size_t>(col) * static_cast<size_t>(BytesPerPixel());
    switch (BytesPerPixel()) {
    case 4:
        return p[2] | (p[1] << 8) | (p[0] << 16) | (static_cast<uint32_t>(p[3]) << 24);
    case 3:
        return p[2] | (p[1] << 8) | (p[0] << 16);
    default:
        return p[0];
    }
}

namespace {

// Sets `pixels` pixels of `bytesPerPixel` bytes from p on as Clear does.
void FillPixels(uint8_t* p, size_t pixels, int bytesPerPixel, uint32_t colour)
{
    switch (bytesPerPixel) {
    case 4: {
        const uint8_t px[4] = {static_cast<uint8_t>(colour >> 16), static_cast<uint8_t>(colour >> 8),
                               static_cast<uint8_t>(colour), 0};
        uint32_t word;
        std::memcpy(&word, px, 4);
        for (size_t i = 0; i < pixels; ++i, p += 4)
            std::memcpy(p, &word, 4);
        break;
    }
    case 3:
        for (size_t i = 0; i < pixels; ++i, p += 3) {
            p[0] = static_cast<uint8_t>(colour >> 16);
            p[1] = static_cast<uint8_t>(colour >> 8);
            p[2] = static_cast<uint8_t>(colour);
        }
        break;
    default:
        std::memset(p, static_cast<uint8_t>(colour), pixels);
        break;
    }
}

} // namespace

void VideoBuffer::Clear(uint32_t colour)
{
    if (!m_bits)
        return;
    FillPixels(m_bits.get(), static_cast<size_t>(m_width) * static_cast<size_t>(m_height), BytesPerPixel(), colour);
}

void VideoBuffer::ClearRow(int row, uint32_t colour)
{
    if (!m_bits || row < 0 || row >= m_height)
        return;
    FillPixels(RowPointer(row), static_cast<size_t>(m_width), BytesPerPixel(), colour);
}

void VideoBuffer::FillRect(int x, int y, int w, int h, uint32_t colour)
{
    if (!m_bits || w <= 0 || h <= 0)
        return;
    // Columns x .. x+w-1, top-based rows y-h+1 .. y; work in 64 bits so that no sum wraps.
    const int64_t c0 = std::max<int64_t>(x, 0);
    const int64_t c1 = std::min<int64_t>(int64_t(x) + w, m_width);
    const int64_t r0 = std::max<int64_t>(int64_t(y) - h + 1, 0);
    const int64_t r1 = std::min<int64_t>(int64_t(y) + 1, m_height);
    if (c0 >= c1 || r0 >= r1)
        return;
    const size_t bpp = static_cast<size_t>(BytesPerPixel());
    for (int64_t r = r0; r < r1; ++r) {
        uint8_t* p = RowPointer(static_cast<int>(r)) + static_cast<size_t>(c0) * bpp;
        for (int64_t c = c0; c < c1; ++c, p += bpp) {
            if (bpp >= 3) {
                p[0] = static_cast<uint8_t>(colour >> 16);
                p[1] = static_cast<uint8_t>(colour >> 8);
                p[2] = static_cast<uint8_t>(colour);
            } else {
                p[0] = static_cast<uint8_t>(colour);
            }
        }
    }
}

uint32_t VideoBuffer::SampleBilinear(float x, float y) const
{
    if (!m_bits || GetBitCount() < 24)
        return 0;
    if (!(x >= 0.0f) || !(y >= 0.0f) || !(x < static_cast<float>(m_width)) || !(y < static_cast<float>(m_height)))
        return 0;
    const int c = static_cast<int>(x);
    const int r = static_cast<int>(y);
    const float fx = x - static_cast<float>(c);
    const float fy = y - static_cast<float>(r);
    const uint32_t p00 = GetPixel(c, r), p10 = GetPixel(c + 1, r);
    const uint32_t p01 = GetPixel(c, r + 1), p11 = GetPixel(c + 1, r + 1);
    uint32_t result = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        auto ch = [shift](uint32_t v) { return static_cast<float>((v >> shift) & 0xFF); };
        const int top = static_cast<int>(ch(p00) * (1.0f - fx) + ch(p10) * fx);
        const int bottom = static_cast<int>(ch(p01) * (1.0f - fx) + ch(p11) * fx);
        const int v = static_cast<int>(static_cast<float>(top) * (1.0f - fy) + static_cast<float>(bottom) * fy);
        result |= static_cast<uint32_t>(std::clamp(v, 0, 255)) << shift;
    }
    return result;
}

namespace {

void PutU16(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void PutU32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

} // namespace

int VideoBuffer::SaveBMP(const std::string& path) const
{
    if (!m_bits)
        return -1;
    const BitmapInfoHeader& h = *m_header;
    const size_t rowBytes = RowBytes();
    const size_t stride = (rowBytes + 3) & ~size_t(3);
    const uint32_t paletteBytes = h.bitCount == 8 ? 256 * 4 : 0;
    const uint32_t bitsOffset = kBmpFileHeaderSize + kBitmapInfoHeaderSize + paletteBytes;
    const size_t imageBytes = stride * static_cast<size_t>(m_height);
    if (imageBytes > 0xFFFFFFFFu - bitsOffset)
        return -2;

    uint8_t head[kBmpFileHeaderSize + kBitmapInfoHeaderSize] = {};
    head[0] = 'B';
    head[1] = 'M';
    PutU32(head + 2, static_cast<uint32_t>(imageBytes) + bitsOffset);
    PutU32(head + 10, bitsOffset);
    uint8_t* info = head + kBmpFileHeaderSize;
    PutU32(info + 0, h.size);
    PutU32(info + 4, static_cast<uint32_t>(h.width));
    PutU32(info + 8, static_cast<uint32_t>(h.height));
    PutU16(info + 12, h.planes);
    PutU16(info + 14, h.bitCount);
    PutU32(info + 16, h.compression);
    PutU32(info + 20, static_cast<uint32_t>(imageBytes));
    PutU32(info + 24, static_cast<uint32_t>(h.xPelsPerMeter));
    PutU32(info + 28, static_cast<uint32_t>(h.yPelsPerMeter));
    PutU32(info + 32, h.clrUsed);
    PutU32(info + 36, h.clrImportant);

    AtomicFile file;
    if (!file.Open(path))
        return -1;
    std::FILE* f = file.File();
    bool ok = std::fwrite(head, 1, sizeof head, f) == sizeof head;
    if (ok && paletteBytes) {
        uint8_t grey[256 * 4];
        for (int i = 0; i < 256; ++i) {
            grey[i * 4 + 0] = grey[i * 4 + 1] = grey[i * 4 + 2] = static_cast<uint8_t>(i);
            grey[i * 4 + 3] = 0;
        }
        ok = std::fwrite(grey, 1, sizeof grey, f) == sizeof grey;
    }
    if (ok && stride == rowBytes) {
        // Memory rows are already bottom-up and need no padding: one write.
        ok = std::fwrite(m_bits.get(), 1, imageBytes, f) == imageBytes;
    } else if (ok) {
        const uint8_t pad[3] = {0, 0, 0};
        const uint8_t* row = m_bits.get();
        for (int r = 0; ok && r < m_height; ++r, row += rowBytes) {
            ok = std::fwrite(row, 1, rowBytes, f) == rowBytes
                 && std::fwrite(pad, 1, stride - rowBytes, f) == stride - rowBytes;
        }
    }
    if (!ok || !file.Commit())
        return -2;  // the temporary file is removed, the target untouched
    return 0;
}

int VideoBuffer::SaveOpaqueBMP(const std::string& path) const
{
    if (!m_bits || BytesPerPixel() != 4)
        return SaveBMP(path);
    VideoBuffer opaque(*this);
    uint8_t* bits = opaque.GetBits();
    const size_t bytes = RowBytes() * static_cast<size_t>(m_height);
    for (size_t i = 3; i < bytes; i += 4)
        bits[i] = 0xFF;
    return opaque.SaveBMP(path);
}

} // namespace kv
