#include "editor/AuditionDialog.h"

#include "editor/NumberList.h"
#include "editor/ProgramNames.h"
#include "editor/Prompts.h"
#include "resources/resource.h"
#include "synth/NoteTable.h"

namespace {

constexpr int trackbarTop = 127;
constexpr int initialModulationPosition = 127; // modulation 0
constexpr int initialVolumePosition = 27;      // volume 100

void setUpTrackbar(HWND track, int position)
{
    SendMessageA(track, TBM_SETRANGE, FALSE, MAKELPARAM(0, trackbarTop));
    SendMessageA(track, TBM_SETPOS, TRUE, position);
    SendMessageA(track, TBM_SETTIC, 0, 1);
}

} // namespace

AuditionDialog::AuditionDialog(ToneBank& bank, Synth& synth, Synth& referenceSynth, int initialTone)
    : synth(&synth), referenceSynth(&referenceSynth), bank(&bank), initialTone(initialTone)
{
}

void AuditionDialog::run(Window* owner)
{
    open(owner, IDD_AUDITION);
}

int AuditionDialog::onInitDialog()
{
    if (bank->waveCount() == 0) {
        // The keyboard never shows, so the error is the main window's.
        showError(parent != nullptr ? parent->hwnd : nullptr, text::noWaveToAudition);
        end();
        return 0;
    }
    ComboBox combo;
    combo.attach(GetDlgItem(hwnd, IDC_AUDITION_TONE));
    fillWithProgramNames(combo);
    combo.setCurSel(initialTone);

    combo.attach(GetDlgItem(hwnd, IDC_AUDITION_OCTAVE));
    fillWithNumbers(combo, NumberTexts(octaveCount));
    combo.setCurSel(initialOctave);

    for (int key = 0; key < keyCount; ++key) {
        keys[key].attach(GetDlgItem(hwnd, IDC_KEY + key));
        keys[key].subclass();
    }
    setUpTrackbar(GetDlgItem(hwnd, IDC_AUDITION_MODULATION), initialModulationPosition);
    setUpTrackbar(GetDlgItem(hwnd, IDC_AUDITION_VOLUME), initialVolumePosition);
    return 0;
}

// Only the keys act. OK and Cancel (Enter and Esc) are taken and do nothing: the
// keyboard closes by its close box alone.
int AuditionDialog::onCommand(int code, int id, HWND)
{
    if (id < IDC_KEY || id >= IDC_KEY + keyCount)
        return 1;
    if (code == PushNotifyButton::pushedCode)
        pressKey(id - IDC_KEY);
    else if (code == PushNotifyButton::unpushedCode)
        releaseKey();
    return 1;
}

// The close box ends every note at once. The reference voice is let go as well, in case
// its key never saw the button come up (the press lost to another window).
int AuditionDialog::onClose()
{
    synth->silence();
    referenceSynth->noteOff();
    return ModalDialog::onClose();
}

void AuditionDialog::pressKey(int key)
{
    const int octave = static_cast<int>(SendDlgItemMessageA(hwnd, IDC_AUDITION_OCTAVE, CB_GETCURSEL, 0, 0));
    const int program = static_cast<int>(SendDlgItemMessageA(hwnd, IDC_AUDITION_TONE, CB_GETCURSEL, 0, 0));
    synth->setModulation(trackbarValue(IDC_AUDITION_MODULATION));
    synth->setTone(bank->getInstrumentTone(static_cast<std::uint32_t>(program)));
    synth->setVolume(static_cast<std::uint32_t>(trackbarValue(IDC_AUDITION_VOLUME)));
    const std::uint32_t frequency = noteFrequency(static_cast<std::uint32_t>(octave * keyCount + key));
    synth->noteOn(frequency);
    if (IsDlgButtonChecked(hwnd, IDC_AUDITION_REFERENCE) == BST_CHECKED)
        referenceSynth->noteOn(frequency);
}

void AuditionDialog::releaseKey()
{
    synth->noteOff();
    referenceSynth->noteOff();
}

int AuditionDialog::trackbarValue(int id) const
{
    return trackbarTop - static_cast<int>(SendDlgItemMessageA(hwnd, id, TBM_GETPOS, 0, 0));
}
