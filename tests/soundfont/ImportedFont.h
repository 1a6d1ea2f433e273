#pragma once

#include "soundfont/SoundFontImport.h"
#include "soundfont/SoundFontReader.h"
#include "tests/soundfont/FontWriter.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

// A font written by a test, read back as the import reads it.
inline SoundFont readBack(const fontwriter::Font& written)
{
    TempDir dir;
    written.write(dir.file("f.sf2"));
    SoundFont font;
    std::string refusal;
    EXPECT_TRUE(readSoundFont(dir.file("f.sf2").c_str(), font, refusal)) << refusal;
    return font;
}

// The bank's invariants, which an import must keep whatever the font holds: drum-map
// entries name drum tones or are left empty (while there are drum tones), and a tone
// with a wave stays within it.
inline void expectConsistent(const ToneBank& bank)
{
    for (std::uint32_t s = 0; s < bank.drumSetCount() && bank.drumToneCount() > 0; ++s)
        for (std::uint32_t n = 0; n < 128; ++n) {
            const std::int32_t entry = bank.drumMaps()[s][n];
            if (entry != ToneBank::noDrumTone) {
                ASSERT_LT(static_cast<std::uint32_t>(entry), bank.drumToneCount()) << s << " " << n;
            }
        }
    for (const std::int32_t set : bank.drumSetMap())
        ASSERT_LT(static_cast<std::uint32_t>(set), bank.drumSetCount());
    auto tone = [&](const ToneRecord& t) {
        ASSERT_LE(static_cast<std::uint32_t>(t.cycleSize), static_cast<std::uint32_t>(t.sampleCount));
        const std::int32_t wave = bank.findWave(t.wave);
        if (wave >= 0) {
            ASSERT_LE(static_cast<std::uint32_t>(t.sampleCount), bank.waveSize(static_cast<std::uint32_t>(wave)));
        }
        if (t.drumAlgorithm == 0 && t.sampleCount > 0) {
            ASSERT_LE(static_cast<std::uint32_t>(t.loopReturn), static_cast<std::uint32_t>(t.sampleCount));
        }
    };
    for (std::uint32_t p = 0; p < 128; ++p)
        tone(bank.getInstrumentTone(p));
    for (std::uint32_t d = 0; d < bank.drumToneCount(); ++d)
        tone(bank.getDrumTone(d));
}
