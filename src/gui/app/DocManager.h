// The one world document's file commands: New, Open, Save, Save As, the prompt to save
// changes, the recent-file list ("Recent File List", 4 entries), dropped files and the
// window title "<world> - Kelvane Pro".
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace kv {

class AppSettings;
class CKVDoc;

// What the manager asks the user (file dialogs and the save question); tests script it.
class DocPrompts {
public:
    enum Answer { kCancel = -1, kNo = 0, kYes = 1 };
    virtual ~DocPrompts() = default;
    virtual int AskSaveChanges(const std::string& title) = 0;
    // "" when cancelled.
    virtual std::string AskOpenPath() = 0;
    virtual std::string AskSavePath(const std::string& proposed) = 0;
};

class CDocManager {
public:
    static constexpr int kRecentFiles = 4;
    static constexpr const char* kRecentSection = "Recent File List";
    static constexpr const char* kProductName = "Kelvane Pro";
    static constexpr const char* kExtension = ".kvw";

    CDocManager(CKVDoc& document, DocPrompts& prompts, const AppSettings& profile);

    // Asks to save a modified world: false when the user cancelled (or the save failed).
    bool SaveModified();
    void OnFileNew();
    void OnFileOpen();
    bool OnFileSave();
    bool OnFileSaveAs();
    static constexpr const char* kFailedToOpen = "Failed to open document.";

    // Every open (menu, recent files, dropped files, command line) comes here. A name in a
    // pair of double quotes is taken without them. A name of the open world's file (the same
    // file after resolving links and "..") reads the world again from the file, with no
    // save question; any other opens after the save prompt. False, the document as it was
    // and the failure reported, when the file cannot be read.
    bool OpenDocumentFile(const std::string& name);
    static std::string UnquotedName(const std::string& name);
    bool OpenRecentFile(int index);
    // Dropped files: each opened in turn.
    void DropFiles(const std::vector<std::string>& paths);
    // Saves under `path` (empty: asks for one); records it as recent.
    bool DoSave(const std::string& path);

    std::string WindowTitle() const;
    const std::vector<std::string>& RecentFiles() const { return m_recent; }
    void LoadRecentFiles();
    void AddRecentFile(const std::string& path);

    // Called whenever the document was replaced, renamed or saved (title, views).
    void SetChangedHandler(std::function<void()> handler) { m_changed = std::move(handler); }

private:
    bool NamesOpenWorld(const std::string& path) const;
    void SaveRecentFiles() const;
    void Changed();

    CKVDoc& m_doc;
    DocPrompts& m_prompts;
    const AppSettings& m_profile;
    std::vector<std::string> m_recent;
    std::function<void()> m_changed;
};

} // namespace kv
