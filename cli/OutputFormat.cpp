#include "cli/OutputFormat.h"

#include "cli/Arguments.h"
#include "cli/Command.h"

OutputFormat takeOutputFormat(Arguments& args)
{
    OutputFormat format;
    if (auto text = args.takeOption("--rate")) {
        format.rate = static_cast<std::int32_t>(parseInteger(*text, 11025, 44100, "--rate"));
        if (format.rate != 11025 && format.rate != 22050 && format.rate != 44100)
            throw CommandError("--rate must be 11025, 22050 or 44100, not " + *text);
    }
    if (auto text = args.takeOption("--bits")) {
        format.bits = static_cast<std::int32_t>(parseInteger(*text, 8, 16, "--bits"));
        if (format.bits != 8 && format.bits != 16)
            throw CommandError("--bits must be 8 or 16, not " + *text);
    }
    if (auto text = args.takeOption("--channels"))
        format.channels = static_cast<std::int32_t>(parseInteger(*text, 1, 2, "--channels"));
    return format;
}
