// Shared helpers of the world surface and sampler tests.
#pragma once

#include "world/CSourceDatabase.h"
#include "world/MessageService.h"
#include "world/ViewHooks.h"

#include <filesystem>
#include <string>
#include <vector>

// Registers the two built-in noise sources (a folder without libraries adds nothing else).
inline void RegisterBuiltinSources()
{
    kv::CSourceDatabase& db = kv::GetSourceDatabase();
    if (db.FindById(0) >= 0 && db.FindById(1) >= 0)
        return;
    std::filesystem::path empty = std::filesystem::temp_directory_path() / "kv-world-tests-no-plugins";
    std::filesystem::create_directories(empty);
    db.LoadSources(empty.string());
}

// Records the messages shown while it is installed.
struct MessageRecorder : kv::MessageService {
    MessageRecorder() { m_previous = kv::SetMessageService(this); }
    ~MessageRecorder() override { kv::SetMessageService(m_previous); }
    void Show(const std::string& text) override { texts.push_back(text); }
    std::vector<std::string> texts;

private:
    kv::MessageService* m_previous = nullptr;
};

// Counts the view calls while it is installed.
struct ViewRecorder : kv::ViewHooks {
    ViewRecorder() { m_previous = kv::SetViewHooks(this); }
    ~ViewRecorder() override { kv::SetViewHooks(m_previous); }
    int StopActiveViewRender() override { return ++stops, 0; }
    int UpdateActiveDocViews(int hint) override { return hints.push_back(hint), 0; }
    int stops = 0;
    std::vector<int> hints;

private:
    kv::ViewHooks* m_previous = nullptr;
};
