// Push buttons, check boxes, radio buttons and group boxes ("BUTTON").
#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QPainter>
#include <QRadioButton>

#include <algorithm>

#include "platform/qt/Controls.h"
#include "platform/qt/EventBridge.h"

namespace win32qt {

namespace {

// A group box as the system draws it: the title sits on the frame's top line.
class GroupFrame : public QGroupBox {
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QFontMetrics metrics(font());
        const int top = metrics.height() / 2;
        painter.setPen(QColor(160, 160, 160));
        painter.drawRect(QRect(0, top, width() - 1, height() - top - 1));
        painter.setPen(QColor(255, 255, 255));
        painter.drawLine(1, top + 1, width() - 3, top + 1);
        if (title().isEmpty()) {
            return;
        }
        const int textWidth = metrics.horizontalAdvance(title());
        const QRect titleArea(6, 0, std::min(textWidth + 4, width() - 8), metrics.height());
        painter.fillRect(titleArea, palette().color(QPalette::Window));
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
        painter.drawText(titleArea.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, title());
    }
};

DWORD buttonType(DWORD style)
{
    return style & BS_TYPEMASK;
}

bool isCheckBox(DWORD style)
{
    const DWORD type = buttonType(style);
    return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE;
}

bool isRadio(DWORD style)
{
    const DWORD type = buttonType(style);
    return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

bool checksItself(DWORD style)
{
    const DWORD type = buttonType(style);
    return type == BS_AUTOCHECKBOX || type == BS_AUTO3STATE || type == BS_AUTORADIOBUTTON;
}

UINT checkState(QAbstractButton* button)
{
    if (auto* box = qobject_cast<QCheckBox*>(button)) {
        switch (box->checkState()) {
        case Qt::Checked: return BST_CHECKED;
        case Qt::PartiallyChecked: return BST_INDETERMINATE;
        default: return BST_UNCHECKED;
        }
    }
    return button->isCheckable() && button->isChecked() ? BST_CHECKED : BST_UNCHECKED;
}

void setCheckState(QAbstractButton* button, WPARAM state)
{
    if (auto* box = qobject_cast<QCheckBox*>(button)) {
        box->setCheckState(state == BST_CHECKED         ? Qt::Checked
                           : state == BST_INDETERMINATE ? Qt::PartiallyChecked
                                                        : Qt::Unchecked);
    } else if (button->isCheckable()) {
        button->setChecked(state == BST_CHECKED);
    }
}

} // namespace

QWidget* makeButton(const QString& text, DWORD style)
{
    const DWORD type = buttonType(style);
    if (type == BS_GROUPBOX) {
        auto* group = new GroupFrame(text);
        group->setAttribute(Qt::WA_TransparentForMouseEvents);
        return group;
    }
    if (isCheckBox(style)) {
        auto* box = new QCheckBox(text);
        box->setTristate(type == BS_3STATE || type == BS_AUTO3STATE);
        return box;
    }
    if (isRadio(style)) {
        auto* radio = new QRadioButton(text);
        radio->setAutoExclusive(false);
        return radio;
    }
    auto* button = new QPushButton(text);
    button->setAutoDefault(false);
    button->setDefault(type == BS_DEFPUSHBUTTON);
    return button;
}

void wireButton(Window& window)
{
    auto* button = qobject_cast<QAbstractButton*>(window.widget.data());
    if (button == nullptr) {
        return;
    }
    const HWND hwnd = window.handle;
    QObject::connect(button, &QAbstractButton::clicked, button, [hwnd, button] {
        Window* w = findWindow(hwnd);
        if (w == nullptr) {
            return;
        }
        // A check box that does not check itself leaves its state to the program.
        if ((isCheckBox(w->style) || isRadio(w->style)) && !checksItself(w->style)) {
            const QSignalBlocker blocker(button);
            button->toggle();
        }
        notifyParent(*w, BN_CLICKED);
    });
}

LRESULT CALLBACK buttonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    Window* window = findWindow(hwnd);
    if (window == nullptr) {
        return 0;
    }
    auto* button = qobject_cast<QAbstractButton*>(window->widget.data());
    const bool notifies = (window->style & BS_NOTIFY) != 0;
    switch (message) {
    case BM_GETCHECK: return button != nullptr ? checkState(button) : 0;
    case BM_SETCHECK:
        if (button != nullptr) {
            setCheckState(button, wParam);
        }
        return 0;
    case BM_GETSTATE: {
        if (button == nullptr) {
            return 0;
        }
        LRESULT state = checkState(button);
        if (button->isDown()) {
            state |= BST_PUSHED;
        }
        if (button->hasFocus()) {
            state |= BST_FOCUS;
        }
        return state;
    }
    case BM_SETSTATE:
        if (button != nullptr) {
            button->setDown(wParam != 0);
        }
        return 0;
    case BM_CLICK:
        if (button != nullptr && button->isEnabled()) {
            button->click();
        }
        return 0;
    case BM_SETSTYLE:
        window->style = (window->style & ~0xFFFFu) | (wParam & 0xFFFF);
        if (auto* push = qobject_cast<QPushButton*>(button)) {
            push->setDefault(buttonType(window->style) == BS_DEFPUSHBUTTON);
        }
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        // A button holds the mouse from the press to the release.
        letQtHandle(*window, message, wParam, lParam);
        if (findWindow(hwnd) != nullptr && button != nullptr && button->isDown()) {
            captureFor(hwnd, false);
        }
        if (message == WM_LBUTTONDBLCLK && notifies && findWindow(hwnd) != nullptr) {
            notifyParent(*window, BN_DOUBLECLICKED);
        }
        return 0;
    case WM_LBUTTONUP:
        releaseCaptureOf(hwnd);
        letQtHandle(*window, message, wParam, lParam);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: return focusChange(*window, message, wParam, lParam, BN_SETFOCUS, BN_KILLFOCUS, notifies);
    default: return controlDefault(*window, message, wParam, lParam);
    }
}

} // namespace win32qt
