// An instrument voice renders long stretches in which no envelope stage ends and no
// vibrato sounds in a faster loop, several frames at a time where the processor can. Its
// output must stay the one the voice is defined by, one sample at a time.
#include "audio/ProcessorFeatures.h"
#include "synth/DrumRender.h"
#include "synth/InstrumentRender.h"
#include "synth/OutputFormats.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

namespace {

// The voice as defined: each frame stepped on its own.
template <class Output>
void renderOneByOne(VoiceState& v, const ToneRecord& tone, std::int32_t pan, std::int32_t* mix, std::uint32_t frames)
{
    const WaveWindow wave = readableWave(tone, tone.sampleCount);
    const auto loopReturn = static_cast<std::uint32_t>(tone.loopReturn);
    if (!keepInsideWave(v, wave.count, loopReturn))
        return;
    for (std::uint32_t i = 0; i < frames; ++i)
        if (!renderInstrumentSample<Output>(v, tone, wave, loopReturn, pan, mix, i))
            return;
}

bool operator==(const VoiceState& a, const VoiceState& b)
{
    return a.volume == b.volume && a.stage == b.stage && a.envLevel == b.envLevel && a.envRate == b.envRate &&
           a.envTarget == b.envTarget && a.position == b.position && a.lfoTimeBase == b.lfoTimeBase &&
           a.step == b.step && a.lfoCounter == b.lfoCounter && a.vibratoDepth == b.vibratoDepth &&
           a.vibratoDepthMax == b.vibratoDepthMax && a.active == b.active;
}

struct Case {
    ToneRecord tone;
    VoiceState voice;
    std::int32_t pan = 64;
};

// Voices as songs play them (a level moving toward its target, a loop, a step of a few
// samples, vibrato waiting or silent), and now and then a value a hostile bank carries.
Case randomCase(std::mt19937& random, bool wild)
{
    auto pick = [&](std::int32_t low, std::int32_t high) {
        return std::uniform_int_distribution<std::int32_t>(low, high)(random);
    };
    auto any = [&] { return static_cast<std::int32_t>(random()); };
    Case c;
    const auto size = static_cast<std::size_t>(pick(1, 3000));
    auto block = std::make_shared<WaveBlock>(size);
    for (auto& s : block->samples)
        s = static_cast<std::int8_t>(random());
    c.tone.wave = block;
    c.tone.sampleCount =
        pick(0, 9) == 0 ? pick(0, static_cast<std::int32_t>(size) + 50) : static_cast<std::int32_t>(size);
    c.tone.loopReturn = pick(0, 3) == 0 ? pick(0, static_cast<std::int32_t>(size) + 10) : pick(0, 40);
    c.tone.DR = pick(0, 2000);
    c.tone.NL = pick(0, fullScaleLevel);
    c.tone.NR = pick(0, 2000);
    c.tone.SL = pick(0, fullScaleLevel);
    c.tone.SR = pick(0, 3) == 0 ? 0 : pick(0, 500);
    c.tone.gainRate = pick(0, 1) == 0 ? 0 : pick(1, 3000);
    c.tone.frequencyShift = pick(0, 30);
    VoiceState& v = c.voice;
    v.active = true;
    v.volume = pick(0, 127);
    v.stage = pick(attackStage, releaseStage);
    v.envLevel = pick(0, fullScaleLevel);
    v.envTarget = pick(0, 2) == 0 ? 0 : pick(0, fullScaleLevel);
    v.envRate = pick(0, 3) == 0 ? 0 : pick(-5000, 5000);
    v.position = makePosition(static_cast<std::uint32_t>(pick(0, static_cast<std::int32_t>(size) + 20)),
                              static_cast<std::uint32_t>(any()));
    v.step = static_cast<SamplePosition>(pick(0, 6 << 16)) << 16;
    v.lfoTimeBase = static_cast<std::uint32_t>(pick(0, 2000));
    v.lfoCounter = pick(-600, 200);
    v.vibratoDepth = pick(0, 2) == 0 ? pick(0, 0x100000) : 0;
    v.vibratoDepthMax = pick(0, 0x1F0000);
    c.pan = pick(0, 128);
    if (wild) {
        std::int32_t* fields[] = {&v.envLevel,   &v.envTarget, &v.envRate,         &v.volume,
                                  &v.lfoCounter, &c.pan,       &c.tone.loopReturn, &c.tone.sampleCount};
        for (int n = pick(1, 3); n > 0; --n)
            *fields[static_cast<std::size_t>(pick(0, 7))] =
                pick(0, 1) == 0 ? any() : (pick(0, 1) ? INT32_MIN : INT32_MAX);
        if (pick(0, 3) == 0)
            v.step = static_cast<SamplePosition>(any()) << pick(0, 32);
        if (pick(0, 5) == 0)
            v.step = UINT64_MAX - static_cast<SamplePosition>(pick(0, 1000));
    }
    return c;
}

// Renders `cases` cases that `makeCase` draws both ways, the defined one and the voice's
// in every vector form this processor runs, and holds them to the same mix and the same
// voice afterwards.
template <class MakeCase, class Defined, class Fast>
void expectSameAsDefinition(int channels, int cases, std::uint32_t seed, MakeCase makeCase, Defined defined, Fast fast)
{
    for (const VectorForms form : {VectorForms::plain, VectorForms::avx2, VectorForms::avx512}) {
        widestVectorFormsAllowed = form;
        if (vectorForms() != form)
            continue;
        std::mt19937 random(seed);
        for (int n = 0; n < cases; ++n) {
            const Case c = makeCase(random, n);
            const auto frames = static_cast<std::uint32_t>(1 + random() % 400);
            std::vector<std::int32_t> expected(frames * channels), got(frames * channels);
            VoiceState definedVoice = c.voice, fastVoice = c.voice;
            defined(definedVoice, c.tone, c.pan, expected.data(), frames);
            fast(fastVoice, c.tone, c.pan, got.data(), frames);
            ASSERT_EQ(expected, got) << "case " << n << " in vector form " << static_cast<int>(form);
            ASSERT_TRUE(definedVoice == fastVoice) << "case " << n << " in vector form " << static_cast<int>(form);
        }
    }
    widestVectorFormsAllowed = VectorForms::avx512;
}

template <class Output> void expectSameAsOneByOne(int channels)
{
    expectSameAsDefinition(
        channels, 6000, 20261209, [](std::mt19937& random, int n) { return randomCase(random, n % 4 == 3); },
        renderOneByOne<Output>, renderInstrument<Output>);
}

TEST(SteadyStretches, RenderWhatTheVoiceRendersOneSampleAtATimeInEveryFormat)
{
    expectSameAsOneByOne<Output16Stereo>(2);
    expectSameAsOneByOne<Output16Mono>(1);
    expectSameAsOneByOne<Output8Stereo>(2);
    expectSameAsOneByOne<Output8Mono>(1);
}

// A drum voice as defined: the end test, then the sample, one frame at a time.
template <class Output> void renderDrumOneByOne(VoiceState& v, const ToneRecord& tone, std::int32_t pan,
                                                std::int32_t* mix, std::uint32_t frames)
{
    const WaveWindow wave = readableWave(tone, tone.cycleSize);
    const std::int32_t gain = std::min(v.volume + (v.volume >> 1), maxVolume);
    const SamplePosition step = bentDrumStep(v.stage, v.pitchRatio);
    for (std::uint32_t i = 0; i < frames; ++i, v.position += step) {
        if (whole(v.position) >= wave.count) {
            v.active = false;
            return;
        }
        Output::mix(mix, i, Output::drumValue(wave.samples[whole(v.position)], gain), pan);
    }
}

// Drum tones of any cycle size, played forwards or backwards, bent or not.
Case randomDrumCase(std::mt19937& random, int)
{
    Case c = randomCase(random, false);
    c.tone.drumAlgorithm = 1;
    c.tone.cycleSize = static_cast<std::int32_t>(random() % 3100);
    c.voice.stage = static_cast<std::int32_t>(random() % 3 == 0 ? -static_cast<std::int32_t>(random() % 200000)
                                                                : random() % 300000);
    c.voice.pitchRatio = random() % 2 ? unitPitchRatio : unitPitchRatio / 2 + random() % unitPitchRatio;
    return c;
}

template <class Output> void expectDrumSameAsOneByOne(int channels)
{
    expectSameAsDefinition(channels, 3000, 20261210, randomDrumCase, renderDrumOneByOne<Output>, renderDrum<Output>);
}

TEST(SteadyStretches, DrumsRenderWhatTheyRenderOneSampleAtATimeInEveryFormat)
{
    expectDrumSameAsOneByOne<Output16Stereo>(2);
    expectDrumSameAsOneByOne<Output16Mono>(1);
    expectDrumSameAsOneByOne<Output8Stereo>(2);
    expectDrumSameAsOneByOne<Output8Mono>(1);
}

} // namespace
