#include "SongRig.h"

#include <cmath>

namespace {

constexpr std::uint8_t noteOn0 = 0x90, noteOff0 = 0x80, control0 = 0xB0, bend0 = 0xE0;

// A bank whose programs 0..3 play shaped tones on four different waves.
class SongPlayerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (std::uint32_t p = 0; p < 4; ++p) {
            const WaveRef wave = scrambledWave(64 + 16 * p);
            bank->appendWave(wave);
            bank->setInstrumentTone(p, shapedTone(wave));
        }
    }

    ToneRecord program(std::uint32_t p) const { return bank->getInstrumentTone(p); }

    std::unique_ptr<ToneBank> bank = std::make_unique<ToneBank>();
};

TEST_F(SongPlayerTest, OneNoteAtFullVolumeIsTheVoiceAloneFromItsBlockOn)
{
    const midi::Song song = songOf({message(0, control0, 7, 127), message(0, control0, 11, 127),
                                    message(100, noteOn0, 60, 127), message(400, noteOff0, 60, 0)});
    const auto played = playSong(song, *bank, 12);
    const auto alone = renderAlone({{program(0), noteFrequency(60), 127, blockOf(song, 100), blockOf(song, 400)}}, 192);
    EXPECT_GT(blockOf(song, 100), 0);
    EXPECT_SAME_SAMPLES(alone, played);
}

// Two notes on one tick in different tracks, the same key struck again while it sounds
// (the old note is let go), and on one tick a note-off in one track before a note-on of
// the same key in the next.
TEST_F(SongPlayerTest, SeveralNotesRenderTheSumOfEachAlone)
{
    const midi::Song song = songOf({
        message(0, 0xC1, 1),
        message(50, noteOn0, 60, 100, 0),
        message(50, 0x91, 67, 80, 1),
        message(80, 0x92, 64, 110, 0),
        message(150, 0x82, 64, 0, 0),
        message(150, 0x92, 64, 90, 1),
        message(200, noteOn0, 60, 70, 1),
        message(250, 0x81, 67, 0, 1),
        message(300, noteOff0, 60, 0, 0),
        message(350, 0x82, 64, 0, 1),
    });
    const auto volume = [](std::uint32_t velocity) { return voiceVolume(velocity, 100, 127); };
    const auto played = playSong(song, *bank, 12);
    const auto alone = renderAlone(
        {
            {program(0), noteFrequency(60), volume(100), blockOf(song, 50), blockOf(song, 200)},
            {program(1), noteFrequency(67), volume(80), blockOf(song, 50), blockOf(song, 250)},
            {program(0), noteFrequency(64), volume(110), blockOf(song, 80), blockOf(song, 150)},
            {program(0), noteFrequency(64), volume(90), blockOf(song, 150), blockOf(song, 350)},
            {program(0), noteFrequency(60), volume(70), blockOf(song, 200), blockOf(song, 300)},
        },
        192);
    EXPECT_SAME_SAMPLES(alone, played);
}

// Note-offs and all-notes-off wait for the pedal; the note ends when it lifts.
TEST_F(SongPlayerTest, ThePedalHoldsNoteOffsUntilItLifts)
{
    const midi::Song song =
        songOf({message(10, noteOn0, 60, 127), message(20, noteOn0, 72, 127), message(40, control0, 64, 127),
                message(60, noteOff0, 60, 0), message(80, control0, 123, 0), message(200, control0, 64, 0)});
    const auto played = playSong(song, *bank, 12);
    const std::uint32_t volume = voiceVolume(127, 100, 127);
    const auto alone = renderAlone({{program(0), noteFrequency(60), volume, blockOf(song, 10), blockOf(song, 200)},
                                    {program(0), noteFrequency(72), volume, blockOf(song, 20), blockOf(song, 200)}},
                                   192);
    EXPECT_SAME_SAMPLES(alone, played);
}

// Program 5 of the drum channel chooses set 1; program 6 names a set the bank does not
// have and plays set 0; a map entry of -1 plays nothing. The note-off reaches the drum
// and changes its speed.
TEST_F(SongPlayerTest, TheDrumChannelPlaysTheSetItsProgramChooses)
{
    for (std::uint32_t d = 0; d < 2; ++d) {
        ASSERT_TRUE(bank->addDrumTone());
        const WaveRef wave = scrambledWave(6000 + 1000 * d);
        bank->appendWave(wave);
        bank->setDrumTone(d, drumTone(wave, 40000 + 20000 * static_cast<std::int32_t>(d)));
    }
    ToneRecord slower = bank->getDrumTone(1);
    slower.amplitude = 20000;
    bank->setDrumTone(1, slower);
    bank->setDrumSetCount(2);
    bank->drumMaps()[0].fill(-1);
    bank->drumMaps()[1].fill(-1);
    bank->drumMaps()[0][36] = 0;
    bank->drumMaps()[1][36] = 1;
    bank->drumSetMap()[5] = 1;
    bank->drumSetMap()[6] = 7;

    const midi::Song song = songOf({message(0, 0xC9, 5), message(10, 0x99, 36, 127), message(60, 0x89, 36, 0),
                                    message(200, 0xC9, 6), message(200, 0x99, 36, 127), message(300, 0x99, 38, 127)});
    const auto played = playSong(song, *bank, 12);
    const std::uint32_t volume = voiceVolume(127, 100, 127);
    const auto alone =
        renderAlone({{bank->getDrumTone(1), noteFrequency(36), volume, blockOf(song, 10), blockOf(song, 60)},
                     {bank->getDrumTone(0), noteFrequency(36), volume, blockOf(song, 200)}},
                    192);
    EXPECT_SAME_SAMPLES(alone, played);
}

// Pitch of the left channel between two times, by rising zero crossings.
double pitchBetween(const std::vector<std::int16_t>& stereo, double from, double to)
{
    std::size_t first = 0, last = 0, crossings = 0;
    for (auto i = static_cast<std::size_t>(from * 44100); i < static_cast<std::size_t>(to * 44100); ++i)
        if (stereo[2 * i - 2] < 0 && stereo[2 * i] >= 0) {
            if (crossings++ == 0)
                first = i;
            last = i;
        }
    return crossings < 2 ? 0 : (crossings - 1) * 44100.0 / static_cast<double>(last - first);
}

TEST_F(SongPlayerTest, PitchBendFollowsTheRangeOfRegisteredParameterZero)
{
    std::vector<std::int8_t> square(256, 100);
    std::fill(square.begin() + 128, square.end(), -100);
    const WaveRef wave = waveOf(square);
    bank->appendWave(wave);
    bank->setInstrumentTone(9, fullLevelTone(wave));
    // 480 ticks are half a second. Range 12 semitones, then bent up by half of it while
    // the note sounds; a data entry after the parameter was deselected changes nothing,
    // and a new note starts bent.
    const midi::Song song = songOf({
        message(0, 0xC0, 9),
        message(0, control0, 101, 0),
        message(0, control0, 100, 0),
        message(0, control0, 6, 12),
        message(0, noteOn0, 69, 127),
        message(480, bend0, 0, 0x60),
        message(500, control0, 101, 127),
        message(500, control0, 100, 127),
        message(500, control0, 6, 24),
        message(960, noteOff0, 69, 0),
        message(960, noteOn0, 57, 127),
        message(1440, noteOff0, 57, 0),
    });
    const auto played = playSong(song, *bank, 24);
    EXPECT_NEAR(pitchBetween(played, 0.05, 0.45), 440.0, 1.0);
    EXPECT_NEAR(pitchBetween(played, 0.55, 0.95), 440.0 * std::sqrt(2.0), 1.5);
    EXPECT_NEAR(pitchBetween(played, 1.05, 1.45), 220.0 * std::sqrt(2.0), 1.0);

    // Without the parameter the range is two semitones.
    const midi::Song plain = songOf({message(0, 0xC0, 9), message(0, bend0, 0x7F, 0x7F), message(0, noteOn0, 69, 127),
                                     message(480, noteOff0, 69, 0)});
    EXPECT_NEAR(pitchBetween(playSong(plain, *bank, 8), 0.05, 0.45), 440.0 * std::pow(2.0, 2.0 * 8191 / 8192 / 12),
                1.0);
}

// Pan 0 is the left channel alone and 127 the right alone, also for a sounding note;
// all-sound-off ends the channel's notes in the block it falls in, whatever their release.
TEST_F(SongPlayerTest, PanPlacesTheVoiceAndAllSoundOffCutsIt)
{
    const midi::Song song = songOf({message(0, control0, 10, 0), message(0, noteOn0, 60, 127),
                                    message(100, control0, 10, 127), message(200, control0, 120, 0)});
    const auto played = playSong(song, *bank, 12);
    const auto right = static_cast<std::size_t>(blockOf(song, 100)) * blockFrames;
    const auto cut = static_cast<std::size_t>(blockOf(song, 200)) * blockFrames;
    std::size_t left = 0, rightSounding = 0;
    for (std::size_t i = 0; i < played.size() / 2; ++i) {
        const std::int16_t l = played[2 * i], r = played[2 * i + 1];
        if (i < right) {
            ASSERT_EQ(r, 0) << "frame " << i;
            left += l != 0;
        } else if (i < cut) {
            ASSERT_EQ(l, 0) << "frame " << i;
            rightSounding += r != 0;
        } else {
            ASSERT_TRUE(l == 0 && r == 0) << "frame " << i;
        }
    }
    EXPECT_GT(left, right / 2);
    EXPECT_GT(rightSounding, (cut - right) / 2);
}

} // namespace
