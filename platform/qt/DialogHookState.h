// What the test hook (platform/Win32TestHook.h) has queued and seen, for the message
// box and file dialog functions.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/Win32TestHook.h"

namespace win32qt {

struct DialogHookState {
    std::deque<int> messageBoxAnswers;
    std::deque<std::optional<std::string>> fileAnswers; // nullopt: Cancel
    std::vector<win32test::MessageBoxRecord> messageBoxes;
    std::vector<win32test::FileDialogRecord> fileDialogs;
};

// The state of the living DialogAnswers, or null when a user answers.
DialogHookState* activeDialogHook();

} // namespace win32qt
