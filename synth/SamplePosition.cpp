#include "synth/SamplePosition.h"

#include <limits>

SamplePosition instrumentStep(std::uint32_t cycleSize, std::uint32_t frequency, std::uint32_t sampleRate)
{
    __extension__ using Wide = unsigned __int128;
    if (sampleRate == 0)
        return 0;
    const Wide step = (static_cast<Wide>(cycleSize) * frequency << 25) / sampleRate;
    constexpr SamplePosition largest = std::numeric_limits<SamplePosition>::max();
    return step > largest ? largest : static_cast<SamplePosition>(step);
}
