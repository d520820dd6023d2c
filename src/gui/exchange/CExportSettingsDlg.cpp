#include "gui/exchange/CExportSettingsDlg.h"

#include "base/AppFolders.h"
#include "base/AppSettings.h"
#include "base/MessageService.h"
#include "document/CKVDoc.h"
#include "exchange/ExportDefinitionChooser.h"
#include "gui/controls/CFileNameDlg.h"
#include "gui/controls/DialogParts.h"
#include "gui/dialogs/CGridSettingsDlg.h"
#include "gui/exchange/CEditContourDlg.h"
#include "gui/exchange/CEditPW2GridDlg.h"
#include "gui/exchange/CExportWizard.h"
#include "view/CKVView.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace kv {

namespace {

constexpr int kHelpCommand = 57670;

// The name prompt over the dialog's folder: "." and ".." are no names, and keeping a name
// as it was is no change (nothing is asked or written).
class DefinitionNameDlg : public CFileNameDlg {
public:
    explicit DefinitionNameDlg(QWidget* parent) : CFileNameDlg(parent) {}
    void accept() override
    {
        const std::string entered = NameEdit()->text().trimmed().toStdString();
        if (entered == "." || entered == "..") {
            ShowMessage("Not a valid setting name: \"" + entered + "\"");
            return;
        }
        if (!name.empty() && entered == name) {
            QDialog::accept();
            return;
        }
        CFileNameDlg::accept();
    }
};

} // namespace

namespace {

// The name of a new or renamed export definition in `folder`; true on OK.
bool AskDefinitionName(QWidget* parent, const std::string& folder, std::string& name)
{
    DefinitionNameDlg dialog(parent);
    dialog.name = name;
    dialog.folder = folder;
    dialog.extension = ExportDefinitionChoice::kExtension;
    if (RunModal(dialog) != QDialog::Accepted)
        return false;
    name = dialog.name;
    return true;
}

// The program's prompt outside the PW2 Export dialog (which puts its own in while open):
// over the active window, for the export folder.
class WindowDefinitionNamePrompt : public DefinitionNamePrompt {
public:
    bool Ask(std::string& name) override
    {
        return AskDefinitionName(QApplication::activeWindow(), GetExportDir(GetAppSettings()), name);
    }
};

} // namespace

bool CExportSettingsDlg::NamePrompt::Ask(std::string& name)
{
    return AskDefinitionName(&m_owner, m_owner.m_folder, name);
}

CExportSettingsDlg::CExportSettingsDlg(const std::string& folder, const AtlasSource& view, QWidget* parent)
    : QDialog(parent), m_folder(folder), m_view(view), m_list(new QListWidget(this)), m_prompt(*this)
{
    setWindowTitle("PW2 Export");
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* top = new QHBoxLayout(this);
    top->addWidget(m_list, 1);
    auto* column = new QVBoxLayout;
    struct ButtonDef {
        const char* text;
        void (CExportSettingsDlg::*handler)();
    };
    const ButtonDef defs[] = {{"&Create", &CExportSettingsDlg::OnCreate},
                              {"&Edit", &CExportSettingsDlg::OnEdit},
                              {"&Delete", &CExportSettingsDlg::OnDelete},
                              {"&Rename", &CExportSettingsDlg::OnRename},
                              {"D&uplicate", &CExportSettingsDlg::OnDuplicate},
                              {"E&xport World", &CExportSettingsDlg::OnExport}};
    for (const ButtonDef& def : defs) {
        auto* button = new QPushButton(def.text, this);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, def.handler);
        column->addWidget(button);
    }
    column->addStretch(1);
    auto* close = new QPushButton("&Close", this);
    auto* help = new QPushButton("&Help", this);
    for (QPushButton* b : {close, help}) {
        b->setAutoDefault(false);
        column->addWidget(b);
    }
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [] { OpenHelpContext(kHelpCommand); });
    top->addLayout(column);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &CExportSettingsDlg::OnEdit);
    m_previousPrompt = SetDefinitionNamePrompt(&m_prompt);
    Refill(std::string());
}

CExportSettingsDlg::~CExportSettingsDlg() { SetDefinitionNamePrompt(m_previousPrompt); }

std::string CExportSettingsDlg::Selected() const
{
    const QList<QListWidgetItem*> items = m_list->selectedItems();
    return items.isEmpty() ? std::string() : items.front()->text().toStdString();
}

void CExportSettingsDlg::Refill(const std::string& name)
{
    const ExportDefinitionChoice choice = ExportDefinitionChoice::List(m_folder, name);
    m_list->clear();
    for (const std::string& n : choice.names)
        m_list->addItem(QString::fromStdString(n));
    if (choice.selected >= 0)
        m_list->setCurrentRow(choice.selected);
}

void CExportSettingsDlg::OnCreate()
{
    if (CreateDefinition(m_folder, DefaultDefinitionPath()) == 0)
        Refill(Selected());
}

void CExportSettingsDlg::OnEdit()
{
    const std::string name = Selected();
    if (!name.empty())
        EditDefinition(m_folder, name);
}

void CExportSettingsDlg::OnDelete()
{
    const std::string name = Selected();
    if (!name.empty() && DeleteDefinition(m_folder, name) == 0)
        Refill(std::string());
}

void CExportSettingsDlg::OnRename()
{
    const std::string name = Selected();
    if (!name.empty() && RenameDefinition(m_folder, name) == 0)
        Refill(std::string());
}

void CExportSettingsDlg::OnDuplicate()
{
    const std::string name = Selected();
    if (!name.empty() && DuplicateDefinition(m_folder, name) == 0)
        Refill("Copy of " + name);
}

void CExportSettingsDlg::OnExport() { ExportWorldWithDefinition(m_folder, Selected(), m_view); }

void SavePW2FileCommand(CKVDoc& doc)
{
    AtlasSource source;
    CKVView* view = GetActiveKVView();
    if (view == nullptr || !AtlasSourceOfView(*view, source) || source.document != &doc) {
        source = AtlasSource();
        source.document = &doc;
        source.projection = doc.GetViewSettings().projection;
        source.light = doc.GetViewSettings().light;
        source.shaderId = doc.GetViewSettings().shaderId;
    }
    CExportSettingsDlg dialog(GetExportDir(GetAppSettings()), source);
    RunModal(dialog);
}

void InstallExportDefinitionWindows()
{
    static WindowExportWizard wizard;
    static WindowContourStyleEditor contours;
    static WindowDefinitionNamePrompt namePrompt;
    SetDefinitionNamePrompt(&namePrompt);
    SetExportWizard(&wizard);
    SetContourStyleEditor(&contours);
    SetGridEntryEditor(&EditGridEntry);
}

void RemoveExportDefinitionWindows()
{
    SetDefinitionNamePrompt(nullptr);
    SetExportWizard(nullptr);
    SetContourStyleEditor(nullptr);
    SetGridEntryEditor(nullptr);
}

} // namespace kv
