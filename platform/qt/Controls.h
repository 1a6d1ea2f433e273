// The standard control classes: which widget stands for each, their class
// procedures, and what every class shares (window text, style bits).
#pragma once

#include <QRect>
#include <QString>

#include "platform/qt/WindowRecord.h"

class QImage;

namespace win32qt {

struct ControlClass {
    const char* name;
    WindowKind kind;
    WNDPROC proc;
};

// "BUTTON", "STATIC", "EDIT", "COMBOBOX", "SCROLLBAR", "msctls_trackbar32", any case.
const ControlClass* findControlClass(const QString& className);

// Creates a control as a child of parent, at a geometry in the parent's client pixels.
Window* createControl(const ControlClass& controlClass, Window& parent, const QString& text, DWORD style, DWORD exStyle,
                      const QRect& geometry, int id);

QString windowText(Window& window);
void setWindowText(Window& window, const QString& text);
// The style bits with WS_VISIBLE and WS_DISABLED as the window is now.
DWORD currentStyle(const Window& window);
// Called when GWLP_WNDPROC changes: a static run by a procedure of the program's own
// paints its whole area itself, so nothing is painted beneath it.
void procedureReplaced(Window& window);

// What every class procedure does with a message it has no rule for: input, painting
// and focus go to the widget, the rest to DefWindowProcA.
LRESULT controlDefault(Window& window, UINT message, WPARAM wParam, LPARAM lParam);

// The scroll request (SB_ code, the same numbers as the trackbar's TB_ codes) for a
// slider action of Qt, or -1.
int scrollRequestOf(int sliderAction, bool thumbHeld);

// WM_SETFOCUS and WM_KILLFOCUS at the end of a control's chain: Qt updates the control,
// then the parent hears setCode or killCode (when notify is true).
LRESULT focusChange(Window& window, UINT message, WPARAM wParam, LPARAM lParam, int setCode, int killCode, bool notify);

// The widgets and class procedures of each kind.
QWidget* makeButton(const QString& text, DWORD style);
void wireButton(Window& window);
LRESULT CALLBACK buttonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

QWidget* makeStatic(const QString& text, DWORD style);
void setStaticText(QWidget* widget, DWORD style, const QString& text);
LRESULT CALLBACK staticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Where WM_PAINT of a hollow frame static paints (the frame keeps it and shows it
// beneath its frame), or nullptr for any other window.
QImage* retainedInside(QWidget* widget);

QWidget* makeEdit(const QString& text, DWORD style, DWORD exStyle);
void wireEdit(Window& window);
LRESULT CALLBACK editProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

QWidget* makeComboBox(DWORD style, int listHeight);
void wireComboBox(Window& window);
QString comboText(QWidget* widget);
void setComboText(Window& window, const QString& text);
LRESULT CALLBACK comboBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

QWidget* makeScrollBar(DWORD style);
void wireScrollBar(Window& window);
LRESULT CALLBACK scrollBarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

QWidget* makeTrackbar(DWORD style);
void wireTrackbar(Window& window);
LRESULT CALLBACK trackbarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// SetFocus, also for the controls that take the focus when pressed.
void giveFocus(Window& window, Qt::FocusReason reason);

// Mouse capture, shared by SetCapture and the controls that capture by themselves.
void captureFor(HWND hwnd, bool grabQtMouse);
void releaseCaptureOf(HWND hwnd);

} // namespace win32qt
