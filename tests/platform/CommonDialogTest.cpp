// Message boxes and the common file dialogs: answered by the test hook, and as the
// real Qt dialogs a user sees, modal to their owner.
#include <QAbstractItemView>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstring>

#include "TestWindows.h"
#include "platform/Win32TestHook.h"
#include "platform/qt/FilePatterns.h"

using namespace windowtest;

namespace {

class CommonDialogTest : public WindowTest {
protected:
  void SetUp() override
  {
    WindowTest::SetUp();
    ASSERT_TRUE(directory_.isValid());
  }

  std::string path(const char* name) const { return QDir(directory_.path()).filePath(QString::fromUtf8(name)).toStdString(); }

  void createFile(const char* name) const
  {
    QFile file(QString::fromStdString(path(name)));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x");
  }

  // A dialog of the program's kind: one filter entry, a 260-character buffer.
  OPENFILENAMEA fileDialog(HWND owner, const char* filter, const char* defaultExtension, DWORD flags)
  {
    std::memset(buffer_, 0, sizeof buffer_);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.hInstance = GetModuleHandleA(nullptr);
    ofn.lpstrFilter = filter;
    ofn.lpstrFile = buffer_;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrDefExt = defaultExtension;
    ofn.Flags = flags;
    ofn.lpstrInitialDir = directoryText_.c_str();
    return ofn;
  }

  QTemporaryDir directory_;
  std::string directoryText_ = directory_.path().toStdString();
  char buffer_[MAX_PATH];
};

constexpr DWORD openFlags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_LONGNAMES;
constexpr DWORD saveFlags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_LONGNAMES | OFN_OVERWRITEPROMPT;
const char bankFilter[] = "*.ZBK\0*.ZBK\0";

} // namespace

TEST_F(CommonDialogTest, HookAnswersMessageBoxesAndRecordsWhatTheyAsked)
{
  const HWND owner = openDialog(101);
  win32test::DialogAnswers answers;
  answers.messageBox(IDNO);
  EXPECT_EQ(MessageBoxA(owner, "選択範囲を削除します。よろしいですか？", "確認", MB_YESNO | MB_ICONQUESTION), IDNO);
  EXPECT_EQ(MessageBoxA(nullptr, "Cannot create sound device.", "Error", MB_OK | MB_ICONWARNING), IDOK);
  EXPECT_EQ(MessageBoxA(owner, "q", nullptr, MB_YESNO | MB_DEFBUTTON2), IDNO);
  ASSERT_EQ(answers.messageBoxes().size(), 3u);
  const auto& first = answers.messageBoxes()[0];
  EXPECT_EQ(first.owner, owner);
  EXPECT_EQ(first.text, "選択範囲を削除します。よろしいですか？");
  EXPECT_EQ(first.caption, "確認");
  EXPECT_EQ(first.type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
  EXPECT_TRUE(first.answered);
  EXPECT_FALSE(answers.messageBoxes()[1].answered);
  EXPECT_EQ(answers.messageBoxes()[1].owner, nullptr);
  EXPECT_EQ(answers.messageBoxes()[2].caption, "Error") << "a missing caption reads Error";
  EXPECT_EQ(answers.pending(), 0u);
}

TEST_F(CommonDialogTest, ARealMessageBoxIsModalToItsOwnerAndAnswersWithTheButton)
{
  const HWND owner = openDialog(101);
  bool ownerEnabled = true;
  QString shownText;
  QString shownTitle;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    ownerEnabled = IsWindowEnabled(owner);
    shownText = box->text();
    shownTitle = box->windowTitle();
    icon = box->icon();
    for (QAbstractButton* button : box->buttons()) {
      if (button->text() == QStringLiteral("はい(&Y)")) {
        button->click();
      }
    }
  });
  QTimer watchdog;
  QObject::connect(&watchdog, &QTimer::timeout, [] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      modal->close();
    }
  });
  watchdog.start(3000);
  const int answer = MessageBoxA(owner, "どの音色にも関連づけられていない波形を削除します。よろしいですか？", "確認",
                                 MB_YESNO | MB_ICONQUESTION);
  EXPECT_EQ(answer, IDYES);
  EXPECT_FALSE(ownerEnabled);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_EQ(shownText, QStringLiteral("どの音色にも関連づけられていない波形を削除します。よろしいですか？"));
  EXPECT_EQ(shownTitle, QStringLiteral("確認"));
  EXPECT_EQ(icon, QMessageBox::Question);
}

TEST_F(CommonDialogTest, SaveAddsTheDefaultExtensionAndReportsWhereTheNameIs)
{
  const HWND owner = openDialog(101);
  win32test::DialogAnswers answers;
  answers.fileName(path("new"));
  OPENFILENAMEA ofn = fileDialog(owner, bankFilter, "ZBK", saveFlags);
  ASSERT_TRUE(GetSaveFileNameA(&ofn));
  const std::string expected = path("new.ZBK");
  EXPECT_STREQ(buffer_, expected.c_str());
  EXPECT_EQ(ofn.nFileOffset, expected.size() - 7);
  EXPECT_EQ(ofn.nFileExtension, expected.size() - 3);
  ASSERT_EQ(answers.fileDialogs().size(), 1u);
  const auto& record = answers.fileDialogs()[0];
  EXPECT_TRUE(record.save);
  EXPECT_EQ(record.owner, owner);
  EXPECT_EQ(record.filters, (std::vector<std::pair<std::string, std::string>>{{"*.ZBK", "*.ZBK"}}));
  EXPECT_EQ(record.defaultExtension, "ZBK");
  EXPECT_EQ(record.flags, saveFlags);
  EXPECT_EQ(record.result, expected);
  EXPECT_TRUE(answers.messageBoxes().empty()) << "a new file asks nothing";
}

TEST_F(CommonDialogTest, SavingOverAFileAsksAndNoGoesBackToTheDialog)
{
  createFile("bank.ZBK");
  win32test::DialogAnswers answers;
  answers.fileName(path("bank")).messageBox(IDNO).fileName(path("other.zbk"));
  OPENFILENAMEA ofn = fileDialog(nullptr, bankFilter, "ZBK", saveFlags);
  ASSERT_TRUE(GetSaveFileNameA(&ofn));
  EXPECT_EQ(std::string(buffer_), path("other.zbk")) << "a name with an extension keeps it";
  ASSERT_EQ(answers.messageBoxes().size(), 1u);
  EXPECT_NE(answers.messageBoxes()[0].text.find("bank.ZBK"), std::string::npos);
  EXPECT_EQ(answers.messageBoxes()[0].type & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));

  // Without the overwrite flag nothing is asked.
  answers.fileName(path("bank.ZBK"));
  ofn = fileDialog(nullptr, bankFilter, "ZBK", saveFlags & ~OFN_OVERWRITEPROMPT);
  ASSERT_TRUE(GetSaveFileNameA(&ofn));
  EXPECT_EQ(answers.messageBoxes().size(), 1u);
}

TEST_F(CommonDialogTest, OpenRefusesMissingFilesAndCancelChangesNothing)
{
  createFile("bank.zbk");
  win32test::DialogAnswers answers;
  answers.fileName(path("missing.zbk")).fileName(path("bank.zbk"));
  OPENFILENAMEA ofn = fileDialog(nullptr, bankFilter, nullptr, openFlags);
  ASSERT_TRUE(GetOpenFileNameA(&ofn));
  EXPECT_EQ(std::string(buffer_), path("bank.zbk"));

  answers.cancelFileDialog();
  ofn = fileDialog(nullptr, bankFilter, nullptr, openFlags);
  EXPECT_FALSE(GetOpenFileNameA(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  EXPECT_STREQ(buffer_, "");
  // No answer left: the user cancels.
  EXPECT_FALSE(GetOpenFileNameA(&ofn));
  EXPECT_EQ(answers.fileDialogs().back().result, "");
}

TEST_F(CommonDialogTest, ABufferTooSmallIsAnErrorThatSaysTheSizeNeeded)
{
  win32test::DialogAnswers answers;
  answers.fileName("/tmp/a-rather-long-name.wav");
  OPENFILENAMEA ofn = fileDialog(nullptr, "*.WAV\0*.WAV\0", "WAV", OFN_HIDEREADONLY);
  ofn.nMaxFile = 10;
  EXPECT_FALSE(GetSaveFileNameA(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(FNERR_BUFFERTOOSMALL));
  WORD needed = 0;
  std::memcpy(&needed, buffer_, sizeof needed);
  EXPECT_EQ(needed, 28);
}

TEST_F(CommonDialogTest, PatternsMatchWhateverTheLetterCase)
{
  EXPECT_EQ(win32qt::caselessPattern(QStringLiteral("*.ZBK")), QStringLiteral("*.[zZ][bB][kK]"));
  EXPECT_EQ(win32qt::caselessPattern(QStringLiteral("a[bc]?.wav")), QStringLiteral("[aA][bc]?.[wW][aA][vV]"));
  EXPECT_EQ(win32qt::qtNameFilter("*.ZBK", "*.ZBK;*.ZB0"), QStringLiteral("*.ZBK (*.[zZ][bB][kK] *.[zZ][bB]0)"));
}

TEST_F(CommonDialogTest, TheRealOpenDialogListsBankFilesOfEitherCase)
{
  createFile("bank.zbk");
  createFile("OTHER.ZBK");
  createFile("notes.txt");
  const HWND owner = openDialog(101);
  QStringList listed;
  bool ownerEnabled = true;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    ownerEnabled = IsWindowEnabled(owner);
    auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
    ASSERT_NE(view, nullptr);
    QAbstractItemModel* model = view->model();
    // The directory is read in the background.
    EXPECT_TRUE(QTest::qWaitFor([&] { return model->rowCount(view->rootIndex()) >= 2; }, 2000));
    for (int row = 0; row < model->rowCount(view->rootIndex()); ++row) {
      const QModelIndex index = model->index(row, 0, view->rootIndex());
      if (model->flags(index) & Qt::ItemIsEnabled) {
        listed << index.data().toString();
      }
    }
    // The user types the name and presses Open.
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    name->setText(QStringLiteral("bank.zbk"));
    QMetaObject::invokeMethod(dialog, "accept");
  });
  QTimer watchdog;
  QObject::connect(&watchdog, &QTimer::timeout, [] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      modal->close();
    }
  });
  watchdog.start(5000);
  OPENFILENAMEA ofn = fileDialog(owner, bankFilter, nullptr, openFlags);
  ASSERT_TRUE(GetOpenFileNameA(&ofn));
  listed.sort();
  EXPECT_EQ(listed, (QStringList{QStringLiteral("OTHER.ZBK"), QStringLiteral("bank.zbk")}));
  EXPECT_EQ(std::string(buffer_), path("bank.zbk"));
  EXPECT_FALSE(ownerEnabled);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_EQ(ofn.nFilterIndex, 1u);
}
