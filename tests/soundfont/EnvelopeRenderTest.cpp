// The imported envelope as a voice plays it: timed on the rendered output against the
// font's own values.
#include "tests/soundfont/ImportedFont.h"
#include "tests/synth/VoiceTestSupport.h"

#include <cmath>

using namespace fontwriter;

namespace {

constexpr int rate = 44100;

std::int16_t timecents(double seconds)
{
    return static_cast<std::int16_t>(std::lround(1200 * std::log2(seconds)));
}

// Renders the program's tone at 44100 Hz on a constant wave, frame by frame, holding
// the key for `hold` seconds: the rendered value of each frame, which is the tone's
// level.
std::vector<std::int32_t> renderLevels(const ToneRecord& tone, double hold, double total)
{
    OfflineDevice out{16, rate, 2};
    Synth synth;
    EXPECT_TRUE(synth.connect(out.device, 0));
    synth.setTone(tone);
    EXPECT_TRUE(synth.noteOn(noteFrequency(69)));
    std::vector<std::int32_t> levels;
    for (int i = 0; i < static_cast<int>(total * rate); ++i) {
        if (i == static_cast<int>(hold * rate))
            synth.noteOff();
        const std::vector<std::int32_t> frame = renderDirect(synth, out.device, 1);
        levels.push_back(frame[0] + frame[1]);
    }
    return levels;
}

double decibels(double level, double reference)
{
    return 20 * std::log10(level / reference);
}

} // namespace

TEST(ImportedEnvelope, AttackDecaySustainAndReleaseKeepTheFontsTimes)
{
    const double attack = 0.1, hold = 0.05, decay = 1.0, sustainDb = 12, release = 0.5, attenuationDb = 3;
    Sample constant{"constant", std::vector<std::int16_t>(1000, 16384), 0, 1000, 28160, 69};
    ToneBank bank;
    importSoundFont(readBack(oneToneFont(constant, {{54, 1},
                                                    {34, timecents(attack)},
                                                    {35, timecents(hold)},
                                                    {36, timecents(decay)},
                                                    {37, static_cast<std::int16_t>(sustainDb * 10)},
                                                    {38, timecents(release)},
                                                    {48, static_cast<std::int16_t>(attenuationDb * 10)}})),
                    bank, {});
    const double noteOff = 0.6;
    const std::vector<std::int32_t> levels = renderLevels(bank.getInstrumentTone(0), noteOff, 1.2);

    // Full scale on this path: 64 x (127 x 0x7F0000 >> 21).
    const double fullScale = 64.0 * 504;
    const auto peakAt = std::max_element(levels.begin(), levels.end());
    EXPECT_NEAR(decibels(*peakAt, fullScale), -attenuationDb, 0.1);
    const auto reached = std::find_if(levels.begin(), levels.end(), [&](std::int32_t v) { return v >= *peakAt; });
    const double attackTime = static_cast<double>(reached - levels.begin()) / rate;
    EXPECT_NEAR(attackTime, attack, attack * 0.1);

    // The decay reaches the sustain level hold + decay x 12/100 after the attack.
    const double sustainFrom = attack + hold + decay * sustainDb / 100;
    const double afterDecay = levels[static_cast<std::size_t>((sustainFrom + 0.05) * rate)];
    EXPECT_NEAR(decibels(afterDecay, *peakAt), -sustainDb, 2);
    const double beforeNoteOff = levels[static_cast<std::size_t>((noteOff - 0.01) * rate)];
    EXPECT_NEAR(decibels(beforeNoteOff, *peakAt), -sustainDb, 2);
    // Halfway through the decay the level lies between the peak and the sustain.
    const double midDecay = levels[static_cast<std::size_t>((attack + hold + decay * sustainDb / 200) * rate)];
    EXPECT_NEAR(decibels(midDecay, *peakAt), -sustainDb / 2, 2);

    // The release falls from the sustain level to silence in the time the font's
    // release takes from there down to 60 dB below the peak.
    const auto silent = std::find(levels.begin() + static_cast<std::ptrdiff_t>(noteOff * rate), levels.end(), 0);
    ASSERT_NE(silent, levels.end());
    const double releaseTime = static_cast<double>(silent - levels.begin()) / rate - noteOff;
    const double fontRelease = release * (60 - sustainDb) / 100;
    EXPECT_NEAR(releaseTime, fontRelease, fontRelease * 0.2);
}

TEST(ImportedEnvelope, ASustainOfSilenceEndsTheNoteWhileTheKeyIsHeld)
{
    Sample constant{"constant", std::vector<std::int16_t>(1000, 16384), 0, 1000, 28160, 69};
    ToneBank bank;
    importSoundFont(readBack(oneToneFont(constant, {{54, 1}, {36, timecents(0.5)}, {37, 1000}})), bank, {});
    const std::vector<std::int32_t> levels = renderLevels(bank.getInstrumentTone(0), 2, 1);
    // 60 dB of a decay of 100 dB in 0.5 s: silent after 0.3 s.
    const auto silent = std::find(levels.begin() + 10, levels.end(), 0);
    ASSERT_NE(silent, levels.end());
    EXPECT_NEAR(static_cast<double>(silent - levels.begin()) / rate, 0.3, 0.03);
}
