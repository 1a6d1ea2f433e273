#include "framework/RiffChunks.h"

#include "framework/BufferedFile.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t chunkHeaderSize = 8;
constexpr std::size_t riffHeaderSize = 12;

bool isChunkId(const unsigned char* id, const char* name)
{
    return std::memcmp(id, name, 4) == 0;
}

} // namespace

RiffChunkWalker::RiffChunkWalker(File& file) : file_(file), fileSize_(file.size()), position_(file.position()) {}

RiffChunkWalker::RiffChunkWalker(File& file, const RiffChunk& list)
    : file_(file), fileSize_(list.body + list.size), position_(file.position()),
      next_(list.size < 4 ? fileSize_ : list.body + 4)
{
}

bool RiffChunkWalker::start(const char* form)
{
    unsigned char header[riffHeaderSize];
    if (fileSize_ < static_cast<std::int64_t>(sizeof header) || !readAt(0, header, sizeof header))
        return false;
    if (!isChunkId(header, "RIFF") || !isChunkId(header + 8, form))
        return false;
    next_ = sizeof header;
    return true;
}

RiffChunkWalker::Result RiffChunkWalker::find(const char* name, RiffChunk& chunk)
{
    for (;;) {
        if (afterOddChunk_) {
            next_ = afterOddChunk(next_);
            afterOddChunk_ = false;
        }
        if (next_ >= fileSize_)
            return Result::missing;
        if (fileSize_ - next_ < static_cast<std::int64_t>(chunkHeaderSize))
            return Result::truncated;
        unsigned char header[chunkHeaderSize];
        if (!readAt(next_, header, sizeof header))
            return Result::readFailed;
        std::memcpy(chunk.id, header, 4);
        chunk.size = loadU32(header + 4);
        chunk.body = next_ + static_cast<std::int64_t>(chunkHeaderSize);
        const std::int64_t end = chunk.body + chunk.size;
        if (end > fileSize_)
            return Result::truncated;
        // Where an odd-sized chunk ends is settled only when the walk goes on, so that
        // nothing behind the chunk that was looked for is read.
        next_ = end;
        afterOddChunk_ = chunk.size % 2 != 0;
        if (isChunkId(chunk.id, name))
            return Result::found;
    }
}

bool RiffChunkWalker::readAt(std::int64_t position, void* buffer, std::size_t count)
{
    if (!moveTo(position))
        return false;
    if (!file_.read(buffer, count)) {
        position_ = file_.position(); // a short read moved it by an unknown amount
        return false;
    }
    position_ += static_cast<std::int64_t>(count);
    return true;
}

// RIFF pads an odd-sized body with one byte, but some writers leave it out. The next
// chunk starts right behind the body when a plausible header stands there: its first
// byte is then printable, so it cannot be a (zero) pad byte. Otherwise the pad byte is
// skipped.
std::int64_t RiffChunkWalker::afterOddChunk(std::int64_t end)
{
    unsigned char header[chunkHeaderSize];
    if (fileSize_ - end < static_cast<std::int64_t>(chunkHeaderSize) || !readAt(end, header, sizeof header))
        return end + 1;
    return isPlausibleHeader(header, end) ? end : end + 1;
}

// Four printable characters and a body that fits in the file.
bool RiffChunkWalker::isPlausibleHeader(const unsigned char* header, std::int64_t position) const
{
    for (int i = 0; i < 4; ++i)
        if (header[i] < 0x20 || header[i] > 0x7E)
            return false;
    return position + static_cast<std::int64_t>(chunkHeaderSize) + loadU32(header + 4) <= fileSize_;
}

// File::seek moves at most 2 GiB at a time.
bool RiffChunkWalker::moveTo(std::int64_t position)
{
    if (position_ < 0)
        return false;
    while (position_ != position) {
        const std::int64_t step = std::clamp<std::int64_t>(position - position_, INT32_MIN, INT32_MAX);
        if (!file_.seek(static_cast<std::int32_t>(step), File::fromCurrent))
            return false;
        position_ += step;
    }
    return true;
}
