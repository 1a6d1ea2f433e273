// Combo boxes ("COMBOBOX"); the program uses drop-down lists.
//
// The list keeps its texts in one compact store (ComboEntries) that Qt's view reads
// through a light model; the view learns of new entries in one batch the next time it
// looks (a paint, the drop-down, a key), since the drum map dialog fills 128 lists of
// up to 16384 entries each.
#include <QAbstractListModel>
#include <QAbstractItemView>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QListView>
#include <QTimer>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/qt/ComboEntries.h"
#include "platform/qt/Controls.h"
#include "platform/qt/EventBridge.h"

namespace win32qt {

namespace {

// Shows the entries to Qt's view, one row per entry, made into a QString only when the
// view asks for a row.
class ComboItems : public QAbstractListModel {
public:
    int rowCount(const QModelIndex& parent = QModelIndex()) const override { return parent.isValid() ? 0 : announced_; }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= announced_) {
            return {};
        }
        if (role == Qt::DisplayRole || role == Qt::EditRole) {
            return QString::fromUtf8(entries_.text(index.row()));
        }
        return {};
    }

    int count() const { return entries_.count(); }
    const char* text(int index) const { return entries_.text(index); }
    LONG_PTR itemData(int index) const { return entries_.itemData(index); }
    void setItemData(int index, LONG_PTR value) { entries_.setItemData(index, value); }
    void reserve(std::size_t entries, std::size_t bytes) { entries_.reserve(entries, bytes); }

    // Appends without telling the view yet.
    int append(const char* text) { return entries_.append(text); }

    int insert(int index, const char* text)
    {
        announce();
        beginInsertRows(QModelIndex(), index, index);
        entries_.insert(index, text);
        ++announced_;
        endInsertRows();
        return index;
    }

    void remove(int index)
    {
        announce();
        beginRemoveRows(QModelIndex(), index, index);
        entries_.remove(index);
        --announced_;
        endRemoveRows();
    }

    void clear()
    {
        beginResetModel();
        entries_.clear();
        announced_ = 0;
        endResetModel();
    }

    // Tells the view of the entries appended since it last looked.
    void announce()
    {
        if (announced_ < count()) {
            beginInsertRows(QModelIndex(), announced_, count() - 1);
            announced_ = count();
            endInsertRows();
        }
    }

private:
    ComboEntries entries_;
    int announced_ = 0;
};

class ListComboBox : public QComboBox {
public:
    explicit ListComboBox(int listHeight) : listHeight_(listHeight)
    {
        setModel(&items_);
        setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        setMinimumContentsLength(1);
    }

    ComboItems& items() { return items_; }
    HWND hwnd = nullptr;
    bool dropped = false;

    // Entries appended while nothing looked must be visible to Qt before it acts.
    void announce()
    {
        const int before = currentIndex();
        items_.announce();
        // Qt selects the first entry of a list that was empty; Windows selects nothing.
        if (before == -1 && currentIndex() != -1) {
            setCurrentIndex(-1);
        }
    }

    void showPopup() override
    {
        announce();
        if (Window* w = findWindow(hwnd)) {
            notifyParent(*w, CBN_DROPDOWN);
        }
        if (findWindow(hwnd) == nullptr) {
            return;
        }
        auto* list = qobject_cast<QListView*>(view());
        if (list != nullptr) {
            list->setUniformItemSizes(true);
        }
        watchListKeys();
        const int itemHeight = std::max(1, fontMetrics().height() + 2);
        setMaxVisibleItems(std::max(1, (listHeight_ - height()) / itemHeight));
        dropped = true;
        QComboBox::showPopup();
        // With nothing selected nothing is highlighted: the first Down takes the first entry.
        if (currentIndex() < 0) {
            view()->selectionModel()->clearCurrentIndex();
        }
    }

    void hidePopup() override
    {
        QComboBox::hidePopup();
        if (!dropped) {
            return;
        }
        dropped = false;
        // Whether the list closed on a choice is known only when Qt reports the choice,
        // which comes right after this; without one the list was cancelled.
        closePending_ = true;
        const HWND handle = hwnd;
        QTimer::singleShot(0, this, [this, handle] {
            if (closePending_ && findWindow(handle) != nullptr) {
                closePending_ = false;
                notifyParent(*findWindow(handle), CBN_SELENDCANCEL);
                if (Window* w = findWindow(handle)) {
                    notifyParent(*w, CBN_CLOSEUP);
                }
            }
        });
    }

    // The user chose an entry: from the dropped list, or with a key or the wheel.
    void chosen(int index)
    {
        const HWND handle = hwnd;
        if (closePending_) {
            closePending_ = false;
            if (Window* w = findWindow(handle)) {
                notifyParent(*w, CBN_SELENDOK);
            }
            if (Window* w = findWindow(handle)) {
                notifyParent(*w, CBN_CLOSEUP);
            }
            // Keys in the list have announced their selection already.
            if (index != lastNotified_) {
                if (Window* w = findWindow(handle)) {
                    notifyParent(*w, CBN_SELCHANGE);
                }
            }
            return;
        }
        if (index != lastNotified_ || dropped) {
            // A choice made on the closed box is taken at once, as an accepted one from the list.
            if (!dropped) {
                if (Window* w = findWindow(handle)) {
                    notifyParent(*w, CBN_SELENDOK);
                }
            }
            if (Window* w = findWindow(handle)) {
                notifyParent(*w, CBN_SELCHANGE);
            }
        }
    }

    // The focus leaving ends the user's choosing as cancelled, and closes an open list.
    void focusLeft()
    {
        const HWND handle = hwnd;
        const bool wasDropped = dropped;
        if (dropped) {
            dropped = false;
            closePending_ = false;
            QComboBox::hidePopup();
        }
        if (Window* w = findWindow(handle)) {
            notifyParent(*w, CBN_SELENDCANCEL);
        }
        if (wasDropped) {
            if (Window* w = findWindow(handle)) {
                notifyParent(*w, CBN_CLOSEUP);
            }
        }
    }

    void rememberSelection() { lastNotified_ = currentIndex(); }

private:
    // In the dropped list, moving with the keys selects at once and says so, as the
    // system's list does; moving the mouse over it only highlights.
    class ListKeys : public QObject {
    public:
        explicit ListKeys(ListComboBox& combo) : QObject(&combo), combo_(combo) {}
        bool keyMoved = false;

    protected:
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::KeyPress) {
                const int key = static_cast<QKeyEvent*>(event)->key();
                keyMoved = key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
                           key == Qt::Key_PageDown || key == Qt::Key_Home || key == Qt::Key_End;
            }
            return false;
        }

    private:
        ListComboBox& combo_;
    };

    void watchListKeys()
    {
        if (listKeys_ != nullptr) {
            return;
        }
        listKeys_ = new ListKeys(*this);
        view()->installEventFilter(listKeys_);
        connect(view()->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& index) {
            if (!listKeys_->keyMoved || !dropped || !index.isValid()) {
                return;
            }
            listKeys_->keyMoved = false;
            setCurrentIndex(index.row());
            rememberSelection();
            if (Window* w = findWindow(hwnd)) {
                notifyParent(*w, CBN_SELCHANGE);
            }
        });
    }

    ListKeys* listKeys_ = nullptr;
    ComboItems items_;
    int listHeight_;
    bool closePending_ = false;
    int lastNotified_ = -1;
};

// Every combo-box window's widget is a ListComboBox (makeComboBox); the kind says so
// without a dynamic cast on each of the millions of messages a grid fill sends.
ListComboBox* comboOf(Window& window)
{
    return window.kind == WindowKind::ComboBox ? static_cast<ListComboBox*>(window.widget.data()) : nullptr;
}

std::string lowered(const std::string& text)
{
    std::string result = text;
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
    return result;
}

// The first entry from start + 1 on (wrapping round) that begins with (or equals) text,
// as the list's own search does, ignoring letter case.
int findEntry(ListComboBox& combo, WPARAM start, LPCSTR text, bool exact)
{
    const int count = combo.items().count();
    if (text == nullptr || count == 0) {
        return CB_ERR;
    }
    const std::string wanted = lowered(text);
    const int first = static_cast<int>(start) < 0 || static_cast<int>(start) >= count ? 0 : static_cast<int>(start) + 1;
    for (int n = 0; n < count; ++n) {
        const int i = (first + n) % count;
        const std::string entry = lowered(combo.items().text(i));
        if (exact ? entry == wanted : entry.compare(0, wanted.size(), wanted) == 0) {
            return i;
        }
    }
    return CB_ERR;
}

int sortedPosition(ListComboBox& combo, const std::string& text)
{
    const std::string key = lowered(text);
    int low = 0;
    int high = combo.items().count();
    while (low < high) {
        const int middle = (low + high) / 2;
        if (lowered(combo.items().text(middle)) <= key) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return low;
}

LRESULT select(ListComboBox& combo, int index)
{
    if (index < 0 || index >= combo.items().count()) {
        combo.setCurrentIndex(-1);
        combo.rememberSelection();
        return CB_ERR;
    }
    combo.announce();
    combo.setCurrentIndex(index);
    // An open list highlights the new selection, so the next key moves on from it.
    if (combo.dropped) {
        combo.view()->setCurrentIndex(combo.model()->index(index, 0));
    }
    combo.rememberSelection();
    return index;
}

} // namespace

QWidget* makeComboBox(DWORD style, int listHeight)
{
    auto* combo = new ListComboBox(listHeight);
    const DWORD type = style & 3;
    combo->setEditable(type == CBS_SIMPLE || type == CBS_DROPDOWN);
    return combo;
}

void wireComboBox(Window& window)
{
    ListComboBox* combo = comboOf(window);
    combo->hwnd = window.handle;
    QObject::connect(combo, &QComboBox::activated, combo, [combo](int index) {
        combo->chosen(index);
        combo->rememberSelection();
    });
}

QString comboText(QWidget* widget)
{
    auto* combo = dynamic_cast<ListComboBox*>(widget);
    if (combo == nullptr) {
        return {};
    }
    if (combo->isEditable()) {
        return combo->currentText();
    }
    const int index = combo->currentIndex();
    return index < 0 ? QString() : QString::fromUtf8(combo->items().text(index));
}

void setComboText(Window& window, const QString& text)
{
    ListComboBox* combo = comboOf(window);
    if (combo->isEditable()) {
        combo->setEditText(text);
        return;
    }
    // A drop-down list shows only its entries: the text selects the entry that equals it.
    const std::string wanted = text.toStdString();
    select(*combo, findEntry(*combo, static_cast<WPARAM>(-1), wanted.c_str(), true));
}

LRESULT CALLBACK comboBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    Window* window = findWindow(hwnd);
    ListComboBox* combo = window == nullptr ? nullptr : comboOf(*window);
    if (combo == nullptr) {
        return 0;
    }
    ComboItems& items = combo->items();
    switch (message) {
    case CB_ADDSTRING: {
        if (lParam == 0) {
            return CB_ERR;
        }
        const auto text = reinterpret_cast<LPCSTR>(lParam);
        if (window->style & CBS_SORT) {
            return items.insert(sortedPosition(*combo, text), text);
        }
        return items.append(text);
    }
    case CB_INSERTSTRING: {
        if (lParam == 0) {
            return CB_ERR;
        }
        const int index = static_cast<int>(wParam);
        if (index > items.count()) {
            return CB_ERR;
        }
        const auto text = reinterpret_cast<LPCSTR>(lParam);
        if (index < 0) {
            return items.append(text);
        }
        const int selected = combo->currentIndex();
        const LRESULT result = items.insert(index, text);
        if (selected == -1) {
            combo->setCurrentIndex(-1);
        }
        combo->rememberSelection();
        return result;
    }
    case CB_DELETESTRING: {
        const int index = static_cast<int>(wParam);
        if (index < 0 || index >= items.count()) {
            return CB_ERR;
        }
        items.remove(index);
        combo->rememberSelection();
        return items.count();
    }
    case CB_RESETCONTENT:
        items.clear();
        combo->setCurrentIndex(-1);
        combo->rememberSelection();
        return CB_OKAY;
    case CB_GETCOUNT: return items.count();
    case CB_GETCURSEL: {
        const int index = combo->currentIndex();
        return index < 0 ? CB_ERR : index;
    }
    case CB_SETCURSEL: return select(*combo, static_cast<int>(wParam));
    case CB_GETLBTEXT: {
        const int index = static_cast<int>(wParam);
        if (index < 0 || index >= items.count() || lParam == 0) {
            return CB_ERR;
        }
        // The caller's buffer holds at least CB_GETLBTEXTLEN + 1 bytes, as on Windows.
        const std::size_t length = std::strlen(items.text(index));
        std::memcpy(reinterpret_cast<char*>(lParam), items.text(index), length + 1);
        return static_cast<LRESULT>(length);
    }
    case CB_GETLBTEXTLEN: {
        const int index = static_cast<int>(wParam);
        if (index < 0 || index >= items.count()) {
            return CB_ERR;
        }
        return static_cast<LRESULT>(std::strlen(items.text(index)));
    }
    case CB_FINDSTRING:
    case CB_FINDSTRINGEXACT:
        return findEntry(*combo, wParam, reinterpret_cast<LPCSTR>(lParam), message == CB_FINDSTRINGEXACT);
    case CB_SELECTSTRING: {
        const int index = findEntry(*combo, wParam, reinterpret_cast<LPCSTR>(lParam), false);
        if (index == CB_ERR) {
            return CB_ERR;
        }
        return select(*combo, index);
    }
    case CB_GETITEMDATA: {
        const int index = static_cast<int>(wParam);
        return index < 0 || index >= items.count() ? CB_ERR : items.itemData(index);
    }
    case CB_SETITEMDATA: {
        const int index = static_cast<int>(wParam);
        if (index < 0 || index >= items.count()) {
            return CB_ERR;
        }
        items.setItemData(index, lParam);
        return TRUE;
    }
    case CB_SHOWDROPDOWN:
        if (wParam != 0 && !combo->dropped) {
            combo->showPopup();
        } else if (wParam == 0 && combo->dropped) {
            combo->hidePopup();
        }
        return TRUE;
    case CB_GETDROPPEDSTATE: return combo->dropped ? TRUE : FALSE;
    case CB_INITSTORAGE:
        items.reserve(static_cast<std::size_t>(wParam), static_cast<std::size_t>(lParam));
        return static_cast<LRESULT>(items.count() + static_cast<int>(wParam));
    case CB_GETITEMHEIGHT: return combo->fontMetrics().height() + 2;
    case CB_SETITEMHEIGHT:
    case CB_LIMITTEXT:
    case CB_SETEXTENDEDUI: return TRUE;
    case WM_KILLFOCUS:
        combo->focusLeft();
        window = findWindow(hwnd);
        return window == nullptr ? 0 : focusChange(*window, message, wParam, lParam, CBN_SETFOCUS, CBN_KILLFOCUS, true);
    case WM_SETFOCUS: return focusChange(*window, message, wParam, lParam, CBN_SETFOCUS, CBN_KILLFOCUS, true);
    default:
        if ((message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) || message == WM_KEYDOWN || message == WM_KEYUP ||
            message == WM_CHAR || message == WM_PAINT) {
            combo->announce();
        }
        return controlDefault(*window, message, wParam, lParam);
    }
}

} // namespace win32qt
