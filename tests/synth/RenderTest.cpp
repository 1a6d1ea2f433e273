#include "VoiceTestSupport.h"

#include "synth/NoteTable.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <tuple>

namespace {

// What a one-channel value v gives the left and right channel at pan 64: the right
// takes floor(v / 2), the left the rest.
void expectPanned(std::vector<std::int16_t>& out, std::int32_t v)
{
    const std::int32_t right = static_cast<std::int32_t>(std::floor(v / 2.0));
    out.push_back(static_cast<std::int16_t>(v - right));
    out.push_back(static_cast<std::int16_t>(right));
}

class DeviceRender : public ::testing::Test {
protected:
    void connect(OfflineDevice& out) { ASSERT_TRUE(synth.connect(out.device, 0)); }
    Synth synth;
};

TEST_F(DeviceRender, LoopedWaveAtHalfASampleStepMatchesTheHandWorkedSamples)
{
    OfflineDevice out(16, 44100, 2);
    connect(out);
    const WaveRef wave = scrambledWave();
    synth.setTone(fullLevelTone(wave));
    ASSERT_TRUE(synth.noteOn(frequencyForStep(256, 1, 44100) / 2)); // half a sample per sample
    const std::vector<std::int16_t> got = out.refill16(3);

    // A = 504: each sample s gives v = 504 s, every waveform sample twice, looping at 256.
    std::vector<std::int16_t> expected;
    for (std::size_t frame = 0; frame < 3 * out.bufferFrames(); ++frame)
        expectPanned(expected, 504 * wave->samples[(frame / 2) % 256]);
    EXPECT_SAME_SAMPLES(expected, got);
}

TEST_F(DeviceRender, LoopReturnsToTheLoopStartAndAOneShotEndsAfterItsLastSample)
{
    OfflineDevice out(16, 22050, 2);
    connect(out);
    const WaveRef wave = scrambledWave();
    ToneRecord looping = fullLevelTone(wave);
    looping.loopReturn = 128;
    synth.setTone(looping);
    ASSERT_TRUE(synth.noteOn(frequencyForStep(256, 1, 22050)));
    std::vector<std::int16_t> got = out.refill16(1);
    std::vector<std::int16_t> expected;
    for (std::size_t frame = 0; frame < out.bufferFrames(); ++frame)
        expectPanned(expected, 504 * wave->samples[frame < 256 ? frame : 128 + (frame - 256) % 128]);
    EXPECT_SAME_SAMPLES(expected, got);

    ToneRecord once = fullLevelTone(wave);
    once.loopReturn = 256; // at the end: no loop
    synth.setTone(once);
    ASSERT_TRUE(synth.noteOn(frequencyForStep(256, 1, 22050)));
    got = out.refill16(1);
    expected.clear();
    for (std::size_t frame = 0; frame < out.bufferFrames(); ++frame)
        expectPanned(expected, frame < 256 ? 504 * wave->samples[frame] : 0);
    EXPECT_SAME_SAMPLES(expected, got);
    EXPECT_FALSE(synth.state().active);
}

TEST_F(DeviceRender, FullScaleGivesAbout32004PerChannelInEveryFormat)
{
    // The four formats scale alike: 16-bit values near 32004 per channel, 8-bit values
    // near 125 (stored with 128 added).
    const WaveRef loud = waveOf(std::vector<std::int8_t>(64, 127));
    {
        OfflineDevice out(16, 44100, 2);
        connect(out);
        synth.setTone(fullLevelTone(loud));
        ASSERT_TRUE(synth.noteOn(noteFrequency(69)));
        const auto s = out.refill16(1);
        EXPECT_EQ(s[0], 32004);
        EXPECT_EQ(s[1], 32004);
    }
    {
        OfflineDevice out(16, 44100, 1);
        connect(out);
        synth.setTone(fullLevelTone(loud));
        ASSERT_TRUE(synth.noteOn(noteFrequency(69)));
        EXPECT_EQ(out.refill16(1)[0], 32004); // 127 x 252
    }
    {
        OfflineDevice out(8, 11025, 1);
        connect(out);
        synth.setTone(fullLevelTone(loud));
        ASSERT_TRUE(synth.noteOn(noteFrequency(69)));
        EXPECT_EQ(out.refill(1)[0], 128 + 125); // (127 x 126) >> 7
    }
    {
        OfflineDevice out(8, 22050, 2);
        connect(out);
        synth.setTone(fullLevelTone(loud));
        ASSERT_TRUE(synth.noteOn(noteFrequency(69)));
        const auto bytes = out.refill(1);
        EXPECT_EQ(bytes[0], 128 + 125); // (127 x 126) >> 6 = 250, split 125 and 125
        EXPECT_EQ(bytes[1], 128 + 125);
    }
}

TEST_F(DeviceRender, TwoVoicesAreSummedBeforeClipping)
{
    OfflineDevice out(16, 44100, 2);
    connect(out);
    Synth second;
    ASSERT_TRUE(second.connect(out.device, 0));
    const WaveRef loud = waveOf(std::vector<std::int8_t>(64, 127));
    synth.setTone(fullLevelTone(loud));
    ASSERT_TRUE(synth.noteOn(noteFrequency(69)));
    ToneRecord opposite = fullLevelTone(waveOf(std::vector<std::int8_t>(64, -100)));
    second.setTone(opposite);
    ASSERT_TRUE(second.noteOn(noteFrequency(69)));
    auto s = out.refill16(1);
    EXPECT_EQ(s[0], 32004 - 25200); // summed first: 127 x 504 / 2 and -100 x 504 / 2
    second.setTone(fullLevelTone(loud));
    ASSERT_TRUE(second.noteOn(noteFrequency(69)));
    s = out.refill16(1);
    EXPECT_EQ(s[0], 32767) << "64008 per channel clips";
    EXPECT_EQ(s[1], 32767);
}

TEST_F(DeviceRender, DrumPlaysItsWaveOnceAtItsConvertedSpeed)
{
    OfflineDevice out(16, 44100, 2);
    connect(out);
    const WaveRef wave = scrambledWave(300);
    synth.setTone(drumTone(wave, 65536)); // 32768 at 44100: every sample twice
    ASSERT_TRUE(synth.noteOn(noteFrequency(40)));
    const auto got = out.refill16(1);
    std::vector<std::int16_t> expected;
    for (std::size_t frame = 0; frame < out.bufferFrames(); ++frame)
        expectPanned(expected, frame < 600 ? 2 * 127 * wave->samples[frame / 2] : 0);
    EXPECT_SAME_SAMPLES(expected, got);
    EXPECT_FALSE(synth.state().active);
}

TEST_F(DeviceRender, DrumGainIsOneAndAHalfTimesTheVolume)
{
    const WaveRef loud = waveOf(std::vector<std::int8_t>(4000, 127));
    {
        OfflineDevice out(16, 22050, 1);
        connect(out);
        synth.setTone(drumTone(loud));
        ASSERT_TRUE(synth.noteOn(1));
        EXPECT_EQ(out.refill16(1)[0], 32258) << "2 x 127 x 127 on a mono device";
        synth.setVolume(100);
        ASSERT_TRUE(synth.noteOn(1));
        EXPECT_EQ(out.refill16(1)[0], 32258) << "volume 100 gives gain 127 as well";
        synth.setVolume(40);
        ASSERT_TRUE(synth.noteOn(1));
        EXPECT_EQ(out.refill16(1)[0], 2 * 127 * 60) << "volume 40 gives gain 60";
    }
    {
        OfflineDevice out(16, 22050, 2);
        connect(out);
        synth.setTone(drumTone(loud));
        ASSERT_TRUE(synth.noteOn(1));
        const auto s = out.refill16(1);
        EXPECT_EQ(s[0], 16129) << "half of it per channel on a stereo device";
        EXPECT_EQ(s[1], 16129);
    }
    {
        OfflineDevice out(8, 22050, 1);
        connect(out);
        synth.setTone(drumTone(loud));
        ASSERT_TRUE(synth.noteOn(1));
        EXPECT_EQ(out.refill(1)[0], 128 + 126) << "(127 x 127) >> 7";
    }
}

TEST_F(DeviceRender, DrumSpeedChangesAtNoteOffAndNegativeSpeedsEndTheVoice)
{
    OfflineDevice out(16, 22050, 1);
    connect(out);
    const WaveRef wave = scrambledWave(4000);
    ToneRecord tone = drumTone(wave, 0); // held: the first sample over and over
    tone.amplitude = 2 * 65536;          // released: every other sample
    synth.setTone(tone);
    ASSERT_TRUE(synth.noteOn(1));
    auto got = out.refill16(1);
    EXPECT_TRUE(std::all_of(got.begin(), got.end(), [&](std::int16_t v) { return v == 2 * 127 * wave->samples[0]; }));
    synth.noteOff();
    got = out.refill16(1);
    for (std::size_t frame = 0; frame < got.size(); ++frame)
        ASSERT_EQ(got[frame], 2 * 127 * wave->samples[2 * frame]) << "frame " << frame;

    tone.gainRate = -65536;
    synth.setTone(tone);
    ASSERT_TRUE(synth.noteOn(1));
    got = out.refill16(1);
    EXPECT_EQ(got[0], 2 * 127 * wave->samples[0]);
    EXPECT_TRUE(std::all_of(got.begin() + 1, got.end(), [](std::int16_t v) { return v == 0; }))
        << "one step back from 0 wraps past the end";
    EXPECT_FALSE(synth.state().active);
}

TEST_F(DeviceRender, ADrumWithCycleSizeZeroAddsNothing)
{
    OfflineDevice out(16, 22050, 1);
    connect(out);
    ToneRecord tone = drumTone(scrambledWave());
    tone.cycleSize = 0;
    synth.setTone(tone);
    EXPECT_TRUE(synth.noteOn(1));
    const auto got = out.refill16(1);
    EXPECT_TRUE(std::all_of(got.begin(), got.end(), [](std::int16_t v) { return v == 0; }));
    EXPECT_FALSE(synth.state().active);
}

TEST_F(DeviceRender, SilenceAndStopRequestsTakeEffectAtTheNextBlock)
{
    OfflineDevice out(16, 22050, 1);
    connect(out);
    synth.setTone(drumTone(waveOf(std::vector<std::int8_t>(100000, 127))));
    ASSERT_TRUE(synth.noteOn(1));
    synth.silence();
    auto got = out.refill16(1);
    EXPECT_TRUE(std::all_of(got.begin(), got.end(), [](std::int16_t v) { return v == 0; }));

    ASSERT_TRUE(synth.noteOn(1));
    synth.stop(); // what the device does when it lets a source go
    EXPECT_EQ(renderDirect(synth, out.device, 10), std::vector<std::int32_t>(10, 0));
    EXPECT_FALSE(synth.state().active) << "a stop request ends the voice before any sample";
}

// ---- the waveform block bounds every read ---------------------------------------------

TEST_F(DeviceRender, AStepLongerThanTheLoopStaysInsideTheLoop)
{
    OfflineDevice out(16, 22050, 1);
    connect(out);
    ToneRecord tone = fullLevelTone(waveOf({10, 20, 30, 40}));
    tone.loopReturn = 2; // a loop of two samples, played five samples per sample
    synth.setTone(tone);
    ASSERT_TRUE(synth.noteOn(frequencyForStep(4, 5, 22050)));
    // Positions 0, 5 -> 3, 8 -> 2, 7 -> 3, 8 -> 2, ...: samples 10, 40, 30, 40, 30, ...
    const auto got = renderDirect(synth, out.device, 6);
    EXPECT_EQ(got, (std::vector<std::int32_t>{2520, 10080, 7560, 10080, 7560, 10080}));
    EXPECT_TRUE(synth.state().active);
}

TEST_F(DeviceRender, ASampleCountBeyondTheBlockPlaysAsIfItWereTheBlockSize)
{
    OfflineDevice out(16, 22050, 1);
    connect(out);
    ToneRecord tone = fullLevelTone(waveOf({1, 2, 3, 4, 5, 6, 7, 8}));
    tone.sampleCount = 1000;
    tone.cycleSize = 1000; // pitch as for a cycle of 8
    synth.setTone(tone);
    ASSERT_TRUE(synth.noteOn(frequencyForStep(8, 1, 22050)));
    const auto got = renderDirect(synth, out.device, 20);
    for (std::size_t i = 0; i < got.size(); ++i)
        EXPECT_EQ(got[i], 252 * static_cast<std::int32_t>(1 + i % 8)) << "frame " << i;

    ToneRecord drum = drumTone(waveOf({1, 2, 3, 4, 5, 6, 7, 8}));
    drum.cycleSize = 1000;
    drum.sampleCount = 1000;
    synth.setTone(drum);
    ASSERT_TRUE(synth.noteOn(1));
    const auto drumOut = renderDirect(synth, out.device, 12);
    for (std::size_t i = 0; i < drumOut.size(); ++i)
        EXPECT_EQ(drumOut[i], i < 8 ? 2 * 127 * static_cast<std::int32_t>(1 + i) : 0) << "frame " << i;
}

TEST_F(DeviceRender, AToneChangedUnderASoundingNoteNeverLeadsOutsideTheNewWave)
{
    OfflineDevice out(16, 22050, 1);
    connect(out);
    synth.setTone(fullLevelTone(scrambledWave(1000)));
    ASSERT_TRUE(synth.noteOn(frequencyForStep(1000, 1, 22050)));
    renderDirect(synth, out.device, 500); // at sample 500 now

    ToneRecord shorter = fullLevelTone(waveOf({5, 6, 7, 8}));
    shorter.loopReturn = 4;
    synth.setTone(shorter); // no loop: a position past its end ends the voice
    EXPECT_EQ(renderDirect(synth, out.device, 8), std::vector<std::int32_t>(8, 0));
    EXPECT_FALSE(synth.state().active);

    synth.setTone(fullLevelTone(scrambledWave(1000)));
    ASSERT_TRUE(synth.noteOn(frequencyForStep(1000, 1, 22050)));
    renderDirect(synth, out.device, 500);
    ToneRecord voidWave = fullLevelTone(scrambledWave(1000));
    voidWave.wave.reset();
    synth.setTone(voidWave);
    EXPECT_EQ(renderDirect(synth, out.device, 8), std::vector<std::int32_t>(8, 0));
    EXPECT_FALSE(synth.state().active) << "a tone without a waveform ends the note";
}

// ---- continuity --------------------------------------------------------------------

ToneRecord busyTone()
{
    ToneRecord tone = fullLevelTone(scrambledWave(700));
    tone.AR = 30000;
    tone.DL = fullScaleLevel;
    tone.DR = 4000;
    tone.NL = 0x500000;
    tone.NR = -3000;
    tone.SL = 0x600000;
    tone.SR = 50;
    tone.RR = 900;
    tone.startDelay = 333;
    tone.amplitude = 0x180000;
    tone.gainRate = 700;
    tone.frequencyShift = 12;
    tone.cycleSize = 70;
    tone.loopReturn = 123;
    return tone;
}

TEST(RenderContinuity, OneLongRenderEqualsTheSameRenderCutIntoPieces)
{
    for (std::int32_t channels : {1, 2}) {
        OfflineDevice out(16, 44100, channels);
        Synth whole, pieces;
        ASSERT_TRUE(whole.connect(out.device, 0));
        ASSERT_TRUE(pieces.connect(out.device, 0));
        for (Synth* s : {&whole, &pieces}) {
            s->setModulation(60);
            s->setTone(busyTone());
            ASSERT_TRUE(s->noteOn(noteFrequency(81)));
        }
        constexpr std::int32_t total = 30000;
        const std::vector<std::int32_t> expected = renderDirect(whole, out.device, total);
        std::vector<std::int32_t> got;
        const std::int32_t sizes[] = {1, 7, 176, 33, 1000, 2, 4096};
        for (std::int32_t done = 0, k = 0; done < total; ++k) {
            const std::int32_t n = std::min(sizes[k % 7], total - done);
            const auto part = renderDirect(pieces, out.device, n);
            got.insert(got.end(), part.begin(), part.end());
            done += n;
        }
        EXPECT_SAME_SAMPLES(expected, got);
        EXPECT_TRUE(std::any_of(expected.begin(), expected.end(), [](std::int32_t v) { return v != 0; }));
    }
}

} // namespace

namespace {

// Any 32-bit value in any field: a bank file can carry them all. Rendering such tones in
// every format must read nothing outside the waveform block (AddressSanitizer sees every
// byte of it), overflow nothing (UndefinedBehaviorSanitizer), and leave a sounding
// instrument voice inside its waveform.
TEST(WildTones, RenderInEveryFormatWithoutLeavingTheWaveform)
{
    std::mt19937 random(20261208);
    const std::int32_t extremes[] = {0,      1,        -1,       2,         255,       256,           65536,
                                     -65536, 0x7F0000, 0x1F0000, INT32_MAX, INT32_MIN, INT32_MAX - 1, INT32_MIN + 1};
    auto wild = [&]() -> std::int32_t {
        switch (random() % 3) {
        case 0: return extremes[random() % std::size(extremes)];
        case 1: return static_cast<std::int32_t>(random() % 600);
        default: return static_cast<std::int32_t>(random());
        }
    };
    for (auto [bits, rate, channels] :
         {std::tuple{16, 44100, 2}, std::tuple{16, 22050, 1}, std::tuple{8, 11025, 2}, std::tuple{8, 44100, 1}}) {
        OfflineDevice out(bits, rate, channels);
        Synth synth;
        ASSERT_TRUE(synth.connect(out.device, 0));
        for (int n = 0; n < 150; ++n) {
            const std::size_t size = 1 + random() % 300;
            ToneRecord tone = fullLevelTone(scrambledWave(size));
            for (int field = 0; field < ToneRecord::fieldCount; ++field)
                if (field != ToneRecord::waveField)
                    tone.setField(field, wild());
            tone.drumAlgorithm = static_cast<std::int32_t>(random() % 2);
            synth.setModulation(wild());
            synth.setVolume(static_cast<std::uint32_t>(wild()));
            synth.setTone(tone);
            synth.noteOn(static_cast<std::uint32_t>(wild()));
            for (int block = 0; block < 4; ++block) {
                renderDirect(synth, out.device, 176);
                if (block == 2)
                    synth.noteOff();
                const VoiceState v = synth.state();
                if (v.active && tone.drumAlgorithm == 0) {
                    const auto limit = std::min<std::uint32_t>(static_cast<std::uint32_t>(tone.sampleCount),
                                                               static_cast<std::uint32_t>(size));
                    ASSERT_LT(whole(v.position), limit) << "tone " << n << ", block " << block;
                }
            }
        }
    }
}

} // namespace
