// WAV files as sox writes them, and what damaged copies of one do to a bank.

#include "bank/ToneBank.h"
#include "tests/bank/WavFiles.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <random>

namespace {

using Samples = std::vector<std::int8_t>;

// Samples whose 16-bit form has a zero low byte, so that sox converts them to every
// width exactly and the high byte is the sample itself.
Samples testSignal(std::size_t count)
{
    Samples samples(count);
    for (std::size_t k = 0; k < count; ++k)
        samples[k] = static_cast<std::int8_t>((k * 37 + 11) % 256);
    return samples;
}

// A LIST/INFO chunk with a 3-character comment: 15 bytes, an odd size, put in front of
// the "data" chunk. (sox here writes no comment chunk into WAV files itself.)
Bytes withOddComment(const Bytes& file, bool pad)
{
    Bytes body{'I', 'N', 'F', 'O', 'I', 'C', 'M', 'T'};
    appendU32(body, 3);
    body.insert(body.end(), {'o', 'd', 'd'});
    const Bytes comment = chunk("LIST", body, pad);
    Bytes result = file;
    const std::size_t data = findChunk(file, "data");
    result.insert(result.begin() + static_cast<std::ptrdiff_t>(data), comment.begin(), comment.end());
    const auto riffLength = static_cast<std::uint32_t>(result.size() - 8);
    for (int i = 0; i < 4; ++i)
        result[4 + i] = static_cast<std::uint8_t>(riffLength >> (8 * i));
    return result;
}

class SoxWav : public ::testing::Test {
protected:
    void SetUp() override
    {
        Bytes raw;
        for (std::int8_t s : signal)
            appendU16(raw, static_cast<std::uint16_t>(s * 256));
        writeBytes(dir.file("signal.raw"), raw);
    }

    // The signal written by sox with `bits` bits per sample and `channels` channels
    // (two channels take the samples in pairs).
    Bytes soxFile(int bits, int channels)
    {
        const std::string name = dir.file("sox" + std::to_string(bits) + "-" + std::to_string(channels) + ".wav");
        const std::string arguments = "-t raw -r 22050 -e signed -b 16 -c " + std::to_string(channels) + " " +
                                      dir.file("signal.raw") + " -b " + std::to_string(bits) + " " + name;
        EXPECT_TRUE(runSox(arguments)) << arguments;
        return readBytes(name);
    }

    bool import(const Bytes& bytes, WavRefusal* refusal = nullptr)
    {
        // A new file each time: rewriting one in place makes ext4 flush it on close.
        std::remove(dir.file("import.wav").c_str());
        writeBytes(dir.file("import.wav"), bytes);
        return bank->importWav(dir.file("import.wav").c_str(), refusal);
    }

    TempDir dir;
    const Samples signal = testSignal(301);
    std::unique_ptr<ToneBank> bank = std::make_unique<ToneBank>();
};

TEST_F(SoxWav, MonoFilesOfEveryWidthImportTheirSamples)
{
    for (int bits : {8, 16, 24}) {
        const Bytes file = soxFile(bits, 1);
        ASSERT_NE(findChunk(file, "data"), std::string::npos);
        for (const Bytes& variant : {file, withOddComment(file, true), withOddComment(file, false)}) {
            WavRefusal refusal = WavRefusal::none;
            ASSERT_TRUE(import(variant, &refusal)) << bits << " bits: " << describeWavRefusal(refusal);
            EXPECT_EQ(bank->waveData(bank->waveCount() - 1)->samples, signal) << bits << " bits";
        }
    }
    EXPECT_EQ(bank->waveCount(), 9u);
}

TEST_F(SoxWav, StereoFilesAreRefused)
{
    for (int bits : {8, 16, 24}) {
        WavRefusal refusal = WavRefusal::none;
        EXPECT_FALSE(import(soxFile(bits, 2), &refusal));
        EXPECT_EQ(refusal, WavRefusal::notMono) << bits << " bits";
    }
    EXPECT_EQ(bank->waveCount(), 0u);
}

TEST_F(SoxWav, SoxReadsWhatExportWrites)
{
    ASSERT_TRUE(import(soxFile(16, 1)));
    ASSERT_TRUE(bank->exportWav(dir.file("exported.wav").c_str(), 0));
    ASSERT_TRUE(runSox(dir.file("exported.wav") + " -t raw -e signed -b 8 " + dir.file("back.raw")));
    const Bytes back = readBytes(dir.file("back.raw"));
    EXPECT_EQ(Samples(back.begin(), back.end()), signal);
}

// Every truncation and thousands of seeded corruptions of a real file: each import
// either adds one wave or refuses and leaves the bank exactly as it was.
TEST_F(SoxWav, DamagedFilesNeverHurtTheBank)
{
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "one thread only: the release and address-sanitizer builds run it";
#endif
    Bytes good = withOddComment(soxFile(16, 1), true);
    const std::size_t dataEnd = findChunk(good, "data") + 8 + 2 * signal.size();
    const Bytes trailer = chunk("LIST", {'I', 'N', 'F', 'O', 'z'}, false);
    good.insert(good.end(), trailer.begin(), trailer.end());

    auto block = std::make_shared<WaveBlock>(4);
    block->samples = {1, 2, 3, 4};
    ASSERT_TRUE(bank->appendWave(block));
    for (std::uint32_t p = 0; p < ToneBank::instrumentToneCount; ++p) {
        ToneRecord tone;
        tone.AR = static_cast<std::int32_t>(p);
        tone.wave = bank->waveData(0);
        tone.sampleCount = 4;
        bank->setInstrumentTone(p, tone);
    }
    std::vector<ToneRecord> tones;
    for (std::uint32_t p = 0; p < ToneBank::instrumentToneCount; ++p)
        tones.push_back(bank->getInstrumentTone(p));
    const WaveRef wave = bank->waveData(0);
    const Samples waveSamples = wave->samples;

    // True when the file was imported; either way the bank is checked and restored.
    auto tryImport = [&](const Bytes& bytes) {
        const bool imported = import(bytes);
        EXPECT_EQ(bank->waveCount(), imported ? 2u : 1u);
        EXPECT_EQ(bank->waveData(0), wave);
        EXPECT_EQ(wave->samples, waveSamples);
        for (std::uint32_t p = 0; p < ToneBank::instrumentToneCount; ++p)
            if (bank->getInstrumentTone(p) != tones[p])
                ADD_FAILURE() << "program " << p << " changed";
        if (imported) {
            EXPECT_LE(bank->waveSize(1), bytes.size());
            bank->removeLastWave();
        }
        return imported;
    };

    for (std::size_t length = 0; length < good.size(); ++length) {
        const bool imported = tryImport(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length)));
        ASSERT_EQ(imported, length >= dataEnd) << "truncated to " << length;
        ASSERT_FALSE(HasFailure()) << "truncated to " << length;
    }
    ASSERT_TRUE(import(good));
    ASSERT_EQ(bank->waveData(1)->samples, signal);
    bank->removeLastWave();

    std::mt19937 random(20261208);
    const std::size_t headerBytes = findChunk(good, "data") + 8;
    int imported = 0;
    for (int round = 0; round < 3000; ++round) {
        Bytes bytes = good;
        const int changes = 1 + static_cast<int>(random() % 4);
        for (int c = 0; c < changes; ++c) {
            const std::size_t at = round % 2 ? random() % bytes.size() : random() % headerBytes;
            bytes[at] = static_cast<std::uint8_t>(random());
        }
        imported += tryImport(bytes);
        ASSERT_FALSE(HasFailure()) << "round " << round;
    }
    // Corruptions inside the samples still import; those in the headers mostly do not.
    EXPECT_GT(imported, 500);
    EXPECT_LT(imported, 2900);
}

} // namespace
