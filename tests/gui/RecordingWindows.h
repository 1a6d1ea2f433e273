#pragma once

// Windows for the window-layer tests in plain Win32: dialogs opened from the program's
// templates with a procedure that records what reaches it, and recording subclasses.
// One log is shared by every recording procedure, so that the order across windows
// shows.
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <ostream>
#include <vector>

namespace recording {

struct Seen {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Seen&) const = default;
};

// So that a failed comparison shows the message rather than its bytes.
std::ostream& operator<<(std::ostream& out, const Seen& seen);

std::vector<Seen>& log();
void clearLog();
// The logged messages among `messages`, in order.
std::vector<Seen> logged(std::initializer_list<UINT> messages);
// The same, only those that reached `hwnd`.
std::vector<Seen> loggedAt(HWND hwnd, std::initializer_list<UINT> messages);
// The notification codes control `id` sent its parent (WM_COMMAND), in order.
std::vector<WORD> codesFrom(HWND parent, int id);

// A dialog procedure that logs everything and answers FALSE, unless the test gives it
// more to do.
INT_PTR CALLBACK recordingDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
using DialogReaction = std::function<INT_PTR(HWND, UINT, WPARAM, LPARAM)>;
void setDialogReaction(DialogReaction reaction);

// Replaces a window's procedure with one that logs and then calls `handle`, which gets
// the previous procedure to pass messages on to (or not). Subclassing a window again
// replaces the handler and keeps the first procedure.
using Subclass = std::function<LRESULT(WNDPROC previous, HWND, UINT, WPARAM, LPARAM)>;
void subclass(HWND hwnd, Subclass handle);
// A subclass that logs and passes everything on.
void recordingSubclass(HWND hwnd);

// Starts each test with an empty log and closes what it opened.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Template `id`, modeless, with recordingDialogProc, on the screen.
    HWND openDialog(int id, HWND owner = nullptr);

private:
    std::vector<HWND> opened_;
};

} // namespace recording
