#pragma once

#include "audio/ProcessorFeatures.h"
#include "synth/SteadyLanes.h"
#include "synth/VibratoTable.h"

#include <algorithm>
#include <cstdint>

// Sixteen lanes at a time with AVX-512 (with its byte permutes and 256-bit forms).
#ifdef ZBK_HAS_AVX512_FORMS
#include <immintrin.h>

// GCC 12 takes the intrinsics' undefined upper halves for uninitialized values.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"

#define ZBK_AVX512_TARGET "avx512f,avx512bw,avx512vl,avx512vbmi"

// The sixteen signed samples at `first` plus each lane's offset, all within `windowBytes`
// (16 or 64) bytes from `first`, which the wave holds: one load, each lane's offset
// picking its byte.
template <int windowBytes> __attribute__((target(ZBK_AVX512_TARGET))) inline __m512i
loadSixteenFromWindow(const std::int8_t* samples, std::uint32_t first, __m512i offsets)
{
    const __m128i order = _mm512_cvtepi32_epi8(offsets);
    if constexpr (windowBytes == 16)
        return _mm512_cvtepi8_epi32(
            _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(samples + first)), order));
    const __m512i window = _mm512_loadu_si512(samples + first);
    return _mm512_cvtepi8_epi32(_mm512_castsi512_si128(_mm512_permutexvar_epi8(_mm512_castsi128_si512(order), window)));
}

// The sixteen signed samples at `index` (each below `count`), whatever their order: from
// two 64-byte windows inside the wave when each lies in one (the one at the first lane or
// the wave's last, and the one at `loopStart` or the wave's last: lanes that straddle a
// loop's end lie in those), else four-byte loads that stay inside (from the sample on or
// up to it), else one by one.
__attribute__((target(ZBK_AVX512_TARGET))) inline __m512i
loadSixteenSamples(const std::int8_t* samples, std::uint32_t count, std::uint32_t loopStart, __m512i index)
{
    if (count >= 64) {
        const std::uint32_t lastStart = count - 64;
        const auto first = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm512_castsi512_si128(index)));
        const std::uint32_t startA = std::min(first, lastStart);
        const std::uint32_t startB = std::min(loopStart, lastStart);
        const __m512i windowBytes = _mm512_set1_epi32(64);
        const __m512i inA = _mm512_sub_epi32(index, _mm512_set1_epi32(static_cast<std::int32_t>(startA)));
        const __m512i inB = _mm512_sub_epi32(index, _mm512_set1_epi32(static_cast<std::int32_t>(startB)));
        const __mmask16 fromA = _mm512_cmplt_epu32_mask(inA, windowBytes);
        const __mmask16 fromB = _mm512_cmplt_epu32_mask(inB, windowBytes);
        if (static_cast<__mmask16>(fromA | fromB) == 0xFFFF) {
            // Bytes 0-63 pick from window A, 64-127 from window B.
            const __m512i order = _mm512_mask_mov_epi32(_mm512_add_epi32(inB, windowBytes), fromA, inA);
            const __m512i picked = _mm512_permutex2var_epi8(_mm512_loadu_si512(samples + startA),
                                                            _mm512_castsi128_si512(_mm512_cvtepi32_epi8(order)),
                                                            _mm512_loadu_si512(samples + startB));
            return _mm512_cvtepi8_epi32(_mm512_castsi512_si128(picked));
        }
    }
    if (count >= 4) {
        if (_mm512_cmpgt_epu32_mask(index, _mm512_set1_epi32(static_cast<std::int32_t>(count - 4))) == 0) {
            const __m512i loaded = _mm512_i32gather_epi32(index, samples, 1);
            return _mm512_srai_epi32(_mm512_slli_epi32(loaded, 24), 24);
        }
        if (_mm512_cmplt_epu32_mask(index, _mm512_set1_epi32(3)) == 0) {
            const __m512i upTo = _mm512_sub_epi32(index, _mm512_set1_epi32(3));
            const __m512i loaded = _mm512_i32gather_epi32(upTo, samples, 1);
            return _mm512_srai_epi32(loaded, 24);
        }
    }
    std::uint32_t at[16];
    _mm512_storeu_si512(at, index);
    std::int32_t picked[16];
    for (int k = 0; k < 16; ++k)
        picked[k] = samples[at[k]];
    return _mm512_loadu_si512(picked);
}

// Sixteen lanes of a voice (see renderSteadyLanes), carried from turn to turn, as
// Avx2Lanes carries eight.
template <class Format, bool vibrato> struct Avx512Lanes {
    static constexpr std::uint32_t count = 16;
    // Fifteen steps below 1 sample span at most 15 bytes, below 4 at most 60.
    static constexpr std::uint32_t narrowWindow = 16;
    static constexpr std::uint32_t narrowStepsBelow = 1;
    static constexpr std::uint32_t wideWindow = 64;
    static constexpr std::uint32_t wideStepsBelow = 4;

    const LanesPlan& plan;
    const std::int8_t* samples;
    std::int32_t* mix;
    __m512i products, productStep;
    __m512i wholePart, fractionPart, wholeStep, fractionStep, ends, loopLengths;
    __m512i rightShare;
    __m512i counters, timeBase, depths, depthStep;
    __m128i phaseShift;

    __attribute__((target(ZBK_AVX512_TARGET))) explicit Avx512Lanes(const LanesStart<count>& start)
        : plan(start.plan), samples(start.samples), mix(start.mix)
    {
        const VoiceState& v = start.voice;
        const __m512i laneSteps = _mm512_setr_epi32(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
        const __m512i levels = _mm512_add_epi32(_mm512_set1_epi32(v.envLevel),
                                                _mm512_mullo_epi32(_mm512_set1_epi32(v.envRate), laneSteps));
        products = _mm512_mullo_epi32(_mm512_set1_epi32(v.volume), levels);
        productStep = _mm512_set1_epi32(wrapMul(v.volume, wrapMul(v.envRate, count)));
        wholePart = _mm512_loadu_si512(start.wholes);
        fractionPart = _mm512_loadu_si512(start.fractions);
        const SamplePosition turn = count * v.step;
        wholeStep = _mm512_set1_epi32(static_cast<std::int32_t>(whole(turn)));
        fractionStep = _mm512_set1_epi32(static_cast<std::int32_t>(fraction(turn)));
        ends = _mm512_set1_epi32(static_cast<std::int32_t>(plan.count));
        loopLengths = _mm512_set1_epi32(static_cast<std::int32_t>(plan.loopLength));
        rightShare = _mm512_set1_epi32(wrapSub(128, start.pan));
        counters = _mm512_add_epi32(_mm512_set1_epi32(v.lfoCounter), laneSteps);
        timeBase = _mm512_set1_epi32(static_cast<std::int32_t>(v.lfoTimeBase));
        depths = _mm512_add_epi32(_mm512_set1_epi32(v.vibratoDepth),
                                  _mm512_mullo_epi32(_mm512_set1_epi32(start.depthRate), laneSteps));
        depthStep = _mm512_set1_epi32(wrapMul(start.depthRate, count));
        phaseShift = _mm_cvtsi32_si128(static_cast<std::int32_t>(start.lfoShift));
    }

    __attribute__((target(ZBK_AVX512_TARGET))) std::uint32_t firstWhole() const
    {
        return static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm512_castsi512_si128(wholePart)));
    }

    __attribute__((target(ZBK_AVX512_TARGET))) std::uint32_t firstFraction() const
    {
        return static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm512_castsi512_si128(fractionPart)));
    }

    // As Avx2Lanes::turn, sixteen frames.
    template <std::uint32_t window>
    __attribute__((target(ZBK_AVX512_TARGET))) inline void turn(std::uint32_t at, std::uint32_t windowStart)
    {
        __m512i a = _mm512_srai_epi32(products, Format::envelopeShift);
        if constexpr (vibrato) {
            const __m512i phases = _mm512_mullo_epi32(counters, timeBase);
            const __m512i entries =
                _mm512_and_si512(_mm512_srl_epi32(phases, phaseShift),
                                 _mm512_set1_epi32(static_cast<std::int32_t>(vibratoTableSize - 1)));
            const __m512i cosines = _mm512_i32gather_epi32(entries, vibratoTable.data(), 4);
            a = _mm512_add_epi32(a, _mm512_srai_epi32(_mm512_mullo_epi32(depths, cosines), Format::vibratoShift));
            counters = _mm512_add_epi32(counters, _mm512_set1_epi32(count));
            depths = _mm512_add_epi32(depths, depthStep);
        }
        __m512i s;
        if constexpr (window == 0) {
            s = loadSixteenSamples(samples, plan.count, plan.count - plan.loopLength, wholePart);
        } else {
            const __m512i offsets =
                _mm512_sub_epi32(wholePart, _mm512_set1_epi32(static_cast<std::int32_t>(windowStart)));
            s = loadSixteenFromWindow<window>(samples, windowStart, offsets);
        }
        __m512i value = _mm512_mullo_epi32(s, a);
        if constexpr (Format::valueShift != 0)
            value = _mm512_srai_epi32(value, Format::valueShift);
        if constexpr (Format::stereo) {
            const __m512i right = _mm512_srai_epi32(_mm512_mullo_epi32(value, rightShare), 7);
            const __m512i left = _mm512_sub_epi32(value, right);
            // Pairs of frames per 128 bits, then put in frame order.
            const __m512i pairsLow = _mm512_unpacklo_epi32(left, right);
            const __m512i pairsHigh = _mm512_unpackhi_epi32(left, right);
            const __m512i firstEight =
                _mm512_permutex2var_epi64(pairsLow, _mm512_setr_epi64(0, 1, 8, 9, 2, 3, 10, 11), pairsHigh);
            const __m512i lastEight =
                _mm512_permutex2var_epi64(pairsLow, _mm512_setr_epi64(4, 5, 12, 13, 6, 7, 14, 15), pairsHigh);
            std::int32_t* out = mix + 2 * static_cast<std::size_t>(at);
            _mm512_storeu_si512(out, _mm512_add_epi32(_mm512_loadu_si512(out), firstEight));
            _mm512_storeu_si512(out + 16, _mm512_add_epi32(_mm512_loadu_si512(out + 16), lastEight));
        } else {
            std::int32_t* out = mix + at;
            _mm512_storeu_si512(out, _mm512_add_epi32(_mm512_loadu_si512(out), value));
        }
        products = _mm512_add_epi32(products, productStep);
        // The fraction carries into the whole part where the unsigned sum came out smaller
        // than what was added.
        const __m512i fractionSum = _mm512_add_epi32(fractionPart, fractionStep);
        const __mmask16 carry = _mm512_cmplt_epu32_mask(fractionSum, fractionStep);
        fractionPart = fractionSum;
        const __m512i stepped = _mm512_add_epi32(wholePart, wholeStep);
        wholePart = _mm512_mask_add_epi32(stepped, carry, stepped, _mm512_set1_epi32(1));
        if (window == 0 && plan.looping) {
            const __mmask16 past = _mm512_cmpge_epu32_mask(wholePart, ends);
            wholePart = _mm512_mask_sub_epi32(wholePart, past, wholePart, loopLengths);
        }
    }
};

// The steady stretch sixteen lanes at a time, everything compiled for AVX-512.
template <class Format, bool vibrato> __attribute__((target(ZBK_AVX512_TARGET), flatten)) void
renderSteadyAvx512(const LanesPlan& plan, VoiceState& v, std::uint32_t lfoShift, std::int32_t depthRate,
                   const std::int8_t* samples, std::int32_t pan, std::int32_t* mix, std::uint32_t first,
                   std::uint32_t frames)
{
    renderSteadyLanes<Avx512Lanes<Format, vibrato>, vibrato>(plan, v, lfoShift, depthRate, samples, pan, mix, first,
                                                             frames);
}

#pragma GCC diagnostic pop
#endif
