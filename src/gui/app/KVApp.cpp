#include "gui/app/KVApp.h"

#include "base/AppFolders.h"
#include "base/AppSettings.h"
#include "base/noise/CSourceDatabase.h"
#include "document/CKVDoc.h"
#include "document/ColorLinks.h"
#include "exchange/SaveAs.h"
#include "exchange/SkyloomTemplate.h"
#include "exchange/SpinSequence.h"
#include "exchange/WorldImages.h"
#include "gui/app/ProfileSettings.h"
#include "gui/app/ProgramServices.h"
#include "gui/commands/CommandIds.h"
#include "gui/dialogs/CAboutDlg.h"
#include "gui/dialogs/CAltColorSingleDlg.h"
#include "gui/dialogs/CImageOverlayListDlg.h"
#include "gui/dialogs/CPreferencesDlg.h"
#include "gui/exchange/CExportSettingsDlg.h"
#include "gui/exchange/CMultiImageWindow.h"
#include "gui/dialogs/WindowDialogs.h"
#include "gui/sheets/SheetHooks.h"
#include "gui/exchange/WindowExportDialogs.h"
#include "gui/frame/CMainFrame.h"
#include "gui/sheets/CColoringSheet.h"
#include "gui/sheets/CNewDocSheet.h"
#include "gui/frame/MenuImages.h"
#include "view/CGlobeDlgBar.h"
#include "gui/progress/CProgressDlg.h"
#include "gui/view/MapWidget.h"
#include "projection/ProjectionRegistry.h"
#include "shading/ShaderRegistry.h"
#include "world/SurfMapParms.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QScreen>
#include <QTimer>

#include <filesystem>
#include <fstream>

namespace kv {

namespace {

using namespace cmd;

CKVApp* g_app = nullptr;

constexpr const char* kSettings = "Settings";
constexpr const char* kWorldFilter = "Kelvane Pro Worlds (*.kvw);;All Files (*)";

class DocumentCommands : public CommandTarget {
public:
    explicit DocumentCommands(CKVApp& app) : m_app(app) {}
    bool HasCommand(int id) const override
    {
        return m_app.Document() && (id == kFileSave || id == kFileSaveAs || id == kMapRegenerate ||
                                    id == kFileSaveSphereMap || id == kFileSaveIcosahedral ||
                                    id == kFileSaveSpinSequence || id == kFileExportVRML || id == kFileSavePW2 ||
                                    id == kFileExportSkyloom ||
                                    CKVDoc::HasCommand(id));
    }
    void OnCommand(int id) override
    {
        CKVDoc& doc = *m_app.Document();
        switch (id) {
        case kFileSave: m_app.DocManager()->OnFileSave(); break;
        // The seven Save As types; the world document itself through the document manager.
        case kFileSaveAs:
            SaveWorldAs(doc, [this](const std::string& path) { return m_app.DocManager()->DoSave(path); });
            break;
        case kMapRegenerate: doc.Recalculate(); break;
        case kFileSaveSphereMap: SaveSphereMapCommand(doc); break;
        case kFileSaveIcosahedral: SaveIcosahedralCommand(doc); break;
        case kFileSaveSpinSequence: SaveSpinSequenceCommand(doc); break;
        case kFileExportVRML: ExportVRMLCommand(doc); break;
        case kFileSavePW2: SavePW2FileCommand(doc); break;
        case kFileExportSkyloom: ExportSkyloomTemplateCommand(doc); break;
        default: doc.OnCommand(id); break;
        }
    }
    void OnUpdateCommand(int id, CommandState& state) override
    {
        if (id == kFileSave) {
            state.enabled = m_app.Document()->IsModified();
            return;
        }
        if (CKVDoc::HasCommand(id)) {
            CommandUpdate update;
            m_app.Document()->OnUpdateCommand(id, update);
            state.enabled = update.enabled;
            state.checked = update.checked;
            state.checkable = update.checked || id == 33205;
            if (!update.text.empty())
                state.text = QString::fromStdString(update.text);
        }
    }

private:
    CKVApp& m_app;
};

bool Readable(const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return false;
    std::ifstream file(path, std::ios::binary);
    return file.good();
}

} // namespace

CKVApp* GetKVApp() { return g_app; }

// ---------------------------------------------------------------- prompts

std::string QtDocPrompts::NextPath()
{
    if (m_paths.empty())
        return std::string();
    std::string path = m_paths.front();
    m_paths.pop_front();
    return path;
}

int QtDocPrompts::AskSaveChanges(const std::string& title)
{
    return m_messages.AskYesNoCancel("Save changes to " + title + "?");
}

std::string QtDocPrompts::AskOpenPath()
{
    if (m_scripted)
        return NextPath();
    return QFileDialog::getOpenFileName(m_parent, QStringLiteral("Open"), QString(), QString::fromUtf8(kWorldFilter))
        .toStdString();
}

std::string QtDocPrompts::AskSavePath(const std::string& proposed)
{
    if (m_scripted)
        return NextPath();
    return QFileDialog::getSaveFileName(m_parent, QStringLiteral("Save As"), QString::fromStdString(proposed),
                                        QString::fromUtf8(kWorldFilter))
        .toStdString();
}

// ---------------------------------------------------------------- the application

CKVApp::CKVApp(const AppSettings* profile)
{
    if (!profile) {
        m_ownProfile = std::make_unique<ProfileSettings>();
        profile = m_ownProfile.get();
    }
    m_profile = profile;
    m_documentTarget = std::make_unique<DocumentCommands>(*this);
    g_app = this;
}

CKVApp::~CKVApp()
{
    if (m_started && !m_exited)
        ExitInstance();
    if (g_app == this)
        g_app = nullptr;
}

CommandTarget& CKVApp::DocumentTarget() { return *m_documentTarget; }

bool CKVApp::InitInstance(const CCmdLineInfo& info)
{
    m_info = info;
    // 1. The screen must show more than 256 colours.
    if (const QScreen* screen = QGuiApplication::primaryScreen(); screen && screen->depth() <= 8) {
        ShowMessage(kLowColourMessage);
        return false;
    }
    m_started = true;
    m_previousMessages = SetMessageService(&m_messages);
    m_previousInput = SetInputState(&m_inputState);
    // 3-5. Profile, preferences and the clean-exit marker.
    m_previousProfile = SetAppSettings(m_profile);
    m_prefs.Read(*m_profile);
    if (m_profile->GetInt(kSettings, "Running", 0) != 0)
        m_prefs.DT = 1;
    m_profile->WriteInt(kSettings, "Running", 1);
    if (m_ownProfile)
        m_ownProfile->Sync();
    // 6. The command line.
    if (info.parameterDefault)
        m_prefs.DT = 1;
    for (const std::string& ignored : info.ignored)
        ShowMessage("Unknown option ignored: " + ignored);
    if (info.hasParms && !info.parms.empty()) {
        ParseTempRainParam(m_parameterWorld, info.parms);
        m_parameterWorldSet = true;
        SetParameterWorld(&m_parameterWorld);
    }
    m_startupFile = info.startupFile;
    m_startupLine = 0;
    // A start-up file that cannot be paged is reported; the map shows as usual.
    if (!m_startupFile.empty()) {
        const std::string problem = CheckStartupFile(m_startupFile);
        if (!problem.empty()) {
            ShowMessage(problem);
            m_startupFile.clear();
        }
    }
    // 8. Noise sources: the built-ins, then the plug-ins of the program's folder (and of
    // the build's plug-in folder when that is elsewhere).
    const std::string install = GetInstallDir(*m_profile);
    int sources = GetSourceDatabase().LoadSources(install);
#ifdef KV_PLUGIN_DIR
    if (std::filesystem::path(KV_PLUGIN_DIR) != std::filesystem::path(install))
        sources = GetSourceDatabase().LoadSources(KV_PLUGIN_DIR);
#endif
    if (sources <= 0) {
        ShowMessage(kNoSourcesMessage);
        return false;
    }
    // 9. Projections (a failure is reported and start-up goes on).
    ProjectionRegistry::Get().LoadAtStartup(m_profile->GetString(kSettings, "MapMgrDir", std::string()),
                                            [](const std::string& text) { ShowMessage(text); });

    // 11-12. Recent files, the document, its window and view.
    CreateMainWindow();
    m_docs->LoadRecentFiles();

    // 13-14. Which world to start with.
    std::string openPath = info.files.empty() ? std::string() : info.files.front();
    if (openPath.empty() && !m_parameterWorldSet && m_prefs.RF != 0 && !m_docs->RecentFiles().empty() &&
        Readable(m_docs->RecentFiles().front()))
        openPath = m_docs->RecentFiles().front();
    std::string missing;
    std::error_code error;
    if (!openPath.empty() && !std::filesystem::exists(openPath, error)) {
        missing = openPath;
        openPath.clear();
    }
    // 16. A world that cannot be read is reported by the document; a new world opens. The
    // run's first new world is made without the wizard, even after a failed read.
    if (openPath.empty() || !m_docs->OpenDocumentFile(openPath)) {
        CKVDoc::SetFirstDocument(true);
        m_doc->OnNewDocument();
    }

    // 17. Menus with the toolbars' images.
    ApplyMenuImages();

    // 19. Show the window; the splash goes unless it is to stay.
    m_frame->show();
    if (m_splash)
        m_splash->raise();
    m_frame->SetDropHandler([this](const std::vector<std::string>& paths) { m_docs->DropFiles(paths); });
    if (m_splash && m_profile->GetInt(kSettings, "LongSplash", 0) == 0) {
        m_splash->Hide();
        m_splash = nullptr;
    }
    // 20. The Lighting and Color sheet takes the view's lighting.
    UpdateActiveDocViews(nullptr, kHintLightingSheet, nullptr);
    // 21. Placement, unless not wanted.
    if (m_prefs.DT == 0 && !m_inputState.IsShiftDown())
        m_frame->RestorePlacement(*m_profile);
    // 22. A world named but missing: a new world under that name, to be saved there.
    if (!missing.empty()) {
        m_doc->SetPathName(missing);
        m_docs->AddRecentFile(missing);
        m_doc->SetModifiedFlag(true);
    }
    UpdateTitle();
    InstallIdleHook();
    return true;
}

void CKVApp::CreateMainWindow()
{
    m_actions = std::make_unique<CommandActions>(m_router);
    m_frame = std::make_unique<CMainFrame>(*m_actions, false);
    m_frame->SetProfile(m_profile);
    // Services first: the document takes some of them (its overlay window) as it is made.
    InstallProgramServices(*m_frame);
    m_doc = std::make_unique<CKVDoc>();
    m_docs = std::make_unique<CDocManager>(*m_doc, m_prompts, *m_profile);
    m_map = new MapWidget(*m_doc, m_frame.get());
    m_map->SetFrame(m_frame.get());
    m_map->SetContextActions(m_actions.get());
    m_map->SetZoomWindowStyle([this] { return m_prefs.ZS != 0; });
    m_map->SetStartupActive([this] { return HasStartupFile(); });
    m_frame->setCentralWidget(m_map);
    m_map->setFocus();
    m_focusKeys = std::make_unique<FocusKeyGuard>(m_map, m_frame.get());
    m_fitTexts = std::make_unique<WindowTextFitter>();
    m_router.SetTargets(m_map, m_documentTarget.get(), m_frame.get(), this);
    m_messages.SetParent(m_frame.get());
    m_prompts.SetParent(m_frame.get());
    m_previousContext = SetDocumentContext(this);
    m_previousFrameRequests = SetFrameRequests(m_frame.get());
    m_previousWizard = InstallNewWorldWizard();

    m_map->View().InstallHooks();
    ViewStartup startup;
    startup.colorFile = m_info.colorFile;
    startup.colorType = m_info.colorType;
    startup.readDefaults = m_prefs.RS != 0 && !m_inputState.IsCtrlDown();
    const std::string lightingError = m_map->View().OnInitialUpdate(startup);
    if (!lightingError.empty())
        ShowMessage(lightingError);
    m_map->Input().ReadProfile(*m_profile);
    m_map->Input().CreateFirstTool(HasStartupFile());
    m_frame->SetStartupMode(HasStartupFile());

    m_docs->SetChangedHandler([this] {
        UpdateTitle();
        m_frame->RefreshWorldSettings();
        // A loaded world brings its own saved views.
        if (m_map)
            m_map->RefillViewWindow();
    });
    m_frame->SetCloseGuard([this] { return m_docs->SaveModified(); });
    m_frame->SetCloseHandler([this] {
        if (m_splash)
            m_splash->close();
    });
    // Bar layout of the last run, unless not wanted.
    if (m_prefs.DT == 0 && !m_inputState.IsShiftDown())
        m_frame->LoadBarState(*m_profile);
    m_splash = new CSplashWnd(m_frame.get());
    m_splash->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_splash, &QObject::destroyed, this, [this] { m_splash = nullptr; });
    m_splash->show();
}

void CKVApp::ApplyMenuImages()
{
    MenuImageTable& images = MenuImageTable::Shared();
    images.LoadStandard();
    for (const CommandDef& row : CommandRows()) {
        if (row.id != 0 && images.HasImage(row.id))
            m_actions->SetIcon(row.id, images.Icon(row.id));
    }
}

void CKVApp::UpdateTitle()
{
    if (m_frame && m_docs) {
        const QString title = QString::fromStdString(m_docs->WindowTitle());
        if (m_frame->windowTitle() != title)
            m_frame->setWindowTitle(title);
    }
}

// ---------------------------------------------------------------- idle

bool CKVApp::OnIdle(int count)
{
    (void)count;
    bool more = false;
    if (m_map) {
        more = m_map->View().PrepareRender();
        m_map->WakeFrameTimer();
    }
    // The view refines the globe's picture one pass a tick (RedrawGlobe) until complete.
    if (m_frame && m_frame->Globe() && m_frame->Globe()->IsRefining())
        more = true;
    // Every command's state, once a tick: shortcuts and toolbar buttons act whenever their
    // command is enabled, not only after its menu was opened.
    if (m_actions)
        m_actions->UpdateAll();
    UpdateTitle();
    return more;
}

void CKVApp::InstallIdleHook()
{
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    if (!dispatcher || m_idleConnection)
        return;
    m_idleConnection = connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &CKVApp::OnAboutToBlock);
}

void CKVApp::RemoveIdleHook()
{
    if (m_idleConnection)
        disconnect(m_idleConnection);
    m_idleConnection = {};
}

void CKVApp::OnAboutToBlock()
{
    // After each batch of events; another tick only when asked (a wake-up event), so an
    // idle program waits for events instead of spinning.
    if (m_inIdle)
        return;
    m_inIdle = true;
    const bool more = OnIdle(0);
    m_inIdle = false;
    if (more)
        QTimer::singleShot(0, this, [] {});
}

// ---------------------------------------------------------------- commands

bool CKVApp::HasCommand(int id) const
{
    switch (id) {
    case kFileNew:
    case kFileOpen:
    case kFilePrintSetup:
    case kAppExit:
    case kAppAbout:
    case kEditPreferences:
        return true;
    default:
        return id >= kFileMruFirst && id < kFileMruFirst + kRecentFileCount;
    }
}

void CKVApp::OnCommand(int id)
{
    if (id >= kFileMruFirst && id < kFileMruFirst + kRecentFileCount) {
        m_docs->OpenRecentFile(id - kFileMruFirst);
        return;
    }
    switch (id) {
    case kFileNew: m_docs->OnFileNew(); break;
    case kFileOpen: m_docs->OnFileOpen(); break;
    case kFilePrintSetup: {
        if (!m_printer)
            m_printer = std::make_unique<QPrinter>();
        QPageSetupDialog dialog(m_printer.get(), m_frame.get());
        dialog.exec();
        break;
    }
    case kAppExit:
        if (m_frame)
            m_frame->close();
        break;
    case kAppAbout: {
        CAboutDlg about(GetProductVersion(), m_inputState.IsShiftDown(), m_frame.get());
        about.exec();
        break;
    }
    case kEditPreferences:
        EditPreferences(m_prefs, *m_profile, m_frame.get());
        // Recalculated whether the dialog ended with OK or Cancel.
        if (CKVDoc* doc = GetActiveDoc())
            doc->Recalculate();
        break;
    default: break;
    }
}

void CKVApp::OnUpdateCommand(int id, CommandState& state)
{
    if (id >= kFileMruFirst && id < kFileMruFirst + kRecentFileCount) {
        const int index = id - kFileMruFirst;
        const auto& recent = m_docs->RecentFiles();
        state.visible = index < static_cast<int>(recent.size()) || index == 0;
        state.enabled = index < static_cast<int>(recent.size());
        state.text = index < static_cast<int>(recent.size())
                         ? QStringLiteral("&%1 %2").arg(index + 1).arg(QString::fromStdString(
                                                                      recent[static_cast<size_t>(index)]))
                         : QStringLiteral("Recent File");
    }
}

CKVDoc* CKVApp::GetActiveDoc() { return m_frame && m_map ? m_doc.get() : nullptr; }

int CKVApp::SetStartupLine(int n)
{
    const int old = m_startupLine;
    m_startupLine = n;
    return old;
}

int CKVApp::ReadStartupLine(int n, StartupRecord& record) const
{
    return kv::ReadStartupLine(m_startupFile, n, record);
}

int CKVApp::ClearStartupFile()
{
    m_startupFile.clear();
    m_startupLine = -1;
    if (m_frame)
        m_frame->SetStartupMode(false);
    return 0;
}

// ---------------------------------------------------------------- exit

void CKVApp::DestroyMainWindow()
{
    m_focusKeys.reset();
    m_fitTexts.reset();
    if (m_map) {
        // The view's tool values go to the profile before the view goes.
        m_map->Input().WriteProfile(*m_profile);
    }
    if (m_frame) {
        SetFrameRequests(m_previousFrameRequests);
        m_previousFrameRequests = nullptr;
        if (m_frame->isVisible()) {
            m_frame->SetCloseGuard(nullptr);
            m_frame->close();
        }
        m_frame.reset();
        m_map = nullptr;
    }
    SetDocumentContext(m_previousContext);
    m_previousContext = nullptr;
    SetNewWorldWizard(m_previousWizard);
    m_previousWizard = nullptr;
    m_docs.reset();
    m_doc.reset();
}

int CKVApp::ExitInstance()
{
    if (m_exited || !m_started)
        return 0;
    m_exited = true;
    RemoveIdleHook();
    DestroyMainWindow();
    RemoveProgramServices();
    ShaderRegistry::Destroy();
    ProjectionRegistry::Destroy();
    if (m_splash) {
        m_splash->close();
        m_splash = nullptr;
    }
    GetSourceDatabase().UnloadAll();
    ColorLinks::DestroyInstance();
    if (m_parameterWorldSet)
        SetParameterWorld(nullptr);
    m_profile->WriteInt(kSettings, "Running", 0);
    if (m_ownProfile)
        m_ownProfile->Sync();
    SetAppSettings(m_previousProfile);
    SetInputState(m_previousInput);
    SetMessageService(m_previousMessages);
    m_actions.reset();
    return 0;
}

} // namespace kv
