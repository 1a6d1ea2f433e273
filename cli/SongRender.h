#pragma once

#include "cli/NotePlan.h"
#include "cli/OutputFormat.h"
#include "player/SongPlayer.h"

#include <cstdint>

class Arguments;

// How `zbk render-midi` and `zbk play-midi` play a song: the device's format, the voices,
// the tail, and the gain the device's mix is scaled by (16.16 fixed point).
struct SongRenderOptions {
    // Ordinary songs on 32 voices stay below full scale with this; see the commands' help.
    static constexpr double defaultGain = 0.125;
    OutputFormat format;
    SongPlayer::Options player;
    std::int32_t gain = static_cast<std::int32_t>(defaultGain * SoundDevice::unitOutputGain);
};

// Takes --rate, --bits, --channels, --voices, --gain and --tail out of `args`.
SongRenderOptions takeSongRenderOptions(Arguments& args);

// Opens `device` in the options' format and gain and connects `player` to it; CommandErrors.
void startSong(SoundDevice& device, SongPlayer& player, const SongRenderOptions& options);

// Plays the song through a sound device without a sound card and hands `target` every
// buffer the render thread makes, in order, up to the buffer in which the song ended:
// the first frame is the song's time 0. The length is not known before the end, so
// `target` is told PcmWavFile::lengthToCome.
void renderSongOffline(SongPlayer& player, const SongRenderOptions& options, RenderTarget& target);
