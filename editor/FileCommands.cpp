// The File menu and the load-waveform button: banks and waves to and from files,
// through the common open and save dialogs.
#include "editor/EditorDialog.h"

#include "editor/Prompts.h"
#include "framework/ApplicationBase.h"
#include "resources/resource.h"

#include <string>

namespace {

constexpr DWORD openFlags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_LONGNAMES;
// A file that must exist already would make saving a new bank impossible.
constexpr DWORD saveFlags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_LONGNAMES | OFN_OVERWRITEPROMPT;

// A file name chosen in a common dialog whose one filter is `pattern`, shown as itself.
class FileChoice {
public:
    // Empty when the user cancelled.
    const char* open(HWND owner, const char* pattern) { return ask(owner, pattern, nullptr, false); }
    const char* save(HWND owner, const char* pattern, const char* defaultExtension)
    {
        return ask(owner, pattern, defaultExtension, true);
    }

private:
    const char* ask(HWND owner, const char* pattern, const char* defaultExtension, bool saving)
    {
        // The description and the pattern, each ended by a zero, and one more zero: the
        // string's own terminator. Held as a string, any pattern fits.
        filter_.assign(pattern);
        filter_ += '\0';
        filter_ += pattern;
        filter_ += '\0';
        name_[0] = '\0';

        OPENFILENAMEA dialog{};
        dialog.lStructSize = sizeof dialog;
        dialog.hwndOwner = owner;
        dialog.hInstance = ApplicationBase::currentInstance();
        dialog.lpstrFilter = filter_.c_str();
        dialog.lpstrFile = name_;
        dialog.nMaxFile = sizeof name_;
        dialog.Flags = saving ? saveFlags : openFlags;
        dialog.lpstrDefExt = defaultExtension;
        const BOOL chosen = saving ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
        return chosen ? name_ : nullptr;
    }

    std::string filter_;
    char name_[MAX_PATH] = {};
};

} // namespace

void EditorDialog::onOpen()
{
    FileChoice choice;
    const char* fileName = choice.open(hwnd, "*.ZBK");
    if (fileName == nullptr)
        return;
    // Loading frees every wave a voice might still be reading.
    silenceVoices();
    if (!bank.loadBank(fileName)) {
        showFileError(hwnd, text::readFailed);
        // Whatever the bank holds now is what the window shows.
        rebuildWaveList();
        showTone();
        return;
    }
    rebuildWaveList();
    SendDlgItemMessageA(hwnd, IDC_WAVE_LIST, CB_SETCURSEL, 0, 0);
    showTone();
}

void EditorDialog::onSave()
{
    FileChoice choice;
    const char* fileName = choice.save(hwnd, "*.ZBK", "ZBK");
    if (fileName == nullptr)
        return;
    if (!bank.saveBank(fileName))
        showFileError(hwnd, text::saveFailed);
}

void EditorDialog::onExportWave()
{
    FileChoice choice;
    const char* fileName = choice.save(hwnd, "*.WAV", "WAV");
    if (fileName == nullptr)
        return;
    // With no wave selected there is nothing to write, and that is a failed write.
    const int wave = currentWave();
    if (wave < 0 || !bank.exportWav(fileName, static_cast<std::uint32_t>(wave)))
        showFileError(hwnd, text::writeFailed);
}

void EditorDialog::onLoadWave()
{
    FileChoice choice;
    const char* fileName = choice.open(hwnd, "*.WAV");
    if (fileName == nullptr)
        return;
    const std::uint32_t newWave = bank.waveCount();
    if (!bank.importWav(fileName)) {
        showFileError(hwnd, text::readFailed);
        return;
    }
    rebuildWaveList();
    SendDlgItemMessageA(hwnd, IDC_WAVE_LIST, CB_SETCURSEL, newWave, 0);
    showWaveSizeInFields();
    storeTone();
    showTone();
}
