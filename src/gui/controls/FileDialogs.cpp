#include "gui/controls/FileDialogs.h"

#include <QLineEdit>

namespace kv {

std::vector<FileFilter> ParseFileFilter(const std::string& filter)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start < filter.size()) {
        const size_t bar = filter.find('|', start);
        const size_t end = bar == std::string::npos ? filter.size() : bar;
        parts.push_back(filter.substr(start, end - start));
        start = end + 1;
    }
    std::vector<FileFilter> out;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].empty())
            break;
        out.push_back({QString::fromStdString(parts[i]), parts[i + 1]});
    }
    return out;
}

QString QtNameFilter(const FileFilter& filter)
{
    QString patterns = QString::fromStdString(filter.pattern);
    patterns.replace(';', ' ');
    return filter.text + " (" + patterns + ")";
}

std::optional<QString> NameForFilter(const QString& name, const std::string& pattern)
{
    const size_t dot = pattern.rfind('.');
    if (dot == std::string::npos)
        return std::nullopt;
    const std::string extension = pattern.substr(dot);
    if (extension.size() < 2 || extension.find_first_of("*?") != std::string::npos)
        return std::nullopt;
    const qsizetype nameDot = name.lastIndexOf('.');
    const QString stem = nameDot < 0 ? name : name.left(nameDot);
    return stem + QString::fromStdString(extension);
}

CMyFileDialog::CMyFileDialog(bool save, const QString& defaultExtension, const QString& fileName,
                             const std::string& filter, QWidget* parent)
    : QFileDialog(parent), m_filters(ParseFileFilter(filter))
{
    setOption(QFileDialog::DontUseNativeDialog, true);
    setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (!save)
        setFileMode(QFileDialog::ExistingFile);
    setDefaultSuffix(defaultExtension);
    QStringList names;
    for (const FileFilter& f : m_filters)
        names << QtNameFilter(f);
    if (!names.isEmpty())
        setNameFilters(names);
    if (!fileName.isEmpty())
        selectFile(fileName);
    connect(this, &QFileDialog::filterSelected, this, &CMyFileDialog::OnFilterChanged);
}

QString CMyFileDialog::FileNameText() const
{
    const auto* edit = findChild<QLineEdit*>("fileNameEdit");
    return edit ? edit->text() : QString();
}

void CMyFileDialog::OnFilterChanged(const QString& nameFilter)
{
    auto* edit = findChild<QLineEdit*>("fileNameEdit");
    if (!edit)
        return;
    for (const FileFilter& f : m_filters) {
        if (QtNameFilter(f) != nameFilter)
            continue;
        if (const std::optional<QString> renamed = NameForFilter(edit->text(), f.pattern))
            edit->setText(*renamed);
        return;
    }
}

int BrowseForFolder(QWidget* owner, std::string& path, const QString& title)
{
    const QString chosen = QFileDialog::getExistingDirectory(
        owner, title, QString::fromStdString(path), QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    if (chosen.isEmpty())
        return 0;
    path = chosen.toStdString();
    return 1;
}

} // namespace kv
