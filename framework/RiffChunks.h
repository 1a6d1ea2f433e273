#pragma once

#include "framework/File.h"

#include <cstddef>
#include <cstdint>

// One chunk of a RIFF file: its name, its body's size and where its body starts.
struct RiffChunk {
    unsigned char id[4] = {};
    std::uint32_t size = 0;
    std::int64_t body = 0;
};

// Walks the chunks of one open RIFF file of a given form ("WAVE"). Every size is checked
// against the file's length before it is trusted, so a damaged or hostile file is
// refused without anything larger than the file being read or allocated. Positions are
// tracked here rather than asked of the file, and every seek is made from them; a new
// walker starts from wherever the file stands, so walkers may follow one another on
// one file (the one that moved it last goes on).
class RiffChunkWalker {
public:
    enum class Result {
        found,
        missing,   // the file ends cleanly between chunks before one of that name
        truncated, // the file ends inside a chunk header, or a chunk runs past its end
        readFailed,
    };

    explicit RiffChunkWalker(File& file);
    // Walks the chunks inside the body of a "LIST" chunk that an outer walk found: the
    // list's own form (its body's first four bytes) is skipped, and the walk ends where
    // the list ends, so that no chunk inside it is taken to run on past it.
    RiffChunkWalker(File& file, const RiffChunk& list);

    // Checks the 12-byte RIFF header and its form; the walk then starts behind it.
    bool start(const char* form);
    // Skips chunks up to the next one named `name`, whose body lies inside the file.
    Result find(const char* name, RiffChunk& chunk);
    // Exact read of `count` bytes at `position`.
    bool readAt(std::int64_t position, void* buffer, std::size_t count);

private:
    std::int64_t afterOddChunk(std::int64_t end);
    bool isPlausibleHeader(const unsigned char* header, std::int64_t position) const;
    bool moveTo(std::int64_t position);

    File& file_;
    const std::int64_t fileSize_;
    std::int64_t position_ = 0;
    std::int64_t next_ = 0;
    bool afterOddChunk_ = false;
};
