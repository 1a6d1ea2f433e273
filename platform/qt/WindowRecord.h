// A window handle's record: the widget that stands for the window, its window
// procedure, its user-data slot and the state the standard controls keep.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <string>
#include <vector>

#include "platform/win32.h"

class QMenuBar;

namespace win32qt {

enum class WindowKind { Dialog, Generic, Button, Static, Edit, ComboBox, ScrollBar, Trackbar };

struct Window {
    HWND handle = nullptr;
    WindowKind kind = WindowKind::Generic;
    QPointer<QWidget> widget; // the client area: children, input, painting
    QPointer<QWidget> frame;  // what is shown, moved and closed; the widget itself for child windows
    WNDPROC proc = nullptr;
    WNDPROC classProc = nullptr;
    LONG_PTR userData = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    int id = 0;
    HWND parent = nullptr; // the parent of a child window, the owner of a top-level one
    HINSTANCE instance = nullptr;
    std::vector<HWND> children; // in creation order, which is the z-order and the tab order
    bool alive = true;
    bool destroying = false;
    bool topLevelEnabled = true; // a top-level window's own enabled state
    bool needsPaint = false;
    std::string text; // the window text of kinds whose widget has none

    // Dialogs.
    DLGPROC dialogProc = nullptr;
    LONG_PTR dialogResult = 0; // DWLP_MSGRESULT
    LONG_PTR dialogUser = 0;   // DWLP_USER
    bool modal = false;
    bool disabledOwner = false; // the modal loop disabled the owner and enables it again
    bool ended = false;
    INT_PTR endResult = 0;
    QMenuBar* menuBar = nullptr;

    // Scroll bars: the control keeps the position the program gives it.
    int scrollMin = 0;
    int scrollMax = 100;
    UINT scrollPage = 0;
    int scrollPos = 0;
    int trackPos = 0;
    bool scrollPressed = false;
    bool scrollActed = false;

    // Trackbars.
    std::vector<int> tics;
    bool trackbarActed = false;

    bool isChild() const { return (style & WS_CHILD) != 0; }
};

// The live window of a handle, or null for a destroyed or unknown handle.
Window* findWindow(HWND hwnd);
// The window whose client widget this is, or null.
Window* windowOfWidget(const QWidget* widget);
// The window of the widget or of its nearest ancestor that is one.
Window* enclosingWindow(const QWidget* widget);
// A new window record for a widget (and its frame, for a top-level window).
Window& registerWindow(WindowKind kind, QWidget* widget, QWidget* frame);
// Marks the window dead; its handle never names a window again.
void unregisterWindow(Window& window);
// The top-level window a window belongs to (itself when it is one).
Window* topLevelOf(Window& window);
// Every live window, in creation order.
std::vector<Window*> liveWindows();

// Runs the window's current procedure.
LRESULT callProc(Window& window, UINT message, WPARAM wParam, LPARAM lParam);
// WM_COMMAND from a control to its parent, sent at once as the standard controls do.
void notifyParent(Window& control, int code);

// While a handler runs inside Qt's event delivery, Qt may still use the widgets it is
// handling, so a destroyed window's widget waits until a message loop next waits
// outside every handler.
class HandlerScope {
public:
    HandlerScope();
    ~HandlerScope();
    HandlerScope(const HandlerScope&) = delete;
    HandlerScope& operator=(const HandlerScope&) = delete;
};
int handlerDepth();
void deleteWidgetSafely(QWidget* widget);
void deletePendingWidgets();

QString fromUtf8(LPCSTR text);
// Copies text into a buffer of bufferSize chars, cut at a UTF-8 character boundary and
// always terminated; returns the bytes copied without the terminator.
int copyText(const std::string& text, LPSTR buffer, int bufferSize);

} // namespace win32qt
