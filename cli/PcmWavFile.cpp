#include "cli/PcmWavFile.h"

#include "bank/PcmWavHeader.h"
#include "cli/Command.h"
#include "framework/BufferedFile.h"
#include "framework/ReplacingFile.h"

#include <cerrno>
#include <cstring>

void writePcmWav(const std::string& path, std::int32_t bits, std::int32_t rate, std::int32_t channels,
                 const std::vector<std::uint8_t>& data)
{
    if (data.size() > largestPcmWavData)
        throw CommandError("the rendered sound is too long for a WAV file");
    const auto dataBytes = static_cast<std::uint32_t>(data.size());

    ReplacingFile target(path);
    if (!target.open())
        throw CommandError("cannot create " + path + ": " + std::strerror(errno));
    BufferedWriter out(target.file());
    writePcmWavHeader(out, {static_cast<std::uint16_t>(bits), static_cast<std::uint32_t>(rate),
                            static_cast<std::uint16_t>(channels)},
                      dataBytes);
    out.write(data.data(), data.size());
    if (!out.finish() || !target.commit())
        throw CommandError("cannot write " + path + ": " + std::strerror(errno));
}
