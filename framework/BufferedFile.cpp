#include "framework/BufferedFile.h"

#include <algorithm>
#include <cstring>

BufferedReader::BufferedReader(File& file, std::size_t bufferSize)
    : file_(file), buffer_(std::make_unique_for_overwrite<unsigned char[]>(bufferSize)), size_(bufferSize)
{
}

bool BufferedReader::read(void* buffer, std::size_t count)
{
    // An empty wave's storage may be a null pointer, which no copy may be given.
    if (count == 0)
        return true;
    auto* out = static_cast<unsigned char*>(buffer);
    const std::size_t buffered = std::min(count, end_ - begin_);
    std::memcpy(out, buffer_.get() + begin_, buffered);
    begin_ += buffered;
    out += buffered;
    count -= buffered;
    if (count == 0)
        return true;
    if (count >= size_)
        return file_.read(out, count);

    // Refill with whatever the file still has, up to one buffer.
    const std::int64_t left = file_.size() - file_.position();
    if (left < static_cast<std::int64_t>(count))
        return file_.read(out, count); // fails as an exact read does, with its status
    const auto fill = static_cast<std::size_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(size_)));
    if (!file_.read(buffer_.get(), fill))
        return false;
    begin_ = 0;
    end_ = fill;
    std::memcpy(out, buffer_.get(), count);
    begin_ = count;
    return true;
}

std::int64_t BufferedReader::remaining() const
{
    const std::int64_t size = file_.size();
    const std::int64_t position = file_.position();
    if (size < 0 || position < 0)
        return -1;
    return size - position + static_cast<std::int64_t>(end_ - begin_);
}

BufferedWriter::BufferedWriter(File& file, std::size_t bufferSize)
    : file_(file), buffer_(std::make_unique_for_overwrite<unsigned char[]>(bufferSize)), size_(bufferSize)
{
}

void BufferedWriter::write(const void* data, std::size_t count)
{
    if (failed_ || count == 0)
        return;
    const auto* in = static_cast<const unsigned char*>(data);
    if (used_ + count > size_) {
        if (!flushBuffer())
            return;
        if (count >= size_) {
            failed_ = !file_.write(in, count);
            return;
        }
    }
    std::memcpy(buffer_.get() + used_, in, count);
    used_ += count;
}

void BufferedWriter::writeU16(std::uint16_t value)
{
    unsigned char bytes[2];
    storeU16(bytes, value);
    write(bytes, sizeof bytes);
}

void BufferedWriter::writeU32(std::uint32_t value)
{
    unsigned char bytes[4];
    storeU32(bytes, value);
    write(bytes, sizeof bytes);
}

bool BufferedWriter::finish()
{
    return flushBuffer();
}

bool BufferedWriter::flushBuffer()
{
    if (!failed_ && used_ > 0)
        failed_ = !file_.write(buffer_.get(), used_);
    used_ = 0;
    return !failed_;
}
