#pragma once

#include <cstdint>

class Arguments;

// The sound device's format for a render: 11025, 22050 or 44100 Hz, 8 or 16 bits, one or
// two channels.
struct OutputFormat {
    std::int32_t rate = 44100;
    std::int32_t bits = 16;
    std::int32_t channels = 2;
};

// Takes --rate, --bits and --channels out of `args`; a value the device does not take is
// a CommandError naming the option.
OutputFormat takeOutputFormat(Arguments& args);
