// Numbers in dialog fields (GetDlgItemInt, SetDlgItemInt, wsprintfA), typing into
// number fields, and the dialog's layout in pixels with its Japanese font.
#include <QFontInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>

#include <climits>

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
    {"4294967296", FALSE, 0, FALSE},
    {"2147483648", TRUE, 0, FALSE},
    {"-2147483649", TRUE, 0, FALSE},
    {"4294967295", FALSE, 4294967295u, TRUE},
    {"-5", FALSE, 0, FALSE},
    {"12abc", FALSE, 0, FALSE},
    {"+7", TRUE, 0, FALSE},
    {"1 2", FALSE, 0, FALSE},
  };
  for (const Reading& reading : readings) {
    SetDlgItemTextA(dialog, 1003, reading.text);
    BOOL translated = 12345;
    EXPECT_EQ(GetDlgItemInt(dialog, 1003, &translated, reading.isSigned), reading.value) << reading.text;
    EXPECT_EQ(translated, reading.translated) << reading.text;
  }
}

TEST_F(DialogItemTest, NumberFieldsTakeDigitsOnlyFromTheKeyboard)
{
  const HWND dialog = openDialog(101);
  const HWND numberField = GetDlgItem(dialog, 1002);
  const HWND signedField = GetDlgItem(dialog, 1003);
  SetFocus(numberField);
  QTest::keyClicks(widgetOf(numberField), "1a2-3 4");
  char text[32];
  GetWindowTextA(numberField, text, sizeof text);
  EXPECT_STREQ(text, "1234");
  SetFocus(signedField);
  QTest::keyClicks(widgetOf(signedField), "-12");
  EXPECT_EQ(static_cast<int>(GetDlgItemInt(dialog, 1003, nullptr, TRUE)), -12);
  // The program may put anything there.
  SetDlgItemInt(dialog, 1002, static_cast<UINT>(-1), TRUE);
  GetWindowTextA(numberField, text, sizeof text);
  EXPECT_STREQ(text, "-1");
}

TEST_F(DialogItemTest, JapaneseTypedIntoAnEditReadsBackAsUtf8)
{
  const HWND dialog = openDialog(101);
  const HWND field = GetDlgItem(dialog, 1027);
  SetFocus(field);
  // What an input method commits arrives as key events with text and no key code.
  for (const QString& character : {QStringLiteral("音"), QStringLiteral("色")}) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, character);
    QApplication::sendEvent(widgetOf(field), &press);
  }
  char text[16];
  EXPECT_EQ(GetWindowTextA(field, text, sizeof text), 6);
  EXPECT_STREQ(text, "音色");
  BOOL translated = TRUE;
  EXPECT_EQ(GetDlgItemInt(dialog, 1027, &translated, FALSE), 0u);
  EXPECT_FALSE(translated);
}

TEST_F(DialogItemTest, EditsReportChangesAndFocus)
{
  const HWND dialog = openDialog(101);
  const HWND field = GetDlgItem(dialog, 1033);
  clearLog();
  SetFocus(field);
  QTest::keyClick(widgetOf(field), Qt::Key_7);
  SetFocus(GetDlgItem(dialog, 1028));
  std::vector<WORD> codes;
  for (const Seen& seen : logged({WM_COMMAND})) {
    if (LOWORD(seen.wParam) == 1033) {
      codes.push_back(HIWORD(seen.wParam));
    }
  }
  EXPECT_EQ(codes, (std::vector<WORD>{EN_SETFOCUS, EN_UPDATE, EN_CHANGE, EN_KILLFOCUS}));
}

TEST_F(DialogItemTest, WsprintfFormatsAsWindowsDoes)
{
  char buffer[1100];
  EXPECT_EQ(wsprintfA(buffer, "%d", 127), 3);
  EXPECT_STREQ(buffer, "127");
  wsprintfA(buffer, "%d|%d|%u", -5, INT_MIN, 4294967295u);
  EXPECT_STREQ(buffer, "-5|-2147483648|4294967295");
  wsprintfA(buffer, "[%5d][%-4d][%05d][%x][%04X]", 42, 7, -42, 255, 0xab);
  EXPECT_STREQ(buffer, "[   42][7   ][-0042][ff][00AB]");
  wsprintfA(buffer, "%s: %c%%", "0: Piano 1", 'x');
  EXPECT_STREQ(buffer, "0: Piano 1: x%");
  // A program name used as the format string comes out as it is.
  wsprintfA(buffer, "127: Gun Shot", 127);
  EXPECT_STREQ(buffer, "127: Gun Shot");
  // Output stops at 1024 characters with the terminator.
  const std::string longText(2000, 'a');
  EXPECT_EQ(wsprintfA(buffer, "%s", longText.c_str()), 1023);
  EXPECT_EQ(std::strlen(buffer), 1023u);
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
