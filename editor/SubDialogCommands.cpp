#include "editor/AuditionDialog.h"
#include "editor/DrumMapDialog.h"
#include "editor/EditorDialog.h"
#include "editor/Prompts.h"
#include "editor/WaveTuneDialog.h"

#include <memory>

namespace {

// The transform takes time in the square of the size; above this the user is asked.
constexpr std::uint32_t largeWaveBytes = 65536;

} // namespace

// The audition plays what the window shows, so the fields are stored first.
void EditorDialog::runAudition()
{
    storeTone();
    AuditionDialog audition(bank, synth, referenceSynth, currentToneIndex());
    audition.run(this);
}

// The dialog edits copies; they replace the bank's only when it ends with OK. Drum tones
// it adds are in the bank already.
void EditorDialog::runDrumMapEditor()
{
    storeTone();
    // The copies of every drum map are large for the stack.
    auto drumMapDialog = std::make_unique<DrumMapDialog>(bank, synth);
    drumMapDialog->copyFrom(bank);
    if (bank.waveCount() == 0) {
        showError(hwnd, text::noWaveForDrumSetMap);
        return;
    }
    drumMapDialog->run(this);
    if (drumMapDialog->accepted())
        drumMapDialog->copyTo(bank);
    showTone();
}

void EditorDialog::runFineTune()
{
    const int wave = currentWave();
    if (wave < 0) {
        showError(hwnd, text::noWaveToFineTune);
        return;
    }
    const std::uint32_t size = bank.waveSize(static_cast<std::uint32_t>(wave));
    if (size > largeWaveBytes && !confirmLongWork(hwnd, text::confirmHugeWave))
        return;
    // Held for the dialog's life, whatever the bank does meanwhile.
    const WaveRef block = bank.waveData(static_cast<std::uint32_t>(wave));
    WaveTuneDialog fineTune;
    fineTune.run(this, block->samples.data(), static_cast<std::int32_t>(size));
    showTone();
}
