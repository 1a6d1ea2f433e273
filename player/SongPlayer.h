#pragma once

#include "audio/SoundSource.h"
#include "midi/Song.h"
#include "midi/TempoMap.h"
#include "player/ChannelState.h"
#include "player/GeneralMidiTones.h"
#include "player/VoicePool.h"

#include <array>
#include <atomic>
#include <cstdint>

// A song played on a bank. It is a sound source that adds nothing to the mix: at the start
// of each render block, on the render thread, it applies the song's events whose frames
// fall in that block to the sixteen channels and the voices, and the voices, connected
// after it, render the block. So a note starts at the start of the block that holds its
// frame, whatever the device writes to, and no other thread times anything.
//
// Construction and `connect` run on the calling thread; from then on the song belongs to
// the render thread, and the other threads only read how far it has come.
class SongPlayer : public SoundSource {
public:
    struct Options {
        std::uint32_t voices = 32;
        // How long the voices may go on sounding after the song's end.
        double tailSeconds = 3;
    };

    SongPlayer(midi::Song song, const ToneBank& bank, const Options& options);
    ~SongPlayer() override;

    // Joins the open `device` and then connects the voices after it: the device calls its
    // sources in the order they joined, so a block's events reach the voices before they
    // render it.
    bool connect(SoundDevice& device, std::int32_t channelCount) override;

    // The song's length at the device's rate: to its latest End of Track.
    std::uint64_t songFrames() const { return endFrame_; }
    // Frames rendered since the device started.
    std::uint64_t framesRendered() const { return rendered_.load(); }
    // Whether the song is over: every event applied, its end reached and every voice ended,
    // or the tail's time over. The voices are silenced then, and the song ends at
    // finishFrame(), the start of the block where this was found.
    bool finished() const { return finished_.load(); }
    std::uint64_t finishFrame() const { return finishFrame_.load(); }

private:
    static std::int32_t startSpan(SoundSource& source, std::int32_t most);
    static void countFrames(SoundSource& source, std::int32_t* mix, std::int32_t frames);
    // Applies the events of the block that starts at the frames rendered so far; how
    // many blocks, up to `most`, render before the next has events or work of its own.
    std::int32_t playBlock(std::int32_t most);
    std::uint64_t frameOf(std::size_t event);
    void apply(const midi::ChannelEvent& event);
    void noteOn(std::uint8_t channel, std::uint8_t key, std::uint8_t velocity);
    void noteOff(std::uint8_t channel, std::uint8_t key);
    void controlChange(std::uint8_t channel, std::uint8_t controller, std::uint8_t value);
    void releaseSustained(std::uint8_t channel);
    void allNotesOff(std::uint8_t channel);
    void allSoundOff(std::uint8_t channel);
    template <class Change> void forEachVoice(std::uint8_t channel, Change change);
    // The channel's voices take its new volume, modulation or bend.
    void followVolume(std::uint8_t channel);
    void followModulation(std::uint8_t channel);
    void followBend(std::uint8_t channel);
    void release(VoicePool::Slot& slot);

    midi::Song song_;
    midi::TempoMap tempo_;
    GeneralMidiTones tones_;
    VoicePool pool_;
    Options options_;
    std::array<ChannelState, 16> channels_{};
    std::array<PitchRatio, 16> pitchRatios_{};
    std::uint64_t noteOns_ = 0;
    std::size_t next_ = 0; // the next event to apply
    std::uint64_t nextFrame_ = 0;
    std::uint64_t endFrame_ = 0;
    std::uint64_t tailFrames_ = 0;
    std::uint64_t blockFrames_ = 1;
    std::atomic<std::uint64_t> rendered_{0};
    std::atomic<std::uint64_t> finishFrame_{0};
    std::atomic<bool> finished_{false};
};
