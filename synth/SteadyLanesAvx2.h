#pragma once

#include "audio/ProcessorFeatures.h"
#include "synth/SteadyLanes.h"
#include "synth/VibratoTable.h"

#include <cstdint>

// Eight lanes at a time with AVX2.
#ifdef ZBK_HAS_AVX2_FORMS
#include <immintrin.h>

// The eight signed samples at `first` plus each lane's offset, all within `windowBytes`
// (16 or 32) bytes from `first`, which the wave holds: one or two 16-byte loads, each
// lane's offset picking its byte.
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

// Eight lanes of a voice (see renderSteadyLanes), carried from turn to turn. The
// amplitude's product volume x level moves by volume x the turn's rate: the same values
// modulo 2^32 as forming it anew.
template <class Format, bool vibrato> struct Avx2Lanes {
    static constexpr std::uint32_t count = 8;
    // Seven steps below 2 samples span at most 15 bytes, below 4 at most 31.
    static constexpr std::uint32_t narrowWindow = 16;
    static constexpr std::uint32_t narrowStepsBelow = 2;
    static constexpr std::uint32_t wideWindow = 32;
    static constexpr std::uint32_t wideStepsBelow = 4;

    const LanesPlan& plan;
    const std::int8_t* samples;
    std::int32_t* mix;
    __m256i products, productStep;
    __m256i wholePart, fractionPart, wholeStep, fractionStep, fractionStepSigned, ends, loopLengths;
    __m256i rightShare;
    __m256i counters, timeBase, depths, depthStep;
    __m128i phaseShift;

    __attribute__((target("avx2"))) explicit Avx2Lanes(const LanesStart<count>& start)
        : plan(start.plan), samples(start.samples), mix(start.mix)
    {
        const VoiceState& v = start.voice;
        const __m256i laneSteps = _mm256_setr_epi32(1, 2, 3, 4, 5, 6, 7, 8);
        const __m256i levels = _mm256_add_epi32(_mm256_set1_epi32(v.envLevel),
                                                _mm256_mullo_epi32(_mm256_set1_epi32(v.envRate), laneSteps));
        products = _mm256_mullo_epi32(_mm256_set1_epi32(v.volume), levels);
        productStep = _mm256_set1_epi32(wrapMul(v.volume, wrapMul(v.envRate, count)));
        wholePart = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(start.wholes));
        fractionPart = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(start.fractions));
        const SamplePosition turn = count * v.step;
        wholeStep = _mm256_set1_epi32(static_cast<std::int32_t>(whole(turn)));
        fractionStep = _mm256_set1_epi32(static_cast<std::int32_t>(fraction(turn)));
        fractionStepSigned = _mm256_xor_si256(fractionStep, _mm256_set1_epi32(INT32_MIN));
        ends = _mm256_set1_epi32(static_cast<std::int32_t>(plan.count));
        loopLengths = _mm256_set1_epi32(static_cast<std::int32_t>(plan.loopLength));
        rightShare = _mm256_set1_epi32(wrapSub(128, start.pan));
        counters = _mm256_add_epi32(_mm256_set1_epi32(v.lfoCounter), laneSteps);
        timeBase = _mm256_set1_epi32(static_cast<std::int32_t>(v.lfoTimeBase));
        depths = _mm256_add_epi32(_mm256_set1_epi32(v.vibratoDepth),
                                  _mm256_mullo_epi32(_mm256_set1_epi32(start.depthRate), laneSteps));
        depthStep = _mm256_set1_epi32(wrapMul(start.depthRate, count));
        phaseShift = _mm_cvtsi32_si128(static_cast<std::int32_t>(start.lfoShift));
    }

    __attribute__((target("avx2"))) std::uint32_t firstWhole() const
    {
        return static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm256_castsi256_si128(wholePart)));
    }

    __attribute__((target("avx2"))) std::uint32_t firstFraction() const
    {
        return static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm256_castsi256_si128(fractionPart)));
    }

    // Adds the eight frames from mix frame `at` and moves every lane eight frames on.
    // With a `window`, the lanes read unchecked from the one at `windowStart` and none
    // passes the end; with 0 each read is checked and a lane past the end goes round the
    // loop.
    template <std::uint32_t window>
    __attribute__((target("avx2"))) inline void turn(std::uint32_t at, std::uint32_t windowStart)
    {
        __m256i a = _mm256_srai_epi32(products, Format::envelopeShift);
        if constexpr (vibrato) {
            const __m256i phases = _mm256_mullo_epi32(counters, timeBase);
            const __m256i entries =
                _mm256_and_si256(_mm256_srl_epi32(phases, phaseShift),
                                 _mm256_set1_epi32(static_cast<std::int32_t>(vibratoTableSize - 1)));
            const __m256i cosines = _mm256_i32gather_epi32(vibratoTable.data(), entries, 4);
            a = _mm256_add_epi32(a, _mm256_srai_epi32(_mm256_mullo_epi32(depths, cosines), Format::vibratoShift));
            counters = _mm256_add_epi32(counters, _mm256_set1_epi32(count));
            depths = _mm256_add_epi32(depths, depthStep);
        }
        __m256i s;
        if constexpr (window == 0) {
            s = loadEightSamples(samples, plan.count, wholePart);
        } else {
            const __m256i offsets =
                _mm256_sub_epi32(wholePart, _mm256_set1_epi32(static_cast<std::int32_t>(windowStart)));
            s = loadEightFromWindow<window>(samples, windowStart, offsets);
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
        products = _mm256_add_epi32(products, productStep);
        // The fraction carries into the whole part where the unsigned sum came out smaller
        // than what was added.
        const __m256i fractionSum = _mm256_add_epi32(fractionPart, fractionStep);
        const __m256i carry =
            _mm256_cmpgt_epi32(fractionStepSigned, _mm256_xor_si256(fractionSum, _mm256_set1_epi32(INT32_MIN)));
        fractionPart = fractionSum;
        wholePart = _mm256_sub_epi32(_mm256_add_epi32(wholePart, wholeStep), carry);
        if (window == 0 && plan.looping) {
            const __m256i past = _mm256_cmpeq_epi32(_mm256_max_epu32(wholePart, ends), wholePart);
            wholePart = _mm256_sub_epi32(wholePart, _mm256_and_si256(past, loopLengths));
        }
    }
};

// The steady stretch eight lanes at a time, everything compiled for AVX2.
template <class Format, bool vibrato> __attribute__((target("avx2"), flatten)) void
renderSteadyAvx2(const LanesPlan& plan, VoiceState& v, std::uint32_t lfoShift, std::int32_t depthRate,
                 const std::int8_t* samples, std::int32_t pan, std::int32_t* mix, std::uint32_t first,
                 std::uint32_t frames)
{
    renderSteadyLanes<Avx2Lanes<Format, vibrato>, vibrato>(plan, v, lfoShift, depthRate, samples, pan, mix, first,
                                                           frames);
}
#endif
