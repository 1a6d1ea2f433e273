#include "cli/SongRender.h"

#include "audio/OfflineWaveOut.h"
#include "cli/Arguments.h"
#include "cli/Command.h"
#include "cli/PcmWavFile.h"

#include <cmath>
#include <string>

SongRenderOptions takeSongRenderOptions(Arguments& args)
{
    SongRenderOptions options;
    options.format = takeOutputFormat(args);
    if (auto text = args.takeOption("--voices"))
        options.player.voices = static_cast<std::uint32_t>(parseInteger(*text, 1, 1024, "--voices"));
    if (auto text = args.takeOption("--tail")) {
        options.player.tailSeconds = parseSeconds(*text, "--tail");
        if (options.player.tailSeconds > 3600)
            throw CommandError("--tail must be at most 3600 seconds, not " + *text);
    }
    if (auto text = args.takeOption("--gain")) {
        const double gain = parseSeconds(*text, "--gain");
        if (gain > 64)
            throw CommandError("--gain must be at most 64, not " + *text);
        options.gain = static_cast<std::int32_t>(std::lround(gain * SoundDevice::unitOutputGain));
    }
    return options;
}

void startSong(SoundDevice& device, SongPlayer& player, const SongRenderOptions& options)
{
    const OutputFormat& format = options.format;
    if (!device.open(format.bits, format.rate, format.channels))
        throw CommandError("cannot open the sound device for " + std::to_string(format.bits) + " bits, " +
                           std::to_string(format.rate) + " Hz, " + std::to_string(format.channels) +
                           " channels (is there a sound card?)");
    device.setOutputGain(options.gain);
    if (!player.connect(device, 0))
        throw CommandError("the sound device refused the song's voices");
}

void renderSongOffline(SongPlayer& player, const SongRenderOptions& options, RenderTarget& target)
{
    OfflineWaveOut output;
    SoundDevice device(output);
    startSong(device, player, options);
    const auto bufferFrames = static_cast<std::uint64_t>(device.bufferBytes() / device.frameBytes());
    target.begin(PcmWavFile::lengthToCome);
    // The eight silent buffers queued at open are played first and are not part of the
    // song; each refill is, up to the one in which the song ended. The render thread runs
    // on for the rest of its wake-up, and those buffers are left out.
    std::uint64_t delivered = 0;
    output.deliverTo([&](const std::uint8_t* data, std::size_t count) {
        if (player.finished() && delivered * bufferFrames >= player.finishFrame())
            return;
        target.take(data, count);
        ++delivered;
    });
    while (!player.finished())
        if (!output.playAndWait(device, OfflineWaveOut::mostRefillsAtOnce))
            throw CommandError("the sound device stopped refilling its buffers");
    output.deliverTo(nullptr);
    device.close();
}
