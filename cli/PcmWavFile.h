#pragma once

#include "bank/PcmWavHeader.h"
#include "cli/NotePlan.h"
#include "framework/BufferedFile.h"
#include "framework/ReplacingFile.h"

#include <cstdint>
#include <optional>
#include <string>

// Writes a PCM WAV file (8-bit samples unsigned, 16-bit signed little-endian) as its
// samples arrive from a render. The file at `path` is replaced only by `commit`, once
// every byte promised to `begin` was written; on every other path it stays as it was.
// A render can be made again from its bank and song, so the file is not forced onto
// the disk before it replaces the old one: waiting for the disk took longer than
// rendering most songs. Failures are CommandErrors.
class PcmWavFile : public RenderTarget {
public:
    PcmWavFile(std::string path, const PcmFormat& format);

    // Creates the temporary file and writes the header for `byteCount` bytes of data, or,
    // for lengthToCome, for as many as `commit` finds written.
    static constexpr std::uint64_t lengthToCome = ~std::uint64_t{0};
    void begin(std::uint64_t byteCount) override;
    // A write error sticks and is reported by `commit`.
    void take(const std::uint8_t* data, std::size_t count) override;
    void commit();
    // The data bytes written so far.
    std::uint64_t dataBytes() const { return written_; }

private:
    std::string path_;
    PcmFormat format_;
    ReplacingFile target_;
    std::optional<BufferedWriter> out_;
    std::uint64_t promised_ = 0;
    std::uint64_t written_ = 0;
    int writeError_ = 0;
};
