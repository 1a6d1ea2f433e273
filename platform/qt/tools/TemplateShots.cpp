// Opens every dialog template of the program offscreen and writes each, as the
// window shows it (menu bar included), to DIR/template-<id>.png.
//
//   zbk-template-shots DIR
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

#include "platform/qt/DialogFonts.h"
#include "platform/qt/ResourceScript.h"
#include "platform/qt/WindowRecord.h"
#include "platform/win32.h"

namespace {

INT_PTR CALLBACK quietDialog(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: zbk-template-shots DIR\n");
        return 2;
    }
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    }
    QApplication application(argc, argv);
    win32qt::installDialogFonts();
    const QDir directory(QString::fromLocal8Bit(argv[1]));
    if (!directory.exists() && !QDir().mkpath(directory.path())) {
        std::fprintf(stderr, "zbk-template-shots: cannot create %s\n", argv[1]);
        return 1;
    }
    for (const win32qt::DialogTemplate& dialogTemplate : win32qt::programResources().dialogs) {
        const HWND hwnd =
            CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(dialogTemplate.id), nullptr, quietDialog, 0);
        if (hwnd == nullptr) {
            std::fprintf(stderr, "zbk-template-shots: template %d does not open\n", dialogTemplate.id);
            return 1;
        }
        ShowWindow(hwnd, SW_SHOW);
        QApplication::processEvents();
        QWidget* frame = win32qt::findWindow(hwnd)->frame;
        const QString path = directory.filePath(QStringLiteral("template-%1.png").arg(dialogTemplate.id));
        if (!frame->grab().save(path)) {
            std::fprintf(stderr, "zbk-template-shots: cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("%s\n", qPrintable(path));
        DestroyWindow(hwnd);
    }
    return 0;
}
