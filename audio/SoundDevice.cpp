#include "audio/SoundDevice.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <new>
#include <system_error>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "audio/ProcessorFeatures.h"
#include "audio/SoundSource.h"

#ifdef ZBK_HAS_AVX2_FORMS
#include <immintrin.h>
#endif

namespace {

bool isSupportedRate(std::int32_t rate)
{
    return rate == 11025 || rate == 22050 || rate == 44100;
}

// Each value times gain / unitOutputGain, rounded toward zero, beyond 32 bits saturated.
// In doubles, so that it runs several values at a time: a product below 2^53 is exact,
// and the division by 2^16 too; a larger one is far beyond 32 bits, where only its sign
// matters.
constexpr double lowestMix = INT32_MIN;
constexpr double highestMix = INT32_MAX;

#ifdef ZBK_HAS_AVX2_FORMS
__attribute__((target("avx2"))) std::int32_t applyGainFours(std::int32_t* mix, std::int32_t count, double factor)
{
    const __m256d scale = _mm256_set1_pd(factor);
    const __m256d lowest = _mm256_set1_pd(lowestMix);
    const __m256d highest = _mm256_set1_pd(highestMix);
    std::int32_t i = 0;
    for (; i + 4 <= count; i += 4) {
        auto* at = reinterpret_cast<__m128i*>(mix + i);
        const __m256d scaled = _mm256_mul_pd(_mm256_cvtepi32_pd(_mm_loadu_si128(at)), scale);
        _mm_storeu_si128(at, _mm256_cvttpd_epi32(_mm256_min_pd(_mm256_max_pd(scaled, lowest), highest)));
    }
    return i;
}
#endif

void applyGain(std::int32_t* mix, std::int32_t count, std::int32_t gain)
{
    static_assert(SoundDevice::unitOutputGain == 1 << 16);
    const double factor = static_cast<double>(gain) / SoundDevice::unitOutputGain;
    std::int32_t i = 0;
#ifdef ZBK_HAS_AVX2_FORMS
    if (processorHasAvx2())
        i = applyGainFours(mix, count, factor);
#endif
    for (; i < count; ++i) {
        const double scaled = static_cast<double>(mix[i]) * factor;
        mix[i] = static_cast<std::int32_t>(std::clamp(scaled, lowestMix, highestMix));
    }
}

} // namespace

SoundDevice::SoundDevice(WaveOut& waveOut) : waveOut_(waveOut) {}

SoundDevice::~SoundDevice()
{
    close();
}

std::int32_t SoundDevice::frameBytes() const
{
    return bitsPerSample_ / 8 * channels_;
}

// Unsigned 8-bit samples are silent at 128, not at 0.
int SoundDevice::silenceByte() const
{
    return bitsPerSample_ == 8 ? 128 : 0;
}

std::int32_t SoundDevice::bufferBytes() const
{
    return blocksPerBuffer * blockFrames_ * frameBytes();
}

bool SoundDevice::open(std::int32_t bits, std::int32_t rate, std::int32_t channels)
{
    close();
    // A channel count the mix buffer has no room for is refused like an unsupported rate.
    if (!isSupportedRate(rate) || (channels != 1 && channels != 2)) {
        status = errorUnsupportedRate;
        return false;
    }
    // The output format and the conversion must agree on the sample width.
    bits = bits == 8 ? 8 : 16;
    blockFrames_ = rate * 44 / 11025;
    bitsPerSample_ = bits;
    channels_ = channels;
    sampleRate_ = rate;
    convertRoutine_ = bits == 8 ? &convert8 : &convert16;
    nextHeader_ = 0;
    writePending_ = false;
    refills_.store(0);

    const auto fail = [this](std::uint32_t code) {
        status = code;
        release();
        restoreClosedValues();
        return false;
    };

    bufferDone_.reset();
    try {
        renderThread_ = std::thread(&SoundDevice::renderThreadMain, this);
    } catch (const std::system_error&) {
        return fail(errorNoResources);
    }

    const std::int32_t size = bufferBytes();
    bufferMemory_.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(size) * bufferCount]);
    if (!bufferMemory_)
        return fail(errorNoResources);
    std::memset(bufferMemory_.get(), silenceByte(), static_cast<std::size_t>(size) * bufferCount);

    if (!waveOut_.open(WaveFormat::pcmFormat(bits, rate, channels), &bufferDoneCallback, this))
        return fail(errorWaveOut);
    waveOutOpen_ = true;
    // Paused, so that no buffer completes before `running` is set.
    waveOut_.pause();

    for (int i = 0; i < bufferCount; ++i) {
        WaveHeader& header = headers_[i];
        header.clear();
        header.data = bufferMemory_.get() + static_cast<std::size_t>(size) * i;
        header.bufferLength = static_cast<std::uint32_t>(size);
        if (!waveOut_.prepare(header) || !waveOut_.write(header))
            return fail(errorWaveOut);
    }

    running_.store(true);
    waveOut_.restart();
    return true;
}

void SoundDevice::close()
{
    while (sources_ != nullptr)
        removeSource(sources_);
    release();
    restoreClosedValues();
    status = 0;
}

void SoundDevice::release()
{
    running_.store(false);
    if (renderThread_.joinable()) {
        bufferDone_.set();
        renderThread_.join();
    }
    if (waveOutOpen_) {
        waveOut_.reset();
        for (WaveHeader& header : headers_) {
            if ((header.flags.load() & WaveHeader::prepared) != 0)
                waveOut_.unprepare(header);
        }
        waveOut_.close();
        waveOutOpen_ = false;
    }
    bufferMemory_.reset();
    for (WaveHeader& header : headers_)
        header.clear();
}

void SoundDevice::restoreClosedValues()
{
    sampleRate_ = 11025;
    bitsPerSample_ = 8;
    channels_ = 1;
    blockFrames_ = 0;
    convertRoutine_ = &convert8;
    nextHeader_ = 0;
    writePending_ = false;
}

bool SoundDevice::addSource(SoundSource* source, std::int32_t channelCount)
{
    if (channelCount == 0)
        channelCount = channels_;
    if (channelCount != channels_ && !(channelCount == 1 && channels_ == 2))
        return false;
    if (source == nullptr)
        return false;
    std::lock_guard lock(renderLock_);
    // Already here, or in another device's list, whose links it cannot share.
    if (source->listedBy != nullptr)
        return false;
    SoundSource* last = sources_;
    while (last != nullptr && last->next != nullptr)
        last = last->next;
    source->sampleRate = sampleRate_;
    source->bitsPerSample = bitsPerSample_;
    source->channels = channelCount;
    source->pan = 64;
    source->prev = last;
    source->next = nullptr;
    source->listedBy = this;
    if (last != nullptr)
        last->next = source;
    else
        sources_ = source;
    return true;
}

void SoundDevice::removeSource(SoundSource* source)
{
    if (source == nullptr)
        return;
    source->loop.store(0);
    source->stop();
    std::lock_guard lock(renderLock_);
    if (source->listedBy != this)
        return;
    if (source->prev != nullptr)
        source->prev->next = source->next;
    else
        sources_ = source->next;
    if (source->next != nullptr)
        source->next->prev = source->prev;
    source->prev = nullptr;
    source->next = nullptr;
    source->listedBy = nullptr;
    // The source no longer refers to a device that may be destroyed before it.
    if (source->device == this)
        source->device = nullptr;
}

void SoundDevice::bufferDoneCallback(void* context, WaveHeader&)
{
    auto* device = static_cast<SoundDevice*>(context);
    if (device->running_.load())
        device->bufferDone_.set();
}

void SoundDevice::renderThreadMain()
{
    for (;;) {
        if (writePending_) {
            // The output refused a buffer: try it again after about one buffer's time
            // even if nothing else finishes meanwhile.
            bufferDone_.waitFor(std::chrono::milliseconds(1000 * blocksPerBuffer * blockFrames_ / sampleRate_ + 1));
        } else {
            bufferDone_.wait();
        }
        if (!running_.load())
            return;
        for (int n = 0; fillNext(n); ++n) {
        }
        // Only this thread writes the flag, so it may read it without the lock.
        if (refilling_) {
            setRefilling(false);
            idleChanged_.notify_all();
        }
    }
}

void SoundDevice::setRefilling(bool refilling)
{
    std::lock_guard lock(idleMutex_);
    refilling_ = refilling;
}

// The count is raised before `refilling_` is cleared under the mutex, so a waiter that
// finds the thread idle also finds every refill of its wake-up counted.
bool SoundDevice::waitForRefills(std::uint64_t count, std::chrono::milliseconds timeout)
{
    std::unique_lock lock(idleMutex_);
    return idleChanged_.wait_for(lock, timeout, [this, count] { return !refilling_ && refills_.load() >= count; });
}

bool SoundDevice::fillNext(int n)
{
    if (!running_.load())
        return false;
    WaveHeader& header = headers_[nextHeader_];
    if (!writePending_ && (header.flags.load() & WaveHeader::done) == 0)
        return false;
    // A wake-up that finds nothing to refill leaves the flag alone, so that it neither
    // wakes a waiter nor hides the refills it waits for.
    if (!refilling_)
        setRefilling(true);
    if (!writePending_) {
        header.flags.fetch_and(~WaveHeader::done);
        if (catchUp_ && n >= catchUpRefills)
            std::memset(header.data, silenceByte(), header.bufferLength);
        else
            renderBuffer(header.data);
    }
    // A refused buffer stays at the head of the ring, so it is neither lost nor
    // played out of order once the output takes it again.
    if (!waveOut_.write(header)) {
        writePending_ = true;
        return false;
    }
    writePending_ = false;
    refills_.fetch_add(1);
    nextHeader_ = (nextHeader_ + 1) % bufferCount;
    return true;
}

void SoundDevice::renderBuffer(std::uint8_t* out)
{
    // Room for a whole buffer of the largest format, for a stretch of blocks that long.
    std::array<std::int32_t, mixBufferValues * blocksPerBuffer> mix;
    const std::int32_t gain = outputGain_.load();
    for (int block = 0; block < blocksPerBuffer;) {
        std::int32_t count;
        {
            std::lock_guard lock(renderLock_);
            const int blocks = startSpan(blocksPerBuffer - block);
            const std::int32_t frames = blocks * blockFrames_;
            count = frames * channels_;
            std::fill_n(mix.begin(), count, 0);
            for (SoundSource* source = sources_; source != nullptr; source = source->next) {
                if (SoundSource::RenderRoutine routine = source->renderRoutine.load())
                    routine(*source, mix.data(), frames);
            }
            block += blocks;
        }
        if (gain != unitOutputGain)
            applyGain(mix.data(), count, gain);
        out = convertRoutine_(out, mix.data(), count);
    }
}

int SoundDevice::startSpan(int most)
{
    int blocks = most;
    bool asked = false;
    for (SoundSource* source = sources_; source != nullptr; source = source->next) {
        if (SoundSource::SpanRoutine routine = source->spanRoutine.load()) {
            blocks = std::clamp(routine(*source, blocks), 1, blocks);
            asked = true;
        }
    }
    return asked ? blocks : 1;
}

std::uint8_t* SoundDevice::convert16(std::uint8_t* out, const std::int32_t* mix, std::int32_t count)
{
    std::int32_t i = 0;
#ifdef __SSE2__
    // Eight values at a time: the signed pack clips to -32768..32767 as it narrows, and
    // these processors store little-endian. The rest goes through the loop below.
    for (; i + 8 <= count; i += 8) {
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(mix + i));
        const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(mix + i + 4));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_packs_epi32(low, high));
        out += 16;
    }
#endif
    for (; i < count; ++i) {
        const auto sample = static_cast<std::uint16_t>(std::clamp(mix[i], -32768, 32767));
        *out++ = static_cast<std::uint8_t>(sample);
        *out++ = static_cast<std::uint8_t>(sample >> 8);
    }
    return out;
}

std::uint8_t* SoundDevice::convert8(std::uint8_t* out, const std::int32_t* mix, std::int32_t count)
{
    for (std::int32_t i = 0; i < count; ++i) {
        // Widened first, so that a value near the top of the range cannot overflow.
        const std::int64_t value = static_cast<std::int64_t>(mix[i]) + 128;
        *out++ = static_cast<std::uint8_t>(std::clamp<std::int64_t>(value, 0, 255));
    }
    return out;
}
