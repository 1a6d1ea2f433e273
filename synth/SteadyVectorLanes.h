#pragma once

#include "audio/ProcessorFeatures.h"
#include "synth/SteadyLanes.h"
#include "synth/SteadyLanesAvx2.h"
#include "synth/SteadyLanesAvx512.h"

#include <cstdint>

// Renders as many of `frames` frames of `v` from mix frame `first` as the widest lane
// loop the processor runs allows (see renderSteadyLanes) through a wave of `count`
// samples that `loops` back to `loopReturn`, or does not; returns how many (a multiple
// of 8, maybe 0).
template <class Format, bool vibrato>
inline std::uint32_t renderVectorLanes(std::uint32_t count, std::uint32_t loopReturn, bool loops, VoiceState& v,
                                       std::uint32_t lfoShift, std::int32_t depthRate, const std::int8_t* samples,
                                       std::int32_t pan, std::int32_t* mix, std::uint32_t first, std::uint32_t frames)
{
#ifdef ZBK_HAS_AVX2_FORMS
    const VectorForms forms = vectorForms();
#ifdef ZBK_HAS_AVX512_FORMS
    if (forms >= VectorForms::avx512 && frames >= 16) {
        const LanesPlan plan = planLanes(16, count, loopReturn, loops, v.step);
        const std::uint32_t ready = steadyLanesFrom(plan, v.position, v.step, frames);
        if (ready > 0) {
            renderSteadyAvx512<Format, vibrato>(plan, v, lfoShift, depthRate, samples, pan, mix, first, ready);
            return ready;
        }
    }
#endif
    if (forms >= VectorForms::avx2) {
        const LanesPlan plan = planLanes(8, count, loopReturn, loops, v.step);
        const std::uint32_t ready = steadyLanesFrom(plan, v.position, v.step, frames);
        if (ready > 0)
            renderSteadyAvx2<Format, vibrato>(plan, v, lfoShift, depthRate, samples, pan, mix, first, ready);
        return ready;
    }
#endif
    return 0;
}
