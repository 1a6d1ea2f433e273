#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A thin owner of one open file with exact reads: a read succeeds only when every byte
// asked for arrived, a write only when every byte was written. Files opened for
// writing are created or truncated; files opened for reading must exist. Other
// processes may read a file while it is open here.
class File {
public:
    // Access modes, with the values the program has always used for them.
    static constexpr std::uint32_t genericRead = 0x80000000u;
    static constexpr std::uint32_t genericWrite = 0x40000000u;

    // Status codes kept in `status`.
    static constexpr std::uint32_t errorSeek = 0x80000000u;
    static constexpr std::uint32_t errorOpen = 0x80000005u;
    static constexpr std::uint32_t errorReadWrite = 0x80000006u;

    enum Origin { fromBegin = 0, fromCurrent = 1, fromEnd = 2 };

    File() = default;
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Closes any open file first. Reading when `access` is exactly genericRead,
    // otherwise writing (create or truncate).
    bool open(const char* fileName, std::uint32_t access);
    bool close();
    bool isOpen() const { return handle_ >= 0; }

    bool read(void* buffer, std::size_t count);
    bool write(const void* buffer, std::size_t count);
    bool seek(std::int32_t distance, Origin origin);

    // Byte length of the open file, or -1.
    std::int64_t size() const;
    // Current position in the open file, or -1.
    std::int64_t position() const;
    // Forces what was written onto the disk.
    bool flush();

    std::uint32_t status = 0;
    // Why the last open failed: the system's error number, or notRegularFile for a
    // pipe, a FIFO or a device named for reading (refused at once: every reader here
    // needs the file's size and seeks in it). 0 after a successful open.
    static constexpr int notRegularFile = -1;
    int openError = 0;

private:
    int handle_ = -1;
};

// The reason an open failed, as a phrase for messages: "No such file or directory",
// "it is a directory", ...
std::string describeOpenError(int openError);
