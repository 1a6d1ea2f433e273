#include "framework/ReplacingFile.h"

#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string directoryOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A name beside the target that no other writer in this or another process picks.
std::string temporaryNameFor(const std::string& target)
{
    static std::atomic<unsigned> counter{0};
    return target + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
}

// Makes the rename itself survive a crash.
void syncDirectory(const std::string& directory)
{
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

ReplacingFile::ReplacingFile(std::string target) : target_(std::move(target)) {}

ReplacingFile::~ReplacingFile()
{
    discard();
}

bool ReplacingFile::open()
{
    discard();
    temporary_ = temporaryNameFor(target_);
    if (!file_.open(temporary_.c_str(), File::genericWrite))
        return false;
    created_ = true;
    // A replaced file keeps the permissions it had.
    struct stat old {};
    if (::stat(target_.c_str(), &old) == 0)
        ::chmod(temporary_.c_str(), old.st_mode & 07777);
    return true;
}

bool ReplacingFile::commit()
{
    if (!created_)
        return false;
    const bool written = file_.flush() && file_.close();
    if (!written || std::rename(temporary_.c_str(), target_.c_str()) != 0) {
        discard();
        return false;
    }
    created_ = false;
    syncDirectory(directoryOf(target_));
    return true;
}

void ReplacingFile::discard()
{
    if (!created_)
        return;
    file_.close();
    std::remove(temporary_.c_str());
    created_ = false;
}
