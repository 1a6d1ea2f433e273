#include "editor/WaveTuneDialog.h"

#include "editor/Prompts.h"
#include "resources/resource.h"

void WaveTuneDialog::run(Window* owner, const std::int8_t* waveSamples, std::int32_t count)
{
    samples = waveSamples;
    sampleCount = count;
    if (!spectrum.allocate(sampleCount) || !outline.allocate(sampleCount)) {
        showError(owner != nullptr ? owner->hwnd : nullptr, text::outOfMemory);
        return;
    }
    open(owner, IDD_WAVE_TUNE);
}

int WaveTuneDialog::onInitDialog()
{
    spectrumView.attach(GetDlgItem(hwnd, IDC_TUNE_SPECTRUM));
    spectrumView.subclass();
    outlineView.attach(GetDlgItem(hwnd, IDC_TUNE_OUTLINE));
    outlineView.subclass();
    for (std::int32_t i = 0; i < sampleCount; ++i)
        spectrum.setInput(i, static_cast<float>(samples[i]));
    spectrum.transform();
    spectrumView.setSource(&spectrum);
    outlineView.setSource(&outline);
    return 0;
}

// OK and Cancel alike close the window: there is nothing to keep.
int WaveTuneDialog::onCommand(int, int id, HWND)
{
    if (id != IDOK && id != IDCANCEL)
        return 0;
    SendMessageA(hwnd, WM_CLOSE, 0, 0);
    return 1;
}

int WaveTuneDialog::onClose()
{
    end();
    return 1;
}
