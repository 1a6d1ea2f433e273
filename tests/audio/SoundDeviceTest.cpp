#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <mutex>
#include <vector>

#include "audio/OfflineWaveOut.h"
#include "audio/SoundDevice.h"
#include "tests/audio/PatternSource.h"

namespace {

using namespace std::chrono_literals;

constexpr std::uint32_t unsupported = 0x80000001u;
constexpr std::uint32_t waveOutFailed = 0x80000003u;

// The bytes a device writes for frames first..first+count-1 when the pattern sources with
// these offsets sound together: summed, then clipped to the output width.
std::vector<std::uint8_t> patternBytes(std::initializer_list<std::int32_t> offsets, std::int64_t first,
                                       std::int64_t count, int bits, int channels)
{
    std::vector<std::uint8_t> bytes;
    for (std::int64_t k = first; k < first + count; ++k) {
        for (int c = 0; c < channels; ++c) {
            std::int64_t sum = 0;
            for (std::int32_t offset : offsets)
                sum += PatternSource::value(offset, k, c);
            if (bits == 8) {
                bytes.push_back(static_cast<std::uint8_t>(std::clamp<std::int64_t>(sum + 128, 0, 255)));
            } else {
                const auto sample = static_cast<std::uint16_t>(std::clamp<std::int64_t>(sum, -32768, 32767));
                bytes.push_back(static_cast<std::uint8_t>(sample & 0xFF));
                bytes.push_back(static_cast<std::uint8_t>(sample >> 8));
            }
        }
    }
    return bytes;
}

// Lets the output play `count` buffers, one at a time, each refilled before the next.
void playBuffers(OfflineWaveOut& waveOut, SoundDevice& device, int count)
{
    for (int i = 0; i < count; ++i)
        ASSERT_TRUE(waveOut.playNextAndWait(device)) << "buffer " << i << " was not refilled";
}

void expectClosed(const SoundDevice& device)
{
    EXPECT_FALSE(device.isOpen());
    EXPECT_EQ(device.sampleRate(), 11025);
    EXPECT_EQ(device.bitsPerSample(), 8);
    EXPECT_EQ(device.channelCount(), 1);
    EXPECT_EQ(device.blockFrames(), 0);
    EXPECT_EQ(device.firstSource(), nullptr);
}

struct Geometry {
    int bits, rate, channels;
    int blockFrames, bufferBytes, blockAlign, bytesPerSecond;
};

TEST(SoundDeviceGeometry, EveryRateWidthAndChannelCount)
{
    const Geometry cases[] = {
        {16, 44100, 2, 176, 11264, 4, 176400},
        {16, 44100, 1, 176, 5632, 2, 88200},
        {8, 44100, 2, 176, 5632, 2, 88200},
        {8, 44100, 1, 176, 2816, 1, 44100},
        {16, 22050, 2, 88, 5632, 4, 88200},
        {8, 22050, 1, 88, 1408, 1, 22050},
        {16, 11025, 2, 44, 2816, 4, 44100},
        {8, 11025, 1, 44, 704, 1, 11025},
        // Any width but 8 is 16 bits, in the output format as well as in the conversion.
        {24, 11025, 2, 44, 2816, 4, 44100},
    };
    for (const Geometry& g : cases) {
        SCOPED_TRACE(testing::Message() << g.bits << " bits, " << g.rate << " Hz, " << g.channels << " channels");
        OfflineWaveOut waveOut;
        SoundDevice device(waveOut);
        ASSERT_TRUE(device.open(g.bits, g.rate, g.channels));
        EXPECT_EQ(device.status, 0u);
        EXPECT_EQ(device.blockFrames(), g.blockFrames);
        EXPECT_EQ(device.bufferBytes(), g.bufferBytes);
        EXPECT_EQ(device.bitsPerSample(), g.bits == 8 ? 8 : 16);
        const WaveFormat format = waveOut.format();
        EXPECT_EQ(format.formatTag, 1);
        EXPECT_EQ(format.channels, g.channels);
        EXPECT_EQ(format.samplesPerSec, static_cast<std::uint32_t>(g.rate));
        EXPECT_EQ(format.blockAlign, g.blockAlign);
        EXPECT_EQ(format.avgBytesPerSec, static_cast<std::uint32_t>(g.bytesPerSecond));
        EXPECT_EQ(format.bitsPerSample, g.bits == 8 ? 8 : 16);

        // Eight silent buffers are queued and output runs.
        EXPECT_EQ(waveOut.writeCount(), 8u);
        EXPECT_EQ(waveOut.queuedCount(), 8u);
        EXPECT_FALSE(waveOut.isPaused());
        const std::vector<std::uint8_t> silence(8u * g.bufferBytes, g.bits == 8 ? 128 : 0);
        EXPECT_EQ(waveOut.writtenBytes(), silence);
    }
}

// An output that played the silent buffers as soon as they were written would finish
// them before the render thread may refill them, and the ring would never turn.
TEST(SoundDeviceGeometry, TheSilentBuffersAreQueuedWhileTheOutputIsPaused)
{
    OfflineWaveOut waveOut;
    SoundDevice device(waveOut);
    waveOut.playOnWrite(8);
    ASSERT_TRUE(device.open(16, 44100, 2));
    EXPECT_EQ(waveOut.queuedCount(), 8u);
    EXPECT_FALSE(waveOut.isPaused());
    waveOut.playOnWrite(0);
    ASSERT_TRUE(waveOut.playNextAndWait(device));
    EXPECT_EQ(waveOut.writeCount(), 9u);
}

TEST(SoundDeviceStatus, UnsupportedFormatsAreRefusedBeforeTheOutputIsTouched)
{
    OfflineWaveOut waveOut;
    SoundDevice device(waveOut);
    ASSERT_TRUE(device.open(16, 22050, 2));

    EXPECT_FALSE(device.open(16, 48000, 2));
    EXPECT_EQ(device.status, unsupported);
    expectClosed(device);
    EXPECT_FALSE(waveOut.isOpen());

    // Three channels would not fit the mix buffer.
    EXPECT_FALSE(device.open(16, 44100, 3));
    EXPECT_EQ(device.status, unsupported);
    EXPECT_FALSE(device.open(8, 11025, 0));
    EXPECT_EQ(device.status, unsupported);
    expectClosed(device);
    EXPECT_EQ(waveOut.writeCount(), 8u) << "only the first open wrote buffers";
}

TEST(SoundDeviceStatus, AFailingOutputLeavesTheDeviceClosedAndTheOutputReleased)
{
    for (auto operation :
         {OfflineWaveOut::Operation::open, OfflineWaveOut::Operation::prepare, OfflineWaveOut::Operation::write}) {
        SCOPED_TRACE(static_cast<int>(operation));
        OfflineWaveOut waveOut;
        SoundDevice device(waveOut);
        waveOut.failNext(operation);
        EXPECT_FALSE(device.open(16, 44100, 2));
        EXPECT_EQ(device.status, waveOutFailed);
        expectClosed(device);
        EXPECT_FALSE(waveOut.isOpen());
        EXPECT_EQ(waveOut.queuedCount(), 0u);

        // Nothing is left behind that would stop the next attempt.
        EXPECT_TRUE(device.open(16, 44100, 2));
        EXPECT_EQ(device.status, 0u);
        EXPECT_EQ(waveOut.queuedCount(), 8u);
    }
}

TEST(SoundDeviceStatus, CloseRestoresTheClosedValuesAndIsSafeWhenClosed)
{
    OfflineWaveOut waveOut;
    SoundDevice device(waveOut);
    device.status = 0x12345678u;
    device.close();
    EXPECT_EQ(device.status, 0u);
    expectClosed(device);

    ASSERT_TRUE(device.open(16, 44100, 2));
    device.close();
    expectClosed(device);
    EXPECT_FALSE(waveOut.isOpen());
    device.close();
    expectClosed(device);
}

TEST(SoundDeviceRendering, RefilledBuffersHoldTheSourceBlocksInOrder)
{
    OfflineWaveOut waveOut;
    SoundDevice device(waveOut);
    ASSERT_TRUE(device.open(16, 44100, 2));
    PatternSource source(100);
    ASSERT_TRUE(source.connect(device, 0));
    playBuffers(waveOut, device, 3);
    device.close();

    EXPECT_EQ(waveOut.writeCount(), 11u);
    EXPECT_EQ(waveOut.writtenBytes(8), patternBytes({100}, 0, 3 * 2816, 16, 2));
    EXPECT_EQ(source.blocks, 48);
}

TEST(SoundDeviceRendering, SourcesAreSummedBeforeTheSumIsClipped)
{
    OfflineWaveOut waveOut;
    SoundDevice device(waveOut);
    ASSERT_TRUE(device.open(16, 22050, 2));
    PatternSource quiet(100);
    PatternSource other(1000);
    ASSERT_TRUE(quiet.connect(device, 2));
    ASSERT_TRUE(other.connect(device, 2));
    playBuffers(waveOut, device, 1);
    PatternSource loud(20000);
    PatternSource louder(20000);
    quiet.device->removeSource(&quiet);
    other.device->removeSource(&other);
    ASSERT_TRUE(loud.connect(device, 2));
    ASSERT_TRUE(louder.connect(device, 2));
    playBuffers(waveOut, device, 1);
    device.close();

    // 1100 + 2k on the left, its negative on the right.
    EXPECT_EQ(waveOut.writtenBytes(8).size(), 2u * 5632);
    std::vector<std::uint8_t> expected = patternBytes({100, 1000}, 0, 1408, 16, 2);
    // 40000 + 2k clips to 32767 on the left and -32768 on the right.
    const std::vector<std::uint8_t> clipped = patternBytes({20000, 20000}, 0, 1408, 16, 2);
    for (std::size_t i = 0; i < clipped.size(); i += 4)
        ASSERT_TRUE(clipped[i] == 0xFF && clipped[i + 1] == 0x7F && clipped[i + 2] == 0x00 && clipped[i + 3] == 0x80);
    expected.insert(expected.end(), clipped.begin(), clipped.end());
    EXPECT_EQ(waveOut.writtenBytes(8), expected);
}

TEST(SoundDeviceRendering, EightBitOutputIsOffsetAndClipped)
{
    OfflineWaveOut waveOut;
    SoundDevice device(waveOut);
    ASSERT_TRUE(device.open(8, 11025, 1));
    PatternSource source(-200);
    ASSERT_TRUE(source.connect(device, 0));
    playBuffers(waveOut, device, 2);
    device.close();

    // Frame k gives k - 200 + 128: 0 up to k = 72, then k - 72, reaching 255 at k = 327.
    const std::vector<std::uint8_t> bytes = waveOut.writtenBytes(8);
    ASSERT_EQ(bytes.size(), 2u * 704);
    EXPECT_EQ(bytes[0], 0);
    EXPECT_EQ(bytes[72], 0);
    EXPECT_EQ(bytes[73], 1);
    EXPECT_EQ(bytes[326], 254);
    EXPECT_EQ(bytes[327], 255);
    EXPECT_EQ(bytes[1407], 255);
    EXPECT_EQ(bytes, patternBytes({-200}, 0, 1408, 8, 1));
}

// Twelve refills in one wake-up are rendered; from the thirteenth on the thread queues
// silence to catch up with an output that plays faster than it renders.
TEST(SoundDeviceRendering, FallingBehindQueuesSilenceAfterTwelveRefills)
{
    OfflineWaveOut waveOut;
    SoundDevice device(waveOut);
    ASSERT_TRUE(device.open(16, 11025, 2));
    PatternSource source(1);
    ASSERT_TRUE(source.connect(device, 0));

    // Every buffer written from now until the twentieth is played at once. Holding the
    // render lock keeps the render thread from starting before all eight are played, so
    // all refills below happen in one wake-up: buffers 0..19 come back at once, the ring
    // is refilled 28 times and stops at the first buffer still queued.
    waveOut.playOnWrite(20);
    {
        std::lock_guard lock(device.renderLock());
        for (int i = 0; i < 8; ++i)
            ASSERT_TRUE(waveOut.playNext());
    }
    ASSERT_TRUE(waveOut.waitForWrites(36, 5s));
    device.close();

    EXPECT_EQ(waveOut.writeCount(), 36u);
    const std::vector<std::uint8_t> bytes = waveOut.writtenBytes(8);
    ASSERT_EQ(bytes.size(), 28u * 2816);
    const std::vector<std::uint8_t> rendered(bytes.begin(), bytes.begin() + 12 * 2816);
    EXPECT_EQ(rendered, patternBytes({1}, 0, 12 * 704, 16, 2));
    EXPECT_TRUE(std::all_of(bytes.begin() + 12 * 2816, bytes.end(), [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(source.blocks, 12 * 16);
}

// Offline rendering plays up to twelve buffers at a time: the queued ring, then the first
// refills as they are written. One wake-up refills them all, and none of them may come
// out as catch-up silence.
TEST(SoundDeviceRendering, PlayingTwelveAtATimeGivesTheBytesOfOneAtATime)
{
    OfflineWaveOut waveOut;
    SoundDevice device(waveOut);
    ASSERT_TRUE(device.open(16, 11025, 2));
    PatternSource source(3);
    ASSERT_TRUE(source.connect(device, 0));
    EXPECT_FALSE(waveOut.playAndWait(device, 13));
    std::size_t played = 0;
    for (std::size_t count : {12u, 12u, 5u, 12u, 1u, 8u, 12u}) {
        ASSERT_TRUE(waveOut.playAndWait(device, count)) << "after " << played;
        played += count;
    }
    // More than a ring needs the whole ring queued. While the test holds the render
    // lock, the buffer played here cannot come back.
    {
        std::lock_guard lock(device.renderLock());
        ASSERT_TRUE(waveOut.playNext());
        EXPECT_FALSE(waveOut.playAndWait(device, 9));
    }
    ++played;
    ASSERT_TRUE(waveOut.waitForWrites(8 + played, 5s));
    device.close();

    EXPECT_EQ(waveOut.writtenBytes(8), patternBytes({3}, 0, static_cast<std::int64_t>(played) * 704, 16, 2));
}

// An output that refuses a refilled buffer once must not lose it: it is written again,
// in ring order, and the ring keeps all eight buffers.
TEST(SoundDeviceRendering, ARefusedWriteIsRetriedAndTheRingKeepsEveryBuffer)
{
    OfflineWaveOut waveOut;
    SoundDevice device(waveOut);
    ASSERT_TRUE(device.open(16, 44100, 1));
    PatternSource source(7);
    ASSERT_TRUE(source.connect(device, 0));
    waveOut.failNext(OfflineWaveOut::Operation::write);
    playBuffers(waveOut, device, 20);
    device.close();

    EXPECT_EQ(waveOut.writeCount(), 28u);
    const std::vector<std::uint8_t> bytes = waveOut.writtenBytes(8);
    const std::vector<std::uint8_t> expected = patternBytes({7}, 0, 20 * 2816, 16, 1);
    ASSERT_EQ(bytes.size(), expected.size());
    const auto difference = std::mismatch(bytes.begin(), bytes.end(), expected.begin());
    EXPECT_TRUE(difference.first == bytes.end())
        << "first difference at byte " << (difference.first - bytes.begin()) << ": " << int(*difference.first) << " "
        << int(*difference.second) << " " << int(difference.first[1]) << " " << int(difference.second[1]);
}

TEST(SoundDeviceSources, AddSourceChecksChannelsAndMembership)
{
    OfflineWaveOut waveOut;
    SoundDevice device(waveOut);
    ASSERT_TRUE(device.open(16, 22050, 2));
    PatternSource mono(0), stereo(0), byDefault(0);

    EXPECT_TRUE(device.addSource(&mono, 1));
    EXPECT_EQ(mono.channels, 1);
    EXPECT_EQ(mono.pan, 64);
    EXPECT_EQ(mono.sampleRate, 22050);
    EXPECT_EQ(mono.bitsPerSample, 16);
    EXPECT_FALSE(device.addSource(&mono, 1));
    EXPECT_FALSE(device.addSource(&mono, 2));
    EXPECT_TRUE(device.addSource(&stereo, 2));
    EXPECT_TRUE(device.addSource(&byDefault, 0));
    EXPECT_EQ(byDefault.channels, 2);
    EXPECT_FALSE(device.addSource(nullptr, 0));
    EXPECT_FALSE(device.addSource(&stereo, 3));

    // The list keeps the order of adding.
    EXPECT_EQ(device.firstSource(), &mono);
    EXPECT_EQ(mono.next, &stereo);
    EXPECT_EQ(stereo.next, &byDefault);
    EXPECT_EQ(byDefault.next, nullptr);
    EXPECT_EQ(byDefault.prev, &stereo);
    device.close();

    ASSERT_TRUE(device.open(8, 11025, 1));
    PatternSource tooWide(0);
    EXPECT_FALSE(device.addSource(&tooWide, 2));
    EXPECT_FALSE(tooWide.connect(device, 2));
    EXPECT_EQ(tooWide.status, unsupported);
    EXPECT_EQ(tooWide.device, nullptr);
    EXPECT_TRUE(tooWide.connect(device, 1));
    EXPECT_EQ(tooWide.device, &device);
    EXPECT_EQ(tooWide.bitsPerSample, 8);
    EXPECT_EQ(tooWide.renderRoutine.load(), SoundSource::renderSlot(8, 1));
}

TEST(SoundDeviceSources, RemoveSourceStopsAndUnlinks)
{
    OfflineWaveOut waveOut;
    SoundDevice device(waveOut);
    ASSERT_TRUE(device.open(16, 44100, 2));
    PatternSource a(0), b(0), c(0), stranger(0);
    ASSERT_TRUE(a.connect(device, 0));
    ASSERT_TRUE(b.connect(device, 0));
    ASSERT_TRUE(c.connect(device, 0));
    b.loop = 1;

    device.removeSource(&b);
    EXPECT_EQ(device.firstSource(), &a);
    EXPECT_EQ(a.next, &c);
    EXPECT_EQ(c.prev, &a);
    EXPECT_EQ(b.loop.load(), 0);
    EXPECT_TRUE(b.stopRequest.load());
    EXPECT_EQ(b.device, nullptr);
    EXPECT_EQ(b.prev, nullptr);
    EXPECT_EQ(b.next, nullptr);

    device.removeSource(&a);
    EXPECT_EQ(device.firstSource(), &c);
    EXPECT_EQ(c.prev, nullptr);
    device.removeSource(&stranger);
    device.removeSource(nullptr);
    EXPECT_EQ(device.firstSource(), &c);

    // Reopening disconnects every source; they must connect again.
    ASSERT_TRUE(device.open(16, 44100, 2));
    EXPECT_EQ(device.firstSource(), nullptr);
    EXPECT_EQ(c.device, nullptr);
    EXPECT_TRUE(c.stopRequest.load());
}

TEST(SoundDeviceSources, ARemovedOrDestroyedSourceAddsNothingMore)
{
    OfflineWaveOut waveOut;
    SoundDevice device(waveOut);
    ASSERT_TRUE(device.open(16, 44100, 1));
    PatternSource kept(10);
    ASSERT_TRUE(kept.connect(device, 0));
    {
        PatternSource temporary(5000);
        ASSERT_TRUE(temporary.connect(device, 0));
        playBuffers(waveOut, device, 1);
        EXPECT_EQ(kept.next, &temporary);
    }
    EXPECT_EQ(kept.next, nullptr);
    playBuffers(waveOut, device, 1);
    device.close();

    std::vector<std::uint8_t> expected = patternBytes({10, 5000}, 0, 2816, 16, 1);
    const std::vector<std::uint8_t> second = patternBytes({10}, 2816, 2816, 16, 1);
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(waveOut.writtenBytes(8), expected);
}

// Both lists would share the source's links: adding it to a second device would tie the
// two lists together.
TEST(SoundDeviceSources, ASourceBelongsToOneDeviceAtATime)
{
    OfflineWaveOut firstOut, secondOut;
    SoundDevice first(firstOut), second(secondOut);
    ASSERT_TRUE(first.open(16, 44100, 2));
    ASSERT_TRUE(second.open(16, 44100, 2));
    PatternSource source(0), other(0);
    ASSERT_TRUE(source.connect(first, 0));
    ASSERT_TRUE(other.connect(second, 0));
    EXPECT_FALSE(second.addSource(&source, 0));
    EXPECT_EQ(other.next, nullptr);
    EXPECT_EQ(first.firstSource(), &source);

    first.removeSource(&source);
    EXPECT_TRUE(source.connect(second, 0));
    EXPECT_EQ(other.next, &source);
    EXPECT_EQ(first.firstSource(), nullptr);
}

TEST(SoundDeviceSources, ASourceMayOutliveItsDevice)
{
    OfflineWaveOut waveOut;
    PatternSource source(0);
    {
        SoundDevice device(waveOut);
        ASSERT_TRUE(device.open(16, 44100, 2));
        ASSERT_TRUE(source.connect(device, 0));
    }
    EXPECT_EQ(source.device, nullptr);
}

} // namespace
