// The program's one raster image: a device-independent bitmap held in plain memory.
//
// Pixels are stored bottom-up (memory row 0 is the bottom line of the picture) with rows
// packed without padding; every pixel operation takes (column, row) with row 0 at the TOP.
// Colour values are 0x00BBGGRR (red in the low byte); 32-bit pixels carry an extra byte in
// bits 24-31 that the image loaders and overlays use as alpha. Pixel bytes in memory are
// blue, green, red (, extra) for 24- and 32-bit images and one byte for 8-bit images.
//
// A buffer has no lock of its own: its users serialise re-creation against drawing.
//
// The buffer is the bottom of the raster folder: drawing (Canvas.h) and the image file
// readers (ImageCodecs.h) build on it. Its drawing canvas (GetDC, ReleaseDC) is made and
// destroyed in Canvas.cpp and LoadImageFile lives in ImageCodecs.cpp, so this file and
// VideoBuffer.cpp need nothing of either.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace kv {

class Canvas;

// The 40-byte header of a device-independent bitmap, as held by a buffer and written
// into BMP files.
struct BitmapInfoHeader {
    uint32_t size = 0;          // 40
    int32_t width = 0;
    int32_t height = 0;         // positive: bottom-up rows
    uint16_t planes = 0;        // 1
    uint16_t bitCount = 0;      // 8, 24 or 32
    uint32_t compression = 0;   // 0: uncompressed
    uint32_t sizeImage = 0;     // width x height x bytes per pixel
    int32_t xPelsPerMeter = 0;
    int32_t yPelsPerMeter = 0;
    uint32_t clrUsed = 0;
    uint32_t clrImportant = 0;
};

constexpr int kBitmapInfoHeaderSize = 40;
constexpr int kBmpFileHeaderSize = 14;

// Smallest image a buffer holds.
constexpr int kVideoBufferMinWidth = 4;
constexpr int kVideoBufferMinHeight = 2;
// Largest pixel block a buffer holds (bytes); larger requests are refused like a failed
// allocation, before anything is allocated.
constexpr size_t kVideoBufferMaxBytes = 0x7FFFFFFF;

class VideoBuffer {
public:
    VideoBuffer();
    // Creates a 32-bit image (CreateMapped); the buffer stays empty when that fails.
    VideoBuffer(int width, int height);
    VideoBuffer(const VideoBuffer& other);
    VideoBuffer(VideoBuffer&& other) noexcept;
    // Copies size, depth and pixels (not the drawing canvas); self-assignment does nothing.
    VideoBuffer& operator=(const VideoBuffer& other);
    VideoBuffer& operator=(VideoBuffer&& other) noexcept;
    virtual ~VideoBuffer();

    void Swap(VideoBuffer& other) noexcept;

    // Makes a cleared image of width x height at 8, 24 or 32 bits per pixel (32 unless
    // told). Returns -1 and changes nothing when width < 4, height < 2, the depth is not
    // one of those, the pixel block would exceed kVideoBufferMaxBytes or cannot be
    // allocated; else frees any image held before and returns 0.
    int Create(int width, int height, int bitCount = 32);
    // The ordinary way to make an image: a cleared 32-bit image (same as Create).
    int CreateMapped(int width, int height) { return Create(width, height, 32); }
    // Releases the pixels, the header and the drawing canvas; the buffer becomes empty.
    void Free();
    bool IsEmpty() const { return !m_bits; }

    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    uint8_t* GetBits() { return m_bits.get(); }
    const uint8_t* GetBits() const { return m_bits.get(); }
    // The header; null while the buffer is empty.
    BitmapInfoHeader* GetBitmapInfo() { return m_header.get(); }
    const BitmapInfoHeader* GetBitmapInfo() const { return m_header.get(); }
    int GetBitCount() const { return m_header ? m_header->bitCount : 0; }
    int BytesPerPixel() const { return GetBitCount() / 8; }
    // Bytes of one row (rows are packed).
    size_t RowBytes() const { return static_cast<size_t>(m_width) * static_cast<size_t>(BytesPerPixel()); }
    // First byte of top-based row `row` (0 = top of the picture); no range check.
    uint8_t* RowPointer(int row)
    {
        return m_bits.get() + static_cast<size_t>(m_height - 1 - row) * RowBytes();
    }
    const uint8_t* RowPointer(int row) const
    {
        return m_bits.get() + static_cast<size_t>(m_height - 1 - row) * RowBytes();
    }

    // Writes a pixel; ignored outside the image or while empty. 32-bit writes blue, green,
    // red and the extra byte (bits 24-31), 24-bit three bytes, 8-bit the low byte.
    // Inline: renders write every pixel through it.
    void SetPixel(int col, int row, uint32_t colour)
    {
        if (!m_bits || col < 0 || col >= m_width || row < 0 || row >= m_height)
            return;
        SetPixelFast(col, row, colour);
    }
    // The same store without clipping: the caller guarantees the coordinates.
    void SetPixelFast(int col, int row, uint32_t colour)
    {
        uint8_t* p = RowPointer(row) + static_cast<size_t>(col) * static_cast<size_t>(BytesPerPixel());
        StorePixel(p, colour);
    }
    // SetPixelFast's store at p, a pixel of a buffer of `bytesPerPixel` bytes a pixel: for
    // a loop over a row that took RowPointer and BytesPerPixel once.
    static void StorePixelBytes(uint8_t* p, int bytesPerPixel, uint32_t colour)
    {
        switch (bytesPerPixel) {
        case 4:
            p[3] = static_cast<uint8_t>(colour >> 24);
            [[fallthrough]];
        case 3:
            p[0] = static_cast<uint8_t>(colour >> 16);
            p[1] = static_cast<uint8_t>(colour >> 8);
            p[2] = static_cast<uint8_t>(colour);
            break;
        default:
            p[0] = static_cast<uint8_t>(colour);
            break;
        }
    }
    // Colour of a pixel (32-bit with the extra byte in bits 24-31, 24-bit with them zero,
    // 8-bit the byte itself); 0 outside the image or while empty.
    uint32_t GetPixel(int col, int row) const;
    // Sets every pixel: 8-bit the low byte, 24-bit blue, green, red, 32-bit blue, green,
    // red with the extra byte 0.
    void Clear(uint32_t colour);
    // Clear for one row only (nothing outside the image).
    void ClearRow(int row, uint32_t colour);
    // Fills columns x .. x+w-1 and top-based rows y-h+1 .. y (the rectangle grows upward
    // from row y), clipped to the image. 32-bit pixels keep their extra byte.
    void FillRect(int x, int y, int w, int h, uint32_t colour);
    // Bilinear sample at (x, y) in pixel units: with c = trunc(x), r = trunc(y),
    // fx = x - c, fy = y - r each colour channel is P(c)(1 - fx) + P(c+1) fx along both
    // rows, then row(r)(1 - fy) + row(r+1) fy, each stage truncated to a byte; a neighbour
    // outside the image reads as 0. Returns 0 outside the image, while empty or below 24
    // bits per pixel; the extra byte of the result is 0.
    uint32_t SampleBilinear(float x, float y) const;

    // The drawing canvas bound to this image, made on first call and kept until
    // ReleaseDC, Free, re-creation or loading (which end it, like a released device
    // context). Null while the buffer is empty. (Both defined in Canvas.cpp.)
    Canvas* GetDC();
    // Drops the canvas; 1 when there was one, else 0.
    int ReleaseDC();

    // Writes a BMP file (bottom row first). 32-bit images are written exactly as held;
    // rows of 8- and 24-bit images are padded to 4 bytes and an 8-bit image carries a grey
    // colour table. The file is written beside the target and renamed over it, so a failed
    // save leaves any earlier file as it was. Returns 0; -1 when the file cannot be
    // created (or the buffer is empty); -2 when a write fails (the partial file is removed).
    int SaveBMP(const std::string& path) const;
    // SaveBMP for a picture handed to other programs: a 32-bit image is written with every
    // fourth byte 255, so that readers that take that byte as alpha see it opaque (the
    // buffer is unchanged). Other depths are written as SaveBMP writes them.
    int SaveOpaqueBMP(const std::string& path) const;
    // Writes a baseline JPEG file at `quality` (clamped to 0..100), rows top first, in the
    // colours the BMP form shows (red from bits 0-7); an 8-bit image is written grey. The
    // file is written beside the target and renamed over it. Returns 0; -1 when the
    // buffer is empty, larger than a JPEG holds, or the file or encoder cannot be made;
    // -2 when encoding or a write fails (the partial file is removed).
    int SaveJPEG(const std::string& path, int quality) const;
    // Loads a BMP, PNG, JPEG or GIF file (recognised by its contents) into a new upright
    // 32-bit image: file row 0 becomes row 0. Any image held before is freed first. Returns
    // 0; -1 on any failure, with the buffer empty and `error` (when given) saying why.
    // (Defined with the readers, in ImageCodecs.cpp.)
    int LoadImageFile(const std::string& path, std::string* error = nullptr);

private:
    // Destroys the canvas of GetDC (defined in Canvas.cpp, where Canvas is complete).
    struct CanvasDeleter {
        void operator()(Canvas* canvas) const;
    };

    // Releases a pixel block: large blocks are anonymous memory mappings of `mapped`
    // bytes, small ones come from the heap (mapped = 0).
    struct PixelDeleter {
        PixelDeleter() noexcept : mapped(0) {}
        explicit PixelDeleter(size_t bytes) noexcept : mapped(bytes) {}
        void operator()(uint8_t* p) const;
        size_t mapped;
    };

    void StorePixel(uint8_t* p, uint32_t colour) const { StorePixelBytes(p, BytesPerPixel(), colour); }

    int m_width = 0;
    int m_height = 0;
    std::unique_ptr<uint8_t, PixelDeleter> m_bits;
    std::unique_ptr<BitmapInfoHeader> m_header;
    std::unique_ptr<Canvas, CanvasDeleter> m_canvas;
};

} // namespace kv
