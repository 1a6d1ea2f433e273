#include "bank/ToneBank.h"
#include "tests/bank/BankBuilders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

TEST(ToneBank, StartsEmptyWithOneDrumSet)
{
    ToneBank bank;
    EXPECT_EQ(bank.waveCount(), 0u);
    EXPECT_EQ(bank.drumToneCount(), 0u);
    EXPECT_EQ(bank.drumSetCount(), 1u);
    for (std::uint32_t p = 0; p < 128; ++p)
        EXPECT_EQ(bank.getInstrumentTone(p), ToneRecord());
    for (const auto& map : bank.drumMaps())
        EXPECT_TRUE(std::all_of(map.begin(), map.end(), [](std::int32_t e) { return e == 0; }));
    EXPECT_TRUE(std::all_of(bank.drumSetMap().begin(), bank.drumSetMap().end(), [](std::int32_t e) { return e == 0; }));
    EXPECT_FALSE(bank.waveData(0));
    EXPECT_EQ(bank.waveSize(0), 0u);
}

TEST(ToneBank, AddressesTonesAndWavesByIndex)
{
    ToneBank bank;
    for (int w = 0; w < 301; ++w)
        ASSERT_TRUE(bank.appendWave(makeWave(static_cast<std::uint32_t>(w + 1))));
    for (int d = 0; d < 201; ++d)
        ASSERT_TRUE(bank.addDrumTone());
    EXPECT_EQ(bank.waveSize(300), 301u);
    EXPECT_EQ(bank.waveData(300)->samples.size(), 301u);
    bank.setDrumTone(200, makeTone(7, bank.waveData(300)));
    EXPECT_EQ(bank.getDrumTone(200), makeTone(7, bank.waveData(300)));
    EXPECT_EQ(bank.findWave(bank.getDrumTone(200).wave), 300);

    // Out of range: nothing is stored and nothing is read.
    bank.setDrumTone(201, makeTone(9));
    EXPECT_EQ(bank.getDrumTone(201), ToneRecord());
    EXPECT_FALSE(bank.waveData(301));
    // Programs are taken modulo 128.
    bank.setInstrumentTone(130, makeTone(3));
    EXPECT_EQ(bank.getInstrumentTone(2), makeTone(3));
}

TEST(ToneBank, AddDrumToneCopiesToneZeroAndKnowsItsLimits)
{
    ToneBank bank;
    EXPECT_FALSE(bank.addDrumTone()) << "a bank without waves gets no drum tones";
    bank.appendWave(makeWave(8));
    ASSERT_TRUE(bank.addDrumTone());
    bank.setDrumTone(0, makeTone(42, bank.waveData(0)));
    ASSERT_TRUE(bank.addDrumTone());
    EXPECT_EQ(bank.getDrumTone(1), makeTone(42, bank.waveData(0)));
    while (bank.drumToneCount() < ToneBank::drumToneCapacity)
        ASSERT_TRUE(bank.addDrumTone());
    EXPECT_FALSE(bank.addDrumTone());
    EXPECT_EQ(bank.drumToneCount(), 16384u);
}

TEST(ToneBank, RemovingTheLastWaveMovesItsTonesDownOrLeavesThemVoid)
{
    ToneBank bank;
    EXPECT_FALSE(bank.removeLastWave());
    for (int w = 0; w < 4; ++w)
        bank.appendWave(makeWave(10));
    bank.setInstrumentTone(0, makeTone(1, bank.waveData(3)));
    bank.setInstrumentTone(1, makeTone(2, bank.waveData(1)));
    ASSERT_TRUE(bank.removeLastWave());
    EXPECT_EQ(bank.waveCount(), 3u);
    EXPECT_EQ(bank.findWave(bank.getInstrumentTone(0).wave), 2);
    EXPECT_EQ(bank.findWave(bank.getInstrumentTone(1).wave), 1);

    bank.clear();
    EXPECT_EQ(bank.waveCount(), 0u);
    EXPECT_EQ(bank.findWave(bank.getInstrumentTone(0).wave), -1);
    EXPECT_EQ(bank.findWave(bank.getInstrumentTone(1).wave), -1);
    EXPECT_EQ(bank.getInstrumentTone(0).AR, makeTone(1).AR) << "clear leaves the records";

    // A void reference stays void: a block allocated later never matches it.
    const WaveRef kept = makeWave(4);
    bank.appendWave(kept);
    ToneRecord tone = makeTone(5, kept);
    bank.setInstrumentTone(9, tone);
    bank.removeLastWave();
    bank.appendWave(makeWave(4));
    EXPECT_EQ(bank.findWave(tone.wave), -1);
    EXPECT_FALSE(bank.resolveWave(tone.wave)) << "a void reference must not be followed";
    EXPECT_EQ(bank.resolveWave(bank.waveData(0)), bank.waveData(0));
}

TEST(ToneBank, RedirectWaveChangesOnlyTheReference)
{
    ToneBank bank;
    bank.appendWave(makeWave(10));
    bank.appendWave(makeWave(20));
    bank.addDrumTone();
    bank.setDrumTone(0, makeTone(8, bank.waveData(1)));
    bank.setInstrumentTone(4, makeTone(4, bank.waveData(1)));
    EXPECT_FALSE(bank.redirectWave(0, 2));
    EXPECT_FALSE(bank.redirectWave(2, 0));
    ASSERT_TRUE(bank.redirectWave(0, 1));
    EXPECT_EQ(bank.getDrumTone(0), makeTone(8, bank.waveData(0)));
    EXPECT_EQ(bank.getInstrumentTone(4), makeTone(4, bank.waveData(0)));
    EXPECT_FALSE(bank.isWaveUsed(1));
    EXPECT_TRUE(bank.isWaveUsed(0));
    EXPECT_FALSE(bank.isWaveUsed(2));
}

TEST(ToneBank, ReplaceWaveDataMovesEveryToneOfTheOldBlock)
{
    ToneBank bank;
    bank.appendWave(makeWave(100));
    bank.appendWave(makeWave(50));
    ToneRecord tone = makeTone(1, bank.waveData(0));
    tone.cycleSize = 80;
    tone.sampleCount = 100;
    tone.loopReturn = 90;
    bank.setInstrumentTone(0, tone);
    tone.cycleSize = 20;
    bank.setInstrumentTone(1, tone);
    bank.addDrumTone();
    bank.setDrumTone(0, tone);
    const ToneRecord other = makeTone(2, bank.waveData(1));
    bank.setInstrumentTone(2, other);

    const WaveRef shorter = makeWave(30);
    bank.replaceWaveData(0, shorter);
    EXPECT_EQ(bank.waveData(0), shorter);
    EXPECT_EQ(bank.waveSize(0), 30u);
    for (const ToneRecord& t : {bank.getInstrumentTone(0), bank.getInstrumentTone(1), bank.getDrumTone(0)}) {
        EXPECT_EQ(t.wave, shorter);
        EXPECT_EQ(t.sampleCount, 30);
        EXPECT_EQ(t.loopReturn, 90) << "the loop return is left beyond the end";
    }
    EXPECT_EQ(bank.getInstrumentTone(0).cycleSize, 30);
    EXPECT_EQ(bank.getInstrumentTone(1).cycleSize, 20);
    EXPECT_EQ(bank.getInstrumentTone(2), other);

    bank.replaceWaveData(2, makeWave(5));
    EXPECT_EQ(bank.waveCount(), 2u) << "an index beyond the table changes nothing";
}

TEST(ToneBank, RemoveUnusedWavesKeepsTheUsedOnesInOrder)
{
    ToneBank bank;
    for (int w = 0; w < 4; ++w)
        bank.appendWave(makeWave(10 + static_cast<std::uint32_t>(w)));
    const WaveRef one = bank.waveData(1), three = bank.waveData(3);
    for (std::uint32_t p = 0; p < 128; ++p)
        bank.setInstrumentTone(p, makeTone(1, p % 2 ? one : three));
    EXPECT_EQ(bank.removeUnusedWaves(), 2u);
    EXPECT_EQ(bank.waveData(0), one);
    EXPECT_EQ(bank.waveData(1), three);
    EXPECT_FALSE(bank.waveData(2));
    EXPECT_EQ(bank.getInstrumentTone(5).wave, one);
    EXPECT_EQ(bank.removeUnusedWaves(), 2u) << "all used: nothing changes";
}

TEST(ToneBank, RemoveUnusedDrumTonesRenumbersTheMaps)
{
    ToneBank bank;
    bank.appendWave(makeWave(10));
    for (int d = 0; d < 3; ++d)
        bank.addDrumTone();
    for (std::int32_t d = 0; d < 3; ++d)
        bank.setDrumTone(static_cast<std::uint32_t>(d), makeTone(d));
    bank.drumMaps()[0].fill(2);
    bank.drumMaps()[1][61] = 1; // a map that is not in use does not count
    bank.removeUnusedDrumTones();
    EXPECT_EQ(bank.drumToneCount(), 1u);
    EXPECT_EQ(bank.getDrumTone(0), makeTone(2));
    EXPECT_EQ(bank.drumMaps()[0][60], 0);
    EXPECT_EQ(bank.drumMaps()[1][61], 1) << "maps beyond the drum-set count are not renumbered";
}

// The one-at-a-time removals the bank's documents describe, kept here as the reference
// the linear implementation must agree with in every detail.
namespace reference {

struct Bank {
    std::vector<ToneRecord> drums;
    std::uint32_t drumCount;
    std::vector<std::array<std::int32_t, 128>> maps;
    std::uint32_t setCount;
};

bool isDrumToneUsed(const Bank& b, std::uint32_t k)
{
    if (k >= b.drumCount)
        return false;
    for (std::uint32_t s = 0; s < b.setCount; ++s)
        for (std::int32_t e : b.maps[s])
            if (e == static_cast<std::int32_t>(k))
                return true;
    return false;
}

void removeUnusedDrumTones(Bank& b)
{
    const std::uint32_t n = b.drumCount;
    std::uint32_t k = 0;
    for (std::uint32_t step = 0; step < n; ++step) {
        if (isDrumToneUsed(b, k)) {
            ++k;
            continue;
        }
        for (std::uint32_t i = k + 1; i < b.drumCount; ++i)
            b.drums[i - 1] = b.drums[i];
        for (std::uint32_t s = 0; s < b.setCount; ++s)
            for (std::int32_t& e : b.maps[s])
                if (e > static_cast<std::int32_t>(k))
                    --e;
        --b.drumCount;
    }
}

} // namespace reference

TEST(ToneBank, RemoveUnusedDrumTonesAgreesWithOneAtATimeRemoval)
{
    std::mt19937 random(1234);
    for (int round = 0; round < 200; ++round) {
        ToneBank bank;
        bank.appendWave(makeWave(4));
        const std::uint32_t count = random() % 40;
        for (std::uint32_t d = 0; d < count; ++d) {
            bank.addDrumTone();
            bank.setDrumTone(d, makeTone(static_cast<std::int32_t>(d)));
        }
        const std::uint32_t sets = 1 + random() % 4;
        bank.setDrumSetCount(sets);
        for (std::uint32_t s = 0; s < 6; ++s)
            for (auto& e : bank.drumMaps()[s]) {
                // Mostly tones in range, some out of range both ways.
                const std::uint32_t pick = random() % 10;
                e = pick == 0   ? -static_cast<std::int32_t>(random() % 3)
                    : pick == 1 ? static_cast<std::int32_t>(count + random() % 5)
                                : static_cast<std::int32_t>(random() % (count ? count * 3 : 1));
            }

        reference::Bank expected{std::vector<ToneRecord>(count + 1), count, {}, sets};
        for (std::uint32_t d = 0; d < count; ++d)
            expected.drums[d] = bank.getDrumTone(d);
        for (std::uint32_t s = 0; s < 6; ++s)
            expected.maps.push_back(bank.drumMaps()[s]);
        reference::removeUnusedDrumTones(expected);

        bank.removeUnusedDrumTones();
        ASSERT_EQ(bank.drumToneCount(), expected.drumCount) << "round " << round;
        for (std::uint32_t s = 0; s < 6; ++s)
            ASSERT_EQ(bank.drumMaps()[s], expected.maps[s]) << "round " << round << " set " << s;
        for (std::uint32_t d = 0; d < expected.drumCount; ++d)
            ASSERT_EQ(bank.getDrumTone(d), expected.drums[d]) << "round " << round << " tone " << d;
    }
}

TEST(ToneBank, ADrumToneAddedToNoneCopiesWhatSlotZeroLastHeld)
{
    ToneBank bank;
    bank.appendWave(makeWave(4));
    for (std::int32_t d = 0; d < 3; ++d) {
        bank.addDrumTone();
        bank.setDrumTone(static_cast<std::uint32_t>(d), makeTone(d));
    }
    bank.drumMaps()[0].fill(-1);
    bank.removeUnusedDrumTones();
    EXPECT_EQ(bank.drumToneCount(), 0u);
    ASSERT_TRUE(bank.addDrumTone());
    EXPECT_EQ(bank.getDrumTone(0), makeTone(2)) << "removing one at a time leaves the last tone in slot 0";
}
