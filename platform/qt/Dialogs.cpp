#include "platform/qt/Dialogs.h"

#include <QAction>
#include <QFontMetrics>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <QPushButton>

#include <memory>
#include <vector>

#include "platform/qt/Controls.h"
#include "platform/qt/EventBridge.h"
#include "platform/qt/MessageQueue.h"

namespace win32qt {

namespace {

int mulDiv(int number, int numerator, int denominator)
{
    const long long product = static_cast<long long>(number) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

std::vector<std::unique_ptr<QFont>>& fontHandles()
{
    static std::vector<std::unique_ptr<QFont>> fonts;
    return fonts;
}

HFONT fontHandle(const QFont& font)
{
    for (auto& known : fontHandles()) {
        if (*known == font) {
            return reinterpret_cast<HFONT>(known.get());
        }
    }
    fontHandles().push_back(std::make_unique<QFont>(font));
    return reinterpret_cast<HFONT>(fontHandles().back().get());
}

Qt::WindowFlags frameFlags(DWORD style)
{
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint;
    if ((style & WS_CAPTION) == WS_CAPTION) {
        flags |= Qt::WindowTitleHint;
    }
    if (style & WS_SYSMENU) {
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    }
    if (style & WS_MINIMIZEBOX) {
        flags |= Qt::WindowMinimizeButtonHint;
    }
    if (style & WS_MAXIMIZEBOX) {
        flags |= Qt::WindowMaximizeButtonHint;
    }
    if (!(style & WS_THICKFRAME)) {
        flags |= Qt::MSWindowsFixedSizeDialogHint;
    }
    return flags;
}

void addMenuItems(QWidget* menu, const std::vector<MenuItemTemplate>& items, HWND hwnd)
{
    for (const MenuItemTemplate& item : items) {
        const QString text = QString::fromStdString(item.text);
        if (item.separator) {
            if (auto* popup = qobject_cast<QMenu*>(menu)) {
                popup->addSeparator();
            }
            continue;
        }
        if (item.popup) {
            QMenu* popup = nullptr;
            if (auto* bar = qobject_cast<QMenuBar*>(menu)) {
                popup = bar->addMenu(text);
            } else {
                popup = static_cast<QMenu*>(menu)->addMenu(text);
            }
            popup->setEnabled(!item.grayed);
            addMenuItems(popup, item.items, hwnd);
            continue;
        }
        QAction* action = new QAction(text, menu);
        action->setData(item.id);
        action->setEnabled(!item.grayed);
        menu->addAction(action);
        const int id = item.id;
        // A chosen menu item arrives as a posted command, after the menu has closed.
        QObject::connect(action, &QAction::triggered, action,
                         [hwnd, id] { PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(id & 0xFFFF, 0), 0); });
    }
}

Window* dialogWindow(HWND hwnd)
{
    Window* window = findWindow(hwnd);
    return window != nullptr && window->kind == WindowKind::Dialog ? window : nullptr;
}

HWND firstTabStop(Window& dialog)
{
    for (HWND child : dialog.children) {
        Window* control = findWindow(child);
        if (control != nullptr &&
            (currentStyle(*control) & (WS_TABSTOP | WS_VISIBLE | WS_DISABLED)) == (WS_TABSTOP | WS_VISIBLE)) {
            return child;
        }
    }
    return nullptr;
}

int defaultButtonId(Window& dialog)
{
    for (HWND child : dialog.children) {
        Window* control = findWindow(child);
        if (control != nullptr && control->kind == WindowKind::Button &&
            (control->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
            return control->id;
        }
    }
    return IDOK;
}

const DialogTemplate* findTemplate(LPCSTR templateName)
{
    if (!IS_INTRESOURCE(templateName)) {
        return nullptr; // the program's templates have numbers
    }
    return programResources().dialog(static_cast<int>(reinterpret_cast<ULONG_PTR>(templateName)));
}

HWND createDialog(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC dialogProc, LPARAM initParam, bool modal)
{
    const DialogTemplate* dialogTemplate = findTemplate(templateName);
    if (dialogTemplate == nullptr) {
        return nullptr;
    }
    Window* ownerWindow = findWindow(owner);
    if (ownerWindow != nullptr) {
        ownerWindow = topLevelOf(*ownerWindow);
    }

    const QFont font = dialogFont(*dialogTemplate);
    const QSize baseUnits = dialogBaseUnits(font);
    const QRect area =
        dialogUnitsToPixels(dialogTemplate->x, dialogTemplate->y, dialogTemplate->cx, dialogTemplate->cy, baseUnits);

    QWidget* frameParent = ownerWindow != nullptr ? ownerWindow->frame.data() : nullptr;
    auto* frame = new QWidget(frameParent, frameFlags(dialogTemplate->style));
    frame->setWindowTitle(QString::fromStdString(dialogTemplate->caption));
    auto* client = new QWidget(frame);
    client->setFont(font);
    client->setAutoFillBackground(true);
    QPalette palette = client->palette();
    palette.setColor(QPalette::Window,
                     QColor(GetRValue(GetSysColor(COLOR_BTNFACE)), GetGValue(GetSysColor(COLOR_BTNFACE)),
                            GetBValue(GetSysColor(COLOR_BTNFACE))));
    client->setPalette(palette);

    Window& dialog = registerWindow(WindowKind::Dialog, client, frame);
    dialog.proc = DefDlgProcA;
    dialog.classProc = DefDlgProcA;
    dialog.dialogProc = dialogProc;
    dialog.style = dialogTemplate->style & ~WS_VISIBLE;
    dialog.exStyle = dialogTemplate->exStyle;
    dialog.parent = ownerWindow != nullptr ? ownerWindow->handle : nullptr;
    dialog.instance = instance;
    dialog.modal = modal;
    const HWND hwnd = dialog.handle;

    int menuHeight = 0;
    if (const MenuTemplate* menu = programResources().menu(dialogTemplate->menuId)) {
        auto* bar = new QMenuBar(frame);
        bar->setFont(font);
        addMenuItems(bar, menu->items, hwnd);
        menuHeight = bar->sizeHint().height();
        bar->setGeometry(0, 0, area.width(), menuHeight);
        dialog.menuBar = bar;
    }
    client->setGeometry(0, menuHeight, area.width(), area.height());
    frame->setFixedSize(area.width(), area.height() + menuHeight);
    QPoint origin = area.topLeft();
    if (ownerWindow != nullptr && ownerWindow->widget != nullptr) {
        origin += ownerWindow->widget->mapToGlobal(QPoint(0, 0));
    }
    frame->move(origin);
    attachEventBridge(dialog);

    const HFONT hfont = fontHandle(font);
    SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(hfont), FALSE);
    for (const ControlTemplate& controlTemplate : dialogTemplate->controls) {
        Window* still = findWindow(hwnd);
        if (still == nullptr) {
            return nullptr;
        }
        const ControlClass* controlClass = findControlClass(QString::fromStdString(controlTemplate.className));
        if (controlClass == nullptr) {
            DestroyWindow(hwnd);
            return nullptr;
        }
        const QRect geometry = dialogUnitsToPixels(controlTemplate.x, controlTemplate.y, controlTemplate.cx,
                                                   controlTemplate.cy, baseUnits);
        Window* control = createControl(*controlClass, *still, QString::fromStdString(controlTemplate.text),
                                        controlTemplate.style, controlTemplate.exStyle, geometry, controlTemplate.id);
        SendMessageA(control->handle, WM_SETFONT, reinterpret_cast<WPARAM>(hfont), FALSE);
    }

    Window* created = findWindow(hwnd);
    if (created == nullptr) {
        return nullptr;
    }
    const HWND focusTarget = firstTabStop(*created);
    const LRESULT wantsFocus = SendMessageA(hwnd, WM_INITDIALOG, reinterpret_cast<WPARAM>(focusTarget), initParam);
    if (findWindow(hwnd) == nullptr) {
        return nullptr;
    }
    if (wantsFocus != 0 && focusTarget != nullptr) {
        SetFocus(focusTarget);
    }
    if ((dialogTemplate->style & WS_VISIBLE) && !created->ended) {
        ShowWindow(hwnd, SW_SHOWNORMAL);
    }
    return hwnd;
}

} // namespace

QFont dialogFont(const DialogTemplate& dialogTemplate)
{
    QFont font;
    if (!dialogTemplate.fontName.empty()) {
        font = QFont(QString::fromStdString(dialogTemplate.fontName));
    }
    const int points = dialogTemplate.fontSize > 0 ? dialogTemplate.fontSize : 9;
    font.setPixelSize(mulDiv(points, 96, 72));
    return font;
}

QSize dialogBaseUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int alphabetWidth =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return QSize((alphabetWidth / 26 + 1) / 2, metrics.height());
}

QRect dialogUnitsToPixels(int x, int y, int cx, int cy, QSize baseUnits)
{
    return QRect(mulDiv(x, baseUnits.width(), 4), mulDiv(y, baseUnits.height(), 8), mulDiv(cx, baseUnits.width(), 4),
                 mulDiv(cy, baseUnits.height(), 8));
}

bool dialogNavigates(Window& window)
{
    Window* top = topLevelOf(window);
    return top != nullptr && top->kind == WindowKind::Dialog && top->modal;
}

bool handleDialogKey(Window& window, UINT virtualKey)
{
    if (!dialogNavigates(window) || (virtualKey != VK_ESCAPE && virtualKey != VK_RETURN)) {
        return false;
    }
    Window* dialog = topLevelOf(window);
    const HWND hwnd = dialog->handle;
    if (virtualKey == VK_ESCAPE) {
        SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(hwnd, IDCANCEL)));
        return true;
    }
    int id = defaultButtonId(*dialog);
    // A push button with the focus is the default button while it has it.
    if (window.kind == WindowKind::Button && qobject_cast<QPushButton*>(window.widget.data()) != nullptr) {
        id = window.id;
    }
    const HWND button = GetDlgItem(hwnd, id);
    if (button != nullptr && !IsWindowEnabled(button)) {
        return true;
    }
    SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return true;
}

} // namespace win32qt

using namespace win32qt;

LRESULT WINAPI DefDlgProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    Window* dialog = dialogWindow(hwnd);
    if (dialog == nullptr) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    dialog->dialogResult = 0;
    INT_PTR handled = 0;
    if (dialog->dialogProc != nullptr) {
        handled = dialog->dialogProc(hwnd, message, wParam, lParam);
    }
    dialog = dialogWindow(hwnd);
    if (dialog == nullptr) {
        return handled;
    }
    if (handled != 0) {
        switch (message) {
        case WM_INITDIALOG:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC: return handled;
        default: return dialog->dialogResult;
        }
    }
    switch (message) {
    case WM_INITDIALOG: return 0;
    case WM_CLOSE: {
        // Closing a dialog is its Cancel button, posted, unless that button is disabled.
        const HWND cancel = GetDlgItem(hwnd, IDCANCEL);
        if (cancel == nullptr || IsWindowEnabled(cancel)) {
            PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
        }
        return 0;
    }
    case DM_GETDEFID: return MAKELRESULT(defaultButtonId(*dialog), DC_HASDEFID);
    default: return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

HWND WINAPI CreateDialogParamA(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC dialogProc,
                               LPARAM initParam)
{
    return createDialog(instance, templateName, owner, dialogProc, initParam, false);
}

INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC dialogProc,
                               LPARAM initParam)
{
    const HWND hwnd = createDialog(instance, templateName, owner, dialogProc, initParam, true);
    if (hwnd == nullptr) {
        return -1;
    }
    Window* dialog = findWindow(hwnd);
    const HWND ownerHandle = dialog->parent;
    if (ownerHandle != nullptr && IsWindowEnabled(ownerHandle)) {
        EnableWindow(ownerHandle, FALSE);
        dialog = findWindow(hwnd);
        if (dialog == nullptr) {
            return -1;
        }
        dialog->disabledOwner = true;
    }
    if (!dialog->ended) {
        dialog->frame->setWindowModality(ownerHandle != nullptr ? Qt::WindowModal : Qt::ApplicationModal);
        ShowWindow(hwnd, SW_SHOWNORMAL);
    }

    bool quit = false;
    int quitCode = 0;
    while (true) {
        dialog = findWindow(hwnd);
        if (dialog == nullptr || dialog->ended) {
            break;
        }
        MSG msg;
        if (takePostedMessage(&msg, nullptr, 0, 0, true)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                quitCode = static_cast<int>(msg.wParam);
                break;
            }
            if (!IsDialogMessageA(hwnd, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            continue;
        }
        waitForEvents();
    }

    INT_PTR result = -1;
    dialog = findWindow(hwnd);
    if (dialog != nullptr) {
        result = dialog->ended ? dialog->endResult : -1;
        if (dialog->disabledOwner) {
            dialog->disabledOwner = false;
            EnableWindow(ownerHandle, TRUE);
        }
    }
    if (dialog != nullptr) {
        DestroyWindow(hwnd);
    }
    if (quit) {
        PostQuitMessage(quitCode); // the loop outside must end too
    }
    return result;
}

BOOL WINAPI EndDialog(HWND hwnd, INT_PTR result)
{
    Window* dialog = dialogWindow(hwnd);
    if (dialog == nullptr) {
        return FALSE;
    }
    dialog->ended = true;
    dialog->endResult = result;
    if (dialog->disabledOwner) {
        dialog->disabledOwner = false;
        EnableWindow(dialog->parent, TRUE);
    }
    if (dialog->frame != nullptr) {
        dialog->frame->hide();
    }
    wakeMessageLoop();
    return TRUE;
}

BOOL WINAPI IsDialogMessageA(HWND dialog, LPMSG msg)
{
    Window* window = dialogWindow(dialog);
    if (window == nullptr || msg == nullptr || msg->hwnd == nullptr) {
        return FALSE;
    }
    Window* target = findWindow(msg->hwnd);
    if (target == nullptr || topLevelOf(*target) != window) {
        return FALSE;
    }
    if (msg->message == WM_KEYDOWN && (msg->wParam == VK_ESCAPE || msg->wParam == VK_RETURN) &&
        handleDialogKey(*target, static_cast<UINT>(msg->wParam))) {
        return TRUE;
    }
    DispatchMessageA(msg);
    return TRUE;
}

HMENU WINAPI GetMenu(HWND hwnd)
{
    Window* window = findWindow(hwnd);
    if (window == nullptr || window->menuBar == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<HMENU>(window->menuBar);
}
