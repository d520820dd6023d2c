// File choices of the dialogs, through one small service: the window form asks with Qt's
// file dialog; tests install their own answers.
#pragma once

#include <string>

class QWidget;

namespace kv {

struct FileRequest {
    bool save = false;
    std::string title;
    // "Text|pattern;pattern|Text|pattern|...||"
    std::string filter;
    std::string defaultExtension;
    std::string fileName;
};

class FileChoice {
public:
    virtual ~FileChoice() = default;
    // True with `path` set when the user chose a file.
    virtual bool Choose(QWidget* parent, const FileRequest& request, std::string& path) = 0;
};

// Installs `choice` (null: Qt's file dialog) and returns the previous one (null: the
// default). The caller keeps it alive while installed.
FileChoice* SetFileChoice(FileChoice* choice);
bool ChooseFile(QWidget* parent, const FileRequest& request, std::string& path);

} // namespace kv
