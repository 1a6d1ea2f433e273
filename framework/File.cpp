#include "framework/File.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#ifdef _WIN32
#include "framework/WideFileName.h"

#include <algorithm>
#include <io.h>
#endif

namespace {

// The descriptor calls that differ between the C runtimes. Windows' runtime opens in
// text mode unless told otherwise, takes names in the system code page (so they go
// through UTF-16), counts bytes per call in 32 bits and seeks in 32 bits unless asked.
#ifdef _WIN32
constexpr std::size_t largestTransfer = std::size_t{1} << 30;

int openDescriptor(const char* fileName, int flags)
{
    if (fileName == nullptr)
        return -1;
    return ::_wopen(wideFileName(fileName).c_str(), flags | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}
int readDescriptor(int fd, void* buffer, std::size_t count)
{
    return ::_read(fd, buffer, static_cast<unsigned>(std::min(count, largestTransfer)));
}
int writeDescriptor(int fd, const void* buffer, std::size_t count)
{
    return ::_write(fd, buffer, static_cast<unsigned>(std::min(count, largestTransfer)));
}
std::int64_t seekDescriptor(int fd, std::int64_t distance, int whence)
{
    return ::_lseeki64(fd, distance, whence);
}
std::int64_t descriptorSize(int fd)
{
    struct _stati64 info {};
    return ::_fstati64(fd, &info) == 0 ? info.st_size : -1;
}
bool syncDescriptor(int fd)
{
    return ::_commit(fd) == 0;
}
#else
int openDescriptor(const char* fileName, int flags)
{
    return ::open(fileName, flags | O_CLOEXEC, 0666);
}
ssize_t readDescriptor(int fd, void* buffer, std::size_t count)
{
    return ::read(fd, buffer, count);
}
ssize_t writeDescriptor(int fd, const void* buffer, std::size_t count)
{
    return ::write(fd, buffer, count);
}
std::int64_t seekDescriptor(int fd, std::int64_t distance, int whence)
{
    return ::lseek(fd, distance, whence);
}
std::int64_t descriptorSize(int fd)
{
    struct stat info {};
    return ::fstat(fd, &info) == 0 ? info.st_size : -1;
}
bool syncDescriptor(int fd)
{
    return ::fsync(fd) == 0;
}
#endif

} // namespace

File::~File()
{
    close();
}

bool File::open(const char* fileName, std::uint32_t access)
{
    close();
    const int flags = access == genericRead ? O_RDONLY : (O_WRONLY | O_CREAT | O_TRUNC);
    handle_ = openDescriptor(fileName, flags);
    if (handle_ < 0) {
        status = errorOpen;
        return false;
    }
    return true;
}

bool File::close()
{
    if (handle_ < 0)
        return true;
    // POSIX leaves the descriptor closed even when close reports an error, so the
    // handle is given up in every case; the error still reaches the caller.
    const int result = ::close(handle_);
    handle_ = -1;
    return result == 0;
}

bool File::read(void* buffer, std::size_t count)
{
    if (handle_ < 0) {
        status = errorReadWrite;
        return false;
    }
    auto* bytes = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const auto got = readDescriptor(handle_, bytes + done, count - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            status = errorReadWrite;
            return false;
        }
        done += static_cast<std::size_t>(got);
    }
    return true;
}

bool File::write(const void* buffer, std::size_t count)
{
    if (handle_ < 0) {
        status = errorReadWrite;
        return false;
    }
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const auto put = writeDescriptor(handle_, bytes + done, count - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            status = errorReadWrite;
            return false;
        }
        done += static_cast<std::size_t>(put);
    }
    return true;
}

bool File::seek(std::int32_t distance, Origin origin)
{
    static constexpr int whence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    if (handle_ < 0 || origin < fromBegin || origin > fromEnd ||
        seekDescriptor(handle_, distance, whence[origin]) < 0) {
        status = errorSeek;
        return false;
    }
    return true;
}

std::int64_t File::size() const
{
    return handle_ < 0 ? -1 : descriptorSize(handle_);
}

std::int64_t File::position() const
{
    return handle_ < 0 ? -1 : seekDescriptor(handle_, 0, SEEK_CUR);
}

bool File::flush()
{
    if (handle_ < 0 || !syncDescriptor(handle_)) {
        status = errorReadWrite;
        return false;
    }
    return true;
}
