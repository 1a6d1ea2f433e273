// What tests and benchmarks reach inside the editor's windows beside their messages: the
// state to set up and to check, and the refreshes that follow a bank changed behind a
// window's back. The program itself never includes this.
#pragma once

#include "editor/DrumMapDialog.h"
#include "editor/EditorDialog.h"
#include "editor/WaveTuneDialog.h"

#include <cstdint>

// The main window's bank, its sound device with the two voices, its views, and what it
// shows of them.
class EditorDialog::TestAccess {
public:
    explicit TestAccess(EditorDialog& editor) : editor_(editor) {}

    ToneBank& bank() const { return editor_.bank; }
    SoundDevice& device() const { return editor_.device; }
    Synth& synth() const { return editor_.synth; }
    Synth& referenceSynth() const { return editor_.referenceSynth; }
    WaveView& waveView() const { return editor_.waveView; }
    EnvelopeView& envelopeView() const { return editor_.envelopeView; }

    // Shows the current tone again, as a choice in the tone list does.
    void showTone() const { editor_.showTone(); }
    // Lists the bank's waves again, after waves were added or removed.
    void rebuildWaveList() const { editor_.rebuildWaveList(); }
    // The index selected in the tone list and the wave number selected in the wave list,
    // -1 when none.
    int currentToneIndex() const { return editor_.currentToneIndex(); }
    int currentWave() const { return editor_.currentWave(); }

private:
    EditorDialog& editor_;
};

// The copies the drum map dialog edits, as they stand.
class DrumMapDialog::TestAccess {
public:
    explicit TestAccess(const DrumMapDialog& dialog) : dialog_(dialog) {}

    const ToneBank::DrumMaps& drumMaps() const { return dialog_.drumMaps; }
    const ToneBank::DrumSetMap& drumSetMap() const { return dialog_.drumSetMap; }
    std::int32_t drumSetCount() const { return dialog_.drumSetCount; }

private:
    const DrumMapDialog& dialog_;
};

// The cosine transform the fine tuning took of the waveform.
class WaveTuneDialog::TestAccess {
public:
    explicit TestAccess(WaveTuneDialog& dialog) : dialog_(dialog) {}

    ForwardDctBuffer& spectrum() const { return dialog_.spectrum; }

private:
    WaveTuneDialog& dialog_;
};
