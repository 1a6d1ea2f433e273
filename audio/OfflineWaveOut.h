#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

#include "audio/SoundDevice.h"
#include "audio/WaveOut.h"

// A WaveOut without a sound card: it plays a buffer only when told to (`playNext`),
// and keeps a copy of every buffer it was given, in order, or hands each one on as it
// is written (`deliverTo`). Rendering a file offline and the tests drive the sound
// device through it, one buffer at a time with `playNextAndWait` or many with
// `playAndWait`. It can also be told to refuse operations, as a real output does when
// the card goes away.
class OfflineWaveOut : public WaveOut {
public:
    enum class Operation { open, prepare, write };

    bool open(const WaveFormat& format, DoneCallback callback, void* context) override;
    bool pause() override;
    bool restart() override;
    bool prepare(WaveHeader& header) override;
    bool write(WaveHeader& header) override;
    bool reset() override;
    bool unprepare(WaveHeader& header) override;
    bool close() override;

    // Plays the oldest queued buffer: sets its done flag, then calls the done callback.
    // False when nothing is queued, or the output is paused or closed.
    bool playNext();
    // Plays the oldest queued buffer and returns once `device` has refilled it and its
    // render thread is idle again. False when nothing was played or the refill did not
    // come within `timeout`.
    bool playNextAndWait(SoundDevice& device, std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // The same for `count` buffers, so that the render thread refills them in as few
    // wake-ups as it can; the bytes written are those that `count` calls of
    // playNextAndWait give. Up to a ring of them are the queued ones, oldest first; when
    // `count` is more, the whole ring must be queued, and the first refills are played
    // as they are written, so that one wake-up refills them all. `count` is at most what
    // the catch-up rule lets one wake-up refill, so the refills never look like falling
    // behind.
    static constexpr std::size_t mostRefillsAtOnce = SoundDevice::catchUpRefills;
    bool playAndWait(SoundDevice& device, std::size_t count,
                     std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // From now on each buffer written is handed to `delivery` (on the thread that writes
    // it, in the order written) instead of being copied; an empty one ends this. The
    // delivery must not throw.
    using Delivery = std::function<void(const std::uint8_t* data, std::size_t count)>;
    void deliverTo(Delivery delivery);
    // The next `count` buffers written are played at once, inside `write`.
    void playOnWrite(std::size_t count);
    // The next `count` calls of `operation` fail.
    void failNext(Operation operation, std::size_t count = 1);
    // Whether copies of written buffers are kept (they are by default).
    void keepBytes(bool keep);

    bool isOpen() const;
    bool isPaused() const;
    std::size_t queuedCount() const;
    WaveFormat format() const;
    // Buffers written since `open`, and a wait until at least `count` of them were.
    std::size_t writeCount() const;
    bool waitForWrites(std::size_t count, std::chrono::milliseconds timeout) const;
    // The bytes of the buffers written since `open`, from write number `firstWrite` on.
    std::vector<std::uint8_t> writtenBytes(std::size_t firstWrite = 0) const;

private:
    bool consumeFailure(Operation operation);
    void finish(WaveHeader& header);

    mutable std::mutex mutex_;
    mutable std::condition_variable written_;
    bool open_ = false;
    bool paused_ = false;
    WaveFormat format_;
    DoneCallback callback_ = nullptr;
    void* context_ = nullptr;
    std::deque<WaveHeader*> queue_;
    std::size_t playOnWrite_ = 0;
    std::size_t failures_[3] = {0, 0, 0};
    bool keepBytes_ = true;
    Delivery delivery_;
    std::size_t writeCount_ = 0;
    // The fewest writes a waiter waits for: a write wakes the waiters only once they
    // are there, so that a wait for a whole ring of refills is woken once, not for each.
    mutable std::size_t awaitedWrites_ = noWritesAwaited;
    static constexpr std::size_t noWritesAwaited = static_cast<std::size_t>(-1);
    std::vector<std::size_t> writeOffsets_;
    std::vector<std::uint8_t> bytes_;
};
