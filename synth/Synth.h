#pragma once

#include "audio/RenderLockHeld.h"
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
// effect at the next block. The forms taking RenderLockHeld do the same where the lock
// is already held: in another source's render routine, which runs before this voice's
// in the same block when it was connected first, so the change takes effect in that block.
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
    // Multiplies the pitch of the sounding note and of the next ones by `ratio`
    // (unitPitchRatio: the pitch of the note itself); a drum's play speed too.
    void setPitchBend(PitchRatio ratio);
    // Where the voice sits between the two channels of a stereo device: 0 left, 64 the
    // centre every voice has when it connects, 127 right (larger values give 127).
    void setPan(std::uint32_t position);

    void setTone(const ToneRecord& tone, RenderLockHeld);
    bool noteOn(std::uint32_t frequency, RenderLockHeld);
    bool noteOff(RenderLockHeld);
    bool silence(RenderLockHeld);
    bool setVolume(std::uint32_t volume, RenderLockHeld);
    void setModulation(std::int32_t value, RenderLockHeld);
    void setPitchBend(PitchRatio ratio, RenderLockHeld);
    void setPan(std::uint32_t position, RenderLockHeld);
    // Ends an instrument note within `frames` frames, its level falling in a straight line
    // from where it is, whatever the tone's release: for a voice taken for another note,
    // which would click if it stopped at once. False for a drum tone, which has no level.
    bool fadeOut(std::uint32_t frames, RenderLockHeld);

    // A consistent copy of the voice and of its converted tone, for views and tests.
    VoiceState state() const;
    ToneRecord tone() const;
    const VoiceState& state(RenderLockHeld) const { return voice_; }
    const ToneRecord& tone(RenderLockHeld) const { return tone_; }

    void render8Mono(std::int32_t* mix, std::int32_t frames) override;
    void render8Stereo(std::int32_t* mix, std::int32_t frames) override;
    void render16Mono(std::int32_t* mix, std::int32_t frames) override;
    void render16Stereo(std::int32_t* mix, std::int32_t frames) override;

private:
    // Holds the render lock of the connected device; holds nothing when unconnected.
    std::unique_lock<std::mutex> lockRender() const;
    bool enterBlock();
    template <class Output> void renderInstrumentBlock(std::int32_t* mix, std::int32_t frames);
    template <class Output> static void renderDrumBlock(SoundSource& source, std::int32_t* mix, std::int32_t frames);
    RenderRoutine chooseRenderRoutine() const;

    ToneRecord tone_;
    VoiceState voice_;
};
