#pragma once

// The editor's main window on the screen for a benchmark, with the sound going nowhere.
#include "audio/OfflineWaveOut.h"
#include "bench/support/QtBenchApplication.h"
#include "editor/EditorDialog.h"
#include "resources/resource.h"

#include <memory>

inline std::unique_ptr<EditorDialog> openBenchEditor()
{
    benchApplication();
    auto editor = std::make_unique<EditorDialog>(std::make_unique<OfflineWaveOut>());
    editor->open(nullptr, IDD_EDITOR);
    QApplication::processEvents();
    return editor;
}

// Closes the window without ending anything but the window: the quit message it
// posts as it goes is taken back.
inline void closeBenchEditor(std::unique_ptr<EditorDialog>& editor)
{
    DestroyWindow(editor->hwnd);
    MSG quit;
    while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    QApplication::processEvents();
    editor.reset();
}
