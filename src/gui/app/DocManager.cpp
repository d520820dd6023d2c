#include "gui/app/DocManager.h"

#include "base/AppSettings.h"
#include "base/MessageService.h"
#include "base/Undo.h"
#include "document/CKVDoc.h"

#include <algorithm>
#include <filesystem>

namespace kv {

namespace {

std::string EntryKey(int i) { return "File" + std::to_string(i + 1); }

bool SamePath(const std::string& a, const std::string& b)
{
    std::error_code e1, e2;
    const auto ca = std::filesystem::weakly_canonical(a, e1);
    const auto cb = std::filesystem::weakly_canonical(b, e2);
    return (!e1 && !e2) ? ca == cb : a == b;
}

} // namespace

CDocManager::CDocManager(CKVDoc& document, DocPrompts& prompts, const AppSettings& profile)
    : m_doc(document), m_prompts(prompts), m_profile(profile)
{
}

void CDocManager::Changed()
{
    if (m_changed)
        m_changed();
}

bool CDocManager::SaveModified()
{
    if (!m_doc.IsModified())
        return true;
    switch (m_prompts.AskSaveChanges(m_doc.GetTitle())) {
    case DocPrompts::kYes: return DoSave(m_doc.GetPathName());
    case DocPrompts::kNo: return true;
    default: return false;
    }
}

void CDocManager::OnFileNew()
{
    if (!SaveModified())
        return;
    // A cancelled wizard: the open world stays as it is.
    if (!m_doc.OnNewDocument())
        return;
    m_doc.UpdateAllViews(nullptr, kHintUndoRedo);
    Changed();
}

void CDocManager::OnFileOpen()
{
    const std::string path = m_prompts.AskOpenPath();
    if (!path.empty())
        OpenDocumentFile(path);
}

std::string CDocManager::UnquotedName(const std::string& name)
{
    // '"' may stand inside a file name: only a pair around the whole name is cut.
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        return name.substr(1, name.size() - 2);
    return name;
}

bool CDocManager::NamesOpenWorld(const std::string& path) const
{
    const std::string open = m_doc.GetPathName();
    if (open.empty())
        return false;
    std::error_code e1, e2;
    const auto a = std::filesystem::canonical(path, e1);
    const auto b = std::filesystem::canonical(open, e2);
    return !e1 && !e2 && a == b;
}

bool CDocManager::OpenDocumentFile(const std::string& name)
{
    const std::string path = UnquotedName(name);
    if (path.empty()) {
        ShowMessage(kFailedToOpen);
        return false;
    }
    if (NamesOpenWorld(path)) {
        // The open world is read again from its file, unsaved changes and all, without the
        // save question; a read that fails leaves the world, its undo steps and its
        // modified flag as they were.
        if (!m_doc.OnOpenDocument(path))
            return false;
        GetUndoList().Clear();
        AddRecentFile(m_doc.GetPathName());
        m_doc.UpdateAllViews(nullptr, kHintUndoRedo);
        Changed();
        return true;
    }
    if (!SaveModified())
        return false;
    if (!m_doc.OnOpenDocument(path)) {
        // The document keeps what it had; the views start over with it.
        m_doc.UpdateAllViews(nullptr, kHintUndoRedo);
        return false;
    }
    AddRecentFile(m_doc.GetPathName());
    m_doc.UpdateAllViews(nullptr, kHintUndoRedo);
    Changed();
    return true;
}

bool CDocManager::OpenRecentFile(int index)
{
    if (index < 0 || index >= static_cast<int>(m_recent.size()))
        return false;
    const std::string path = m_recent[static_cast<size_t>(index)];
    return OpenDocumentFile(path);
}

void CDocManager::DropFiles(const std::vector<std::string>& paths)
{
    for (const std::string& path : paths) {
        if (!OpenDocumentFile(path))
            break;
    }
}

bool CDocManager::OnFileSave() { return DoSave(m_doc.GetPathName()); }
bool CDocManager::OnFileSaveAs() { return DoSave(std::string()); }

bool CDocManager::DoSave(const std::string& pathGiven)
{
    std::string path = pathGiven;
    if (path.empty()) {
        std::string proposed = m_doc.GetPathName();
        if (proposed.empty())
            proposed = m_doc.GetTitle() + kExtension;
        path = m_prompts.AskSavePath(proposed);
        if (path.empty())
            return false;
    }
    if (!m_doc.OnSaveDocument(path))
        return false;
    m_doc.SetPathName(path);
    m_doc.SetModifiedFlag(false);
    AddRecentFile(path);
    Changed();
    return true;
}

std::string CDocManager::WindowTitle() const
{
    const std::string title = m_doc.GetTitle().empty() ? std::string("Untitled") : m_doc.GetTitle();
    return title + " - " + kProductName;
}

void CDocManager::LoadRecentFiles()
{
    m_recent.clear();
    for (int i = 0; i < kRecentFiles; ++i) {
        const std::string path = m_profile.GetString(kRecentSection, EntryKey(i), std::string());
        if (!path.empty())
            m_recent.push_back(path);
    }
}

void CDocManager::AddRecentFile(const std::string& path)
{
    if (path.empty())
        return;
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    const std::string entry = error ? path : absolute.lexically_normal().string();
    m_recent.erase(std::remove_if(m_recent.begin(), m_recent.end(),
                                  [&](const std::string& e) { return SamePath(e, entry); }),
                   m_recent.end());
    m_recent.insert(m_recent.begin(), entry);
    if (m_recent.size() > static_cast<size_t>(kRecentFiles))
        m_recent.resize(kRecentFiles);
    SaveRecentFiles();
}

void CDocManager::SaveRecentFiles() const
{
    for (int i = 0; i < kRecentFiles; ++i)
        m_profile.WriteString(kRecentSection, EntryKey(i),
                              i < static_cast<int>(m_recent.size()) ? m_recent[static_cast<size_t>(i)] : std::string());
}

} // namespace kv
