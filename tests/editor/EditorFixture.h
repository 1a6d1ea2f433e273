// The editor's main window on the screen, driven as the user drives it: menus, buttons,
// lists and fields through the driver, message boxes and file dialogs answered through
// the hook. The sound goes to an offline output, so no sound card is needed.
#pragma once

#include "audio/OfflineWaveOut.h"
#include "editor/EditorTestAccess.h"
#include "platform/Win32TestHook.h"
#include "resources/resource.h"
#include "tests/gui/GuiDriver.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

class EditorTest : public testing::Test {
protected:
    void SetUp() override
    {
        editor = std::make_unique<EditorDialog>(std::make_unique<OfflineWaveOut>());
        editor->open(nullptr, IDD_EDITOR);
        ASSERT_NE(editor->hwnd, nullptr);
        window = editor->hwnd;
        gui::processEvents();
    }

    void TearDown() override
    {
        if (editor->hwnd != nullptr)
            DestroyWindow(editor->hwnd);
        // The main window ends the program's loop as it goes; the test's loop goes on.
        MSG quit;
        while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        editor.reset();
    }

    HWND item(int id) const { return GetDlgItem(window, id); }

    // The window's bank, voices and views, to set up and to check what a command did.
    EditorDialog::TestAccess inside() const { return EditorDialog::TestAccess(*editor); }

    std::string path(const std::string& name) const { return utf8Of(dir.path() / name); }

    // Lets the window handle what the user's action set off.
    static void settle()
    {
        gui::processEvents();
        gui::drainPostedMessages();
        gui::processEvents();
    }

    void chooseMenu(int id)
    {
        ASSERT_TRUE(gui::chooseMenuItem(window, id));
        settle();
    }

    void clickButton(int id)
    {
        gui::click(item(id));
        settle();
    }

    // Opens the bank file `fileName` with File > Open.
    void openBankFile(const std::string& fileName)
    {
        answers.fileName(fileName);
        chooseMenu(ID_FILE_OPEN);
    }

    // Saves `bank` where the test keeps its files and opens it with File > Open.
    void openBank(const ToneBank& bank, const std::string& name = "opened.zbk")
    {
        ASSERT_TRUE(bank.saveBank(path(name).c_str()));
        openBankFile(path(name));
    }

    // Saves the bank with File > Save and reads the file back.
    std::vector<char> saveBank(const std::string& name = "saved.zbk")
    {
        answers.fileName(path(name));
        chooseMenu(ID_FILE_SAVE);
        return fileBytes(path(name));
    }

    static std::vector<char> fileBytes(const std::string& fileName)
    {
        std::ifstream file(pathFromUtf8(fileName), std::ios::binary);
        return std::vector<char>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }

    // A choice in a drop-down list as the list reports it: the selection, then the change.
    void selectInList(int id, int index)
    {
        SendMessageA(item(id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(item(id)));
        settle();
    }

    int selectionOf(int id) const { return static_cast<int>(SendMessageA(item(id), CB_GETCURSEL, 0, 0)); }

    std::string fieldText(int id) const
    {
        char text[64] = {};
        GetDlgItemTextA(window, id, text, sizeof text);
        return text;
    }

    // Replaces a field's text as the user does: select it all and type over it.
    void typeInto(int id, const char* text)
    {
        SetDlgItemTextA(window, id, "");
        gui::typeText(item(id), text);
        settle();
    }

    void setDrumMode(bool on)
    {
        if ((IsDlgButtonChecked(window, IDC_DRUM_MODE) == BST_CHECKED) != on)
            clickButton(IDC_DRUM_MODE);
    }

    TempDir dir;
    win32test::DialogAnswers answers;
    std::unique_ptr<EditorDialog> editor;
    HWND window = nullptr;
};

// Colours as the user sees them.
constexpr COLORREF black = RGB(0, 0, 0);
constexpr COLORREF white = RGB(255, 255, 255);
constexpr COLORREF gray = RGB(128, 128, 128);
constexpr COLORREF selectedBar = RGB(128, 255, 255);
