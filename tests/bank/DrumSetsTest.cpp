// Adding and removing drum sets on the copies the drum map editor holds.
#include "bank/DrumSets.h"

#include <gtest/gtest.h>

namespace {

// Set s maps note n to 1000 s + n, so that every set and note is told apart.
ToneBank::DrumMaps numberedMaps()
{
    ToneBank::DrumMaps maps{};
    for (std::size_t set = 0; set < ToneBank::drumSetCapacity; ++set)
        for (std::size_t note = 0; note < ToneBank::notesPerDrumMap; ++note)
            maps[set][note] = static_cast<std::int32_t>(1000 * set + note);
    return maps;
}

} // namespace

TEST(DrumSets, RemovingASetMovesTheSetsAboveAndRenumbersThePrograms)
{
    ToneBank::DrumMaps maps = numberedMaps();
    const ToneBank::DrumMaps before = maps;
    ToneBank::DrumSetMap setMap{};
    const std::int32_t entries[] = {0, 1, 3, -1, 200};
    for (std::size_t program = 0; program < setMap.size(); ++program)
        setMap[program] = entries[program % 5];
    std::int32_t count = 4;

    removeDrumSet(maps, setMap, count, 2);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(maps[0], before[0]);
    EXPECT_EQ(maps[1], before[1]);
    for (std::size_t set = 2; set < 127; ++set)
        ASSERT_EQ(maps[set], before[set + 1]) << "set " << set;
    EXPECT_EQ(maps[127], before[127]) << "the last place keeps its old set";
    // Above 2 means, unsigned, -1 as well.
    const std::int32_t renumbered[] = {0, 1, 2, -2, 199};
    for (std::size_t program = 0; program < setMap.size(); ++program)
        ASSERT_EQ(setMap[program], renumbered[program % 5]) << "program " << program;
}

TEST(DrumSets, AnAddedSetCopiesTheLastOneUpTo128Sets)
{
    ToneBank::DrumMaps maps = numberedMaps();
    const ToneBank::DrumMaps before = maps;
    std::int32_t count = 3;
    ASSERT_TRUE(appendDrumSetCopy(maps, count));
    EXPECT_EQ(count, 4);
    EXPECT_EQ(maps[3], before[2]);
    EXPECT_EQ(maps[4], before[4]);

    count = 128;
    EXPECT_FALSE(appendDrumSetCopy(maps, count));
    EXPECT_EQ(count, 128);
    EXPECT_EQ(maps[127], before[127]);
}
