// The KV program. The arguments are looked at first: any of mdr=, bump=, normal=, image=
// makes a windowless batch run (no window system needed); otherwise the main window opens.
#include "gui/app/BatchRun.h"
#include "gui/app/CmdLineInfo.h"
#include "gui/app/ProfileSettings.h"
#include "gui/app/KVApp.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// The windowless batch run: only a QCoreApplication, for the profile.
int RunBatch(const kv::CCmdLineInfo& info, int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(kv::ProfileSettings::kOrganisation);
    QCoreApplication::setApplicationName(kv::ProfileSettings::kApplication);
    return kv::RunBatch(info);
}

int RunInteractive(const kv::CCmdLineInfo& info, int argc, char** argv)
{
    QApplication app(argc, argv);
    kv::CKVApp kvApp;
    if (!kvApp.InitInstance(info)) {
        kvApp.ExitInstance();
        return 1;
    }
    const int result = app.exec();
    kvApp.ExitInstance();
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    const kv::CCmdLineInfo info = kv::CCmdLineInfo::Parse(arguments);
    if (info.IsBatch())
        return RunBatch(info, argc, argv);
    return RunInteractive(info, argc, argv);
}
