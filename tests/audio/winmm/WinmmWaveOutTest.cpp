#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "audio/SoundDevice.h"
#include "platform/winmm/WinmmWaveOut.h"

namespace {

using namespace std::chrono_literals;

// What the done callback heard, in order, and a wait for it.
class DoneLog {
public:
    static void callback(void* context, WaveHeader& header)
    {
        auto& log = *static_cast<DoneLog*>(context);
        {
            std::lock_guard lock(log.mutex_);
            log.headers_.push_back(&header);
            log.doneWhenCalled_.push_back(header.isDone());
        }
        log.changed_.notify_all();
    }

    bool waitFor(std::size_t count, std::chrono::milliseconds timeout)
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] { return headers_.size() >= count; });
    }
    std::vector<WaveHeader*> headers()
    {
        std::lock_guard lock(mutex_);
        return headers_;
    }
    std::vector<bool> doneWhenCalled()
    {
        std::lock_guard lock(mutex_);
        return doneWhenCalled_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<WaveHeader*> headers_;
    std::vector<bool> doneWhenCalled_;
};

const WaveFormat cdFormat = WaveFormat::pcmFormat(16, 44100, 2);

// Buffers of `milliseconds` of quiet noise each.
struct Buffers {
    Buffers(std::size_t count, int milliseconds)
        : bytes(count, std::vector<std::uint8_t>(cdFormat.avgBytesPerSec * milliseconds / 1000, 0)), headers(count)
    {
        for (std::size_t i = 0; i < count; ++i) {
            for (std::size_t b = 0; b < bytes[i].size(); b += 2)
                bytes[i][b] = static_cast<std::uint8_t>(b * 7 + i);
            headers[i].data = bytes[i].data();
            headers[i].bufferLength = static_cast<std::uint32_t>(bytes[i].size());
        }
    }
    std::vector<std::vector<std::uint8_t>> bytes;
    std::vector<WaveHeader> headers;
};

bool haveOutputDevice()
{
    return waveOutGetNumDevs() > 0;
}

// Where the default device's sound goes as a WAV file, when the test run points it at
// one (Wine's sound driver over ALSA's file plugin); empty otherwise.
std::string capturePath()
{
    const char* path = std::getenv("ZBK_WAVE_OUT_CAPTURE");
    return path != nullptr ? path : "";
}

// The sample bytes of the captured WAV file once `count` of them have arrived (the
// file plugin writes as the sound plays, and finishes its header only at the end).
std::vector<std::uint8_t> capturedSamples(const std::string& path, std::size_t count)
{
    constexpr std::size_t headerSize = 44;
    std::vector<std::uint8_t> bytes;
    for (int attempt = 0; attempt < 100 && bytes.size() < headerSize + count; ++attempt) {
        if (attempt > 0)
            std::this_thread::sleep_for(20ms);
        std::ifstream file(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    if (bytes.size() < headerSize)
        return {};
    return std::vector<std::uint8_t>(bytes.begin() + headerSize, bytes.end());
}

} // namespace

TEST(WinmmWaveOut, WithoutTheDeviceEverythingFailsCleanly)
{
    WinmmWaveOut missing(waveOutGetNumDevs() + 7);
    DoneLog log;
    EXPECT_FALSE(missing.open(cdFormat, &DoneLog::callback, &log));
    EXPECT_EQ(missing.lastError(), static_cast<std::uint32_t>(MMSYSERR_BADDEVICEID));

    Buffers buffers(1, 10);
    WaveHeader& header = buffers.headers[0];
    EXPECT_FALSE(missing.prepare(header));
    EXPECT_FALSE(missing.write(header));
    EXPECT_FALSE(missing.pause());
    EXPECT_FALSE(missing.restart());
    EXPECT_FALSE(missing.reset());
    EXPECT_FALSE(missing.unprepare(header));
    EXPECT_FALSE(missing.close());
    EXPECT_EQ(header.flags.load(), 0u) << "a header no device took stays as it was";
    EXPECT_TRUE(log.headers().empty());

    // The sound device reports it and stays closed, without a render thread.
    SoundDevice device(missing);
    EXPECT_FALSE(device.open(16, 44100, 2));
    EXPECT_EQ(device.status, SoundDevice::errorWaveOut);
    EXPECT_FALSE(device.isOpen());
}

TEST(WinmmWaveOut, PlaysEveryBufferOnceInTheOrderWritten)
{
    if (!haveOutputDevice())
        GTEST_SKIP() << "no wave-out device";
    WinmmWaveOut out;
    DoneLog log;
    ASSERT_TRUE(out.open(cdFormat, &DoneLog::callback, &log)) << "error " << out.lastError();
    Buffers buffers(5, 20);
    for (WaveHeader& header : buffers.headers) {
        ASSERT_TRUE(out.prepare(header));
        EXPECT_EQ(header.flags.load() & WaveHeader::prepared, WaveHeader::prepared);
    }
    // Everything queued before it plays, so that the card never runs dry in between.
    ASSERT_TRUE(out.pause());
    for (WaveHeader& header : buffers.headers)
        ASSERT_TRUE(out.write(header));
    ASSERT_TRUE(out.restart());
    ASSERT_TRUE(log.waitFor(5, 10s));
    std::vector<WaveHeader*> expected;
    for (WaveHeader& header : buffers.headers)
        expected.push_back(&header);
    EXPECT_EQ(log.headers(), expected);
    EXPECT_EQ(log.doneWhenCalled(), std::vector<bool>(5, true)) << "done is set before the callback";
    for (WaveHeader& header : buffers.headers) {
        EXPECT_EQ(header.flags.load() & WaveHeader::inQueue, 0u);
        EXPECT_TRUE(out.unprepare(header));
        EXPECT_FALSE(out.write(header)) << "an unprepared header cannot be written";
    }
    EXPECT_TRUE(out.close());
    EXPECT_FALSE(out.close());

    if (capturePath().empty())
        return;
    std::vector<std::uint8_t> played;
    for (const auto& bytes : buffers.bytes)
        played.insert(played.end(), bytes.begin(), bytes.end());
    const std::vector<std::uint8_t> captured = capturedSamples(capturePath(), played.size());
    ASSERT_GE(captured.size(), played.size());
    EXPECT_TRUE(std::equal(played.begin(), played.end(), captured.begin())) << "the card got every byte in order";
}

TEST(WinmmWaveOut, PauseHoldsAndResetReturnsEveryQueuedBuffer)
{
    if (!haveOutputDevice())
        GTEST_SKIP() << "no wave-out device";
    WinmmWaveOut out;
    DoneLog log;
    ASSERT_TRUE(out.open(cdFormat, &DoneLog::callback, &log)) << "error " << out.lastError();
    ASSERT_TRUE(out.pause());
    Buffers buffers(3, 500);
    for (WaveHeader& header : buffers.headers)
        ASSERT_TRUE(out.prepare(header) && out.write(header));
    EXPECT_FALSE(out.write(buffers.headers[0])) << "a queued header cannot be written again";

    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(log.headers().empty()) << "nothing plays while paused";
    EXPECT_FALSE(out.unprepare(buffers.headers[1])) << "a queued header stays prepared";
    EXPECT_FALSE(out.close()) << "closing with queued buffers fails";
    EXPECT_EQ(out.lastError(), static_cast<std::uint32_t>(WAVERR_STILLPLAYING));

    ASSERT_TRUE(out.reset());
    ASSERT_TRUE(log.waitFor(3, 5s));
    EXPECT_EQ(log.headers().size(), 3u);
    for (WaveHeader& header : buffers.headers) {
        EXPECT_TRUE(header.isDone());
        EXPECT_TRUE(out.unprepare(header));
    }
    EXPECT_TRUE(out.close());
}

TEST(WinmmWaveOut, CarriesTheSoundDeviceRing)
{
    if (!haveOutputDevice())
        GTEST_SKIP() << "no wave-out device";
    WinmmWaveOut out;
    SoundDevice device(out);
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(device.open(16, 44100, 2)) << "status " << device.status << ", error " << out.lastError();
        std::this_thread::sleep_for(150ms);
        device.close();
        EXPECT_FALSE(device.isOpen());
        EXPECT_FALSE(out.close()) << "the device closed the output itself";
    }
}
