// The program started in process for GUI tests: a profile in a scratch folder and the
// application's interactive start-up with scripted message boxes (and, unless asked
// otherwise, scripted file dialogs).
#pragma once

#include "QtTestApp.h"

#include "gui/app/CmdLineInfo.h"
#include "gui/app/KVApp.h"
#include "gui/app/ProfileSettings.h"

#include <QTemporaryDir>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

namespace kvtest {

// A profile in a scratch folder whose install folder is that folder too.
struct ScratchProfile {
    ScratchProfile() : profile(dir.filePath("profile.ini"))
    {
        profile.WriteString("Settings", "Install", dir.path().toStdString());
        profile.WriteInt("Settings", "RF", 0);
    }
    std::string Path(const char* name) const { return dir.filePath(name).toStdString(); }
    QTemporaryDir dir;
    kv::ProfileSettings profile;
};

// Runs the interactive start-up with scripted messages and file dialogs.
struct RunningApp {
    explicit RunningApp(ScratchProfile& scratch, kv::CCmdLineInfo info = {}, bool scriptFileDialogs = true)
        : app(&scratch.profile)
    {
        TestApp();
        app.Messages().Script({});
        if (scriptFileDialogs)
            app.Prompts().ScriptPaths({});
        started = app.InitInstance(info);
    }
    ~RunningApp() { app.ExitInstance(); }
    kv::CKVApp app;
    bool started = false;
};

// The ids of "What this build does not do": the README's line "Commands without action: ..."
// (single ids and ranges a-b).
inline std::set<int> CommandsWithoutAction()
{
    std::ifstream readme(KV_TEST_SOURCE_DIR "/../../README.md");
    std::set<int> ids;
    std::string line;
    const std::string tag = "Commands without action:";
    while (std::getline(readme, line)) {
        const size_t at = line.find(tag);
        if (at == std::string::npos)
            continue;
        std::istringstream words(line.substr(at + tag.size()));
        std::string word;
        while (words >> word) {
            while (!word.empty() && (word.back() == ',' || word.back() == '.'))
                word.pop_back();
            const size_t dash = word.find('-');
            const int first = std::atoi(word.substr(0, dash).c_str());
            const int last = dash == std::string::npos ? first : std::atoi(word.substr(dash + 1).c_str());
            for (int id = first; first > 0 && id <= last; ++id)
                ids.insert(id);
        }
    }
    return ids;
}

} // namespace kvtest
