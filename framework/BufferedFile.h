#pragma once

#include "framework/File.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// Reads an open File through a buffer, so that many small exact reads cost one
// system call per buffer instead of one each. Large reads go straight to the caller.
class BufferedReader {
public:
    explicit BufferedReader(File& file, std::size_t bufferSize = 1u << 18);
    // Exact read: true only when all `count` bytes arrived.
    bool read(void* buffer, std::size_t count);
    // Bytes of the file not yet handed out, or -1 when the file cannot tell.
    std::int64_t remaining() const;

private:
    File& file_;
    // Left uninitialised: every byte is written before it is read.
    std::unique_ptr<unsigned char[]> buffer_;
    std::size_t size_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
};

// Collects small writes into large ones. The first failed write sticks: later writes
// do nothing, and `finish` reports it.
class BufferedWriter {
public:
    explicit BufferedWriter(File& file, std::size_t bufferSize = 1u << 20);
    void write(const void* data, std::size_t count);
    void writeU16(std::uint16_t value);
    void writeU32(std::uint32_t value);
    // Writes what is buffered; true when every write so far succeeded.
    bool finish();
    // Whether a write has failed; errno tells why right after the call that failed.
    bool failed() const { return failed_; }

private:
    bool flushBuffer();

    File& file_;
    std::unique_ptr<unsigned char[]> buffer_;
    std::size_t size_;
    std::size_t used_ = 0;
    bool failed_ = false;
};

// Little-endian integers in byte buffers, as every file of the program stores them.
inline std::uint16_t loadU16(const unsigned char* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t loadU32(const unsigned char* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline void storeU16(unsigned char* p, std::uint16_t value)
{
    p[0] = static_cast<unsigned char>(value);
    p[1] = static_cast<unsigned char>(value >> 8);
}

inline void storeU32(unsigned char* p, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(value >> (8 * i));
}
