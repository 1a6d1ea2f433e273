#pragma once

#include "app/MainWindow.h"
#include "framework/ApplicationBase.h"

#include <memory>

// ZBK-EDIT's application: start-up creates the main window from template 101 and the
// message loop runs until that window is destroyed.
class Application : public ApplicationBase {
public:
    static constexpr int mainTemplate = 101;

    bool startUp() override;
    // Releases the main window object; its window is gone by then.
    void shutDown() override;

    std::unique_ptr<MainWindow> mainWindow;
};
