#include "gui/frame/WindowPlacement.h"

#include "base/AppSettings.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace kv {

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return 0;
}

void Put32(uint8_t* out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t Get32(const uint8_t* in)
{
    return static_cast<uint32_t>(in[0]) | (static_cast<uint32_t>(in[1]) << 8) | (static_cast<uint32_t>(in[2]) << 16) |
           (static_cast<uint32_t>(in[3]) << 24);
}

} // namespace

void WindowPlacement::NormaliseShow()
{
    if (showCmd == 2 || showCmd == 6 || showCmd == 7 || showCmd == 11)
        showCmd = kShowNormal;
}

std::string WindowPlacement::Encode() const
{
    uint8_t bytes[kRecordBytes];
    const uint32_t fields[11] = {length,
                                 flags,
                                 showCmd,
                                 static_cast<uint32_t>(minX),
                                 static_cast<uint32_t>(minY),
                                 static_cast<uint32_t>(maxX),
                                 static_cast<uint32_t>(maxY),
                                 static_cast<uint32_t>(left),
                                 static_cast<uint32_t>(top),
                                 static_cast<uint32_t>(right),
                                 static_cast<uint32_t>(bottom)};
    for (int i = 0; i < 11; ++i)
        Put32(bytes + 4 * i, fields[i]);
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(2 * kRecordBytes);
    for (uint8_t b : bytes) {
        text += kDigits[b >> 4];
        text += kDigits[b & 15];
    }
    return text;
}

std::optional<WindowPlacement> WindowPlacement::Decode(const std::string& text)
{
    if (text.size() < 2 * static_cast<size_t>(kRecordBytes))
        return std::nullopt;
    uint8_t bytes[kRecordBytes];
    for (int i = 0; i < kRecordBytes; ++i)
        bytes[i] = static_cast<uint8_t>(HexDigit(text[2 * i]) * 16 + HexDigit(text[2 * i + 1]));
    WindowPlacement p;
    p.length = Get32(bytes);
    p.flags = Get32(bytes + 4);
    p.showCmd = Get32(bytes + 8);
    p.minX = static_cast<int32_t>(Get32(bytes + 12));
    p.minY = static_cast<int32_t>(Get32(bytes + 16));
    p.maxX = static_cast<int32_t>(Get32(bytes + 20));
    p.maxY = static_cast<int32_t>(Get32(bytes + 24));
    p.left = static_cast<int32_t>(Get32(bytes + 28));
    p.top = static_cast<int32_t>(Get32(bytes + 32));
    p.right = static_cast<int32_t>(Get32(bytes + 36));
    p.bottom = static_cast<int32_t>(Get32(bytes + 40));
    if (p.length != kRecordBytes)
        return std::nullopt;
    if (static_cast<int64_t>(p.right) - p.left <= 0 || static_cast<int64_t>(p.bottom) - p.top <= 0)
        return std::nullopt;
    if (static_cast<int64_t>(p.right) - p.left > 1 << 16 || static_cast<int64_t>(p.bottom) - p.top > 1 << 16)
        return std::nullopt;
    p.NormaliseShow();
    return p;
}

WindowPlacement WindowPlacement::Of(const QWidget& window)
{
    WindowPlacement p;
    p.showCmd = window.isMaximized() ? kShowMaximized : window.isMinimized() ? kShowMinimized : kShowNormal;
    const QRect r = window.normalGeometry().isValid() ? window.normalGeometry() : window.geometry();
    p.left = r.left();
    p.top = r.top();
    p.right = r.left() + r.width();
    p.bottom = r.top() + r.height();
    p.NormaliseShow();
    return p;
}

bool WindowPlacement::ApplyTo(QWidget& window) const
{
    const QRect r(left, top, right - left, bottom - top);
    bool onScreen = false;
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->virtualGeometry().intersects(r))
            onScreen = true;
    }
    if (!onScreen)
        return false;
    window.setGeometry(r);
    if (showCmd == kShowMaximized)
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
    else
        window.setWindowState(window.windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized));
    return true;
}

void WindowPlacement::Write(const AppSettings& profile) const { profile.WriteString("", kProfileKey, Encode()); }

std::optional<WindowPlacement> WindowPlacement::Read(const AppSettings& profile)
{
    const std::string text = profile.GetString("", kProfileKey, std::string());
    if (text.empty())
        return std::nullopt;
    return Decode(text);
}

} // namespace kv
