#pragma once

#include "bank/ToneBank.h"
#include "framework/ModalDialog.h"
#include "framework/PushNotifyButton.h"
#include "synth/Synth.h"

#include <array>

// The on-screen keyboard: one octave of keys that sound the bank's instrument tones on
// `synth` while the mouse holds them, with the octave, the modulation and the volume the
// dialog shows, and optionally the reference tone at the note's true pitch on
// `referenceSynth`. It never changes the bank.
class AuditionDialog : public ModalDialog {
public:
    static constexpr int keyCount = 12;
    static constexpr int octaveCount = 11;
    static constexpr int initialOctave = 4;

    AuditionDialog(ToneBank& bank, Synth& synth, Synth& referenceSynth, int initialTone);

    // Runs the dialog modally over `owner`.
    void run(Window* owner);

    int onInitDialog() override;
    int onCommand(int code, int id, HWND control) override;
    int onClose() override;

private:
    void pressKey(int key);
    void releaseKey();
    // A vertical trackbar has its minimum at the top: the dialog reads it upside down,
    // so that dragging up raises the value.
    int trackbarValue(int id) const;

    Synth* synth;
    Synth* referenceSynth;
    ToneBank* bank;
    std::array<PushNotifyButton, keyCount> keys;
    int initialTone;
};
