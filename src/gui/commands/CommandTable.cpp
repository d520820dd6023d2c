#include "gui/commands/CommandTable.h"

#include "gui/commands/CommandIds.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace kv {

namespace {

using namespace cmd;

const std::vector<CommandDef> kRows = {
    {kFileNew, "&File", "&New\tCtrl+N", "Create a new world\nNew"},
    {kFileOpen, "&File", "&Open...\tCtrl+O", "Open an existing world\nOpen"},
    {kFileSave, "&File", "&Save\tCtrl+S", "Save the active world\nSave"},
    {kFileSaveAs, "&File", "Save &As...", "Save the active world with a new name\nSave As"},
    {0, "&File", nullptr, nullptr},
    {kFilePrint, "&File", "&Print...\tCtrl+P", "Print the map\nPrint"},
    {kFilePrintPreview, "&File", "Print Pre&view", "Display full pages\nPrint Preview"},
    {kFilePrintSetup, "&File", "P&rint Setup...", "Change the printer and printing options\nPrint Setup"},
    {0, "&File", nullptr, nullptr},
    {kFileMruFirst, "&File", "Recent File", "Open this world"},
    {kFileMruFirst + 1, "&File", "Recent File", "Open this world"},
    {kFileMruFirst + 2, "&File", "Recent File", "Open this world"},
    {kFileMruFirst + 3, "&File", "Recent File", "Open this world"},
    {0, "&File", nullptr, nullptr},
    {kAppExit, "&File", "E&xit", "Quit the application; prompts to save the world\nExit"},
    {kEditPreferences, "&Edit", "&Preferences...", "Change the program's preferences\nPreferences"},
    {kBarWorldTools, "&View", "&World Tools", "Show or hide the World Tools bar\nToggle World Tools"},
    {kBarMapTools, "&View", "&Map Tools", "Show or hide the Map Tools bar\nToggle Map Tools"},
    {kBarToolsPalette, "&View", "&Tools Palette", "Show or hide the Tools palette\nToggle Tools"},
    {kBarClimateSelector, "&View", "&Climate Selector", "Show or hide the Climate Selector\nToggle Climate Selector"},
    {kBarStatus, "&View", "&Status Bar", "Show or hide the status bar\nToggle Status Bar"},
    {kMapRegenerate, "&Map", "&Regenerate", "Recompute the world from its parameters\nRegenerate"},
    {kAppAbout, "&Help", "&About Kelvane Pro...",
     "Display program information, version number and copyright\nAbout"},
};

} // namespace

const std::vector<CommandDef>& CommandRows() { return kRows; }

const CommandDef* FindCommand(int id)
{
    for (const CommandDef& row : kRows) {
        if (row.id == id && id != 0)
            return &row;
    }
    return nullptr;
}

// ---- routing ----

void CommandRouter::SetTargets(CommandTarget* view, CommandTarget* document, CommandTarget* frame,
                               CommandTarget* app)
{
    m_targets[0] = view;
    m_targets[1] = document;
    m_targets[2] = frame;
    m_targets[3] = app;
}

RouteTarget CommandRouter::TargetOf(int id) const
{
    static const RouteTarget kOrder[] = {RouteTarget::View, RouteTarget::Document, RouteTarget::Frame,
                                         RouteTarget::App};
    for (int i = 0; i < 4; ++i) {
        if (m_targets[i] && m_targets[i]->HasCommand(id))
            return kOrder[i];
    }
    return RouteTarget::None;
}

CommandTarget* CommandRouter::Target(RouteTarget which) const
{
    switch (which) {
    case RouteTarget::View: return m_targets[0];
    case RouteTarget::Document: return m_targets[1];
    case RouteTarget::Frame: return m_targets[2];
    case RouteTarget::App: return m_targets[3];
    case RouteTarget::None: break;
    }
    return nullptr;
}

bool CommandRouter::Execute(int id)
{
    CommandTarget* target = Target(TargetOf(id));
    if (!target)
        return false;
    // A disabled command does not run (a key may reach it while its item is grey).
    CommandState state;
    target->OnUpdateCommand(id, state);
    if (!state.enabled)
        return false;
    target->OnCommand(id);
    return true;
}

CommandState CommandRouter::Update(int id) const
{
    CommandState state;
    CommandTarget* target = Target(TargetOf(id));
    if (!target) {
        state.enabled = false;
        return state;
    }
    target->OnUpdateCommand(id, state);
    return state;
}

// ---- actions ----

QString CommandActions::LabelOf(const char* text)
{
    const QString t = QString::fromUtf8(text ? text : "");
    const qsizetype tab = t.indexOf('\t');
    return tab < 0 ? t : t.left(tab);
}

QString CommandActions::KeyOf(const char* text)
{
    const QString t = QString::fromUtf8(text ? text : "");
    const qsizetype tab = t.lastIndexOf('\t');
    return tab < 0 ? QString() : t.mid(tab + 1);
}

CommandActions::CommandActions(CommandRouter& router, QObject* parent) : QObject(parent), m_router(router)
{
    for (const CommandDef& row : kRows) {
        if (row.id == 0 || m_actions.count(row.id))
            continue;
        auto* action = new QAction(LabelOf(row.text), this);
        const QString key = KeyOf(row.text);
        if (!key.isEmpty())
            action->setShortcut(QKeySequence(key));
        const QString prompt = QString::fromUtf8(row.prompt ? row.prompt : "");
        const qsizetype lf = prompt.indexOf('\n');
        action->setStatusTip(lf < 0 ? prompt : prompt.left(lf));
        action->setToolTip(lf < 0 ? action->text().remove('&') : prompt.mid(lf + 1));
        action->setData(row.id);
        const int id = row.id;
        connect(action, &QAction::triggered, this, [this, id] {
            m_router.Execute(id);
        });
        m_actions[row.id] = action;
    }
}

QAction* CommandActions::Action(int id) const
{
    const auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

std::vector<int> CommandActions::MenuIds(const QString& menu) const
{
    std::vector<int> ids;
    for (const CommandDef& row : kRows) {
        if (row.id != 0 && row.menu && QString::fromUtf8(row.menu) == menu)
            ids.push_back(row.id);
    }
    return ids;
}

void CommandActions::BuildMenuBar(QMenuBar* bar)
{
    QMenu* current = nullptr;
    QString currentName;
    for (const CommandDef& row : kRows) {
        if (!row.menu)
            continue;
        const QString name = QString::fromUtf8(row.menu);
        if (!current || name != currentName) {
            current = bar->addMenu(name);
            currentName = name;
            const std::vector<int> ids = MenuIds(name);
            QMenu* menu = current;
            connect(current, &QMenu::aboutToShow, this, [this, ids, menu] {
                UpdateActions(ids);
                emit menuAboutToShow(menu);
            });
        }
        if (row.id == 0)
            current->addSeparator();
        else
            current->addAction(Action(row.id));
    }
}

void CommandActions::UpdateActions(const std::vector<int>& ids)
{
    for (int id : ids) {
        QAction* action = Action(id);
        if (!action)
            continue;
        const CommandState state = m_router.Update(id);
        action->setEnabled(state.enabled);
        action->setCheckable(state.checkable);
        if (state.checkable)
            action->setChecked(state.checked);
        if (!state.text.isEmpty())
            action->setText(state.text);
        action->setVisible(state.visible);
    }
}

void CommandActions::UpdateAll()
{
    std::vector<int> ids;
    for (const auto& [id, action] : m_actions)
        ids.push_back(id);
    UpdateActions(ids);
}

void CommandActions::SetIcon(int id, const QIcon& icon)
{
    if (QAction* action = Action(id))
        action->setIcon(icon);
}

} // namespace kv
