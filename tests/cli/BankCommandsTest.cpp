#include "bank/ToneBank.h"
#include "tests/cli/ZbkRun.h"
#include "tests/support/ExitStatus.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// A small bank with two waves, two drum tones, two drum sets and one inconsistency of
// each kind the check knows.
void writeFlawedBank(const std::string& path)
{
    ToneBank bank;
    bank.appendWave(std::make_shared<WaveBlock>(100));
    bank.appendWave(std::make_shared<WaveBlock>(50));
    for (std::uint32_t p = 0; p < 128; ++p) {
        ToneRecord tone;
        tone.wave = bank.waveData(p == 3 ? 1 : 0);
        tone.sampleCount = 40;
        tone.cycleSize = 20;
        tone.groupNumber = -5;
        bank.setInstrumentTone(p, tone);
    }
    ToneRecord flawed = bank.getInstrumentTone(7);
    flawed.cycleSize = 41;
    bank.setInstrumentTone(7, flawed);
    flawed = bank.getInstrumentTone(3);
    flawed.sampleCount = 51;
    bank.setInstrumentTone(3, flawed);
    bank.addDrumTone();
    bank.addDrumTone();
    bank.setDrumSetCount(2);
    bank.drumMaps()[1][60] = 2;
    bank.drumMaps()[0][5] = ToneBank::noDrumTone; // left empty: not an inconsistency
    bank.drumMaps()[0][6] = -7;
    bank.drumSetMap()[9] = 2;
    bank.saveBank(path.c_str());
    // A saved bank stores a wave index for every tone; drum tone 1 names a wave the
    // file does not have, which loads as a void reference.
    auto bytes = readBytes(path);
    bytes[8 + 128 * 72 + 4 + 72 + 15 * 4] = 7;
    writeBytes(path, bytes);
}

} // namespace

TEST(BankCommands, NewWritesTheEmptyBank)
{
    TempDir dir;
    const ZbkRun run = zbk({"new", dir.file("e.zbk")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readBytes(dir.file("e.zbk")).size(), 9744u);
    EXPECT_EQ(zbk({"new"}).status, 1);
}

TEST(BankCommands, EveryCommandExplainsItselfAndErrorsSayZbk)
{
    for (const char* command : {"new", "info", "check", "convert"}) {
        const ZbkRun help = zbk({command, "--help"});
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_NE(help.out.find("usage: zbk "), std::string::npos) << command;
    }
    const ZbkRun unknown = zbk({"frobnicate"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_EQ(unknown.err.rfind("zbk: ", 0), 0u);
    const ZbkRun missing = zbk({"info", "/nonexistent/bank.zbk"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err.rfind("zbk: cannot open /nonexistent/bank.zbk", 0), 0u) << missing.err;
    const ZbkRun badOption = zbk({"info", "--jsn", "x.zbk"});
    EXPECT_EQ(badOption.status, 1);
}

TEST(BankCommands, InfoSummarisesWhoUsesWhichWave)
{
    TempDir dir;
    writeFlawedBank(dir.file("b.zbk"));
    const ZbkRun run = zbk({"info", dir.file("b.zbk")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("version:          ZBK1"), std::string::npos);
    EXPECT_NE(run.out.find("drum tones:       2"), std::string::npos);
    EXPECT_NE(run.out.find("wave 0: 100 samples; programs 0-2, 4-127; drum tones 0\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("wave 1: 50 samples; programs 3\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("void wave references: drum tones 1"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("drum set 1: selected by drum programs none"), std::string::npos) << run.out;
}

TEST(BankCommands, JsonCarriesTheWholeBank)
{
    TempDir dir;
    writeFlawedBank(dir.file("b.zbk"));
    const ZbkRun run = zbk({"info", "--json", dir.file("b.zbk")});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string& json = run.out;
    EXPECT_EQ(json.rfind("{\"version\":\"ZBK1\"", 0), 0u);
    EXPECT_NE(json.find("\"cycleSize\":41,\"sampleCount\":40,\"wave\":0,\"loopReturn\":0,\"groupNumber\":-5}"),
              std::string::npos);
    EXPECT_NE(json.find("\"wave\":null"), std::string::npos) << "drum tone 1 has no wave";
    EXPECT_NE(json.find("\"drumSetCount\":2"), std::string::npos);
    EXPECT_NE(json.find("\"waves\":[\n{\"size\":100},\n{\"size\":50}]"), std::string::npos);

    // It parses as JSON, and holds 128 + 2 tones of 18 fields each.
    const std::string script = "import json,sys; b=json.load(open(sys.argv[1])); "
                               "assert len(b['instrumentTones'])==128 and len(b['drumTones'])==2; "
                               "assert all(len(t)==18 for t in b['instrumentTones']+b['drumTones']); "
                               "assert len(b['drumMaps'])==2 and all(len(m)==128 for m in b['drumMaps']); "
                               "assert b['drumSetMap'][9]==2 and b['drumMaps'][1][60]==2";
    writeBytes(dir.file("b.json"), std::vector<std::uint8_t>(json.begin(), json.end()));
    EXPECT_EQ(std::system(("python3 -c \"" + script + "\" " + dir.file("b.json")).c_str()), 0);
}

TEST(BankCommands, CheckListsEachKindOfInconsistency)
{
    TempDir dir;
    writeFlawedBank(dir.file("b.zbk"));
    const ZbkRun run = zbk({"check", dir.file("b.zbk")});
    EXPECT_EQ(run.status, 2);
    for (const char* expected : {
             "drum set 1 note 60 names drum tone 2, but there are 2 drum tones",
             "drum-set map program 9 names drum set 2, but there are 2 drum sets",
             "program 7: cycle size 41 is above its sample count 40",
             "program 3: sample count 51 is above the size 50 of wave 1",
             "drum set 0 note 6 names drum tone -7, but there are 2 drum tones",
             ": 5 inconsistencies",
             "empty (plays nothing): drum tones without a wave: 1\n",
             "empty (plays nothing): drum set 0 notes without a drum tone: 5\n",
         })
        EXPECT_NE(run.out.find(expected), std::string::npos) << expected << "\n" << run.out;

    ToneBank clean;
    clean.appendWave(std::make_shared<WaveBlock>(8));
    ToneRecord tone;
    tone.wave = clean.waveData(0);
    for (std::uint32_t p = 0; p < 128; ++p)
        clean.setInstrumentTone(p, tone);
    clean.addDrumTone();
    clean.saveBank(dir.file("clean.zbk").c_str());
    const ZbkRun ok = zbk({"check", dir.file("clean.zbk")});
    EXPECT_EQ(ok.status, 0) << ok.out;
}

TEST(BankCommands, ConvertTurnsAnOlderBankIntoTheCurrentVersion)
{
    TempDir dir;
    // An older bank: the current file with 64-byte records (fields up to the wave).
    std::vector<std::uint8_t> old = {'Z', 'B', 'K', '0', 0, 0, 0, 0};
    old.resize(8 + 128 * 64, 0);
    old[8 + 5 * 64] = 9;                // program 5's AR
    for (std::uint8_t b : {0, 0, 0, 0}) // no drum tones, one drum set
        old.push_back(b);
    old.resize(old.size() + 512 + 4, 0); // one drum map, no waves
    writeBytes(dir.file("old.zbk"), old);

    ASSERT_EQ(zbk({"convert", dir.file("old.zbk"), dir.file("new.zbk")}).status, 0);
    ToneBank bank;
    ASSERT_TRUE(bank.loadBank(dir.file("new.zbk").c_str()));
    EXPECT_EQ(bank.getInstrumentTone(5).AR, 9);
    EXPECT_EQ(bank.getInstrumentTone(5).groupNumber, 5);
    EXPECT_EQ(readBytes(dir.file("new.zbk")).size(), 9744u);

    const ZbkRun json = zbk({"info", "--json", dir.file("old.zbk")});
    EXPECT_EQ(json.out.rfind("{\"version\":\"ZBK0\"", 0), 0u);
}

TEST(BankCommands, TheToolRunsAsAProgram)
{
    TempDir dir;
    const std::string tool = ZBK_TOOL_PATH;
    const std::string output = dir.file("output.txt");
    EXPECT_EQ(runCommand(tool + " new " + dir.file("p.zbk") + " > " + output), 0);
    EXPECT_EQ(runCommand(tool + " check " + dir.file("p.zbk") + " > " + output), 0)
        << "an empty bank is empty, not inconsistent";
    writeFlawedBank(dir.file("flawed.zbk"));
    EXPECT_EQ(runCommand(tool + " check " + dir.file("flawed.zbk") + " > " + output), 2);
    EXPECT_EQ(runCommand(tool + " info " + dir.file("missing.zbk") + " 2> " + output), 1);
}

// One version number: the one `zbk --version` gives is the one the editor's caption shows.
TEST(BankCommands, TheVersionIsTheOneInTheEditorsCaption)
{
    const ZbkRun run = zbk({"--version"});
    ASSERT_EQ(run.status, 0);
    ASSERT_EQ(run.out.rfind("zbk ", 0), 0u) << run.out;
    const std::string version = run.out.substr(4, run.out.size() - 5);
    EXPECT_EQ(run.out, "zbk " + version + "\n");
    EXPECT_FALSE(version.empty());
    const auto script = readBytes(std::string(ZBK_TEST_SOURCE_DIR) + "/resources/zbkedit.rc");
    const std::string text(script.begin(), script.end());
    EXPECT_NE(text.find("CAPTION \"ZBK-EDIT v" + version + "\""), std::string::npos) << "version " << version;
}

// Every refusal names its cause: what the path is, what the system said, which count is
// over the capacity and by how much.
TEST(BankCommands, RefusalsNameTheirCause)
{
    TempDir dir;
    const std::string good = dir.file("good.zbk");
    ToneBank().saveBank(good.c_str());
    const auto bytes = readBytes(good);
    const std::size_t counts = 8 + 128 * 72;
    int damagedFiles = 0;
    auto damaged = [&](std::size_t at, std::vector<std::uint8_t> value) {
        auto copy = bytes;
        std::copy(value.begin(), value.end(), copy.begin() + static_cast<std::ptrdiff_t>(at));
        const std::string path = dir.file("bad" + std::to_string(damagedFiles++) + ".zbk");
        writeBytes(path, copy);
        return path;
    };
    writeBytes(dir.file("short.zbk"), std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 100));
    std::filesystem::create_directory(dir.file("folder"));
    const std::string wav = dir.file("w.wav");
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"check", dir.file("folder")}, "cannot open " + dir.file("folder") + ": it is a directory"},
        {{"info", dir.file("missing.zbk")}, "cannot open " + dir.file("missing.zbk") + ": No such file or directory"},
        {{"info", "-"}, "cannot read standard input (-)"},
        {{"info", dir.file("short.zbk")}, "cannot load " + dir.file("short.zbk") + ": it is truncated"},
        {{"info", damaged(0, {'Z', 'B', 'K', '9'})}, "it is not a ZBK bank"},
        {{"info", damaged(counts, {0x01, 0x40})}, "it claims 16385 drum tones, more than the 16384 a bank holds"},
        {{"info", damaged(counts + 2, {0x80, 0})}, "it claims 129 drum sets, more than the 128 a bank holds"},
        {{"info", damaged(counts + 4 + 512, {0x81, 0x40, 0, 0})}, "it claims 16513 waves, more than the 16512"},
        {{"import-wave", good, dir.file("folder")}, "the file cannot be opened: it is a directory"},
        {{"import-wave", good, dir.file("missing.wav")}, "the file cannot be opened: No such file or directory"},
        {{"import-wave", good, "-"}, "cannot read standard input (-)"},
    };
    for (const auto& [args, message] : cases) {
        const ZbkRun run = zbk(args);
        EXPECT_EQ(run.status, 1) << args[1];
        EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
    }
    EXPECT_EQ(readBytes(good), bytes);
}

#ifndef _WIN32
// A pipe or a FIFO is refused at once, opened once: a FIFO whose writer has gone (or
// never came) must not hold the tool for ever.
TEST(BankCommands, PipesAndFifosAreRefusedAtOnce)
{
    TempDir dir;
    const std::string tool = ZBK_TOOL_PATH;
    const std::string bank = dir.file("b.zbk");
    const std::string output = dir.file("err.txt");
    ASSERT_EQ(zbk({"new", bank}).status, 0);
    ASSERT_EQ(runCommand("mkfifo " + dir.file("fifo")), 0);
    for (const std::string& command :
         {"cat " + bank + " | " + tool + " info /dev/stdin", "timeout 10 " + tool + " check " + dir.file("fifo"),
          "timeout 10 " + tool + " import-wave " + bank + " " + dir.file("fifo")}) {
        EXPECT_EQ(runCommand(command + " 2> " + output), 1) << command;
        const auto text = readBytes(output);
        EXPECT_NE(std::string(text.begin(), text.end()).find("it is not a regular file (a pipe, a FIFO or a device)"),
                  std::string::npos)
            << command;
    }
}
#endif
