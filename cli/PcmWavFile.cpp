#include "cli/PcmWavFile.h"

#include "cli/Command.h"
#include "framework/BufferedFile.h"
#include "framework/ReplacingFile.h"

#include <cerrno>
#include <cstring>

void writePcmWav(const std::string& path, std::int32_t bits, std::int32_t rate, std::int32_t channels,
                 const std::vector<std::uint8_t>& data)
{
    constexpr std::uint32_t headerBytes = 44;
    if (data.size() > 0xFFFFFFFFu - headerBytes)
        throw CommandError("the rendered sound is too long for a WAV file");
    const auto blockAlign = static_cast<std::uint16_t>(bits / 8 * channels);
    const auto dataBytes = static_cast<std::uint32_t>(data.size());

    ReplacingFile target(path);
    if (!target.open())
        throw CommandError("cannot create " + path + ": " + std::strerror(errno));
    BufferedWriter out(target.file());
    out.write("RIFF", 4);
    out.writeU32(headerBytes - 8 + dataBytes);
    out.write("WAVEfmt ", 8);
    out.writeU32(16);
    out.writeU16(1); // PCM
    out.writeU16(static_cast<std::uint16_t>(channels));
    out.writeU32(static_cast<std::uint32_t>(rate));
    out.writeU32(static_cast<std::uint32_t>(rate) * blockAlign);
    out.writeU16(blockAlign);
    out.writeU16(static_cast<std::uint16_t>(bits));
    out.write("data", 4);
    out.writeU32(dataBytes);
    out.write(data.data(), data.size());
    if (!out.finish() || !target.commit())
        throw CommandError("cannot write " + path + ": " + std::strerror(errno));
}
