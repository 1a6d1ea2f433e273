#include "cli/Arguments.h"
#include "cli/BankInspection.h"
#include "cli/Command.h"
#include "cli/SongFile.h"
#include "cli/SongRender.h"
#include "cli/SoundCard.h"
#include "platform/FileSystem.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <thread>

namespace {

// Set by Ctrl-C; a lock-free atomic is what a signal handler may touch.
std::atomic<bool> interrupted{false};

extern "C" void onInterrupt(int)
{
    interrupted.store(true);
}

// Ctrl-C ends the play instead of the process while the object lives.
class InterruptCatcher {
public:
    InterruptCatcher() : previous_(std::signal(SIGINT, onInterrupt)) { interrupted.store(false); }
    ~InterruptCatcher() { std::signal(SIGINT, previous_ == SIG_ERR ? SIG_DFL : previous_); }
    InterruptCatcher(const InterruptCatcher&) = delete;
    InterruptCatcher& operator=(const InterruptCatcher&) = delete;

private:
    void (*previous_)(int);
};

std::string minutesAndSeconds(std::uint64_t frames, std::int32_t rate)
{
    const std::uint64_t tenths = frames * 10 / static_cast<std::uint64_t>(rate);
    std::ostringstream text;
    text << tenths / 600 << ':' << std::setw(2) << std::setfill('0') << tenths / 10 % 60 << '.' << tenths % 10;
    return text.str();
}

// Waits for `done`, a tenth of a second at a time, redrawing the progress line on a
// terminal. False when Ctrl-C came first.
template <class Done, class Progress> bool waitFor(Done done, Progress progress)
{
    while (!done()) {
        if (interrupted.load())
            return false;
        progress();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return !interrupted.load();
}

int runPlayMidi(Arguments& args, CommandContext& context)
{
    const SongRenderOptions options = takeSongRenderOptions(args);
    const std::vector<std::string> paths = args.positionals(2);
    const auto bank = std::make_unique<ToneBank>();
    openBank(*bank, paths[0]);
    SongPlayer player(loadSongFile(paths[1], context), *bank, options.player);

    std::unique_ptr<WaveOut> output = makeSoundCardOutput();
    if (!output)
        throw CommandError("this build of zbk has no sound output");
    SoundDevice device(*output);
    InterruptCatcher catcher;
    startSong(device, player, options);

    const std::int32_t rate = options.format.rate;
    const auto bufferFrames = static_cast<std::uint64_t>(device.bufferBytes() / device.frameBytes());
    const bool terminal = &context.out == &std::cout && osfile::isTerminal(1);
    const std::string length = minutesAndSeconds(player.songFrames(), rate);
    const auto progress = [&] {
        if (!terminal)
            return;
        // Each refill follows a buffer played; the first eight played were the silence
        // queued at open.
        const std::uint64_t played = device.refillCount() > SoundDevice::bufferCount
                                         ? (device.refillCount() - SoundDevice::bufferCount) * bufferFrames
                                         : 0;
        context.out << "\rplaying " << minutesAndSeconds(std::min(played, player.songFrames()), rate) << " of "
                    << length << ' ' << std::flush;
    };
    context.out << "playing " << paths[1] << " (" << length << ")\n";
    bool whole = waitFor([&] { return player.finished(); }, progress);
    if (whole) {
        // The buffers queued after the song's end play out, so that its last sound is heard.
        const std::uint64_t heard = device.refillCount() + SoundDevice::bufferCount;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        whole = waitFor([&] { return device.refillCount() >= heard || std::chrono::steady_clock::now() > deadline; },
                        progress);
    }
    // Closing resets the output, which drops whatever is still queued: the card is quiet.
    device.close();
    if (terminal)
        context.out << '\n';
    if (!whole) {
        context.out << "stopped\n";
        return 130;
    }
    return 0;
}

} // namespace

extern const Command playMidiCommand{
    "play-midi",
    "play a Standard MIDI File with the bank's tones on the sound card",
    "usage: zbk play-midi BANK SONG.mid [--rate 11025|22050|44100] [--bits 8|16]\n"
    "                     [--channels 1|2] [--voices N] [--gain G] [--tail S]\n"
    "\n"
    "Plays the song on the default sound card exactly as zbk render-midi renders it (the\n"
    "same options, the same samples), after the half second of silence the device queues\n"
    "when it opens. On a terminal one line shows the time played of the song's length.\n"
    "Ctrl-C stops at once, leaving the card quiet, and exits with status 130. Without a\n"
    "sound card it says so and exits with status 1.\n",
    runPlayMidi,
};
