#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "audio/OfflineWaveOut.h"
#include "audio/SoundDevice.h"
#include "audio/SoundSource.h"
#include "platform/portaudio/PortAudioWaveOut.h"
#include "tests/support/AlsaConfiguration.h"

namespace {

using namespace std::chrono_literals;

// A file name of this process alone: test programs of several builds may run at once.
std::string scratchPath(const std::string& name)
{
    return testing::TempDir() + "portaudio_" + std::to_string(getpid()) + "_" + name;
}

// Removes a scratch file when the test is over.
struct RemovedAtEnd {
    std::string path;
    ~RemovedAtEnd() { std::remove(path.c_str()); }
};

// The sample bytes of a WAV file the file plugin wrote (its size fields may be unfinished).
std::vector<std::uint8_t> capturedSamples(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    for (std::size_t i = 12; i + 8 <= bytes.size();) {
        const std::uint32_t size = bytes[i + 4] | (bytes[i + 5] << 8) | (bytes[i + 6] << 16) |
                                   (static_cast<std::uint32_t>(bytes[i + 7]) << 24);
        if (std::string(bytes.begin() + static_cast<std::ptrdiff_t>(i),
                        bytes.begin() + static_cast<std::ptrdiff_t>(i) + 4) == "data")
            return std::vector<std::uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(i) + 8, bytes.end());
        i += 8 + size;
    }
    return {};
}

std::int16_t sampleAt(const std::vector<std::uint8_t>& bytes, std::size_t index)
{
    return static_cast<std::int16_t>(bytes[2 * index] | (bytes[2 * index + 1] << 8));
}

// The 16-bit stereo frames that are not silent, and how many silent stretches lie
// between them.
struct SoundingFrames {
    std::vector<std::uint8_t> bytes;
    int gaps = 0;
};

SoundingFrames soundingFrames(const std::vector<std::uint8_t>& captured)
{
    SoundingFrames sounding;
    bool silent = false;
    for (std::size_t frame = 0; 4 * frame + 3 < captured.size(); ++frame) {
        if (sampleAt(captured, 2 * frame) == 0 && sampleAt(captured, 2 * frame + 1) == 0) {
            silent = true;
            continue;
        }
        if (silent && !sounding.bytes.empty())
            ++sounding.gaps;
        silent = false;
        sounding.bytes.insert(sounding.bytes.end(), captured.begin() + static_cast<std::ptrdiff_t>(4 * frame),
                              captured.begin() + static_cast<std::ptrdiff_t>(4 * frame + 4));
    }
    return sounding;
}

// Frame k of a ramp: 1 + k mod 30000 on the left, its negative on the right. Never
// silent and never clipped, so every frame rendered can be found in what was played.
std::int16_t rampValue(std::int64_t k)
{
    return static_cast<std::int16_t>(1 + k % 30000);
}

class RampSource : public SoundSource {
public:
    ~RampSource() override
    {
        if (device != nullptr)
            device->removeSource(this);
    }
    void render16Stereo(std::int32_t* mix, std::int32_t count) override
    {
        for (std::int32_t i = 0; i < count; ++i, ++frames) {
            mix[2 * i] += rampValue(frames);
            mix[2 * i + 1] -= rampValue(frames);
        }
    }
    std::int64_t frames = 0;
};

template <typename Condition> bool waitFor(Condition condition, std::chrono::milliseconds timeout = 10s)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

TEST(PortAudioWaveOut, WithoutAnOutputDeviceOpenFailsQuietly)
{
    // A default device whose card is not there, as on a machine without sound.
    AlsaConfiguration noDevices(scratchPath("alsa_missing.conf"), alsaMissingCard);
    PortAudioWaveOut waveOut;
    SoundDevice device(waveOut);
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    const bool opened = device.open(16, 44100, 2);
    const std::string errors = testing::internal::GetCapturedStderr();
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(opened);
    EXPECT_EQ(device.status, 0x80000003u);
    EXPECT_FALSE(device.isOpen());
    EXPECT_EQ(errors, "");
    EXPECT_EQ(output, "");

    // The caller runs on without sound: a source still connects.
    RampSource source;
    EXPECT_TRUE(source.connect(device, 0));
}

// What the device rendered offline, played through the card's WaveOut, comes out of the
// card unchanged and in order, each buffer reported done once; a pause holds playback
// where it is, inside a buffer, and playing on loses and repeats nothing. The file card
// plays ten seconds in some tens of milliseconds, so with buffers of ten seconds (157 of
// the device's) the pause lands inside one.
TEST(PortAudioWaveOut, PlaysTheOfflineRenderUnchangedThroughAPause)
{
    constexpr int bufferCount = 4;
    constexpr std::uint32_t bufferBytes = 157 * 11264;
    OfflineWaveOut offline;
    {
        SoundDevice device(offline);
        ASSERT_TRUE(device.open(16, 44100, 2));
        RampSource source;
        ASSERT_TRUE(source.connect(device, 0));
        for (int i = 0; i < bufferCount * 157; ++i)
            ASSERT_TRUE(offline.playNextAndWait(device));
    }
    std::vector<std::uint8_t> rendered = offline.writtenBytes(8);
    ASSERT_EQ(rendered.size(), bufferCount * bufferBytes);

    const std::string capture = scratchPath("capture_offline.wav");
    const RemovedAtEnd captureFile{capture};
    AlsaConfiguration fileCard(scratchPath("alsa_file.conf"), alsaFileDevice(capture));
    std::atomic<int> doneCount{0};
    const auto countDone = [](void* context, WaveHeader&) { static_cast<std::atomic<int>*>(context)->fetch_add(1); };
    PortAudioWaveOut card;
    ASSERT_TRUE(card.open(WaveFormat::pcmFormat(16, 44100, 2), countDone, &doneCount));
    EXPECT_GT(card.outputLatency(), 0.0);
    RecordProperty("outputLatencySeconds", std::to_string(card.outputLatency()));
    ASSERT_TRUE(card.pause());
    std::vector<WaveHeader> headers(bufferCount);
    for (int i = 0; i < bufferCount; ++i) {
        headers[i].data = rendered.data() + i * bufferBytes;
        headers[i].bufferLength = bufferBytes;
        ASSERT_TRUE(card.prepare(headers[i]));
        ASSERT_TRUE(card.write(headers[i]));
    }
    EXPECT_FALSE(card.close()) << "buffers are still queued";
    EXPECT_FALSE(card.unprepare(headers[0])) << "the buffer is still queued";
    std::this_thread::sleep_for(10ms);
    EXPECT_EQ(doneCount.load(), 0) << "a paused output plays nothing";

    ASSERT_TRUE(card.restart());
    ASSERT_TRUE(waitFor([&] { return doneCount.load() >= 1; }));
    ASSERT_TRUE(card.pause());
    const int doneAtPause = doneCount.load();
    RecordProperty("buffersDoneAtPause", std::to_string(doneAtPause));
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(doneCount.load(), doneAtPause) << "a buffer completed while paused";
    ASSERT_TRUE(card.restart());
    ASSERT_TRUE(waitFor([&] { return doneCount.load() == bufferCount; }));
    for (WaveHeader& header : headers)
        EXPECT_EQ(header.flags.load() & (WaveHeader::done | WaveHeader::inQueue), WaveHeader::done);
    ASSERT_TRUE(card.reset());
    for (WaveHeader& header : headers)
        ASSERT_TRUE(card.unprepare(header));
    ASSERT_TRUE(card.close());
    EXPECT_EQ(doneCount.load(), bufferCount);

    // The card plays silence while paused, and before and after the buffers.
    const SoundingFrames played = soundingFrames(capturedSamples(capture));
    EXPECT_LE(played.gaps, 1);
    ASSERT_EQ(played.bytes.size(), rendered.size());
    const auto difference = std::mismatch(rendered.begin(), rendered.end(), played.bytes.begin());
    EXPECT_TRUE(difference.first == rendered.end())
        << "first difference at frame " << (difference.first - rendered.begin()) / 4;
}

// The whole live path: the device's render thread refills the ring as the card plays it.
// The card here runs far faster than real time, so the render thread may fall behind and
// queue silence; but what it rendered must reach the card, in order, nothing lost or doubled.
TEST(PortAudioWaveOut, TheSoundDevicePlaysLiveThroughTheCard)
{
    const std::string capture = scratchPath("capture_live.wav");
    const RemovedAtEnd captureFile{capture};
    AlsaConfiguration fileCard(scratchPath("alsa_file.conf"), alsaFileDevice(capture));
    PortAudioWaveOut card;
    SoundDevice device(card);
    ASSERT_TRUE(device.open(16, 44100, 2));
    RampSource source;
    ASSERT_TRUE(source.connect(device, 0));
    const auto renderedFrames = [&] {
        std::lock_guard lock(device.renderLock());
        return source.frames;
    };
    ASSERT_TRUE(waitFor([&] { return renderedFrames() >= 40 * 2816; }));
    device.close();
    const std::int64_t rendered = source.frames;

    const SoundingFrames played = soundingFrames(capturedSamples(capture));
    const auto frames = static_cast<std::int64_t>(played.bytes.size() / 4);
    for (std::int64_t k = 0; k < frames; ++k) {
        ASSERT_EQ(sampleAt(played.bytes, 2 * k), rampValue(k)) << "sounding frame " << k;
        ASSERT_EQ(sampleAt(played.bytes, 2 * k + 1), -rampValue(k)) << "sounding frame " << k;
    }
    // At most the eight buffers of the ring were rendered but not yet played at close.
    EXPECT_LE(frames, rendered);
    EXPECT_GE(frames, rendered - 8 * 2816);
}

} // namespace
