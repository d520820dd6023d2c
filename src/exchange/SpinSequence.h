// The spinning globe as a numbered series of square pictures: orthographic views centred
// on a fixed latitude and on longitudes k x 360 / frames, the space around the globe in a
// background colour, optionally darkened towards the rim.
#pragma once

#include "exchange/CMovieFrameWriter.h"

#include <cstdint>
#include <memory>
#include <string>

namespace kv {

class CKVDoc;
class SurfaceSampler;
class VideoBuffer;

struct SpinSettings {
    static constexpr int kMinSize = 32;
    static constexpr int kMaxSize = 4096;
    static constexpr int kMinFrames = 2;
    static constexpr int kMaxFrames = 360;
    static constexpr float kMinLatitude = -180.0f;
    static constexpr float kMaxLatitude = 360.0f;

    std::string path;
    uint32_t background = 0xFFFF00; // 0xRRGGBB: yellow
    int size = 192;
    int frames = 12;
    float latitude = 0.0f;
    bool shaded = false;
};

// 0xRRGGBB <-> 0x00BBGGRR (the same swap both ways).
constexpr uint32_t SwapRedBlue(uint32_t c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }

// The values the command keeps between uses in a run.
SpinSettings& SpinMemory();

// The writer for a sequence name by its extension: ".bmp" BMP frames, ".jpg" or ".jpeg"
// (case ignored) JPEG frames; null for anything else.
std::unique_ptr<CMovieFrameWriter> FrameWriterFor(const std::string& path);

// Paints the background (0xRRGGBB, turned into the pixels' 0x00BBGGRR) where `coverage`
// is 0 (no world under the pixel) and, with
// `shaded`, darkens the globe: with n = the width, x = (j - n/2) / (n/2),
// y = (i - n/2) / (n/2), f = (cos(sqrt(x x + y y) pi/2) + 1) / 2 held to 0..1 and
// q = (int)(f x 255), each of red, green and blue becomes (v q) >> 8.
void PaintSpinFrame(VideoBuffer& colour, const VideoBuffer& coverage, uint32_t background, bool shaded);

// Writes the sequence through `writer`: frame k is an off-screen image of `sampler`'s world
// (with the shading pass, no grids) through its own orthographic projection centred on
// (latitude, k x 360 / frames), painted by PaintSpinFrame. 0 when every frame was written;
// -1 when the writer cannot open; -2 when a frame cannot be computed; -3 when a frame
// cannot be written (its index in `failedFrame`); -4 aborted. The frames written stay.
// Frames below 1 become 1, sizes below 4 become 4. The sampler keeps its projection.
// Each frame is computed on `threads` threads (0: every core).
int WriteSpinFrames(SurfaceSampler& sampler, const SpinSettings& settings, CMovieFrameWriter& writer,
                    int* failedFrame = nullptr, int threads = 0);

// The sequence of `doc` after its dialog: the writer by the extension ("Unable to
// determine the extension provided (" + extension + ")"), "Unable to open movie file" when
// the writer cannot open, and "Error writing file " + the frame's name when a frame cannot
// be written (the sequence stops there).
void SaveSpinSequence(CKVDoc& doc, const SpinSettings& settings);
// The command: the dialog "Save Spin View Sequence Files" from the kept values, then
// SaveSpinSequence.
void SaveSpinSequenceCommand(CKVDoc& doc);

} // namespace kv
