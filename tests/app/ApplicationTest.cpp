#include "app/Application.h"
#include "editor/EditorTestAccess.h"
#include "platform/Win32TestHook.h"
#include "resources/resource.h"
#include "tests/gui/GuiDriver.h"
#include "tests/support/AlsaConfiguration.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Runs the program's whole life in this process, the user's part played by `user`
// once the main window is up. Returns the exit code.
int runProgram(Application& application, std::function<void()> user, bool& hung, LPSTR commandLine = nullptr)
{
    gui::Watchdog watchdog(10000, [&] {
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
    win32test::DialogAnswers answers;
    Application application;
    HWND mainWindow = nullptr;
    char caption[64] = {};
    std::string closeText;
    std::string openText;
    bool visible = false;
    bool chosen = false;
    bool hung = false;
    char commandLine[] = "ignored.zbk";
    const int exitCode = runProgram(
        application,
        [&] {
            mainWindow = application.mainWindow->hwnd;
            GetWindowTextA(mainWindow, caption, sizeof caption);
            visible = IsWindowVisible(mainWindow);
            openText = gui::menuItemText(mainWindow, ID_FILE_OPEN);
            closeText = gui::menuItemText(mainWindow, ID_FILE_CLOSE);
            chosen = gui::chooseMenuItem(mainWindow, ID_FILE_CLOSE);
        },
        hung, commandLine);

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

TEST(Application, TheCloseBoxEndsTheProgramWithoutAskingEvenAfterChanges)
{
    win32test::DialogAnswers answers;
    Application application;
    HWND mainWindow = nullptr;
    bool hung = false;
    std::size_t boxesBeforeClose = 0;
    const int exitCode = runProgram(
        application,
        [&] {
            mainWindow = application.mainWindow->hwnd;
            // An edit that was never saved.
            SetDlgItemInt(mainWindow, IDC_GROUP_NUMBER, 7, FALSE);
            SendMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(IDC_UPDATE_ENVELOPE, BN_CLICKED), 0);
            boxesBeforeClose = answers.messageBoxes().size();
            gui::clickCloseBox(mainWindow);
        },
        hung);
    EXPECT_FALSE(hung);
    EXPECT_EQ(exitCode, 0);
    ASSERT_NE(mainWindow, nullptr);
    EXPECT_FALSE(IsWindow(mainWindow));
    EXPECT_EQ(answers.messageBoxes().size(), boxesBeforeClose);
}

TEST(Application, WithoutASoundCardOneMessageBoxComesBeforeTheWindowAndTheEditorWorks)
{
    TempDir dir;
    AlsaConfiguration noCard(utf8Of(dir.path() / "alsa.conf"), alsaMissingCard);
    win32test::DialogAnswers answers;
    Application application;
    bool hung = false;
    bool soundDeviceOpen = true;
    int selectedTone = -2;
    const int exitCode = runProgram(
        application,
        [&] {
            HWND mainWindow = application.mainWindow->hwnd;
            const EditorDialog::TestAccess inside(*application.mainWindow);
            soundDeviceOpen = inside.device().isOpen();
            // Picking a tone works without sound.
            SendDlgItemMessageA(mainWindow, IDC_TONE_LIST, CB_SETCURSEL, 3, 0);
            SendMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(IDC_TONE_LIST, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(GetDlgItem(mainWindow, IDC_TONE_LIST)));
            selectedTone = inside.currentToneIndex();
            gui::chooseMenuItem(mainWindow, ID_FILE_CLOSE);
        },
        hung);
    EXPECT_FALSE(hung);
    EXPECT_EQ(exitCode, 0);
    EXPECT_FALSE(soundDeviceOpen);
    EXPECT_EQ(selectedTone, 3);
    ASSERT_EQ(answers.messageBoxes().size(), 1u);
    const win32test::MessageBoxRecord& box = answers.messageBoxes()[0];
    EXPECT_EQ(box.text, "Cannot create sound device.");
    EXPECT_EQ(box.caption, "Error");
    EXPECT_EQ(box.type, static_cast<UINT>(MB_OK | MB_ICONWARNING));
    // No owner: the main window does not exist yet.
    EXPECT_EQ(box.owner, nullptr);
}

TEST(Application, WithASoundCardTheDeviceOpensWithoutAMessage)
{
    TempDir dir;
    AlsaConfiguration fileCard(utf8Of(dir.path() / "alsa.conf"), alsaFileDevice(utf8Of(dir.path() / "captured.wav")));
    win32test::DialogAnswers answers;
    Application application;
    bool hung = false;
    bool soundDeviceOpen = false;
    const int exitCode = runProgram(
        application,
        [&] {
            soundDeviceOpen = EditorDialog::TestAccess(*application.mainWindow).device().isOpen();
            gui::chooseMenuItem(application.mainWindow->hwnd, ID_FILE_CLOSE);
        },
        hung);
    EXPECT_FALSE(hung);
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(soundDeviceOpen);
    EXPECT_TRUE(answers.messageBoxes().empty());
}

TEST(Application, TheReferenceVoiceHoldsOneCosineCycleAtVolume100AndTheEditingVoice127)
{
    win32test::DialogAnswers answers;
    Application application;
    bool hung = false;
    ToneRecord reference;
    std::int32_t referenceVolume = 0;
    std::int32_t editingVolume = 0;
    runProgram(
        application,
        [&] {
            const EditorDialog::TestAccess inside(*application.mainWindow);
            reference = inside.referenceSynth().tone();
            referenceVolume = inside.referenceSynth().state().volume;
            editingVolume = inside.synth().state().volume;
            gui::chooseMenuItem(application.mainWindow->hwnd, ID_FILE_CLOSE);
        },
        hung);
    EXPECT_FALSE(hung);
    EXPECT_EQ(referenceVolume, 100);
    EXPECT_EQ(editingVolume, 127);
    ASSERT_NE(reference.wave, nullptr);
    ASSERT_EQ(reference.wave->samples.size(), 256u);
    EXPECT_EQ(reference.wave->samples[0], -127);
    EXPECT_EQ(reference.wave->samples[64], -1);
    EXPECT_EQ(reference.wave->samples[128], 127);
    EXPECT_EQ(reference.wave->samples[192], 0);
    EXPECT_EQ(reference.groupNumber, -1);
}
