#include "bank/ToneBank.h"
#include "tests/bank/WavFiles.h"
#include "tests/cli/ZbkRun.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using Samples = std::vector<std::int8_t>;

Bytes eightBitWav(const Bytes& data)
{
    return riffWave({chunk("fmt ", formatBody(1, 1, 1, 8)), chunk("data", data)});
}

std::unique_ptr<ToneBank> load(const std::string& path)
{
    auto bank = std::make_unique<ToneBank>();
    EXPECT_TRUE(bank->loadBank(path.c_str())) << path;
    return bank;
}

// Waves of 100, 40 and 10 samples counting up from 0, 100 and 50. Programs 0 and 1
// and drum tone 0 play wave 0, program 2 plays wave 1.
void writeBank(const std::string& path)
{
    ToneBank bank;
    for (auto [size, first] : {std::pair{100, 0}, std::pair{40, 100}, std::pair{10, 50}}) {
        auto block = std::make_shared<WaveBlock>(size);
        for (int i = 0; i < size; ++i)
            block->samples[i] = static_cast<std::int8_t>(first + i);
        bank.appendWave(block);
    }
    auto tone = [&](std::uint32_t wave, std::int32_t cycleSize, std::int32_t loopReturn) {
        ToneRecord record;
        record.wave = bank.waveData(wave);
        record.sampleCount = static_cast<std::int32_t>(bank.waveSize(wave));
        record.cycleSize = cycleSize;
        record.loopReturn = loopReturn;
        return record;
    };
    bank.setInstrumentTone(0, tone(0, 50, 80));
    bank.setInstrumentTone(1, tone(0, 100, 100));
    bank.setInstrumentTone(2, tone(1, 40, 10));
    bank.addDrumTone();
    bank.setDrumTone(0, tone(0, 10, 0));
    ASSERT_TRUE(bank.saveBank(path.c_str()));
}

TEST(ImportWaveCommand, AppendsEveryFileInOrderAndSaves)
{
    TempDir dir;
    const std::string bank = dir.file("b.zbk");
    ASSERT_EQ(zbk({"new", bank}).status, 0);
    writeBytes(dir.file("a.wav"), eightBitWav({0x00, 0x80, 0xFF}));
    writeBytes(dir.file("b.wav"), riffWave({chunk("fmt ", formatBody(1, 1, 2, 16)),
                                            chunk("data", sampleBytes({0x1234, -0x1234, 0, 0x7F00, -1}, 2))}));
    const ZbkRun run = zbk({"import-wave", bank, dir.file("a.wav"), dir.file("b.wav")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("wave 0: 3 samples from " + dir.file("a.wav")), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("wave 1: 5 samples from " + dir.file("b.wav")), std::string::npos) << run.out;

    const auto loaded = load(bank);
    ASSERT_EQ(loaded->waveCount(), 2u);
    EXPECT_EQ(loaded->waveData(0)->samples, (Samples{-128, 0, 127}));
    EXPECT_EQ(loaded->waveData(1)->samples, (Samples{0x12, -0x13, 0, 0x7F, -1}));
    EXPECT_EQ(loaded->findWave(loaded->getInstrumentTone(77).wave), 0);
}

TEST(ImportWaveCommand, ARefusedFileSavesNothing)
{
    TempDir dir;
    const std::string bank = dir.file("b.zbk");
    writeBank(bank);
    const Bytes before = readBytes(bank);
    writeBytes(dir.file("good.wav"), eightBitWav({1, 2, 3, 4}));
    writeBytes(dir.file("stereo.wav"), riffWave({chunk("fmt ", formatBody(1, 2, 2, 8)), chunk("data", {1, 2, 3, 4})}));

    const ZbkRun refused =
        zbk({"import-wave", bank, dir.file("good.wav"), dir.file("stereo.wav"), "-o", dir.file("out.zbk")});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find(dir.file("stereo.wav")), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("not mono"), std::string::npos) << refused.err;
    EXPECT_EQ(readBytes(bank), before);
    EXPECT_EQ(dir.entries().size(), 3u) << "no output bank";

    const ZbkRun run = zbk({"import-wave", bank, dir.file("good.wav"), "-o", dir.file("out.zbk")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readBytes(bank), before);
    EXPECT_EQ(load(dir.file("out.zbk"))->waveCount(), 4u);
}

TEST(ExportWaveCommand, WritesOneWaveOrEveryWave)
{
    TempDir dir;
    const std::string bank = dir.file("b.zbk");
    writeBank(bank);
    const ZbkRun one = zbk({"export-wave", bank, "2", dir.file("two.wav")});
    ASSERT_EQ(one.status, 0) << one.err;
    // Samples 50..59 as unsigned bytes: 178..187.
    Bytes data;
    for (int i = 0; i < 10; ++i)
        data.push_back(static_cast<std::uint8_t>(178 + i));
    EXPECT_EQ(readBytes(dir.file("two.wav")),
              riffWave({chunk("fmt ", formatBody(1, 1, 1, 8, 44100)), chunk("data", data)}));

    const ZbkRun all = zbk({"export-wave", bank, "--all", dir.file("waves/new")});
    ASSERT_EQ(all.status, 0) << all.err;
    for (const char* name : {"wave-00000.wav", "wave-00001.wav", "wave-00002.wav"})
        EXPECT_EQ(readBytes(dir.file(std::string("waves/new/") + name)).size(), 44u + (name[9] == '0'   ? 100
                                                                                       : name[9] == '1' ? 40
                                                                                                        : 10));
    EXPECT_EQ(readBytes(dir.file("waves/new/wave-00002.wav")), readBytes(dir.file("two.wav")));

    EXPECT_EQ(zbk({"export-wave", bank, "3", dir.file("x.wav")}).status, 1);
    EXPECT_EQ(zbk({"export-wave", bank, "0", dir.file("no/such/dir/x.wav")}).status, 1);
}

TEST(EditCommand, StretchRescalesEveryToneOfTheWave)
{
    TempDir dir;
    const std::string bank = dir.file("b.zbk");
    writeBank(bank);
    const ZbkRun longer = zbk({"edit", bank, "--wave", "0", "--stretch", "200"});
    ASSERT_EQ(longer.status, 0) << longer.err;
    auto loaded = load(bank);
    EXPECT_EQ(loaded->waveSize(0), 200u);
    auto expectTone = [](const ToneRecord& tone, std::int32_t samples, std::int32_t cycle, std::int32_t loop) {
        EXPECT_EQ(tone.sampleCount, samples);
        EXPECT_EQ(tone.cycleSize, cycle);
        EXPECT_EQ(tone.loopReturn, loop);
    };
    expectTone(loaded->getInstrumentTone(0), 200, 100, 160);
    expectTone(loaded->getInstrumentTone(1), 200, 200, 200);
    expectTone(loaded->getDrumTone(0), 200, 20, 0);
    expectTone(loaded->getInstrumentTone(2), 40, 40, 10);

    // Shorter: 200 -> 30 scales the cycle sizes from their values before the stretch
    // (200 -> 30), not from a value first clamped to the new length.
    ASSERT_EQ(zbk({"edit", bank, "--wave", "0", "--stretch", "30", "-o", dir.file("short.zbk")}).status, 0);
    loaded = load(dir.file("short.zbk"));
    expectTone(loaded->getInstrumentTone(0), 30, 15, 24);
    expectTone(loaded->getInstrumentTone(1), 30, 30, 30);
    expectTone(loaded->getDrumTone(0), 30, 3, 0);
}

TEST(EditCommand, RangeEditsAndResizeChangeTheWave)
{
    TempDir dir;
    const std::string bank = dir.file("b.zbk");
    writeBank(bank);
    ASSERT_EQ(zbk({"edit", bank, "--wave", "2", "--delete", "5:2"}).status, 0);
    EXPECT_EQ(load(bank)->waveData(2)->samples, (Samples{50, 51, 55, 56, 57, 58, 59}));
    ASSERT_EQ(zbk({"edit", bank, "--wave", "2", "--normalize", "0:2:-102"}).status, 0);
    EXPECT_EQ(load(bank)->waveData(2)->samples, (Samples{-100, -102, 55, 56, 57, 58, 59}));
    ASSERT_EQ(zbk({"edit", bank, "--wave", "2", "--resize", "9"}).status, 0);
    EXPECT_EQ(load(bank)->waveData(2)->samples, (Samples{-100, -102, 55, 56, 57, 58, 59, 0, 0}));
    ASSERT_EQ(zbk({"edit", bank, "--wave", "2", "--smooth", "8:9"}).status, 0);
    // The wave is circular: (58 + 2 x 59 + 4 x 0 + 8 x 0 + 4 x -100 + 2 x -102 + 55) / 22
    // = -373 / 22, truncated to -16.
    EXPECT_EQ(load(bank)->waveData(2)->samples, (Samples{-100, -102, 55, 56, 57, 58, 59, 0, -16}));
}

TEST(EditCommand, RefusedEditsSaveNothing)
{
    TempDir dir;
    const std::string bank = dir.file("b.zbk");
    writeBank(bank);
    const Bytes before = readBytes(bank);
    const std::vector<std::vector<std::string>> refused = {
        {"--wave", "2", "--delete", "0:7"}, // 3 samples would remain
        {"--wave", "3", "--smooth", "0:5"}, // no wave 3
        {"--wave", "0", "--resize", "3"},
        {"--wave", "0", "--stretch", "0"},
        {"--wave", "0", "--delete", "5"},      // not A:B
        {"--wave", "0", "--normalize", "1:2"}, // no peak
        {"--wave", "0", "--smooth", "0:5", "--resize", "50"},
        {"--smooth", "0:5"},
    };
    for (const auto& options : refused) {
        std::vector<std::string> args{"edit", bank};
        args.insert(args.end(), options.begin(), options.end());
        const ZbkRun run = zbk(args);
        EXPECT_EQ(run.status, 1) << options[1] << " " << options[2];
        EXPECT_EQ(run.err.rfind("zbk: ", 0), 0u) << run.err;
    }
    EXPECT_EQ(readBytes(bank), before);
}

} // namespace
