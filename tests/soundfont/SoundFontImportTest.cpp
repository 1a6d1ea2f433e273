#include "tests/soundfont/ImportedFont.h"

#include <cmath>

using namespace fontwriter;

namespace {

// The note whose period is exactly 64 samples at 28160 Hz: 440 Hz, key 69.
Sample a440(std::size_t length = 1000)
{
    Sample sample{"a440", sine(length, 64), 0, 0, 28160, 69};
    return sample;
}

struct Imported {
    ToneBank bank;
    SoundFontImportReport report;
};

Imported import(const Font& written, SoundFontImportOptions options = {})
{
    Imported result;
    result.report = importSoundFont(readBack(written), result.bank, options);
    expectConsistent(result.bank);
    return result;
}

bool hasNote(const ImportedTone& tone, const std::string& text)
{
    for (const std::string& note : tone.notes)
        if (note.find(text) != std::string::npos)
            return true;
    return false;
}

} // namespace

TEST(SoundFontImport, LoopPointsTakeTheZoneOffsets)
{
    Sample sample = a440();
    sample.loopStart = 200;
    sample.loopEnd = 840;
    // The start 10 samples later, the loop's start 64 later and its end 128 earlier.
    const Imported looped = import(oneToneFont(sample, {{54, 1}, {0, 10}, {2, 64}, {3, -128}}));
    const ToneRecord tone = looped.bank.getInstrumentTone(0);
    EXPECT_EQ(tone.loopReturn, 200 + 64 - 10);
    EXPECT_EQ(tone.sampleCount, 840 - 128 - 10);
    EXPECT_EQ(tone.cycleSize, 64);
    EXPECT_EQ(looped.bank.waveSize(0), 990u);
    EXPECT_TRUE(looped.report.programs[0].tone.loops);

    // Without a loop mode the sample plays once to its end (with the end offset).
    const ToneRecord once = import(oneToneFont(sample, {{1, -100}})).bank.getInstrumentTone(0);
    EXPECT_EQ(once.sampleCount, 900);
    EXPECT_EQ(once.loopReturn, 900);

    // A loop that runs past the sample plays once, and says so.
    const Imported broken = import(oneToneFont(sample, {{54, 1}, {3, 500}}));
    EXPECT_EQ(broken.bank.getInstrumentTone(0).loopReturn, 1000);
    EXPECT_TRUE(hasNote(broken.report.programs[0].tone, "loop does not lie within"));
}

TEST(SoundFontImport, PitchComesFromRootKeyTuningAndCorrection)
{
    // Root 69 at 28160 Hz: 64 samples a period of 440 Hz.
    EXPECT_EQ(import(oneToneFont(a440())).bank.getInstrumentTone(0).cycleSize, 64);
    // The zone says the sample is an A3 (220 Hz): one period is 128 samples.
    EXPECT_EQ(import(oneToneFont(a440(), {{58, 57}})).bank.getInstrumentTone(0).cycleSize, 128);
    // An octave down by coarse tuning, with fine tuning and the sample's correction
    // cancelling each other: 32 samples.
    Sample corrected = a440();
    corrected.correction = 50;
    const Imported tuned = import(oneToneFont(corrected, {{51, -12}, {52, -50}, {58, 69}}));
    EXPECT_EQ(tuned.bank.getInstrumentTone(0).cycleSize, 32);
    EXPECT_NEAR(tuned.report.programs[0].tone.pitchErrorCents, 0, 1e-9);
    EXPECT_EQ(tuned.report.programs[0].tone.rootKey, 69);

    // 22050 Hz at 440 Hz is 50.11 samples: 50 would be 3.9 cents sharp, so the wave is
    // resampled to make the period whole, and the loop points move with it.
    Sample off = a440();
    off.rate = 22050;
    off.loopStart = 100;
    off.loopEnd = 900;
    const Imported resampled = import(oneToneFont(off, {{54, 1}}));
    const ToneRecord tone = resampled.bank.getInstrumentTone(0);
    const double ratio = 50 / (22050 / 440.0);
    EXPECT_EQ(tone.cycleSize, 50);
    EXPECT_EQ(resampled.bank.waveSize(0), static_cast<std::uint32_t>(std::ceil(1000 * ratio)));
    EXPECT_EQ(tone.loopReturn, std::lround(100 * ratio));
    // The loop's length is rounded as one: a sample more or less of it is a pitch error.
    EXPECT_EQ(tone.sampleCount - tone.loopReturn, std::lround(800 * ratio));
    EXPECT_NEAR(resampled.report.programs[0].tone.pitchErrorCents, 0, 1e-6);
    // 1.5 cents off is kept as it is, and reported.
    off.rate = static_cast<std::uint32_t>(std::lround(50 * 440 * std::exp2(1.5 / 1200)));
    const Imported kept = import(oneToneFont(off));
    EXPECT_EQ(kept.bank.waveSize(0), 1000u);
    EXPECT_NEAR(kept.report.programs[0].tone.pitchErrorCents, -1.5, 0.05);
}

TEST(SoundFontImport, TheZoneOfKey60OrTheNearestKeyIsTaken)
{
    Font font;
    font.samples = {a440(), a440(), a440()};
    font.samples[1].name = "middle";
    font.instruments.push_back(
        {"split",
         {Zone{{{43, keyRange(0, 59)}}, 0}, Zone{{{43, keyRange(60, 71)}}, 1}, Zone{{{43, keyRange(72, 127)}}, 2}}});
    font.presets.push_back({"split", 3, 0, {Zone{{}, 0}}});
    const Imported split = import(font);
    EXPECT_EQ(split.report.programs[0].program, 3u);
    EXPECT_EQ(split.report.programs[0].tone.sample, "middle");
    EXPECT_EQ(split.report.programs[0].tone.key, 60);

    // Nothing at 60: the zone at 64-127 is nearer than the one at 0-52. Its pitch is
    // that of key 64 still, as the sample at its root key plays it.
    font.instruments[0].zones = {Zone{{{43, keyRange(0, 52)}}, 0}, Zone{{{43, keyRange(64, 127)}}, 1}};
    const Imported nearest = import(font);
    EXPECT_EQ(nearest.report.programs[0].tone.sample, "middle");
    EXPECT_EQ(nearest.report.programs[0].tone.key, 64);
    EXPECT_EQ(nearest.bank.getInstrumentTone(3).cycleSize, 64);
    // Of two layers at the key, the louder.
    font.instruments[0].zones = {Zone{{{48, 200}}, 0}, Zone{{{48, 30}}, 1}, Zone{{{48, 100}}, 2}};
    const Imported layered = import(font);
    EXPECT_EQ(layered.report.programs[0].tone.sample, "middle");
    EXPECT_TRUE(hasNote(layered.report.programs[0].tone, "2 more zones"));
    // Programs the font lacks are left as they were.
    EXPECT_EQ(nearest.bank.findWave(nearest.bank.getInstrumentTone(0).wave), -1);
}

TEST(SoundFontImport, AStereoPairKeepsItsLeftSide)
{
    Font font;
    font.samples = {a440(), a440()};
    font.samples[0].name = "R";
    font.samples[0].type = 2;
    font.samples[0].link = 1;
    font.samples[1].name = "L";
    font.samples[1].type = 4;
    font.instruments.push_back({"pair", {Zone{{{17, 500}}, 0}, Zone{{{17, -500}}, 1}}});
    font.presets.push_back({"pair", 0, 0, {Zone{{}, 0}}});
    const Imported pair = import(font);
    const ImportedTone& tone = pair.report.programs[0].tone;
    EXPECT_EQ(tone.sample, "L");
    EXPECT_TRUE(hasNote(tone, "stereo: left side kept"));
    EXPECT_TRUE(hasNote(tone, "1 more zones"));
    EXPECT_TRUE(hasNote(tone, "pan dropped"));
    EXPECT_EQ(pair.bank.waveCount(), 1u);
}

TEST(SoundFontImport, GlobalZonesGiveDefaultsAndPresetsAddToInstruments)
{
    Font font = oneToneFont(a440());
    // Instrument global: 12 dB of attenuation and a coarse tuning the local zone
    // replaces; preset global: one octave more, which adds.
    font.instruments[0].zones.insert(font.instruments[0].zones.begin(), Zone{{{48, 120}, {51, 5}}, -1});
    font.instruments[0].zones[1].generators = {{51, -12}};
    font.presets[0].zones.insert(font.presets[0].zones.begin(), Zone{{{51, 12}}, -1});
    const Imported imported = import(font);
    const ToneRecord tone = imported.bank.getInstrumentTone(0);
    EXPECT_EQ(tone.cycleSize, 64);
    EXPECT_NEAR(tone.DL, 127 * 65536 * std::pow(10, -12 / 20.0), 1);
}

TEST(SoundFontImport, DrumKitsBecomeDrumSetsWithSharedDrumTones)
{
    Font font;
    Sample kick{"kick", sine(500, 100), 0, 0, 22050, 35};
    Sample snare{"snare", sine(300, 10), 0, 0, 44100, 60};
    font.samples = {kick, snare};
    // Kick at its root on 35 and an octave up on 47; snare on 38 and 40 without
    // following the key (scale tuning 0): one drum tone for both.
    font.instruments.push_back({"standard",
                                {Zone{{{43, keyRange(35, 35)}}, 0}, Zone{{{43, keyRange(47, 47)}}, 0},
                                 Zone{{{43, keyRange(38, 40)}, {56, 0}, {57, 2}}, 1}}});
    font.instruments.push_back({"room", {Zone{{{43, keyRange(36, 36)}}, 0}}});
    font.presets.push_back({"Standard", 0, 128, {Zone{{}, 0}}});
    font.presets.push_back({"Room", 8, 128, {Zone{{}, 1}}});
    const Imported kit = import(font);
    const ToneBank& bank = kit.bank;
    ASSERT_EQ(bank.drumSetCount(), 2u);
    EXPECT_EQ(bank.drumSetMap()[8], 1);
    EXPECT_EQ(bank.drumSetMap()[0], 0);
    EXPECT_EQ(bank.drumSetMap()[9], 0);
    const auto& standard = bank.drumMaps()[0];
    const ToneRecord kick35 = bank.getDrumTone(static_cast<std::uint32_t>(standard[35]));
    const ToneRecord kick47 = bank.getDrumTone(static_cast<std::uint32_t>(standard[47]));
    EXPECT_EQ(kick35.drumAlgorithm, 1);
    EXPECT_EQ(kick35.gainRate, 65536);
    EXPECT_EQ(kick35.amplitude, 65536);
    EXPECT_EQ(kick47.gainRate, 131072);
    EXPECT_EQ(kick35.cycleSize, 500);
    EXPECT_EQ(kick35.wave, kick47.wave);
    EXPECT_EQ(standard[38], standard[40]);
    EXPECT_EQ(standard[38], standard[39]);
    const ToneRecord snare38 = bank.getDrumTone(static_cast<std::uint32_t>(standard[38]));
    // 44100 Hz at its root's pitch on every key, in exclusive class 2.
    EXPECT_EQ(snare38.gainRate, 2 * 65536);
    EXPECT_EQ(snare38.amplitude, 2 * 65536);
    EXPECT_EQ(snare38.groupNumber, 2);
    // Keys no kit plays are left empty; the room kit has only its own key.
    EXPECT_EQ(standard[60], ToneBank::noDrumTone);
    EXPECT_EQ(bank.drumMaps()[1][35], ToneBank::noDrumTone);
    EXPECT_EQ(bank.getDrumTone(static_cast<std::uint32_t>(bank.drumMaps()[1][36])).gainRate,
              std::lround(65536 * std::exp2(1 / 12.0)));
    EXPECT_EQ(bank.drumToneCount(), 4u);
    EXPECT_EQ(bank.waveCount(), 2u);
    ASSERT_EQ(kit.report.drumSets.size(), 2u);
    EXPECT_EQ(kit.report.drumSets[0].keys.size(), 5u);

    SoundFontImportOptions noDrums;
    noDrums.drums = false;
    EXPECT_EQ(import(font, noDrums).bank.drumSetCount(), 1u);
}
