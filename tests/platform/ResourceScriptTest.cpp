// The resource script reader, and the program's templates against their tables.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/qt/ResourceScript.h"

using namespace win32qt;

namespace {

const ControlTemplate& control(const DialogTemplate& dialog, int id)
{
    const auto found = std::find_if(dialog.controls.begin(), dialog.controls.end(),
                                    [id](const ControlTemplate& c) { return c.id == id; });
    if (found == dialog.controls.end()) {
        throw std::runtime_error("no control " + std::to_string(id));
    }
    return *found;
}

void expectPlace(const ControlTemplate& c, int x, int y, int cx, int cy)
{
    EXPECT_EQ(c.x, x) << c.id;
    EXPECT_EQ(c.y, y) << c.id;
    EXPECT_EQ(c.cx, cx) << c.id;
    EXPECT_EQ(c.cy, cy) << c.id;
}

bool has(DWORD style, DWORD bits)
{
    return (style & bits) == bits;
}

} // namespace

TEST(ResourceScriptTest, StatementsGetTheResourceCompilersDefaultStyles)
{
    const ResourceScript script = parseResourceScript(R"(
#include <windows.h>
7 DIALOGEX 1, 2, 30, 40
STYLE DS_MODALFRAME | WS_POPUP
CAPTION "Caption ""quoted"""
FONT 9, "Face", 400, 0, 0x80
BEGIN
    LTEXT "left",IDC_STATIC,1,2,3,4
    PUSHBUTTON "push",IDOK,5,6,7,8,NOT WS_VISIBLE | BS_NOTIFY
    EDITTEXT 100,9,10,11,12,ES_NUMBER
    COMBOBOX 101,0,0,10,50,CBS_DROPDOWNLIST
    CONTROL "",102,"msctls_trackbar32",TBS_VERT,1,1,1,1
    SCROLLBAR 103,0,0,5,5
END
)");
    ASSERT_EQ(script.dialogs.size(), 1u);
    const DialogTemplate& dialog = script.dialogs[0];
    EXPECT_EQ(dialog.id, 7);
    EXPECT_EQ(dialog.caption, "Caption \"quoted\"");
    EXPECT_EQ(dialog.fontName, "Face");
    EXPECT_EQ(dialog.fontSize, 9);
    EXPECT_EQ(dialog.style, static_cast<DWORD>(DS_MODALFRAME | WS_POPUP | WS_CAPTION));
    ASSERT_EQ(dialog.controls.size(), 6u);

    // WS_CHILD | WS_VISIBLE = 0x50000000 comes with every control unless taken away.
    EXPECT_EQ(dialog.controls[0].style, 0x50020000u); // SS_LEFT | WS_GROUP
    EXPECT_EQ(dialog.controls[0].id, -1);
    EXPECT_EQ(dialog.controls[1].style, 0x40014000u); // not visible, BS_NOTIFY, WS_TABSTOP
    EXPECT_EQ(dialog.controls[2].style, 0x50812000u); // WS_BORDER | WS_TABSTOP | ES_NUMBER
    EXPECT_EQ(dialog.controls[3].style, 0x50010003u); // CBS_SIMPLE | CBS_DROPDOWNLIST = 3
    EXPECT_EQ(dialog.controls[4].className, "msctls_trackbar32");
    EXPECT_EQ(dialog.controls[4].style, 0x50000002u);
    EXPECT_EQ(dialog.controls[5].className, "SCROLLBAR");
    EXPECT_EQ(dialog.controls[5].style, 0x50000000u);
}

TEST(ResourceScriptTest, NamesAHeaderDefinesStandForTheirNumbers)
{
    const ResourceScript script = parseResourceScript("#define IDD_SOME 7\n#define IDC_THING 0x10\n"
                                                      "#define IDR_BAR 9 // the menu\n"
                                                      "IDD_SOME DIALOGEX 0,0,1,1\nMENU IDR_BAR\nBEGIN\n"
                                                      "  PUSHBUTTON \"a\",IDC_THING+1,0,0,1,1\nEND\n");
    ASSERT_EQ(script.dialogs.size(), 1u);
    EXPECT_EQ(script.dialogs[0].id, 7);
    EXPECT_EQ(script.dialogs[0].menuId, 9);
    ASSERT_EQ(script.dialogs[0].controls.size(), 1u);
    EXPECT_EQ(script.dialogs[0].controls[0].id, 17);
    EXPECT_THROW(parseResourceScript("IDD_UNDEFINED DIALOGEX 0,0,1,1\nBEGIN\nEND\n"), ResourceScriptError);
}

TEST(ResourceScriptTest, MistakesNameTheirLine)
{
    try {
        parseResourceScript("1 DIALOGEX 0,0,1,1\nBEGIN\n  LTEXT \"a\",1,0,0,1,1,SS_NOSUCHTHING\nEND\n");
        FAIL() << "an unknown style was accepted";
    } catch (const ResourceScriptError& error) {
        EXPECT_NE(std::string(error.what()).find("line 3"), std::string::npos) << error.what();
    }
    EXPECT_THROW(parseResourceScript("1 DIALOGEX 0,0,1,1\nBEGIN\n  LTEXT \"open,1,0,0,1,1\nEND\n"),
                 ResourceScriptError);
    EXPECT_THROW(parseResourceScript("1 MENU\nBEGIN\n  MENUITEM \"x\"\n"), ResourceScriptError);
}

TEST(ProgramTemplatesTest, MainWindowMatchesItsTable)
{
    const DialogTemplate* main = programResources().dialog(101);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->caption, "ZBK-EDIT v0.18");
    EXPECT_EQ(main->cx, 487);
    EXPECT_EQ(main->cy, 525);
    EXPECT_EQ(main->menuId, 102);
    EXPECT_EQ(main->fontName, "ＭＳ Ｐゴシック");
    EXPECT_EQ(main->fontSize, 9);
    EXPECT_TRUE(has(main->style, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME));
    EXPECT_FALSE(main->style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));

    expectPlace(control(*main, 1000), 42, 3, 81, 233);
    EXPECT_TRUE(has(control(*main, 1000).style, CBS_DROPDOWNLIST | WS_VSCROLL));
    EXPECT_EQ(control(*main, 1000).className, "COMBOBOX");
    expectPlace(control(*main, 1013), 125, 5, 38, 9);
    EXPECT_TRUE(has(control(*main, 1013).style, BS_AUTOCHECKBOX | BS_NOTIFY));
    EXPECT_EQ(control(*main, 1013).text, "ﾄﾞﾗﾑｾｯﾄ");
    expectPlace(control(*main, 1052), 400, 5, 35, 12);
    EXPECT_FALSE(control(*main, 1052).style & WS_VISIBLE);
    EXPECT_TRUE(control(*main, 1042).style & WS_VISIBLE);
    EXPECT_EQ(control(*main, 1019).text, "0");
    EXPECT_EQ(control(*main, 1019).style & SS_TYPEMASK, static_cast<DWORD>(SS_RIGHT));
    expectPlace(control(*main, 1018), 0, 170, 485, 9);
    EXPECT_EQ(control(*main, 1018).className, "SCROLLBAR");
    EXPECT_EQ(control(*main, 1022).style & SS_TYPEMASK, static_cast<DWORD>(SS_BLACKFRAME));
    expectPlace(control(*main, 1001), 0, 180, 485, 69);
    EXPECT_TRUE(control(*main, 1001).style & SS_NOTIFY);

    // Number fields take digits only; DR, NR, SR and the cycle size do not.
    for (int id : {1033, 1028, 1010, 1011, 1012, 1014, 1002, 1007, 1008, 1009, 1006, 1024, 1038}) {
        EXPECT_TRUE(control(*main, id).style & ES_NUMBER) << id;
        EXPECT_TRUE(has(control(*main, id).style, WS_BORDER | ES_AUTOHSCROLL)) << id;
    }
    for (int id : {1003, 1004, 1005, 1027}) {
        EXPECT_FALSE(control(*main, id).style & ES_NUMBER) << id;
    }
    expectPlace(control(*main, 1003), 83, 114, 38, 13);
    expectPlace(control(*main, 1027), 305, 115, 37, 12);

    // Every label of the table is there.
    for (const char* label : {"音色番号",
                              "全ｻﾝﾌﾟﾙ数",
                              "選択ｻﾝﾌﾟﾙ数",
                              "波形",
                              "波形表示倍率",
                              "周波数ｼﾌﾄ",
                              "振幅(楽器)/NoteOn中再生速度(ﾄﾞﾗﾑ音)",
                              "増率(楽器)/NoteOff中の再生速度(ﾄﾞﾗﾑ音)",
                              "増幅開始遅延",
                              "AR",
                              "DL",
                              "DR",
                              "NL",
                              "NR",
                              "SL",
                              "SR",
                              "RR",
                              "波形１周期ｻｲｽﾞ",
                              "循環戻り位置",
                              "ｸﾞﾙｰﾌﾟ番号",
                              "波形情報",
                              "ﾋﾞﾌﾞﾗｰﾄ",
                              "楽器音ﾊﾟﾗﾒｰﾀ(ﾄﾞﾗﾑ音ｱﾙｺﾞﾘｽﾞﾑでは無効)"}) {
        EXPECT_TRUE(std::any_of(main->controls.begin(), main->controls.end(), [label](const ControlTemplate& c) {
            return c.text == label;
        })) << label;
    }
    // The table lists 44 controls with ids; labels and group boxes have none.
    EXPECT_EQ(
        std::count_if(main->controls.begin(), main->controls.end(), [](const ControlTemplate& c) { return c.id > 0; }),
        44);
}

TEST(ProgramTemplatesTest, MenuHasItsItemsInOrder)
{
    const MenuTemplate* menu = programResources().menu(102);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->items.size(), 1u);
    EXPECT_EQ(menu->items[0].text, "ﾌｧｲﾙ(&F)");
    const auto& items = menu->items[0].items;
    ASSERT_EQ(items.size(), 6u);
    EXPECT_EQ(items[0].id, 40001);
    EXPECT_EQ(items[0].text, "開く(&O)");
    EXPECT_EQ(items[1].id, 40003);
    EXPECT_TRUE(items[2].separator);
    EXPECT_EQ(items[3].id, 40004);
    EXPECT_EQ(items[3].text, "波形を WAVファイルに書き出す(&W)");
    EXPECT_TRUE(items[4].separator);
    EXPECT_EQ(items[5].id, 40002);
    EXPECT_EQ(items[5].text, "閉じる(&X)");
}

TEST(ProgramTemplatesTest, DrumGridsFollowTheirFormula)
{
    const int rowY[] = {20, 35, 50, 65, 80, 95, 110, 125, 140, 155, 171, 185, 201, 215, 231, 245};
    for (int id : {103, 106}) {
        const DialogTemplate* dialog = programResources().dialog(id);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->cx, 383);
        EXPECT_EQ(dialog->cy, 295);
        for (int n = 0; n < 128; ++n) {
            const ControlTemplate& cell = control(*dialog, 9000 + n);
            expectPlace(cell, 50 + 40 * (n % 8), rowY[n / 8], 40, 200);
            EXPECT_EQ(cell.style & 3, static_cast<DWORD>(CBS_DROPDOWNLIST));
        }
        EXPECT_EQ(dialog->controls.front().text, id == 103 ? "ﾉｰﾄﾅﾝﾊﾞ" : "ﾌﾟﾛｸﾞﾗﾑ#");
    }
    const DialogTemplate* drumMap = programResources().dialog(103);
    EXPECT_EQ(drumMap->caption, "ﾄﾞﾗﾑﾏｯﾌﾟ");
    expectPlace(control(*drumMap, 1055), 51, 261, 39, 98);
    expectPlace(control(*drumMap, 9152), 50, 278, 40, 200);
    expectPlace(control(*drumMap, 1043), 155, 278, 75, 15);
    EXPECT_EQ(control(*drumMap, IDCANCEL).text, "Cancel");
    const DialogTemplate* setMap = programResources().dialog(106);
    EXPECT_EQ(setMap->caption, "ﾄﾞﾗﾑｾｯﾄﾏｯﾌﾟ");
    expectPlace(control(*setMap, 1057), 234, 277, 46, 14);
    expectPlace(control(*setMap, IDOK), 316, 276, 55, 15);
    EXPECT_THROW(control(*setMap, IDCANCEL), std::runtime_error);
}

TEST(ProgramTemplatesTest, AuditionAndFineTuningMatchTheirTables)
{
    const DialogTemplate* audition = programResources().dialog(104);
    ASSERT_NE(audition, nullptr);
    EXPECT_EQ(audition->caption, "視聴");
    EXPECT_EQ(audition->cx, 261);
    EXPECT_EQ(audition->cy, 119);
    const char* keys[] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
    const int keyX[] = {4, 19, 29, 44, 54, 79, 94, 104, 119, 129, 144, 154};
    for (int k = 0; k < 12; ++k) {
        const ControlTemplate& key = control(*audition, 9000 + k);
        EXPECT_EQ(key.text, keys[k]);
        const bool black = key.text.size() == 2;
        expectPlace(key, keyX[k], black ? 39 : 79, 20, 35);
        EXPECT_TRUE(key.style & BS_NOTIFY);
    }
    for (int id : {1058, 1059}) {
        EXPECT_EQ(control(*audition, id).className, "msctls_trackbar32");
        EXPECT_TRUE(has(control(*audition, id).style, TBS_VERT | TBS_NOTICKS));
    }
    expectPlace(control(*audition, 1058), 197, 40, 17, 77);
    expectPlace(control(*audition, 1059), 232, 40, 17, 77);
    expectPlace(control(*audition, 1060), 4, 23, 112, 9);

    const DialogTemplate* tuning = programResources().dialog(105);
    ASSERT_NE(tuning, nullptr);
    EXPECT_EQ(tuning->caption, "波形微調整");
    EXPECT_EQ(tuning->cx, 419);
    EXPECT_EQ(tuning->cy, 289);
    for (int id : {1053, 1054, 1055}) {
        EXPECT_EQ(control(*tuning, id).text, "0");
        EXPECT_EQ(control(*tuning, id).style & SS_TYPEMASK, static_cast<DWORD>(SS_RIGHT));
    }
    expectPlace(control(*tuning, 1018), 0, 50, 415, 15);
    expectPlace(control(*tuning, 1049), 0, 65, 415, 100);
    expectPlace(control(*tuning, 1001), 0, 185, 415, 100);
    const auto notice = std::find_if(tuning->controls.begin(), tuning->controls.end(), [](const ControlTemplate& c) {
        return c.text == "このダイアログは、まだ工事中です！全く機能しません！";
    });
    ASSERT_NE(notice, tuning->controls.end());
    EXPECT_EQ(notice->style & SS_TYPEMASK, static_cast<DWORD>(SS_CENTER));
    EXPECT_TRUE(notice->style & SS_SUNKEN);
    expectPlace(*notice, 140, 10, 215, 20);
}
