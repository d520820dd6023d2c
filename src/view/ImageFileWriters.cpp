#include "view/ImageFileWriters.h"

#include "platform/AtomicFile.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include <png.h>

namespace kv {

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
