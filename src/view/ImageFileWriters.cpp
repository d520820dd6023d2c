#include "view/ImageFileWriters.h"

#include "platform/AtomicFile.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include <jpeglib.h>
#include <png.h>

namespace kv {

// ---------------------------------------------------------------- JPEG
//
// libjpeg leaves by longjmp: everything it may jump over lives in a plain record.

namespace {

struct JpegWriteJob {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    std::jmp_buf jump;
    bool created;
};

void JpegWriteLeave(j_common_ptr cinfo)
{
    std::longjmp(static_cast<JpegWriteJob*>(cinfo->client_data)->jump, 1);
}

void JpegWriteQuiet(j_common_ptr) {}

// 0, or -2 when the library failed.
int EncodeJpeg(JpegWriteJob* job, std::FILE* file, const uint8_t* bgr, int width, int height, int quality)
{
    job->cinfo.err = jpeg_std_error(&job->err);
    job->err.error_exit = JpegWriteLeave;
    job->err.output_message = JpegWriteQuiet;
    job->cinfo.client_data = job;
    if (setjmp(job->jump))
        return -2;
    jpeg_create_compress(&job->cinfo);
    job->created = true;
    jpeg_stdio_dest(&job->cinfo, file);
    job->cinfo.image_width = static_cast<JDIMENSION>(width);
    job->cinfo.image_height = static_cast<JDIMENSION>(height);
    job->cinfo.input_components = 3;
    job->cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&job->cinfo);
    jpeg_set_quality(&job->cinfo, quality, TRUE);
    jpeg_start_compress(&job->cinfo, TRUE);
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    while (job->cinfo.next_scanline < job->cinfo.image_height) {
        JSAMPROW row = const_cast<uint8_t*>(bgr + job->cinfo.next_scanline * rowBytes);
        jpeg_write_scanlines(&job->cinfo, &row, 1);
    }
    jpeg_finish_compress(&job->cinfo);
    return 0;
}

} // namespace

int WriteJpegFile(const std::string& path, const uint8_t* bgr, int width, int height, int quality)
{
    if (bgr == nullptr || width < 1 || height < 1 || width > JPEG_MAX_DIMENSION || height > JPEG_MAX_DIMENSION)
        return -1;
    AtomicFile file;
    if (!file.Open(path))
        return -1;
    auto job = std::make_unique<JpegWriteJob>();
    std::memset(job.get(), 0, sizeof(JpegWriteJob));
    if (quality < 0)
        quality = 0;
    if (quality > 100)
        quality = 100;
    const int result = EncodeJpeg(job.get(), file.File(), bgr, width, height, quality);
    if (job->created)
        jpeg_destroy_compress(&job->cinfo);
    if (result != 0)
        return result; // the temporary file is removed with `file`
    return file.Commit() ? 0 : -2;
}

// ---------------------------------------------------------------- PNG

namespace {

struct PngWriteJob {
    png_structp png;
    png_infop info;
    std::jmp_buf jump;
};

void PngWriteLeave(png_structp png, png_const_charp)
{
    std::longjmp(static_cast<PngWriteJob*>(png_get_error_ptr(png))->jump, 1);
}

void PngWriteWarning(png_structp, png_const_charp) {}

int EncodePng(PngWriteJob* job, std::FILE* file, png_bytepp rows, int width, int height)
{
    if (setjmp(job->jump))
        return -3;
    png_init_io(job->png, file);
    png_set_write_status_fn(job->png, nullptr);
    png_set_keep_unknown_chunks(job->png, PNG_HANDLE_CHUNK_IF_SAFE, nullptr, 0);
    png_set_IHDR(job->png, job->info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(job->png, job->info);
    png_write_image(job->png, rows);
    png_write_end(job->png, job->info);
    return 0;
}

} // namespace

int WritePngFile(const std::string& path, const uint8_t* rgba, int width, int height)
{
    if (rgba == nullptr || width < 1 || height < 1)
        return -1;
    std::vector<png_bytep> rows(static_cast<size_t>(height));
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    for (int y = 0; y < height; ++y)
        rows[static_cast<size_t>(y)] = const_cast<png_bytep>(rgba + static_cast<size_t>(y) * rowBytes);
    AtomicFile file;
    if (!file.Open(path))
        return -1;
    auto job = std::make_unique<PngWriteJob>();
    std::memset(job.get(), 0, sizeof(PngWriteJob));
    job->png = png_create_write_struct(PNG_LIBPNG_VER_STRING, job.get(), PngWriteLeave, PngWriteWarning);
    if (job->png == nullptr)
        return -1;
    job->info = png_create_info_struct(job->png);
    if (job->info == nullptr) {
        png_destroy_write_struct(&job->png, nullptr);
        return -2;
    }
    const int result = EncodePng(job.get(), file.File(), rows.data(), width, height);
    png_destroy_write_struct(&job->png, &job->info);
    if (result != 0)
        return result;
    return file.Commit() ? 0 : -3;
}

} // namespace kv
