#include "VoiceTestSupport.h"

#include "synth/NoteTable.h"

namespace {

// A voice on a 16-bit mono device at 22050 Hz (where tones are not converted), playing
// a wave of constant value 1, so that every mix value is the amplitude factor A itself.
class EnvelopeTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(synth.connect(out.device, 0)); }

    void start(const ToneRecord& tone)
    {
        synth.setTone(tone);
        ASSERT_TRUE(synth.noteOn(noteFrequency(69)));
    }

    // Renders one frame at a time, `count` frames, giving the mix values.
    std::vector<std::int32_t> frames(int count)
    {
        std::vector<std::int32_t> values;
        for (int i = 0; i < count; ++i)
            values.push_back(renderDirect(synth, out.device, 1)[0]);
        return values;
    }

    static ToneRecord steppedTone()
    {
        ToneRecord tone = fullLevelTone(waveOf(std::vector<std::int8_t>(64, 1)));
        tone.AR = 1000;
        tone.DL = 5000;
        tone.DR = 1000;
        tone.NL = 3000;
        tone.NR = 500;
        tone.SL = 2000;
        tone.SR = 100;
        tone.RR = 700;
        return tone;
    }

    OfflineDevice out{16, 22050, 1};
    Synth synth;
};

TEST_F(EnvelopeTest, WalksTheFourKeyHeldStagesAndEndsAtLevelZero)
{
    start(steppedTone());
    // Attack by 1000 a sample: 5000 is reached on the 5th sample (rising: at or above).
    frames(4);
    EXPECT_EQ(synth.state().envLevel, 4000);
    EXPECT_EQ(synth.state().stage, 0);
    frames(1);
    EXPECT_EQ(synth.state().envLevel, 5000);
    EXPECT_EQ(synth.state().stage, 1);
    EXPECT_EQ(synth.state().envRate, -1000);
    EXPECT_EQ(synth.state().envTarget, 3000);
    // Falling to 3000: reaching it exactly is not yet the end; passing below it is.
    frames(2);
    EXPECT_EQ(synth.state().envLevel, 3000);
    EXPECT_EQ(synth.state().stage, 1);
    frames(1);
    EXPECT_EQ(synth.state().envLevel, 3000) << "the level is set to the target when the stage ends";
    EXPECT_EQ(synth.state().stage, 2);
    EXPECT_EQ(synth.state().envRate, -500);
    frames(3); // 2500, 2000, then below 2000
    EXPECT_EQ(synth.state().envLevel, 2000);
    EXPECT_EQ(synth.state().stage, 3);
    EXPECT_EQ(synth.state().envRate, -100);
    EXPECT_EQ(synth.state().envTarget, 0);
    // Sustain fades by 100 a sample: 0 after 20 samples, the end one sample later.
    frames(20);
    EXPECT_EQ(synth.state().envLevel, 0);
    EXPECT_TRUE(synth.state().active);
    frames(1);
    const VoiceState ended = synth.state();
    EXPECT_FALSE(ended.active) << "the voice ends while the key is still held";
    EXPECT_EQ(ended.stage, 0);
    EXPECT_EQ(ended.envRate, 0);
    EXPECT_EQ(ended.envTarget, static_cast<std::int32_t>(0x80000000u));
}

TEST_F(EnvelopeTest, AStageWhoseRatePointsAwayFromItsTargetEndsOnItsFirstSample)
{
    ToneRecord tone = steppedTone();
    tone.DR = -1000; // rises, but NL lies below DL
    start(tone);
    frames(5);
    ASSERT_EQ(synth.state().stage, 1);
    frames(1);
    EXPECT_EQ(synth.state().stage, 2);
    EXPECT_EQ(synth.state().envLevel, 3000) << "the level jumps to NL";
}

TEST_F(EnvelopeTest, AZeroRateHoldsItsLevel)
{
    ToneRecord tone = steppedTone();
    tone.DR = 0;
    start(tone);
    frames(5 + 2000);
    EXPECT_EQ(synth.state().stage, 1);
    EXPECT_EQ(synth.state().envLevel, 5000);

    tone = steppedTone();
    tone.SR = 0;
    start(tone);
    frames(11 + 2000);
    EXPECT_EQ(synth.state().stage, 3);
    EXPECT_EQ(synth.state().envLevel, 2000);
    EXPECT_TRUE(synth.state().active);
}

TEST_F(EnvelopeTest, ReleaseStartsFromTheLevelReachedAndEndsAtZero)
{
    start(steppedTone());
    frames(3);
    ASSERT_EQ(synth.state().envLevel, 3000);
    EXPECT_TRUE(synth.noteOff());
    EXPECT_EQ(synth.state().stage, 4);
    frames(1);
    EXPECT_EQ(synth.state().envLevel, 2300);
    frames(3); // 1600, 900, 200
    EXPECT_TRUE(synth.state().active);
    frames(1); // below 0
    EXPECT_FALSE(synth.state().active);
}

TEST_F(EnvelopeTest, WithoutReleaseRateTheVoiceHoldsAfterNoteOff)
{
    ToneRecord tone = steppedTone();
    tone.RR = 0;
    start(tone);
    frames(3);
    synth.noteOff();
    frames(1000);
    EXPECT_TRUE(synth.state().active);
    EXPECT_EQ(synth.state().envLevel, 3000);
    synth.silence();
    EXPECT_FALSE(synth.state().active);
}

TEST_F(EnvelopeTest, WithoutAttackRateTheVoiceWaitsAtZeroUntilReleased)
{
    ToneRecord tone = steppedTone();
    tone.AR = 0;
    start(tone);
    frames(1000);
    EXPECT_TRUE(synth.state().active);
    EXPECT_EQ(synth.state().envLevel, 0);
    synth.noteOff();
    const std::vector<std::int32_t> out = frames(1);
    EXPECT_FALSE(synth.state().active) << "ends on the first release sample";
    EXPECT_EQ(out[0], 0) << "and adds nothing for it";
}

TEST_F(EnvelopeTest, AmplitudeIsVolumeTimesLevelScaledPerFormat)
{
    // Full level at once: 127 x 0x7F0000 >> 22 = 252 on a 16-bit mono device.
    start(fullLevelTone(waveOf(std::vector<std::int8_t>(64, 1))));
    EXPECT_EQ(frames(3), (std::vector<std::int32_t>{252, 252, 252}));
    synth.setVolume(64);
    EXPECT_EQ(frames(1)[0], 127) << "64 x 0x7F0000 >> 22";
}

// Vibrato with its depth at 0x1F0000 from its first sample: the term is
// (0x1F0000 x table[index]) >> 25 on a 16-bit mono device, -8 at the minimum -127
// and +7 at the maximum 127, around A = 252.
ToneRecord vibratoTone(std::int32_t startDelay, std::int32_t frequencyShift)
{
    ToneRecord tone = fullLevelTone(waveOf(std::vector<std::int8_t>(64, 1)));
    tone.amplitude = 0x1F0000;
    tone.gainRate = 0x1F0000;
    tone.startDelay = startDelay;
    tone.frequencyShift = frequencyShift;
    return tone;
}

TEST_F(EnvelopeTest, VibratoStartsAfterItsDelayAtTheTableMinimum)
{
    start(vibratoTone(3, 8));
    EXPECT_EQ(frames(4), (std::vector<std::int32_t>{252, 252, 244, 244}))
        << "a delay of 3 starts the vibrato on the 3rd sample, at its minimum";
    start(vibratoTone(0, 8));
    EXPECT_EQ(frames(1)[0], 244) << "no delay: from the first sample";
}

TEST_F(EnvelopeTest, VibratoDepthGrowsByItsRateAndMayPassItsLimitByLessThanOneStep)
{
    ToneRecord tone = vibratoTone(0, 8);
    tone.gainRate = 0xC0000; // three steps: 0xC0000, 0x180000, 0x240000 (past 0x1F0000)
    start(tone);
    frames(1);
    EXPECT_EQ(synth.state().vibratoDepth, 0xC0000);
    frames(1);
    EXPECT_EQ(synth.state().vibratoDepth, 0x180000);
    frames(5);
    EXPECT_EQ(synth.state().vibratoDepth, 0x240000);
}

// Centre of the run of frames at the vibrato's top (A = 252 + 7).
double centreOfFirstPeak(const std::vector<std::int32_t>& values)
{
    std::size_t first = 0;
    while (first < values.size() && values[first] != 259)
        ++first;
    std::size_t last = first;
    while (last + 1 < values.size() && values[last + 1] == 259)
        ++last;
    return (first + last) / 2.0;
}

TEST(Vibrato, RunsAt2PowerShiftOver256HertzAtEveryRate)
{
    // Shift 8 is 1 Hz: the top of the cosine comes half a second after the start. Shift
    // 10 is 4 Hz: an eighth of a second.
    for (auto [rate, shift, expectedSeconds] :
         {std::tuple{44100, 8, 0.5}, std::tuple{22050, 8, 0.5}, std::tuple{11025, 10, 0.125}}) {
        OfflineDevice out(16, rate, 1);
        Synth synth;
        ASSERT_TRUE(synth.connect(out.device, 0));
        ToneRecord tone = vibratoTone(0, shift);
        // Full level and full depth on the first sample: stored rates are for 22050 Hz.
        tone.AR = 2 * fullScaleLevel;
        tone.gainRate = static_cast<std::int32_t>(0x1F0000LL * rate / 22050);
        synth.setTone(tone);
        ASSERT_TRUE(synth.noteOn(noteFrequency(69)));
        const std::vector<std::int32_t> values = renderDirect(synth, out.device, rate);
        EXPECT_EQ(values[0], 244);
        EXPECT_NEAR(centreOfFirstPeak(values) / rate, expectedSeconds, 0.01) << rate << " Hz, shift " << shift;
    }
}

} // namespace
