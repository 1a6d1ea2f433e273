#include "synth/NoteTable.h"
#include "synth/OutputFormats.h"
#include "synth/SamplePosition.h"
#include "synth/VibratoTable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(NoteTable, HoldsTheEqualTemperedFrequenciesTimes128)
{
    EXPECT_EQ(noteFrequencyTable[0], 1046u);   // 8.176 Hz
    EXPECT_EQ(noteFrequencyTable[57], 28160u); // 220 Hz
    EXPECT_EQ(noteFrequencyTable[69], 56320u); // 440 Hz
    EXPECT_EQ(noteFrequencyTable[127], 1605613u);
    for (std::uint32_t n = 128; n < noteTableSize; ++n)
        EXPECT_EQ(noteFrequencyTable[n], 1605613u) << "entry " << n;

    for (int n = 0; n < 128; ++n) {
        const long double exact = 440.0L * std::pow(2.0L, (n - 69) / 12.0L) * 128.0L;
        EXPECT_EQ(noteFrequencyTable[static_cast<std::size_t>(n)], static_cast<std::uint32_t>(std::floor(exact)))
            << "note " << n;
    }
    EXPECT_EQ(noteFrequency(69), 56320u);
    EXPECT_EQ(noteFrequency(131), 1605613u);
    EXPECT_EQ(noteFrequency(100000), 1605613u) << "an index past the table gives its last entry";
}

TEST(VibratoTable, IsAnInvertedCosineOfAmplitude127)
{
    EXPECT_EQ(vibratoTable[0], -127);
    EXPECT_EQ(vibratoTable[64], -1);
    EXPECT_EQ(vibratoTable[128], 127);
    EXPECT_EQ(vibratoTable[192], 0);
    EXPECT_EQ(vibratoTable[255], -127);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(vibratoTable[static_cast<std::size_t>(i)],
                  static_cast<std::int32_t>(std::floor(-127.0 * std::cos(2.0 * 3.14159265358979323846 * i / 256))))
            << "entry " << i;
}

TEST(SamplePosition, DrumSpeedsBecomeStepsOf65536thsOfASample)
{
    EXPECT_EQ(drumStep(65536), makePosition(1, 0));
    EXPECT_EQ(drumStep(32768), makePosition(0, 0x80000000u));
    // A negative speed walks backwards: one step back from 0 wraps far past any end.
    EXPECT_EQ(whole(SamplePosition{0} + drumStep(-65536)), 0xFFFFFFFFu);
    EXPECT_EQ(whole(makePosition(5, 0) + drumStep(-65536)), 4u);
}

TEST(InstrumentStep, PlaysFrequencyOver128CyclesPerSecond)
{
    // Lowest note, 256-sample cycle, 44100 Hz: well below one sample per output sample.
    const SamplePosition lowest = instrumentStep(256, 1046, 44100);
    EXPECT_EQ(whole(lowest), 0u);
    EXPECT_EQ(fraction(lowest), 203743119u); // floor(256 x 1046 x 2^25 / 44100)
    // 440 Hz over a 256-sample cycle: 256 x 440 / 44100 = 2.5542 samples per sample.
    EXPECT_EQ(instrumentStep(256, 56320, 44100), 10970184041u);
    // 256 x 22050 x 2^25 / 44100 is exactly one sample per output sample.
    EXPECT_EQ(instrumentStep(256, 22050, 44100), makePosition(1, 0));
}

TEST(InstrumentStep, DoesNotOverflowWhereA64BitProductWould)
{
    // 2^20 x 1605613 x 2^25 needs 66 bits; the quotient fits.
    EXPECT_EQ(instrumentStep(1u << 20, 1605613, 44100), 1281008735207841u);
    // A quotient beyond the 32.32 range saturates instead of wrapping to a small step.
    EXPECT_EQ(instrumentStep(0xFFFFFFFFu, 1605613, 11025), std::numeric_limits<SamplePosition>::max());
}

TEST(PanSplit, GivesTheOddUnitToTheLeftAtCentre)
{
    std::int32_t frame[2] = {0, 0};
    mixPanned(frame, 0, 3, 64);
    EXPECT_EQ(frame[0], 2);
    EXPECT_EQ(frame[1], 1);
    frame[0] = frame[1] = 0;
    mixPanned(frame, 0, -3, 64);
    EXPECT_EQ(frame[0], -1);
    EXPECT_EQ(frame[1], -2);
    // Pan 0 gives everything to the right, 127 keeps all but 1/128 on the left.
    frame[0] = frame[1] = 0;
    mixPanned(frame, 0, 1280, 0);
    EXPECT_EQ(frame[0], 0);
    EXPECT_EQ(frame[1], 1280);
    frame[0] = frame[1] = 0;
    mixPanned(frame, 0, 1280, 127);
    EXPECT_EQ(frame[0], 1270);
    EXPECT_EQ(frame[1], 10);
}

TEST(PanSplit, WrapsInsteadOfOverflowing)
{
    // A wild bank can drive a mix value anywhere; the sum wraps as 32-bit arithmetic.
    std::int32_t frame[2] = {std::numeric_limits<std::int32_t>::max(), 0};
    mixPanned(frame, 0, 2, 64);
    EXPECT_EQ(frame[0], std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(frame[1], 1);
}

} // namespace
