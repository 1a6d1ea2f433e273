// Static texts and frames ("STATIC").
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPalette>

#include "platform/qt/Controls.h"
#include "platform/qt/EventBridge.h"

namespace win32qt {

namespace {

DWORD staticType(DWORD style)
{
    return style & SS_TYPEMASK;
}

bool isFrame(DWORD style)
{
    const DWORD type = staticType(style);
    return type >= SS_BLACKRECT && type <= SS_WHITEFRAME;
}

// "&x" marks a mnemonic and "&&" stands for "&", unless SS_NOPREFIX.
QString displayText(const QString& text, DWORD style)
{
    if (style & SS_NOPREFIX) {
        return text;
    }
    QString shown;
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('&')) {
                shown += QLatin1Char('&');
                ++i;
            }
            continue;
        }
        shown += text[i];
    }
    return shown;
}

// A hollow frame draws only its frame: inside, what was last painted there stays, as
// the system leaves it (the class has no background brush).
class HollowFrame : public QLabel {
public:
    QImage* inside()
    {
        if (size().isEmpty()) {
            return nullptr;
        }
        if (retained_.size() != size()) {
            QImage resized(size(), QImage::Format_ARGB32_Premultiplied);
            resized.fill(Qt::transparent);
            if (!retained_.isNull()) {
                QPainter(&resized).drawImage(0, 0, retained_);
            }
            retained_ = std::move(resized);
        }
        return &retained_;
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        if (!retained_.isNull()) {
            QPainter(this).drawImage(0, 0, retained_);
        }
        QLabel::paintEvent(event);
    }

private:
    // Transparent where nothing was painted: there the parent shows, which painted
    // its own background beneath.
    QImage retained_;
};

} // namespace

QImage* retainedInside(QWidget* widget)
{
    auto* frame = dynamic_cast<HollowFrame*>(widget);
    return frame != nullptr ? frame->inside() : nullptr;
}

QWidget* makeStatic(const QString& text, DWORD style)
{
    const DWORD type = staticType(style);
    QLabel* label = isFrame(style) && type > SS_WHITERECT ? new HollowFrame : new QLabel;
    label->setTextFormat(Qt::PlainText);
    if (isFrame(style)) {
        const bool filled = type <= SS_WHITERECT;
        const QColor colour = (type == SS_BLACKRECT || type == SS_BLACKFRAME) ? QColor(0, 0, 0)
                              : (type == SS_GRAYRECT || type == SS_GRAYFRAME) ? QColor(128, 128, 128)
                                                                              : QColor(255, 255, 255);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, colour);
        palette.setColor(QPalette::Window, colour);
        label->setPalette(palette);
        label->setFrameStyle(QFrame::Box | QFrame::Plain);
        label->setLineWidth(1);
        label->setAutoFillBackground(filled);
    } else {
        Qt::Alignment alignment = Qt::AlignTop;
        if (type == SS_CENTER) {
            alignment = Qt::AlignTop | Qt::AlignHCenter;
        } else if (type == SS_RIGHT) {
            alignment = Qt::AlignTop | Qt::AlignRight;
        }
        if (style & SS_CENTERIMAGE) {
            alignment = (alignment & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter;
        }
        label->setAlignment(alignment);
        label->setWordWrap(type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT);
        if (type == SS_ETCHEDFRAME) {
            label->setFrameStyle(QFrame::Box | QFrame::Sunken);
        }
    }
    if (style & SS_SUNKEN) {
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setLineWidth(1);
    }
    // A static that does not notify lets the mouse through to the window beneath it.
    if (!(style & SS_NOTIFY)) {
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    setStaticText(label, style, text);
    return label;
}

void setStaticText(QWidget* widget, DWORD style, const QString& text)
{
    auto* label = qobject_cast<QLabel*>(widget);
    if (label == nullptr) {
        return;
    }
    label->setProperty("win32qt.text", text);
    if (!isFrame(style)) {
        label->setText(displayText(text, style));
    }
}

LRESULT CALLBACK staticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    Window* window = findWindow(hwnd);
    if (window == nullptr) {
        return 0;
    }
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        letQtHandle(*window, message, wParam, lParam);
        if ((window->style & SS_NOTIFY) && findWindow(hwnd) != nullptr) {
            notifyParent(*window, message == WM_LBUTTONDOWN ? STN_CLICKED : STN_DBLCLK);
        }
        return 0;
    default: return controlDefault(*window, message, wParam, lParam);
    }
}

} // namespace win32qt
