// Image files (BMP, PNG, JPEG, GIF, told apart by their first bytes) through the one loader.
// A file loads into a non-empty upright 32-bit image or fails with a reason and an empty
// buffer; a buffer that held an image before a failed load is empty after it; a loaded image
// saved as BMP and loaded again gives the same pixels; the selection, which reads images
// through the same loader, keeps its own size either way.
#include "FuzzSupport.h"

#include "base/layers/CSelection.h"
#include "base/raster/ImageCodecs.h"
#include "base/raster/VideoBuffer.h"

#include "ImageSeeds.h"

using namespace kv;

namespace {

// Pixels loaded back from our own BMP of `image`: the same, except that an image whose extra
// bytes are all 0 comes back opaque (a 32-bit BMP without any alpha is taken as opaque).
void CheckBmpRoundTrip(const VideoBuffer& image)
{
    const std::string path = fuzz::ScratchPath("again.bmp");
    FUZZ_CHECK(image.SaveBMP(path) == 0);
    VideoBuffer again;
    std::string error;
    FUZZ_CHECK(ReadImageFile(path, again, error) == 0);
    FUZZ_CHECK(again.GetWidth() == image.GetWidth() && again.GetHeight() == image.GetHeight());
    bool anyAlpha = false;
    for (int y = 0; y < image.GetHeight() && !anyAlpha; ++y)
        for (int x = 0; x < image.GetWidth() && !anyAlpha; ++x)
            anyAlpha = (image.GetPixel(x, y) >> 24) != 0;
    for (int y = 0; y < image.GetHeight(); ++y) {
        for (int x = 0; x < image.GetWidth(); ++x) {
            const uint32_t expected = anyAlpha ? image.GetPixel(x, y) : (image.GetPixel(x, y) | 0xFF000000u);
            FUZZ_CHECK(again.GetPixel(x, y) == expected);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = fuzz::WriteScratch("image", data, size);

    VideoBuffer image;
    std::string error;
    const int result = ReadImageFile(path, image, error);
    if (result == 0) {
        FUZZ_CHECK(!image.IsEmpty());
        FUZZ_CHECK(image.GetBitCount() == 32);
        FUZZ_CHECK(image.GetWidth() >= 1 && image.GetHeight() >= 1);
        // Small images only: a large one would spend the run writing files.
        if (static_cast<int64_t>(image.GetWidth()) * image.GetHeight() <= 1 << 16)
            CheckBmpRoundTrip(image);
    } else {
        FUZZ_CHECK(result == -1);
        FUZZ_CHECK(image.IsEmpty());
        FUZZ_CHECK(!error.empty());
    }

    // The buffer's own entry point agrees, and frees what it held before.
    VideoBuffer held(8, 4);
    std::string why;
    const int loaded = held.LoadImageFile(path, &why);
    FUZZ_CHECK(loaded == result);
    FUZZ_CHECK(held.IsEmpty() == (result != 0));
    if (result == 0) {
        FUZZ_CHECK(held.GetWidth() == image.GetWidth() && held.GetHeight() == image.GetHeight());
        // Every row of a small image; of a large one (a few bytes of GIF can place a frame
        // at the far corner of a 2 GB picture) the first, middle and last rows, as reading
        // every byte of both would take the run's memory and half a minute.
        const int h = image.GetHeight();
        if (static_cast<int64_t>(image.GetWidth()) * h <= 1 << 20) {
            FUZZ_CHECK(std::memcmp(held.GetBits(), image.GetBits(), image.RowBytes() * h) == 0);
        } else {
            for (int y : {0, h / 2, h - 1})
                FUZZ_CHECK(std::memcmp(held.RowPointer(y), image.RowPointer(y), image.RowBytes()) == 0);
        }
    } else {
        FUZZ_CHECK(why == error);
    }

    CSelection mask;
    FUZZ_CHECK(mask.Create(7, 5) == CSelection::kOk);
    const int masked = mask.LoadImage(path, 1);
    FUZZ_CHECK((masked == CSelection::kOk) == (result == 0));
    FUZZ_CHECK(mask.GetWidth() == 7 && mask.GetHeight() == 5);
    return 0;
}

namespace {

void MakeSeeds(const fuzz::SeedWriter& seeds)
{
    using namespace image_seeds;
    seeds.Add("grey-8.bmp", Bmp(12, 10, 8));
    seeds.Add("rgb-24.bmp", Bmp(13, 10, 24)); // rows padded to 4 bytes
    seeds.Add("rgb-32.bmp", Bmp(12, 10, 32));
    seeds.Add("rgba.png", Png(12, 10, PNG_FORMAT_RGBA));
    seeds.Add("grey.png", Png(12, 10, PNG_FORMAT_GRAY));
    seeds.Add("rgb.jpg", Jpeg(12, 10, 3));
    seeds.Add("grey.jpg", Jpeg(12, 10, 1));
    seeds.Add("frame.gif", Gif(12, 10, false));
    seeds.Add("interlaced.gif", Gif(12, 10, true));
}

} // namespace

KV_FUZZ_SEEDS(MakeSeeds)
