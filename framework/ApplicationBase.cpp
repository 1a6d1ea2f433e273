#include "framework/ApplicationBase.h"

#include <clocale>

namespace {
ApplicationBase* theApplication = nullptr;
}

ApplicationBase::ApplicationBase()
{
    theApplication = this;
}

ApplicationBase::~ApplicationBase()
{
    if (theApplication == this)
        theApplication = nullptr;
}

ApplicationBase* ApplicationBase::current()
{
    return theApplication;
}

HINSTANCE ApplicationBase::currentInstance()
{
    // Without an application (a test opening dialogs) the program's own module serves.
    return theApplication != nullptr ? theApplication->instance() : GetModuleHandleA(nullptr);
}

int ApplicationBase::run(HINSTANCE instance, LPSTR commandLineText, int show)
{
    // The dialogs' texts are Japanese; where the runtime has no such locale this changes nothing.
    std::setlocale(LC_ALL, "Japanese");
    instanceHandle = instance;
    commandLine = commandLineText;
    showCommand = show;
    // Trackbars and the other common controls exist only once registered (on Windows).
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    // A program whose main window could not be made has nothing to wait for.
    const bool started = startUp();
    if (started) {
        while (pumpMessage()) {
        }
    }
    shutDown();
    return started ? 0 : 1;
}

bool ApplicationBase::pumpMessage()
{
    MSG message;
    const BOOL result = GetMessageA(&message, nullptr, 0, 0);
    if (result == 0 || result == -1)
        return false;
    TranslateMessage(&message);
    DispatchMessageA(&message);
    return true;
}
