#include "gui/frame/CMainFrame.h"

#include "gui/controls/CColorKeyDlg.h"
#include "gui/frame/CMapViewProperties.h"
#include "gui/tools/CToolOptionsBar.h"

#include "base/AppSettings.h"
#include "base/Progress.h"
#include "gui/commands/CommandIds.h"
#include "gui/controls/CXListBox.h"
#include "gui/frame/GlobeBarWidget.h"
#include "gui/frame/MenuImages.h"
#include "gui/frame/WindowPlacement.h"
#include "gui/progress/CProgressDlg.h"
#include "gui/sheets/CColoringSheet.h"
#include "gui/sheets/CWorldEditSheet.h"
#include "document/CKVDoc.h"
#include "document/ColorLinks.h"
#include "document/DocumentContext.h"
#include "shading/ShaderRegistry.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QMimeData>
#include <QGridLayout>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace kv {

namespace {

using namespace cmd;

const char* const kColumnsProperty = "kvColumns";

// A long operation is running while a progress dialog is up.
bool LongOperationRunning()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (qobject_cast<CProgressDlg*>(w) && w->isVisible())
            return true;
    }
    return false;
}

} // namespace

CMainFrame::CMainFrame(CommandActions& actions, bool batch, QWidget* parent)
    : QMainWindow(parent), m_actions(actions), m_batch(batch)
{
    setObjectName(QStringLiteral("CMainFrame"));
    resize(kInitialWidth, kInitialHeight);
    setMinimumSize(kMinTrackWidth, kMinTrackHeight);
    if (batch) {
        setWindowFlag(Qt::Tool, true);
        return;
    }
    m_actions.BuildMenuBar(menuBar());
    // One item style for every menu of the window (widgets do not own their style).
    m_menuStyle = new MenuItemStyle;
    m_menuStyle->setParent(this);
    for (QMenu* menu : menuBar()->findChildren<QMenu*>())
        menu->setStyle(m_menuStyle);

    m_worldTools = MakeToolbar(kBarWorldTools, kToolbarWorldTools, "World Tools", Qt::LeftToolBarArea);
    m_mapTools = MakeToolbar(kBarMapTools, kToolbarMapTools, "Map Tools", Qt::RightToolBarArea);

    m_statusLabel = new QLabel(QString::fromUtf8(kIdleMessage));
    statusBar()->setObjectName(QString::number(kBarStatus));
    statusBar()->addWidget(m_statusLabel, 1);
    connect(statusBar(), &QStatusBar::messageChanged, this, [this](const QString& message) {
        // A menu item's prompt while it is highlighted, the status text otherwise.
        m_statusLabel->setVisible(message.isEmpty());
    });

    setDockOptions(dockOptions() | QMainWindow::AllowNestedDocks);
    m_toolsPalette = MakePalette(kBarToolsPalette, kToolbarTools, "Tools", 2);
    m_climatePalette = MakePalette(kBarClimateSelector, kToolbarClimate, "Climate Selector", 6);
    m_propertiesDock = new QDockWidget("View Properties", this);
    m_propertiesDock->setObjectName(QString::number(kBarViewProperties));
    m_properties = new CMapViewProperties(m_propertiesDock);
    m_propertiesDock->setWidget(m_properties);
    m_propertiesDock->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    addDockWidget(Qt::RightDockWidgetArea, m_propertiesDock);
    m_propertiesDock->setFloating(true);

    m_toolOptions = new CToolOptionsBar(this);
    m_toolOptions->setAllowedAreas(Qt::TopDockWidgetArea | Qt::BottomDockWidgetArea);
    addDockWidget(Qt::TopDockWidgetArea, m_toolOptions);
    // The Globe Tools bar, docked on the right.
    m_globeDock = new QDockWidget(QStringLiteral("Globe Tools"), this);
    m_globeDock->setObjectName(QString::number(kBarGlobeTools));
    m_globeBar = new GlobeBarWidget(m_actions, m_globeDock);
    m_globeDock->setWidget(m_globeBar);
    addDockWidget(Qt::RightDockWidgetArea, m_globeDock);
    // The Color Key bar: docks left or right, starts floating and hidden.
    m_colorKeyDock = new QDockWidget(QStringLiteral("Color Key"), this);
    m_colorKeyDock->setObjectName(QString::number(kBarColorKey));
    m_colorKey = new CColorKeyDlg(m_colorKeyDock);
    m_colorKeyDock->setWidget(m_colorKey);
    m_colorKeyDock->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    addDockWidget(Qt::RightDockWidgetArea, m_colorKeyDock);
    m_colorKeyDock->setFloating(true);
    m_colorKeyDock->hide();
    // Each floating bar finds its place when it first shows (once the window's layout has
    // settled).
    for (QDockWidget* dock : {m_propertiesDock, m_colorKeyDock, m_toolsPalette, m_climatePalette}) {
        connect(dock, &QDockWidget::visibilityChanged, this, [this, dock](bool visible) {
            if (visible)
                QTimer::singleShot(0, this, [this, dock] { PlaceFloatingBar(dock); });
        });
    }

    // Commands with keys and no menu entry are the window's own.
    for (const CommandDef& row : CommandRows()) {
        if (row.id != 0 && !row.menu)
            if (QAction* action = m_actions.Action(row.id); action && !action->shortcut().isEmpty())
                addAction(action);
    }
}

void CMainFrame::RefreshColorKey(SurfaceSampler* sampler)
{
    if (m_colorKey)
        m_colorKey->SetSource(sampler);
}

CGlobeDlgBar* CMainFrame::Globe() const { return m_globeBar ? &m_globeBar->Model() : nullptr; }

bool CMainFrame::RenderGlobeStep() { return m_globeBar && m_globeBar->RenderStep(); }

void CMainFrame::MoveViewCentre(double latitudeDelta, double longitudeDelta)
{
    if (CGlobeDlgBar* globe = Globe())
        globe->MoveCenterBy(latitudeDelta, longitudeDelta);
}

CMainFrame::~CMainFrame() = default;

QToolBar* CMainFrame::MakeToolbar(int barId, int resourceId, const char* title, Qt::ToolBarArea area)
{
    auto* bar = new QToolBar(QString::fromUtf8(title), this);
    bar->setObjectName(QString::number(barId));
    bar->setIconSize(QSize(MenuImageTable::kImageWidth, MenuImageTable::kImageHeight));
    if (const ToolbarDef* def = FindToolbar(resourceId)) {
        for (int id : def->buttons) {
            if (id == 0) {
                bar->addSeparator();
            } else if (QAction* action = m_actions.Action(id)) {
                if (action->icon().isNull())
                    action->setIcon(QIcon(ToolbarButtonImage(resourceId, id)));
                bar->addAction(action);
            }
        }
    }
    addToolBar(area, bar);
    return bar;
}

QDockWidget* CMainFrame::MakePalette(int barId, int resourceId, const char* title, int columns)
{
    auto* dock = new QDockWidget(QString::fromUtf8(title), this);
    dock->setObjectName(QString::number(barId));
    dock->setProperty(kColumnsProperty, columns);
    auto* grid = new QWidget(dock);
    auto* layout = new QGridLayout(grid);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(1);
    // Buttons fill rows of `columns`; a separator that ends a row draws a line under it.
    int row = 0, column = 0;
    if (const ToolbarDef* def = FindToolbar(resourceId)) {
        for (int id : def->buttons) {
            if (id == 0) {
                if (column == 0 && row > 0) {
                    auto* line = new QFrame(grid);
                    line->setFrameShape(QFrame::HLine);
                    line->setFrameShadow(QFrame::Sunken);
                    layout->addWidget(line, row++, 0, 1, columns);
                }
                continue;
            }
            QAction* action = m_actions.Action(id);
            if (!action)
                continue;
            if (action->icon().isNull())
                action->setIcon(QIcon(ToolbarButtonImage(resourceId, id)));
            auto* button = new QToolButton(grid);
            button->setObjectName(QString::number(id));
            button->setDefaultAction(action);
            button->setAutoRaise(true);
            button->setIconSize(QSize(MenuImageTable::kImageWidth, MenuImageTable::kImageHeight));
            layout->addWidget(button, row, column);
            if (++column == columns) {
                column = 0;
                ++row;
            }
        }
    }
    dock->setWidget(grid);
    addDockWidget(Qt::LeftDockWidgetArea, dock);
    dock->setFloating(true);
    dock->hide();
    return dock;
}

int CMainFrame::PaletteColumns(const QDockWidget* palette)
{
    return palette ? palette->property(kColumnsProperty).toInt() : 0;
}

QWidget* CMainFrame::Bar(int id) const
{
    switch (id) {
    case kBarWorldTools: return m_worldTools;
    case kBarMapTools: return m_mapTools;
    case kBarToolsPalette: return m_toolsPalette;
    case kBarClimateSelector: return m_climatePalette;
    case kBarViewProperties: return m_propertiesDock;
    case kBarGlobeTools: return m_globeDock;
    case kBarToolOptions: return m_toolOptions;
    case kBarColorKey: return m_colorKeyDock;
    case kBarStatus: return m_batch ? nullptr : const_cast<CMainFrame*>(this)->statusBar();
    default: return nullptr;
    }
}

void CMainFrame::SetStatusText(const QString& text)
{
    m_statusText = text.isEmpty() ? QString::fromUtf8(kIdleMessage) : text;
    if (m_statusLabel)
        m_statusLabel->setText(m_statusText);
}

QString CMainFrame::StatusText() const
{
    return m_statusText.isEmpty() ? QString::fromUtf8(kIdleMessage) : m_statusText;
}

void CMainFrame::ShowClimateSelectorBar(bool show)
{
    if (m_climatePalette)
        m_climatePalette->setVisible(show);
}

void CMainFrame::SaveBarState(const AppSettings& profile) const
{
    profile.WriteString(kBarStateSection, "State", saveState(kBarStateVersion).toBase64().toStdString());
}

bool CMainFrame::LoadBarState(const AppSettings& profile)
{
    const std::string text = profile.GetString(kBarStateSection, "State", std::string());
    if (text.empty())
        return false;
    const auto decoded = QByteArray::fromBase64Encoding(QByteArray::fromStdString(text),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || !restoreState(*decoded, kBarStateVersion))
        return false;
    // The floating bars stand where the saved layout put them.
    m_layoutRestored = true;
    return true;
}

void CMainFrame::SavePlacement(const AppSettings& profile) const { WindowPlacement::Of(*this).Write(profile); }

bool CMainFrame::RestorePlacement(const AppSettings& profile)
{
    const auto placement = WindowPlacement::Read(profile);
    return placement && placement->ApplyTo(*this);
}

void CMainFrame::SetStartupMode(bool open)
{
    if (open) {
        setFixedSize(kStartupWidth, kStartupHeight);
    } else {
        setMinimumSize(kMinTrackWidth, kMinTrackHeight);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
}

bool CMainFrame::HasCommand(int id) const
{
    switch (id) {
    case kBarWorldTools:
    case kBarMapTools:
    case kBarToolsPalette:
    case kBarClimateSelector:
    case kBarViewProperties:
    case kBarGlobeTools:
    case kBarToolOptions:
    case kBarColorKey:
    case kBarStatus:
        return Bar(id) != nullptr;
    case kWorldSettings:
    case kViewWorldSettings:
    case kLightingAndColor:
    case kColorLinkWindow:
    case kListClear:
    case kListCopy:
    case kListSelectAll:
        return !m_batch;
    default:
        return false;
    }
}

namespace {

// The coloured list that has the focus, if any.
CXListBox* FocusedList()
{
    for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget())
        if (auto* list = qobject_cast<CXListBox*>(w))
            return list;
    return nullptr;
}

} // namespace

void CMainFrame::OnCommand(int id)
{
    if (id == kColorLinkWindow) {
        ColorLinks& links = ColorLinks::GetInstance();
        links.ShowWindow(!links.IsWindowVisible());
        return;
    }
    if (id == kListClear || id == kListCopy || id == kListSelectAll) {
        if (CXListBox* list = FocusedList())
            list->OnCommand(id);
        return;
    }
    if (id == kWorldSettings || id == kViewWorldSettings)
        ToggleWorldSettings();
    else if (id == kLightingAndColor)
        ToggleLightingAndColor();
    else if (QWidget* bar = Bar(id))
        bar->setVisible(!bar->isVisible());
}

void CMainFrame::OnUpdateCommand(int id, CommandState& state)
{
    if (id == kColorLinkWindow) {
        state.checkable = true;
        state.checked = ColorLinks::GetInstance().IsWindowVisible();
        return;
    }
    if (id == kListClear || id == kListCopy || id == kListSelectAll) {
        state.enabled = FocusedList() != nullptr;
        return;
    }
    if (id == kWorldSettings || id == kViewWorldSettings || id == kLightingAndColor) {
        state.checkable = true;
        state.checked = id == kLightingAndColor ? GetShaderRegistry().IsColoringSheetVisible()
                                                : m_worldSheet != nullptr && m_worldSheet->isVisible();
        return;
    }
    if (QWidget* bar = Bar(id)) {
        state.checkable = true;
        state.checked = bar->isVisible();
    }
}

void CMainFrame::ToggleWorldSettings()
{
    if (m_worldSheet != nullptr && m_worldSheet->isVisible()) {
        m_worldSheet->hide();
        return;
    }
    if (m_worldSheet == nullptr) {
        m_worldSheet = new CWorldEditSheet(this);
        m_worldSheet->setWindowFlag(Qt::Tool, true);
    }
    if (CKVDoc* doc = GetActiveDoc())
        m_worldSheet->LoadWorld(doc->GetWorld());
    m_worldSheet->show();
    m_worldSheet->RefreshPagesNow();
}

void CMainFrame::RefreshWorldSettings()
{
    if (m_worldSheet != nullptr) {
        if (CKVDoc* doc = GetActiveDoc())
            m_worldSheet->LoadWorld(doc->GetWorld());
        if (m_worldSheet->isVisible())
            m_worldSheet->RefreshPagesNow();
    }
    if (GetShaderRegistry().IsColoringSheetVisible())
        GetShaderRegistry().ShowColoringSheet(1);
}

void CMainFrame::ToggleLightingAndColor()
{
    ShaderRegistry& registry = GetShaderRegistry();
    registry.ShowColoringSheet(registry.IsColoringSheetVisible() ? 0 : 1);
}

void CMainFrame::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // The floating bars shown with the window.
    QTimer::singleShot(0, this, [this] {
        for (QDockWidget* dock : {m_propertiesDock, m_colorKeyDock, m_toolsPalette, m_climatePalette})
            PlaceFloatingBar(dock);
    });
}

void CMainFrame::PlaceFloatingBar(QDockWidget* dock)
{
    if (!dock || !dock->isVisible() || !dock->isFloating() || m_layoutRestored || m_placedBars.count(dock))
        return;
    m_placedBars.insert(dock);
    // From the client area's top-left corner rightwards, past every floating bar already
    // shown there, so that none covers another.
    QPoint at = centralWidget() ? centralWidget()->mapToGlobal(QPoint(0, 0)) : mapToGlobal(QPoint(0, 0));
    for (bool moved = true; moved;) {
        moved = false;
        const QRect wanted(at, dock->frameGeometry().size());
        for (QDockWidget* other : {m_propertiesDock, m_colorKeyDock, m_toolsPalette, m_climatePalette}) {
            if (other && other != dock && other->isVisible() && other->isFloating() &&
                other->frameGeometry().intersects(wanted)) {
                at.setX(other->frameGeometry().right() + 1);
                moved = true;
            }
        }
    }
    dock->move(at);
}

void CMainFrame::ShowBar(int bar)
{
    if (bar == kClimateSelectorBar)
        ShowClimateSelectorBar(true);
}

bool CMainFrame::PostCommand(int id)
{
    if (m_batch)
        return false;
    // Run after the current command, the way a posted command message is.
    QMetaObject::invokeMethod(
        this, [this, id] { m_actions.Execute(id); }, Qt::QueuedConnection);
    return true;
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    // A long operation is pumping events: ask it to stop and come back afterwards.
    if (LongOperationRunning()) {
        g_abortValue = kAbortValue;
        event->ignore();
        QTimer::singleShot(50, this, &QWidget::close);
        return;
    }
    if (m_closeGuard && !m_closeGuard()) {
        event->ignore();
        return;
    }
    if (m_profile) {
        if (!m_batch)
            SaveBarState(*m_profile);
        SavePlacement(*m_profile);
    }
    event->accept();
    if (m_closed)
        m_closed();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (m_drop && event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    std::vector<std::string> paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            paths.push_back(url.toLocalFile().toStdString());
    }
    event->acceptProposedAction();
    if (m_drop && !paths.empty())
        m_drop(paths);
}

} // namespace kv
