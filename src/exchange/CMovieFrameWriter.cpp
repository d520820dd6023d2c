#include "exchange/CMovieFrameWriter.h"

#include "base/raster/VideoBuffer.h"
#include "exchange/ExportCommon.h"

#include <cstdio>

namespace kv {

int CBMPFrameWriter::Open(const std::string& path, const VideoBuffer&, int)
{
    base = CutExtension(path);
    extension = PathExtension(path);
    return 0;
}

std::string CBMPFrameWriter::FrameName(int index) const
{
    char number[16];
    std::snprintf(number, sizeof number, "%03d", index + 1);
    return base + number + extension;
}

int CBMPFrameWriter::WriteFrame(const VideoBuffer& buffer, int index)
{
    return buffer.SaveOpaqueBMP(FrameName(index));
}

int CJPGFrameWriter::WriteFrame(const VideoBuffer& buffer, int index)
{
    return buffer.SaveJPEG(FrameName(index), quality);
}

} // namespace kv
