#include "audio/OfflineWaveOut.h"

#include "audio/SoundDevice.h"

#include <algorithm>

bool OfflineWaveOut::open(const WaveFormat& format, DoneCallback callback, void* context)
{
    std::lock_guard lock(mutex_);
    if (open_ || consumeFailure(Operation::open))
        return false;
    open_ = true;
    paused_ = false;
    format_ = format;
    callback_ = callback;
    context_ = context;
    writeCount_ = 0;
    writeOffsets_.clear();
    bytes_.clear();
    return true;
}

bool OfflineWaveOut::pause()
{
    std::lock_guard lock(mutex_);
    if (!open_)
        return false;
    paused_ = true;
    return true;
}

bool OfflineWaveOut::restart()
{
    std::lock_guard lock(mutex_);
    if (!open_)
        return false;
    paused_ = false;
    return true;
}

bool OfflineWaveOut::prepare(WaveHeader& header)
{
    std::lock_guard lock(mutex_);
    if (!open_ || header.data == nullptr || consumeFailure(Operation::prepare))
        return false;
    header.flags.fetch_or(WaveHeader::prepared);
    return true;
}

bool OfflineWaveOut::write(WaveHeader& header)
{
    bool playAtOnce = false;
    bool wakeWaiters = false;
    {
        std::lock_guard lock(mutex_);
        const std::uint32_t flags = header.flags.load();
        if (!open_ || (flags & WaveHeader::prepared) == 0 || (flags & WaveHeader::inQueue) != 0 ||
            consumeFailure(Operation::write))
            return false;
        header.flags.fetch_and(~WaveHeader::done);
        writeOffsets_.push_back(bytes_.size());
        if (delivery_)
            delivery_(header.data, header.bufferLength);
        else if (keepBytes_)
            bytes_.insert(bytes_.end(), header.data, header.data + header.bufferLength);
        ++writeCount_;
        wakeWaiters = writeCount_ >= awaitedWrites_;
        if (wakeWaiters)
            awaitedWrites_ = noWritesAwaited;
        if (playOnWrite_ > 0 && !paused_) {
            --playOnWrite_;
            playAtOnce = true;
        } else {
            header.flags.fetch_or(WaveHeader::inQueue);
            queue_.push_back(&header);
        }
    }
    if (wakeWaiters)
        written_.notify_all();
    if (playAtOnce)
        finish(header);
    return true;
}

bool OfflineWaveOut::reset()
{
    std::deque<WaveHeader*> returned;
    {
        std::lock_guard lock(mutex_);
        if (!open_)
            return false;
        returned.swap(queue_);
    }
    for (WaveHeader* header : returned)
        finish(*header);
    return true;
}

bool OfflineWaveOut::unprepare(WaveHeader& header)
{
    std::lock_guard lock(mutex_);
    if (!open_ || (header.flags.load() & WaveHeader::inQueue) != 0)
        return false;
    header.flags.fetch_and(~WaveHeader::prepared);
    return true;
}

bool OfflineWaveOut::close()
{
    std::lock_guard lock(mutex_);
    if (!open_ || !queue_.empty())
        return false;
    open_ = false;
    callback_ = nullptr;
    context_ = nullptr;
    playOnWrite_ = 0;
    return true;
}

bool OfflineWaveOut::playNext()
{
    WaveHeader* header = nullptr;
    {
        std::lock_guard lock(mutex_);
        if (!open_ || paused_ || queue_.empty())
            return false;
        header = queue_.front();
        queue_.pop_front();
    }
    finish(*header);
    return true;
}

bool OfflineWaveOut::playNextAndWait(SoundDevice& device, std::chrono::milliseconds timeout)
{
    return playAndWait(device, 1, timeout);
}

bool OfflineWaveOut::playAndWait(SoundDevice& device, std::size_t count, std::chrono::milliseconds timeout)
{
    constexpr std::size_t ring = SoundDevice::bufferCount;
    if (count == 0 || count > mostRefillsAtOnce)
        return false;
    const std::size_t fromQueue = std::min(count, ring);
    {
        std::lock_guard lock(mutex_);
        if (count > ring && queue_.size() < ring)
            return false;
        playOnWrite_ = count - fromQueue;
    }
    const std::uint64_t before = device.refillCount();
    for (std::size_t played = 0; played < fromQueue; ++played)
        if (!playNext())
            return false;
    return device.waitForRefills(before + count, timeout);
}

void OfflineWaveOut::deliverTo(Delivery delivery)
{
    std::lock_guard lock(mutex_);
    delivery_ = std::move(delivery);
}

void OfflineWaveOut::playOnWrite(std::size_t count)
{
    std::lock_guard lock(mutex_);
    playOnWrite_ = count;
}

void OfflineWaveOut::failNext(Operation operation, std::size_t count)
{
    std::lock_guard lock(mutex_);
    failures_[static_cast<int>(operation)] = count;
}

void OfflineWaveOut::keepBytes(bool keep)
{
    std::lock_guard lock(mutex_);
    keepBytes_ = keep;
}

bool OfflineWaveOut::isOpen() const
{
    std::lock_guard lock(mutex_);
    return open_;
}

bool OfflineWaveOut::isPaused() const
{
    std::lock_guard lock(mutex_);
    return paused_;
}

std::size_t OfflineWaveOut::queuedCount() const
{
    std::lock_guard lock(mutex_);
    return queue_.size();
}

WaveFormat OfflineWaveOut::format() const
{
    std::lock_guard lock(mutex_);
    return format_;
}

std::size_t OfflineWaveOut::writeCount() const
{
    std::lock_guard lock(mutex_);
    return writeCount_;
}

bool OfflineWaveOut::waitForWrites(std::size_t count, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(mutex_);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (writeCount_ < count) {
        awaitedWrites_ = std::min(awaitedWrites_, count);
        if (written_.wait_until(lock, deadline) == std::cv_status::timeout)
            return writeCount_ >= count;
    }
    return true;
}

std::vector<std::uint8_t> OfflineWaveOut::writtenBytes(std::size_t firstWrite) const
{
    std::lock_guard lock(mutex_);
    if (firstWrite >= writeOffsets_.size())
        return {};
    return std::vector<std::uint8_t>(bytes_.begin() + static_cast<std::ptrdiff_t>(writeOffsets_[firstWrite]),
                                     bytes_.end());
}

bool OfflineWaveOut::consumeFailure(Operation operation)
{
    std::size_t& failures = failures_[static_cast<int>(operation)];
    if (failures == 0)
        return false;
    --failures;
    return true;
}

// The done flag comes first, so that whoever the callback wakes finds the buffer done.
void OfflineWaveOut::finish(WaveHeader& header)
{
    header.flags.fetch_and(~WaveHeader::inQueue);
    header.flags.fetch_or(WaveHeader::done);
    DoneCallback callback;
    void* context;
    {
        std::lock_guard lock(mutex_);
        callback = callback_;
        context = context_;
    }
    if (callback != nullptr)
        callback(context, header);
}
