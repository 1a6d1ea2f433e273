#pragma once

// The operating system's files, as File and ReplacingFile use them: descriptors opened
// by UTF-8 names, transfers, sizes, syncing, and putting one file in another's place.
// POSIX in platform/posix; the C runtime and Win32 in platform/windows.
#include <cstddef>
#include <cstdint>
#include <string>

namespace osfile {

// openFile's answer for a name to read that is not a regular file or a directory: a
// pipe, a FIFO, a device.
constexpr int notRegularFile = -2;

// Opens an existing file for reading, or creates or empties one for writing (readable
// and writable as the user's defaults allow); binary, and not inherited by programs
// this one starts. A descriptor, or -1 with errno set (EISDIR for a directory to read),
// or notRegularFile. Whatever the name is, opening it never waits for a writer.
int openFile(const char* utf8Name, bool forWriting);
// Moves up to `count` bytes, fewer when the system says so; how many, 0 at the end of
// the file, or -1 on an error (an interrupted call is tried again, not reported).
long long readFile(int descriptor, void* buffer, std::size_t count);
long long writeFile(int descriptor, const void* buffer, std::size_t count);
// `whence` is SEEK_SET, SEEK_CUR or SEEK_END; the new position, or -1.
std::int64_t seekFile(int descriptor, std::int64_t distance, int whence);
std::int64_t fileSize(int descriptor);
// Whether everything written has reached the disk.
bool syncFile(int descriptor);
// The descriptor is given up in every case; false when the system reported an error.
bool closeFile(int descriptor);

// This program's process number, which no other running program has: it keeps the
// names of temporary files apart.
long processId();

// Whether `path` names an existing file that is neither a regular file nor a directory:
// a device such as /dev/null, or a FIFO. Such a file is written into, never replaced.
bool isDevice(const std::string& path);
// Puts `temporary` in the place of `target` in one step, replacing what was there.
bool replaceFile(const std::string& temporary, const std::string& target);
// The same for a file whose content need not reach the disk before the system's own
// time: where the system would start writing a file out when it replaces another (ext4
// does, to guard writers that never sync), the two swap names in one step instead, and
// the old file goes under the temporary name.
bool replaceFileUnsynced(const std::string& temporary, const std::string& target);
void removeFile(const std::string& name);
// Gives `temporary` what the system keeps of `target`'s permissions, where it can.
void keepPermissions(const std::string& target, const std::string& temporary);
// Makes a replacement in the directory of `path` survive a crash, where the system
// needs to be told.
void syncDirectoryOf(const std::string& path);
// Whether the descriptor is a terminal (a console), where a line of progress may be redrawn.
bool isTerminal(int descriptor);

} // namespace osfile
