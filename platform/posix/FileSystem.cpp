#include "platform/FileSystem.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace osfile {

int openFile(const char* utf8Name, bool forWriting)
{
    if (utf8Name == nullptr)
        return -1;
    if (forWriting)
        return ::open(utf8Name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    // A FIFO without a writer would hold the open for ever; without waiting, it is seen
    // for what it is and refused like a pipe, since readers here need a size and seeks.
    const int descriptor = ::open(utf8Name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return -1;
    struct stat info {};
    if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
        const bool directory = S_ISDIR(info.st_mode);
        ::close(descriptor);
        if (!directory)
            return notRegularFile;
        errno = EISDIR;
        return -1;
    }
    ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    return descriptor;
}

long long readFile(int descriptor, void* buffer, std::size_t count)
{
    ssize_t got;
    do {
        got = ::read(descriptor, buffer, count);
    } while (got < 0 && errno == EINTR);
    return got;
}

long long writeFile(int descriptor, const void* buffer, std::size_t count)
{
    ssize_t put;
    do {
        put = ::write(descriptor, buffer, count);
    } while (put < 0 && errno == EINTR);
    return put;
}

std::int64_t seekFile(int descriptor, std::int64_t distance, int whence)
{
    return ::lseek(descriptor, distance, whence);
}

std::int64_t fileSize(int descriptor)
{
    struct stat info {};
    return ::fstat(descriptor, &info) == 0 ? info.st_size : -1;
}

bool syncFile(int descriptor)
{
    return ::fsync(descriptor) == 0;
}

bool closeFile(int descriptor)
{
    // POSIX leaves the descriptor closed even when close reports an error.
    return ::close(descriptor) == 0;
}

long processId()
{
    return static_cast<long>(::getpid());
}

bool isDevice(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
}

bool replaceFile(const std::string& temporary, const std::string& target)
{
    return std::rename(temporary.c_str(), target.c_str()) == 0;
}

bool replaceFileUnsynced(const std::string& temporary, const std::string& target)
{
#ifdef RENAME_EXCHANGE
    // Only a regular file is swapped out; anything else, or a system without the swap,
    // is replaced as usual.
    struct stat info {};
    if (::lstat(target.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        ::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0) {
        ::unlink(temporary.c_str());
        return true;
    }
#endif
    return replaceFile(temporary, target);
}

void removeFile(const std::string& name)
{
    std::remove(name.c_str());
}

void keepPermissions(const std::string& target, const std::string& temporary)
{
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0)
        ::chmod(temporary.c_str(), old.st_mode & 07777);
}

namespace {

std::string directoryOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

void syncDirectoryOf(const std::string& path)
{
    const int descriptor = ::open(directoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor >= 0) {
        ::fsync(descriptor);
        ::close(descriptor);
    }
}

bool isTerminal(int descriptor)
{
    return isatty(descriptor) == 1;
}

} // namespace osfile
