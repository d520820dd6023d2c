// File dialogs: the save dialog that follows its filter's extension and the folder browser.
// Filters are given as "Text|pattern|Text|pattern|...|" (patterns separated by ';').
#pragma once

#include <QFileDialog>

#include <optional>
#include <string>
#include <vector>

namespace kv {

struct FileFilter {
    QString text;
    std::string pattern; // "*.bmp;*.jpg"
};
// The filter pairs of a "Text|pattern|...|" string; an unpaired text is dropped.
std::vector<FileFilter> ParseFileFilter(const std::string& filter);
// The filter as QFileDialog shows it: "Text (*.bmp *.jpg)".
QString QtNameFilter(const FileFilter& filter);

// The name with the extension of `pattern` (the pattern's text from its last dot), or empty
// when that extension is empty or holds "*" or "?". The name's extension (from its last
// dot) is replaced; a name without a dot gets it appended.
std::optional<QString> NameForFilter(const QString& name, const std::string& pattern);

class CMyFileDialog : public QFileDialog {
    Q_OBJECT
public:
    // `save` makes a save dialog; `filter` as above.
    CMyFileDialog(bool save, const QString& defaultExtension, const QString& fileName, const std::string& filter,
                  QWidget* parent = nullptr);

    // The file-name box (the dialog is Qt's own, so the box is there).
    QString FileNameText() const;
    // The reaction to a change of the file-type filter.
    void OnFilterChanged(const QString& nameFilter);

private:
    std::vector<FileFilter> m_filters;
};

// The folder browser, starting at `path`: on success the chosen folder is written into
// `path` and the result is non-zero; cancel gives 0.
int BrowseForFolder(QWidget* owner, std::string& path, const QString& title);

} // namespace kv
