#include "cli/DemoBank.h"

#include "synth/SamplePosition.h"
#include "synth/VoiceState.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <numbers>
#include <vector>

namespace {

// Tone values are stored for 22050 Hz output: rates per sample, delays in samples.
constexpr double referenceRate = 22050;
constexpr double twoPi = 2 * std::numbers::pi;
constexpr double peak = 120; // a little below full scale, so that vibrato never clips

// ---- waveforms -----------------------------------------------------------------------

WaveRef quantise(const std::vector<double>& shape, double level = peak)
{
    double largest = 0;
    for (double v : shape)
        largest = std::max(largest, std::abs(v));
    auto block = std::make_shared<WaveBlock>(shape.size());
    for (std::size_t i = 0; i < shape.size(); ++i)
        block->samples[i] = static_cast<std::int8_t>(std::lround(largest > 0 ? shape[i] * level / largest : 0));
    return block;
}

// One cycle of `demoCycleSize` samples built from harmonics (number, weight).
WaveRef harmonicCycle(const std::vector<std::pair<int, double>>& harmonics)
{
    std::vector<double> shape(demoCycleSize);
    for (int i = 0; i < demoCycleSize; ++i)
        for (auto [n, weight] : harmonics)
            shape[i] += weight * std::sin(twoPi * n * i / demoCycleSize);
    return quantise(shape);
}

WaveRef cycleOf(const std::function<double(double)>& phaseToValue, double level = peak)
{
    std::vector<double> shape(demoCycleSize);
    for (int i = 0; i < demoCycleSize; ++i)
        shape[i] = phaseToValue(static_cast<double>(i) / demoCycleSize);
    return quantise(shape, level);
}

// Deterministic noise, the same on every run and every machine.
class Noise {
public:
    double next()
    {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<double>(state_ >> 8) / (1u << 23) - 1.0;
    }

private:
    std::uint32_t state_ = 0x2545F491u;
};

// `seconds` of sound at 22050 Hz, sample i given by value(t) at t = i / 22050.
WaveRef recorded(double seconds, const std::function<double(double)>& value)
{
    std::vector<double> shape(static_cast<std::size_t>(seconds * referenceRate));
    for (std::size_t i = 0; i < shape.size(); ++i)
        shape[i] = value(static_cast<double>(i) / referenceRate);
    return quantise(shape);
}

// A plucked string: 256 cycles of 64 samples whose brightness and level die away.
WaveRef pluck()
{
    constexpr int cycles = 256;
    std::vector<double> shape(static_cast<std::size_t>(cycles) * pluckCycleSize);
    for (std::size_t i = 0; i < shape.size(); ++i) {
        const double t = static_cast<double>(i) / shape.size();
        const double phase = twoPi * static_cast<double>(i % pluckCycleSize) / pluckCycleSize;
        double v = 0;
        for (int n = 1; n <= 8; ++n)
            v += std::sin(n * phase) / n * std::exp(-3.0 * n * t);
        shape[i] = v * std::exp(-2.5 * t);
    }
    return quantise(shape);
}

WaveRef noiseBurst()
{
    Noise noise;
    return recorded(0.75, [&](double t) { return noise.next() * std::exp(-t / 0.2); });
}

WaveRef kick()
{
    double phase = 0;
    return recorded(0.35, [&](double t) {
        const double frequency = 45 + 75 * std::exp(-t / 0.04);
        phase += twoPi * frequency / referenceRate;
        return std::sin(phase) * std::exp(-t / 0.12);
    });
}

WaveRef snare()
{
    Noise noise;
    return recorded(0.25, [&](double t) {
        return 0.5 * std::sin(twoPi * 190 * t) * std::exp(-t / 0.05) + noise.next() * std::exp(-t / 0.07);
    });
}

// Noise with its low end taken away (a first difference), as hats and cymbals have it.
WaveRef hat(double seconds, double decay)
{
    Noise noise;
    double last = 0;
    return recorded(seconds, [&](double t) {
        const double n = noise.next();
        const double v = n - last;
        last = n;
        return v * std::exp(-t / decay);
    });
}

WaveRef tom()
{
    double phase = 0;
    return recorded(0.45, [&](double t) {
        phase += twoPi * (100 + 40 * std::exp(-t / 0.08)) / referenceRate;
        return std::sin(phase) * std::exp(-t / 0.15);
    });
}

WaveRef cymbal()
{
    Noise noise;
    double last = 0;
    return recorded(1.3, [&](double t) {
        const double n = noise.next();
        const double ring = std::sin(twoPi * 3150 * t) + std::sin(twoPi * 4420 * t) + std::sin(twoPi * 5870 * t);
        const double v = (n - last) + 0.15 * ring;
        last = n;
        return v * std::exp(-t / 0.4);
    });
}

std::vector<WaveRef> demoWaves()
{
    std::vector<WaveRef> waves(demoWaveCount);
    waves[sineWave] = harmonicCycle({{1, 1.0}});
    waves[squareWave] = cycleOf([](double x) { return x < 0.5 ? 1.0 : -1.0; }, 96);
    waves[sawWave] = cycleOf([](double x) { return 2 * x - 1; });
    waves[triangleWave] = cycleOf([](double x) { return x < 0.5 ? 4 * x - 1 : 3 - 4 * x; });
    waves[organWave] = harmonicCycle({{1, 1.0}, {2, 0.6}, {3, 0.4}, {4, 0.3}, {6, 0.2}, {8, 0.15}});
    waves[brassWave] = harmonicCycle({{1, 1.0}, {2, 0.7}, {3, 0.55}, {4, 0.4}, {5, 0.3}, {6, 0.2}, {7, 0.12}});
    waves[reedWave] = harmonicCycle({{1, 1.0}, {3, 0.45}, {5, 0.25}, {7, 0.15}, {9, 0.08}, {2, 0.05}});
    waves[bellWave] = harmonicCycle({{1, 1.0}, {2, 0.5}, {5, 0.35}, {8, 0.2}, {11, 0.1}});
    waves[pluckWave] = pluck();
    waves[noiseBurstWave] = noiseBurst();
    waves[kickWave] = kick();
    waves[snareWave] = snare();
    waves[closedHatWave] = hat(0.08, 0.02);
    waves[openHatWave] = hat(0.5, 0.15);
    waves[tomWave] = tom();
    waves[cymbalWave] = cymbal();
    return waves;
}

// ---- instrument tones ----------------------------------------------------------------

// An envelope in seconds and fractions of full scale. Zero `fade` holds the sustain
// level while the key is down.
struct Shape {
    double attack;
    double decay;   // from the peak to `middle`
    double middle;  // fraction of full scale
    double settle;  // from `middle` to `sustain`
    double sustain; // fraction of full scale
    double fade;    // from `sustain` to silence while held; 0 holds
    double release;
};

// Vibrato: starts after `delay` seconds, grows to `depth` units of level in `grow` s.
struct Vibrato {
    double delay = 0;
    std::int32_t depth = 0;
    double grow = 1;
    std::int32_t frequencyShift = 10; // 2^10 / 256 = 4 Hz
};

std::int32_t perSample(double levelChange, double seconds)
{
    const double rate = std::abs(levelChange) / std::max(seconds * referenceRate, 1.0);
    return std::max<std::int32_t>(1, static_cast<std::int32_t>(std::lround(rate)));
}

ToneRecord instrument(const WaveRef& wave, std::int32_t cycleSize, bool loops, const Shape& shape,
                      const Vibrato& vibrato = {})
{
    ToneRecord tone;
    const auto level = [](double fraction) {
        return static_cast<std::int32_t>(std::lround(fraction * fullScaleLevel));
    };
    tone.DL = fullScaleLevel;
    tone.AR = perSample(fullScaleLevel, shape.attack);
    tone.NL = level(shape.middle);
    tone.DR = perSample(tone.DL - tone.NL, shape.decay);
    tone.SL = level(shape.sustain);
    tone.NR = perSample(tone.NL - tone.SL, shape.settle);
    tone.SR = shape.fade > 0 ? perSample(tone.SL, shape.fade) : 0;
    tone.RR = perSample(fullScaleLevel, shape.release);
    tone.startDelay = static_cast<std::int32_t>(std::lround(vibrato.delay * referenceRate));
    tone.amplitude = vibrato.depth * levelUnit;
    tone.gainRate = vibrato.depth > 0 ? perSample(tone.amplitude, vibrato.grow) : 0;
    tone.frequencyShift = vibrato.frequencyShift;
    tone.cycleSize = cycleSize;
    tone.wave = wave;
    tone.sampleCount = static_cast<std::int32_t>(wave->samples.size());
    tone.loopReturn = loops ? 0 : tone.sampleCount;
    return tone;
}

ToneRecord looped(const WaveRef& wave, const Shape& shape, const Vibrato& vibrato = {})
{
    return instrument(wave, demoCycleSize, true, shape, vibrato);
}

// The tone of each family of eight programs, in program order.
std::vector<ToneRecord> familyTones(const std::vector<WaveRef>& w)
{
    const Shape struck{0.003, 0.4, 0.6, 1.0, 0.35, 4.0, 0.3};
    const Shape chime{0.002, 0.15, 0.5, 0.8, 0.2, 1.5, 0.5};
    const Shape held{0.01, 0.05, 0.9, 0.05, 0.85, 0, 0.08};
    const Shape plucked{0.002, 0.02, 0.95, 0.02, 0.95, 0, 0.2};
    const Shape bass{0.004, 0.3, 0.7, 1.5, 0.4, 3.0, 0.1};
    const Shape bowed{0.15, 0.2, 0.9, 0.2, 0.85, 0, 0.35};
    const Shape choir{0.3, 0.3, 0.9, 0.3, 0.85, 0, 0.6};
    const Shape blown{0.03, 0.1, 0.85, 0.2, 0.75, 0, 0.15};
    const Shape pad{0.5, 0.5, 0.9, 0.5, 0.8, 0, 1.0};
    const Shape effect{0.2, 0.6, 0.7, 1.0, 0.5, 0, 1.2};
    const Shape hit{0.002, 0.1, 0.5, 0.4, 0.2, 0.6, 0.3};
    const Vibrato strings{0.25, 24, 0.6, 10};
    const Vibrato wind{0.3, 16, 0.5, 11};
    const Vibrato gentle{0.1, 12, 1.0, 9};
    return {
        looped(w[triangleWave], struck),                              // 0-7 pianos
        looped(w[bellWave], chime),                                   // 8-15 chromatic percussion
        looped(w[organWave], held),                                   // 16-23 organs
        instrument(w[pluckWave], pluckCycleSize, false, plucked),     // 24-31 guitars
        looped(w[sawWave], bass),                                     // 32-39 basses
        looped(w[sawWave], bowed, strings),                           // 40-47 strings
        looped(w[sineWave], choir, gentle),                           // 48-55 ensembles and voices
        looped(w[brassWave], blown, wind),                            // 56-63 brass
        looped(w[reedWave], blown, wind),                             // 64-71 reeds
        looped(w[sineWave], blown, wind),                             // 72-79 pipes
        looped(w[squareWave], held, gentle),                          // 80-87 synth leads
        looped(w[triangleWave], pad, gentle),                         // 88-95 synth pads
        looped(w[bellWave], effect, strings),                         // 96-103 synth effects
        instrument(w[pluckWave], pluckCycleSize, false, plucked),     // 104-111 ethnic
        looped(w[sineWave], hit),                                     // 112-119 percussive
        instrument(w[noiseBurstWave], demoCycleSize, false, plucked), // 120-127 sound effects
    };
}

// ---- drums ---------------------------------------------------------------------------

struct Drum {
    DemoWave wave;
    double speed; // play speed relative to the waveform's own 22050 Hz
    std::vector<std::uint32_t> notes;
};

ToneRecord drumTone(const WaveRef& wave, double speed)
{
    ToneRecord tone;
    tone.drumAlgorithm = 1;
    tone.wave = wave;
    tone.sampleCount = static_cast<std::int32_t>(wave->samples.size());
    tone.cycleSize = tone.sampleCount; // play the whole waveform
    // The same speed held and released, so a short key press does not change the sound.
    tone.gainRate = static_cast<std::int32_t>(std::lround(speed * unitDrumSpeed));
    tone.amplitude = tone.gainRate;
    return tone;
}

} // namespace

void buildDemoBank(ToneBank& bank)
{
    const std::vector<WaveRef> waves = demoWaves();
    for (const WaveRef& wave : waves)
        bank.appendWave(wave);

    const std::vector<ToneRecord> families = familyTones(waves);
    for (std::uint32_t program = 0; program < ToneBank::programCount; ++program)
        bank.setInstrumentTone(program, families[program / 8]);

    // General MIDI drum notes. Drum tone 0 (the bass drum) is also what every note the
    // map does not name plays.
    const std::vector<Drum> drums = {
        {kickWave, 1.0, {35, 36}},
        {snareWave, 1.0, {38, 40}},
        {snareWave, 1.6, {37, 39}},     // side stick, hand clap
        {closedHatWave, 1.0, {42, 44}}, // closed and pedal hi-hat
        {openHatWave, 1.0, {46}},
        {tomWave, 0.75, {41}},               // low floor tom
        {tomWave, 0.85, {43}},               // high floor tom
        {tomWave, 1.0, {45}},                // low tom
        {tomWave, 1.12, {47}},               // low-mid tom
        {tomWave, 1.26, {48}},               // hi-mid tom
        {tomWave, 1.41, {50}},               // high tom
        {cymbalWave, 1.0, {49, 52, 57}},     // crash and Chinese cymbals
        {cymbalWave, 1.3, {51, 53, 55, 59}}, // ride, ride bell, splash
    };
    ToneBank::DrumMap& map = bank.drumMaps()[0];
    for (const Drum& drum : drums) {
        bank.addDrumTone();
        const std::uint32_t index = bank.drumToneCount() - 1;
        bank.setDrumTone(index, drumTone(waves[drum.wave], drum.speed));
        for (std::uint32_t note : drum.notes)
            map[note] = static_cast<std::int32_t>(index);
    }
    bank.setDrumSetCount(1);
    bank.drumSetMap().fill(0); // every drum program plays drum set 0
}
