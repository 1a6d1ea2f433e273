#include "framework/File.h"

#include "platform/FileSystem.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

File::~File()
{
    close();
}

bool File::open(const char* fileName, std::uint32_t access)
{
    close();
    const int descriptor = osfile::openFile(fileName, access != genericRead);
    if (descriptor < 0) {
        openError = descriptor == osfile::notRegularFile ? notRegularFile : errno;
        status = errorOpen;
        return false;
    }
    handle_ = descriptor;
    openError = 0;
    return true;
}

bool File::close()
{
    if (handle_ < 0)
        return true;
    // The descriptor is gone even when closing reports an error, so the handle is
    // given up in every case; the error still reaches the caller.
    const bool closed = osfile::closeFile(handle_);
    handle_ = -1;
    return closed;
}

namespace {

// Moves all `count` bytes through `transfer` (the system's read or write, which may move
// fewer at a time); false when it moves none or fails.
template <typename Byte, typename Transfer>
bool transferAll(int handle, Byte* bytes, std::size_t count, Transfer transfer)
{
    std::size_t done = 0;
    while (done < count) {
        const long long moved = transfer(handle, bytes + done, count - done);
        if (moved <= 0)
            return false;
        done += static_cast<std::size_t>(moved);
    }
    return true;
}

} // namespace

bool File::read(void* buffer, std::size_t count)
{
    if (handle_ < 0 || !transferAll(handle_, static_cast<unsigned char*>(buffer), count, osfile::readFile)) {
        status = errorReadWrite;
        return false;
    }
    return true;
}

bool File::write(const void* buffer, std::size_t count)
{
    if (handle_ < 0 || !transferAll(handle_, static_cast<const unsigned char*>(buffer), count, osfile::writeFile)) {
        status = errorReadWrite;
        return false;
    }
    return true;
}

bool File::seek(std::int32_t distance, Origin origin)
{
    static constexpr int whence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    if (handle_ < 0 || origin < fromBegin || origin > fromEnd ||
        osfile::seekFile(handle_, distance, whence[origin]) < 0) {
        status = errorSeek;
        return false;
    }
    return true;
}

std::int64_t File::size() const
{
    return handle_ < 0 ? -1 : osfile::fileSize(handle_);
}

std::int64_t File::position() const
{
    return handle_ < 0 ? -1 : osfile::seekFile(handle_, 0, SEEK_CUR);
}

bool File::flush()
{
    if (handle_ < 0 || !osfile::syncFile(handle_)) {
        status = errorReadWrite;
        return false;
    }
    return true;
}

std::string describeOpenError(int openError)
{
    if (openError == File::notRegularFile)
        return "it is not a regular file (a pipe, a FIFO or a device); save it to a file first";
    if (openError == EISDIR)
        return "it is a directory";
    return std::strerror(openError);
}
