#pragma once

#include "framework/File.h"

#include <string>

// Writes a file so that a failure never costs the file that was there: the bytes go to
// a temporary file beside the target, which replaces the target only once everything
// was written (and, when `synced`, forced onto the disk, so that not even a crash of the
// system right after the replacement can cost the content). Until `commit` succeeds the
// target is untouched, and the temporary file is removed on every path that does not
// commit. A target that is a device or a FIFO (`-o /dev/null`) is written directly: it
// has no content to keep, and replacing it would put a plain file in its place.
class ReplacingFile {
public:
    enum class Durability { synced, unsynced };
    explicit ReplacingFile(std::string target, Durability durability = Durability::synced);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Creates the temporary file.
    bool open();
    // The temporary file, to write the content into.
    File& file() { return file_; }
    // Flushes (when synced), closes and renames the temporary file over the target.
    bool commit();

private:
    void discard();

    std::string target_;
    Durability durability_;
    std::string temporary_;
    File file_;
    bool created_ = false;
    bool direct_ = false;
};
