#include "soundfont/SoundFontReader.h"
#include "tests/soundfont/FontWriter.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

using namespace fontwriter;

namespace {

// Two presets over one instrument with a global zone and two key ranges; a stereo pair.
Font layeredFont()
{
    Font font;
    font.withSm24 = true;
    font.samples.push_back({"left", sine(400, 50), 100, 300, 44100, 57, -7, 1, 4});
    font.samples.push_back({"right", sine(400, 50), 100, 300, 44100, 57, -7, 0, 2});
    Instrument instrument{"keys", {}};
    instrument.zones.push_back({{{48, 60}, {38, -1200}}, -1});
    instrument.zones.push_back({{{43, keyRange(0, 59)}, {54, 1}}, 0, 2});
    instrument.zones.push_back({{{43, keyRange(60, 127)}, {51, -3}}, 1});
    font.instruments.push_back(instrument);
    font.presets.push_back({"Grand", 0, 0, {Zone{{{52, 10}}, 0}}});
    font.presets.push_back({"Kit", 0, 128, {Zone{{{43, keyRange(35, 81)}}, 0}}});
    return font;
}

std::string refusalOf(const std::vector<std::uint8_t>& bytes)
{
    static TempDir dir;
    const std::string path = dir.file("f.sf2");
    writeBytes(path, bytes);
    SoundFont font;
    std::string refusal;
    EXPECT_FALSE(readSoundFont(path.c_str(), font, refusal));
    return refusal;
}

} // namespace

TEST(SoundFontReader, ReadsPresetsInstrumentsZonesAndSamples)
{
    TempDir dir;
    layeredFont().write(dir.file("f.sf2"));
    SoundFont font;
    std::string refusal;
    ASSERT_TRUE(readSoundFont(dir.file("f.sf2").c_str(), font, refusal)) << refusal;
    EXPECT_EQ(font.name, "test font");
    EXPECT_EQ(font.versionMajor, 2);
    // 2 x (400 + 46) samples; the 24-bit extension is not sample data.
    EXPECT_EQ(font.sampleCount(), 892u);
    EXPECT_EQ(font.sample(446 + 1), sine(400, 50)[1]);

    ASSERT_EQ(font.samples.size(), 2u);
    const SoundFontSample& left = font.samples[0];
    EXPECT_EQ(left.name, "left");
    EXPECT_EQ(left.start, 0u);
    EXPECT_EQ(left.end, 400u);
    EXPECT_EQ(left.loopStart, 100u);
    EXPECT_EQ(left.loopEnd, 300u);
    EXPECT_EQ(left.sampleRate, 44100u);
    EXPECT_EQ(left.originalPitch, 57);
    EXPECT_EQ(left.pitchCorrection, -7);
    EXPECT_EQ(left.link, 1);
    EXPECT_EQ(font.samples[1].start, 446u);

    ASSERT_EQ(font.instruments.size(), 1u);
    const SoundFontLayer& keys = font.instruments[0];
    EXPECT_TRUE(keys.hasGlobalZone);
    EXPECT_EQ(keys.globalZone.generators.amount[48], 60);
    EXPECT_EQ(keys.globalZone.generators.amount[38], -1200);
    ASSERT_EQ(keys.zones.size(), 2u);
    EXPECT_EQ(keys.zones[0].target, 0u);
    EXPECT_EQ(keys.zones[0].modulatorCount, 2u);
    EXPECT_EQ(ByteRange::of(keys.zones[0].generators.amount[43]).high, 59);
    EXPECT_EQ(keys.zones[1].target, 1u);
    EXPECT_EQ(keys.zones[1].generators.amount[51], -3);
    EXPECT_FALSE(keys.zones[1].generators.has(54));

    ASSERT_EQ(font.presets.size(), 2u);
    EXPECT_EQ(font.presets[0].name, "Grand");
    EXPECT_EQ(font.presets[1].bank, 128);
    EXPECT_FALSE(font.presets[0].hasGlobalZone);
    EXPECT_EQ(font.presets[0].zones[0].generators.amount[52], 10);
}

TEST(SoundFontReader, RefusesWhatItCannotReadNamingTheCause)
{
    Font three = layeredFont();
    three.major = 3;
    EXPECT_NE(refusalOf(three.bytes()).find("SoundFont 3"), std::string::npos);
    Font compressed = layeredFont();
    compressed.samples[1].type = 0x11;
    EXPECT_NE(refusalOf(compressed.bytes()).find("SoundFont 3"), std::string::npos);

    Font badInstrument = layeredFont();
    badInstrument.presets[0].zones[0].target = 5;
    EXPECT_EQ(refusalOf(badInstrument.bytes()), "\"Grand\" names instrument 5, but the font has 1");
    Font badSample = layeredFont();
    badSample.instruments[0].zones[1].target = 2;
    EXPECT_EQ(refusalOf(badSample.bytes()), "\"keys\" names sample 2, but the font has 2");

    std::vector<std::uint8_t> wave = layeredFont().bytes();
    std::copy_n("WAVE", 4, wave.begin() + 8);
    EXPECT_NE(refusalOf(wave).find("not a SoundFont"), std::string::npos);
    EXPECT_NE(refusalOf({}).find("not a SoundFont"), std::string::npos);

    TempDir dir;
    SoundFont font;
    std::string refusal;
    EXPECT_FALSE(readSoundFont(dir.file("missing.sf2").c_str(), font, refusal));
    EXPECT_NE(refusal.find("cannot be opened"), std::string::npos);
}

// Every truncation of a font is refused with a cause, never read past its end.
TEST(SoundFontReader, RefusesEveryTruncation)
{
    const std::vector<std::uint8_t> whole = layeredFont().bytes();
    for (std::size_t size = 0; size < whole.size(); size += (size < 100 || size > whole.size() - 300) ? 1 : 37) {
        const std::string refusal = refusalOf({whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size)});
        EXPECT_FALSE(refusal.empty()) << size;
    }
}

// Bag and generator indexes that run backwards or past their lists.
TEST(SoundFontReader, RefusesIndexesOutOfOrder)
{
    std::vector<std::uint8_t> bytes = layeredFont().bytes();
    const auto at = [&](const char* id) {
        return static_cast<std::size_t>(std::search(bytes.begin(), bytes.end(), id, id + 4) - bytes.begin()) + 8;
    };
    // The second preset's first bag, set beyond the bag list.
    bytes[at("phdr") + 38 + 24] = 0x40;
    EXPECT_NE(refusalOf(bytes).find("\"phdr\" chunk has bag indexes out of order"), std::string::npos);
    bytes = layeredFont().bytes();
    // The first instrument bag's first generator, set beyond the second's.
    bytes[at("ibag")] = 0x30;
    EXPECT_NE(refusalOf(bytes).find("\"ibag\" chunk has generator indexes"), std::string::npos);
    bytes = layeredFont().bytes();
    bytes[at("shdr") - 4] = 45; // a sample header list of 45 bytes
    EXPECT_FALSE(refusalOf(bytes).empty());
}
