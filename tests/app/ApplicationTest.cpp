#include "app/Application.h"
#include "tests/gui/GuiDriver.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr int openCommand = 40001;
constexpr int saveCommand = 40003;
constexpr int exportCommand = 40004;
constexpr int closeCommand = 40002;

// Runs the program's whole life in this process, the user's part played by `user`
// once the main window is up. Returns the exit code.
int runProgram(Application& application, std::function<void()> user, bool& hung,
               LPSTR commandLine = nullptr)
{
    gui::Watchdog watchdog(5000, [&] {
        if (application.mainWindow != nullptr && application.mainWindow->hwnd != nullptr)
            DestroyWindow(application.mainWindow->hwnd);
        PostQuitMessage(99);
    });
    gui::runSoon(std::move(user));
    const int exitCode = application.run(GetModuleHandleA(nullptr), commandLine, SW_SHOWDEFAULT);
    hung = watchdog.fired();
    return exitCode;
}

} // namespace

TEST(Application, ShowsTheMainWindowWithItsMenuAndEndsByTheCloseCommand)
{
    Application application;
    HWND mainWindow = nullptr;
    char caption[64] = {};
    std::string closeText;
    std::string openText;
    bool visible = false;
    bool chosen = false;
    bool hung = false;
    char commandLine[] = "ignored.zbk";
    const int exitCode = runProgram(application, [&] {
        mainWindow = application.mainWindow->hwnd;
        GetWindowTextA(mainWindow, caption, sizeof caption);
        visible = IsWindowVisible(mainWindow);
        openText = gui::menuItemText(mainWindow, openCommand);
        closeText = gui::menuItemText(mainWindow, closeCommand);
        chosen = gui::chooseMenuItem(mainWindow, closeCommand);
    }, hung, commandLine);

    EXPECT_FALSE(hung);
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(application.instance(), GetModuleHandleA(nullptr));
    EXPECT_STREQ(application.commandLine, "ignored.zbk");
    ASSERT_NE(mainWindow, nullptr);
    EXPECT_STREQ(caption, "ZBK-EDIT v0.18");
    EXPECT_TRUE(visible);
    EXPECT_EQ(openText, "開く(&O)");
    EXPECT_EQ(closeText, "閉じる(&X)");
    EXPECT_TRUE(chosen);
    EXPECT_FALSE(IsWindow(mainWindow));
    EXPECT_EQ(application.mainWindow, nullptr);
}

TEST(Application, TheCloseBoxEndsTheProgramToo)
{
    Application application;
    HWND mainWindow = nullptr;
    bool hung = false;
    const int exitCode = runProgram(application, [&] {
        mainWindow = application.mainWindow->hwnd;
        gui::clickCloseBox(mainWindow);
    }, hung);
    EXPECT_FALSE(hung);
    EXPECT_EQ(exitCode, 0);
    ASSERT_NE(mainWindow, nullptr);
    EXPECT_FALSE(IsWindow(mainWindow));
}

TEST(Application, OtherMenuCommandsLeaveTheWindowOpen)
{
    Application application;
    HWND mainWindow = nullptr;
    bool openAfterCommands = false;
    bool hung = false;
    const int exitCode = runProgram(application, [&] {
        mainWindow = application.mainWindow->hwnd;
        for (int id : {openCommand, saveCommand, exportCommand})
            SendMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(id, 0), 0);
        openAfterCommands = IsWindow(mainWindow) && IsWindowVisible(mainWindow);
        SendMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(closeCommand, 0), 0);
    }, hung);
    EXPECT_FALSE(hung);
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(openAfterCommands);
}
