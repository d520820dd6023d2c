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
    {kFileSaveSphereMap, "&File", "Save Sp&here Map Image...", "Save the whole world as one picture\nSphere Map"},
    {kFileSaveIcosahedral, "&File", "Save &Icosahedral Image...",
     "Save the whole world as the net of an icosahedron\nIcosahedral Image"},
    {kFileSaveSpinSequence, "&File", "Save Spin View Se&quence Files...",
     "Save the turning globe as numbered pictures\nSpin Sequence"},
    {kFileExportVRML, "&File", "Export &VRML Scene...", "Save the world as a textured VRML globe\nVRML"},
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
    {kWorldSettings, "&Edit", "&World Settings", "Show or hide the World Settings sheet\nWorld Settings"},
    {kLightingAndColor, "&Edit", "&Lighting and Color", "Show or hide the Lighting and Color sheet\nLighting and Color"},
    {kBarWorldTools, "&View", "&World Tools", "Show or hide the World Tools bar\nToggle World Tools"},
    {kBarMapTools, "&View", "&Map Tools", "Show or hide the Map Tools bar\nToggle Map Tools"},
    {kBarToolsPalette, "&View", "&Tools Palette", "Show or hide the Tools palette\nToggle Tools"},
    {kBarClimateSelector, "&View", "&Climate Selector", "Show or hide the Climate Selector\nToggle Climate Selector"},
    {kBarStatus, "&View", "&Status Bar", "Show or hide the status bar\nToggle Status Bar"},
    {kMapRegenerate, "&Map", "&Regenerate", "Recompute the world from its parameters\nRegenerate"},
    // The world document's commands (routed to the document, which runs and updates them).
    {57643, "&Edit", "&Undo\tCtrl+Z", "Undo the last action\nUndo"},
    {57644, "&Edit", "Redo\tCtrl+Y", "Redo the previously undone action\nRedo"},
    {0, "&Edit", nullptr, nullptr},
    {33069, "&Select", "&All\tCtrl+A", "Select the whole world\nSelect All"},
    {33073, "&Select", "&Deselect\tCtrl+D", "Clear the selection\nDeselect"},
    {33234, "&Select", "&Reselect\tShift+Ctrl+D", "Restore the last selection\nReselect"},
    {33077, "&Select", "&Inverse\tShift+Ctrl+I", "Invert the selection\nInverse"},
    {0, "&Select", nullptr, nullptr},
    {33075, "&Select", "&Feather...\tAlt+Ctrl+D", "Soften the edge of the selection\nFeather"},
    {33080, "&Select", "&Contract...", "Shrink the selection\nContract"},
    {33081, "&Select", "&Expand...", "Grow the selection\nExpand"},
    {33071, "&Select", "&Binarize...", "Threshold the selection\nBinarize"},
    {33079, "&Select", "&Border...", "Select the border of the selection\nBorder"},
    {33240, "&Select", "&Distance", "Make the selection a ramp from its edge\nDistance"},
    {0, "&Select", nullptr, nullptr},
    {33078, "&Select", "&Load Selection...", "Load a selection from an image\nLoad Selection"},
    {33088, "&Select", "&Save Selection...", "Save the selection as an image\nSave Selection"},
    {0, "&Select", nullptr, nullptr},
    {33070, "&Select", "Altit&ude Range...", "Select an altitude range\nAltitude Range"},
    {33086, "&Select", "&Rainfall Range...", "Select a rainfall range\nRainfall Range"},
    {33091, "&Select", "&Temperature Range...", "Select a temperature range\nTemperature Range"},
    {33072, "&Select", "&Climate Range...", "Select climate classes\nClimate Range"},
    {33116, "&Tools", "&Altitude Value", "Set the altitude of the whole world\nSet Altitude"},
    {33194, "&Tools", "Rainfall &Value", "Set the rainfall of the whole world\nSet Rainfall"},
    {33195, "&Tools", "T&emperature Value", "Set the temperature of the whole world\nSet Temperature"},
    {0, "&Tools", nullptr, nullptr},
    {33121, "&Tools", "Create M&ound From Selection...", "Raise a mound over the selection\nMound"},
    {33122, "&Tools", "Create Mo&undtain From Selection...", "Raise a stepped mound over the selection\nMoundtain"},
    {33247, "&Tools", "Create &Profiled Mound from Selection...", "Raise the selection along a profile\nProfiled Mound"},
    {33222, "&Tools", "Global &Math Tool...", "Combine whole grids\nMath Tool"},
    {0, "&Tools", nullptr, nullptr},
    {33190, "&Tools", "&Fill Basins in Offset...", "Fill the world's basins in the land offset\nFill Basins"},
    {33198, "&Tools", "Fill Basins as &Lakes...", "Fill the world's basins with water\nFill Lakes"},
    {33242, "&Tools", "&Incise Flow...", "Cut valleys along the flow of water\nIncise Flow"},
    {33108, "&Tools", "&Burn In to Surface", "Freeze the world into the land offset\nBurn In"},
    {33245, "&Tools", "Re&map Altitudes...", "Remap altitudes through a curve\nRemap Altitudes"},
    {33155, "&Tools", "Planetary &Bombardment...", "Create multiple craters on the planet\nBombardment"},
    {0, "&Tools", nullptr, nullptr},
    {33202, "&Tools", "&Find Rivers", "Find the rivers of the world\nFind Rivers"},
    {33204, "&Tools", "&Clear River Overlays", "Remove the rivers\nClear Rivers"},
    {33205, "&Tools", "&Hide/Show River Overlays", "Hide or Show the river overlay vector channel\nRivers"},
    {33220, "&Tools", "&Enable River Exclusion Mask", "Enable the river exclusion image overlay\nExclusion Mask"},
    {33221, "&Tools", "&Remove River Exclusion Mask", "Remove the river exclusion image overlay\nRemove Mask"},
    {0, "&Tools", nullptr, nullptr},
    {33174, "&Tools", "Set Up Simple &Create Mode", "Paint climates into an overlay to make a world\nSimple Create"},
    {33175, "&Tools", "E&xecute Simple Create...", "Turn the painted climates into a world\nExecute Simple Create"},
    {33227, "&Developmental", "Run &Ashgrove Climate Model", "Run the seasonal climate model\nAshgrove"},
    {33228, "&Developmental", "&Use Default KV Climate Model", "Use the default climate model\nDefault Climate"},
    {33196, "&Developmental", "Setup Up Globe &Image Layers", "Add the globe export layers\nGlobe Layers"},
    {33197, "&Developmental", "Execute &Globe Export...", "Write the globe export\nGlobe Export"},
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
