#include "synth/Synth.h"

#include "audio/SoundDevice.h"
#include "synth/DrumRender.h"
#include "synth/InstrumentRender.h"
#include "synth/OutputFormats.h"
#include "synth/ToneConversion.h"

#include <algorithm>

namespace {

constexpr std::uint32_t lfoTimeScale = 1u << 24;

std::int32_t clampTo(std::int64_t value, std::int32_t low, std::int32_t high)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, low, high));
}

// The device's pan counts the other way and one further: its 128 puts everything on the
// left and 0 everything on the right. Left of the centre each step is one of the
// device's; right of it the 63 steps spread over the device's 64.
std::int32_t devicePan(std::uint32_t position)
{
    if (position <= 64)
        return static_cast<std::int32_t>(128 - position);
    return static_cast<std::int32_t>(64 - (position - 64) * 64 / 63);
}

} // namespace

Synth::Synth()
{
    voice_.volume = 64;
}

Synth::~Synth()
{
    silence();
    // The render routine reads this object's fields: leave the device before they go.
    if (device != nullptr)
        device->removeSource(this);
}

std::unique_lock<std::mutex> Synth::lockRender() const
{
    if (device == nullptr)
        return {};
    return std::unique_lock<std::mutex>(device->renderLock());
}

bool Synth::connect(SoundDevice& newDevice, std::int32_t)
{
    // A voice lives in one device's list at a time; leaving the old one first means no
    // device keeps a pointer to a voice that is gone.
    if (device != nullptr && device != &newDevice)
        device->removeSource(this);
    {
        auto lock = lockRender();
        voice_.active = false;
        voice_.position = 0;
        tone_.cycleSize = 0;
        tone_.wave.reset();
        voice_.volume = maxVolume;
    }
    device = &newDevice;
    if (!newDevice.addSource(this, 1)) {
        status = errorRefused;
        return false;
    }
    auto lock = lockRender();
    voice_.lfoTimeBase = lfoTimeScale / static_cast<std::uint32_t>(std::max(sampleRate, 1));
    renderRoutine.store(renderSlot(bitsPerSample, newDevice.channelCount()));
    return true;
}

SoundSource::RenderRoutine Synth::chooseRenderRoutine() const
{
    const bool eightBit = bitsPerSample == 8;
    const bool stereo = device != nullptr && device->channelCount() == 2;
    if (tone_.drumAlgorithm == 0)
        return renderSlot(bitsPerSample, stereo ? 2 : 1);
    if (eightBit)
        return stereo ? &renderDrumBlock<Output8Stereo> : &renderDrumBlock<Output8Mono>;
    return stereo ? &renderDrumBlock<Output16Stereo> : &renderDrumBlock<Output16Mono>;
}

void Synth::setTone(const ToneRecord& tone)
{
    // The stop request lets a render thread that is between blocks end the note; it is
    // raised before the lock, because stop may wait for the render thread.
    stop();
    auto lock = lockRender();
    setTone(tone, renderLockHeld);
    play(-1);
}

void Synth::setTone(const ToneRecord& tone, RenderLockHeld)
{
    tone_ = tone;
    convertToneToRate(tone_, sampleRate);
    renderRoutine.store(chooseRenderRoutine());
}

bool Synth::noteOn(std::uint32_t frequency)
{
    auto lock = lockRender();
    return noteOn(frequency, renderLockHeld);
}

bool Synth::noteOn(std::uint32_t frequency, RenderLockHeld)
{
    silence(renderLockHeld);
    if (frequency == 0)
        return false;
    if (voice_.volume == 0)
        return true;
    // A tone without samples to read stays silent rather than reading anything.
    if (!tone_.wave || tone_.wave->samples.empty() || tone_.sampleCount == 0)
        return false;

    voice_.position = 0;
    if (tone_.drumAlgorithm != 0) {
        voice_.stage = tone_.gainRate;
    } else {
        const std::uint32_t cycleSize = std::min(static_cast<std::uint32_t>(tone_.cycleSize),
                                                 static_cast<std::uint32_t>(tone_.wave->samples.size()));
        voice_.unbentStep = instrumentStep(cycleSize, frequency, static_cast<std::uint32_t>(sampleRate));
        voice_.step = bentStep(voice_.unbentStep, voice_.pitchRatio);
        voice_.envLevel = 0;
        voice_.envRate = tone_.AR;
        voice_.envTarget = tone_.DL;
        voice_.stage = attackStage;
        voice_.lfoCounter = wrapNeg(tone_.startDelay);
        voice_.vibratoDepth = 0;
        voice_.vibratoDepthMax =
            clampTo(static_cast<std::int64_t>(voice_.modulation) + tone_.amplitude, 0, noteOnDepthLimit);
    }
    voice_.active = true;
    return true;
}

bool Synth::noteOff()
{
    auto lock = lockRender();
    return noteOff(renderLockHeld);
}

bool Synth::noteOff(RenderLockHeld)
{
    if (tone_.drumAlgorithm != 0) {
        voice_.stage = tone_.amplitude;
    } else {
        voice_.envTarget = 0;
        voice_.envRate = wrapNeg(tone_.RR);
        voice_.stage = releaseStage;
    }
    return true;
}

bool Synth::silence()
{
    auto lock = lockRender();
    return silence(renderLockHeld);
}

bool Synth::silence(RenderLockHeld)
{
    voice_.active = false;
    voice_.envTarget = 0;
    voice_.envRate = wrapNeg(tone_.RR);
    return true;
}

bool Synth::setVolume(std::uint32_t volume)
{
    auto lock = lockRender();
    return setVolume(volume, renderLockHeld);
}

bool Synth::setVolume(std::uint32_t volume, RenderLockHeld)
{
    voice_.volume = static_cast<std::int32_t>(std::min<std::uint32_t>(volume, maxVolume));
    return true;
}

void Synth::setModulation(std::int32_t value)
{
    auto lock = lockRender();
    setModulation(value, renderLockHeld);
}

void Synth::setModulation(std::int32_t value, RenderLockHeld)
{
    voice_.modulation = std::clamp(value >> 2, 0, maxModulationSteps) * levelUnit;
    voice_.vibratoDepthMax =
        clampTo(static_cast<std::int64_t>(voice_.modulation) + tone_.amplitude, 0, modulationDepthLimit);
}

void Synth::setPitchBend(PitchRatio ratio)
{
    auto lock = lockRender();
    setPitchBend(ratio, renderLockHeld);
}

void Synth::setPitchBend(PitchRatio ratio, RenderLockHeld)
{
    voice_.pitchRatio = ratio;
    voice_.step = bentStep(voice_.unbentStep, ratio);
}

void Synth::setPan(std::uint32_t position)
{
    auto lock = lockRender();
    setPan(position, renderLockHeld);
}

void Synth::setPan(std::uint32_t position, RenderLockHeld)
{
    pan = devicePan(std::min<std::uint32_t>(position, 127));
}

bool Synth::fadeOut(std::uint32_t frames, RenderLockHeld)
{
    if (tone_.drumAlgorithm != 0)
        return false;
    const std::int64_t level = voice_.envLevel;
    const std::int64_t perFrame = std::max<std::int64_t>((level + frames - 1) / std::max(frames, 1u), 1);
    voice_.envTarget = 0;
    voice_.envRate = static_cast<std::int32_t>(-perFrame);
    voice_.stage = releaseStage;
    return true;
}

VoiceState Synth::state() const
{
    auto lock = lockRender();
    return voice_;
}

ToneRecord Synth::tone() const
{
    auto lock = lockRender();
    return tone_;
}

// ---- render thread, holding the render lock --------------------------------------------

bool Synth::enterBlock()
{
    if (stopRequest.load())
        voice_.active = false;
    return voice_.active;
}

template <class Output> void Synth::renderInstrumentBlock(std::int32_t* mix, std::int32_t frames)
{
    if (enterBlock() && frames > 0)
        renderInstrument<Output>(voice_, tone_, pan, mix, static_cast<std::uint32_t>(frames));
}

template <class Output> void Synth::renderDrumBlock(SoundSource& source, std::int32_t* mix, std::int32_t frames)
{
    auto& synth = static_cast<Synth&>(source);
    if (synth.enterBlock() && frames > 0)
        renderDrum<Output>(synth.voice_, synth.tone_, synth.pan, mix, static_cast<std::uint32_t>(frames));
}

void Synth::render8Mono(std::int32_t* mix, std::int32_t frames)
{
    renderInstrumentBlock<Output8Mono>(mix, frames);
}

void Synth::render8Stereo(std::int32_t* mix, std::int32_t frames)
{
    renderInstrumentBlock<Output8Stereo>(mix, frames);
}

void Synth::render16Mono(std::int32_t* mix, std::int32_t frames)
{
    renderInstrumentBlock<Output16Mono>(mix, frames);
}

void Synth::render16Stereo(std::int32_t* mix, std::int32_t frames)
{
    renderInstrumentBlock<Output16Stereo>(mix, frames);
}
