#include "VoiceTestSupport.h"

#include "synth/NoteTable.h"

namespace {

ToneRecord rateSensitiveTone()
{
    ToneRecord tone = fullLevelTone(scrambledWave());
    tone.AR = 1000;
    tone.DR = 1000;
    tone.NR = -7;
    tone.SR = 8;
    tone.RR = 6;
    tone.gainRate = 10;
    tone.startDelay = 100;
    tone.amplitude = 3;
    tone.frequencyShift = 9;
    tone.DL = 5000;
    tone.NL = 4000;
    tone.SL = 3000;
    return tone;
}

TEST(ToneSetup, ConvertsAnInstrumentToneToTheDeviceRate)
{
    struct Expected {
        std::int32_t rate, AR, DR, NR, SR, RR, gainRate, startDelay;
    };
    for (const Expected& e :
         {Expected{44100, 500, 500, -4, 4, 3, 5, 200}, Expected{22050, 1000, 1000, -7, 8, 6, 10, 100},
          Expected{11025, 2000, 2000, -14, 16, 12, 20, 50}}) {
        OfflineDevice out(16, e.rate, 2);
        Synth synth;
        ASSERT_TRUE(synth.connect(out.device, 0));
        synth.setTone(rateSensitiveTone());
        const ToneRecord t = synth.tone();
        EXPECT_EQ(t.AR, e.AR) << e.rate;
        EXPECT_EQ(t.DR, e.DR) << e.rate;
        EXPECT_EQ(t.NR, e.NR) << e.rate << " (arithmetic shift)";
        EXPECT_EQ(t.SR, e.SR) << e.rate;
        EXPECT_EQ(t.RR, e.RR) << e.rate;
        EXPECT_EQ(t.gainRate, e.gainRate) << e.rate;
        EXPECT_EQ(t.startDelay, e.startDelay) << e.rate;
        // Levels, the vibrato amplitude and frequency shift and the sizes never change.
        EXPECT_EQ(t.DL, 5000);
        EXPECT_EQ(t.NL, 4000);
        EXPECT_EQ(t.SL, 3000);
        EXPECT_EQ(t.amplitude, 3);
        EXPECT_EQ(t.frequencyShift, 9);
        EXPECT_EQ(t.sampleCount, 256);
        EXPECT_EQ(t.cycleSize, 256);
    }
}

TEST(ToneSetup, ConvertsOnlyTheTwoSpeedsOfADrumTone)
{
    struct Expected {
        std::int32_t rate, speed;
    };
    for (const Expected& e : {Expected{44100, 32768}, Expected{22050, 65536}, Expected{11025, 131072}}) {
        OfflineDevice out(16, e.rate, 2);
        Synth synth;
        ASSERT_TRUE(synth.connect(out.device, 0));
        ToneRecord tone = drumTone(scrambledWave(), 65536);
        tone.AR = 1000;
        tone.startDelay = 100;
        synth.setTone(tone);
        EXPECT_EQ(synth.tone().gainRate, e.speed) << e.rate;
        EXPECT_EQ(synth.tone().amplitude, e.speed) << e.rate;
        EXPECT_EQ(synth.tone().AR, 1000) << "instrument fields of a drum tone stay as stored";
        EXPECT_EQ(synth.tone().startDelay, 100);
    }
}

TEST(ToneSetup, DerivesTheVibratoTimeBaseFromTheDeviceRate)
{
    for (auto [rate, timeBase] : {std::pair{44100, 380u}, std::pair{22050, 760u}, std::pair{11025, 1521u}}) {
        OfflineDevice out(8, rate, 1);
        Synth synth;
        ASSERT_TRUE(synth.connect(out.device, 0));
        EXPECT_EQ(synth.state().lfoTimeBase, timeBase) << rate;
    }
}

TEST(ToneSetup, VolumeIsLimitedTo127AndTakenAsUnsigned)
{
    Synth synth;
    EXPECT_EQ(synth.state().volume, 64) << "a new voice";
    OfflineDevice out(16, 44100, 2);
    ASSERT_TRUE(synth.connect(out.device, 0));
    EXPECT_EQ(synth.state().volume, 127) << "a connected voice";
    EXPECT_TRUE(synth.setVolume(40));
    EXPECT_EQ(synth.state().volume, 40);
    EXPECT_TRUE(synth.setVolume(200));
    EXPECT_EQ(synth.state().volume, 127);
    EXPECT_TRUE(synth.setVolume(static_cast<std::uint32_t>(-1)));
    EXPECT_EQ(synth.state().volume, 127);
    EXPECT_TRUE(synth.setVolume(0));
    EXPECT_EQ(synth.state().volume, 0);
}

TEST(ToneSetup, ModulationAddsQuarterStepsOfDepthUpTo63)
{
    OfflineDevice out(16, 44100, 2);
    Synth synth;
    ASSERT_TRUE(synth.connect(out.device, 0));
    ToneRecord tone = fullLevelTone(scrambledWave());
    tone.amplitude = 0x10000;
    synth.setTone(tone);

    synth.setModulation(300);
    EXPECT_EQ(synth.state().modulation, 63 * 65536);
    EXPECT_EQ(synth.state().vibratoDepthMax, 0x3F0000) << "63 units plus the amplitude, limited";
    synth.setModulation(-8);
    EXPECT_EQ(synth.state().modulation, 0);
    EXPECT_EQ(synth.state().vibratoDepthMax, 0x10000);
    synth.setModulation(7);
    EXPECT_EQ(synth.state().modulation, 65536) << "7 >> 2 is one unit";
    EXPECT_EQ(synth.state().vibratoDepthMax, 0x20000);

    // A note-on recomputes the limit with its own, lower ceiling.
    synth.setModulation(300);
    ASSERT_TRUE(synth.noteOn(noteFrequency(69)));
    EXPECT_EQ(synth.state().vibratoDepthMax, 0x1F0000);
}

TEST(ToneSetup, NoteOnLimitsTheVibratoDepthTo0x1F0000)
{
    OfflineDevice out(16, 44100, 2);
    Synth synth;
    ASSERT_TRUE(synth.connect(out.device, 0));
    ToneRecord tone = fullLevelTone(scrambledWave());
    tone.amplitude = 3 << 20;
    synth.setTone(tone);
    ASSERT_TRUE(synth.noteOn(noteFrequency(60)));
    EXPECT_EQ(synth.state().vibratoDepthMax, 0x1F0000);
    EXPECT_EQ(synth.state().vibratoDepth, 0);

    tone.amplitude = -5 << 16;
    synth.setTone(tone);
    ASSERT_TRUE(synth.noteOn(noteFrequency(60)));
    EXPECT_EQ(synth.state().vibratoDepthMax, 0) << "a negative amplitude gives no vibrato";
}

TEST(ToneSetup, NoteOnStartsTheEnvelopeAndTheVibratoDelay)
{
    OfflineDevice out(16, 44100, 2);
    Synth synth;
    ASSERT_TRUE(synth.connect(out.device, 0));
    synth.setTone(rateSensitiveTone());
    ASSERT_TRUE(synth.noteOn(noteFrequency(0)));
    const VoiceState v = synth.state();
    EXPECT_TRUE(v.active);
    EXPECT_EQ(v.stage, 0);
    EXPECT_EQ(v.envLevel, 0);
    EXPECT_EQ(v.envRate, 500);
    EXPECT_EQ(v.envTarget, 5000);
    EXPECT_EQ(v.lfoCounter, -200);
    EXPECT_EQ(v.position, 0u);
    EXPECT_EQ(v.step, 203743119u) << "floor(256 x 1046 x 2^25 / 44100)";
}

TEST(ToneSetup, NoteOnRefusesWhatItCannotPlay)
{
    OfflineDevice out(16, 44100, 2);
    Synth synth;
    ASSERT_TRUE(synth.connect(out.device, 0));
    synth.setTone(fullLevelTone(scrambledWave()));
    ASSERT_TRUE(synth.noteOn(noteFrequency(69)));
    EXPECT_FALSE(synth.noteOn(0)) << "frequency 0";
    EXPECT_FALSE(synth.state().active) << "the old note was silenced all the same";

    synth.setVolume(0);
    EXPECT_TRUE(synth.noteOn(noteFrequency(69))) << "volume 0 succeeds";
    EXPECT_FALSE(synth.state().active) << "but starts nothing";
    synth.setVolume(127);

    ToneRecord noWave = fullLevelTone(scrambledWave());
    noWave.wave.reset();
    synth.setTone(noWave);
    EXPECT_FALSE(synth.noteOn(noteFrequency(69))) << "a tone without a waveform";
    EXPECT_FALSE(synth.state().active);

    ToneRecord noSamples = fullLevelTone(scrambledWave());
    noSamples.sampleCount = 0;
    synth.setTone(noSamples);
    EXPECT_FALSE(synth.noteOn(noteFrequency(69))) << "a tone with sampleCount 0";
    EXPECT_FALSE(synth.state().active);

    ToneRecord emptyBlock = fullLevelTone(waveOf({}));
    emptyBlock.sampleCount = 100;
    synth.setTone(emptyBlock);
    EXPECT_FALSE(synth.noteOn(noteFrequency(69))) << "a waveform block without samples";
}

TEST(ToneSetup, ASecondNoteOnRestartsTheVoice)
{
    OfflineDevice out(16, 22050, 1);
    Synth synth;
    ASSERT_TRUE(synth.connect(out.device, 0));
    ToneRecord tone = fullLevelTone(scrambledWave());
    tone.AR = 1000;
    synth.setTone(tone);
    ASSERT_TRUE(synth.noteOn(noteFrequency(69)));
    renderDirect(synth, out.device, 100);
    EXPECT_EQ(synth.state().envLevel, 100000);
    EXPECT_NE(synth.state().position, 0u);
    ASSERT_TRUE(synth.noteOn(noteFrequency(69)));
    EXPECT_EQ(synth.state().envLevel, 0);
    EXPECT_EQ(synth.state().position, 0u);
    EXPECT_EQ(synth.state().lfoCounter, 0);
}

TEST(ToneSetup, ConnectRefusesASecondConnectionToTheSameDevice)
{
    OfflineDevice out(16, 44100, 2);
    Synth synth;
    ASSERT_TRUE(synth.connect(out.device, 0));
    EXPECT_EQ(synth.status, 0u);
    EXPECT_FALSE(synth.connect(out.device, 0));
    EXPECT_EQ(synth.status, 0x80000001u);
}

TEST(ToneSetup, MovingAVoiceToAnotherDeviceLeavesTheFirst)
{
    OfflineDevice first(16, 44100, 2);
    OfflineDevice second(16, 22050, 1);
    {
        Synth synth;
        ASSERT_TRUE(synth.connect(first.device, 0));
        ASSERT_TRUE(synth.connect(second.device, 0));
        EXPECT_EQ(first.device.firstSource(), nullptr);
        EXPECT_EQ(second.device.firstSource(), &synth);
        EXPECT_EQ(synth.state().lfoTimeBase, 760u);
    }
    EXPECT_EQ(second.device.firstSource(), nullptr) << "a destroyed voice leaves its device";
    // Both devices still render without the voice.
    first.refill(1);
    second.refill(1);
}

} // namespace
