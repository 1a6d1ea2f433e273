#include "cli/Arguments.h"
#include "cli/BankInspection.h"
#include "cli/Command.h"
#include "cli/NotePlan.h"
#include "cli/SoundCard.h"

#include <chrono>
#include <thread>

namespace {

// How long the queued buffers take to play out, so that the note is heard to the end.
std::chrono::milliseconds queuedTime(const SoundDevice& device)
{
    const auto frames = SoundDevice::bufferCount * SoundDevice::blocksPerBuffer * device.blockFrames();
    return std::chrono::milliseconds(1000 * frames / device.sampleRate());
}

int runPlay(Arguments& args, CommandContext& context)
{
    NotePlan plan = takeNotePlan(args, false);
    const std::string bankPath = args.positionals(1)[0];
    const auto bank = std::make_unique<ToneBank>();
    openBank(*bank, bankPath);
    chooseTone(plan, *bank);

    std::unique_ptr<WaveOut> output = makeSoundCardOutput();
    if (!output)
        throw CommandError("this build of zbk has no sound output");
    SoundDevice device(*output);
    if (!device.open(16, 44100, 2))
        throw CommandError("cannot open the sound device (is there a sound card?)");
    Synth synth;
    if (!synth.connect(device, 0))
        throw CommandError("the sound device refused the voice");
    context.out << "playing " << (plan.drum ? "drum tone " : "program ") << plan.toneIndex << ", note " << plan.note
                << '\n';
    startNote(synth, plan);
    std::this_thread::sleep_for(std::chrono::duration<double>(plan.hold));
    synth.noteOff();
    // Let the release sound while the voice ends by itself (a drum plays to its end),
    // within the time a voice's release or a long drum may take, then let the queued
    // buffers play out.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (synth.state().active && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::this_thread::sleep_for(queuedTime(device));
    synth.silence();
    device.close();
    return 0;
}

} // namespace

extern const Command playCommand{
    "play",
    "play one note of a tone on the sound card",
    "usage: zbk play BANK (--program P | --drum D) --note N [--hold S] [--volume V]\n"
    "                [--modulation M]\n"
    "\n"
    "Plays one note of instrument tone P or drum tone D on the default sound card, as\n"
    "the audition dialog does: the key is held for S seconds (default 1), then released,\n"
    "and the tool waits until the voice has ended (at most 10 s) and its sound was played.\n"
    "Options as for zbk render. Without a sound card it says so and exits with status 1.\n",
    runPlay,
};
