#pragma once

#include "audio/SoundSource.h"
#include "bank/ToneRecord.h"
#include "synth/VoiceState.h"

#include <cstdint>
#include <mutex>

class SoundDevice;

// One monophonic voice playing one tone: a sound source that adds its samples into the
// device's mix. A tone plays with the instrument algorithm (pitch from the note, loop,
// envelope, amplitude vibrato) or, when its drumAlgorithm flag is set, with the drum
// algorithm (the waveform once at a speed the tone gives). Polyphony comes from several
// voices on one device; a note-on always restarts the voice.
//
// Every operation runs on the user-interface thread and takes the device's render lock
// while it changes what the render routine reads, so a change made during a block takes
// effect at the next block.
class Synth : public SoundSource {
public:
    Synth();
    ~Synth() override;

    // Joins `device` as a one-channel source; the second argument is not used.
    bool connect(SoundDevice& device, std::int32_t channelCount) override;
    // Takes a copy of `tone`, converts it to the device's rate and picks the render
    // routine of its algorithm. A sounding note goes on with the new tone.
    void setTone(const ToneRecord& tone);
    // Starts a note of `frequency` (Hz x 128, see the note table). False for frequency 0,
    // and for a tone without a waveform or without samples: the voice stays silent.
    bool noteOn(std::uint32_t frequency);
    // Instrument: the release stage. Drum: the note-off play speed.
    bool noteOff();
    // Stops the voice at once.
    bool silence();
    // 0..127; larger values (a negative one taken as unsigned among them) give 127.
    bool setVolume(std::uint32_t volume);
    // Adds (value >> 2, limited to 0..63) units to the vibrato depth of the notes.
    void setModulation(std::int32_t value);

    // A consistent copy of the voice and of its converted tone, for views and tests.
    VoiceState state() const;
    ToneRecord tone() const;

    void render8Mono(std::int32_t* mix, std::int32_t frames) override;
    void render8Stereo(std::int32_t* mix, std::int32_t frames) override;
    void render16Mono(std::int32_t* mix, std::int32_t frames) override;
    void render16Stereo(std::int32_t* mix, std::int32_t frames) override;

private:
    // Holds the render lock of the connected device; holds nothing when unconnected.
    std::unique_lock<std::mutex> lockRender() const;
    void silenceLocked();
    bool enterBlock();
    template <class Output> void renderInstrumentBlock(std::int32_t* mix, std::int32_t frames);
    template <class Output> static void renderDrumBlock(SoundSource& source, std::int32_t* mix, std::int32_t frames);
    RenderRoutine chooseRenderRoutine() const;

    ToneRecord tone_;
    VoiceState voice_;
};
