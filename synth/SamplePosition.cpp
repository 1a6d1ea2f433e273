#include "synth/SamplePosition.h"

#include <limits>

namespace {

__extension__ using Wide = unsigned __int128;
__extension__ using SignedWide = __int128;
constexpr SamplePosition largest = std::numeric_limits<SamplePosition>::max();

} // namespace

SamplePosition instrumentStep(std::uint32_t cycleSize, std::uint32_t frequency, std::uint32_t sampleRate)
{
    if (sampleRate == 0)
        return 0;
    const Wide step = (static_cast<Wide>(cycleSize) * frequency << 25) / sampleRate;
    return step > largest ? largest : static_cast<SamplePosition>(step);
}

SamplePosition bentStep(SamplePosition step, PitchRatio ratio)
{
    if (ratio == unitPitchRatio)
        return step;
    const Wide bent = static_cast<Wide>(step) * ratio >> 32;
    return bent > largest ? largest : static_cast<SamplePosition>(bent);
}

SamplePosition bentDrumStep(std::int32_t speed, PitchRatio ratio)
{
    if (ratio == unitPitchRatio)
        return drumStep(speed);
    // speed x 2^16 x ratio / 2^32, with the sign kept; the product needs at most 96 bits.
    const SignedWide bent = static_cast<SignedWide>(speed) * static_cast<SignedWide>(ratio) / 65536;
    return static_cast<SamplePosition>(static_cast<std::uint64_t>(bent));
}
