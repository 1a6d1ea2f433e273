#pragma once

#include <cstdint>

#ifdef _WIN32

// Windows has no per-process limit on file sizes (nor a device that is always full),
// so there is no way for a test to fill the disk there.
#define SKIP_UNLESS_THE_DISK_CAN_BE_FILLED() GTEST_SKIP() << "no way to fill the disk on Windows"

class FileSizeLimit {
public:
    explicit FileSizeLimit(std::uint64_t) {}
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
};

#else

#include <csignal>
#include <sys/resource.h>

#define SKIP_UNLESS_THE_DISK_CAN_BE_FILLED() static_cast<void>(0)

// Makes every write beyond `bytes` fail for this process, as a full disk would, and
// restores the old limit afterwards. The signal such a write raises is ignored, so
// the write reports the failure instead of ending the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(std::uint64_t bytes)
    {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limit = previous_;
        limit.rlim_cur = static_cast<rlim_t>(bytes);
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
};

#endif
