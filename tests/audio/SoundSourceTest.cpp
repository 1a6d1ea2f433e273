#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "audio/OfflineWaveOut.h"
#include "audio/SoundDevice.h"
#include "audio/SoundSource.h"

namespace {

using namespace std::chrono_literals;

constexpr std::uint32_t busy = 0x80000008u;
constexpr std::uint32_t noMemory = 0x80000004u;
constexpr std::uint32_t badWave = 0x80000006u;

// A plain source, as the base class plays it, with a device that renders only when told.
struct Rig {
    Rig(int bits, int rate, int channels, int sourceChannels)
    {
        EXPECT_TRUE(device.open(bits, rate, channels));
        EXPECT_TRUE(source.connect(device, sourceChannels));
    }

    // The bytes of the next buffer the device refills.
    std::vector<std::uint8_t> nextBuffer()
    {
        const std::size_t before = waveOut.writeCount();
        EXPECT_TRUE(waveOut.playNextAndWait(device));
        return waveOut.writtenBytes(before);
    }

    OfflineWaveOut waveOut;
    SoundDevice device{waveOut};
    SoundSource source;
};

void put16(std::vector<std::uint8_t>& bytes, int value)
{
    bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void put32(std::vector<std::uint8_t>& bytes, std::uint32_t value)
{
    put16(bytes, static_cast<int>(value & 0xFFFF));
    put16(bytes, static_cast<int>(value >> 16));
}

void putChunk(std::vector<std::uint8_t>& bytes, const char* id, std::uint32_t size,
              const std::vector<std::uint8_t>& body)
{
    bytes.insert(bytes.end(), id, id + 4);
    put32(bytes, size);
    bytes.insert(bytes.end(), body.begin(), body.end());
}

std::vector<std::uint8_t> formatBody(int tag, int channels, std::uint32_t rate, std::uint32_t byteRate, int align,
                                     int bits)
{
    std::vector<std::uint8_t> body;
    put16(body, tag);
    put16(body, channels);
    put32(body, rate);
    put32(body, byteRate);
    put16(body, align);
    put16(body, bits);
    return body;
}

std::vector<std::uint8_t> riff(const std::vector<std::uint8_t>& chunks)
{
    std::vector<std::uint8_t> bytes = {'R', 'I', 'F', 'F'};
    put32(bytes, static_cast<std::uint32_t>(chunks.size() + 4));
    bytes.insert(bytes.end(), {'W', 'A', 'V', 'E'});
    bytes.insert(bytes.end(), chunks.begin(), chunks.end());
    return bytes;
}

// A file name of this process alone: test programs of several builds may run at once.
std::string scratchPath(const std::string& name)
{
    return testing::TempDir() + "sound_source_" + std::to_string(getpid()) + "_" + name;
}

// A file written for one test and removed when it is over.
struct ScratchFile {
    ScratchFile(const std::string& name, const std::vector<std::uint8_t>& bytes) : path(scratchPath(name))
    {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    ~ScratchFile() { std::remove(path.c_str()); }
    std::string path;
};

// Six frames of 16-bit mono samples.
const std::vector<std::uint8_t> sixFrames = {0x01, 0x00, 0xFF, 0xFF, 0x00, 0x80, 0xFF, 0x7F, 0x34, 0x12, 0x00, 0x00};

TEST(SoundSourceBuffer, AllocateGivesSilenceOfTheSourceFormat)
{
    Rig eightBit(8, 11025, 1, 0);
    ASSERT_TRUE(eightBit.source.allocate(100));
    EXPECT_EQ(eightBit.source.length(), 100);
    EXPECT_EQ(eightBit.source.buffer, std::vector<std::uint8_t>(100, 128));

    Rig wide(16, 44100, 2, 0);
    EXPECT_EQ(wide.source.length(), 0);
    ASSERT_TRUE(wide.source.allocate(100));
    EXPECT_EQ(wide.source.length(), 100);
    EXPECT_EQ(wide.source.buffer, std::vector<std::uint8_t>(400, 0));

    EXPECT_FALSE(wide.source.allocate(-1));
    EXPECT_EQ(wide.source.status, noMemory);
    EXPECT_EQ(wide.source.length(), 0);
}

TEST(SoundSourceBuffer, OperationsWhilePlayingFailBusyAndChangeNothing)
{
    Rig rig(16, 44100, 2, 1);
    SoundSource& source = rig.source;
    ASSERT_TRUE(source.allocate(10));
    ASSERT_TRUE(source.play(0));
    ASSERT_TRUE(source.playing.load());

    EXPECT_FALSE(source.play(1));
    EXPECT_EQ(source.status, busy);
    source.status = 0;
    EXPECT_FALSE(source.resume(1));
    EXPECT_EQ(source.status, busy);
    source.status = 0;
    EXPECT_FALSE(source.allocate(20));
    EXPECT_EQ(source.status, busy);
    source.status = 0;
    EXPECT_FALSE(source.loadWave("/nonexistent.wav"));
    EXPECT_EQ(source.status, busy);
    EXPECT_EQ(source.loop.load(), 0);
    EXPECT_EQ(source.length(), 10);
    EXPECT_EQ(source.buffer.size(), 20u);
    EXPECT_TRUE(source.playing.load());
}

// No buffer has been played yet, so no render thread would ever answer a stop request.
TEST(SoundSourceBuffer, StopReturnsWithoutARenderThreadToAnswer)
{
    Rig rig(16, 44100, 2, 0);
    ASSERT_TRUE(rig.source.allocate(10));
    ASSERT_TRUE(rig.source.play(1));
    rig.source.stop();
    EXPECT_FALSE(rig.source.playing.load());
    EXPECT_TRUE(rig.source.stopRequest.load());

    SoundSource unconnected;
    ASSERT_TRUE(unconnected.allocate(10));
    ASSERT_TRUE(unconnected.play(0));
    unconnected.stop();
    EXPECT_FALSE(unconnected.playing.load());

    // Once stopped it plays again from the start.
    ASSERT_TRUE(rig.source.play(0));
    EXPECT_TRUE(rig.source.playing.load());
    EXPECT_FALSE(rig.source.stopRequest.load());
}

// 100 frames of an 8-bit, 1-channel source: frame i holds the byte 10 + i.
void fillRamp(SoundSource& source)
{
    ASSERT_TRUE(source.allocate(100));
    for (int i = 0; i < 100; ++i)
        source.buffer[i] = static_cast<std::uint8_t>(10 + i);
}

TEST(SoundSourcePlayback, ABufferPlaysOnceThenTheSourceFallsSilent)
{
    Rig rig(8, 11025, 1, 0);
    fillRamp(rig.source);
    ASSERT_TRUE(rig.source.play(0));
    const std::vector<std::uint8_t> first = rig.nextBuffer();
    ASSERT_EQ(first.size(), 704u);
    for (int i = 0; i < 704; ++i)
        ASSERT_EQ(first[i], i < 100 ? 10 + i : 128) << "frame " << i;
    EXPECT_EQ(rig.nextBuffer(), std::vector<std::uint8_t>(704, 128));
    rig.device.close();
    EXPECT_FALSE(rig.source.playing.load());
}

// A looping buffer plays up to its end within a block, and starts again with the next
// block: with blocks of 44 frames and 100 frames of sound, every third block ends in 32
// frames of silence.
TEST(SoundSourcePlayback, ALoopRestartsAtTheNextBlock)
{
    Rig rig(8, 11025, 1, 0);
    fillRamp(rig.source);
    ASSERT_TRUE(rig.source.play(1));
    const std::vector<std::uint8_t> bytes = rig.nextBuffer();
    ASSERT_EQ(bytes.size(), 704u);
    for (int i = 0; i < 704; ++i) {
        const int inCycle = i % 132;
        ASSERT_EQ(bytes[i], inCycle < 100 ? 10 + inCycle : 128) << "frame " << i;
    }
    rig.source.stop();
    EXPECT_EQ(rig.nextBuffer(), std::vector<std::uint8_t>(704, 128));
}

TEST(SoundSourcePlayback, AOneChannelSourceIsSplitByPanOnTwoChannels)
{
    Rig rig(16, 11025, 2, 1);
    const std::vector<std::int16_t> samples = {3, -3, 1000, -32768, 32767, 1};
    ASSERT_TRUE(rig.source.allocate(static_cast<std::int32_t>(samples.size())));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        rig.source.buffer[2 * i] = static_cast<std::uint8_t>(samples[i] & 0xFF);
        rig.source.buffer[2 * i + 1] = static_cast<std::uint8_t>((samples[i] >> 8) & 0xFF);
    }
    ASSERT_TRUE(rig.source.play(0));
    const std::vector<std::uint8_t> bytes = rig.nextBuffer();
    ASSERT_EQ(bytes.size(), 2816u);
    // Pan 64: the right side gets (v * 64) >> 7 rounded down, the left the rest.
    const std::vector<std::int16_t> expected = {2, 1, -1, -2, 500, 500, -16384, -16384, 16384, 16383, 1, 0};
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(static_cast<std::int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8)), expected[i]) << "value " << i;
    EXPECT_TRUE(std::all_of(bytes.begin() + 24, bytes.end(), [](std::uint8_t b) { return b == 0; }));
}

TEST(SoundSourcePlayback, ATwoChannelSourceKeepsItsChannels)
{
    Rig rig(16, 11025, 2, 2);
    ASSERT_TRUE(rig.source.allocate(3));
    rig.source.buffer = sixFrames;
    ASSERT_TRUE(rig.source.play(0));
    const std::vector<std::uint8_t> bytes = rig.nextBuffer();
    EXPECT_TRUE(std::equal(sixFrames.begin(), sixFrames.end(), bytes.begin()));
    EXPECT_TRUE(std::all_of(bytes.begin() + 12, bytes.end(), [](std::uint8_t b) { return b == 0; }));
}

TEST(SoundSourceWave, LoadsAPcmFileOfItsOwnFormat)
{
    std::vector<std::uint8_t> chunks;
    // A chunk of odd size before the format: skipped by exactly its size.
    putChunk(chunks, "LIST", 3, {'a', 'b', 'c'});
    // An 18-byte format chunk: the two bytes after the first sixteen are skipped.
    std::vector<std::uint8_t> format = formatBody(1, 1, 44100, 88200, 2, 16);
    format.insert(format.end(), {0, 0});
    putChunk(chunks, "fmt ", 18, format);
    putChunk(chunks, "fact", 4, {1, 2, 3, 4});
    putChunk(chunks, "data", 12, sixFrames);
    const ScratchFile file("good.wav", riff(chunks));
    const std::string& path = file.path;

    Rig rig(16, 44100, 2, 1);
    ASSERT_TRUE(rig.source.loadWave(path.c_str()));
    EXPECT_EQ(rig.source.status, 0u);
    EXPECT_EQ(rig.source.length(), 6);
    EXPECT_EQ(rig.source.buffer, sixFrames);
    EXPECT_EQ(rig.source.playPosition, 0);
    EXPECT_FALSE(rig.source.waveFile.isOpen());
}

TEST(SoundSourceWave, LoadsAFileMadeBySox)
{
    const ScratchFile made("sox.wav", {});
    const std::string& path = made.path;
    const std::string command = "sox -n -r 44100 -b 16 -c 1 " + path + " synth 0.01 sine 440 2>/dev/null";
    if (std::system(command.c_str()) != 0)
        GTEST_SKIP() << "sox is not installed";
    std::ifstream file(path, std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 44u);

    Rig rig(16, 44100, 1, 0);
    ASSERT_TRUE(rig.source.loadWave(path.c_str()));
    // 0.01 s at 44100 Hz.
    EXPECT_EQ(rig.source.length(), 441);
    EXPECT_TRUE(std::equal(rig.source.buffer.begin(), rig.source.buffer.end(), bytes.end() - 882));

    Rig otherRate(16, 22050, 1, 0);
    EXPECT_FALSE(otherRate.source.loadWave(path.c_str()));
    EXPECT_EQ(otherRate.source.status, badWave);
}

TEST(SoundSourceWave, RefusesWhatIsNotAPcmFileOfItsFormat)
{
    const auto file = [](int tag, int channels, std::uint32_t rate, std::uint32_t byteRate, int align,
                         std::uint32_t dataSize) {
        std::vector<std::uint8_t> chunks;
        putChunk(chunks, "fmt ", 16, formatBody(tag, channels, rate, byteRate, align, 16));
        putChunk(chunks, "data", dataSize, sixFrames);
        return riff(chunks);
    };
    std::vector<std::uint8_t> noData;
    putChunk(noData, "fmt ", 16, formatBody(1, 1, 44100, 88200, 2, 16));
    std::vector<std::uint8_t> shortFormat;
    const std::vector<std::uint8_t> fullFormat = formatBody(1, 1, 44100, 88200, 2, 16);
    putChunk(shortFormat, "fmt ", 12, std::vector<std::uint8_t>(fullFormat.begin(), fullFormat.begin() + 12));
    putChunk(shortFormat, "data", 12, sixFrames);
    std::vector<std::uint8_t> notWave = riff(noData);
    notWave[8] = 'X';

    const struct {
        const char* name;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {"other_rate.wav", file(1, 1, 22050, 44100, 2, 12)},
        {"two_channels.wav", file(1, 2, 44100, 176400, 4, 12)},
        {"float.wav", file(3, 1, 44100, 88200, 2, 12)},
        {"byte_rate.wav", file(1, 1, 44100, 44100, 2, 12)},
        {"align.wav", file(1, 1, 44100, 88200, 1, 12)},
        {"truncated.wav", file(1, 1, 44100, 88200, 2, 100)},
        {"no_data.wav", riff(noData)},
        {"short_format.wav", riff(shortFormat)},
        {"not_wave.wav", notWave},
        {"empty.wav", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig(16, 44100, 2, 1);
        const ScratchFile file(c.name, c.bytes);
        EXPECT_FALSE(rig.source.loadWave(file.path.c_str()));
        EXPECT_EQ(rig.source.status, badWave);
        EXPECT_EQ(rig.source.length(), 0);
        EXPECT_FALSE(rig.source.waveFile.isOpen());
    }
    Rig rig(16, 44100, 2, 1);
    EXPECT_FALSE(rig.source.loadWave(scratchPath("missing.wav").c_str()));
    EXPECT_EQ(rig.source.status, badWave);
}

} // namespace
