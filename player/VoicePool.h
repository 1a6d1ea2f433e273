#pragma once

#include "audio/RenderLockHeld.h"
#include "player/GeneralMidiTones.h"
#include "synth/Synth.h"

#include <cstdint>
#include <memory>
#include <vector>

class SoundDevice;

// The voices a song plays on: a Synth per note, all on one device. Beside the voices for
// notes it keeps as many again (a quarter, at least four) for notes that were stolen: a
// voice taken away from its note fades out over a few milliseconds there instead of
// stopping at once, which would click, while the new note starts on a voice of its own.
//
// Everything but construction and `connect` runs on the render thread under the lock.
class VoicePool {
public:
    static constexpr std::int32_t noChannel = -1;
    enum class Key : std::uint8_t { held, sustained, released };

    struct Slot {
        Synth synth;
        std::int32_t channel = noChannel; // the note's channel; noChannel when free or fading
        std::uint8_t key = 0;
        std::uint8_t velocity = 0;
        Key keyState = Key::released;
        std::uint64_t started = 0; // the note-on's place among all note-ons
        GeneralMidiTones::ToneId toneId = GeneralMidiTones::noTone;
        std::uint32_t drumFadeLeft = 0; // blocks of a stolen drum's fade still to go
        std::uint32_t drumFadeVolume = 0;
    };

    explicit VoicePool(std::uint32_t noteVoices);

    // Connects every voice to `device`, after whatever was connected before.
    bool connect(SoundDevice& device);

    std::uint32_t noteVoices() const { return noteVoices_; }
    std::vector<std::unique_ptr<Slot>>& slots() { return slots_; }

    // A voice for a new note. While fewer than noteVoices() voices play notes it is one
    // that sounds nothing; otherwise the note of another voice is stolen: the quietest of
    // those whose key was released, else the oldest, which then fades out.
    Slot& take(RenderLockHeld);
    // Steps the fades of stolen drum voices, once at the start of each block.
    void advanceFades(RenderLockHeld);
    // Whether a stolen drum's fade is under way.
    bool fading(RenderLockHeld) const;
    bool anySounding(RenderLockHeld) const;
    void silenceAll(RenderLockHeld);

    // How long a stolen note takes to fade: two blocks of frames, or eight blocks for a
    // drum, whose volume steps once a block.
    static constexpr std::uint32_t fadeBlocks = 2;
    static constexpr std::uint32_t drumFadeBlocks = 8;

private:
    void fadeOut(Slot& slot);

    std::uint32_t noteVoices_;
    std::uint32_t blockFrames_ = 0;
    std::vector<std::unique_ptr<Slot>> slots_;
};
