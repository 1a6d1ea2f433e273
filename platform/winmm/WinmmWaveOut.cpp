#include "platform/winmm/WinmmWaveOut.h"

#include <windows.h>
#include <mmsystem.h>

namespace {

HWAVEOUT asWaveOut(void* handle)
{
    return static_cast<HWAVEOUT>(handle);
}

// Runs on the system's own thread, where a wave-out call could deadlock: it only marks
// the buffer and tells the listener.
void CALLBACK deliverWaveOutMessage(HWAVEOUT, UINT message, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR)
{
    if (message != WOM_DONE)
        return;
    const auto* listener = reinterpret_cast<const WinmmWaveOut::Listener*>(instance);
    auto* system = reinterpret_cast<WAVEHDR*>(param1);
    auto& header = *reinterpret_cast<WaveHeader*>(system->dwUser);
    header.flags.fetch_and(~WaveHeader::inQueue);
    header.flags.fetch_or(WaveHeader::done);
    if (listener->callback != nullptr)
        listener->callback(listener->context, header);
}

} // namespace

WinmmWaveOut::WinmmWaveOut(std::uint32_t device) : device_(device) {}

WinmmWaveOut::~WinmmWaveOut()
{
    if (handle_ == nullptr)
        return;
    waveOutReset(asWaveOut(handle_));
    std::lock_guard lock(headersMutex_);
    for (auto& [header, system] : headers_)
        waveOutUnprepareHeader(asWaveOut(handle_), system.get(), sizeof(WAVEHDR));
    headers_.clear();
    waveOutClose(asWaveOut(handle_));
}

bool WinmmWaveOut::succeeded(std::uint32_t result)
{
    if (result != MMSYSERR_NOERROR)
        lastError_ = result;
    return result == MMSYSERR_NOERROR;
}

bool WinmmWaveOut::open(const WaveFormat& format, DoneCallback callback, void* context)
{
    if (handle_ != nullptr) {
        lastError_ = MMSYSERR_ALLOCATED;
        return false;
    }
    WAVEFORMATEX system{};
    system.wFormatTag = format.formatTag;
    system.nChannels = format.channels;
    system.nSamplesPerSec = format.samplesPerSec;
    system.nAvgBytesPerSec = format.avgBytesPerSec;
    system.nBlockAlign = format.blockAlign;
    system.wBitsPerSample = format.bitsPerSample;
    system.cbSize = 0;
    listener_ = {callback, context};
    HWAVEOUT handle = nullptr;
    if (!succeeded(waveOutOpen(&handle, device_, &system, reinterpret_cast<DWORD_PTR>(&deliverWaveOutMessage),
                               reinterpret_cast<DWORD_PTR>(&listener_), CALLBACK_FUNCTION)))
        return false;
    handle_ = handle;
    return true;
}

bool WinmmWaveOut::pause()
{
    if (handle_ == nullptr)
        return false;
    return succeeded(waveOutPause(asWaveOut(handle_)));
}

bool WinmmWaveOut::restart()
{
    if (handle_ == nullptr)
        return false;
    return succeeded(waveOutRestart(asWaveOut(handle_)));
}

WAVEHDR* WinmmWaveOut::systemHeader(WaveHeader& header)
{
    std::lock_guard lock(headersMutex_);
    const auto found = headers_.find(&header);
    return found != headers_.end() ? found->second.get() : nullptr;
}

bool WinmmWaveOut::prepare(WaveHeader& header)
{
    if (handle_ == nullptr || header.data == nullptr)
        return false;
    if (systemHeader(header) != nullptr)
        return true;
    auto system = std::make_unique<WAVEHDR>();
    system->lpData = reinterpret_cast<LPSTR>(header.data);
    system->dwBufferLength = header.bufferLength;
    system->dwUser = reinterpret_cast<DWORD_PTR>(&header);
    if (!succeeded(waveOutPrepareHeader(asWaveOut(handle_), system.get(), sizeof(WAVEHDR))))
        return false;
    {
        std::lock_guard lock(headersMutex_);
        headers_.emplace(&header, std::move(system));
    }
    header.flags.fetch_or(WaveHeader::prepared);
    return true;
}

bool WinmmWaveOut::write(WaveHeader& header)
{
    WAVEHDR* system = handle_ != nullptr ? systemHeader(header) : nullptr;
    if (system == nullptr || (header.flags.load() & WaveHeader::inQueue) != 0)
        return false;
    // Marked before the system has it: its callback may come before waveOutWrite returns.
    header.flags.fetch_and(~WaveHeader::done);
    header.flags.fetch_or(WaveHeader::inQueue);
    system->dwBufferLength = header.bufferLength;
    if (!succeeded(waveOutWrite(asWaveOut(handle_), system, sizeof(WAVEHDR)))) {
        header.flags.fetch_and(~WaveHeader::inQueue);
        return false;
    }
    return true;
}

bool WinmmWaveOut::reset()
{
    if (handle_ == nullptr)
        return false;
    return succeeded(waveOutReset(asWaveOut(handle_)));
}

bool WinmmWaveOut::unprepare(WaveHeader& header)
{
    WAVEHDR* system = handle_ != nullptr ? systemHeader(header) : nullptr;
    if (system == nullptr || (header.flags.load() & WaveHeader::inQueue) != 0)
        return false;
    if (!succeeded(waveOutUnprepareHeader(asWaveOut(handle_), system, sizeof(WAVEHDR))))
        return false;
    {
        std::lock_guard lock(headersMutex_);
        headers_.erase(&header);
    }
    header.flags.fetch_and(~WaveHeader::prepared);
    return true;
}

bool WinmmWaveOut::close()
{
    if (handle_ == nullptr)
        return false;
    std::lock_guard lock(headersMutex_);
    for (auto& [header, system] : headers_) {
        if ((header->flags.load() & WaveHeader::inQueue) != 0) {
            lastError_ = WAVERR_STILLPLAYING;
            return false;
        }
    }
    for (auto& [header, system] : headers_) {
        waveOutUnprepareHeader(asWaveOut(handle_), system.get(), sizeof(WAVEHDR));
        header->flags.fetch_and(~WaveHeader::prepared);
    }
    headers_.clear();
    if (!succeeded(waveOutClose(asWaveOut(handle_))))
        return false;
    handle_ = nullptr;
    listener_ = {};
    return true;
}
