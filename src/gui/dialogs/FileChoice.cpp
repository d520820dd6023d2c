#include "gui/dialogs/FileChoice.h"

#include <QFileDialog>
#include <QStringList>

namespace kv {

namespace {

FileChoice* g_choice = nullptr;

bool AskWithQt(QWidget* parent, const FileRequest& request, std::string& path)
{
    QFileDialog dialog(parent, QString::fromStdString(request.title));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    QStringList filters;
    const QStringList parts = QString::fromStdString(request.filter).split('|');
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty())
            break;
        const QString patterns = QString(parts[i + 1]).replace(';', ' ');
        QString text = parts[i];
        const int open = text.indexOf('(');
        if (open >= 0)
            text = text.left(open).trimmed();
        filters << text + " (" + patterns + ")";
    }
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
    if (!request.fileName.empty())
        dialog.selectFile(QString::fromStdString(request.fileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    path = dialog.selectedFiles().front().toStdString();
    return true;
}

} // namespace

FileChoice* SetFileChoice(FileChoice* choice)
{
    FileChoice* previous = g_choice;
    g_choice = choice;
    return previous;
}

bool ChooseFile(QWidget* parent, const FileRequest& request, std::string& path)
{
    if (g_choice != nullptr)
        return g_choice->Choose(parent, request, path);
    return AskWithQt(parent, request, path);
}

} // namespace kv
