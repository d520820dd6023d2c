#include "gui/commands/CommandTable.h"

#include "gui/commands/CommandIds.h"
#include "view/ViewCommandIds.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace kv {

namespace {

using namespace cmd;
using namespace viewcmd;

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
    {kBarWorldTools, "&View", "&World Tools", "Show or hide the World Tools bar\nToggle World Tools"},
    {kBarMapTools, "&View", "&Map Tools", "Show or hide the Map Tools bar\nToggle Map Tools"},
    {kBarToolsPalette, "&View", "&Tools Palette", "Show or hide the Tools palette\nToggle Tools"},
    {kBarClimateSelector, "&View", "&Climate Selector", "Show or hide the Climate Selector\nToggle Climate Selector"},
    {kBarStatus, "&View", "&Status Bar", "Show or hide the status bar\nToggle Status Bar"},
    {kBarGlobeTools, "&View", "&Globe Tools Toolbar", "Show or hide the Globe tools\nToggle Globe Tools"},
    {0, "&View", nullptr, nullptr},
    {kZoomExtents, "&View", "Zoom &Extents\tF12", "Show the whole map\nZoom Extents"},
    {kZoomIn, "&View", "Zoom &In\t=", "Increase the scale by 2\nZoom In"},
    {kZoomOut, "&View", "Zoom &Out\t-", "Decrease the scale by 2\nZoom Out"},
    {kZoomPrior, "&View", "Zoom &Prior\tBackspace", "Go back to the previous view\nZoom Prior"},
    {kAddView, "&View", "&Add View...", "Store the current view under a name\nAdd View"},
    {kViewWindow, "&View", "&View Window", "Show or hide the saved views\nView Window"},
    {0, "&View", nullptr, nullptr},
    {kShowSelectMask, "&View", "Show Select &Mask", "Show the selection as a mask\nShow Select Mask"},
    {kShowOutline, "&View", "Show &Outline", "Show the selection as an outline\nShow Outline"},
    {kWorldSettings, "&View", "&World Settings", "Show or hide the World Settings\nWorld Settings"},
    {kLightingAndColor, "&View", "&Lighting and Color", "Show or hide the Lighting and Color settings\nLighting"},
    {kAltColorConversion, "&View", "Color-to-&Altitude Conversion",
     "Show or hide the colour-to-altitude window\nColor-to-Altitude"},
    {kMapRegenerate, "&Map", "&Regenerate", "Recompute the world from its parameters\nRegenerate"},
    {kNextWorld, "&Map", "&Next World", "Make the next world of the seed sequence\nNext World"},
    {kPreviousWorld, "&Map", "&Previous World", "Make the previous world of the seed sequence\nPrevious World"},
    {0, "&Map", nullptr, nullptr},
    {kChangeProjection, "&Map", "Change Pro&jection...", "Choose the map projection\nChange Projection"},
    {kBackground, "&Map", "&Background...", "Choose the background hatch and colours\nBackground"},
    {kGridSettings, "&Map", "&Grid Settings...", "Edit the latitude/longitude grids\nGrid Settings"},
    {0, "&Map", nullptr, nullptr},
    {kShowAltitude, "&Map", "Show &Altitude", "Colour the map by altitude\nAltitude"},
    {kShowClimate, "&Map", "Show &Climate", "Colour the map by climate\nClimate"},
    {kShowRainfall, "&Map", "Show &Rainfall", "Colour the map by rainfall\nRainfall"},
    {kShowTemperature, "&Map", "Show &Temperature", "Colour the map by temperature\nTemperature"},
    {kShowGaia, "&Map", "Show &Gaia", "Colour the map with the Gaia shader\nGaia"},
    {kShowNormalMap, "&Map", "Show &Normal Map", "Show the surface normals\nNormal Map"},
    {kShowBumpMap, "&Map", "Show &Bump Map", "Show the bump map\nBump Map"},
    {kTexturedClimate, "&Map", "Te&xtured Climate", "Colour the map by climate with texture\nTextured Climate"},
    {kShowImageClimate, "&Map", "Show &Image Climate...", "Colour the map from a climate image\nImage Climate"},
    {kShowOverlayWindow, "&Image Overlays", "Show Overlay &Window", "Show or hide the overlay list\nOverlays"},
    {kSetOverlayColor, "&Image Overlays", "Set Overlay Drawing &Color...",
     "Choose the overlay drawing colour\nDrawing Color"},
    {kFillSelection, "&Image Overlays", "&Fill Selection with Drawing Color",
     "Fill the selection on the active overlay\nFill Selection"},
    {kEraseSelection, "&Image Overlays", "&Erase Selection", "Erase the selection on the active overlay\nErase"},
    // Keys without a menu entry.
    {kPanDown, nullptr, "Pan Down\tDown", "Move the map down\nPan Down"},
    {kPanLeft, nullptr, "Pan Left\tLeft", "Move the map left\nPan Left"},
    {kPanRight, nullptr, "Pan Right\tRight", "Move the map right\nPan Right"},
    {kPanUp, nullptr, "Pan Up\tUp", "Move the map up\nPan Up"},
    {kCentreDown, nullptr, "Centre Down\tCtrl+Down", "Move the centre south\nCentre Down"},
    {kCentreLeft, nullptr, "Centre Left\tCtrl+Left", "Move the centre west\nCentre Left"},
    {kCentreRight, nullptr, "Centre Right\tCtrl+Right", "Move the centre east\nCentre Right"},
    {kCentreUp, nullptr, "Centre Up\tCtrl+Up", "Move the centre north\nCentre Up"},
    // The Globe Tools bar's buttons.
    {kGlobeQuit, nullptr, "Quit", "Quit the application; prompts to save documents\nExit"},
    {kGlobeCancel, nullptr, "Cancel", "Close the main window\nCancel"},
    {kGlobeHelp, nullptr, "Help", "Help on the Globe Tools\nHelp"},
    {kAppAbout, "&Help", "&About Kelvane Pro...",
     "Display program information, version number and copyright\nAbout"},
};

} // namespace

std::vector<const char*> ExtraKeys(int id)
{
    switch (id) {
    case kZoomIn: return {"+", "Num++"};
    case kZoomOut: return {"Ctrl+Ins"};
    default: return {};
    }
}

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
        QList<QKeySequence> keys;
        if (!key.isEmpty())
            keys.append(QKeySequence(key));
        for (const char* extra : ExtraKeys(row.id))
            keys.append(QKeySequence(QString::fromUtf8(extra)));
        if (!keys.isEmpty())
            action->setShortcuts(keys);
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
