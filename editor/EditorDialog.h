#pragma once

#include "audio/SoundDevice.h"
#include "audio/WaveOut.h"
#include "bank/ToneBank.h"
#include "editor/EnvelopeView.h"
#include "editor/WaveView.h"
#include "framework/ModelessDialog.h"
#include "synth/Synth.h"

#include <cstdint>
#include <memory>

// The main window: the bank being edited, the sound device with the two voices that
// audition it, and the two views, all for the whole run. The current tone is never
// kept here: it is whatever the tone list and the drum-mode box of the window show.
class EditorDialog : public ModelessDialog {
public:
    // Opens `output` (the sound card unless a test gives another) for 16-bit stereo at
    // 44100 Hz. Without it the editor runs on without sound, after one message box.
    explicit EditorDialog(std::unique_ptr<WaveOut> output = nullptr);
    // The render thread reads both voices and the waveforms: it stops first.
    ~EditorDialog();

    int handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    int onInitDialog() override;
    int onCommand(int code, int id, HWND control) override;
    int onClose() override;
    int onDestroy() override;

    // The one way in for tests and benchmarks, to the bank, the voices, the views and the
    // refreshes below (editor/EditorTestAccess.h). The program itself talks to the window
    // only through its messages.
    class TestAccess;

private:
    // --- the tone fields (ToneFields.cpp) -------------------------------------------
    // Rebuilds the tone list and shows the current tone in the fields and both views.
    void showTone();
    // Reads the fields into the current tone of the bank, clamping the sample count to
    // the wave and the cycle size to the sample count.
    void storeTone();
    // The index selected in the tone list (-1 when none), and whether it names a drum tone.
    int currentToneIndex() const;
    bool isDrumMode() const;
    // The wave number selected in the wave list, -1 when none.
    int currentWave() const;
    // Empties the wave list and lists the bank's waves again.
    void rebuildWaveList();

    // --- the file commands (FileCommands.cpp) ---------------------------------------
    void onOpen();
    void onSave();
    void onExportWave();
    void onLoadWave();

    // --- the waveform commands (WaveCommands.cpp) -----------------------------------
    void onChangeAmplitude();
    void onSmooth();
    // Deletes samples a to b - 1 of the current wave, then shows the tone with the
    // wave's new size.
    void deleteFromCurrentWave(const char* question, std::uint32_t a, std::uint32_t b);
    void onDeleteSelection();
    void onDeleteBeforeSelection();
    void onDeleteAfterSelection();
    void onRemoveUnusedWaves();
    void onRemoveUnusedDrumTones();
    void resizeWave();
    void stretchWave();

    // --- the sub-dialog commands (SubDialogCommands.cpp) ----------------------------
    void runAudition();
    void runDrumMapEditor();
    void runFineTune();

    // Stops every voice that could be reading waveform memory, before the bank frees
    // or replaces a block.
    void silenceVoices();

    void onToneListCommand(int code);
    void onWaveListCommand(int code);
    void onWaveScroll(WPARAM request);
    // Sets the cycle-size and sample-count fields to the size of the selected wave.
    void showWaveSizeInFields();
    // Gives the current wave the length typed beside the buttons, resampled (stretch)
    // or cut and padded at its end (resize), after the checks and questions.
    void changeWaveLength(bool stretch);

    // --- the parts, in the order they are made --------------------------------------
    std::unique_ptr<WaveOut> output;
    ToneBank bank;
    SoundDevice device;
    Synth synth;
    Synth referenceSynth;
    EnvelopeView envelopeView;
    WaveView waveView;
};
