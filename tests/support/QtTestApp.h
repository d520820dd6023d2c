// The one QApplication of a GUI test program, made on first use on Qt's offscreen
// platform (no display needed).
#pragma once

#include <QApplication>

#include <cstdlib>

inline QApplication& TestApp()
{
    static int argc = 1;
    static char name[] = "kv_gui_tests";
    static char* argv[] = {name, nullptr};
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}
