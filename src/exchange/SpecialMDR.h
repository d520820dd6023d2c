// The whole world as a Special MDR file (the CRVL header and the altitude samples) or as
// the same samples without the header (a raw file).
//
// Rows run from the north pole (row 0) to the south pole, each from longitude -180 to
// +180: row r lies at latitude 90 - r x 180 / (height - 1), sample i at longitude
// i x 360 / (width - 1) - 180, height = width / 2. Samples are little-endian 32-bit floats
// or signed 16-bit integers (the altitude plus 0.5 truncated toward zero, held to the
// 16-bit range).
//
// Rows are computed on every core, each thread with its own copy of the sampler. The file
// is written beside the target and renamed over it only when complete: an abort or a
// failed write leaves no file whose header tells rows that are missing.
#pragma once

#include "base/raster/CrvlHeader.h"

#include <cstdint>
#include <string>

namespace kv {

class SurfaceSampler;

constexpr int kSpecialMDRMinWidth = 4;

// Results of WriteSpecialMDRFile.
constexpr int kSpecialMDROk = 0;
constexpr int kSpecialMDRBadWidth = -1;
constexpr int kSpecialMDRCannotCreate = -2;
constexpr int kSpecialMDRWriteFailed = -3;
constexpr int kSpecialMDRAborted = -4;

// The stored 16-bit sample of an altitude.
int16_t SpecialMDRSample16(float altitude);
// The header of a whole-world raster `width` samples wide (smallest and largest 0, 1).
CrvlHeader SpecialMDRHeader(int width, bool sixteenBit);

// Writes the raster through copies of `sampler`. threads <= 0: every core.
int WriteSpecialMDRFile(const SurfaceSampler& sampler, const std::string& path, int width, bool sixteenBit,
                        bool withHeader, int threads = 0);

// The document command's writer: the active document's sampler, progress, and the message
// "Error writing file " + path when the file cannot be written or the width is below 4 (an
// abort writes nothing and says nothing).
void WriteSpecialMDR(const std::string& path, int width, bool sixteenBit, bool withHeader);

} // namespace kv
