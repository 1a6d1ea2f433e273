// The user's hands on the Qt layer: QTest input on the widget that stands for a window.
#include "GuiDriver.h"

#include "platform/qt/EventBridge.h"
#include "platform/qt/WindowRecord.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <memory>
#include <stdexcept>

namespace gui {
namespace {

QWidget* widgetOf(HWND window)
{
    win32qt::Window* record = win32qt::findWindow(window);
    if (record == nullptr || record->widget == nullptr)
        throw std::runtime_error("no live window for this handle");
    return record->widget;
}

// QTest takes a null point for the middle of the widget; the corner is meant here.
QPoint clientPoint(int x, int y)
{
    return {x, y};
}

QAction* findMenuItem(QMenuBar* bar, int id, QMenu** popup)
{
    if (bar == nullptr)
        return nullptr;
    for (QAction* title : bar->actions()) {
        QMenu* menu = title->menu();
        if (menu == nullptr)
            continue;
        for (QAction* item : menu->actions()) {
            if (!item->isSeparator() && item->data().toInt() == id) {
                if (popup != nullptr)
                    *popup = menu;
                return item;
            }
        }
    }
    return nullptr;
}

} // namespace

void runSoon(std::function<void()> action)
{
    QTimer::singleShot(0, qApp, std::move(action));
}

void processEvents()
{
    // Repaints wait for the platform's next update tick, a frame at most.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    QTest::qWait(20);
}

void mousePress(HWND window, int x, int y, bool rightButton, bool shift)
{
    QTest::mousePress(widgetOf(window), rightButton ? Qt::RightButton : Qt::LeftButton,
                      shift ? Qt::ShiftModifier : Qt::NoModifier, clientPoint(x, y));
}

void mouseMove(HWND window, int x, int y)
{
    QTest::mouseMove(widgetOf(window), clientPoint(x, y));
}

void mouseRelease(HWND window, int x, int y, bool rightButton, bool shift)
{
    QTest::mouseRelease(widgetOf(window), rightButton ? Qt::RightButton : Qt::LeftButton,
                        shift ? Qt::ShiftModifier : Qt::NoModifier, clientPoint(x, y));
}

void click(HWND window)
{
    QTest::mouseClick(widgetOf(window), Qt::LeftButton);
}

void clickAt(HWND window, int x, int y)
{
    // Through the top-level window, so that Qt looks for the widget under the mouse.
    QWidget* widget = widgetOf(window);
    QWidget* top = widget->window();
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {}, widget->mapTo(top, clientPoint(x, y)));
}

void quickClick(HWND window, int x, int y)
{
    QTest::mouseClick(widgetOf(window), Qt::LeftButton, {}, clientPoint(x, y));
}

void keyClick(HWND window, int virtualKey)
{
    const auto key = static_cast<Qt::Key>(win32qt::qtKeyOf(static_cast<UINT>(virtualKey)));
    // An open popup has the keyboard whichever widget holds the focus.
    if (QWidget* popup = QApplication::activePopupWidget()) {
        QTest::keyClick(popup->focusWidget() != nullptr ? popup->focusWidget() : popup, key);
        return;
    }
    SetFocus(window);
    QTest::keyClick(widgetOf(window), key);
}

void typeText(HWND window, const char* text)
{
    SetFocus(window);
    QWidget* widget = widgetOf(window);
    for (const QChar character : QString::fromUtf8(text)) {
        if (character.unicode() < 0x80) {
            QTest::keyClicks(widget, QString(character));
            continue;
        }
        // What an input method commits arrives as text without a key.
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(character));
        QApplication::sendEvent(widget, &press);
    }
}

COLORREF shownPixel(HWND window, int x, int y)
{
    const QRgb pixel = widgetOf(window)->grab().toImage().pixel(x, y);
    return RGB(qRed(pixel), qGreen(pixel), qBlue(pixel));
}

void clickCloseBox(HWND window)
{
    win32qt::Window* record = win32qt::findWindow(window);
    if (record != nullptr && record->frame != nullptr)
        record->frame->close();
}

bool chooseMenuItem(HWND window, int id)
{
    win32qt::Window* record = win32qt::findWindow(window);
    if (record == nullptr)
        return false;
    QMenu* popup = nullptr;
    QAction* item = findMenuItem(record->menuBar, id, &popup);
    if (item == nullptr)
        return false;
    // Open the menu by its title, then click the item, as the user does.
    QMenuBar* bar = record->menuBar;
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(popup->menuAction()).center());
    if (!popup->isVisible())
        return false;
    QTest::mouseClick(popup, Qt::LeftButton, {}, popup->actionGeometry(item).center());
    return true;
}

std::string menuItemText(HWND window, int id)
{
    win32qt::Window* record = win32qt::findWindow(window);
    QAction* item = record != nullptr ? findMenuItem(record->menuBar, id, nullptr) : nullptr;
    return item != nullptr ? item->text().toStdString() : std::string();
}

std::string activeMessageBoxCaption()
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    return box != nullptr ? box->windowTitle().toStdString() : std::string();
}

std::string activeMessageBoxText()
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    return box != nullptr ? box->text().toStdString() : std::string();
}

bool pressMessageBoxButton(int id)
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr)
        return false;
    for (QAbstractButton* button : box->buttons()) {
        if (button->property("win32qt.buttonId").toInt() == id) {
            QTest::mouseClick(button, Qt::LeftButton);
            return true;
        }
    }
    return false;
}

struct Watchdog::State {
    std::unique_ptr<QTimer> timer;
    bool fired = false;
};

Watchdog::Watchdog(int milliseconds, std::function<void()> rescue) : state_(new State)
{
    state_->timer = std::make_unique<QTimer>();
    state_->timer->setSingleShot(true);
    State* state = state_;
    QObject::connect(state_->timer.get(), &QTimer::timeout, [state, rescue] {
        state->fired = true;
        rescue();
    });
    state_->timer->start(milliseconds);
}

Watchdog::~Watchdog()
{
    delete state_;
}

bool Watchdog::fired() const
{
    return state_->fired;
}

} // namespace gui
