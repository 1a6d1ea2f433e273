#pragma once

#include "audio/ProcessorFeatures.h"
#include "audio/Wrapping.h"
#include "synth/SamplePosition.h"
#include "synth/VibratoTable.h"
#include "synth/VoiceState.h"

#include <algorithm>
#include <cstdint>

// Eight frames at a time of a steady stretch of an instrument voice, on processors with
// AVX2 (asked at run time): the same wrapping 32-bit arithmetic as the one-frame loop,
// lane by lane, so the mix gets the same values.
#ifdef ZBK_HAS_AVX2_FORMS
#include <immintrin.h>

// The frames the eight-at-a-time loop may render from `position`: a multiple of 8, at
// most `most`, such that every position read and the one after the last lie below
// `limit` (so no position wraps and the four bytes a lane loads lie inside the wave).
inline std::uint32_t steadyEightsBefore(SamplePosition limit, SamplePosition position, SamplePosition step,
                                        std::uint32_t most)
{
    if (position >= limit)
        return 0;
    std::uint64_t frames = most;
    if (step != 0)
        frames = std::min<std::uint64_t>(frames, (limit - 1 - position) / step); // the one after stays below too
    return static_cast<std::uint32_t>(frames & ~std::uint64_t{7});
}

// The shifts and choices an eight-at-a-time loop is compiled for: the output format's,
// whether each turn reads one 16-byte window (see planEights), and whether the vibrato
// sounds at a steady depth.
template <int envelopeShiftValue, int valueShiftValue, int vibratoShiftValue, bool stereoValue> struct EightsFormat {
    static constexpr int envelopeShift = envelopeShiftValue;
    static constexpr int valueShift = valueShiftValue;
    static constexpr int vibratoShift = vibratoShiftValue;
    static constexpr bool stereo = stereoValue;
};

// Adds `frames` (a multiple of 8) frames of `v` from mix frame `first`: level += rate,
// amplitude volume x level >> envelopeShift, with `vibrato` plus depth x the cosine the
// counter gives >> vibratoShift (the counter counting up and the depth growing by
// `depthRate` first, `lfoShift` placing its phase in the table), the sample at the read position times
// the amplitude >> valueShift, split by pan on two channels; then position += step. The
// caller keeps every position read, and the bytes read from it, inside the wave, and the
// counter from wrapping.
template <class Format, bool windows, bool vibrato> __attribute__((target("avx2"))) inline void
renderSteadyEights(VoiceState& v, std::uint32_t lfoShift, std::int32_t depthRate, const std::int8_t* samples,
                   std::int32_t pan, std::int32_t* mix, std::uint32_t first, std::uint32_t frames)
{
    const __m256i laneSteps = _mm256_setr_epi32(1, 2, 3, 4, 5, 6, 7, 8);
    const __m256i eight = _mm256_set1_epi32(8);
    __m256i levels =
        _mm256_add_epi32(_mm256_set1_epi32(v.envLevel), _mm256_mullo_epi32(_mm256_set1_epi32(v.envRate), laneSteps));
    const __m256i levelStep = _mm256_set1_epi32(wrapMul(v.envRate, 8));
    const __m256i volumes = _mm256_set1_epi32(v.volume);
    const SamplePosition step = v.step;
    const auto at = [&](int k) { return static_cast<long long>(v.position + static_cast<SamplePosition>(k) * step); };
    __m256i low = _mm256_setr_epi64x(at(0), at(1), at(2), at(3));
    __m256i high = _mm256_setr_epi64x(at(4), at(5), at(6), at(7));
    const __m256i positionStep = _mm256_set1_epi64x(static_cast<long long>(8 * step));
    const __m256i rightShare = _mm256_set1_epi32(wrapSub(128, pan));
    __m256i counters = _mm256_add_epi32(_mm256_set1_epi32(v.lfoCounter), laneSteps);
    const __m256i timeBase = _mm256_set1_epi32(static_cast<std::int32_t>(v.lfoTimeBase));
    const __m128i phaseShift = _mm_cvtsi32_si128(static_cast<std::int32_t>(lfoShift));
    const __m256i tableMask = _mm256_set1_epi32(static_cast<std::int32_t>(vibratoTableSize - 1));
    __m256i depths = _mm256_add_epi32(_mm256_set1_epi32(v.vibratoDepth),
                                      _mm256_mullo_epi32(_mm256_set1_epi32(depthRate), laneSteps));
    const __m256i depthStep = _mm256_set1_epi32(wrapMul(depthRate, 8));
    const int* base = reinterpret_cast<const int*>(samples);
    for (std::uint32_t done = 0; done < frames; done += 8) {
        __m256i a = _mm256_srai_epi32(_mm256_mullo_epi32(volumes, levels), Format::envelopeShift);
        if constexpr (vibrato) {
            const __m256i phases = _mm256_mullo_epi32(counters, timeBase);
            const __m256i entries = _mm256_and_si256(_mm256_srl_epi32(phases, phaseShift), tableMask);
            const __m256i cosines = _mm256_i32gather_epi32(vibratoTable.data(), entries, 4);
            a = _mm256_add_epi32(a, _mm256_srai_epi32(_mm256_mullo_epi32(depths, cosines), Format::vibratoShift));
            counters = _mm256_add_epi32(counters, eight);
            depths = _mm256_add_epi32(depths, depthStep);
        }
        // The whole parts: the high halves of the eight 64-bit positions, in order.
        const __m256 halves = _mm256_shuffle_ps(_mm256_castsi256_ps(low), _mm256_castsi256_ps(high), 0xDD);
        const __m256i index = _mm256_permute4x64_epi64(_mm256_castps_si256(halves), 0xD8);
        __m256i s;
        if constexpr (windows) {
            // Each lane's offset from the first, as bytes: a shuffle of 16 loaded bytes.
            const __m128i firstIndex = _mm256_castsi256_si128(index);
            const __m256i offsets = _mm256_sub_epi32(index, _mm256_broadcastd_epi32(firstIndex));
            const __m256i words = _mm256_packus_epi32(offsets, offsets);
            const __m256i bytes = _mm256_packus_epi16(words, words);
            const __m128i order = _mm_unpacklo_epi32(_mm256_castsi256_si128(bytes), _mm256_extracti128_si256(bytes, 1));
            const __m128i window = _mm_loadu_si128(
                reinterpret_cast<const __m128i*>(samples + static_cast<std::uint32_t>(_mm_cvtsi128_si32(firstIndex))));
            s = _mm256_cvtepi8_epi32(_mm_shuffle_epi8(window, order));
        } else {
            const __m256i loaded = _mm256_i32gather_epi32(base, index, 1);
            s = _mm256_srai_epi32(_mm256_slli_epi32(loaded, 24), 24);
        }
        __m256i value = _mm256_mullo_epi32(s, a);
        if constexpr (Format::valueShift != 0)
            value = _mm256_srai_epi32(value, Format::valueShift);
        if constexpr (Format::stereo) {
            const __m256i right = _mm256_srai_epi32(_mm256_mullo_epi32(value, rightShare), 7);
            const __m256i left = _mm256_sub_epi32(value, right);
            const __m256i pairsLow = _mm256_unpacklo_epi32(left, right);
            const __m256i pairsHigh = _mm256_unpackhi_epi32(left, right);
            auto* out = reinterpret_cast<__m256i*>(mix + 2 * static_cast<std::size_t>(first + done));
            _mm256_storeu_si256(
                out, _mm256_add_epi32(_mm256_loadu_si256(out), _mm256_permute2x128_si256(pairsLow, pairsHigh, 0x20)));
            _mm256_storeu_si256(out + 1, _mm256_add_epi32(_mm256_loadu_si256(out + 1),
                                                          _mm256_permute2x128_si256(pairsLow, pairsHigh, 0x31)));
        } else {
            auto* out = reinterpret_cast<__m256i*>(mix + first + done);
            _mm256_storeu_si256(out, _mm256_add_epi32(_mm256_loadu_si256(out), value));
        }
        levels = _mm256_add_epi32(levels, levelStep);
        low = _mm256_add_epi64(low, positionStep);
        high = _mm256_add_epi64(high, positionStep);
    }
    v.envLevel = wrapAdd(v.envLevel, wrapMul(v.envRate, static_cast<std::int32_t>(frames)));
    v.position += static_cast<SamplePosition>(frames) * step;
    if constexpr (vibrato) {
        v.lfoCounter = wrapAdd(v.lfoCounter, static_cast<std::int32_t>(frames));
        v.vibratoDepth = wrapAdd(v.vibratoDepth, wrapMul(depthRate, static_cast<std::int32_t>(frames)));
    }
}

// How eight frames at a time may read a wave of `count` samples at `step`: each lane
// loads 4 bytes from its position (addressed as a signed 32-bit offset), or, when the
// step is below two samples, so that eight positions lie within 15 bytes of the first,
// one 16-byte window a turn serves all eight. Every position must lie below `limit`.
struct EightsPlan {
    bool usable = false;
    bool windows = false;
    SamplePosition limit = 0;
};

inline EightsPlan planEights(std::uint32_t count, SamplePosition step)
{
    EightsPlan plan;
    plan.windows = step < makePosition(2, 0);
    const std::uint32_t bytesRead = plan.windows ? 16 : 4;
    plan.usable = count >= bytesRead && count <= INT32_MAX && processorHasAvx2();
    plan.limit = plan.usable ? makePosition(count - bytesRead + 1, 0) : 0;
    return plan;
}

// Renders as many of `frames` frames of `v` from mix frame `first` as the plan allows
// from its position, eight at a time (see renderSteadyEights); returns how many (a
// multiple of 8, maybe 0).
template <class Format, bool vibrato>
inline std::uint32_t renderEights(const EightsPlan& plan, VoiceState& v, std::uint32_t lfoShift, std::int32_t depthRate,
                                  const std::int8_t* samples, std::int32_t pan, std::int32_t* mix, std::uint32_t first,
                                  std::uint32_t frames)
{
    const std::uint32_t eights = plan.usable ? steadyEightsBefore(plan.limit, v.position, v.step, frames) : 0;
    if (eights == 0)
        return 0;
    if (plan.windows)
        renderSteadyEights<Format, true, vibrato>(v, lfoShift, depthRate, samples, pan, mix, first, eights);
    else
        renderSteadyEights<Format, false, vibrato>(v, lfoShift, depthRate, samples, pan, mix, first, eights);
    return eights;
}
#endif
