// Painting: device contexts over QPainter during WM_PAINT, brushes and colours.
#include <QImage>
#include <QPaintEvent>
#include <QPainter>

#include <memory>
#include <set>

#include "platform/qt/Controls.h"
#include "platform/qt/EventBridge.h"
#include "platform/qt/WindowRecord.h"
#include "platform/win32.h"

using namespace win32qt;

namespace {

struct Brush {
    COLORREF colour;
    bool hollow;
};

struct DeviceContext {
    HWND hwnd = nullptr;
    std::unique_ptr<QPainter> painter; // BeginPaint inside Qt's paint event
    QImage* retained = nullptr;        // what the painter draws on, when the window keeps it
    QImage image;                      // GetDC: what the window shows now
    bool imageTaken = false;
    bool validateOnly = false; // BeginPaint outside Qt's paint event: nothing to draw on
};

std::set<DeviceContext*>& liveContexts()
{
    static std::set<DeviceContext*> contexts;
    return contexts;
}

std::set<Brush*>& createdBrushes()
{
    static std::set<Brush*> brushes;
    return brushes;
}

Brush stockBrushes[] = {
    {RGB(255, 255, 255), false}, // WHITE_BRUSH
    {RGB(192, 192, 192), false}, // LTGRAY_BRUSH
    {RGB(128, 128, 128), false}, // GRAY_BRUSH
    {RGB(64, 64, 64), false},    // DKGRAY_BRUSH
    {RGB(0, 0, 0), false},       // BLACK_BRUSH
    {0, true},                   // NULL_BRUSH
};

constexpr int systemColourCount = 31;

Brush systemBrushes[systemColourCount];

DeviceContext* contextOf(HDC dc)
{
    auto* context = reinterpret_cast<DeviceContext*>(dc);
    return liveContexts().count(context) != 0 ? context : nullptr;
}

bool isStockBrush(const void* object)
{
    for (const Brush& brush : stockBrushes) {
        if (object == &brush) {
            return true;
        }
    }
    return object >= static_cast<const void*>(systemBrushes) &&
           object < static_cast<const void*>(systemBrushes + systemColourCount);
}

// A brush handle: a stock or created brush, or a system colour index + 1.
bool brushColour(HBRUSH handle, QColor* colour)
{
    const auto value = reinterpret_cast<ULONG_PTR>(handle);
    if (value >= 1 && value <= static_cast<ULONG_PTR>(systemColourCount)) {
        const COLORREF c = GetSysColor(static_cast<int>(value - 1));
        *colour = QColor(GetRValue(c), GetGValue(c), GetBValue(c));
        return true;
    }
    auto* brush = reinterpret_cast<Brush*>(handle);
    if (!isStockBrush(brush) && createdBrushes().count(brush) == 0) {
        return false;
    }
    if (brush->hollow) {
        *colour = QColor(Qt::transparent);
        return true;
    }
    *colour = QColor(GetRValue(brush->colour), GetGValue(brush->colour), GetBValue(brush->colour));
    return true;
}

QImage& contextImage(DeviceContext& context)
{
    if (!context.imageTaken) {
        context.imageTaken = true;
        if (Window* window = findWindow(context.hwnd); window != nullptr && window->widget != nullptr) {
            // Through the top-level window, so that what shows through the window is there.
            QWidget* widget = window->widget;
            QWidget* top = widget->window();
            context.image = top->grab(QRect(widget->mapTo(top, QPoint(0, 0)), widget->size())).toImage();
        }
    }
    return context.image;
}

} // namespace

HDC WINAPI BeginPaint(HWND hwnd, LPPAINTSTRUCT paint)
{
    Window* window = findWindow(hwnd);
    if (window == nullptr || paint == nullptr) {
        return nullptr;
    }
    *paint = PAINTSTRUCT{};
    auto* context = new DeviceContext;
    context->hwnd = hwnd;
    QRect area = window->widget->rect();
    if (QPaintEvent* event = paintEventInFlight(*window)) {
        area = event->rect();
        context->retained = retainedInside(window->widget.data());
        if (context->retained != nullptr) {
            context->painter = std::make_unique<QPainter>(context->retained);
            context->painter->setClipRect(area);
        } else {
            context->painter = std::make_unique<QPainter>(window->widget.data());
        }
    } else {
        // Outside Qt's paint event there is nothing to draw on: the window is only
        // validated, and what it reports is what was invalid (nothing, or all of it).
        context->validateOnly = true;
        if (!window->needsPaint) {
            area = QRect();
        }
    }
    window->needsPaint = false;
    liveContexts().insert(context);
    paint->hdc = reinterpret_cast<HDC>(context);
    paint->rcPaint = RECT{area.left(), area.top(), area.left() + area.width(), area.top() + area.height()};
    paint->fErase = FALSE;
    return paint->hdc;
}

BOOL WINAPI EndPaint(HWND hwnd, const PAINTSTRUCT* paint)
{
    (void)hwnd;
    if (paint == nullptr) {
        return FALSE;
    }
    // EndPaint always succeeds on Windows; a context already ended is left alone.
    DeviceContext* context = contextOf(paint->hdc);
    if (context == nullptr) {
        return TRUE;
    }
    liveContexts().erase(context);
    if (context->retained != nullptr) {
        context->painter.reset();
        Window* window = findWindow(context->hwnd);
        if (window != nullptr && paintEventInFlight(*window) != nullptr) {
            QPainter(window->widget.data()).drawImage(0, 0, *context->retained);
        }
    }
    delete context;
    return TRUE;
}

BOOL WINAPI InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase)
{
    (void)erase;
    if (hwnd == nullptr) {
        for (Window* window : liveWindows()) {
            window->needsPaint = true;
            window->widget->update();
        }
        return TRUE;
    }
    Window* window = findWindow(hwnd);
    if (window == nullptr) {
        return FALSE;
    }
    window->needsPaint = true;
    if (rect == nullptr) {
        window->widget->update();
    } else {
        window->widget->update(QRect(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top));
    }
    return TRUE;
}

BOOL WINAPI ValidateRect(HWND hwnd, const RECT* rect)
{
    (void)rect;
    Window* window = findWindow(hwnd);
    if (window == nullptr) {
        return FALSE;
    }
    window->needsPaint = false;
    return TRUE;
}

BOOL WINAPI UpdateWindow(HWND hwnd)
{
    Window* window = findWindow(hwnd);
    if (window == nullptr) {
        return FALSE;
    }
    if (window->needsPaint && window->widget->isVisible()) {
        window->widget->repaint();
    }
    return TRUE;
}

HDC WINAPI GetDC(HWND hwnd)
{
    if (hwnd != nullptr && findWindow(hwnd) == nullptr) {
        return nullptr;
    }
    auto* context = new DeviceContext;
    context->hwnd = hwnd;
    liveContexts().insert(context);
    return reinterpret_cast<HDC>(context);
}

int WINAPI ReleaseDC(HWND hwnd, HDC dc)
{
    (void)hwnd;
    DeviceContext* context = contextOf(dc);
    if (context == nullptr || context->painter != nullptr || context->validateOnly) {
        return 0;
    }
    liveContexts().erase(context);
    delete context;
    return 1;
}

COLORREF WINAPI GetPixel(HDC dc, int x, int y)
{
    DeviceContext* context = contextOf(dc);
    if (context == nullptr || context->painter != nullptr || context->validateOnly) {
        return CLR_INVALID;
    }
    const QImage& image = contextImage(*context);
    if (!image.valid(x, y)) {
        return CLR_INVALID;
    }
    const QColor colour = image.pixelColor(x, y);
    return RGB(colour.red(), colour.green(), colour.blue());
}

int WINAPI FillRect(HDC dc, const RECT* rect, HBRUSH brush)
{
    DeviceContext* context = contextOf(dc);
    QColor colour;
    if (context == nullptr || rect == nullptr || !brushColour(brush, &colour)) {
        return 0;
    }
    if (rect->right <= rect->left || rect->bottom <= rect->top || colour.alpha() == 0) {
        return 1;
    }
    const QRect area(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
    if (context->painter != nullptr) {
        context->painter->fillRect(area, colour);
    } else if (!context->validateOnly) {
        QImage& image = contextImage(*context);
        if (!image.isNull()) {
            QPainter painter(&image);
            painter.fillRect(area, colour);
        }
    }
    return 1;
}

HGDIOBJ WINAPI GetStockObject(int object)
{
    if (object >= WHITE_BRUSH && object <= NULL_BRUSH) {
        return &stockBrushes[object];
    }
    return nullptr;
}

HBRUSH WINAPI CreateSolidBrush(COLORREF colour)
{
    auto* brush = new Brush{colour & 0x00FFFFFF, false};
    createdBrushes().insert(brush);
    return reinterpret_cast<HBRUSH>(brush);
}

BOOL WINAPI DeleteObject(HGDIOBJ object)
{
    auto* brush = static_cast<Brush*>(object);
    if (createdBrushes().erase(brush) != 0) {
        delete brush;
        return TRUE;
    }
    return isStockBrush(object) ? TRUE : FALSE;
}

DWORD WINAPI GetSysColor(int index)
{
    switch (index) {
    case COLOR_BACKGROUND: return RGB(58, 110, 165);
    case COLOR_WINDOW: return RGB(255, 255, 255);
    case COLOR_WINDOWTEXT:
    case COLOR_MENUTEXT:
    case COLOR_BTNTEXT:
    case COLOR_CAPTIONTEXT: return RGB(0, 0, 0);
    case COLOR_BTNFACE:
    case COLOR_MENU: return RGB(240, 240, 240);
    case COLOR_BTNSHADOW:
    case COLOR_GRAYTEXT: return RGB(160, 160, 160);
    case COLOR_BTNHIGHLIGHT: return RGB(255, 255, 255);
    case COLOR_ACTIVECAPTION: return RGB(153, 180, 209);
    case COLOR_INACTIVECAPTION: return RGB(191, 205, 219);
    case COLOR_SCROLLBAR: return RGB(200, 200, 200);
    case COLOR_WINDOWFRAME: return RGB(100, 100, 100);
    default: return 0;
    }
}

HBRUSH WINAPI GetSysColorBrush(int index)
{
    if (index < 0 || index >= systemColourCount) {
        return nullptr;
    }
    systemBrushes[index] = Brush{GetSysColor(index), false};
    return reinterpret_cast<HBRUSH>(&systemBrushes[index]);
}
