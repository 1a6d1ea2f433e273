#pragma once

#include "platform/win32.h"

#include <cstdint>

// The program's one application object: it holds what the entry point was given and
// runs the message loop. The dialogs reach the module instance through it.
class ApplicationBase {
public:
    // The object constructed last becomes the program's application.
    ApplicationBase();
    virtual ~ApplicationBase();
    ApplicationBase(const ApplicationBase&) = delete;
    ApplicationBase& operator=(const ApplicationBase&) = delete;

    // The whole life of the program as the entry point runs it: the locale, the entry
    // point's arguments, startUp, the message loop until it ends, shutDown. Returns the
    // exit code: 0, or 1 when startUp failed.
    int run(HINSTANCE instance, LPSTR commandLine, int showCommand);

    virtual bool startUp() = 0;
    virtual void shutDown() = 0;
    // Takes and dispatches one message of the thread; false once the loop is to end
    // (WM_QUIT, or no message can be had).
    virtual bool pumpMessage();

    HINSTANCE instance() const { return instanceHandle; }
    // The program's application, or null when there is none.
    static ApplicationBase* current();
    // The module instance dialogs are created with.
    static HINSTANCE currentInstance();

    std::uint32_t status = 0;
    HINSTANCE instanceHandle = nullptr;
    LPSTR commandLine = nullptr;
    int showCommand = 0;
};
