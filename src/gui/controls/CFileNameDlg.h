// "Enter Setting Name": asks for the name a setting is saved under and makes sure the file
// can be written: folder + name + "." + extension.
#pragma once

#include <QDialog>

#include <functional>
#include <string>

class QLineEdit;

namespace kv {

class CFileNameDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxName = 256;
    enum class Overwrite { kYes, kNo, kCancel };

    explicit CFileNameDlg(QWidget* parent = nullptr);

    std::string name;
    std::string folder;    // the separator at its end may be left out
    std::string extension; // without the dot
    std::string fullPath;  // the result

    // Asks "Overwrite existing file?" (a message box unless replaced).
    std::function<Overwrite()> askOverwrite;

    QLineEdit* NameEdit() const { return m_edit; }
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* m_edit;
};

} // namespace kv
