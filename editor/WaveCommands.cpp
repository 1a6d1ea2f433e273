// The buttons that edit the current wave or the whole bank: each confirms, gathers what
// the window shows, calls one bank operation and shows the tone again.
#include "editor/EditorDialog.h"

#include "editor/Prompts.h"
#include "resources/resource.h"
#include "synth/PlayingWaveEdit.h"

namespace {

// The wave an operation is given: -1, no wave, is out of every range.
std::uint32_t waveArgument(int wave)
{
    return static_cast<std::uint32_t>(wave);
}

// Makes the edit that `makeEdit` gives for the samples of wave `wave` (none for -1), which
// a note may be playing.
template <typename MakeEdit> void editWave(const ToneBank& bank, SoundDevice& device, int wave, MakeEdit makeEdit)
{
    const WaveRef block = bank.waveData(waveArgument(wave));
    if (block)
        editPlayingWave(device, *block, makeEdit(block->samples));
}

} // namespace

void EditorDialog::onChangeAmplitude()
{
    if (!confirm(hwnd, text::confirmChangeAmplitude))
        return;
    const auto target = static_cast<std::int32_t>(GetDlgItemInt(hwnd, IDC_TARGET_AMPLITUDE, nullptr, FALSE));
    std::int32_t start = 0;
    std::int32_t end = 0;
    waveView.getSelection(start, end);
    editWave(bank, device, currentWave(), [&](const std::vector<std::int8_t>& samples) {
        return amplitudeEdit(samples, static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(end), target);
    });
    showTone();
}

void EditorDialog::onSmooth()
{
    if (!confirm(hwnd, text::confirmSmooth))
        return;
    std::int32_t start = 0;
    std::int32_t end = 0;
    waveView.getSelection(start, end);
    editWave(bank, device, currentWave(), [&](const std::vector<std::int8_t>& samples) {
        return smoothingEdit(samples, static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(end));
    });
    showTone();
}

void EditorDialog::deleteFromCurrentWave(const char* question, std::uint32_t a, std::uint32_t b)
{
    if (!confirm(hwnd, question))
        return;
    const int wave = currentWave();
    // Without a wave there is nothing to delete from, and the tone stays as it is.
    if (wave < 0)
        return;
    silenceVoices();
    // A deletion refused (fewer than 4 samples would remain) is not reported; the tone
    // takes the wave's size either way.
    bank.deleteWaveRange(waveArgument(wave), a, b);
    showWaveSizeInFields();
    waveView.clearSelection();
    storeTone();
    showTone();
}

void EditorDialog::onDeleteSelection()
{
    std::int32_t start = 0;
    std::int32_t end = 0;
    waveView.getSelection(start, end);
    deleteFromCurrentWave(text::confirmDeleteSelection, static_cast<std::uint32_t>(start),
                          static_cast<std::uint32_t>(end));
}

void EditorDialog::onDeleteBeforeSelection()
{
    std::int32_t start = 0;
    std::int32_t end = 0;
    waveView.getSelection(start, end);
    deleteFromCurrentWave(text::confirmDeleteBefore, 0, static_cast<std::uint32_t>(start));
}

void EditorDialog::onDeleteAfterSelection()
{
    std::int32_t start = 0;
    std::int32_t end = 0;
    waveView.getSelection(start, end);
    const int wave = currentWave();
    const std::uint32_t size = wave >= 0 ? bank.waveSize(waveArgument(wave)) : 0;
    deleteFromCurrentWave(text::confirmDeleteAfter, static_cast<std::uint32_t>(end), size);
}

void EditorDialog::onRemoveUnusedWaves()
{
    if (!confirm(hwnd, text::confirmDeleteUnusedWaves))
        return;
    silenceVoices();
    bank.removeUnusedWaves();
    rebuildWaveList();
    showTone();
}

void EditorDialog::onRemoveUnusedDrumTones()
{
    if (!confirm(hwnd, text::confirmDeleteUnusedDrumTones))
        return;
    bank.removeUnusedDrumTones();
    rebuildWaveList();
    showTone();
}
