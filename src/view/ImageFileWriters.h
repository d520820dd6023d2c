// Writers of rendered images: JPEG through libjpeg-turbo and PNG (RGBA) through libpng.
// Both write a temporary file beside the target and rename it over the target only when
// everything was written, so a failure leaves any earlier file as it was.
#pragma once

#include <cstdint>
#include <string>

namespace kv {

// `bgr`: width x height pixels of three bytes blue, green, red, rows top first, no
// padding. Quality 0..100. 0; -1 the file cannot be created or the encoder cannot start;
// -2 the encoder or a write failed.
int WriteJpegFile(const std::string& path, const uint8_t* bgr, int width, int height, int quality);

// `rgba`: width x height pixels of four bytes red, green, blue, alpha, rows top first.
// 0; -1 the file cannot be created or the write structure cannot be made; -2 the info
// structure cannot be made; -3 the encoder or a write failed.
int WritePngFile(const std::string& path, const uint8_t* rgba, int width, int height);

} // namespace kv
