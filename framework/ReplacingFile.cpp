#include "framework/ReplacingFile.h"

#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#ifdef _WIN32
#include "framework/WideFileName.h"

#include <windows.h>
#endif

namespace {

// A name beside the target that no other writer in this or another process picks.
std::string temporaryNameFor(const std::string& target)
{
    static std::atomic<unsigned> counter{0};
    return target + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
}

#ifdef _WIN32

// Windows replaces an existing file only when asked to; write-through makes the
// replacement itself survive a crash, as the directory sync does elsewhere.
bool replaceTarget(const std::string& temporary, const std::string& target)
{
    return MoveFileExW(wideFileName(temporary).c_str(), wideFileName(target).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void removeTemporary(const std::string& temporary)
{
    DeleteFileW(wideFileName(temporary).c_str());
}

// The read-only attribute is all Windows keeps of permissions, and a read-only
// temporary file could be neither moved over the target nor removed: nothing is kept.
void keepPermissions(const std::string&, const std::string&) {}

void syncDirectoryOf(const std::string&) {}

#else

bool replaceTarget(const std::string& temporary, const std::string& target)
{
    return std::rename(temporary.c_str(), target.c_str()) == 0;
}

void removeTemporary(const std::string& temporary)
{
    std::remove(temporary.c_str());
}

// A replaced file keeps the permissions it had.
void keepPermissions(const std::string& target, const std::string& temporary)
{
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0)
        ::chmod(temporary.c_str(), old.st_mode & 07777);
}

std::string directoryOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Makes the rename itself survive a crash.
void syncDirectoryOf(const std::string& path)
{
    const int fd = ::open(directoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

#endif

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
    keepPermissions(target_, temporary_);
    return true;
}

bool ReplacingFile::commit()
{
    if (!created_)
        return false;
    const bool written = file_.flush() && file_.close();
    if (!written || !replaceTarget(temporary_, target_)) {
        discard();
        return false;
    }
    created_ = false;
    syncDirectoryOf(target_);
    return true;
}

void ReplacingFile::discard()
{
    if (!created_)
        return;
    file_.close();
    removeTemporary(temporary_);
    created_ = false;
}
