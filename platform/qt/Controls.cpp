#include "platform/qt/Controls.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "platform/qt/EventBridge.h"

namespace win32qt {

namespace {

const ControlClass controlClasses[] = {
    {"BUTTON", WindowKind::Button, buttonProc},
    {"STATIC", WindowKind::Static, staticProc},
    {"EDIT", WindowKind::Edit, editProc},
    {"COMBOBOX", WindowKind::ComboBox, comboBoxProc},
    {"SCROLLBAR", WindowKind::ScrollBar, scrollBarProc},
    {TRACKBAR_CLASSA, WindowKind::Trackbar, trackbarProc},
};

bool isInputOrPaint(UINT message)
{
    return (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) || message == WM_KEYDOWN || message == WM_KEYUP ||
           message == WM_CHAR || message == WM_PAINT || message == WM_SETFOCUS || message == WM_KILLFOCUS;
}

Qt::FocusPolicy focusPolicyFor(WindowKind kind, DWORD style)
{
    if (kind == WindowKind::Static || (kind == WindowKind::Button && (style & BS_TYPEMASK) == BS_GROUPBOX)) {
        return Qt::NoFocus;
    }
    // A control takes the focus in its own WM_LBUTTONDOWN, not when Qt sees the click.
    return (style & WS_TABSTOP) ? Qt::TabFocus : Qt::NoFocus;
}

} // namespace

const ControlClass* findControlClass(const QString& className)
{
    for (const ControlClass& controlClass : controlClasses) {
        if (className.compare(QString::fromLatin1(controlClass.name), Qt::CaseInsensitive) == 0) {
            return &controlClass;
        }
    }
    return nullptr;
}

Window* createControl(const ControlClass& controlClass, Window& parent, const QString& text, DWORD style, DWORD exStyle,
                      const QRect& geometry, int id)
{
    QWidget* widget = nullptr;
    QRect placed = geometry;
    switch (controlClass.kind) {
    case WindowKind::Button: widget = makeButton(text, style); break;
    case WindowKind::Static: widget = makeStatic(text, style); break;
    case WindowKind::Edit: widget = makeEdit(text, style, exStyle); break;
    case WindowKind::ComboBox: {
        widget = makeComboBox(style, geometry.height());
        // The height given is the dropped list's; the box itself is one line high.
        const QFontMetrics metrics(parent.widget->font());
        placed.setHeight(metrics.height() + 8);
        break;
    }
    case WindowKind::ScrollBar: widget = makeScrollBar(style); break;
    case WindowKind::Trackbar: widget = makeTrackbar(style); break;
    default: return nullptr;
    }
    widget->setParent(parent.widget);
    widget->setGeometry(placed);
    widget->setFocusPolicy(focusPolicyFor(controlClass.kind, style));
    if (style & WS_DISABLED) {
        widget->setEnabled(false);
    }

    Window& window = registerWindow(controlClass.kind, widget, nullptr);
    window.proc = controlClass.proc;
    window.classProc = controlClass.proc;
    window.style = style | WS_CHILD;
    window.exStyle = exStyle;
    window.id = id;
    window.parent = parent.handle;
    window.instance = parent.instance;
    if (controlClass.kind == WindowKind::ScrollBar || controlClass.kind == WindowKind::Trackbar) {
        window.text = text.toStdString();
    }
    parent.children.push_back(window.handle);
    attachEventBridge(window);

    switch (controlClass.kind) {
    case WindowKind::Button: wireButton(window); break;
    case WindowKind::Edit: wireEdit(window); break;
    case WindowKind::ComboBox: wireComboBox(window); break;
    case WindowKind::ScrollBar: wireScrollBar(window); break;
    case WindowKind::Trackbar: wireTrackbar(window); break;
    default: break;
    }
    widget->setVisible((style & WS_VISIBLE) != 0);
    return &window;
}

QString windowText(Window& window)
{
    QWidget* widget = window.widget;
    switch (window.kind) {
    case WindowKind::Dialog: return window.frame ? window.frame->windowTitle() : QString();
    case WindowKind::Button:
        if (auto* group = qobject_cast<QGroupBox*>(widget)) {
            return group->title();
        }
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            return button->text();
        }
        break;
    case WindowKind::Static:
        if (widget != nullptr) {
            return widget->property("win32qt.text").toString();
        }
        break;
    case WindowKind::Edit:
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            return edit->text();
        }
        break;
    case WindowKind::ComboBox: return comboText(widget);
    default: break;
    }
    if (window.frame != nullptr && !window.isChild()) {
        return window.frame->windowTitle();
    }
    return QString::fromStdString(window.text);
}

void setWindowText(Window& window, const QString& text)
{
    QWidget* widget = window.widget;
    switch (window.kind) {
    case WindowKind::Dialog:
        if (window.frame) {
            window.frame->setWindowTitle(text);
        }
        return;
    case WindowKind::Button:
        if (auto* group = qobject_cast<QGroupBox*>(widget)) {
            group->setTitle(text);
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            button->setText(text);
        }
        return;
    case WindowKind::Static: setStaticText(widget, window.style, text); return;
    case WindowKind::Edit:
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            edit->setText(text);
        }
        return;
    case WindowKind::ComboBox: setComboText(window, text); return;
    default: break;
    }
    if (window.frame != nullptr && !window.isChild()) {
        window.frame->setWindowTitle(text);
    }
    window.text = text.toStdString();
}

DWORD currentStyle(const Window& window)
{
    DWORD style = window.style & ~(WS_VISIBLE | WS_DISABLED);
    const QWidget* shown = window.isChild() ? window.widget.data() : window.frame.data();
    if (shown != nullptr && !shown->isHidden()) {
        style |= WS_VISIBLE;
    }
    const bool disabled = window.isChild()
                              ? (window.widget != nullptr && window.widget->testAttribute(Qt::WA_ForceDisabled))
                              : !window.topLevelEnabled;
    if (disabled) {
        style |= WS_DISABLED;
    }
    return style;
}

void procedureReplaced(Window& window)
{
    if (window.kind != WindowKind::Static || window.widget == nullptr) {
        return;
    }
    const bool ownPainting = window.proc != window.classProc;
    window.widget->setAttribute(Qt::WA_OpaquePaintEvent, ownPainting);
}

int scrollRequestOf(int sliderAction, bool thumbHeld)
{
    switch (sliderAction) {
    case QAbstractSlider::SliderSingleStepAdd: return SB_LINEDOWN;
    case QAbstractSlider::SliderSingleStepSub: return SB_LINEUP;
    case QAbstractSlider::SliderPageStepAdd: return SB_PAGEDOWN;
    case QAbstractSlider::SliderPageStepSub: return SB_PAGEUP;
    case QAbstractSlider::SliderToMinimum: return SB_TOP;
    case QAbstractSlider::SliderToMaximum: return SB_BOTTOM;
    case QAbstractSlider::SliderMove: return thumbHeld ? SB_THUMBTRACK : SB_THUMBPOSITION;
    default: return -1;
    }
}

LRESULT focusChange(Window& window, UINT message, WPARAM wParam, LPARAM lParam, int setCode, int killCode, bool notify)
{
    const HWND hwnd = window.handle;
    letQtHandle(window, message, wParam, lParam);
    if (notify && findWindow(hwnd) != nullptr) {
        notifyParent(window, message == WM_SETFOCUS ? setCode : killCode);
    }
    return 0;
}

LRESULT controlDefault(Window& window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (isInputOrPaint(message)) {
        letQtHandle(window, message, wParam, lParam);
        return 0;
    }
    return DefWindowProcA(window.handle, message, wParam, lParam);
}

} // namespace win32qt
