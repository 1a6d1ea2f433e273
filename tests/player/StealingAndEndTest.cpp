#include "SongRig.h"

#include "player/VoicePool.h"

#include <cstdlib>

namespace {

// Program 0 sounds a shaped tone; program 1 a constant level that takes seconds to
// release, so that a voice taken from it shows any step it makes.
class StealingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const WaveRef scrambled = scrambledWave(64);
        bank->appendWave(scrambled);
        bank->setInstrumentTone(0, shapedTone(scrambled));
        const WaveRef level = waveOf(std::vector<std::int8_t>(64, 100));
        bank->appendWave(level);
        ToneRecord slow = fullLevelTone(level);
        slow.RR = 100;
        bank->setInstrumentTone(1, slow);
    }

    LoneNote note(std::uint32_t program, std::uint8_t key, const midi::Song& song, std::uint64_t on,
                  std::int64_t off = -1) const
    {
        return {bank->getInstrumentTone(program), noteFrequency(key), voiceVolume(127, 100, 127), blockOf(song, on),
                off < 0 ? -1 : blockOf(song, static_cast<std::uint64_t>(off))};
    }

    // Plays `song` on two voices; before the steal the output is every note alone, from
    // two blocks after it the survivors alone, and in between the stolen voice fades:
    // its largest step from one frame to the next stays below a hundredth of its level.
    void expectSteal(const midi::Song& song, const std::vector<LoneNote>& all, const std::vector<LoneNote>& survivors,
                     std::int32_t stealBlock)
    {
        SongPlayer::Options two;
        two.voices = 2;
        const auto played = playSong(song, *bank, 12, two);
        const auto before = renderAlone(all, 192);
        const auto after = renderAlone(survivors, 192);
        const auto steal = static_cast<std::size_t>(stealBlock * blockFrames * 2);
        const auto faded = steal + VoicePool::fadeBlocks * blockFrames * 2;
        EXPECT_SAME_SAMPLES(std::vector<std::int16_t>(before.begin(), before.begin() + steal),
                            std::vector<std::int16_t>(played.begin(), played.begin() + steal));
        EXPECT_SAME_SAMPLES(std::vector<std::int16_t>(after.begin() + faded, after.end()),
                            std::vector<std::int16_t>(played.begin() + faded, played.end()));
        const int level = std::abs(played[steal - 2] - after[steal - 2]);
        int largestStep = 0;
        for (std::size_t i = steal; i < faded + 2; ++i) {
            const int stolenNow = played[i] - after[i];
            const int stolenBefore = played[i - 2] - after[i - 2];
            largestStep = std::max(largestStep, std::abs(stolenNow - stolenBefore));
        }
        EXPECT_GT(level, 5000);
        EXPECT_LT(largestStep * 100, level) << "the stolen voice steps by " << largestStep << " from " << level;
        RecordProperty("stolen_level", level);
        RecordProperty("largest_step", largestStep);
    }

    std::unique_ptr<ToneBank> bank = std::make_unique<ToneBank>();
};

TEST_F(StealingTest, ANewNoteTakesTheReleasedVoiceBeforeTheOldest)
{
    const midi::Song song = songOf({message(0, 0xC1, 1), message(0, 0xC0, 1), message(0, 0x91, 60, 127),
                                    message(20, 0x90, 64, 127), message(60, 0x80, 64, 0), message(100, 0x92, 67, 127)});
    expectSteal(song, {note(1, 60, song, 0), note(1, 64, song, 20, 60)}, {note(1, 60, song, 0), note(0, 67, song, 100)},
                blockOf(song, 100));
}

TEST_F(StealingTest, WithoutAReleasedVoiceTheOldestNoteIsTaken)
{
    const midi::Song song = songOf({message(0, 0xC1, 1), message(0, 0xC0, 1), message(0, 0x91, 60, 127),
                                    message(20, 0x90, 64, 127), message(100, 0x92, 67, 127)});
    expectSteal(song, {note(1, 60, song, 0), note(1, 64, song, 20)}, {note(1, 64, song, 20), note(0, 67, song, 100)},
                blockOf(song, 100));
}

// A stolen drum steps its volume down once a block and is silent eight blocks on, also
// where the next event is far away and the blocks between render in one go.
TEST_F(StealingTest, AStolenDrumFadesOutBlockByBlock)
{
    for (std::uint32_t d = 0; d < 3; ++d) {
        ASSERT_TRUE(bank->addDrumTone());
        const WaveRef wave = scrambledWave(60000);
        bank->appendWave(wave);
        bank->setDrumTone(d, drumTone(wave));
        bank->drumMaps()[0][36 + d] = static_cast<std::int32_t>(d);
    }
    const midi::Song song = songOf({message(0, 0x99, 36, 127), message(20, 0x99, 37, 127), message(100, 0x99, 38, 127),
                                    message(900, 0xB0, 7, 100)});
    SongPlayer::Options two;
    two.voices = 2;
    const auto played = playSong(song, *bank, 12, two);
    const std::uint32_t volume = voiceVolume(127, 100, 127);
    const auto drum = [&](std::uint32_t d, std::uint64_t on) {
        return LoneNote{bank->getDrumTone(d), noteFrequency(static_cast<std::uint8_t>(36 + d)), volume,
                        blockOf(song, on)};
    };
    const auto survivors = renderAlone({drum(1, 20), drum(2, 100)}, 192);
    const auto steal = static_cast<std::size_t>(blockOf(song, 100) * blockFrames * 2);
    const auto silent = steal + VoicePool::drumFadeBlocks * blockFrames * 2;
    ASSERT_LT(silent, played.size());
    EXPECT_NE(played[silent - 2], survivors[silent - 2]) << "the stolen drum still sounds in its last block";
    EXPECT_SAME_SAMPLES(std::vector<std::int16_t>(survivors.begin() + silent, survivors.end()),
                        std::vector<std::int16_t>(played.begin() + silent, played.end()));
}

// Plays a song until it has finished; the frame it ended at.
std::uint64_t finishOf(const midi::Song& song, const ToneBank& bank, double tail, std::vector<std::int16_t>& played)
{
    OfflineDevice rig(16, 44100, 2);
    SongPlayer::Options options;
    options.tailSeconds = tail;
    SongPlayer player(song, bank, options);
    EXPECT_TRUE(player.connect(rig.device, 0));
    for (int buffer = 0; buffer < 100 && !player.finished(); ++buffer) {
        const auto more = rig.refill16(1);
        played.insert(played.end(), more.begin(), more.end());
    }
    EXPECT_TRUE(player.finished());
    return player.finishFrame();
}

// The song lasts to its end tick, then until its voices have ended, at most the tail;
// the voices still sounding then are silenced.
TEST_F(StealingTest, TheSongEndsWhenItsVoicesHaveEndedOrTheTailIsOver)
{
    const WaveRef level = bank->getInstrumentTone(1).wave;
    ToneRecord endless = fullLevelTone(level);
    endless.RR = 0;
    bank->setInstrumentTone(2, endless);
    bank->setInstrumentTone(3, fullLevelTone(level));
    const auto blockStartFrom = [](std::uint64_t frame) {
        return (frame + blockFrames - 1) / blockFrames * blockFrames;
    };

    const midi::Song quick = songOf({message(0, 0xC0, 3), message(0, 0x90, 60, 127), message(100, 0x80, 60, 0)}, 300);
    std::vector<std::int16_t> played;
    EXPECT_EQ(finishOf(quick, *bank, 2.0, played), blockStartFrom(midi::TempoMap(quick).frameAt(300, 44100)));

    const midi::Song held = songOf({message(0, 0xC0, 2), message(0, 0x90, 60, 127), message(100, 0x80, 60, 0)}, 300);
    played.clear();
    const std::uint64_t end = finishOf(held, *bank, 0.25, played);
    EXPECT_EQ(end, blockStartFrom(midi::TempoMap(held).frameAt(300, 44100) + 11025));
    ASSERT_GT(played.size(), 2 * end);
    EXPECT_NE(played[2 * end - 1], 0);
    EXPECT_TRUE(std::all_of(played.begin() + static_cast<std::ptrdiff_t>(2 * end), played.end(),
                            [](std::int16_t v) { return v == 0; }));
}

} // namespace
