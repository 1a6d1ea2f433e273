#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "audio/OfflineWaveOut.h"
#include "audio/SoundDevice.h"
#include "audio/SoundSource.h"
#include "tests/audio/PatternSource.h"

namespace {

using namespace std::chrono_literals;

// The user-interface side connects, removes, plays and stops sources while an output on
// another thread keeps the render thread refilling as fast as it can. Run under
// ThreadSanitizer this finds any value the threads share unsafely; anywhere it finds a
// list walked while it changes or a buffer played while it is freed.
TEST(SoundDeviceConcurrency, SourcesChangeWhileTheRenderThreadRuns)
{
    OfflineWaveOut waveOut;
    waveOut.keepBytes(false);
    SoundDevice device(waveOut);
    ASSERT_TRUE(device.open(16, 44100, 2));

    std::atomic<bool> done{false};
    std::thread output([&] {
        while (!done.load()) {
            if (!waveOut.playNext())
                std::this_thread::yield();
        }
    });

    for (int round = 0; round < 200; ++round) {
        PatternSource pattern(round);
        SoundSource pcm;
        ASSERT_TRUE(pattern.connect(device, 0));
        ASSERT_TRUE(pcm.connect(device, 1));
        ASSERT_TRUE(pcm.allocate(50 + round));
        ASSERT_TRUE(pcm.play(round % 2));
        std::this_thread::yield();
        pcm.stop();
        EXPECT_FALSE(pcm.playing.load());
        // Stopped, its buffer may be replaced while the render thread goes on.
        ASSERT_TRUE(pcm.allocate(10));
        ASSERT_TRUE(pcm.resume(1));
        if (round % 3 == 0)
            device.removeSource(&pattern);
        if (round % 50 == 25) {
            // Reopening tears the render thread down and starts a new one under load.
            ASSERT_TRUE(device.open(16, 44100, 2));
            EXPECT_EQ(device.firstSource(), nullptr);
        }
    }
    EXPECT_EQ(device.firstSource(), nullptr);

    // Buffers kept coming after the last reopen.
    EXPECT_TRUE(waveOut.waitForWrites(9, 5s));
    done.store(true);
    output.join();
    // Once the render thread has caught up, all eight buffers are queued again.
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (waveOut.queuedCount() < 8 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    EXPECT_EQ(waveOut.queuedCount(), 8u);
    const std::size_t writes = waveOut.writeCount();
    // The ring is intact after all that: the next buffer played is refilled.
    ASSERT_TRUE(waveOut.playNextAndWait(device));
    EXPECT_GT(waveOut.writeCount(), writes);
    device.close();
}

} // namespace
