#pragma once

#include "framework/DctBuffer.h"
#include "framework/ModalDialog.h"
#include "framework/TransformPanel.h"

#include <cstdint>

// The waveform fine tuning, still under construction, as its window says: it takes the
// cosine transform of the waveform and shows two panels that draw nothing of it yet. It
// changes nothing in the bank.
class WaveTuneDialog : public ModalDialog {
public:
    // Sizes both buffers to the waveform and runs the dialog modally over `owner`; when a
    // buffer cannot be had, says so instead. The samples must outlive the dialog.
    void run(Window* owner, const std::int8_t* samples, std::int32_t sampleCount);

    int onInitDialog() override;
    int onCommand(int code, int id, HWND control) override;
    int onClose() override;

    // How tests read the transform it took (editor/EditorTestAccess.h).
    class TestAccess;

private:
    const std::int8_t* samples = nullptr;
    std::int32_t sampleCount = 0;
    ForwardDctBuffer spectrum;
    InverseDctBuffer outline;
    TransformPanel spectrumView;
    TransformPanel outlineView;
};
