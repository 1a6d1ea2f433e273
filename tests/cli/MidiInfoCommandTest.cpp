#include "bank/ToneBank.h"
#include "cli/SongFile.h"
#include "tests/cli/ZbkRun.h"
#include "tests/support/SongBytes.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace songbytes;

namespace {

// Every tone plays wave 0 but program 5 (no wave), program 6 (0 samples) and drum tone 1
// (no wave). Drum set 0 maps note 38 to -1, 40 to drum tone 1 and 42 to a drum tone the
// bank lacks; set 1 maps 36 to -1. Drum program 8 selects set 1, 16 a set that does not exist.
void writeBank(const std::string& path)
{
    ToneBank bank;
    bank.appendWave(std::make_shared<WaveBlock>(100));
    ToneRecord tone;
    tone.wave = bank.waveData(0);
    tone.sampleCount = 40;
    tone.cycleSize = 20;
    for (std::uint32_t p = 0; p < 128; ++p)
        bank.setInstrumentTone(p, tone);
    bank.addDrumTone();
    bank.addDrumTone();
    bank.setDrumTone(0, tone);
    bank.setDrumTone(1, tone);
    tone.sampleCount = 0;
    bank.setInstrumentTone(6, tone);
    bank.setDrumSetCount(2);
    for (auto& map : bank.drumMaps())
        map.fill(0);
    bank.drumMaps()[0][38] = ToneBank::noDrumTone;
    bank.drumMaps()[0][40] = 1;
    bank.drumMaps()[0][42] = 5;
    bank.drumMaps()[1][36] = ToneBank::noDrumTone;
    bank.drumSetMap().fill(0);
    bank.drumSetMap()[8] = 1;
    bank.drumSetMap()[16] = 7;
    ASSERT_TRUE(bank.saveBank(path.c_str()));
    // A void wave reference is stored as an index past the waves.
    auto bytes = readBytes(path);
    const std::size_t waveField = 60, record = 72, drumTones = 8 + 128 * record + 4;
    bytes[8 + 5 * record + waveField] = 7;
    bytes[drumTones + 1 * record + waveField] = 7;
    writeBytes(path, bytes);
}

// Two seconds at a quarter a second: notes on channels 1, 2 and 10, programs changing on
// channels 2 and 10, and a note-on of velocity 0 that counts as no note.
Bytes testSong()
{
    return song(1, 96,
                {track({tempo(0, 1000000), endOfTrack(192)}),
                 track({event(0, {0xC0, 5}), event(0, {0x90, 60, 100}), event(0, {0x91, 60, 100}), event(10, {0xC1, 6}),
                        event(0, {0x91, 62, 100}), event(0, {0x91, 64, 0}), event(0, {0x99, 36, 100}),
                        event(0, {38, 100}), event(0, {40, 100}), event(0, {42, 100}), event(0, {0xC9, 8}),
                        event(0, {0x99, 36, 100}), event(0, {0xC9, 16}), event(0, {0x99, 40, 100}), endOfTrack()})});
}

} // namespace

TEST(MidiInfoCommand, DescribesTheSongAndWhatPlaysNothingInTheBank)
{
    TempDir dir;
    const std::string songPath = dir.file("song.mid"), bankPath = dir.file("bank.zbk");
    writeBytes(songPath, testSong());
    writeBank(bankPath);
    const std::string description = "format:        1\n"
                                    "division:      96 ticks per quarter note\n"
                                    "tracks:        2\n"
                                    "length:        2.000 s (192 ticks)\n"
                                    "channel 1:     1 note\n"
                                    "channel 2:     2 notes\n"
                                    "channel 10:    6 notes (drums)\n"
                                    "programs:      0, 5-6\n"
                                    "drum programs: 0, 8, 16\n"
                                    "drum notes:    36, 38, 40, 42\n";
    ZbkRun run = zbk({"midi-info", songPath});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, description);
    EXPECT_EQ(run.err, "");

    run = zbk({"midi-info", songPath, "--bank", bankPath});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              description + "plays nothing in " + bankPath +
                  ":\n"
                  "  program 5: its tone has no wave\n"
                  "  program 6: its tone has 0 samples\n"
                  "  drum note 38 (drum program 0, drum set 0): its drum map entry is -1\n"
                  "  drum note 40 (drum program 0, drum set 0): drum tone 1 has no wave\n"
                  "  drum note 42 (drum program 0, drum set 0): its drum map names drum tone 5, which the bank does "
                  "not have\n"
                  "  drum note 36 (drum program 8, drum set 1): its drum map entry is -1\n"
                  "  drum note 40 (drum program 16, drum set 0): drum tone 1 has no wave\n");

    run = zbk({"midi-info", "--json", songPath, "--bank", bankPath});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "{\"format\":1,\n\"division\":{\"ticksPerQuarter\":96},\n\"tracks\":2,\n\"endTick\":192,\n"
                       "\"lengthSeconds\":2.000,\n\"notesPerChannel\":[1,2,0,0,0,0,0,0,0,6,0,0,0,0,0,0],\n"
                       "\"programs\":[0,5,6],\n\"drumPrograms\":[0,8,16],\n\"drumNotes\":[36,38,40,42],\n"
                       "\"silent\":[\n{\"program\":5,\"cause\":\"its tone has no wave\"},\n"
                       "{\"program\":6,\"cause\":\"its tone has 0 samples\"},\n"
                       "{\"drumProgram\":0,\"drumSet\":0,\"note\":38,\"cause\":\"its drum map entry is -1\"},\n"
                       "{\"drumProgram\":0,\"drumSet\":0,\"note\":40,\"cause\":\"drum tone 1 has no wave\"},\n"
                       "{\"drumProgram\":0,\"drumSet\":0,\"note\":42,\"cause\":\"its drum map names drum tone 5, "
                       "which the bank does not have\"},\n"
                       "{\"drumProgram\":8,\"drumSet\":1,\"note\":36,\"cause\":\"its drum map entry is -1\"},\n"
                       "{\"drumProgram\":16,\"drumSet\":0,\"note\":40,\"cause\":\"drum tone 1 has no wave\"}]}\n");
}

TEST(MidiInfoCommand, RefusalsNameTheFileAndTheCauseAndWarningsGoToStandardError)
{
    TempDir dir;
    std::filesystem::create_directory(dir.file("folder"));
    const std::string bad = dir.file("bad.mid"), cut = dir.file("cut.mid"), huge = dir.file("huge.mid");
    writeBytes(bad, song(1, 96, {track({Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x90, 60, 1}})}));
    const Bytes whole = testSong();
    writeBytes(cut, Bytes(whole.begin(), whole.end() - 6));
    writeBytes(huge, whole);
    std::filesystem::resize_file(pathFromUtf8(huge), maxSongFileBytes + 1);
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"midi-info", dir.file("folder")}, "zbk: cannot open " + dir.file("folder") + ": it is a directory\n"},
        {{"midi-info", dir.file("none.mid")},
         "zbk: cannot open " + dir.file("none.mid") + ": No such file or directory\n"},
        {{"midi-info", "-"},
         "zbk: cannot read standard input (-): banks, songs and WAV files are read from regular "
         "files only; save it to a file first\n"},
        {{"midi-info", bad},
         "zbk: cannot read " + bad +
             ": track 1 at byte 22: a variable-length number runs over 4 "
             "bytes\n"},
        {{"midi-info", huge},
         "zbk: cannot read " + huge +
             ": it holds 16777217 bytes, more than the 16777216 a song "
             "file may hold\n"},
        {{"midi-info", cut, "--bank", dir.file("none.zbk")},
         "zbk: cannot open " + dir.file("none.zbk") + ": No such file or directory\n"},
    };
    for (const auto& [args, message] : cases) {
        const ZbkRun run = zbk(args);
        EXPECT_EQ(run.status, 1) << args[1];
        EXPECT_EQ(run.err, message);
        EXPECT_EQ(run.out, "");
    }

    // A cut song is read as far as its events are whole.
    const ZbkRun run = zbk({"midi-info", cut});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "zbk: warning: " + cut + ": track 2 is cut short by the end of the file at byte " +
                           std::to_string(whole.size() - 6) + "; its events before byte " +
                           std::to_string(whole.size() - 8) + " were read\n");
    EXPECT_NE(run.out.find("channel 10:    5 notes (drums)\n"), std::string::npos) << run.out;
}
