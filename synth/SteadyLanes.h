#pragma once

#include "audio/Wrapping.h"
#include "synth/SamplePosition.h"
#include "synth/VoiceState.h"

#include <algorithm>
#include <cstdint>

// A steady stretch of a voice rendered several frames at a time, one lane a frame, by
// vector loops of some width (SteadyLanesAvx2.h, SteadyLanesAvx512.h): the same wrapping
// 32-bit arithmetic as the one-frame loop, lane by lane, so the mix gets the same values.
// What is the same for every width lives here, without a vector instruction of its own:
// the width's entry point compiles it with the width's instructions.

// The shifts a lane loop is compiled for: the output format's (or, for a drum, those
// that make its gain an amplitude).
template <int envelopeShiftValue, int valueShiftValue, int vibratoShiftValue, bool stereoValue> struct LanesFormat {
    static constexpr int envelopeShift = envelopeShiftValue;
    static constexpr int valueShift = valueShiftValue;
    static constexpr int vibratoShift = vibratoShiftValue;
    static constexpr bool stereo = stereoValue;
};

// How a voice's read positions may move through its wave of `count` samples `lanes`
// frames at a time: round its loop (`loopLength` samples back from the end, where a
// position at or past the end goes back by one loop length, as when a turn of the lanes
// is shorter than the loop a single wrap always does), or, without one, only while they
// stay below `limit`.
struct LanesPlan {
    bool usable = false;
    bool looping = false;
    std::uint32_t lanes = 0;
    std::uint32_t count = 0;
    std::uint32_t loopLength = 0;
    SamplePosition limit = 0;
};

inline LanesPlan planLanes(std::uint32_t lanes, std::uint32_t count, std::uint32_t loopReturn, bool loops,
                           SamplePosition step)
{
    LanesPlan plan;
    plan.lanes = lanes;
    // Whole parts stay below 2^31 and a turn's steps fit in 64 bits.
    plan.usable = count > 0 && count <= INT32_MAX && step <= UINT64_MAX / (2 * lanes);
    plan.count = count;
    if (loops && count > loopReturn && lanes * step < makePosition(count - loopReturn, 0)) {
        plan.looping = true;
        plan.loopLength = count - loopReturn;
    }
    plan.limit = makePosition(count, 0);
    return plan;
}

// The frames the lanes may render from `position`: a multiple of the lane count, at most
// `most`; without a loop, only so many that every position read and the one after the
// last lie below the limit.
inline std::uint32_t steadyLanesFrom(const LanesPlan& plan, SamplePosition position, SamplePosition step,
                                     std::uint32_t most)
{
    if (!plan.usable)
        return 0;
    std::uint64_t frames = most;
    if (!plan.looping) {
        if (position >= plan.limit)
            return 0;
        if (step != 0)
            frames = std::min<std::uint64_t>(frames, (plan.limit - 1 - position) / step);
    }
    return static_cast<std::uint32_t>(frames - frames % plan.lanes);
}

// Where the lanes of a voice begin: lane k at the k-th frame from the voice's position,
// round the loop where the plan has one.
template <std::uint32_t lanes> struct LanesStart {
    const LanesPlan& plan;
    const VoiceState& voice;
    std::uint32_t lfoShift;
    std::int32_t depthRate;
    const std::int8_t* samples;
    std::int32_t pan;
    std::int32_t* mix;
    std::uint32_t wholes[lanes] = {};
    std::uint32_t fractions[lanes] = {};

    void placeLanes()
    {
        for (std::uint32_t k = 0; k < lanes; ++k) {
            SamplePosition p = voice.position + static_cast<SamplePosition>(k) * voice.step;
            if (plan.looping && whole(p) >= plan.count)
                p -= makePosition(plan.loopLength, 0);
            wholes[k] = whole(p);
            fractions[k] = fraction(p);
        }
    }
};

// Turns from mix frame `first` on. A turn whose lane 0 starts at most `lastWindowStart`
// has its lanes in order and leaves every lane below the end, so it needs neither checks
// nor a wrap: it reads all its lanes from one window of `window` bytes inside the wave,
// from lane 0 or, near the end, from the last such window. Any other turn checks.
template <class Lanes, std::uint32_t window> inline void
runTurns(Lanes& lanes, std::uint32_t count, std::uint32_t first, std::uint32_t frames, std::int64_t lastWindowStart)
{
    for (std::uint32_t done = 0; done < frames; done += Lanes::count) {
        if constexpr (window != 0) {
            const std::uint32_t lane0 = lanes.firstWhole();
            if (std::int64_t{lane0} <= lastWindowStart) {
                lanes.template turn<window>(first + done, std::min(lane0, count - window));
                continue;
            }
        }
        lanes.template turn<0>(first + done, 0);
    }
}

// Adds `frames` (as steadyLanesFrom allows) frames of `v` from mix frame `first`: level
// += rate, amplitude volume x level >> envelopeShift, with `vibrato` plus depth x the
// cosine the counter gives >> vibratoShift (the counter counting up and the depth
// growing by `depthRate` first, `lfoShift` placing its phase in the table), the sample
// at the read position times the amplitude >> valueShift, split by pan on two channels;
// then position += step, round the loop as the plan says. The caller keeps the counter
// from wrapping.
template <class Lanes, bool vibrato>
inline void renderSteadyLanes(const LanesPlan& plan, VoiceState& v, std::uint32_t lfoShift, std::int32_t depthRate,
                              const std::int8_t* samples, std::int32_t pan, std::int32_t* mix, std::uint32_t first,
                              std::uint32_t frames)
{
    constexpr std::uint32_t n = Lanes::count;
    LanesStart<n> start{plan, v, lfoShift, depthRate, samples, pan, mix};
    start.placeLanes();
    Lanes lanes(start);
    // Lanes within a narrow window's reach read from one, within a wide one's from that.
    const std::uint32_t window = v.step < makePosition(Lanes::narrowStepsBelow, 0) ? Lanes::narrowWindow
                                 : v.step < makePosition(Lanes::wideStepsBelow, 0) ? Lanes::wideWindow
                                                                                   : 0;
    // Lane 0 at most here: no lane, a turn on, has reached the end (the last lane is
    // 2n - 1 steps on from lane 0, and a fraction may carry once more).
    const std::int64_t lastWindowStart = std::int64_t{plan.count} - 2 - whole((2 * n - 1) * v.step);
    if (window != 0 && plan.count < window)
        runTurns<Lanes, 0>(lanes, plan.count, first, frames, -1);
    else if (window == Lanes::narrowWindow)
        runTurns<Lanes, Lanes::narrowWindow>(lanes, plan.count, first, frames, lastWindowStart);
    else if (window == Lanes::wideWindow)
        runTurns<Lanes, Lanes::wideWindow>(lanes, plan.count, first, frames, lastWindowStart);
    else
        runTurns<Lanes, 0>(lanes, plan.count, first, frames, -1);
    v.envLevel = wrapAdd(v.envLevel, wrapMul(v.envRate, static_cast<std::int32_t>(frames)));
    // Lane 0 has reached the position `frames` steps on.
    v.position = makePosition(lanes.firstWhole(), lanes.firstFraction());
    if constexpr (vibrato) {
        v.lfoCounter = wrapAdd(v.lfoCounter, static_cast<std::int32_t>(frames));
        v.vibratoDepth = wrapAdd(v.vibratoDepth, wrapMul(depthRate, static_cast<std::int32_t>(frames)));
    }
}
