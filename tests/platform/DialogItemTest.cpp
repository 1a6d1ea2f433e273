// What only the Qt layer decides: GetDlgItemInt's strict readings, the dialog font,
// and the dialog's layout in pixels by that font (typing, numbers and wsprintfA are
// checked on both window layers with the window tests).
#include <QFontInfo>
#include <QFontMetrics>

#include "TestWindows.h"

using namespace windowtest;

namespace {

class DialogItemTest : public WindowTest {};

struct Reading {
    const char* text;
    BOOL isSigned;
    UINT value;
    BOOL translated;
};

} // namespace

// Whole numbers, their ranges, statics and lists are read alike on both layers (see the
// window tests); these readings are the Qt layer's alone, as Wine reads the number
// before other text, after a plus sign, and after a minus sign in an unsigned field,
// and after a value out of range it keeps the error and refuses the extremes too.
TEST_F(DialogItemTest, GetDlgItemIntRefusesSignsTextAndValuesOutOfRange)
{
    const HWND dialog = openDialog(101);
    const Reading readings[] = {
        {"4294967296", FALSE, 0, FALSE}, {"2147483648", TRUE, 0, FALSE},
        {"-2147483649", TRUE, 0, FALSE}, {"4294967295", FALSE, 4294967295u, TRUE},
        {"-5", FALSE, 0, FALSE},         {"12abc", FALSE, 0, FALSE},
        {"+7", TRUE, 0, FALSE},          {"1 2", FALSE, 0, FALSE},
    };
    for (const Reading& reading : readings) {
        SetDlgItemTextA(dialog, 1003, reading.text);
        BOOL translated = 12345;
        EXPECT_EQ(GetDlgItemInt(dialog, 1003, &translated, reading.isSigned), reading.value) << reading.text;
        EXPECT_EQ(translated, reading.translated) << reading.text;
    }
}

TEST_F(DialogItemTest, DialogFontIsTheJapaneseProportionalGothic)
{
    const HWND dialog = openDialog(101);
    const QFontInfo info(widgetOf(GetDlgItem(dialog, 1000))->font());
    EXPECT_EQ(info.family(), QStringLiteral("IPAPGothic"));
    EXPECT_EQ(info.pixelSize(), 12); // 9 points at 96 dots per inch
}

TEST_F(DialogItemTest, DialogUnitsBecomePixelsByTheFontsBaseUnits)
{
    // The base units of the font itself, measured here: the average width of the
    // alphabet and the height of a line.
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPixelSize(12);
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const int baseX = (width / 26 + 1) / 2;
    const int baseY = metrics.height();
    auto pixelsX = [baseX](int units) { return (units * baseX + 2) / 4; };
    auto pixelsY = [baseY](int units) { return (units * baseY + 4) / 8; };

    const HWND dialog = openDialog(104);
    RECT client;
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, pixelsX(261));
    EXPECT_EQ(client.bottom, pixelsY(119));

    POINT origin{0, 0};
    ClientToScreen(dialog, &origin);
    RECT key;
    GetWindowRect(GetDlgItem(dialog, 9010), &key); // 144, 39, 20, 35
    EXPECT_EQ(key.left - origin.x, pixelsX(144));
    EXPECT_EQ(key.top - origin.y, pixelsY(39));
    EXPECT_EQ(key.right - key.left, pixelsX(20));
    EXPECT_EQ(key.bottom - key.top, pixelsY(35));

    // A combo box is one line high; its template height is the dropped list's.
    RECT combo;
    GetWindowRect(GetDlgItem(dialog, 1046), &combo);
    EXPECT_EQ(combo.bottom - combo.top, baseY + 8);
    EXPECT_EQ(combo.right - combo.left, pixelsX(60));

    // The main window's menu lies outside its client area.
    const HWND main = openDialog(101);
    RECT frame;
    GetWindowRect(main, &frame);
    GetClientRect(main, &client);
    EXPECT_EQ(client.bottom, pixelsY(525));
    EXPECT_GT(frame.bottom - frame.top, client.bottom);
}
