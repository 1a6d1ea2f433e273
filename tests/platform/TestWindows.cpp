#include <gtest/gtest.h>

#include "TestWindows.h"

#include <map>

namespace windowtest {

namespace {

DialogReaction dialogReaction;
std::map<HWND, std::pair<WNDPROC, Subclass>> subclasses;

LRESULT CALLBACK subclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
  const auto found = subclasses.find(hwnd);
  if (found == subclasses.end()) {
    return DefWindowProcA(hwnd, message, wParam, lParam);
  }
  log().push_back({hwnd, message, wParam, lParam});
  const auto [previous, handle] = found->second;
  return handle(previous, hwnd, message, wParam, lParam);
}

} // namespace

std::vector<Seen>& log()
{
  static std::vector<Seen> seen;
  return seen;
}

void clearLog()
{
  log().clear();
}

std::vector<Seen> logged(std::initializer_list<UINT> messages)
{
  std::vector<Seen> result;
  for (const Seen& seen : log()) {
    for (UINT message : messages) {
      if (seen.message == message) {
        result.push_back(seen);
      }
    }
  }
  return result;
}

INT_PTR CALLBACK recordingDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
  log().push_back({hwnd, message, wParam, lParam});
  if (dialogReaction) {
    return dialogReaction(hwnd, message, wParam, lParam);
  }
  return FALSE;
}

void setDialogReaction(DialogReaction reaction)
{
  dialogReaction = std::move(reaction);
}

HWND openDialog(int id, HWND owner)
{
  const HWND hwnd =
    CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), owner, recordingDialogProc, 0);
  if (hwnd != nullptr) {
    ShowWindow(hwnd, SW_SHOW);
    processEvents();
  }
  return hwnd;
}

void subclass(HWND hwnd, Subclass handle)
{
  // Subclassing a window again replaces the handler and keeps the original procedure.
  const auto found = subclasses.find(hwnd);
  if (found != subclasses.end()) {
    found->second.second = std::move(handle);
    return;
  }
  const auto previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd, GWLP_WNDPROC));
  subclasses[hwnd] = {previous, std::move(handle)};
  SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(subclassProc));
}

void recordingSubclass(HWND hwnd)
{
  subclass(hwnd, [](WNDPROC previous, HWND h, UINT m, WPARAM w, LPARAM l) {
    return CallWindowProcA(previous, h, m, w, l);
  });
}

QWidget* widgetOf(HWND hwnd)
{
  win32qt::Window* window = win32qt::findWindow(hwnd);
  return window != nullptr ? window->widget.data() : nullptr;
}

void processEvents()
{
  for (int i = 0; i < 3; ++i) {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
  }
}

void drainPostedMessages()
{
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      break;
    }
    DispatchMessageA(&msg);
  }
}

void WindowTest::SetUp()
{
  clearLog();
  setDialogReaction(nullptr);
}

void WindowTest::TearDown()
{
  setDialogReaction(nullptr);
  for (win32qt::Window* window : win32qt::liveWindows()) {
    if (!window->isChild()) {
      DestroyWindow(window->handle);
    }
  }
  subclasses.clear();
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
  clearLog();
}

} // namespace windowtest
