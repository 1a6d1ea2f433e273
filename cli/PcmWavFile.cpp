#include "cli/PcmWavFile.h"

#include "cli/Command.h"

#include <cerrno>
#include <cstring>

namespace {

// Room for a few of the device's buffers, so that the bytes a write call hands the
// system are still in the processor's cache.
constexpr std::size_t streamBufferBytes = 64 * 1024;

} // namespace

PcmWavFile::PcmWavFile(std::string path, const PcmFormat& format)
    : path_(std::move(path)), format_(format), target_(path_, ReplacingFile::Durability::unsynced)
{
}

void PcmWavFile::begin(std::uint64_t byteCount)
{
    if (byteCount > largestPcmWavData && byteCount != lengthToCome)
        throw CommandError("the rendered sound is too long for a WAV file");
    if (!target_.open())
        throw CommandError("cannot create " + path_ + ": " + std::strerror(errno));
    out_.emplace(target_.file(), streamBufferBytes);
    promised_ = byteCount;
    written_ = 0;
    writePcmWavHeader(*out_, format_, byteCount == lengthToCome ? 0 : static_cast<std::uint32_t>(byteCount));
}

void PcmWavFile::take(const std::uint8_t* data, std::size_t count)
{
    out_->write(data, count);
    written_ += count;
    // errno belongs to this thread, which is not the one that reports the failure.
    if (out_->failed() && writeError_ == 0)
        writeError_ = errno;
}

void PcmWavFile::commit()
{
    if (out_ && promised_ == lengthToCome) {
        if (written_ > largestPcmWavData)
            throw CommandError("the rendered sound is too long for a WAV file; " + path_ + " was not written");
        promised_ = written_;
        if (writeError_ == 0 && out_->finish()) {
            // The header goes in again, now with the length the render came to.
            BufferedWriter header(target_.file(), 64);
            if (!target_.file().seek(0, File::fromBegin))
                writeError_ = errno;
            writePcmWavHeader(header, format_, static_cast<std::uint32_t>(written_));
            if (writeError_ == 0 && !header.finish())
                writeError_ = errno;
        }
    }
    if (!out_ || written_ != promised_)
        throw CommandError("the render gave " + std::to_string(written_) + " of the " + std::to_string(promised_) +
                           " bytes it announced; " + path_ + " was not written");
    if (writeError_ != 0)
        throw CommandError("cannot write " + path_ + ": " + std::strerror(writeError_));
    if (!out_->finish() || !target_.commit())
        throw CommandError("cannot write " + path_ + ": " + std::strerror(errno));
}
