// Readers of image files into VideoBuffer: BMP (our own reader), PNG (libpng), JPEG
// (libjpeg-turbo) and GIF (giflib, the first frame).
//
// Every reader makes a new upright 32-bit image (file row 0 becomes row 0, the top) in
// `out`, which must be empty. Opaque pixels get the extra byte 255; a PNG's alpha channel
// and a 32-bit BMP's fourth byte are kept (a 32-bit BMP whose fourth bytes are all 0 is
// taken as opaque); a GIF's transparent pixels become 0. Malformed, truncated or hostile
// files (sizes of 0 or beyond kVideoBufferMaxBytes, palettes shorter than their indices,
// bad compressed data) return -1 with `out` empty and `error` saying why; sizes are
// checked before anything is allocated.
#pragma once

#include <string>

namespace kv {

class VideoBuffer;

// Picks the reader from the file's first bytes, whatever its name.
int ReadImageFile(const std::string& path, VideoBuffer& out, std::string& error);

int ReadBmpFile(const std::string& path, VideoBuffer& out, std::string& error);
int ReadPngFile(const std::string& path, VideoBuffer& out, std::string& error);
int ReadJpegFile(const std::string& path, VideoBuffer& out, std::string& error);
int ReadGifFile(const std::string& path, VideoBuffer& out, std::string& error);

} // namespace kv
