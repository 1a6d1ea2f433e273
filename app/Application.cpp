#include "app/Application.h"

#include "resources/resource.h"

bool Application::startUp()
{
    mainWindow = std::make_unique<EditorDialog>();
    mainWindow->open(nullptr, IDD_EDITOR);
    // Without a window nothing could ever end the loop.
    return mainWindow->hwnd != nullptr;
}

void Application::shutDown()
{
    mainWindow.reset();
}
