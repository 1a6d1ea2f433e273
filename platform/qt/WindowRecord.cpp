#include "platform/qt/WindowRecord.h"

#include <QHash>

#include <algorithm>
#include <cstring>
#include <memory>

namespace win32qt {

namespace {

// Handles are never reused, so a stale handle stays invalid instead of naming a
// newer window.
constexpr std::uintptr_t firstHandle = 0x10000;
constexpr std::uintptr_t handleStep = 4;

std::vector<std::unique_ptr<Window>>& records()
{
    static std::vector<std::unique_ptr<Window>> all;
    return all;
}

QHash<const QWidget*, Window*>& widgetIndex()
{
    static QHash<const QWidget*, Window*> index;
    return index;
}

int depth = 0;
std::vector<QPointer<QWidget>> pendingDeletes;

} // namespace

Window* findWindow(HWND hwnd)
{
    const auto value = reinterpret_cast<std::uintptr_t>(hwnd);
    if (value < firstHandle || (value - firstHandle) % handleStep != 0) {
        return nullptr;
    }
    const std::size_t index = (value - firstHandle) / handleStep;
    auto& all = records();
    if (index >= all.size() || !all[index]->alive) {
        return nullptr;
    }
    return all[index].get();
}

Window* windowOfWidget(const QWidget* widget)
{
    return widgetIndex().value(widget, nullptr);
}

Window* enclosingWindow(const QWidget* widget)
{
    for (const QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        if (Window* window = windowOfWidget(w)) {
            return window;
        }
    }
    return nullptr;
}

Window& registerWindow(WindowKind kind, QWidget* widget, QWidget* frame)
{
    auto& all = records();
    auto record = std::make_unique<Window>();
    record->handle = reinterpret_cast<HWND>(firstHandle + all.size() * handleStep);
    record->kind = kind;
    record->widget = widget;
    record->frame = frame != nullptr ? frame : widget;
    widgetIndex().insert(widget, record.get());
    all.push_back(std::move(record));
    return *all.back();
}

void unregisterWindow(Window& window)
{
    window.alive = false;
    widgetIndex().remove(window.widget.data());
}

Window* topLevelOf(Window& window)
{
    Window* current = &window;
    while (current->isChild()) {
        Window* parent = findWindow(current->parent);
        if (parent == nullptr) {
            break;
        }
        current = parent;
    }
    return current;
}

std::vector<Window*> liveWindows()
{
    std::vector<Window*> live;
    for (auto& record : records()) {
        if (record->alive) {
            live.push_back(record.get());
        }
    }
    return live;
}

LRESULT callProc(Window& window, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC proc = window.proc;
    if (proc == nullptr) {
        return 0;
    }
    return proc(window.handle, message, wParam, lParam);
}

void notifyParent(Window& control, int code)
{
    Window* parent = findWindow(control.parent);
    if (parent == nullptr) {
        return;
    }
    const WPARAM wParam = MAKEWPARAM(control.id & 0xFFFF, code & 0xFFFF);
    callProc(*parent, WM_COMMAND, wParam, reinterpret_cast<LPARAM>(control.handle));
}

HandlerScope::HandlerScope()
{
    ++depth;
}

HandlerScope::~HandlerScope()
{
    --depth;
}

int handlerDepth()
{
    return depth;
}

void deleteWidgetSafely(QWidget* widget)
{
    if (widget == nullptr) {
        return;
    }
    if (depth == 0) {
        delete widget;
    } else {
        widget->hide();
        pendingDeletes.emplace_back(widget);
    }
}

void deletePendingWidgets()
{
    if (depth != 0) {
        return;
    }
    auto pending = std::move(pendingDeletes);
    pendingDeletes.clear();
    for (auto& widget : pending) {
        delete widget.data();
    }
}

QString fromUtf8(LPCSTR text)
{
    return text == nullptr ? QString() : QString::fromUtf8(text);
}

int copyText(const std::string& text, LPSTR buffer, int bufferSize)
{
    if (buffer == nullptr || bufferSize <= 0) {
        return 0;
    }
    std::size_t length = std::min<std::size_t>(text.size(), static_cast<std::size_t>(bufferSize) - 1);
    // Never leave half of a multi-byte character at the end.
    if (length < text.size()) {
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) {
            --length;
        }
    }
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return static_cast<int>(length);
}

} // namespace win32qt
