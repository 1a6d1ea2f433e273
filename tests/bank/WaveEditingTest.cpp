#include "bank/ToneBank.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

namespace {

using Samples = std::vector<std::int8_t>;

// A bank whose wave 0 holds `samples`, played by program 0 with the given cycle size
// and loop return; wave 1 is a bystander played by program 1.
std::unique_ptr<ToneBank> bankWithWave(const Samples& samples, std::int32_t cycleSize = 0, std::int32_t loopReturn = 0)
{
    auto bank = std::make_unique<ToneBank>();
    auto block = std::make_shared<WaveBlock>(samples.size());
    block->samples = samples;
    bank->appendWave(block);
    bank->appendWave(std::make_shared<WaveBlock>(6));
    ToneRecord tone;
    tone.wave = block;
    tone.sampleCount = static_cast<std::int32_t>(samples.size());
    tone.cycleSize = cycleSize;
    tone.loopReturn = loopReturn;
    bank->setInstrumentTone(0, tone);
    tone.wave = bank->waveData(1);
    tone.sampleCount = 6;
    bank->setInstrumentTone(1, tone);
    return bank;
}

Samples counting(std::size_t count)
{
    Samples samples(count);
    for (std::size_t i = 0; i < count; ++i)
        samples[i] = static_cast<std::int8_t>(i % 251);
    return samples;
}

const Samples& wave0(const ToneBank& bank)
{
    return bank.waveData(0)->samples;
}

TEST(WaveEditing, DeleteRemovesTheRangeInEitherOrder)
{
    for (auto [a, b] : {std::pair{2u, 5u}, std::pair{5u, 2u}}) {
        const auto bank = bankWithWave(counting(10), 9, 8);
        ASSERT_TRUE(bank->deleteWaveRange(0, a, b));
        EXPECT_EQ(wave0(*bank), (Samples{0, 1, 5, 6, 7, 8, 9}));
        const ToneRecord tone = bank->getInstrumentTone(0);
        EXPECT_EQ(tone.wave, bank->waveData(0));
        EXPECT_EQ(tone.sampleCount, 7);
        EXPECT_EQ(tone.cycleSize, 7);
        EXPECT_EQ(tone.loopReturn, 8) << "the loop return is left alone";
        EXPECT_EQ(bank->getInstrumentTone(1).sampleCount, 6);
    }
}

TEST(WaveEditing, DeleteRefusesToLeaveFewerThanFourSamples)
{
    const auto bank = bankWithWave(counting(10));
    const WaveRef before = bank->waveData(0);
    EXPECT_FALSE(bank->deleteWaveRange(0, 3, 100)) << "b is lowered to 10, leaving 3 samples";
    EXPECT_TRUE(bank->deleteWaveRange(0, 4, 4));
    EXPECT_TRUE(bank->deleteWaveRange(0, 50, 20)) << "both ends lowered to 10: empty";
    EXPECT_FALSE(bank->deleteWaveRange(2, 0, 1));
    EXPECT_EQ(bank->waveData(0), before);
    EXPECT_EQ(wave0(*bank), counting(10));
    EXPECT_TRUE(bank->deleteWaveRange(0, 4, 10));
    EXPECT_EQ(wave0(*bank), counting(4));
}

TEST(WaveEditing, NormalizeScalesTheRangeToThePeak)
{
    auto bank = bankWithWave({5, -64, 32, 0, -21, 5});
    bank->normalizeRange(0, 1, 5, 127);
    // 127 x 32 / 64 = 63.5 and 127 x -21 / 64 = -41.7, both truncated toward zero.
    EXPECT_EQ(wave0(*bank), (Samples{5, -127, 63, 0, -41, 5}));

    bank = bankWithWave({-128, 64});
    bank->normalizeRange(0, 2, 0, 127);
    EXPECT_EQ(wave0(*bank), (Samples{-127, 63}));

    bank = bankWithWave({10, -20, 3});
    bank->normalizeRange(0, 0, 3, -40);
    EXPECT_EQ(wave0(*bank), (Samples{-20, 40, -6}));

    bank = bankWithWave({0, 0, 7});
    bank->normalizeRange(0, 0, 2, 127);
    bank->normalizeRange(0, 1, 1, 127);
    bank->normalizeRange(5, 0, 3, 127);
    EXPECT_EQ(wave0(*bank), (Samples{0, 0, 7}));
}

TEST(WaveEditing, NormalizeNeverOverflows)
{
    // -128 x 2147483647 wraps around in 32 bits; in 64 it stays negative and clamps.
    const auto bank = bankWithWave({-128, 1, 64});
    bank->normalizeRange(0, 0, 3, std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(wave0(*bank), (Samples{-128, 127, 127}));
    bank->normalizeRange(0, 0, 3, std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(wave0(*bank), (Samples{127, -128, -128}));
}

TEST(WaveEditing, SmoothUsesTheSamplesItHasAlreadySmoothed)
{
    Samples pulse(16, 0);
    pulse[8] = 100;
    auto bank = bankWithWave(pulse);
    bank->smoothRange(0, 0, 16);
    EXPECT_EQ(wave0(*bank), (Samples{0, 0, 0, 0, 0, 4, 9, 20, 41, 9, 6, 3, 1, 0, 0, 0}));

    // Quotients are truncated toward zero, so a negative pulse mirrors the positive one.
    pulse[8] = -100;
    bank = bankWithWave(pulse);
    bank->smoothRange(0, 0, 16);
    EXPECT_EQ(wave0(*bank), (Samples{0, 0, 0, 0, 0, -4, -9, -20, -41, -9, -6, -3, -1, 0, 0, 0}));
}

TEST(WaveEditing, SmoothTreatsTheWaveAsCircular)
{
    Samples samples(16, 0);
    samples[15] = 100;
    auto bank = bankWithWave(samples);
    bank->smoothRange(0, 3, 0);
    // 4 x 100 / 22 = 18; (2 x 100 + 4 x 18) / 22 = 12; (100 + 2 x 18 + 4 x 12) / 22 = 8.
    samples[0] = 18;
    samples[1] = 12;
    samples[2] = 8;
    EXPECT_EQ(wave0(*bank), samples);

    // Shorter than the filter: the neighbours wrap more than once.
    bank = bankWithWave({22, 0});
    bank->smoothRange(0, 0, 2);
    EXPECT_EQ(wave0(*bank), (Samples{12, 5}));
}

// A length change as the callers see it: true when the wave has the new length.
bool resize(ToneBank& bank, std::uint32_t i, std::uint32_t length)
{
    const auto result = bank.changeWaveLength(i, length, ToneBank::LengthChange::resize);
    return result == ToneBank::LengthResult::changed || result == ToneBank::LengthResult::sameLength;
}

bool stretch(ToneBank& bank, std::uint32_t i, std::uint32_t length,
             ToneBank::ToneRescaling rescaling = ToneBank::ToneRescaling::none)
{
    const auto result = bank.changeWaveLength(i, length, ToneBank::LengthChange::stretch, rescaling);
    return result == ToneBank::LengthResult::changed || result == ToneBank::LengthResult::sameLength;
}

TEST(WaveEditing, ResizeCutsOrPadsAtTheEnd)
{
    auto bank = bankWithWave(counting(8), 8, 3);
    ASSERT_TRUE(resize(*bank, 0, 12));
    EXPECT_EQ(wave0(*bank), (Samples{0, 1, 2, 3, 4, 5, 6, 7, 0, 0, 0, 0}));
    EXPECT_EQ(bank->getInstrumentTone(0).sampleCount, 12);
    EXPECT_EQ(bank->getInstrumentTone(0).cycleSize, 8);

    ASSERT_TRUE(resize(*bank, 0, 5));
    EXPECT_EQ(wave0(*bank), counting(5));
    EXPECT_EQ(bank->getInstrumentTone(0).cycleSize, 5);
    EXPECT_EQ(bank->getInstrumentTone(0).loopReturn, 3);

    const WaveRef before = bank->waveData(0);
    EXPECT_FALSE(resize(*bank, 0, 3));
    EXPECT_TRUE(resize(*bank, 0, 5));
    EXPECT_FALSE(resize(*bank, 2, 10));
    EXPECT_EQ(bank->waveData(0), before);
}

TEST(WaveEditing, StretchRepeatsOrDropsSamples)
{
    auto bank = bankWithWave({10, 11, 12, 13});
    ASSERT_TRUE(stretch(*bank, 0, 8));
    // floor(3 x i / 8) for i = 0..7: 0 0 0 1 1 1 2 2.
    EXPECT_EQ(wave0(*bank), (Samples{10, 10, 10, 11, 11, 11, 12, 12}));
    EXPECT_EQ(bank->getInstrumentTone(0).sampleCount, 8);

    bank = bankWithWave({10, 11, 12, 13, 14, 15, 16, 17});
    ASSERT_TRUE(stretch(*bank, 0, 4));
    // floor(7 x i / 4): 0 1 3 5.
    EXPECT_EQ(wave0(*bank), (Samples{10, 11, 13, 15}));

    const WaveRef before = bank->waveData(0);
    EXPECT_FALSE(stretch(*bank, 0, 3));
    EXPECT_TRUE(stretch(*bank, 0, 4));
    EXPECT_FALSE(stretch(*bank, 2, 10));
    EXPECT_EQ(bank->waveData(0), before);
}

TEST(WaveEditing, StretchIndexesLongWavesWithoutOverflow)
{
    // 69999 x 70000 is above 2^32: sample 70000 comes from floor(69999 x 70000 / 70001) = 69998.
    const auto bank = bankWithWave(counting(70000));
    ASSERT_TRUE(stretch(*bank, 0, 70001));
    EXPECT_EQ(wave0(*bank)[70000], static_cast<std::int8_t>(69998 % 251));
    EXPECT_EQ(wave0(*bank)[1], 0);
    EXPECT_EQ(wave0(*bank)[2], 1);
}

TEST(WaveEditing, EveryStretchedSampleComesFromItsScaledIndex)
{
    for (std::uint32_t oldLength : {1u, 2u, 7u, 256u, 1000u, 65537u})
        for (std::uint32_t length : {4u, 5u, 255u, 999u, 1000u, 1001u, 3u * 65537u + 2u}) {
            Samples samples(oldLength);
            for (std::uint32_t i = 0; i < oldLength; ++i)
                samples[i] = static_cast<std::int8_t>(i * 37 % 251);
            const WaveRef stretched = ToneBank::stretchedWave(samples, length);
            ASSERT_EQ(stretched->samples.size(), length);
            for (std::uint64_t j = 0; j < length; ++j)
                ASSERT_EQ(stretched->samples[j], samples[(oldLength - 1) * j / length])
                    << oldLength << " to " << length << ", sample " << j;
        }
}

TEST(WaveEditing, StretchedPositionsScaleWithTheLength)
{
    EXPECT_EQ(ToneBank::stretchedPosition(100, 500, 1000), 200u);
    EXPECT_EQ(ToneBank::stretchedPosition(7, 3, 2), 4u);
    EXPECT_EQ(ToneBank::stretchedPosition(3000000000u, 3, 4), 4000000000u);
    EXPECT_EQ(ToneBank::stretchedPosition(0xFFFFFFFFu, 10, 20), 0xFFFFFFFFu) << "saturates";
}

// Every tone of the stretched wave is carried over, from the values it had before:
// shrinking scales a cycle size first and keeps it within the wave after, and a loop
// return beyond 32 bits saturates.
TEST(WaveEditing, StretchWithTonesRescalesEveryToneOfTheWave)
{
    auto bank = bankWithWave(counting(100), 100, 80);
    ToneRecord drum = bank->getInstrumentTone(0);
    drum.cycleSize = 10;
    drum.loopReturn = -1; // 0xFFFFFFFF
    ASSERT_TRUE(bank->addDrumTone());
    bank->setDrumTone(0, drum);
    const ToneRecord bystander = bank->getInstrumentTone(1);

    ASSERT_TRUE(stretch(*bank, 0, 30, ToneBank::ToneRescaling::everyToneOfTheWave));
    EXPECT_EQ(wave0(*bank), ToneBank::stretchedWave(counting(100), 30)->samples);
    EXPECT_EQ(wave0(*bank)[29], 95) << "floor(99 x 29 / 30)";
    const ToneRecord program = bank->getInstrumentTone(0);
    EXPECT_EQ(program.wave, bank->waveData(0));
    EXPECT_EQ(program.sampleCount, 30);
    EXPECT_EQ(program.cycleSize, 30);
    EXPECT_EQ(program.loopReturn, 24);
    EXPECT_EQ(bank->getDrumTone(0).wave, bank->waveData(0));
    EXPECT_EQ(bank->getDrumTone(0).cycleSize, 3);
    EXPECT_EQ(bank->getDrumTone(0).loopReturn, 1288490188) << "floor(0xFFFFFFFF x 30 / 100)";
    EXPECT_EQ(bank->getInstrumentTone(1), bystander);

    ASSERT_TRUE(stretch(*bank, 0, 120, ToneBank::ToneRescaling::everyToneOfTheWave));
    EXPECT_EQ(bank->getInstrumentTone(0).cycleSize, 120);
    EXPECT_EQ(bank->getInstrumentTone(0).loopReturn, 96);
    EXPECT_EQ(bank->getDrumTone(0).loopReturn, -1) << "1288490188 x 4 saturates at 0xFFFFFFFF";

    const WaveRef before = bank->waveData(0);
    EXPECT_FALSE(stretch(*bank, 0, 3, ToneBank::ToneRescaling::everyToneOfTheWave));
    EXPECT_FALSE(stretch(*bank, 2, 10, ToneBank::ToneRescaling::everyToneOfTheWave));
    EXPECT_TRUE(stretch(*bank, 0, 120, ToneBank::ToneRescaling::everyToneOfTheWave));
    EXPECT_EQ(bank->waveData(0), before);
}

} // namespace
