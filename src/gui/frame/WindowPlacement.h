// The main window's placement as the profile keeps it under "Placement": a 44-byte record
// (length, flags, show command, minimised position, maximised position, normal rectangle;
// all little-endian 32-bit), each byte two upper-case hexadecimal digits.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

class QWidget;

namespace kv {

class AppSettings;

struct WindowPlacement {
    static constexpr int kRecordBytes = 44;
    static constexpr int kShowNormal = 1;
    static constexpr int kShowMinimized = 2;
    static constexpr int kShowMaximized = 3;
    static constexpr const char* kProfileKey = "Placement";

    uint32_t length = kRecordBytes;
    uint32_t flags = 0;
    uint32_t showCmd = kShowNormal;
    int32_t minX = -1, minY = -1;
    int32_t maxX = -1, maxY = -1;
    int32_t left = 0, top = 0, right = 0, bottom = 0;

    // A minimised show command (2, 6, 7, 11) becomes normal; maximised stays.
    void NormaliseShow();

    // 88 upper-case hexadecimal digits.
    std::string Encode() const;
    // Pairs of digits (either case; a character that is not a digit counts as 0). A text
    // shorter than the record or a record whose length field is not 44, or whose normal
    // rectangle is empty, gives nothing.
    static std::optional<WindowPlacement> Decode(const std::string& text);

    // The window's placement now (a minimised window is written as normal).
    static WindowPlacement Of(const QWidget& window);
    // Applies it; false (nothing done) when the normal rectangle lies on no screen.
    bool ApplyTo(QWidget& window) const;

    // Profile round trip (the key directly under the profile, no section).
    void Write(const AppSettings& profile) const;
    static std::optional<WindowPlacement> Read(const AppSettings& profile);
};

} // namespace kv
