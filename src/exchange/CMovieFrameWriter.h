// Writers of numbered frame files: one picture buffer becomes one file named after the
// sequence's name with the frame number (from 1, three digits) before the extension,
// "spin.bmp" giving spin001.bmp, spin002.bmp, ... A writer keeps no picture of its own.
#pragma once

#include <string>

namespace kv {

class VideoBuffer;

class CMovieFrameWriter {
public:
    static constexpr int kDefaultQuality = 50;
    virtual ~CMovieFrameWriter() = default;
    // Prepares a sequence named `path` of `frames` frames of pictures like `buffer`; 0 on
    // success.
    virtual int Open(const std::string& path, const VideoBuffer& buffer, int frames) = 0;
    // Writes frame `index` (from 0): 0 on success, negative on failure.
    virtual int WriteFrame(const VideoBuffer& buffer, int index) = 0;
    virtual int Close() = 0;

    int quality = kDefaultQuality;
};

class CBMPFrameWriter : public CMovieFrameWriter {
public:
    // Splits the path at the last "." of its file name into base and extension; 0.
    int Open(const std::string& path, const VideoBuffer& buffer, int frames) override;
    // VideoBuffer::SaveBMP's result.
    int WriteFrame(const VideoBuffer& buffer, int index) override;
    int Close() override { return 0; }
    // The file name of frame `index`.
    std::string FrameName(int index) const;

    std::string base;
    std::string extension;
};

class CJPGFrameWriter : public CBMPFrameWriter {
public:
    // A JPEG at the writer's quality in the colours of the BMP frames: 0; -1 when the
    // encoder cannot start or the file cannot be made; -2 when writing fails.
    int WriteFrame(const VideoBuffer& buffer, int index) override;
};

} // namespace kv
