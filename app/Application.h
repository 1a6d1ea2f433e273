#pragma once

#include "editor/EditorDialog.h"
#include "framework/ApplicationBase.h"

#include <memory>

// ZBK-EDIT's application: start-up builds the editor, whose window comes from template
// 101, and the message loop runs until that window is destroyed.
class Application : public ApplicationBase {
public:
    bool startUp() override;
    // Releases the editor object; its window is gone by then.
    void shutDown() override;

    std::unique_ptr<EditorDialog> mainWindow;
};
