// The real application started in process (offscreen): a profile of its own in a scratch
// folder that is also the install folder, no reopened world, scripted messages and file
// dialogs.
#pragma once

#include "QtTestApp.h"

#include "gui/app/CmdLineInfo.h"
#include "gui/app/KVApp.h"
#include "gui/app/ProfileSettings.h"

#include <QTemporaryDir>

#include <memory>

struct StartedApp {
    explicit StartedApp(const kv::CCmdLineInfo& info = {}) : profile(dir.filePath("profile.ini"))
    {
        TestApp();
        profile.WriteString("Settings", "Install", dir.path().toStdString());
        profile.WriteInt("Settings", "RF", 0);
        app = std::make_unique<kv::CKVApp>(&profile);
        app->Messages().Script({});
        app->Prompts().ScriptPaths({});
        started = app->InitInstance(info);
    }
    ~StartedApp() { app->ExitInstance(); }
    QTemporaryDir dir;
    kv::ProfileSettings profile;
    std::unique_ptr<kv::CKVApp> app;
    bool started = false;
};
