#include "player/ChannelState.h"

#include <algorithm>
#include <cmath>

void ChannelState::resetControllers()
{
    modulation = 0;
    expression = 127;
    pedal = false;
    bend = 0;
    parameter = noParameter;
}

PitchRatio ChannelState::pitchRatio() const
{
    if (bend == 0)
        return unitPitchRatio;
    const double cents = static_cast<double>(bend) * (bendRangeSemitones * 100 + bendRangeCents) / 8192.0;
    return static_cast<PitchRatio>(std::llround(std::exp2(cents / 1200.0) * static_cast<double>(unitPitchRatio)));
}

std::uint32_t voiceVolume(std::uint32_t velocity, std::uint32_t volume, std::uint32_t expression)
{
    if (velocity == 0)
        return 0;
    constexpr std::uint64_t full = 127ull * 127 * 127;
    const std::uint64_t product =
        std::uint64_t{std::min(velocity, 127u)} * std::min(volume, 127u) * std::min(expression, 127u);
    // 127 x product^2 / 127^6 = product^2 / 127^5; product^2 is below 2^42.
    const std::uint64_t curved = product * product / (full * full / 127);
    return static_cast<std::uint32_t>(std::max<std::uint64_t>(curved, 1));
}
