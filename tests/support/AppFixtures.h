// The program started in process for GUI tests: a profile in a scratch folder and the
// application's interactive start-up with scripted message boxes (and, unless asked
// otherwise, scripted file dialogs).
#pragma once

#include "QtTestApp.h"

#include "gui/app/CmdLineInfo.h"
#include "gui/app/KVApp.h"
#include "gui/app/ProfileSettings.h"

#include <QTemporaryDir>

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

} // namespace kvtest
