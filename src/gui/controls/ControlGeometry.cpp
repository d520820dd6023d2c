#include "gui/controls/ControlGeometry.h"

#include "base/FileList.h"
#include "gui/controls/DialogData.h"

#include <QDir>
#include <QListWidget>
#include <QRegularExpression>
#include <QWidget>

namespace kv {

namespace {

// The window's frame around its client area: left edge and top (edge + caption).
QPoint FrameOffset(const QWidget* window)
{
    return window->geometry().topLeft() - window->frameGeometry().topLeft();
}

} // namespace

bool GetControlRectInWindow(const QWidget* window, int controlId, ControlRect& rect, bool withoutFrame)
{
    const QWidget* control = FindControl(window, controlId);
    if (!window || !control)
        return false;
    QPoint topLeft = control->mapTo(window, QPoint(0, 0));
    if (!withoutFrame)
        topLeft += FrameOffset(window);
    rect = {topLeft.x(), topLeft.y(), topLeft.x() + control->width() - 1, topLeft.y() + control->height() - 1};
    return true;
}

bool GetControlRectInWindow(const QWidget* control, ControlRect& rect, bool withoutFrame)
{
    if (!control)
        return false;
    const QWidget* window = control->window();
    QPoint topLeft = control->mapTo(window, QPoint(0, 0));
    if (withoutFrame)
        topLeft -= QPoint(1, 1);
    else
        topLeft += FrameOffset(window);
    rect = {topLeft.x(), topLeft.y(), topLeft.x() + control->width(), topLeft.y() + control->height()};
    return true;
}

bool IsPointInControl(const QWidget* dialog, int controlId, QPoint clientPoint, QPoint* offset,
                      ControlRect* screenRect)
{
    const QWidget* control = FindControl(dialog, controlId);
    if (!dialog || !control)
        return false;
    const QPoint screen = dialog->mapToGlobal(clientPoint);
    const QPoint origin = control->mapToGlobal(QPoint(0, 0));
    if (offset)
        *offset = screen - origin;
    if (screenRect)
        *screenRect = {origin.x(), origin.y(), origin.x() + control->width(), origin.y() + control->height()};
    return screen.x() >= origin.x() && screen.y() >= origin.y() && screen.x() < origin.x() + control->width() &&
           screen.y() < origin.y() + control->height();
}

int FillListWithFiles(const std::string& pattern, QListWidget* list, std::vector<std::string>* names)
{
    if (list)
        list->clear();
    const size_t slash = pattern.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : pattern.substr(0, slash + 1);
    const std::string filePattern = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
    const size_t dot = filePattern.rfind('.');
    const std::string extension = dot == std::string::npos ? std::string() : filePattern.substr(dot + 1);

    std::vector<ListedFile> files;
    if (!extension.empty() && extension.find_first_of("*?[") == std::string::npos) {
        files = ListFilesWithExtension(folder, extension);
        // The part before the extension may hold its own wildcards ("Map*.srf").
        const QRegularExpression match(
            QRegularExpression::wildcardToRegularExpression(QString::fromStdString(filePattern)),
            QRegularExpression::CaseInsensitiveOption);
        std::erase_if(files, [&](const ListedFile& f) { return !match.match(QString::fromStdString(f.fileName)).hasMatch(); });
    } else {
        const QDir dir(folder.empty() ? QString(".") : QString::fromStdString(folder));
        for (const QString& f : dir.entryList({QString::fromStdString(filePattern)}, QDir::Files, QDir::Name))
            files.push_back({f.toStdString(), f.toStdString()});
    }
    if (files.empty())
        return -1;
    int index = 0;
    for (const ListedFile& f : files) {
        if (list) {
            auto* item = new QListWidgetItem(QString::fromStdString(f.name), list);
            item->setData(Qt::UserRole, index);
        }
        if (names)
            names->push_back(f.fileName);
        ++index;
    }
    return index;
}

} // namespace kv
