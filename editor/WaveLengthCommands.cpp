// Resize and stretch: the current wave gets the length typed beside the buttons, cut or
// padded at its end, or resampled to it.
#include "editor/EditorDialog.h"

#include "editor/Prompts.h"
#include "resources/resource.h"

void EditorDialog::resizeWave()
{
    changeWaveLength(false);
}

void EditorDialog::stretchWave()
{
    changeWaveLength(true);
}

void EditorDialog::changeWaveLength(bool stretch)
{
    const int wave = currentWave();
    if (wave < 0)
        return;
    const auto index = static_cast<std::uint32_t>(wave);
    const std::uint32_t length = GetDlgItemInt(hwnd, IDC_NEW_SIZE, nullptr, FALSE);
    if (length < ToneBank::shortestWave) {
        showError(hwnd, text::sizeTooSmall);
        return;
    }
    const std::uint32_t oldLength = bank.waveSize(index);
    if (length < oldLength) {
        if (!confirm(hwnd, stretch ? text::confirmStretchLoss : text::confirmResizeLoss))
            return;
    } else if (length == oldLength) {
        MessageBoxA(hwnd, text::sameSize, text::confirmCaption, MB_OK | MB_ICONQUESTION);
        return;
    }

    // The wave is replaced: no voice may go on reading the old one.
    silenceVoices();
    const auto how = stretch ? ToneBank::LengthChange::stretch : ToneBank::LengthChange::resize;
    if (bank.changeWaveLength(index, length, how) == ToneBank::LengthResult::outOfMemory) {
        MessageBoxA(hwnd, text::outOfMemoryRegret, text::errorCaption, MB_OK);
        return;
    }
    if (stretch) {
        // The tone shown keeps its pitch and loop in the resampled wave, from the values
        // its fields show.
        for (int field : {IDC_CYCLE_SIZE, IDC_LOOP_RETURN}) {
            const std::uint32_t position = GetDlgItemInt(hwnd, field, nullptr, FALSE);
            SetDlgItemInt(hwnd, field, ToneBank::stretchedPosition(position, oldLength, length), FALSE);
        }
    }
    SetDlgItemInt(hwnd, IDC_SAMPLE_COUNT, length, FALSE);
    storeTone();
    showTone();
}
