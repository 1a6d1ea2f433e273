// The Qt layer's own side of message boxes and file dialogs: the Qt dialogs a user
// sees, and how Windows file patterns become Qt name filters.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QTemporaryDir>

#include "TestWindows.h"
#include "platform/Win32TestHook.h"
#include "platform/qt/FilePatterns.h"
#include "tests/support/FileDialogRequest.h"

using namespace windowtest;

namespace {

class CommonDialogTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_TRUE(directory_.isValid());
    }

    std::string path(const char* name) const
    {
        return QDir(directory_.path()).filePath(QString::fromUtf8(name)).toStdString();
    }

    void createFile(const char* name) const
    {
        QFile file(QString::fromStdString(path(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("x");
    }

    // A dialog of the program's kind: one filter entry, a 260-character buffer.
    OPENFILENAMEA fileDialog(HWND owner, const char* filter, const char* defaultExtension, DWORD flags)
    {
        return fileDialogRequest(owner, filter, defaultExtension, flags, directoryText_.c_str(), buffer_,
                                 sizeof buffer_);
    }

    QTemporaryDir directory_;
    std::string directoryText_ = directory_.path().toStdString();
    char buffer_[MAX_PATH];
};

constexpr DWORD openFlags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_LONGNAMES;
const char bankFilter[] = "*.ZBK\0*.ZBK\0";

} // namespace

TEST_F(CommonDialogTest, AMessageBoxShowsTheIconOfItsType)
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        icon = box->icon();
        box->buttons().first()->click();
    });
    MessageBoxA(nullptr, "q", "確認", MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(icon, QMessageBox::Question);
}

// The system's question names the file; Wine's does not, so this stays with the Qt layer.
TEST_F(CommonDialogTest, TheOverwriteQuestionNamesTheFile)
{
    createFile("bank.ZBK");
    win32test::DialogAnswers answers;
    answers.fileName(path("bank")).messageBox(IDYES);
    OPENFILENAMEA ofn = fileDialog(nullptr, bankFilter, "ZBK", OFN_OVERWRITEPROMPT);
    ASSERT_TRUE(GetSaveFileNameA(&ofn));
    ASSERT_EQ(answers.messageBoxes().size(), 1u);
    EXPECT_NE(answers.messageBoxes()[0].text.find("bank.ZBK"), std::string::npos) << answers.messageBoxes()[0].text;
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

TEST_F(CommonDialogTest, TheRealOpenDialogSaysANameThatIsNotThereIsNotFoundAndStaysOpen)
{
    createFile("bank.zbk");
    const HWND owner = openDialog(101);
    QString notice;
    bool stayedOpen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        // The notice is modal: read it and close it from the loop it runs.
        QTimer::singleShot(0, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                notice = box->text();
                box->accept();
            }
        });
        name->setText(QStringLiteral("missing"));
        QTest::keyClick(name, Qt::Key_Return);
        stayedOpen = QApplication::activeModalWidget() == dialog;
        name->setText(QStringLiteral("bank"));
        QTest::keyClick(name, Qt::Key_Return);
    });
    QTimer watchdog;
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            modal->close();
        }
    });
    watchdog.start(5000);
    OPENFILENAMEA ofn = fileDialog(owner, bankFilter, "zbk", openFlags);
    ASSERT_TRUE(GetOpenFileNameA(&ofn));
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(notice.toStdString(),
              path("missing.zbk") + "\nファイルが見つかりません。\nファイル名を確認してください。");
    EXPECT_EQ(std::string(buffer_), path("bank.zbk"));
}
