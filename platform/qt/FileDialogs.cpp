// GetOpenFileNameA and GetSaveFileNameA over Qt's own file dialog.
#include <QFileDialog>
#include <QFileInfo>

#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/FileFilters.h"
#include "platform/qt/DialogHookState.h"
#include "platform/qt/FilePatterns.h"
#include "platform/qt/MessageQueue.h"
#include "platform/qt/WindowRecord.h"
#include "platform/win32.h"

using namespace win32qt;

namespace {

DWORD lastError = 0;

// Windows adds the default extension to a name that has none.
std::string withDefaultExtension(const std::string& path, LPCSTR defaultExtension)
{
    if (defaultExtension == nullptr || *defaultExtension == '\0') {
        return path;
    }
    const std::size_t nameStart = path.find_last_of("/\\") == std::string::npos ? 0 : path.find_last_of("/\\") + 1;
    if (path.find('.', nameStart) != std::string::npos) {
        return path;
    }
    return path + "." + defaultExtension;
}

bool fileExists(const std::string& path)
{
    const QFileInfo info(QString::fromStdString(path));
    return info.exists() && info.isFile();
}

// Tells what the user would be told when the file to open is not there; the dialog
// then stays open for another name.
void tellFileMissing(HWND owner, const std::string& path, const std::string& title)
{
    const std::string notice = path + "\nファイルが見つかりません。\nファイル名を確認してください。";
    MessageBoxA(owner, notice.c_str(), title.c_str(), MB_OK | MB_ICONWARNING);
}

// Asks what the user would be asked before a file is replaced.
bool overwriteAccepted(HWND owner, const std::string& path, const std::string& title)
{
    const std::string name = QFileInfo(QString::fromStdString(path)).fileName().toStdString();
    const std::string question = name + " は既に存在します。\n上書きしますか?";
    return MessageBoxA(owner, question.c_str(), title.c_str(), MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

std::optional<std::string> answerFromHook(DialogHookState& hook, LPOPENFILENAMEA ofn, bool save,
                                          const std::string& title)
{
    while (!hook.fileAnswers.empty()) {
        const std::optional<std::string> answer = hook.fileAnswers.front();
        hook.fileAnswers.pop_front();
        if (!answer) {
            return std::nullopt;
        }
        const std::string path = withDefaultExtension(*answer, ofn->lpstrDefExt);
        if ((ofn->Flags & OFN_FILEMUSTEXIST) && !fileExists(path)) {
            tellFileMissing(ofn->hwndOwner, path, title);
            continue;
        }
        if (save && (ofn->Flags & OFN_OVERWRITEPROMPT) && fileExists(path) &&
            !overwriteAccepted(ofn->hwndOwner, path, title)) {
            continue;
        }
        return path;
    }
    return std::nullopt;
}

// Qt's dialog, told that the file to open must exist: as the system's dialog does, a
// name that is not there is answered with the notice and the dialog stays open (Qt's
// own mode for it only disables the button, so Return did nothing and said nothing).
class OpenFileDialog : public QFileDialog {
public:
    OpenFileDialog(QWidget* parent, const QString& caption, LPOPENFILENAMEA ofn, bool mustExist)
        : QFileDialog(parent, caption), ofn_(ofn), mustExist_(mustExist)
    {
    }

    void accept() override
    {
        const QStringList files = selectedFiles();
        if (mustExist_ && !files.isEmpty() && !QFileInfo(files.first()).isDir()) {
            const std::string path = withDefaultExtension(files.first().toStdString(), ofn_->lpstrDefExt);
            if (!fileExists(path)) {
                tellFileMissing(ofn_->hwndOwner, path, windowTitle().toStdString());
                return;
            }
        }
        QFileDialog::accept();
    }

private:
    LPOPENFILENAMEA ofn_;
    bool mustExist_;
};

std::optional<std::string> answerFromUser(LPOPENFILENAMEA ofn, bool save, const std::string& title,
                                          const std::vector<std::pair<std::string, std::string>>& filters)
{
    Window* owner = findWindow(ofn->hwndOwner);
    if (owner != nullptr) {
        owner = topLevelOf(*owner);
    }
    OpenFileDialog dialog(owner != nullptr ? owner->frame.data() : nullptr, QString::fromStdString(title), ofn,
                          !save && (ofn->Flags & OFN_FILEMUSTEXIST));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(ofn->Flags & OFN_OVERWRITEPROMPT));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setWindowModality(owner != nullptr ? Qt::WindowModal : Qt::ApplicationModal);
    if (ofn->lpstrInitialDir != nullptr && *ofn->lpstrInitialDir != '\0') {
        dialog.setDirectory(QString::fromUtf8(ofn->lpstrInitialDir));
    }
    QStringList nameFilters;
    for (const auto& [description, pattern] : filters) {
        nameFilters << qtNameFilter(description, pattern);
    }
    if (!nameFilters.isEmpty()) {
        dialog.setNameFilters(nameFilters);
        const int index = ofn->nFilterIndex >= 1 && ofn->nFilterIndex <= static_cast<DWORD>(nameFilters.size())
                              ? static_cast<int>(ofn->nFilterIndex) - 1
                              : 0;
        dialog.selectNameFilter(nameFilters[index]);
    }
    if (ofn->lpstrDefExt != nullptr) {
        dialog.setDefaultSuffix(QString::fromUtf8(ofn->lpstrDefExt));
    }
    if (ofn->lpstrFile != nullptr && *ofn->lpstrFile != '\0') {
        dialog.selectFile(QString::fromUtf8(ofn->lpstrFile));
    }

    const HWND ownerHandle = owner != nullptr ? owner->handle : nullptr;
    const bool disableOwner = ownerHandle != nullptr && IsWindowEnabled(ownerHandle);
    if (disableOwner) {
        EnableWindow(ownerHandle, FALSE);
    }
    int result = 0;
    {
        ForeignLoopScope loop;
        result = dialog.exec();
    }
    if (disableOwner && IsWindow(ownerHandle)) {
        EnableWindow(ownerHandle, TRUE);
    }
    if (result != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    const QString selectedFilter = dialog.selectedNameFilter();
    ofn->nFilterIndex = static_cast<DWORD>(std::max<qsizetype>(0, nameFilters.indexOf(selectedFilter)) + 1);
    return withDefaultExtension(dialog.selectedFiles().first().toStdString(), ofn->lpstrDefExt);
}

// Hands `path` to the caller as the dialog's answer; false with FNERR_BUFFERTOOSMALL
// when it does not fit.
bool returnPath(LPOPENFILENAMEA ofn, const std::string& path)
{
    if (path.size() + 1 > ofn->nMaxFile) {
        // The first two bytes say how long the buffer must be.
        const auto needed = static_cast<WORD>(std::min<std::size_t>(path.size() + 1, 0xFFFF));
        if (ofn->nMaxFile >= 2) {
            std::memcpy(ofn->lpstrFile, &needed, sizeof needed);
        }
        lastError = FNERR_BUFFERTOOSMALL;
        return false;
    }
    std::memcpy(ofn->lpstrFile, path.c_str(), path.size() + 1);
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = path.find_last_of('.');
    ofn->nFileOffset = static_cast<WORD>(nameStart);
    ofn->nFileExtension = static_cast<WORD>(dot != std::string::npos && dot >= nameStart ? dot + 1 : path.size());
    if (ofn->lpstrFileTitle != nullptr && ofn->nMaxFileTitle > 0) {
        copyText(path.substr(nameStart), ofn->lpstrFileTitle, static_cast<int>(ofn->nMaxFileTitle));
    }
    return true;
}

BOOL fileDialog(LPOPENFILENAMEA ofn, bool save)
{
    lastError = 0;
    if (ofn == nullptr || ofn->lpstrFile == nullptr || ofn->nMaxFile == 0) {
        lastError = 0xFFFF; // CDERR_DIALOGFAILURE
        return FALSE;
    }
    const auto filters = fileDialogFilters(ofn->lpstrFilter);
    const std::string title = ofn->lpstrTitle != nullptr ? ofn->lpstrTitle : (save ? "名前を付けて保存" : "開く");

    std::optional<std::string> chosen;
    DialogHookState* hook = activeDialogHook();
    win32test::FileDialogRecord record;
    if (hook != nullptr) {
        record.save = save;
        record.owner = ofn->hwndOwner;
        record.title = title;
        record.filters = filters;
        record.defaultExtension = ofn->lpstrDefExt != nullptr ? ofn->lpstrDefExt : "";
        record.flags = ofn->Flags;
        chosen = answerFromHook(*hook, ofn, save, title);
    } else {
        chosen = answerFromUser(ofn, save, title, filters);
    }
    const BOOL returned = chosen && returnPath(ofn, *chosen);
    // The answers may have been dropped while the dialog was up.
    if (hook != nullptr && activeDialogHook() != nullptr) {
        record.result = returned ? *chosen : "";
        activeDialogHook()->fileDialogs.push_back(record);
    }
    return returned;
}

} // namespace

BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA ofn)
{
    return fileDialog(ofn, false);
}

BOOL WINAPI GetSaveFileNameA(LPOPENFILENAMEA ofn)
{
    return fileDialog(ofn, true);
}

DWORD WINAPI CommDlgExtendedError(void)
{
    return lastError;
}
