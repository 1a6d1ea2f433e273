// Message boxes and the common file dialogs as the program meets them: answered through
// the test hook, and a message box a user answers, modal to its owner.
#include "GuiDriver.h"
#include "RecordingWindows.h"

#include "platform/Win32TestHook.h"
#include "tests/support/FileDialogRequest.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

using recording::WindowTest;

namespace {

constexpr int mainTemplate = 101;
constexpr DWORD openFlags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_LONGNAMES;
constexpr DWORD saveFlags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_LONGNAMES | OFN_OVERWRITEPROMPT;
const char bankFilter[] = "*.ZBK\0*.ZBK\0";

std::string upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

class CommonDialog : public WindowTest {
protected:
    std::string path(const char* name) const { return directory_.file(name); }

    void createFile(const char* name) const { writeBytes(path(name), {'x'}); }

    // A dialog of the program's kind: one filter entry, a buffer of MAX_PATH.
    OPENFILENAMEA fileDialog(HWND owner, const char* filter, const char* defaultExtension, DWORD flags)
    {
        return fileDialogRequest(owner, filter, defaultExtension, flags, directoryText_.c_str(), buffer_,
                                 sizeof buffer_);
    }

    // Saves `typed` in a bank dialog; the name the dialog returned ("" when it failed).
    std::string saveAs(const std::string& typed, OPENFILENAMEA& ofn)
    {
        win32test::DialogAnswers answers;
        answers.fileName(typed);
        ofn = fileDialog(nullptr, bankFilter, "ZBK", saveFlags);
        return GetSaveFileNameA(&ofn) ? std::string(buffer_) : std::string();
    }

    TempDir directory_;
    std::string directoryText_ = utf8Of(directory_.path());
    char buffer_[MAX_PATH];
};

} // namespace

TEST_F(CommonDialog, HookAnswersMessageBoxesAndRecordsWhatTheyAsked)
{
    const HWND owner = openDialog(mainTemplate);
    win32test::DialogAnswers answers;
    answers.messageBox(IDNO);
    EXPECT_EQ(MessageBoxA(owner, "選択範囲を削除します。よろしいですか？", "確認", MB_YESNO | MB_ICONQUESTION), IDNO);
    // Without a queued answer the default button is taken: the first, or the one named.
    EXPECT_EQ(MessageBoxA(nullptr, "Cannot create sound device.", "Error", MB_OK | MB_ICONWARNING), IDOK);
    EXPECT_EQ(MessageBoxA(owner, "q", nullptr, MB_YESNO | MB_DEFBUTTON2), IDNO);
    EXPECT_EQ(MessageBoxA(owner, "r", "c", MB_YESNOCANCEL | MB_DEFBUTTON3), IDCANCEL);
    ASSERT_EQ(answers.messageBoxes().size(), 4u);
    const auto& first = answers.messageBoxes()[0];
    EXPECT_EQ(first.owner, owner);
    EXPECT_EQ(first.text, "選択範囲を削除します。よろしいですか？");
    EXPECT_EQ(first.caption, "確認");
    EXPECT_EQ(first.type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(first.answer, IDNO);
    EXPECT_TRUE(first.answered);
    EXPECT_FALSE(answers.messageBoxes()[1].answered);
    EXPECT_EQ(answers.messageBoxes()[1].answer, IDOK);
    EXPECT_EQ(answers.messageBoxes()[1].owner, nullptr);
    EXPECT_EQ(answers.messageBoxes()[2].caption, "Error") << "a missing caption reads Error";
    EXPECT_EQ(answers.messageBoxes()[3].answer, IDCANCEL);
    EXPECT_EQ(answers.pending(), 0u);
    EXPECT_TRUE(IsWindowEnabled(owner)) << "the owner is given back when the box goes";
}

TEST_F(CommonDialog, ARealMessageBoxIsModalToItsOwnerAndAnswersWithTheButton)
{
    const HWND owner = openDialog(mainTemplate);
    bool ownerEnabled = true;
    bool pressed = false;
    std::string shownText;
    std::string shownCaption;
    gui::runSoon([&] {
        ownerEnabled = IsWindowEnabled(owner);
        shownText = gui::activeMessageBoxText();
        shownCaption = gui::activeMessageBoxCaption();
        EXPECT_FALSE(gui::pressMessageBoxButton(IDCANCEL)) << "a yes/no box has no Cancel";
        pressed = gui::pressMessageBoxButton(IDYES);
    });
    gui::Watchdog watchdog(10000, [] { gui::pressMessageBoxButton(IDNO); });
    const int answer = MessageBoxA(owner, "どの音色にも関連づけられていない波形を削除します。よろしいですか？", "確認",
                                   MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    EXPECT_FALSE(watchdog.fired());
    EXPECT_TRUE(pressed);
    EXPECT_EQ(answer, IDYES) << "the button pressed, not the default one";
    EXPECT_FALSE(ownerEnabled);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(shownText, "どの音色にも関連づけられていない波形を削除します。よろしいですか？");
    EXPECT_EQ(shownCaption, "確認");
    EXPECT_EQ(gui::activeMessageBoxText(), "") << "nothing is up any more";
}

TEST_F(CommonDialog, SaveAddsTheDefaultExtensionAndReportsWhereTheNameIs)
{
    const HWND owner = openDialog(mainTemplate);
    win32test::DialogAnswers answers;
    answers.fileName(path("new"));
    OPENFILENAMEA ofn = fileDialog(owner, bankFilter, "ZBK", saveFlags);
    ASSERT_TRUE(GetSaveFileNameA(&ofn));
    const std::string typed = path("new");
    const std::string returned = buffer_;
    ASSERT_EQ(returned.size(), typed.size() + 4);
    EXPECT_EQ(returned.substr(0, typed.size() + 1), typed + ".");
    EXPECT_EQ(upper(returned.substr(typed.size() + 1)), "ZBK");
    EXPECT_EQ(ofn.nFileOffset, typed.size() - 3);
    EXPECT_EQ(ofn.nFileExtension, typed.size() + 1);
    ASSERT_EQ(answers.fileDialogs().size(), 1u);
    const auto& record = answers.fileDialogs()[0];
    EXPECT_TRUE(record.save);
    EXPECT_EQ(record.owner, owner);
    EXPECT_EQ(record.filters, (std::vector<std::pair<std::string, std::string>>{{"*.ZBK", "*.ZBK"}}));
    EXPECT_EQ(record.defaultExtension, "ZBK");
    EXPECT_EQ(record.flags, saveFlags);
    EXPECT_EQ(record.result, returned);
    EXPECT_FALSE(record.title.empty()) << "the dialog's own title stands in for a missing one";
    EXPECT_TRUE(answers.messageBoxes().empty()) << "a new file asks nothing";
    EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST_F(CommonDialog, OffsetsOfAJapaneseNameCountBytes)
{
    // 音色 is six bytes in UTF-8, the dot after it the seventh.
    OPENFILENAMEA ofn{};
    const std::string typed = path("音色");
    const std::string returned = saveAs(typed, ofn);
    ASSERT_EQ(returned.size(), typed.size() + 4);
    EXPECT_EQ(returned.substr(0, typed.size()), typed);
    EXPECT_EQ(ofn.nFileOffset, typed.size() - 6);
    EXPECT_EQ(ofn.nFileExtension, typed.size() + 1);
    EXPECT_EQ(returned[ofn.nFileExtension - 1], '.');
}

TEST_F(CommonDialog, SavingOverAFileAsksAndNoGoesBackToTheDialog)
{
    createFile("bank.ZBK");
    win32test::DialogAnswers answers;
    answers.fileName(path("bank")).messageBox(IDNO).fileName(path("other.zbk"));
    OPENFILENAMEA ofn = fileDialog(nullptr, bankFilter, "ZBK", saveFlags);
    ASSERT_TRUE(GetSaveFileNameA(&ofn));
    EXPECT_EQ(std::string(buffer_), path("other.zbk")) << "a name with an extension keeps it";
    ASSERT_EQ(answers.messageBoxes().size(), 1u);
    EXPECT_EQ(answers.messageBoxes()[0].type & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
    EXPECT_EQ(answers.messageBoxes()[0].answer, IDNO);
    EXPECT_EQ(answers.pending(), 0u);

    // Yes takes the name.
    answers.fileName(path("bank")).messageBox(IDYES);
    ofn = fileDialog(nullptr, bankFilter, "ZBK", saveFlags);
    ASSERT_TRUE(GetSaveFileNameA(&ofn));
    EXPECT_EQ(upper(buffer_), upper(path("bank.ZBK")));
    EXPECT_EQ(answers.messageBoxes().size(), 2u);

    // Without the overwrite flag nothing is asked.
    answers.fileName(path("bank.ZBK"));
    ofn = fileDialog(nullptr, bankFilter, "ZBK", saveFlags & ~OFN_OVERWRITEPROMPT);
    ASSERT_TRUE(GetSaveFileNameA(&ofn));
    EXPECT_EQ(std::string(buffer_), path("bank.ZBK"));
    EXPECT_EQ(answers.messageBoxes().size(), 2u);
    EXPECT_EQ(answers.pending(), 0u);
}

TEST_F(CommonDialog, OpenRefusesMissingFilesAndCancelChangesNothing)
{
    createFile("bank.zbk");
    win32test::DialogAnswers answers;
    answers.fileName(path("missing.zbk")).fileName(path("bank.zbk"));
    OPENFILENAMEA ofn = fileDialog(nullptr, bankFilter, nullptr, openFlags);
    ASSERT_TRUE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(std::string(buffer_), path("bank.zbk"));
    EXPECT_EQ(answers.pending(), 0u);
    // The missing name was refused with a notice, which took its default button.
    ASSERT_EQ(answers.messageBoxes().size(), 1u);
    EXPECT_EQ(answers.messageBoxes()[0].type & MB_TYPEMASK, static_cast<UINT>(MB_OK));
    EXPECT_EQ(answers.messageBoxes()[0].answer, IDOK);
    EXPECT_FALSE(answers.messageBoxes()[0].answered);

    answers.cancelFileDialog();
    ofn = fileDialog(nullptr, bankFilter, nullptr, openFlags);
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    EXPECT_STREQ(buffer_, "");
    // No answer left: the user cancels.
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    ASSERT_EQ(answers.fileDialogs().size(), 3u);
    EXPECT_EQ(answers.fileDialogs()[0].result, path("bank.zbk"));
    EXPECT_EQ(answers.fileDialogs()[2].result, "");
    EXPECT_FALSE(answers.fileDialogs()[2].save);
}

TEST_F(CommonDialog, ABufferTooSmallIsAnErrorThatSaysTheSizeNeeded)
{
    win32test::DialogAnswers answers;
    const std::string name = path("a-rather-long-name.wav");
    answers.fileName(name);
    OPENFILENAMEA ofn = fileDialog(nullptr, "*.WAV\0*.WAV\0", "WAV", OFN_HIDEREADONLY);
    ofn.nMaxFile = 10;
    EXPECT_FALSE(GetSaveFileNameA(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(FNERR_BUFFERTOOSMALL));
    WORD needed = 0;
    std::memcpy(&needed, buffer_, sizeof needed);
    EXPECT_EQ(needed, name.size() + 1) << "the name and its terminating null";
    EXPECT_EQ(answers.fileDialogs().back().result, "");
}
