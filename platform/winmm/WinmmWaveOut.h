#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "audio/WaveOut.h"

struct wavehdr_tag;

// The WaveOut of a real sound card on Windows: the system's wave-out services, with a
// callback function that hears of each finished buffer (WOM_DONE). Each WaveHeader gets
// a system header of its own while it is prepared; the system plays the header's bytes
// in place. Without an output device `open` fails and so does everything after it.
//
// The system calls the done callback on a thread of its own, where no wave-out call may
// be made; the callback here only marks the buffer done and passes it on.
// `write` may run on another thread than the other operations (the sound device's render
// thread); `open`, `pause`, `restart`, `reset` and `close` belong to one thread.
class WinmmWaveOut : public WaveOut {
public:
    // The default device, or a device by its number.
    static constexpr std::uint32_t defaultDevice = 0xFFFFFFFFu;

    explicit WinmmWaveOut(std::uint32_t device = defaultDevice);
    ~WinmmWaveOut() override;
    WinmmWaveOut(const WinmmWaveOut&) = delete;
    WinmmWaveOut& operator=(const WinmmWaveOut&) = delete;

    bool open(const WaveFormat& format, DoneCallback callback, void* context) override;
    bool pause() override;
    bool restart() override;
    bool prepare(WaveHeader& header) override;
    bool write(WaveHeader& header) override;
    bool reset() override;
    bool unprepare(WaveHeader& header) override;
    bool close() override;

    // The system's code for the last operation that failed (0 while none did).
    std::uint32_t lastError() const { return lastError_.load(); }

    // Who hears of finished buffers; the system hands it to its callback.
    struct Listener {
        DoneCallback callback = nullptr;
        void* context = nullptr;
    };

private:
    bool succeeded(std::uint32_t result);
    wavehdr_tag* systemHeader(WaveHeader& header);

    std::uint32_t device_;
    void* handle_ = nullptr;
    Listener listener_;
    std::atomic<std::uint32_t> lastError_{0};
    // The system header of every prepared WaveHeader.
    std::mutex headersMutex_;
    std::map<WaveHeader*, std::unique_ptr<wavehdr_tag>> headers_;
};
