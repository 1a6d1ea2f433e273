#pragma once

#include "audio/SoundDevice.h"
#include "bank/ToneBank.h"
#include "synth/Synth.h"

#include <cstdint>
#include <vector>

class Arguments;

// One note of one tone on one voice, as `zbk render` and `zbk play` play it.
struct NotePlan {
    bool drum = false;           // a drum tone rather than an instrument tone
    std::uint32_t toneIndex = 0; // program number or drum-tone index
    ToneRecord tone;             // set by chooseTone: its wave is empty when void
    std::uint32_t note = 69;
    double hold = 1;
    double release = 1;
    std::int32_t volume = 127;
    std::int32_t modulation = 0;
};

// Takes --program or --drum, --note, --hold, --volume and --modulation (and --release
// when `withRelease`) out of `args`.
NotePlan takeNotePlan(Arguments& args, bool withRelease);
// Copies the planned tone out of `bank`; a drum tone the bank lacks is a CommandError.
void chooseTone(NotePlan& plan, const ToneBank& bank);

// Prepares the voice and starts the note, in the order the audition dialog does it:
// modulation, tone, volume, note-on with the note's table frequency.
void startNote(Synth& synth, const NotePlan& plan);

// How many ring buffers (16 blocks each) `seconds` last on `device`, rounded.
std::uint32_t buffersFor(double seconds, const SoundDevice& device);

// Where a render's bytes go as they are made.
class RenderTarget {
public:
    virtual ~RenderTarget() = default;
    // Told once, before any bytes come: how many the render gives in all.
    virtual void begin(std::uint64_t byteCount) = 0;
    // The next bytes, in order, on the sound device's render thread. Must not throw.
    virtual void take(const std::uint8_t* data, std::size_t count) = 0;
};

// Renders the note through a sound device of the given format and its render thread,
// one refill at a time: the note is released after the hold's buffers, and the
// release's buffers follow. `target` receives exactly the refilled buffers, in order,
// as the render thread makes them, so that no render is ever held in memory whole.
// An unsupported format is a CommandError.
void renderNoteOffline(const NotePlan& plan, std::int32_t bits, std::int32_t rate, std::int32_t channels,
                       RenderTarget& target);
