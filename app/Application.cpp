#include "app/Application.h"

bool Application::startUp()
{
    mainWindow = std::make_unique<MainWindow>();
    mainWindow->open(nullptr, mainTemplate);
    // Without a window nothing could ever end the loop.
    return mainWindow->hwnd != nullptr;
}

void Application::shutDown()
{
    mainWindow.reset();
}
