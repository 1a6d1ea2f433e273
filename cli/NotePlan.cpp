#include "cli/NotePlan.h"

#include "audio/OfflineWaveOut.h"
#include "cli/Arguments.h"
#include "cli/Command.h"
#include "synth/NoteTable.h"

#include <algorithm>
#include <cmath>
#include <string>

NotePlan takeNotePlan(Arguments& args, bool withRelease)
{
    NotePlan plan;
    const auto program = args.takeOption("--program");
    const auto drum = args.takeOption("--drum");
    if (program.has_value() == drum.has_value())
        throw CommandError("give either --program P or --drum D");
    plan.drum = drum.has_value();
    plan.toneIndex = static_cast<std::uint32_t>(program ? parseInteger(*program, 0, 127, "--program")
                                                        : parseInteger(*drum, 0, 16383, "--drum"));

    const auto note = args.takeOption("--note");
    if (!note)
        throw CommandError("--note N is required");
    plan.note = static_cast<std::uint32_t>(parseInteger(*note, 0, noteTableSize - 1, "--note"));
    if (auto hold = args.takeOption("--hold"))
        plan.hold = parseSeconds(*hold, "--hold");
    if (withRelease)
        if (auto release = args.takeOption("--release"))
            plan.release = parseSeconds(*release, "--release");
    if (auto volume = args.takeOption("--volume"))
        plan.volume = static_cast<std::int32_t>(parseInteger(*volume, 0, 127, "--volume"));
    if (auto modulation = args.takeOption("--modulation"))
        plan.modulation = static_cast<std::int32_t>(parseInteger(*modulation, 0, 255, "--modulation"));
    return plan;
}

void chooseTone(NotePlan& plan, const ToneBank& bank)
{
    if (plan.drum && plan.toneIndex >= bank.drumToneCount())
        throw CommandError("drum tone " + std::to_string(plan.toneIndex) + " is not in the bank, which has " +
                           std::to_string(bank.drumToneCount()) + " drum tones");
    plan.tone = plan.drum ? bank.getDrumTone(plan.toneIndex) : bank.getInstrumentTone(plan.toneIndex);
    plan.tone.wave = bank.resolveWave(plan.tone.wave);
}

void startNote(Synth& synth, const NotePlan& plan)
{
    synth.setModulation(plan.modulation);
    synth.setTone(plan.tone);
    synth.setVolume(static_cast<std::uint32_t>(plan.volume));
    synth.noteOn(noteFrequency(plan.note));
}

std::uint32_t buffersFor(double seconds, const SoundDevice& device)
{
    const double bufferFrames = SoundDevice::blocksPerBuffer * static_cast<double>(device.blockFrames());
    return static_cast<std::uint32_t>(std::lround(seconds * device.sampleRate() / bufferFrames));
}

void renderNoteOffline(const NotePlan& plan, std::int32_t bits, std::int32_t rate, std::int32_t channels,
                       RenderTarget& target)
{
    OfflineWaveOut output;
    // The silent buffers queued at open are not part of the file: no copy of them is kept.
    output.keepBytes(false);
    SoundDevice device(output);
    if (!device.open(bits, rate, channels))
        throw CommandError("cannot open an offline sound device for " + std::to_string(bits) + " bits, " +
                           std::to_string(rate) + " Hz, " + std::to_string(channels) + " channels");
    Synth synth;
    if (!synth.connect(device, 0))
        throw CommandError("the sound device refused the voice");
    startNote(synth, plan);

    // The eight silent buffers queued at open are played first and are not part of the
    // sound; each one played is refilled once, and the refills go to `target`. As many
    // are played at a time as one wake-up of the render thread may refill, so that it is
    // woken once for many refills rather than once for each, and waiting for the refills
    // of the hold's last buffer keeps the note-off on its buffer boundary.
    const std::uint32_t held = buffersFor(plan.hold, device);
    const std::uint32_t total = held + buffersFor(plan.release, device);
    target.begin(std::uint64_t{total} * static_cast<std::uint64_t>(device.bufferBytes()));
    output.deliverTo([&target](const std::uint8_t* data, std::size_t count) { target.take(data, count); });
    for (std::uint32_t refill = 0; refill < total;) {
        if (refill == held)
            synth.noteOff();
        const std::uint32_t end = refill < held ? held : total;
        const std::uint32_t count = std::min<std::uint32_t>(end - refill, OfflineWaveOut::mostRefillsAtOnce);
        if (!output.playAndWait(device, count))
            throw CommandError("the sound device stopped refilling its buffers");
        refill += count;
    }
    output.deliverTo(nullptr);
    synth.silence();
    device.close();
}
