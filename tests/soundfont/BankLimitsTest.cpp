#include "tests/soundfont/ImportedFont.h"

using namespace fontwriter;

// 128 kits of 128 keys, every key its own drum tone, into a bank that already has one:
// one drum tone more than a bank holds. The last key is left out, and says so.
TEST(SoundFontImportLimits, AFontWithMoreDrumTonesThanTheBankHoldsIsCut)
{
    Font font;
    for (std::uint16_t kit = 0; kit < 128; ++kit) {
        font.samples.push_back({"s" + std::to_string(kit), sine(8, 4), 0, 0, 22050, 60});
        Instrument instrument{"kit" + std::to_string(kit), {}};
        for (int key = 0; key < 128; ++key)
            instrument.zones.push_back({{{43, keyRange(key, key)}}, kit});
        font.instruments.push_back(instrument);
        font.presets.push_back({"kit", kit, 128, {Zone{{}, kit}}});
    }
    ToneBank bank;
    bank.appendWave(std::make_shared<WaveBlock>(4));
    ASSERT_TRUE(bank.addDrumTone());
    SoundFontImportOptions into;
    into.newBank = false;
    const SoundFontImportReport report = importSoundFont(readBack(font), bank, into);
    expectConsistent(bank);
    EXPECT_EQ(bank.drumSetCount(), 128u);
    EXPECT_EQ(bank.drumToneCount(), ToneBank::drumToneCapacity);
    std::vector<std::string> leftOut;
    for (const ImportedDrumSet& set : report.drumSets)
        for (const ImportedTone& key : set.keys)
            if (key.drumTone < 0)
                leftOut.push_back(std::to_string(set.drumSet) + " " + std::to_string(key.key) + ": " +
                                  key.notes.back());
    ASSERT_EQ(leftOut.size(), 1u);
    EXPECT_EQ(leftOut[0], "127 127: left out: the bank's drum tones are all in use");
    // The key left out keeps what the set it was copied from, the standard kit's, has.
    EXPECT_EQ(bank.drumMaps()[127][127], bank.drumMaps()[0][127]);
    for (std::uint32_t p = 0; p < 128; ++p)
        EXPECT_EQ(bank.drumSetMap()[p], static_cast<std::int32_t>(p));
}

// Into a bank two waves short of full: two programs come in, the others are left out.
TEST(SoundFontImportLimits, AFullWaveTableLeavesProgramsOut)
{
    Font font;
    for (std::uint16_t p = 0; p < 4; ++p) {
        font.samples.push_back({"s" + std::to_string(p), sine(200, 64), 0, 0, 28160, 69});
        font.instruments.push_back({"i", {Zone{{}, p}}});
        font.presets.push_back({"p" + std::to_string(p), p, 0, {Zone{{}, p}}});
    }
    ToneBank bank;
    for (std::uint32_t w = 0; w + 2 < ToneBank::waveCapacity; ++w)
        bank.appendWave(std::make_shared<WaveBlock>(4));
    SoundFontImportOptions into;
    into.newBank = false;
    const SoundFontImportReport report = importSoundFont(readBack(font), bank, into);
    EXPECT_EQ(bank.waveCount(), ToneBank::waveCapacity);
    ASSERT_EQ(report.programs.size(), 4u);
    EXPECT_TRUE(report.programs[1].imported);
    EXPECT_FALSE(report.programs[2].imported);
    EXPECT_EQ(report.programs[2].tone.notes.back(), "left out: the bank's wave table is full");
    EXPECT_EQ(bank.findWave(bank.getInstrumentTone(1).wave), static_cast<std::int32_t>(ToneBank::waveCapacity - 1));
    EXPECT_EQ(bank.findWave(bank.getInstrumentTone(2).wave), -1);
}
