#pragma once

// The one QApplication of a benchmark that drives windows: Qt's offscreen platform
// unless QT_QPA_PLATFORM says otherwise, the dialog fonts installed as the program does.
#include <QApplication>

#include <cstdlib>

#include "platform/qt/DialogFonts.h"

inline QApplication& benchApplication()
{
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    }
    // Never destroyed: a static QApplication would be torn down at exit after Qt's own
    // globals, and its input devices crash on the way out.
    static QApplication* const app = new QApplication(argc, argv);
    static const bool fonts = (win32qt::installDialogFonts(), true);
    (void)fonts;
    return *app;
}
