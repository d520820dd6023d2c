#include "gui/sheets/CSettingsListPage.h"

#include "base/FileList.h"
#include "base/MessageService.h"
#include "platform/CLocale.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace kv {

namespace {
CSettingsListPage::NamePrompt& NamePromptSlot()
{
    static CSettingsListPage::NamePrompt prompt;
    return prompt;
}
CSettingsListPage::FolderChooser& FolderChooserSlot()
{
    static CSettingsListPage::FolderChooser chooser;
    return chooser;
}
} // namespace

void CSettingsListPage::SetNamePrompt(NamePrompt prompt) { NamePromptSlot() = std::move(prompt); }
void CSettingsListPage::SetFolderChooser(FolderChooser chooser) { FolderChooserSlot() = std::move(chooser); }

CSettingsListPage::CSettingsListPage(const std::string& folder, const std::string& extension, QWidget* parent)
    : CSheetPage(parent), m_folder(folder), m_extension(extension)
{
    m_list = new QListWidget(this);
    m_pattern = new QLabel(this);
    auto* load = new QPushButton(tr("&Load"), this);
    auto* save = new QPushButton(tr("&Save"), this);
    auto* update = new QPushButton(tr("&Update"), this);
    auto* remove = new QPushButton(tr("&Delete"), this);
    auto* browse = new QPushButton(tr("..."), this);
    auto* layout = new QGridLayout(this);
    layout->addWidget(m_pattern, 0, 0);
    layout->addWidget(browse, 0, 1);
    layout->addWidget(m_list, 1, 0, 5, 1);
    layout->addWidget(load, 1, 1);
    layout->addWidget(save, 2, 1);
    layout->addWidget(update, 3, 1);
    layout->addWidget(remove, 4, 1);
    connect(load, &QPushButton::clicked, this, &CSettingsListPage::Load);
    connect(save, &QPushButton::clicked, this, &CSettingsListPage::Save);
    connect(update, &QPushButton::clicked, this, &CSettingsListPage::Update);
    connect(remove, &QPushButton::clicked, this, &CSettingsListPage::Delete);
    connect(browse, &QPushButton::clicked, this, &CSettingsListPage::ChooseFolder);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { Load(); });
    connect(m_list, &QListWidget::itemClicked, this, [this] {
        const std::string path = SelectedPath();
        if (!path.empty())
            OnEntryClicked(path);
    });
    FillList();
}

void CSettingsListPage::RefreshControls() { m_pattern->setText(QString::fromStdString(Pattern())); }

std::string CSettingsListPage::SelectedPath() const
{
    const QListWidgetItem* item = m_list->currentItem();
    if (item == nullptr || !item->isSelected())
        return {};
    return m_folder + item->text().toStdString() + "." + m_extension;
}

void CSettingsListPage::FillList()
{
    m_list->clear();
    for (const ListedFile& file : ListFilesWithExtension(m_folder, m_extension))
        m_list->addItem(QString::fromStdString(file.name));
    m_pattern->setText(QString::fromStdString(Pattern()));
}

void CSettingsListPage::Load()
{
    const std::string path = SelectedPath();
    if (path.empty())
        return;
    const int result = ReadInto(path);
    if (result == -2)
        ShowMessage(FormatC("Can't open \"%s\"", path.c_str()));
    else if (result < 0)
        ShowMessage("Error reading \"" + path + "\"");
    AfterLoad();
}

bool CSettingsListPage::WriteTo(const std::string& path)
{
    if (WriteFrom(path))
        return true;
    ShowMessage(FormatC("Can't save to \"%s\"", path.c_str()));
    return false;
}

void CSettingsListPage::Save()
{
    if (!NamePromptSlot())
        return;
    const auto path = NamePromptSlot()(m_folder, m_extension);
    if (!path)
        return;
    if (WriteTo(*path))
        FillList();
}

void CSettingsListPage::Update()
{
    const std::string path = SelectedPath();
    if (path.empty())
        return;
    WriteTo(path);
    FillList();
}

void CSettingsListPage::Delete()
{
    const QListWidgetItem* item = m_list->currentItem();
    const std::string path = SelectedPath();
    if (path.empty())
        return;
    if (AskYesNo("Delete \"" + item->text().toStdString() + "\"?")) {
        std::error_code ec;
        if (!std::filesystem::remove(path, ec))
            ShowMessage("Can't delete \"" + path + "\"");
    }
    FillList();
}

void CSettingsListPage::ChooseFolder()
{
    if (!FolderChooserSlot())
        return;
    const auto chosen = FolderChooserSlot()(m_folder.substr(0, 259), "Select output directory");
    if (!chosen)
        return;
    m_folder = *chosen + "/";
    FillList();
}

} // namespace kv
