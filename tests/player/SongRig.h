#pragma once

#include "tests/synth/VoiceTestSupport.h"

#include "midi/TempoMap.h"
#include "player/ChannelState.h"
#include "player/SongPlayer.h"
#include "synth/NoteTable.h"

#include <algorithm>
#include <cstdint>
#include <vector>

// Songs built in memory, played through the real device, and what single voices render
// alone, block by block, to compare them with.

constexpr std::int32_t blockFrames = 176; // at 44100 Hz
constexpr std::uint16_t ticksPerQuarter = 480;

inline midi::ChannelEvent message(std::uint64_t tick, std::uint8_t status, std::uint8_t data1, std::uint8_t data2 = 0,
                                  std::uint32_t track = 0)
{
    midi::ChannelEvent event;
    event.tick = tick;
    event.track = track;
    event.status = status;
    event.data1 = data1;
    event.data2 = data2;
    return event;
}

// A song of the given events, put in the order a reader gives them.
inline midi::Song songOf(std::vector<midi::ChannelEvent> events, std::uint64_t endTick = 0)
{
    midi::Song song;
    song.format = 1;
    song.division.ticksPerQuarter = ticksPerQuarter;
    song.trackCount = 2;
    for (std::uint32_t i = 0; i < events.size(); ++i)
        events[i].position = i;
    std::stable_sort(events.begin(), events.end(), [](const midi::ChannelEvent& a, const midi::ChannelEvent& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.track < b.track;
    });
    song.endTick = endTick;
    for (const auto& event : events)
        song.endTick = std::max(song.endTick, event.tick);
    song.events = std::move(events);
    return song;
}

// The render block that holds a tick's frame.
inline std::int32_t blockOf(const midi::Song& song, std::uint64_t tick)
{
    return static_cast<std::int32_t>(midi::TempoMap(song).frameAt(tick, 44100) / blockFrames);
}

// Plays `song` on a 16-bit stereo device at 44100 Hz for `buffers` ring buffers, with the
// device's own mix (gain 1).
inline std::vector<std::int16_t> playSong(const midi::Song& song, const ToneBank& bank, std::size_t buffers,
                                          SongPlayer::Options options = {})
{
    OfflineDevice rig(16, 44100, 2);
    SongPlayer player(song, bank, options);
    EXPECT_TRUE(player.connect(rig.device, 0));
    return rig.refill16(buffers);
}

// One note on a voice of its own: its tone and volume, and the blocks of its note-on and
// note-off (-1: never).
struct LoneNote {
    ToneRecord tone;
    std::uint32_t frequency = 0;
    std::uint32_t volume = 127;
    std::int32_t onBlock = 0;
    std::int32_t offBlock = -1;
};

// What the notes render, each alone on a voice prepared as the audition keyboard prepares
// one, summed and clipped as the device converts its mix.
inline std::vector<std::int16_t> renderAlone(const std::vector<LoneNote>& notes, std::int32_t blocks)
{
    std::vector<std::int64_t> sum(static_cast<std::size_t>(blocks * blockFrames * 2), 0);
    for (const LoneNote& note : notes) {
        OfflineDevice rig(16, 44100, 2);
        Synth synth;
        EXPECT_TRUE(synth.connect(rig.device, 0));
        for (std::int32_t block = 0; block < blocks; ++block) {
            if (block == note.onBlock) {
                synth.setModulation(0);
                synth.setTone(note.tone);
                synth.setVolume(note.volume);
                synth.noteOn(note.frequency);
            }
            if (block == note.offBlock)
                synth.noteOff();
            const auto mix = renderDirect(synth, rig.device, blockFrames);
            for (std::size_t i = 0; i < mix.size(); ++i)
                sum[static_cast<std::size_t>(block * blockFrames * 2) + i] += mix[i];
        }
    }
    std::vector<std::int16_t> samples(sum.size());
    for (std::size_t i = 0; i < sum.size(); ++i)
        samples[i] = static_cast<std::int16_t>(std::clamp<std::int64_t>(sum[i], -32768, 32767));
    return samples;
}

// An instrument tone with every stage of the envelope and a vibrato, on `wave`.
inline ToneRecord shapedTone(const WaveRef& wave)
{
    ToneRecord tone = fullLevelTone(wave);
    tone.AR = fullScaleLevel / 300;
    tone.DR = 2000;
    tone.NL = fullScaleLevel * 3 / 4;
    tone.NR = 200;
    tone.SL = fullScaleLevel / 2;
    tone.RR = fullScaleLevel / 3000;
    tone.amplitude = 0x80000;
    tone.gainRate = 64;
    tone.startDelay = 500;
    tone.cycleSize = 64;
    return tone;
}
