#pragma once

#include "audio/ProcessorFeatures.h"
#include "audio/Wrapping.h"
#include "synth/SamplePosition.h"
#include "synth/VibratoTable.h"
#include "synth/VoiceState.h"

#include <algorithm>
#include <cstdint>

// Eight frames at a time of a steady stretch of a voice, on processors with AVX2 (asked
// at run time): the same wrapping 32-bit arithmetic as the one-frame loop, lane by lane,
// so the mix gets the same values.
#ifdef ZBK_HAS_AVX2_FORMS
#include <immintrin.h>

// The shifts an eight-at-a-time loop is compiled for: the output format's (or, for a
// drum, those that make its gain an amplitude).
template <int envelopeShiftValue, int valueShiftValue, int vibratoShiftValue, bool stereoValue> struct EightsFormat {
    static constexpr int envelopeShift = envelopeShiftValue;
    static constexpr int valueShift = valueShiftValue;
    static constexpr int vibratoShift = vibratoShiftValue;
    static constexpr bool stereo = stereoValue;
};

// How a voice's read positions may move through its wave of `count` samples eight
// frames at a time: round its loop (`loopLength` samples back from the end, where a
// position at or past the end goes back by one loop length, as when eight steps are
// shorter than the loop a single wrap always does), or, without one, only while they
// stay below `limit`.
struct EightsPlan {
    bool usable = false;
    bool looping = false;
    std::uint32_t count = 0;
    std::uint32_t loopLength = 0;
    SamplePosition limit = 0;
};

inline EightsPlan planEights(std::uint32_t count, std::uint32_t loopReturn, bool loops, SamplePosition step)
{
    EightsPlan plan;
    // Whole parts stay below 2^31 and eight steps fit in 64 bits.
    plan.usable = count > 0 && count <= INT32_MAX && step < (SamplePosition{1} << 61) && processorHasAvx2();
    plan.count = count;
    if (loops && count > loopReturn && 8 * step < makePosition(count - loopReturn, 0)) {
        plan.looping = true;
        plan.loopLength = count - loopReturn;
    }
    plan.limit = makePosition(count, 0);
    return plan;
}

// The frames the eight-at-a-time loop may render from `position`: a multiple of 8, at
// most `most`; without a loop, only so many that every position read and the one after
// the last lie below the limit.
inline std::uint32_t steadyEightsFrom(const EightsPlan& plan, SamplePosition position, SamplePosition step,
                                      std::uint32_t most)
{
    std::uint64_t frames = most;
    if (!plan.looping) {
        if (position >= plan.limit)
            return 0;
        if (step != 0)
            frames = std::min<std::uint64_t>(frames, (plan.limit - 1 - position) / step);
    }
    return static_cast<std::uint32_t>(frames & ~std::uint64_t{7});
}

// The eight signed samples at `index`, all within `windowBytes` (16 or 32) bytes from the
// first, which the wave holds: one or two 16-byte loads, each lane's offset from the
// first picking its byte.
template <int windowBytes> __attribute__((target("avx2"))) inline __m256i
loadEightFromWindow(const std::int8_t* samples, std::uint32_t first, __m256i offsets)
{
    const __m256i words = _mm256_packus_epi32(offsets, offsets);
    const __m256i bytes = _mm256_packus_epi16(words, words);
    const __m128i order = _mm_unpacklo_epi32(_mm256_castsi256_si128(bytes), _mm256_extracti128_si256(bytes, 1));
    const auto* window = reinterpret_cast<const __m128i*>(samples + first);
    if constexpr (windowBytes == 16)
        return _mm256_cvtepi8_epi32(_mm_shuffle_epi8(_mm_loadu_si128(window), order));
    // A shuffle gives 0 where the order's top bit is set: past 15 for the low half, below
    // 16 (wrapping) for the high one.
    const __m128i lowOrder = _mm_or_si128(order, _mm_cmpgt_epi8(order, _mm_set1_epi8(15)));
    const __m128i highOrder = _mm_sub_epi8(order, _mm_set1_epi8(16));
    return _mm256_cvtepi8_epi32(_mm_or_si128(_mm_shuffle_epi8(_mm_loadu_si128(window), lowOrder),
                                             _mm_shuffle_epi8(_mm_loadu_si128(window + 1), highOrder)));
}

// The eight signed samples at `index` (each below `count`), whatever their order: from
// one 32-byte window when they lie within one inside the wave, else four-byte loads
// where those stay inside, else one by one.
__attribute__((target("avx2"))) inline __m256i loadEightSamples(const std::int8_t* samples, std::uint32_t count,
                                                                __m256i index)
{
    const auto first = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm256_castsi256_si128(index)));
    const __m256i offsets = _mm256_sub_epi32(index, _mm256_set1_epi32(static_cast<std::int32_t>(first)));
    if (_mm256_testz_si256(offsets, _mm256_set1_epi32(~31)) && count >= 32 && first <= count - 32)
        return loadEightFromWindow<32>(samples, first, offsets);
    if (count >= 4) {
        const __m256i lastLoadable = _mm256_set1_epi32(static_cast<std::int32_t>(count - 4));
        if (_mm256_testc_si256(_mm256_cmpeq_epi32(_mm256_max_epu32(index, lastLoadable), lastLoadable),
                               _mm256_set1_epi32(-1))) {
            const __m256i loaded = _mm256_i32gather_epi32(reinterpret_cast<const int*>(samples), index, 1);
            return _mm256_srai_epi32(_mm256_slli_epi32(loaded, 24), 24);
        }
    }
    std::uint32_t at[8];
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(at), index);
    return _mm256_setr_epi32(samples[at[0]], samples[at[1]], samples[at[2]], samples[at[3]], samples[at[4]],
                             samples[at[5]], samples[at[6]], samples[at[7]]);
}

// How many turns of eight from `position` read within one window of `windowBytes` each,
// unchecked: eight steps that span less than the window, from a first position whose
// window the wave holds. Later turns, or a turn after a wrap round the loop, check.
inline std::uint32_t turnsInWindows(std::uint32_t count, SamplePosition position, SamplePosition step,
                                    std::uint32_t windowBytes, std::uint32_t turns)
{
    if (windowBytes == 0 || count < windowBytes)
        return 0;
    const SamplePosition windowEnd = makePosition(count - windowBytes + 1, 0);
    if (position >= windowEnd)
        return 0;
    const SamplePosition turn = 8 * step;
    if (turn == 0)
        return turns;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(turns, (windowEnd - 1 - position) / turn + 1));
}

// How each turn of eight reads its samples: from one 16-byte window or two, known to lie
// inside the wave with no lane wrapped round the loop, or checked (loadEightSamples).
enum class EightsRead { window16, window32, checked };

// Eight lanes of a voice, lane k at the k-th frame from where the turns began: what
// renderSteadyEights carries from turn to turn.
template <class Format, bool vibrato> struct SteadyEights {
    const EightsPlan& plan;
    const std::int8_t* samples;
    std::int32_t* mix;
    __m256i levels, levelStep, volumes;
    __m256i wholePart, fractionPart, wholeStep, fractionStep, fractionStepSigned, ends, loopLengths;
    __m256i rightShare;
    __m256i counters, timeBase, depths, depthStep;
    __m128i phaseShift;

    // Adds the eight frames from mix frame `at` and moves every lane eight frames on.
    template <EightsRead read> __attribute__((target("avx2"), always_inline)) inline void turn(std::uint32_t at)
    {
        __m256i a = _mm256_srai_epi32(_mm256_mullo_epi32(volumes, levels), Format::envelopeShift);
        if constexpr (vibrato) {
            const __m256i phases = _mm256_mullo_epi32(counters, timeBase);
            const __m256i entries =
                _mm256_and_si256(_mm256_srl_epi32(phases, phaseShift),
                                 _mm256_set1_epi32(static_cast<std::int32_t>(vibratoTableSize - 1)));
            const __m256i cosines = _mm256_i32gather_epi32(vibratoTable.data(), entries, 4);
            a = _mm256_add_epi32(a, _mm256_srai_epi32(_mm256_mullo_epi32(depths, cosines), Format::vibratoShift));
            counters = _mm256_add_epi32(counters, _mm256_set1_epi32(8));
            depths = _mm256_add_epi32(depths, depthStep);
        }
        __m256i s;
        if constexpr (read == EightsRead::checked) {
            s = loadEightSamples(samples, plan.count, wholePart);
        } else {
            const auto firstWhole = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm256_castsi256_si128(wholePart)));
            const __m256i offsets =
                _mm256_sub_epi32(wholePart, _mm256_set1_epi32(static_cast<std::int32_t>(firstWhole)));
            s = loadEightFromWindow < read == EightsRead::window16 ? 16 : 32 > (samples, firstWhole, offsets);
        }
        __m256i value = _mm256_mullo_epi32(s, a);
        if constexpr (Format::valueShift != 0)
            value = _mm256_srai_epi32(value, Format::valueShift);
        if constexpr (Format::stereo) {
            const __m256i right = _mm256_srai_epi32(_mm256_mullo_epi32(value, rightShare), 7);
            const __m256i left = _mm256_sub_epi32(value, right);
            const __m256i pairsLow = _mm256_unpacklo_epi32(left, right);
            const __m256i pairsHigh = _mm256_unpackhi_epi32(left, right);
            auto* out = reinterpret_cast<__m256i*>(mix + 2 * static_cast<std::size_t>(at));
            _mm256_storeu_si256(
                out, _mm256_add_epi32(_mm256_loadu_si256(out), _mm256_permute2x128_si256(pairsLow, pairsHigh, 0x20)));
            _mm256_storeu_si256(out + 1, _mm256_add_epi32(_mm256_loadu_si256(out + 1),
                                                          _mm256_permute2x128_si256(pairsLow, pairsHigh, 0x31)));
        } else {
            auto* out = reinterpret_cast<__m256i*>(mix + at);
            _mm256_storeu_si256(out, _mm256_add_epi32(_mm256_loadu_si256(out), value));
        }
        levels = _mm256_add_epi32(levels, levelStep);
        // The fraction carries into the whole part where the unsigned sum came out smaller.
        const __m256i fractionSum = _mm256_add_epi32(fractionPart, fractionStep);
        const __m256i signBit = _mm256_set1_epi32(INT32_MIN);
        const __m256i carry = _mm256_cmpgt_epi32(fractionStepSigned, _mm256_xor_si256(fractionSum, signBit));
        fractionPart = fractionSum;
        wholePart = _mm256_sub_epi32(_mm256_add_epi32(wholePart, wholeStep), carry);
        // A window turn leaves every lane inside the wave.
        if (read == EightsRead::checked && plan.looping) {
            const __m256i past = _mm256_cmpeq_epi32(_mm256_max_epu32(wholePart, ends), wholePart);
            wholePart = _mm256_sub_epi32(wholePart, _mm256_and_si256(past, loopLengths));
        }
    }
};

// Adds `frames` (a multiple of 8) frames of `v` from mix frame `first`: level += rate,
// amplitude volume x level >> envelopeShift, with `vibrato` plus depth x the cosine the
// counter gives >> vibratoShift (the counter counting up and the depth growing by
// `depthRate` first, `lfoShift` placing its phase in the table), the sample at the read
// position times the amplitude >> valueShift, split by pan on two channels; then
// position += step, round the loop as the plan says. The caller keeps the counter from
// wrapping, and the positions as steadyEightsFrom says.
template <class Format, bool vibrato> __attribute__((target("avx2"))) inline void
renderSteadyEights(const EightsPlan& plan, VoiceState& v, std::uint32_t lfoShift, std::int32_t depthRate,
                   const std::int8_t* samples, std::int32_t pan, std::int32_t* mix, std::uint32_t first,
                   std::uint32_t frames)
{
    const __m256i laneSteps = _mm256_setr_epi32(1, 2, 3, 4, 5, 6, 7, 8);
    // Positions as whole and fraction parts, lane k at the k-th step from here.
    std::uint32_t wholes[8], fractions[8];
    for (int k = 0; k < 8; ++k) {
        SamplePosition p = v.position + static_cast<SamplePosition>(k) * v.step;
        if (plan.looping && whole(p) >= plan.count)
            p -= makePosition(plan.loopLength, 0);
        wholes[k] = whole(p);
        fractions[k] = fraction(p);
    }
    const SamplePosition eightSteps = 8 * v.step;
    const __m256i fractionStep = _mm256_set1_epi32(static_cast<std::int32_t>(fraction(eightSteps)));
    SteadyEights<Format, vibrato> lanes{
        plan,
        samples,
        mix,
        _mm256_add_epi32(_mm256_set1_epi32(v.envLevel), _mm256_mullo_epi32(_mm256_set1_epi32(v.envRate), laneSteps)),
        _mm256_set1_epi32(wrapMul(v.envRate, 8)),
        _mm256_set1_epi32(v.volume),
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(wholes)),
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(fractions)),
        _mm256_set1_epi32(static_cast<std::int32_t>(whole(eightSteps))),
        fractionStep,
        _mm256_xor_si256(fractionStep, _mm256_set1_epi32(INT32_MIN)),
        _mm256_set1_epi32(static_cast<std::int32_t>(plan.count)),
        _mm256_set1_epi32(static_cast<std::int32_t>(plan.loopLength)),
        _mm256_set1_epi32(wrapSub(128, pan)),
        _mm256_add_epi32(_mm256_set1_epi32(v.lfoCounter), laneSteps),
        _mm256_set1_epi32(static_cast<std::int32_t>(v.lfoTimeBase)),
        _mm256_add_epi32(_mm256_set1_epi32(v.vibratoDepth),
                         _mm256_mullo_epi32(_mm256_set1_epi32(depthRate), laneSteps)),
        _mm256_set1_epi32(wrapMul(depthRate, 8)),
        _mm_cvtsi32_si128(static_cast<std::int32_t>(lfoShift)),
    };
    // Eight steps within 15 bytes read one 16-byte window, within 31 two; up to the
    // last window turn, no lane wraps round the loop either.
    const std::uint32_t windowBytes = v.step < makePosition(2, 0) ? 16 : v.step < makePosition(4, 0) ? 32 : 0;
    const std::uint32_t windowTurns = turnsInWindows(plan.count, v.position, v.step, windowBytes, frames / 8);
    std::uint32_t done = 0;
    for (; done + 8 < 8 * windowTurns; done += 8) {
        if (windowBytes == 16)
            lanes.template turn<EightsRead::window16>(first + done);
        else
            lanes.template turn<EightsRead::window32>(first + done);
    }
    for (; done < frames; done += 8)
        lanes.template turn<EightsRead::checked>(first + done);
    v.envLevel = wrapAdd(v.envLevel, wrapMul(v.envRate, static_cast<std::int32_t>(frames)));
    // Lane 0 has reached the position `frames` steps on.
    v.position =
        makePosition(static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm256_castsi256_si128(lanes.wholePart))),
                     static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm256_castsi256_si128(lanes.fractionPart))));
    if constexpr (vibrato) {
        v.lfoCounter = wrapAdd(v.lfoCounter, static_cast<std::int32_t>(frames));
        v.vibratoDepth = wrapAdd(v.vibratoDepth, wrapMul(depthRate, static_cast<std::int32_t>(frames)));
    }
}

// Renders as many of `frames` frames of `v` from mix frame `first` as the plan allows
// from its position, eight at a time (see renderSteadyEights); returns how many (a
// multiple of 8, maybe 0).
template <class Format, bool vibrato>
inline std::uint32_t renderEights(const EightsPlan& plan, VoiceState& v, std::uint32_t lfoShift, std::int32_t depthRate,
                                  const std::int8_t* samples, std::int32_t pan, std::int32_t* mix, std::uint32_t first,
                                  std::uint32_t frames)
{
    const std::uint32_t eights = plan.usable ? steadyEightsFrom(plan, v.position, v.step, frames) : 0;
    if (eights > 0)
        renderSteadyEights<Format, vibrato>(plan, v, lfoShift, depthRate, samples, pan, mix, first, eights);
    return eights;
}
#endif
