// The application object's window side: the interactive start-up (screen check, profile,
// preferences, clean-exit marker, noise sources and projections, the recent files, the
// document with its main window and map view, reopening the last world, placement and bar
// layout), the idle hook that drives progressive rendering, the application's commands and
// the orderly exit. Every subsystem reaches it through GetKVApp.
#pragma once

#include "document/DocumentContext.h"
#include "gui/app/CmdLineInfo.h"
#include "gui/app/DocManager.h"
#include "gui/app/Preferences.h"
#include "gui/app/StartupFile.h"
#include "gui/app/QtServices.h"
#include "gui/commands/CommandTable.h"
#include "gui/commands/FocusKeys.h"
#include "gui/controls/WindowTexts.h"
#include "world/SurfMap.h"

#include <QMetaObject>
#include <QObject>

#include <deque>
#include <memory>
#include <string>

class QPrinter;

namespace kv {

class AppSettings;
class CKVDoc;
class CMainFrame;
class CSplashWnd;
class MapWidget;
class ProfileSettings;

// The file dialogs and the save question in windows; tests queue paths and answers.
class QtDocPrompts : public DocPrompts {
public:
    explicit QtDocPrompts(QtMessageService& messages) : m_messages(messages) {}
    void SetParent(QWidget* parent) { m_parent = parent; }
    int AskSaveChanges(const std::string& title) override;
    std::string AskOpenPath() override;
    std::string AskSavePath(const std::string& proposed) override;
    // While paths are queued no file dialog opens; each question takes the next.
    void ScriptPaths(std::deque<std::string> paths)
    {
        m_scripted = true;
        m_paths = std::move(paths);
    }

private:
    std::string NextPath();
    QtMessageService& m_messages;
    QWidget* m_parent = nullptr;
    bool m_scripted = false;
    std::deque<std::string> m_paths;
};

class CKVApp : public QObject, public CommandTarget, public DocumentContext {
    Q_OBJECT
public:
    static constexpr const char* kLowColourMessage =
        "Kelvane Pro does not run in 256-color mode.\nPlease select a color mode with at least 15 bits per\n"
        "pixel (24 or 32 bits per pixel is preferred)";
    static constexpr const char* kNoSourcesMessage = "Unable to locate any data source DLLs; unable to continue";
    static constexpr int kHintLightingSheet = 14;

    // `profile`: the profile to use (tests give one kept in a file); null: the user's.
    explicit CKVApp(const AppSettings* profile = nullptr);
    ~CKVApp() override;

    // The interactive start-up; false ends the program.
    bool InitInstance(const CCmdLineInfo& info);
    // The orderly shut-down; the main window is closed first when it still exists.
    int ExitInstance();
    // One idle tick: the active view prepares its render, every command's action (menu
    // entry, shortcut, toolbar button) follows its update handler.
    // True asks for another tick.
    bool OnIdle(int count);

    // ---- parts ----
    CMainFrame* MainFrame() const { return m_frame.get(); }
    MapWidget* Map() const { return m_map; }
    CKVDoc* Document() const { return m_doc.get(); }
    CDocManager* DocManager() const { return m_docs.get(); }
    Preferences& Prefs() { return m_prefs; }
    const AppSettings& Profile() const { return *m_profile; }
    QtMessageService& Messages() { return m_messages; }
    QtDocPrompts& Prompts() { return m_prompts; }
    CommandRouter& Router() { return m_router; }
    CommandActions* Actions() const { return m_actions.get(); }
    CSplashWnd* Splash() const { return m_splash; }

    // ---- the start-up guide's file ----
    bool HasStartupFile() const { return !m_startupFile.empty(); }
    const std::string& StartupFile() const { return m_startupFile; }
    int GetStartupLine() const { return m_startupLine; }
    int SetStartupLine(int n);
    int ClearStartupFile();
    // Line n (from 0) of the start-up file: 0, -4 without a file, -1 when it cannot be
    // opened, -2 when it has fewer lines.
    int ReadStartupLine(int n, StartupRecord& record) const;

    // ---- CommandTarget: New, Open, recent files, Print Setup, Exit, About, Preferences ----
    bool HasCommand(int id) const override;
    void OnCommand(int id) override;
    void OnUpdateCommand(int id, CommandState& state) override;

    // ---- DocumentContext ----
    CKVDoc* GetActiveDoc() override;

    // The document's commands: Save, Save As, Regenerate.
    CommandTarget& DocumentTarget();

private:
    void CreateMainWindow();
    void ApplyMenuImages();
    void UpdateTitle();
    void InstallIdleHook();
    void RemoveIdleHook();
    void OnAboutToBlock();
    void DestroyMainWindow();

    std::unique_ptr<ProfileSettings> m_ownProfile;
    const AppSettings* m_profile;
    const AppSettings* m_previousProfile = nullptr;
    Preferences m_prefs;
    CCmdLineInfo m_info;
    SurfMap m_parameterWorld{nullptr};
    bool m_parameterWorldSet = false;
    std::string m_startupFile;
    int m_startupLine = 0;

    QtMessageService m_messages;
    QtInputState m_inputState;
    QtDocPrompts m_prompts{m_messages};
    CommandRouter m_router;
    std::unique_ptr<CommandActions> m_actions;
    std::unique_ptr<CommandTarget> m_documentTarget;
    std::unique_ptr<CKVDoc> m_doc;
    std::unique_ptr<CDocManager> m_docs;
    std::unique_ptr<CMainFrame> m_frame;
    MapWidget* m_map = nullptr;
    // Focused controls keep their own keys; the map's keys act while the map has the focus.
    std::unique_ptr<FocusKeyGuard> m_focusKeys;
    // Labels show no '&'; dialogs fit their titles, tabs and headings when they first show.
    std::unique_ptr<WindowTextFitter> m_fitTexts;
    CSplashWnd* m_splash = nullptr;
    std::unique_ptr<QPrinter> m_printer;

    MessageService* m_previousMessages = nullptr;
    InputState* m_previousInput = nullptr;
    DocumentContext* m_previousContext = nullptr;
    NewWorldWizard* m_previousWizard = nullptr;
    FrameRequests* m_previousFrameRequests = nullptr;
    QMetaObject::Connection m_idleConnection;
    bool m_inIdle = false;
    bool m_started = false;
    bool m_exited = false;
};

// The application object (null before one is made).
CKVApp* GetKVApp();

} // namespace kv
