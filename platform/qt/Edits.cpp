// Single-line edit boxes ("EDIT").
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include "platform/qt/Controls.h"
#include "platform/qt/EventBridge.h"

namespace win32qt {

QWidget* makeEdit(const QString& text, DWORD style, DWORD exStyle)
{
    auto* edit = new QLineEdit(text);
    if (style & ES_NUMBER) {
        // Only digits can be typed; text set by the program is taken as it is.
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    }
    if (style & ES_RIGHT) {
        edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    } else if (style & ES_CENTER) {
        edit->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    }
    edit->setReadOnly((style & ES_READONLY) != 0);
    if (style & ES_PASSWORD) {
        edit->setEchoMode(QLineEdit::Password);
    }
    edit->setFrame((style & WS_BORDER) != 0 || (exStyle & WS_EX_CLIENTEDGE) != 0);
    return edit;
}

void wireEdit(Window& window)
{
    auto* edit = qobject_cast<QLineEdit*>(window.widget.data());
    const HWND hwnd = window.handle;
    QObject::connect(edit, &QLineEdit::textChanged, edit, [hwnd] {
        if (Window* w = findWindow(hwnd)) {
            notifyParent(*w, EN_UPDATE);
        }
        if (Window* w = findWindow(hwnd)) {
            notifyParent(*w, EN_CHANGE);
        }
    });
}

LRESULT CALLBACK editProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    Window* window = findWindow(hwnd);
    if (window == nullptr) {
        return 0;
    }
    auto* edit = qobject_cast<QLineEdit*>(window->widget.data());
    switch (message) {
    case EM_GETSEL: {
        int start = edit->cursorPosition();
        int end = start;
        if (edit->hasSelectedText()) {
            start = edit->selectionStart();
            end = start + static_cast<int>(edit->selectedText().size());
        }
        if (wParam != 0) {
            *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(start);
        }
        if (lParam != 0) {
            *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(end);
        }
        return MAKELRESULT(start, end);
    }
    case EM_SETSEL: {
        const int length = static_cast<int>(edit->text().size());
        int start = static_cast<int>(wParam);
        int end = static_cast<int>(lParam);
        if (start == -1) {
            edit->deselect();
            return 0;
        }
        if (end < 0 || end > length) {
            end = length;
        }
        start = std::min(std::max(start, 0), length);
        edit->setSelection(start, end - start);
        return 0;
    }
    case EM_LIMITTEXT: edit->setMaxLength(wParam == 0 ? 0x7FFFFFFE : static_cast<int>(wParam)); return 0;
    case EM_SETREADONLY: edit->setReadOnly(wParam != 0); return TRUE;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: return focusChange(*window, message, wParam, lParam, EN_SETFOCUS, EN_KILLFOCUS, true);
    default: return controlDefault(*window, message, wParam, lParam);
    }
}

} // namespace win32qt
