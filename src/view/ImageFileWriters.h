// The PNG (RGBA) writer of rendered images, encoded on all cores (JPEG: VideoBuffer::SaveJPEG).
// It writes a temporary file beside the target and renames it over the target only when
// everything was written, so a failure leaves any earlier file as it was.
#pragma once

#include <cstdint>
#include <string>

namespace kv {

// `rgba`: width x height pixels of four bytes red, green, blue, alpha, rows top first.
// 0; -1 the file cannot be created or the write structure cannot be made; -2 the info
// structure cannot be made; -3 the encoder or a write failed.
int WritePngFile(const std::string& path, const uint8_t* rgba, int width, int height);

} // namespace kv
