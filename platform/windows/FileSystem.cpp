// Windows' C runtime opens in text mode unless told otherwise, takes names in the
// system code page (so they go through UTF-16 here), counts bytes per call in 32 bits
// and seeks in 32 bits unless asked.
#include "platform/FileSystem.h"

#include "platform/windows/WideFileName.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

namespace osfile {
namespace {

constexpr std::size_t largestTransfer = std::size_t{1} << 30;

} // namespace

int openFile(const char* utf8Name, bool forWriting)
{
    if (utf8Name == nullptr)
        return -1;
    const std::wstring name = wideFileName(utf8Name);
    const int flags = forWriting ? (_O_WRONLY | _O_CREAT | _O_TRUNC) : _O_RDONLY;
    const int descriptor = ::_wopen(name.c_str(), flags | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
    if (descriptor < 0) {
        // Windows refuses a directory as "permission denied"; say what it is.
        const DWORD attributes = GetFileAttributesW(name.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            errno = EISDIR;
        return -1;
    }
    struct _stati64 info {};
    if (!forWriting && (::_fstati64(descriptor, &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG)) {
        ::_close(descriptor);
        return notRegularFile;
    }
    return descriptor;
}

long long readFile(int descriptor, void* buffer, std::size_t count)
{
    return ::_read(descriptor, buffer, static_cast<unsigned>(std::min(count, largestTransfer)));
}

long long writeFile(int descriptor, const void* buffer, std::size_t count)
{
    return ::_write(descriptor, buffer, static_cast<unsigned>(std::min(count, largestTransfer)));
}

std::int64_t seekFile(int descriptor, std::int64_t distance, int whence)
{
    return ::_lseeki64(descriptor, distance, whence);
}

std::int64_t fileSize(int descriptor)
{
    struct _stati64 info {};
    return ::_fstati64(descriptor, &info) == 0 ? info.st_size : -1;
}

bool syncFile(int descriptor)
{
    return ::_commit(descriptor) == 0;
}

bool closeFile(int descriptor)
{
    return ::_close(descriptor) == 0;
}

long processId()
{
    return static_cast<long>(GetCurrentProcessId());
}

// Windows replaces an existing file only when asked to; write-through makes the
// replacement itself survive a crash, as the directory sync does elsewhere.
// A device name such as NUL cannot be replaced here: the replacement fails and is
// reported, and the device stays as it was.
bool isDevice(const std::string&)
{
    return false;
}

bool replaceFile(const std::string& temporary, const std::string& target)
{
    return MoveFileExW(wideFileName(temporary).c_str(), wideFileName(target).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool replaceFileUnsynced(const std::string& temporary, const std::string& target)
{
    return replaceFile(temporary, target);
}

void removeFile(const std::string& name)
{
    DeleteFileW(wideFileName(name).c_str());
}

// The read-only attribute is all Windows keeps of permissions, and a read-only
// temporary file could be neither moved over the target nor removed: nothing is kept.
void keepPermissions(const std::string&, const std::string&) {}

void syncDirectoryOf(const std::string&) {}

bool isTerminal(int descriptor)
{
    return _isatty(descriptor) != 0;
}

} // namespace osfile
