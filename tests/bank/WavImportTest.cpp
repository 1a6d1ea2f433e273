#include "bank/ToneBank.h"
#include "tests/bank/WavFiles.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace {

using Samples = std::vector<std::int8_t>;

Bytes pcm(std::uint16_t alignment, const Bytes& data)
{
    return riffWave(
        {chunk("fmt ", formatBody(1, 1, alignment, static_cast<std::uint16_t>(8 * alignment))), chunk("data", data)});
}

class WavImport : public ::testing::Test {
protected:
    std::string write(const Bytes& bytes)
    {
        const std::string path = dir.file("in" + std::to_string(files++) + ".wav");
        writeBytes(path, bytes);
        return path;
    }

    // The samples of the wave the file became; a refusal fails the test.
    Samples importSamples(const Bytes& bytes)
    {
        WavRefusal refusal = WavRefusal::none;
        const std::uint32_t before = bank->waveCount();
        if (!bank->importWav(write(bytes).c_str(), &refusal)) {
            ADD_FAILURE() << "refused: " << describeWavRefusal(refusal);
            return {};
        }
        EXPECT_EQ(bank->waveCount(), before + 1);
        return bank->waveData(bank->waveCount() - 1)->samples;
    }

    WavRefusal refusalOf(const Bytes& bytes)
    {
        WavRefusal refusal = WavRefusal::none;
        const std::uint32_t before = bank->waveCount();
        EXPECT_FALSE(bank->importWav(write(bytes).c_str(), &refusal));
        EXPECT_EQ(bank->waveCount(), before);
        return refusal;
    }

    TempDir dir;
    int files = 0;
    std::unique_ptr<ToneBank> bank = std::make_unique<ToneBank>();
};

TEST_F(WavImport, KeepsTheHighByteOfEverySampleWidth)
{
    // 8-bit samples are unsigned: the top bit flips.
    EXPECT_EQ(importSamples(pcm(1, {0x00, 0x80, 0xFF, 0x7F, 0x01})), (Samples{-128, 0, 127, -1, -127}));
    EXPECT_EQ(importSamples(pcm(2, sampleBytes({-32768, -1, 127, 255, 32767, 256, -256, -257}, 2))),
              (Samples{-128, -1, 0, 0, 127, 1, -1, -2}));
    EXPECT_EQ(importSamples(pcm(3, sampleBytes({0x7FFFFF, -0x800000, -1, 0x00FFFF, 0x123456, -0x10000}, 3))),
              (Samples{127, -128, -1, 0, 0x12, -1}));
    EXPECT_EQ(importSamples(pcm(4, sampleBytes({0x7FFFFFFF, -0x80000000LL, -1, 0x00FFFFFF, 0x40000000}, 4))),
              (Samples{127, -128, -1, 0, 64}));
    // How many tools write 24-bit mono: the extensible format with the PCM sub-format.
    const Bytes extensible = riffWave(
        {chunk("fmt ", extensibleFormatBody(1, 3, 1)), chunk("data", sampleBytes({0x7FFFFF, -0x800000, 0x123456}, 3))});
    EXPECT_EQ(importSamples(extensible), (Samples{127, -128, 0x12}));
}

TEST_F(WavImport, ATrailingPartialSampleIsDropped)
{
    Bytes data(1001);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>(i);
    const Samples samples = importSamples(pcm(2, data));
    ASSERT_EQ(samples.size(), 500u);
    EXPECT_EQ(samples[0], 1);                                     // bytes 0x00 0x01
    EXPECT_EQ(samples[499], static_cast<std::int8_t>(999 % 256)); // bytes 998, 999
    EXPECT_EQ(importSamples(pcm(3, Bytes(3 * 7 + 2, 0x40))).size(), 7u);
}

TEST_F(WavImport, WalksPastOtherChunksWithOrWithoutPadBytes)
{
    const Bytes format = chunk("fmt ", formatBody(1, 1, 1, 8));
    const Bytes data = chunk("data", {0x90, 0x70, 0x80});
    const Samples expected{16, -16, 0};
    const Bytes even = chunk("LIST", {'I', 'N', 'F', 'O'});
    const Bytes odd = {'I', 'N', 'F', 'O', 'x'};
    EXPECT_EQ(importSamples(riffWave({even, format, even, data})), expected);
    EXPECT_EQ(importSamples(riffWave({chunk("LIST", odd), format, chunk("LIST", odd), data})), expected);
    // Writers that leave out the pad byte still import.
    EXPECT_EQ(importSamples(riffWave({chunk("LIST", odd, false), format, chunk("LIST", odd, false), data})), expected);
    // A "data" chunk before the "fmt " chunk is skipped like any other.
    EXPECT_EQ(importSamples(riffWave({chunk("data", {1, 2, 3, 4}), format, data})), expected);
}

TEST_F(WavImport, RefusesFilesItCannotRead)
{
    const Bytes format = chunk("fmt ", formatBody(1, 1, 2, 16));
    const Bytes data = chunk("data", sampleBytes({1000, -1000}, 2));
    EXPECT_EQ(refusalOf(riffWave({chunk("fmt ", formatBody(1, 2, 4, 16)), data})), WavRefusal::notMono);
    EXPECT_EQ(refusalOf(riffWave({chunk("fmt ", formatBody(3, 1, 4, 32)), data})), WavRefusal::notPcm);
    EXPECT_EQ(refusalOf(riffWave({chunk("fmt ", extensibleFormatBody(1, 4, 3)), data})), WavRefusal::notPcm);
    EXPECT_EQ(refusalOf(riffWave({chunk("fmt ", extensibleFormatBody(2, 6, 1)), data})), WavRefusal::notMono);
    Bytes shortExtensible = formatBody(0xFFFE, 1, 2, 16);
    appendU16(shortExtensible, 0);
    EXPECT_EQ(refusalOf(riffWave({chunk("fmt ", shortExtensible), data})), WavRefusal::formatTooShort);
    EXPECT_EQ(refusalOf(riffWave({chunk("fmt ", formatBody(1, 1, 0, 8)), data})), WavRefusal::unsupportedSampleSize);
    EXPECT_EQ(refusalOf(riffWave({chunk("fmt ", formatBody(1, 1, 5, 40)), data})), WavRefusal::unsupportedSampleSize);
    Bytes thirteen = formatBody(1, 1, 2, 16);
    thirteen.resize(13);
    EXPECT_EQ(refusalOf(riffWave({chunk("fmt ", thirteen), data})), WavRefusal::formatTooShort);

    // The only "data" chunk precedes the "fmt " chunk.
    EXPECT_EQ(refusalOf(riffWave({data, format})), WavRefusal::noData);
    EXPECT_EQ(refusalOf(riffWave({data})), WavRefusal::noFormat);
    Bytes rifx = riffWave({format, data});
    rifx[3] = 'X';
    EXPECT_EQ(refusalOf(rifx), WavRefusal::notRiffWave);
    EXPECT_EQ(refusalOf({'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V'}), WavRefusal::notRiffWave);
    WavRefusal refusal = WavRefusal::none;
    EXPECT_FALSE(bank->importWav(dir.file("missing.wav").c_str(), &refusal));
    EXPECT_EQ(refusal, WavRefusal::cannotOpen);
}

TEST_F(WavImport, RefusesSizesThatRunPastTheEndOfTheFile)
{
    const Bytes format = chunk("fmt ", formatBody(1, 1, 1, 8));
    Bytes hugeData = riffWave({format, chunk("data", {1, 2, 3})});
    for (int i = 0; i < 4; ++i)
        hugeData[hugeData.size() - 8 + i] = 0xFF; // the data size: 4 GiB - 1
    EXPECT_EQ(refusalOf(hugeData), WavRefusal::truncated);

    Bytes longData = riffWave({format, chunk("data", {1, 2, 3, 4})});
    longData.pop_back();
    EXPECT_EQ(refusalOf(longData), WavRefusal::truncated);

    Bytes hugeList = riffWave({chunk("LIST", {1, 2}), format, chunk("data", {1})});
    hugeList[16 + 3] = 0x7F; // the LIST size
    EXPECT_EQ(refusalOf(hugeList), WavRefusal::truncated);

    Bytes endsInHeader = riffWave({format});
    endsInHeader.insert(endsInHeader.end(), {'d', 'a', 't', 'a', 1});
    EXPECT_EQ(refusalOf(endsInHeader), WavRefusal::truncated);
}

TEST_F(WavImport, TheFirstWaveGoesToEveryToneAndLaterOnesToNone)
{
    for (std::uint32_t p = 0; p < ToneBank::instrumentToneCount; ++p) {
        ToneRecord tone;
        tone.AR = static_cast<std::int32_t>(p);
        tone.cycleSize = p % 2 ? 3 : 1000;
        tone.loopReturn = 2000;
        tone.sampleCount = 5000;
        bank->setInstrumentTone(p, tone);
    }
    ASSERT_EQ(importSamples(pcm(1, Bytes(10, 0x90))).size(), 10u);
    const WaveRef first = bank->waveData(0);
    for (std::uint32_t p = 0; p < ToneBank::instrumentToneCount; ++p) {
        const ToneRecord tone = bank->getInstrumentTone(p);
        EXPECT_EQ(tone.wave, first);
        EXPECT_EQ(tone.sampleCount, 10);
        EXPECT_EQ(tone.cycleSize, p % 2 ? 3 : 10) << "kept within the new sample count";
        EXPECT_EQ(tone.loopReturn, 2000);
        EXPECT_EQ(tone.AR, static_cast<std::int32_t>(p));
    }
    // A drum tone added later copies slot 0, which took the wave too.
    ASSERT_TRUE(bank->addDrumTone());
    EXPECT_EQ(bank->getDrumTone(0).wave, first);
    EXPECT_EQ(bank->getDrumTone(0).sampleCount, 10);

    const ToneRecord before = bank->getInstrumentTone(5);
    const ToneRecord drumBefore = bank->getDrumTone(0);
    ASSERT_EQ(importSamples(pcm(1, Bytes(20, 0x70))).size(), 20u);
    EXPECT_EQ(bank->getInstrumentTone(5), before);
    EXPECT_EQ(bank->getDrumTone(0), drumBefore);
}

TEST_F(WavImport, AFullTableRefusesWithoutOpeningTheFile)
{
    for (std::uint32_t w = 0; w < ToneBank::waveCapacity; ++w)
        ASSERT_TRUE(bank->appendWave(std::make_shared<WaveBlock>(1)));
    WavRefusal refusal = WavRefusal::none;
    EXPECT_FALSE(bank->importWav(dir.file("missing.wav").c_str(), &refusal));
    EXPECT_EQ(refusal, WavRefusal::tableFull);
    EXPECT_EQ(refusalOf(pcm(1, {1, 2, 3})), WavRefusal::tableFull);
    EXPECT_EQ(bank->waveCount(), ToneBank::waveCapacity);
}

} // namespace
