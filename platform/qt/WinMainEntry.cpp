// main() of a program whose entry point is WinMain, on the Qt layer: Qt starts, the
// dialog fonts are installed, and WinMain gets the module handle, the command line
// after the program name, and SW_SHOWDEFAULT.
#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/qt/DialogFonts.h"
#include "platform/win32.h"

namespace {

// Started over SSH, in a container or on a server, Qt would abort with a core dump and
// advise reinstalling the program; the user is told what is missing instead.
constexpr char noDisplayMessage[] =
    "zbkedit: the editor needs a display: start it in a desktop session or under xvfb-run "
    "(xvfb-run -a zbkedit); for work without a screen use zbk (zbk --help)\n";

bool isSet(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// Without a platform named (by QT_QPA_PLATFORM or -platform) Qt looks for an X or a
// Wayland display, and there is none.
bool hasNoDisplay(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0) {
            return false;
        }
    }
    return !isSet("QT_QPA_PLATFORM") && !isSet("DISPLAY") && !isSet("WAYLAND_DISPLAY");
}

// A display that is named but cannot be reached reaches Qt's fatal message, after
// which Qt aborts; the program ends first, with the same advice.
void endOnFatalStartupMessage(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type != QtFatalMsg) {
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
        return;
    }
    std::fputs(noDisplayMessage, stderr);
    std::_Exit(1);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("zbkedit %s\n", ZBK_VERSION);
        return 0;
    }
    if (hasNoDisplay(argc, argv)) {
        std::fputs(noDisplayMessage, stderr);
        return 1;
    }
    const QtMessageHandler previousHandler = qInstallMessageHandler(endOnFatalStartupMessage);
    QApplication application(argc, argv);
    qInstallMessageHandler(previousHandler);
    win32qt::installDialogFonts();

    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) {
            commandLine += ' ';
        }
        commandLine += argv[i];
    }
    return WinMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), SW_SHOWDEFAULT);
}
