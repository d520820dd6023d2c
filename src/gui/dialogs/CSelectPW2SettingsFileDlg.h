// Picks a stored export definition by name from the export folder.
#pragma once

#include "exchange/ExportDefinitionChooser.h"

#include <QDialog>

class QListWidget;

namespace kv {

class CSelectPW2SettingsFileDlg : public QDialog {
    Q_OBJECT
public:
    // `name` is preselected; `folder` is the export folder.
    CSelectPW2SettingsFileDlg(const std::string& folder, const std::string& name, QWidget* parent = nullptr);

    // The chosen name after OK.
    const std::string& Name() const { return m_name; }
    QListWidget* List() const { return m_list; }

    void accept() override;

private:
    QListWidget* m_list;
    std::string m_name;
};

} // namespace kv
