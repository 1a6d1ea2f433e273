#include "bank/PcmWavHeader.h"

namespace {

// What the RIFF length counts beside the data: "WAVE", the format chunk and the data
// chunk's header.
constexpr std::uint32_t headerBytesAfterRiffLength = 36;
constexpr std::uint32_t formatBodyBytes = 16;
constexpr std::uint16_t formatPcm = 1;

} // namespace

void writePcmWavHeader(BufferedWriter& out, const PcmFormat& format, std::uint32_t dataBytes)
{
    const auto blockAlign = static_cast<std::uint16_t>(format.bits / 8 * format.channels);
    out.write("RIFF", 4);
    out.writeU32(headerBytesAfterRiffLength + dataBytes);
    out.write("WAVEfmt ", 8);
    out.writeU32(formatBodyBytes);
    out.writeU16(formatPcm);
    out.writeU16(format.channels);
    out.writeU32(format.rate);
    out.writeU32(format.rate * blockAlign); // bytes per second
    out.writeU16(blockAlign);
    out.writeU16(format.bits);
    out.write("data", 4);
    out.writeU32(dataBytes);
}
