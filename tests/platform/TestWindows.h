// Windows for the window-layer tests: dialogs opened from the program's templates
// with a procedure that records what reaches it, recording subclasses, and the few
// Qt calls that put a user's hands on a window.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

#include "platform/qt/WindowRecord.h"
#include "platform/win32.h"

namespace windowtest {

struct Seen {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  bool operator==(const Seen& other) const = default;
};

// One log shared by every recording procedure, so that order across windows shows.
std::vector<Seen>& log();
void clearLog();
// The logged messages among `messages`, in order.
std::vector<Seen> logged(std::initializer_list<UINT> messages);

// A dialog procedure that logs everything and answers 0, unless a test gives it more
// to do for a message.
INT_PTR CALLBACK recordingDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
using DialogReaction = std::function<INT_PTR(HWND, UINT, WPARAM, LPARAM)>;
void setDialogReaction(DialogReaction reaction);

// Opens template `id` modeless and visible with recordingDialogProc.
HWND openDialog(int id, HWND owner = nullptr);

// Replaces a window's procedure with one that logs and then calls `handle`, which
// gets the previous procedure to pass messages on to (or not).
using Subclass = std::function<LRESULT(WNDPROC previous, HWND, UINT, WPARAM, LPARAM)>;
void subclass(HWND hwnd, Subclass handle);
// A subclass that logs and passes everything on.
void recordingSubclass(HWND hwnd);

QWidget* widgetOf(HWND hwnd);
// Lets Qt deliver what is pending.
void processEvents();
// Dispatches every posted message, as the application's loop would.
void drainPostedMessages();

// Closes every window the tests left open.
class WindowTest : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;
};

} // namespace windowtest
