// The KV program. Any of mdr=, bump=, normal=, image= makes a windowless batch run;
// otherwise the main window opens.
#include "gui/dialogs/WindowDialogs.h"

#include <QApplication>
#include <QMainWindow>

#include <cstdio>
#include <cstring>

namespace {

bool IsBatchArgument(const char* arg)
{
    for (const char* key : {"mdr=", "bump=", "normal=", "image="}) {
        if (std::strncmp(arg, key, std::strlen(key)) == 0)
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (IsBatchArgument(argv[i])) {
            std::fprintf(stderr, "Kelvane Pro: windowless rendering is not available in this build yet.\n");
            return 1;
        }
    }
    QApplication app(argc, argv);
    kv::InstallWindowDialogs();
    QMainWindow window;
    window.setWindowTitle("Kelvane Pro");
    window.resize(1024, 640);
    window.show();
    return app.exec();
}
