#include "gui/controls/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <algorithm>
#include <cstring>

namespace kv {

namespace {

// The clipboard's text, false when it holds none (or there is no clipboard).
bool ClipboardBytes(QByteArray& out)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    const QMimeData* data = clipboard->mimeData();
    if (!data || !data->hasText())
        return false;
    out = data->text().toUtf8();
    return true;
}

} // namespace

int GetClipboardText(char* buffer, size_t size)
{
    if (!buffer || size == 0)
        return 0;
    std::memset(buffer, 0, size);
    QByteArray bytes;
    if (!ClipboardBytes(bytes))
        return 0;
    const size_t n = std::min(static_cast<size_t>(bytes.size()), size - 1);
    std::memcpy(buffer, bytes.constData(), n);
    return 1;
}

size_t GetClipboardTextSize()
{
    QByteArray bytes;
    if (!ClipboardBytes(bytes))
        return 0;
    return static_cast<size_t>(bytes.size()) + 1;
}

int SetClipboardText(const std::string& text)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return 0;
    clipboard->clear();
    clipboard->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    return 1;
}

std::string GetClipboardString()
{
    QByteArray bytes;
    if (!ClipboardBytes(bytes))
        return std::string();
    return bytes.toStdString();
}

} // namespace kv
