// The program's one JPEG encoder (libjpeg-turbo), over VideoBuffer.
#include "base/raster/VideoBuffer.h"
#include "platform/AtomicFile.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>

#include <jpeglib.h>

namespace kv {

namespace {

// libjpeg leaves by longjmp: everything it may jump over lives in this plain record.
struct JpegWriteJob {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    std::jmp_buf jump;
    bool created;
};

[[noreturn]] void JpegWriteLeave(j_common_ptr cinfo)
{
    std::longjmp(static_cast<JpegWriteJob*>(cinfo->client_data)->jump, 1);
}

void JpegWriteQuiet(j_common_ptr) {}

// Encodes every row straight from the buffer's memory rows. 0, or -2 on failure.
int EncodeRows(JpegWriteJob* job, std::FILE* file, const VideoBuffer& image, int quality)
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
    const int bytes = image.BytesPerPixel();
    job->cinfo.image_width = static_cast<JDIMENSION>(image.GetWidth());
    job->cinfo.image_height = static_cast<JDIMENSION>(image.GetHeight());
    // Memory pixels hold blue, green, red (, extra): the order of the BMP form.
    job->cinfo.input_components = bytes;
    job->cinfo.in_color_space = bytes == 1 ? JCS_GRAYSCALE : (bytes == 4 ? JCS_EXT_BGRX : JCS_EXT_BGR);
    jpeg_set_defaults(&job->cinfo);
    jpeg_set_quality(&job->cinfo, quality, TRUE);
    jpeg_start_compress(&job->cinfo, TRUE);
    while (job->cinfo.next_scanline < job->cinfo.image_height) {
        JSAMPROW line = const_cast<uint8_t*>(image.RowPointer(static_cast<int>(job->cinfo.next_scanline)));
        jpeg_write_scanlines(&job->cinfo, &line, 1);
    }
    jpeg_finish_compress(&job->cinfo);
    return 0;
}

} // namespace

int VideoBuffer::SaveJPEG(const std::string& path, int quality) const
{
    if (!m_bits || m_width > JPEG_MAX_DIMENSION || m_height > JPEG_MAX_DIMENSION)
        return -1;
    AtomicFile file;
    if (!file.Open(path))
        return -1;
    auto job = std::make_unique<JpegWriteJob>();
    std::memset(job.get(), 0, sizeof(JpegWriteJob));
    const int result = EncodeRows(job.get(), file.File(), *this, std::clamp(quality, 0, 100));
    if (job->created)
        jpeg_destroy_compress(&job->cinfo);
    if (result != 0)
        return result; // the temporary file is removed with `file`
    return file.Commit() ? 0 : -2;
}

} // namespace kv
