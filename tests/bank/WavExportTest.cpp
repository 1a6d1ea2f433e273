#include "bank/ToneBank.h"
#include "tests/bank/WavFiles.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(WavExport, EightBitMonoFilesSurviveImportAndExportButForTheRate)
{
    TempDir dir;
    const Bytes samples{0x00, 0x80, 0xFF, 0x01, 0x7F};
    writeBytes(dir.file("in.wav"), riffWave({chunk("fmt ", formatBody(1, 1, 1, 8, 8000)), chunk("data", samples)}));
    const auto bank = std::make_unique<ToneBank>();
    ASSERT_TRUE(bank->importWav(dir.file("in.wav").c_str()));
    ASSERT_TRUE(bank->exportWav(dir.file("out.wav").c_str(), 0));

    // 44 header bytes, the 16-byte format at 44100 Hz, and no pad byte after the data.
    const Bytes expected = riffWave({chunk("fmt ", formatBody(1, 1, 1, 8, 44100)), chunk("data", samples, false)});
    ASSERT_EQ(expected.size(), 44u + samples.size());
    EXPECT_EQ(readBytes(dir.file("out.wav")), expected);
}

TEST(WavExport, AnEmptyDataChunkImportsAsAnEmptyWaveAndExportsAsAHeader)
{
    TempDir dir;
    writeBytes(dir.file("in.wav"), riffWave({chunk("fmt ", formatBody(1, 1, 1, 8)), chunk("data", {})}));
    const auto bank = std::make_unique<ToneBank>();
    ASSERT_TRUE(bank->importWav(dir.file("in.wav").c_str()));
    ASSERT_EQ(bank->waveSize(0), 0u);
    ASSERT_TRUE(bank->exportWav(dir.file("out.wav").c_str(), 0));
    EXPECT_EQ(readBytes(dir.file("out.wav")),
              riffWave({chunk("fmt ", formatBody(1, 1, 1, 8, 44100)), chunk("data", {})}));
}

TEST(WavExport, RefusesAMissingWaveWithoutCreatingAFile)
{
    TempDir dir;
    const auto bank = std::make_unique<ToneBank>();
    EXPECT_FALSE(bank->exportWav(dir.file("out.wav").c_str(), 0));
    ASSERT_TRUE(bank->appendWave(std::make_shared<WaveBlock>(4)));
    EXPECT_FALSE(bank->exportWav(dir.file("out.wav").c_str(), 1));
    EXPECT_TRUE(dir.entries().empty());
}

TEST(WavExport, AFailedExportLeavesTheOldFile)
{
    SKIP_UNLESS_THE_DISK_CAN_BE_FILLED();
    TempDir dir;
    const std::string path = dir.file("out.wav");
    writeBytes(path, {'o', 'l', 'd'});
    const auto bank = std::make_unique<ToneBank>();
    ASSERT_TRUE(bank->appendWave(std::make_shared<WaveBlock>(5000)));
    {
        FileSizeLimit diskFull(1000);
        EXPECT_FALSE(bank->exportWav(path.c_str(), 0));
    }
    EXPECT_EQ(readBytes(path), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"out.wav"}) << "no temporary file is left";
    EXPECT_FALSE(bank->exportWav(dir.file("no/such/dir.wav").c_str(), 0));
}

} // namespace
