#include "gui/controls/CFileNameDlg.h"

#include "base/MessageService.h"
#include "gui/controls/DialogData.h"
#include "gui/controls/DialogParts.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QVBoxLayout>

#include <filesystem>
#include <fstream>

namespace kv {

namespace {

bool CreateEmpty(const std::string& path)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    return file.good();
}

} // namespace

CFileNameDlg::CFileNameDlg(QWidget* parent) : QDialog(parent), m_edit(MakeEdit(this, 5206))
{
    setWindowTitle("Enter Setting Name");
    m_edit->setMaxLength(kMaxName);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_edit);
    layout->addWidget(MakeButtons(this));
    askOverwrite = [this] {
        const auto answer = QMessageBox::question(this, windowTitle(), "Overwrite existing file?",
                                                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        return answer == QMessageBox::Yes ? Overwrite::kYes
               : answer == QMessageBox::No ? Overwrite::kNo
                                           : Overwrite::kCancel;
    };
}

void CFileNameDlg::showEvent(QShowEvent* event)
{
    m_edit->setText(QString::fromStdString(name));
    QDialog::showEvent(event);
}

void CFileNameDlg::accept()
{
    const QString trimmed = m_edit->text().trimmed();
    m_edit->setText(trimmed);
    if (trimmed.isEmpty())
        return;
    name = trimmed.toStdString();
    std::string dir = folder;
    if (!dir.empty() && dir.back() != '/')
        dir += '/';
    fullPath = dir + name + "." + extension;

    std::error_code ec;
    if (std::filesystem::exists(fullPath, ec)) {
        switch (askOverwrite()) {
        case Overwrite::kYes:
            QDialog::accept();
            return;
        case Overwrite::kNo:
            return;
        case Overwrite::kCancel:
            QDialog::reject();
            return;
        }
    }
    // A name is one file of the folder: a separator in it is no valid name.
    bool written = name.find('/') == std::string::npos && CreateEmpty(fullPath);
    if (!written && name.find('/') == std::string::npos && !dir.empty()) {
        std::filesystem::create_directory(dir, ec);
        written = CreateEmpty(fullPath);
    }
    if (!written) {
        ShowMessage("Can't write to \n\"" + fullPath + "\"\nPlease ensure that it is a valid file name");
        return;
    }
    QDialog::accept();
}

} // namespace kv
