// main() for GoogleTest programs that drive real widgets: Qt's offscreen platform
// unless another is asked for (test discovery runs the program at build time, with
// no display), one QApplication for the whole program, the dialog fonts installed.
#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/qt/DialogFonts.h"

int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    }
    testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    win32qt::installDialogFonts();
    return RUN_ALL_TESTS();
}
