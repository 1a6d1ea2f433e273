#pragma once

// What a test does as the user, and how it waits, in terms of window handles: the
// test bodies stay plain Win32, and only GuiDriver*.cpp knows the window system.
#include "platform/win32.h"

#include <functional>
#include <string>

namespace gui {

// Runs `action` once the event loop next turns, also inside a modal loop that has
// not started yet when this is called.
void runSoon(std::function<void()> action);

// Lets the window system deliver what is pending (paint, input, timers).
void processEvents();

// Dispatches every message posted to the thread's queue so far.
void drainPostedMessages();

// Lets the window system run for `milliseconds` (timers, paint, input).
void pause(int milliseconds);
// Lets the window system run until `condition` holds or `milliseconds` have passed;
// whether it holds.
bool waitFor(const std::function<bool()>& condition, int milliseconds);

// Presses, moves and releases the mouse as the user does, at client coordinates of
// `window`, which may lie outside it while a button is held; `shift` holds the Shift key
// down as well.
void mousePress(HWND window, int x, int y, bool rightButton = false, bool shift = false);
void mouseMove(HWND window, int x, int y);
void mouseRelease(HWND window, int x, int y, bool rightButton = false, bool shift = false);
// Presses and releases the left button in the middle of the window.
void click(HWND window);
// Clicks the left button at client coordinates of `window` on whichever window the
// system finds there: a static without SS_NOTIFY, for one, lets the click through.
void clickAt(HWND window, int x, int y);
// Presses and releases the left button at client coordinates of `window` with nothing
// in between, as a quick click reaches the window: a control that follows the mouse in a
// loop of its own from the press on (a Win32 scroll bar) finds the release waiting.
void quickClick(HWND window, int x, int y);
// Presses the left button at client coordinates of `window` and then runs `whileHeld`,
// which moves the mouse, looks, and ends with mouseRelease; for a control that follows the
// mouse in a loop of its own until the release, `whileHeld` runs inside that loop, as
// the user's moves reach it. Whether `whileHeld` ran within `milliseconds`.
bool holdMouse(HWND window, int x, int y, std::function<void()> whileHeld, int milliseconds = 5000);
// Presses and releases a key (a VK_ code) with the keyboard focus in `window`. While a
// popup list is open (a dropped combo box) the key goes where the user's keyboard goes:
// to the list on the Qt layer, to the combo box that holds the focus on Win32, so pass
// the combo box.
void keyClick(HWND window, int virtualKey);
// Types text as key presses into a focused edit.
void typeText(HWND window, const char* text);

// The colour the user sees at client coordinates of `window`, after painting.
COLORREF shownPixel(HWND window, int x, int y);

// Clicks the close box of a top-level window.
void clickCloseBox(HWND window);

// Chooses the item `id` of the window's menu as the user does; false when the window
// has no such item.
bool chooseMenuItem(HWND window, int id);
// The text of the item `id` of the window's menu, empty when there is none.
std::string menuItemText(HWND window, int id);

// The message box up in front of the user: its caption and its text, empty when none
// is up.
std::string activeMessageBoxCaption();
std::string activeMessageBoxText();
// Clicks the button `id` (IDOK, IDYES, IDNO, ...) of the message box that is up; false
// when none is up or it has no such button.
bool pressMessageBoxButton(int id);

// After `milliseconds`, unless destroyed first, runs `rescue` so that a fault cannot
// hang the suite (close the modal dialog, post the quit message).
class Watchdog {
public:
    Watchdog(int milliseconds, std::function<void()> rescue);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;
    bool fired() const;

private:
    struct State;
    State* state_;
};

} // namespace gui
