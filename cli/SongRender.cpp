#include "cli/SongRender.h"

#include "audio/OfflineWaveOut.h"
#include "cli/Arguments.h"
#include "cli/Command.h"
#include "cli/PcmWavFile.h"

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <limits>
#include <mutex>
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
    // What the render thread tells this one outlives the device, whose destructor waits
    // for that thread also when an error leaves early.
    std::mutex mutex;
    std::condition_variable ended;
    bool songEnded = false;
    std::uint64_t delivered = 0;
    OfflineWaveOut output;
    // The silent buffers queued at open are not part of the file: no copy of them is kept.
    output.keepBytes(false);
    SoundDevice device(output);
    // Nothing plays before it was refilled here, so the device never falls behind and
    // need not catch up: the render thread refills buffer after buffer in one wake-up,
    // not twelve at a time with this thread waking it for each dozen.
    device.setCatchUp(false);
    startSong(device, player, options);
    const auto bufferFrames = static_cast<std::uint64_t>(device.bufferBytes() / device.frameBytes());
    target.begin(PcmWavFile::lengthToCome);
    // The eight silent buffers queued at open are played first and are not part of the
    // song; each refill is, up to the one in which the song ended. The render thread runs
    // on until the device is closed, and those buffers are left out.
    output.deliverTo([&](const std::uint8_t* data, std::size_t count) {
        if (player.finished() && delivered * bufferFrames >= player.finishFrame()) {
            std::lock_guard lock(mutex);
            songEnded = true;
            ended.notify_one();
            return;
        }
        target.take(data, count);
        ++delivered;
    });
    output.playOnWrite(std::numeric_limits<std::size_t>::max());
    for (int i = 0; i < SoundDevice::bufferCount; ++i)
        output.playNext();
    {
        std::unique_lock lock(mutex);
        for (std::uint64_t refills = 0; !songEnded; refills = device.refillCount())
            if (!ended.wait_for(lock, std::chrono::seconds(10), [&] { return songEnded; }) &&
                device.refillCount() == refills)
                throw CommandError("the sound device stopped refilling its buffers");
    }
    device.close();
    output.deliverTo(nullptr);
}
