#include "framework/File.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

File::~File()
{
    close();
}

bool File::open(const char* fileName, std::uint32_t access)
{
    close();
    const int flags = access == genericRead ? O_RDONLY : (O_WRONLY | O_CREAT | O_TRUNC);
    handle_ = ::open(fileName, flags | O_CLOEXEC, 0666);
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
        const ssize_t got = ::read(handle_, bytes + done, count - done);
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
        const ssize_t put = ::write(handle_, bytes + done, count - done);
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
        ::lseek(handle_, distance, whence[origin]) < 0) {
        status = errorSeek;
        return false;
    }
    return true;
}

std::int64_t File::size() const
{
    struct stat info {};
    if (handle_ < 0 || ::fstat(handle_, &info) != 0)
        return -1;
    return info.st_size;
}

std::int64_t File::position() const
{
    return handle_ < 0 ? -1 : ::lseek(handle_, 0, SEEK_CUR);
}

bool File::flush()
{
    if (handle_ < 0 || ::fsync(handle_) != 0) {
        status = errorReadWrite;
        return false;
    }
    return true;
}
